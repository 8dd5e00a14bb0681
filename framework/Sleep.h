// The one seam every millisecond wait of the program goes through, so tests can
// record the waits and advance a simulated clock instead of blocking.
#pragma once
#include <windows.h>

using AfxSleepHook = void (*)(DWORD milliseconds);

// Waits `milliseconds` (::Sleep), or calls the installed hook instead.
void AfxSleep(DWORD milliseconds);
// Installs `hook` (null restores ::Sleep); returns the hook it replaces.
AfxSleepHook AfxSetSleepHook(AfxSleepHook hook);
