// The Help seam.
#include "framework/Help.h"

namespace {
AfxWinHelpHook g_winHelpHook = nullptr;
}

BOOL AfxWinHelp(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data) {
    if (g_winHelpHook != nullptr)
        return g_winHelpHook(owner, helpFile, command, data);
    return ::WinHelpA(owner, helpFile, command, data);
}

AfxWinHelpHook AfxSetWinHelpHook(AfxWinHelpHook hook) {
    AfxWinHelpHook previous = g_winHelpHook;
    g_winHelpHook = hook;
    return previous;
}
