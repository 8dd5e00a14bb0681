// The bridge's platform under Wine: see WinePlatform.h.
#include "bridge/dll/WinePlatform.h"

#include "bridge/BlockOpening.h"
#include "bridge/BlockPath.h"
#include "bridge/dll/BlockGuard.h"
#include "bridge/dll/LinuxCalls.h"

#include <windows.h>

#include <string>

namespace bridge {

namespace {

// A variable of the Unix environment (which Wine passes on) in UTF-8, the Unix form of
// its file names; false when it is not set.
bool Utf8Variable(const char* name, std::string* value) {
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return false;
    std::wstring wide(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), &wide[0], size);
    if (length == 0 || length >= size)
        return false;
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(length),
                                            nullptr, 0, nullptr, nullptr);
    value->assign(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(length), &(*value)[0], bytes,
                          nullptr, nullptr);
    return true;
}

// The block's place, chosen as the helper chooses it; false when there is none this
// DLL can take (no runtime directory, a relative path, a path too long): never another
// place instead.
bool UnixBlockPlace(BlockPlace* place) {
    std::string given;
    std::string runtimeDir;
    const bool hasGiven = Utf8Variable(kBlockPathVariable, &given);
    const bool hasRuntimeDir = Utf8Variable(kRuntimeDirVariable, &runtimeDir);
    const BlockPathChoice choice =
        ChooseBlockPath(hasGiven ? given.c_str() : nullptr,
                        hasRuntimeDir ? runtimeDir.c_str() : nullptr, &place->path);
    place->isDefault = choice == BlockPathChoice::Default;
    return choice == BlockPathChoice::Given || choice == BlockPathChoice::Default;
}

// The file open as the Linux descriptor `fd`, mapped through a Windows handle that Wine
// makes for that very descriptor: the file is never looked up by its path again. A file
// shorter than a block is not mapped.
SharedBlock* MapDescriptor(int fd) {
    using FdToHandle = LONG(CDECL*)(int fd, unsigned access, unsigned attributes, HANDLE* handle);
    static const auto toHandle = reinterpret_cast<FdToHandle>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_server_fd_to_handle")));
    HANDLE file = nullptr;
    if (toHandle == nullptr || toHandle(fd, GENERIC_READ | GENERIC_WRITE, 0, &file) != 0 ||
        file == nullptr)
        return nullptr;
    void* view = nullptr;
    if (HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr)) {
        view = ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBlock));
        ::CloseHandle(mapping); // the view keeps the mapping
    }
    ::CloseHandle(file);
    return static_cast<SharedBlock*>(view);
}

} // namespace

SharedBlock* WinePlatform::MapBlock() {
    BlockPlace place;
    if (!UnixBlockPlace(&place))
        return nullptr;
    LinuxCalls calls;
    OpenedBlock opened;
    std::string message;
    const BlockFound found = OpenBlockFile(calls, place, &opened, &message);
    if (found != BlockFound::Yes) {
        Report(found, message);
        return nullptr;
    }
    SharedBlock* block = MapDescriptor(opened.fd);
    if (block == nullptr || !GuardBlock(block, sizeof(SharedBlock), opened.fd)) {
        if (block != nullptr)
            ::UnmapViewOfFile(block);
        calls.Close(opened.fd);
        return nullptr;
    }
    const BlockFound checked =
        CheckMappedBlock(*block, opened.facts, place.path, calls.User(), &message);
    Report(checked, message);
    if (checked != BlockFound::Yes) {
        UnmapBlock(block);
        return nullptr;
    }
    return block;
}

void WinePlatform::UnmapBlock(SharedBlock* block) {
    UnguardBlock(block);
    ::UnmapViewOfFile(block);
}

// A refusal goes to the terminal once, until a block is taken again: the program asks
// again and again while it waits for its driver.
void WinePlatform::Report(BlockFound found, const std::string& message) {
    if (found == BlockFound::Yes)
        m_lastRefusal.clear();
    if (found != BlockFound::Refused || message == m_lastRefusal)
        return;
    m_lastRefusal = message;
    WriteToStderr("tamberlo bridge: " + message + "\n");
}

std::uint64_t WinePlatform::NowUs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart / frequency * 1'000'000 +
                                      now.QuadPart % frequency * 1'000'000 / frequency);
}

void WinePlatform::Pause() {
    YieldProcessor();
}

void WinePlatform::YieldThread() {
    ::SwitchToThread();
}

// Wine gives the process the processors of its Unix process (taskset included).
unsigned WinePlatform::Processors() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system))
        return 2;
    unsigned count = 0;
    for (; process != 0; process &= process - 1)
        ++count;
    return count;
}

void WinePlatform::SleepMs(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace bridge
