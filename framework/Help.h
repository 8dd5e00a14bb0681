// The one seam every Help call of the framework goes through, so tests can see which
// help file and topic Help would open without starting a help viewer.
#pragma once
#include <windows.h>

using AfxWinHelpHook = BOOL (*)(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

// Opens `helpFile` with ::WinHelpA, or calls the installed hook instead; TRUE on success.
BOOL AfxWinHelp(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);
// Installs `hook` (null restores ::WinHelpA); returns the hook it replaces.
AfxWinHelpHook AfxSetWinHelpHook(AfxWinHelpHook hook);
