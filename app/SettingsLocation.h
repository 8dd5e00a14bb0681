// Which settings file the program really reads and writes. The platform keeps tamberlo.INI
// in the Windows folder; on Windows Vista to 11 a 32-bit program without a manifest, run as a
// normal user, is virtualized: its writes there go to %LOCALAPPDATA%\VirtualStore\Windows,
// and once that copy exists it is read instead. An administrator's run, and any 64-bit
// program, is never virtualized and uses the Windows folder's file.
#pragma once
#include <windows.h>

// Room for a settings file's full path.
constexpr DWORD kSettingsPathSize = MAX_PATH + 64;

// `profileName` is the settings file as the profile functions take it: a bare name
// ("tamberlo.INI") is a file of the Windows folder; a path stands for itself.

// The file the platform reads the settings from now: the VirtualStore copy when this process
// is virtualized and that copy exists, else the Windows folder's file.
void SettingsFileRead(const char* profileName, char (&path)[kSettingsPathSize]);
// The file a settings write goes to: the VirtualStore copy for a virtualized process, else
// the Windows folder's file (then TRUE).
BOOL SettingsFileWritten(const char* profileName, char (&path)[kSettingsPathSize]);
// The file the window reads when a normal user starts it, for a program that reads the
// window's settings but may not be virtualized itself (the console program, any 64-bit
// program): the VirtualStore copy when it exists, else the Windows folder's file.
void WindowSettingsFile(const char* profileName, char (&path)[kSettingsPathSize]);

// Whether this process is virtualized, as `query` answers it instead of the process's own
// token (Wine has no virtualization); null restores the token's answer. For tests.
void UseVirtualizationQuery(BOOL (*query)());
