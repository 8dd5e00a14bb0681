// Prints how long the serial link takes on this machine: one BitDelay pass, one
// full 4-byte exchange on the simulated board, and the share of the exchange spent
// outside the busy waits (port accesses and the simulation behind them).
// Figures only; nothing here fails on timing. It fails when it cannot measure: a chip
// that does not answer, or exchanges that do not all reach it.
#include "framework/Sleep.h"
#include "link/SerialLink.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/Stopwatch.h"
#include "tests/harness/TestBoard.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The best of several rounds, so other work on the machine disturbs the figure least.
template <typename Action> double MicrosecondsPerRun(int runs, Action action) {
    double best = 0;
    for (int round = 0; round < 7; ++round) {
        const LONGLONG start = StopwatchNow();
        for (int i = 0; i < runs; ++i)
            action();
        const double us = SecondsSince(start) * 1e6 / runs;
        if (round == 0 || us < best)
            best = us;
    }
    return best;
}

TEST(LinkBenchmark, BitDelayAndExchange) {
    TestBoard board;
    MessageBoxCapture boxes;
    CParallelPort port{board.Access()};
    port.SetPort(1);
    std::uint32_t delayBit = 1;
    std::uint32_t delayByte = 1;
    CSerialLink link(port, delayBit, delayByte, &AfxSleep);
    link.EnterProgramming();
    ASSERT_EQ(link.ProgrammingEnable(), Handshake::InStep)
        << "the simulated chip does not answer the handshake: nothing to measure";
    const unsigned char send[4] = {0x20, 0x00, 0x00, 0x00}; // read the low byte of word 0
    unsigned char answer[4];
    std::uint64_t exchanges = 0;
    auto exchange = [&] {
        link.Exchange(send, answer);
        ++exchanges;
    };
    // With DELAY BIT 0 the busy waits make no pass: what an exchange then takes is the
    // part outside them, measured rather than derived from the busy loop's drifting speed.
    delayBit = 0;
    const double outsideUs = MicrosecondsPerRun(2000, exchange);
    std::printf("%9s %16s %16s %22s\n", "DELAY BIT", "BitDelay pass", "4-byte exchange",
                "outside BitDelay");
    for (std::uint32_t passes : {1u, 10u}) {
        delayBit = passes;
        const double passUs =
            MicrosecondsPerRun(2000 / static_cast<int>(delayBit), [&] { link.BitDelay(); }) /
            delayBit;
        const double exchangeUs = MicrosecondsPerRun(200, exchange);
        std::printf("%9u %13.2f us %13.1f us %13.1f us = %4.1f %%\n", delayBit, passUs, exchangeUs,
                    outsideUs, 100.0 * outsideUs / exchangeUs);
    }
    link.ReleaseTarget();
    EXPECT_EQ(board.Chip().counters().instructionsExecuted, 1 + exchanges)
        << "not every exchange reached the chip as a whole instruction: the figures above "
           "are not those of real exchanges";
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
