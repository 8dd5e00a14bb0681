// Starting the program and finding its windows from another process.
#include "tests/e2e/ProgramProcess.h"

#include "tests/harness/MessageBoxCapture.h"

#include <stdexcept>

std::string ProgramPath() {
    return TAMBERLO_EXE_PATH;
}

ProgramProcess::ProgramProcess(const std::string& arguments)
    : ProgramProcess(ProgramPath(), arguments) {}

ProgramProcess::ProgramProcess(const std::string& path, const std::string& arguments) {
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &m_info))
        throw std::runtime_error("cannot start " + path);
    ::WaitForInputIdle(m_info.hProcess, 30000);
}

ProgramProcess::~ProgramProcess() {
    if (m_info.hProcess == nullptr)
        return;
    if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_info.hProcess, 1);
        ::WaitForSingleObject(m_info.hProcess, 10000);
    }
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

namespace {
struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hWnd, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == search->pid && ::IsWindowVisible(hWnd))
        search->found.push_back(hWnd);
    return TRUE;
}
} // namespace

std::vector<HWND> ProgramProcess::VisibleWindows() const {
    WindowSearch search{m_info.dwProcessId, {}};
    ::EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramProcess::WaitForWindow(const char* caption, DWORD timeoutMs) const {
    const DWORD start = ::GetTickCount();
    do {
        for (HWND hWnd : VisibleWindows()) {
            char text[256];
            if (::GetWindowTextA(hWnd, text, sizeof text) >= 0 && ::lstrcmpA(text, caption) == 0 &&
                !IsMessageBox(hWnd))
                return hWnd;
        }
        ::Sleep(50);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND ProgramProcess::WaitForMessageBox(DWORD timeoutMs) const {
    const DWORD start = ::GetTickCount();
    do {
        for (HWND hWnd : VisibleWindows())
            if (IsMessageBox(hWnd))
                return hWnd;
        ::Sleep(50);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool ProgramProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (::WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode != nullptr)
        ::GetExitCodeProcess(m_info.hProcess, exitCode);
    return true;
}

std::string WindowText(HWND hWnd, DWORD timeoutMs) {
    char text[4096] = {};
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                               SMTO_NORMAL, timeoutMs, &length))
        return "<no answer>";
    return std::string(text, length);
}

std::string MessageBoxText(HWND box) {
    return WindowText(::GetDlgItem(box, 0xFFFF));
}

void PressButton(HWND dialog, int id) {
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void TypeInto(HWND dialog, int id, const char* text) {
    HWND edit = ::GetDlgItem(dialog, id);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_NORMAL, 10000, &ignored);
    // Keystrokes, so the field changes once per character as under a user's fingers.
    if (*text == '\0')
        ::PostMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (const char* c = text; *c; ++c)
        ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 0);
}
