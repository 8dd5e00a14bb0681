// Loads a built inpout32.dll (the simulated board's unless another path is given) by
// its full path and looks up its port calls, as a program that uses InpOut32 does;
// unloading the simulated one ends its board.
#pragma once
#include <windows.h>

#include <string>

using Inp32Fn = short(__stdcall*)(short);
using Out32Fn = void(__stdcall*)(short, short);
using IsInpOutDriverOpenFn = BOOL(__stdcall*)();

// Windows form of a build-tree path (Wine shows the file system as drive Z:).
std::string WindowsPath(const std::string& unixPath);
// Windows path of the built simulated driver DLL.
std::string DriverDllPath();

class DriverLibrary {
public:
    explicit DriverLibrary(const std::string& path = DriverDllPath());
    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    bool loaded() const { return m_module != nullptr; }
    HMODULE module() const { return m_module; }
    // Unloads now (the board saves its chip file); later calls are not allowed.
    void Unload();
    // Forgets the DLL without unloading it: the process end unloads it.
    void LeaveLoaded() { m_module = nullptr; }

    Inp32Fn Inp32 = nullptr;
    Out32Fn Out32 = nullptr;
    IsInpOutDriverOpenFn IsInpOutDriverOpen = nullptr;

private:
    HMODULE m_module = nullptr;
};

// Sets (or, with nullptr, removes) a variable in the C runtime's environment,
// which the DLL's getenv reads.
void SetRuntimeEnv(const char* name, const char* value);
