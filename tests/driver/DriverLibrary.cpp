// Loading the simulated port driver DLL for the tests and the benchmark.
#include "tests/driver/DriverLibrary.h"

#include <cstdlib>

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string DriverDllPath() {
    return WindowsPath(TAMBERLO_DRIVER_DLL);
}

void SetRuntimeEnv(const char* name, const char* value) {
    // "NAME=" removes the variable from the runtime's copy of the environment.
    const std::string assignment = std::string(name) + "=" + (value != nullptr ? value : "");
    _putenv(assignment.c_str());
}

namespace {
// GetProcAddress's result as the function type the export has.
template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}
} // namespace

DriverLibrary::DriverLibrary(const std::string& path) : m_module(::LoadLibraryA(path.c_str())) {
    if (m_module != nullptr) {
        Inp32 = Export<Inp32Fn>(m_module, "Inp32");
        Out32 = Export<Out32Fn>(m_module, "Out32");
        IsInpOutDriverOpen = Export<IsInpOutDriverOpenFn>(m_module, "IsInpOutDriverOpen");
    }
}

DriverLibrary::~DriverLibrary() {
    Unload();
}

void DriverLibrary::Unload() {
    if (m_module != nullptr) {
        ::FreeLibrary(m_module);
        m_module = nullptr;
    }
    Inp32 = nullptr;
    Out32 = nullptr;
    IsInpOutDriverOpen = nullptr;
}
