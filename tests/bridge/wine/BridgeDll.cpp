// The bridge inpout32.dll loaded by a test: see BridgeDll.h.
#include "tests/bridge/wine/BridgeDll.h"

#include "tests/harness/Stopwatch.h"

const DriverLibrary& Bridge() {
    static const DriverLibrary dll(TAMBERLO_BRIDGE_DLL);
    return dll;
}

std::string Environment(const char* name) {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

double NowSeconds() {
    return SecondsBetween(0, StopwatchNow());
}
