// The wait seam.
#include "framework/Sleep.h"

namespace {
AfxSleepHook g_sleepHook = nullptr;
}

void AfxSleep(DWORD milliseconds) {
    if (g_sleepHook != nullptr)
        g_sleepHook(milliseconds);
    else
        ::Sleep(milliseconds);
}

AfxSleepHook AfxSetSleepHook(AfxSleepHook hook) {
    AfxSleepHook previous = g_sleepHook;
    g_sleepHook = hook;
    return previous;
}
