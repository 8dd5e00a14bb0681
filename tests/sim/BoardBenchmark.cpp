// Prints the cost of one printer-port access on the simulated board (a status
// read and a data write, with the chip clocking), for a virtual and a steady clock.
#include <chrono>
#include <cstdio>

#include "sim/Board.h"

namespace {

template <typename ClockT> double NsPerAccess(ClockT& clock) {
    sim::BoardSettings settings;
    sim::Board board(settings, clock);
    // Reset pulse and programming enable so the chip really shifts bits.
    board.Out(0x378, 0x00);
    board.Out(0x378, 0x02);
    board.Out(0x378, 0x00);
    constexpr long kRounds = 2'000'000;
    const auto start = std::chrono::steady_clock::now();
    unsigned sink = 0;
    for (long i = 0; i < kRounds; ++i) {
        board.Out(0x37A, static_cast<std::uint8_t>(i & 1));
        sink += board.In(0x379);
        board.Out(0x378, 0x01);
        board.Out(0x378, 0x00);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (sink == 1) {
        std::puts("");
    }
    return std::chrono::duration<double, std::nano>(elapsed).count() / (kRounds * 4.0);
}

} // namespace

int main() {
    sim::VirtualClock virtualClock;
    const double virtualNs = NsPerAccess(virtualClock);
    sim::SteadyClock steadyClock;
    const double steadyNs = NsPerAccess(steadyClock);
    std::printf("board port access, virtual clock: %.1f ns\n", virtualNs);
    std::printf("board port access, steady clock:  %.1f ns\n", steadyNs);
    return 0;
}
