// The processor a Windows program file or DLL is built for, read from its PE header, so a
// message can say in plain words why Windows would not load a DLL of the other bitness.
#pragma once
#include <windows.h>

// The PE header's machine field (IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_AMD64, ...),
// or 0 when the file cannot be read or is no Windows program file at all.
WORD PeMachineOf(const char* path);
