// Loading the simulated port driver DLL for the tests and the benchmark.
#include "DriverLibrary.h"

#include <cstdlib>

std::string DriverDllPath() {
    std::string path = "Z:" TAMBERLO_DRIVER_DLL;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

void SetRuntimeEnv(const char* name, const char* value) {
    // "NAME=" removes the variable from the runtime's copy of the environment.
    const std::string assignment = std::string(name) + "=" + (value != nullptr ? value : "");
    _putenv(assignment.c_str());
}

DriverLibrary::DriverLibrary() : m_module(::LoadLibraryA(DriverDllPath().c_str())) {
    if (m_module != nullptr) {
        Inp32 = reinterpret_cast<Inp32Fn>(::GetProcAddress(m_module, "Inp32"));
        Out32 = reinterpret_cast<Out32Fn>(::GetProcAddress(m_module, "Out32"));
        IsInpOutDriverOpen = reinterpret_cast<IsInpOutDriverOpenFn>(
            ::GetProcAddress(m_module, "IsInpOutDriverOpen"));
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
