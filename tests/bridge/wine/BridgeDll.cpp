// The bridge inpout32.dll loaded by a test: see BridgeDll.h.
#include "tests/bridge/wine/BridgeDll.h"

namespace {

template <typename Function> Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(dll, name)));
}

} // namespace

const BridgeDll& Bridge() {
    static const BridgeDll dll = [] {
        BridgeDll loaded;
        loaded.module = ::LoadLibraryA(TAMBERLO_BRIDGE_DLL);
        if (loaded.module != nullptr) {
            loaded.inp32 = Export<short(WINAPI*)(short)>(loaded.module, "Inp32");
            loaded.out32 = Export<void(WINAPI*)(short, short)>(loaded.module, "Out32");
            loaded.isOpen = Export<BOOL(WINAPI*)()>(loaded.module, "IsInpOutDriverOpen");
        }
        return loaded;
    }();
    return dll;
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string Environment(const char* name) {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

double NowSeconds() {
    LARGE_INTEGER frequency{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
