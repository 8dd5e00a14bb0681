// The gaps between queued accesses bound the helper's waits no further than the
// program's own time-out, and never its stop: a ring full of the largest gaps (as a
// program that was stopped for long between accesses leaves, or as random stores into
// the block make) is served a time-out apart, with the heartbeat going on, and SIGTERM
// still ends the helper within a second, with the port released.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/SharedBlock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

constexpr const char kFakeDevice[] = "/dev/tamberlo-parport0";
constexpr std::uint32_t kLargestGap = 0xFFFFFFFFu;
constexpr std::uint16_t kElsewhere = 0x300;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(LongGaps, AreCutToTheTimeOutAndSigtermStillEndsTheHelperWithinASecond) {
    WorkDir work;
    HelperProcess helper(work.path(), {kFakeDevice});
    ASSERT_TRUE(helper.WaitUntilServing());
    PosixPlatform platform(BlockPath(work.path()));
    bridge::SharedBlock* block = platform.MapBlock();
    ASSERT_NE(block, nullptr) << platform.lastMessage();

    // A ring's worth of writes, each after the largest gap there is, to an address
    // outside the port's registers: the helper counts each one it serves in `refused`
    // at once, and the port is left alone.
    const std::uint32_t head = block->head.load();
    const std::uint32_t epoch = block->epoch.load();
    for (std::uint32_t i = 0; i < bridge::kRingEntries; ++i) {
        bridge::RingEntry& entry = block->ring[(head + i) & bridge::kRingMask];
        entry.gap.store(kLargestGap);
        entry.epoch.store(epoch);
        entry.access.store(bridge::EncodeWrite(kElsewhere, 0x55) | bridge::LapMark(head + i));
    }
    block->head.store(head + bridge::kRingEntries);
    const Clock::time_point queued = Clock::now();

    const std::uint32_t beat = block->heartbeat.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_NE(block->heartbeat.load(), beat) << "no heartbeat while the gaps pass";
    const std::uint32_t served = block->refused.load();
    const double seconds = SecondsSince(queued);
    // The first entry is served at once (nothing was served before it), each next one a
    // time-out after the one before.
    EXPECT_GE(served, 3u) << "gaps kept longer than the time-out";
    EXPECT_LE(served, 1 + static_cast<std::uint32_t>(seconds * 1e6 / bridge::kHelperTimeout_us))
        << "gaps cut shorter than the time-out";

    helper.Signal(SIGTERM);
    const Clock::time_point stopped = Clock::now();
    const HelperRun run = helper.Wait();
    EXPECT_LT(SecondsSince(stopped), 1.0);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(ReadFile(DeviceLogPath(work.path())), "open\nclaim\nrelease\nclose\n");
    platform.UnmapBlock(block);
}

} // namespace
