// Routes each port access to the InpOut32 driver when its DLL is there, else to the x86
// in/out instructions, and keeps what went wrong during one operation. A driver DLL that
// is there but cannot be used is told apart from no DLL at all.
#include "port/PortAccess.h"

#include "lpt/PrinterPort.h"
#include "port/PeMachine.h"
#include "port/PortIoDirect.h"

namespace {

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

DriverLoadFailure NotUsable(const char* path, DWORD error) {
    DriverLoadFailure failure = {};
    ::lstrcpynA(failure.path, path, MAX_PATH);
    failure.error = error;
    failure.machine = PeMachineOf(path);
    return failure;
}

} // namespace

CPortAccess::CPortAccess(const InpOutCalls& driver) : m_given(&driver) {}

// InpOut32 as its users know it: Driver when it loaded, Direct when there is no such DLL,
// Unusable (with the reason kept) when one is there that cannot serve.
bool CPortAccess::LoadDriverDll() {
    // A damaged or blocked DLL must not bring up a system error box of its own.
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE dll = ::LoadLibraryA(kPortDriverDll); // kept loaded for the whole run
    const DWORD error = ::GetLastError();
    ::SetErrorMode(errorMode);
    char path[MAX_PATH] = "";
    if (dll == nullptr) {
        // "Not found" also stands for a DLL that is there but misses a DLL of its own.
        if (!FindDriverDll(path))
            return false;
        m_loadFailure = NotUsable(path, error);
        return true;
    }
    m_driver.inp32 = Export<short(WINAPI*)(short)>(dll, "Inp32");
    m_driver.out32 = Export<void(WINAPI*)(short, short)>(dll, "Out32");
    // A DLL without IsInpOutDriverOpen counts as open.
    m_driver.isOpen = Export<BOOL(WINAPI*)()>(dll, "IsInpOutDriverOpen");
    m_inUse = Export<InUseFn>(dll, "IsPortInUseByAnotherProgram");
    if (m_driver.inp32 != nullptr && m_driver.out32 != nullptr) {
        m_route = PortRoute::Driver;
        return true;
    }
    const DWORD length = ::GetModuleFileNameA(dll, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH - 1] = '\0';
    ::FreeLibrary(dll); // some other DLL of that name: not a port driver
    m_driver = {};
    m_inUse = nullptr;
    m_loadFailure = NotUsable(path, 0);
    return true;
}

void CPortAccess::ChooseRoute() {
    if (m_given != nullptr) {
        m_route = PortRoute::Driver;
        m_driver = *m_given;
        return;
    }
    if (m_route == PortRoute::Driver || m_route == PortRoute::Direct)
        return; // decided for the whole run
    m_route = PortRoute::Unusable;
    if (!LoadDriverDll())
        m_route = PortRoute::Direct;
}

PortProblem CPortAccess::DriverProblem() {
    if (m_driverProblem == PortProblem::None && m_driver.isOpen != nullptr &&
        m_driver.isOpen() == FALSE)
        m_driverProblem = m_inUse != nullptr && m_inUse() != FALSE ? PortProblem::PortInUse
                                                                   : PortProblem::DriverNotRunning;
    return m_driverProblem;
}

PortProblem CPortAccess::Begin() {
    ChooseRoute();
    ForgetDirectPortRefusal();
    if (m_route == PortRoute::Unusable)
        return PortProblem::DriverNotLoaded;
    m_driverProblem = PortProblem::None;
    return m_route == PortRoute::Driver ? DriverProblem() : PortProblem::None;
}

int CPortAccess::In(WORD address) {
    if (m_route == PortRoute::NotChosen)
        ChooseRoute();
    switch (m_route) {
    case PortRoute::Driver:
        return m_driver.inp32(static_cast<short>(address)) & 0xFF;
    case PortRoute::Unusable:
        return lpt::kFloatingBus;
    default:
        return DirectPortIn(address);
    }
}

void CPortAccess::Out(WORD address, int value) {
    if (m_route == PortRoute::NotChosen)
        ChooseRoute();
    if (m_route == PortRoute::Driver)
        m_driver.out32(static_cast<short>(address), static_cast<short>(value & 0xFF));
    else if (m_route == PortRoute::Direct)
        DirectPortOut(address, value);
}

PortProblem CPortAccess::Problem() {
    switch (m_route) {
    case PortRoute::Driver:
        return DriverProblem();
    case PortRoute::Unusable:
        return PortProblem::DriverNotLoaded;
    default:
        return DirectPortRefused() ? PortProblem::Refused : PortProblem::None;
    }
}
