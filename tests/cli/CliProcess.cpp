// Both pipes are read on threads of their own while the program runs, so that neither can
// fill up and stop it, and a program that does not end is stopped after the time given.
#include "tests/cli/CliProcess.h"

#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// This process's environment without TAMBERLO_SIM_*, then `extra`, as CreateProcess takes it.
std::string EnvironmentBlock(const Environment& extra) {
    std::string block;
    char* strings = ::GetEnvironmentStringsA();
    for (const char* entry = strings; *entry != '\0'; entry += std::strlen(entry) + 1) {
        if (_strnicmp(entry, "TAMBERLO_SIM_", 13) != 0)
            block.append(entry).push_back('\0');
    }
    ::FreeEnvironmentStringsA(strings);
    for (const auto& [name, value] : extra)
        block.append(name + "=" + value).push_back('\0');
    block.push_back('\0');
    return block;
}

void MakePipe(HANDLE* read, HANDLE* write) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (!::CreatePipe(read, write, &inherit, 0))
        throw std::runtime_error("cannot make a pipe");
    ::SetHandleInformation(*read, HANDLE_FLAG_INHERIT, 0);
}

} // namespace

CliResult RunCli(const std::string& program, const std::string& arguments,
                 const std::string& folder, const Environment& environment, DWORD timeoutMs) {
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    MakePipe(&outRead, &outWrite);
    MakePipe(&errRead, &errWrite);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::string commandLine = "\"" + program + "\" " + arguments;
    std::string block = EnvironmentBlock(environment);
    PROCESS_INFORMATION info{};
    const BOOL started =
        ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         &block[0], folder.c_str(), &startup, &info);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    if (!started) {
        ::CloseHandle(outRead);
        ::CloseHandle(errRead);
        throw std::runtime_error("cannot start " + commandLine);
    }
    CliResult result;
    std::thread outReader([&] { result.out = ReadAll(outRead); });
    std::thread errReader([&] { result.err = ReadAll(errRead); });
    result.ended = ::WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!result.ended) {
        ::TerminateProcess(info.hProcess, 99);
        ::WaitForSingleObject(info.hProcess, 10000);
    }
    outReader.join();
    errReader.join();
    ::GetExitCodeProcess(info.hProcess, &result.status);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    result.outLines = Lines(result.out);
    result.errLines = Lines(result.err);
    return result;
}

std::vector<std::string> RunCliOnConsole(const std::string& program, const std::string& arguments,
                                         const std::string& folder, const Environment& environment,
                                         DWORD* status) {
    ::FreeConsole();
    if (!::AllocConsole())
        throw std::runtime_error("cannot make a console");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const HANDLE screen =
        ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = screen;
    startup.hStdError = screen;
    std::string commandLine = "\"" + program + "\" " + arguments;
    std::string block = EnvironmentBlock(environment);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, &block[0],
                          folder.c_str(), &startup, &info)) {
        ::CloseHandle(screen);
        ::FreeConsole();
        throw std::runtime_error("cannot start " + commandLine);
    }
    if (::WaitForSingleObject(info.hProcess, 180000) != WAIT_OBJECT_0)
        ::TerminateProcess(info.hProcess, 99);
    ::WaitForSingleObject(info.hProcess, 10000);
    ::GetExitCodeProcess(info.hProcess, status);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);

    std::vector<std::string> lines;
    CONSOLE_SCREEN_BUFFER_INFO buffer{};
    ::GetConsoleScreenBufferInfo(screen, &buffer);
    for (SHORT row = 0; row <= buffer.dwCursorPosition.Y; ++row) {
        std::string line(static_cast<std::size_t>(buffer.dwSize.X), ' ');
        DWORD read = 0;
        ::ReadConsoleOutputCharacterA(screen, &line[0], static_cast<DWORD>(line.size()),
                                      COORD{0, row}, &read);
        line.resize(read);
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(line);
    }
    ::CloseHandle(screen);
    ::FreeConsole();
    return lines;
}
