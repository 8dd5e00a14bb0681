// The tests' port driver: Inp32/Out32 in the InpOut32 manner, into a sim::Board.
#include "tests/harness/TestPort.h"

#include "link/BitDelay.h"
#include "link/ClockReach.h"
#include "sim/Board.h"
#include "sim/Clock.h"


namespace {

sim::Board* g_board = nullptr;
sim::VirtualClock* g_clock = nullptr;
TestPort::PortTap* g_tap = nullptr;
unsigned long g_accesses = 0;
std::uint64_t g_decrementsSeen = 0;
double g_nsPerDecrementSet = 0;

// Busy waits since the last access take their time on the virtual clock before the
// board sees the next access, as they would on the processor.
void CatchUpBusyWaits() {
    const std::uint64_t now = BitDelayDecrements();
    if (g_clock != nullptr && now > g_decrementsSeen)
        g_clock->Advance(static_cast<std::uint64_t>(static_cast<double>(now - g_decrementsSeen) *
                                                    TestPort::NsPerBusyDecrement()));
    g_decrementsSeen = now;
}

short WINAPI TestInp32(short port) {
    CatchUpBusyWaits();
    ++g_accesses;
    const auto address = static_cast<WORD>(port);
    BYTE value = g_board != nullptr ? g_board->In(address) : 0xFF;
    if (g_tap != nullptr)
        value = g_tap->Read(address, value);
    return value;
}

void WINAPI TestOut32(short port, short data) {
    CatchUpBusyWaits();
    ++g_accesses;
    const auto address = static_cast<WORD>(port);
    const auto value = static_cast<BYTE>(data & 0xFF);
    if (g_tap != nullptr)
        g_tap->Wrote(address, value);
    if (g_board != nullptr)
        g_board->Out(address, value);
}

BOOL WINAPI TestDriverOpen() {
    return TRUE;
}

const InpOutCalls kTestDriver = {&TestInp32, &TestOut32, &TestDriverOpen};

} // namespace

namespace TestPort {

const InpOutCalls& Driver() {
    return kTestDriver;
}

void Install(sim::Board* board, sim::VirtualClock* clock) {
    g_board = board;
    g_clock = clock;
    g_accesses = 0;
    g_decrementsSeen = BitDelayDecrements();
}

void SetTap(PortTap* tap) {
    g_tap = tap;
}

unsigned long Accesses() {
    return g_accesses;
}

double NsPerBusyDecrement() {
    static const double measured = MeasureBitDelayPass_us() * 1000.0 / kBitDelayCountdown;
    return g_nsPerDecrementSet > 0 ? g_nsPerDecrementSet : measured;
}

void SetNsPerBusyDecrement(double ns) {
    g_nsPerDecrementSet = ns;
}

} // namespace TestPort
