// Routes each port access to the InpOut32 driver when its DLL is there, else
// to the x86 in/out instructions, and keeps what went wrong during one operation.
#include "link/PortIo.h"

#include "link/PortDriver.h"
#include "link/PortIoDirect.h"

namespace {

// The Linux bridge's extra export: TRUE when its driver is not open because another
// program uses the port through it. Other drivers do not have it.
using InUseFn = BOOL(WINAPI*)();

struct Route {
    PortRoute kind = PortRoute::NotChosen;
    PortDriver driver = {};
    InUseFn inUse = nullptr;
};

Route g_route;
const PortDriver* g_injected = nullptr;
bool g_searched = false;
// A driver found not running during an operation stays so for the operation: a driver
// that opens again meanwhile (the Linux bridge, once its helper runs again) has lost
// accesses of the operation.
PortProblem g_driverProblem = PortProblem::None;

// An export by name, as the function type the caller knows it has (the generic
// function pointer type in between is the one C++ allows such casts through).
template <typename Function> Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(dll, name)));
}

// InpOut32 as its users know it. A DLL without IsInpOutDriverOpen counts as open.
bool LoadInpOut32(PortDriver* driver, InUseFn* inUse) {
    HMODULE dll = ::LoadLibraryA(kPortDriverDll); // kept loaded for the whole run
    if (dll == nullptr)
        return false;
    driver->inp32 = Export<short(WINAPI*)(short)>(dll, "Inp32");
    driver->out32 = Export<void(WINAPI*)(short, short)>(dll, "Out32");
    driver->isOpen = Export<BOOL(WINAPI*)()>(dll, "IsInpOutDriverOpen");
    *inUse = Export<InUseFn>(dll, "IsPortInUseByAnotherProgram");
    if (driver->inp32 != nullptr && driver->out32 != nullptr)
        return true;
    ::FreeLibrary(dll); // some other DLL of that name: not a port driver
    return false;
}

void ChooseRoute() {
    if (g_injected != nullptr) {
        g_route = {PortRoute::Driver, *g_injected, nullptr};
        return;
    }
    if (g_searched)
        return;
    g_searched = true;
    PortDriver driver{};
    InUseFn inUse = nullptr;
    if (LoadInpOut32(&driver, &inUse))
        g_route = {PortRoute::Driver, driver, inUse};
    else
        g_route = {PortRoute::Direct, {}, nullptr};
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

void UsePortDriver(const PortDriver* driver) {
    g_injected = driver;
    g_searched = false;
    g_route = {};
}

PortRoute CurrentPortRoute() {
    return g_route.kind;
}

PortProblem BeginPortAccess() {
    ChooseRoute();
    ForgetDirectPortRefusal();
    g_driverProblem = PortProblem::None;
    return g_route.kind == PortRoute::Driver ? DriverProblem() : PortProblem::None;
}

int PortIn(WORD address) {
    if (g_route.kind == PortRoute::NotChosen)
        ChooseRoute();
    if (g_route.kind == PortRoute::Driver)
        return g_route.driver.inp32(static_cast<short>(address)) & 0xFF;
    return DirectPortIn(address);
}

void PortOut(WORD address, int value) {
    if (g_route.kind == PortRoute::NotChosen)
        ChooseRoute();
    if (g_route.kind == PortRoute::Driver)
        g_route.driver.out32(static_cast<short>(address), static_cast<short>(value & 0xFF));
    else
        DirectPortOut(address, value);
}

PortProblem PortAccessProblem() {
    if (g_route.kind == PortRoute::Driver)
        return DriverProblem();
    return DirectPortRefused() ? PortProblem::Refused : PortProblem::None;
}
