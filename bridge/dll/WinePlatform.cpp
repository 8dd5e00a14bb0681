// The bridge's platform under Wine: see WinePlatform.h.
#include "bridge/dll/WinePlatform.h"

#include <windows.h>

#include <string>

namespace bridge {

namespace {

// The block's Unix path: TAMBERLO_BRIDGE_SHM, else the fixed default.
std::string UnixBlockPath() {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(kBlockPathVariable, value, sizeof value);
    if (length > 0 && length < sizeof value)
        return std::string(value, length);
    return kDefaultBlockPath;
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
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

bool HoldsBlock(HANDLE file) {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(file, &size) && size.QuadPart >= LONGLONG{sizeof(SharedBlock)};
}

} // namespace

SharedBlock* WinePlatform::MapBlock() {
    const std::wstring path = WindowsPath(UnixBlockPath());
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
    if (block != nullptr && (block->magic.load(std::memory_order_acquire) != kBlockMagic ||
                             block->version.load(std::memory_order_relaxed) != kBlockVersion ||
                             block->ringEntries.load(std::memory_order_relaxed) != kRingEntries)) {
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

void WinePlatform::SleepMs(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace bridge
