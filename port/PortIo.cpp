// Routes each port access to the InpOut32 driver when its DLL is there, else
// to the x86 in/out instructions, and keeps what went wrong during one operation.
// A driver DLL that is there but cannot be used is told apart from no DLL at all.
#include "port/PortIo.h"

#include "port/PeMachine.h"
#include "port/InpOutCalls.h"
#include "port/PortIoDirect.h"

namespace {

// The Linux bridge's extra export: TRUE when its driver is not open because another
// program uses the port through it. Other drivers do not have it.
using InUseFn = BOOL(WINAPI*)();

struct Route {
    PortRoute kind = PortRoute::NotChosen;
    InpOutCalls driver = {};
    InUseFn inUse = nullptr;
};

enum class DriverSearch { Loaded, Absent, NotUsable };

constexpr int kAbsentPortLevels = 0xFF;

Route g_route;
const InpOutCalls* g_injected = nullptr;
DriverLoadFailure g_loadFailure = {};
// A driver found not running during an operation stays so for the operation: a driver
// that opens again meanwhile (the Linux bridge, once its helper runs again) has lost
// accesses of the operation.
PortProblem g_driverProblem = PortProblem::None;

// An export by name, as the function type the caller knows it has (the generic
// function pointer type in between is the one C++ allows such casts through).
template <typename Function> Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(dll, name)));
}

// Where the DLL search finds the driver DLL; FALSE when it is nowhere.
BOOL FindDriverDll(char (&path)[MAX_PATH]) {
    const DWORD length = ::SearchPathA(nullptr, kPortDriverDll, nullptr, MAX_PATH, path, nullptr);
    return length > 0 && length < MAX_PATH;
}

DriverSearch NotUsable(const char* path, DWORD error) {
    ::lstrcpynA(g_loadFailure.path, path, MAX_PATH);
    g_loadFailure.error = error;
    g_loadFailure.machine = PeMachineOf(path);
    return DriverSearch::NotUsable;
}

// InpOut32 as its users know it. A DLL without IsInpOutDriverOpen counts as open.
DriverSearch LoadInpOut32(InpOutCalls* driver, InUseFn* inUse) {
    // A damaged or blocked DLL must not bring up a system error box of its own.
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE dll = ::LoadLibraryA(kPortDriverDll); // kept loaded for the whole run
    const DWORD error = ::GetLastError();
    ::SetErrorMode(errorMode);
    char path[MAX_PATH] = "";
    if (dll == nullptr) {
        // "Not found" also stands for a DLL that is there but misses a DLL of its own.
        return FindDriverDll(path) ? NotUsable(path, error) : DriverSearch::Absent;
    }
    driver->inp32 = Export<short(WINAPI*)(short)>(dll, "Inp32");
    driver->out32 = Export<void(WINAPI*)(short, short)>(dll, "Out32");
    driver->isOpen = Export<BOOL(WINAPI*)()>(dll, "IsInpOutDriverOpen");
    *inUse = Export<InUseFn>(dll, "IsPortInUseByAnotherProgram");
    if (driver->inp32 != nullptr && driver->out32 != nullptr)
        return DriverSearch::Loaded;
    const DWORD length = ::GetModuleFileNameA(dll, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH - 1] = '\0';
    ::FreeLibrary(dll); // some other DLL of that name: not a port driver
    return NotUsable(path, 0);
}

void ChooseRoute() {
    if (g_injected != nullptr) {
        g_route = {PortRoute::Driver, *g_injected, nullptr};
        return;
    }
    if (g_route.kind == PortRoute::Driver || g_route.kind == PortRoute::Direct)
        return; // decided for the whole run
    InpOutCalls driver{};
    InUseFn inUse = nullptr;
    switch (LoadInpOut32(&driver, &inUse)) {
    case DriverSearch::Loaded:
        g_route = {PortRoute::Driver, driver, inUse};
        break;
    case DriverSearch::Absent:
        g_route = {PortRoute::Direct, {}, nullptr};
        break;
    case DriverSearch::NotUsable:
        g_route = {PortRoute::Unusable, {}, nullptr};
        break;
    }
}

PortProblem DriverProblem() {
    if (g_driverProblem == PortProblem::None && g_route.driver.isOpen != nullptr &&
        g_route.driver.isOpen() == FALSE)
        g_driverProblem = g_route.inUse != nullptr && g_route.inUse() != FALSE
                              ? PortProblem::PortInUse
                              : PortProblem::DriverNotRunning;
    return g_driverProblem;
}

} // namespace

void UsePortDriver(const InpOutCalls* driver) {
    g_injected = driver;
    g_route = {};
}

PortRoute CurrentPortRoute() {
    return g_route.kind;
}

const DriverLoadFailure& LastDriverLoadFailure() {
    return g_loadFailure;
}

PortProblem BeginPortAccess() {
    ChooseRoute();
    ForgetDirectPortRefusal();
    if (g_route.kind == PortRoute::Unusable)
        return PortProblem::DriverNotLoaded;
    g_driverProblem = PortProblem::None;
    return g_route.kind == PortRoute::Driver ? DriverProblem() : PortProblem::None;
}

int PortIn(WORD address) {
    if (g_route.kind == PortRoute::NotChosen)
        ChooseRoute();
    switch (g_route.kind) {
    case PortRoute::Driver:
        return g_route.driver.inp32(static_cast<short>(address)) & 0xFF;
    case PortRoute::Unusable:
        return kAbsentPortLevels;
    default:
        return DirectPortIn(address);
    }
}

void PortOut(WORD address, int value) {
    if (g_route.kind == PortRoute::NotChosen)
        ChooseRoute();
    if (g_route.kind == PortRoute::Driver)
        g_route.driver.out32(static_cast<short>(address), static_cast<short>(value & 0xFF));
    else if (g_route.kind == PortRoute::Direct)
        DirectPortOut(address, value);
}

PortProblem PortAccessProblem() {
    switch (g_route.kind) {
    case PortRoute::Driver:
        return DriverProblem();
    case PortRoute::Unusable:
        return PortProblem::DriverNotLoaded;
    default:
        return DirectPortRefused() ? PortProblem::Refused : PortProblem::None;
    }
}
