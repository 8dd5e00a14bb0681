// The bridge's platform under Wine: see WinePlatform.h.
#include "bridge/dll/WinePlatform.h"

#include "bridge/BlockPath.h"

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

// The block's Unix path, chosen as the helper chooses it; false when there is none this
// DLL can take (no runtime directory, a relative path, a path too long): never another
// place instead.
bool UnixBlockPath(std::string* path) {
    std::string given;
    std::string runtimeDir;
    const bool hasGiven = Utf8Variable(kBlockPathVariable, &given);
    const bool hasRuntimeDir = Utf8Variable(kRuntimeDirVariable, &runtimeDir);
    const BlockPathChoice choice = ChooseBlockPath(
        hasGiven ? given.c_str() : nullptr, hasRuntimeDir ? runtimeDir.c_str() : nullptr, path);
    return choice == BlockPathChoice::Given || choice == BlockPathChoice::Default;
}

// Wine's own conversion knows the drive mappings of the prefix; without it (an older
// Wine) the root of the Unix file system is drive Z:, as in every default prefix.
std::wstring WindowsPath(const std::string& unixPath) {
    using ToDos = WCHAR*(CDECL*)(const char*);
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "wine_get_dos_file_name")));
    if (toDos != nullptr) {
        if (WCHAR* dos = toDos(unixPath.c_str())) {
            std::wstring path(dos);
            ::HeapFree(::GetProcessHeap(), 0, dos);
            return path;
        }
    }
    const std::string windows = "Z:" + unixPath;
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, windows.c_str(),
                                             static_cast<int>(windows.size()), nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, windows.c_str(), static_cast<int>(windows.size()), &path[0],
                          length);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

// What the Windows side can check of the file: a regular disk file, not a directory,
// of exactly the block's size. The rest (owner, mode, links) the helper checked, in a
// directory only this user can change.
bool HoldsBlock(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return false;
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(file, &size) && size.QuadPart == LONGLONG{sizeof(SharedBlock)};
}

} // namespace

SharedBlock* WinePlatform::MapBlock() {
    std::string unixPath;
    if (!UnixBlockPath(&unixPath))
        return nullptr;
    const std::wstring path = WindowsPath(unixPath);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    void* view = nullptr;
    if (HoldsBlock(file)) {
        HANDLE mapping =
            ::CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, sizeof(SharedBlock), nullptr);
        if (mapping != nullptr) {
            view = ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBlock));
            ::CloseHandle(mapping); // the view keeps the mapping
        }
    }
    ::CloseHandle(file);
    auto* block = static_cast<SharedBlock*>(view);
    if (block != nullptr && !IsBlockOfThisLayout(*block)) {
        ::UnmapViewOfFile(view);
        block = nullptr;
    }
    return block;
}

void WinePlatform::UnmapBlock(SharedBlock* block) {
    ::UnmapViewOfFile(block);
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
