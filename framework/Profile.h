// Reading a private profile (INI) file's entry as text, telling an absent entry from an
// empty one, which the platform's GetPrivateProfileString alone does not.
#pragma once
#include <windows.h>

// The entry's text into `buffer` (at most size - 1 characters); FALSE when the entry is
// absent, with an empty text. `file` as the profile functions take it.
BOOL AfxGetProfileText(LPCSTR file, LPCSTR section, LPCSTR entry, LPSTR buffer, DWORD size);
