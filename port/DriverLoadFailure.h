// Why a port driver DLL that the DLL search found could not be used.
#pragma once
#include <windows.h>

struct DriverLoadFailure {
    char path[MAX_PATH]; // where the DLL search found it
    DWORD error;         // the system's error from loading it; 0: it loaded, but is no port driver
    WORD machine;        // its PE machine field (IMAGE_FILE_MACHINE_...), 0 when it is no PE file
};
