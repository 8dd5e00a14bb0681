// Loads the built inpout32.dll by its full path and looks up its port calls,
// as a program that uses InpOut32 does; unloading it ends the simulated board.
#pragma once
#include <windows.h>

#include <string>

using Inp32Fn = short(__stdcall*)(short);
using Out32Fn = void(__stdcall*)(short, short);
using IsInpOutDriverOpenFn = BOOL(__stdcall*)();

class DriverLibrary {
public:
    DriverLibrary();
    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    bool loaded() const { return m_module != nullptr; }
    HMODULE module() const { return m_module; }
    // Unloads now (the board saves its chip file); later calls are not allowed.
    void Unload();

    Inp32Fn Inp32 = nullptr;
    Out32Fn Out32 = nullptr;
    IsInpOutDriverOpenFn IsInpOutDriverOpen = nullptr;

private:
    HMODULE m_module = nullptr;
};

// Windows path of the built DLL (the build tree seen through Wine's Z: drive).
std::string DriverDllPath();

// Sets (or, with nullptr, removes) a variable in the C runtime's environment,
// which the DLL's getenv reads.
void SetRuntimeEnv(const char* name, const char* value);
