// The bridge inpout32.dll as a program sees it: loaded by path, its three exports.
#pragma once
#include <windows.h>

#include <string>

struct BridgeDll {
    HMODULE module = nullptr;
    short(WINAPI* inp32)(short port) = nullptr;
    void(WINAPI* out32)(short port, short data) = nullptr;
    BOOL(WINAPI* isOpen)() = nullptr;
};

// The bridge DLL of this build, loaded once.
const BridgeDll& Bridge();
// A Unix path as Wine's Windows programs name it (Z: is the Unix root).
std::string WindowsPathOf(const std::string& unixPath);
// The value of an environment variable, "" when unset.
std::string Environment(const char* name);
// Seconds of a high-resolution clock.
double NowSeconds();
