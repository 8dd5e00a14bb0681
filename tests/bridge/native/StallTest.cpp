// A helper that stalls or is replaced in the middle of the program's accesses: nothing
// the program gave up on reaches the port later, the program hears of the failure before
// the bridge opens again, and the release of its lines still arrives. The fake device
// stops the helper (SIGSTOP) right after a chosen access and logs each access done after
// the SIGCONT that continues it. The clients read the port itself, not what they wrote.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace {

constexpr const char kFakeDevice[] = "/dev/tamberlo-parport0";
constexpr std::uint16_t kData = 0x378, kControl = 0x37A;

std::string LogAfterContinue(const std::string& workDir) {
    const std::string log = ReadFile(DeviceLogPath(workDir));
    const std::size_t at = log.find("continued\n");
    return at == std::string::npos ? "(not continued)" : log.substr(at + 10);
}

bool WaitUntilStopped(const std::string& workDir) {
    for (int i = 0; i < 1000; ++i) {
        if (ReadFile(DeviceLogPath(workDir)).find("stopped\n") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool OpensWithin(bridge::PortClient& client, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!client.IsOpen())
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

// Each round writes data and control and reads data back: three accesses. The helper
// stops right after the data write of round 10 (access 28), with the control write and
// the read of that round queued behind it.
TEST(StalledHelper, WhatTheProgramGaveUpOnNeverReachesThePortButItsReleaseDoes) {
    WorkDir work;
    HelperProcess helper(work.path(), {kFakeDevice}, {"TAMBERLO_FAKE_PPDEV_STOP_AT=28"});
    ASSERT_TRUE(helper.WaitUntilServing());
    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient client(platform, bridge::ReadBack::FromPort);
    ASSERT_TRUE(client.IsOpen());
    int round = 1;
    for (; round <= 10; ++round) {
        client.Write(kData, static_cast<std::uint8_t>(round));
        client.Write(kControl, 0x04);
        if (client.Read(kData) != round)
            break;
    }
    EXPECT_EQ(round, 10) << "the read queued behind the stop is not answered";
    ASSERT_TRUE(WaitUntilStopped(work.path()));
    client.Write(kControl, 0x05); // the operation goes on a little: dropped
    client.Write(kData, 0x7F);
    EXPECT_EQ(client.Read(kData), 0xFF);
    EXPECT_FALSE(client.IsOpen()) << "the program is told";
    // The program releases its lines: SCK and RESET high. A read answers with the
    // byte last written.
    client.Write(kData, static_cast<std::uint8_t>(client.Read(kData) | 0x03));
    EXPECT_FALSE(client.IsOpen()) << "the helper is still stopped";

    helper.Signal(SIGCONT);
    ASSERT_TRUE(OpensWithin(client, std::chrono::seconds(5))) << "the same helper is taken up";
    EXPECT_EQ(client.Read(kData), 0x7F);
    EXPECT_EQ(LogAfterContinue(work.path()), "write data 0x7F\nread data\n");
    helper.Signal(SIGTERM);
    const HelperRun run = helper.Wait();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.stderrText.find("dropped 2 accesses the program had given up on"),
              std::string::npos)
        << run.stderrText;
}

// SIGTERM while writes wait in the ring: they reach the port before the helper releases it.
TEST(StalledHelper, OnSigtermTheQueuedWritesAreServedFirst) {
    WorkDir work;
    HelperProcess helper(work.path(), {kFakeDevice}, {"TAMBERLO_FAKE_PPDEV_STOP_AT=1"});
    ASSERT_TRUE(helper.WaitUntilServing());
    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient client(platform, bridge::ReadBack::FromPort);
    ASSERT_TRUE(client.IsOpen());
    client.Write(kData, 0x00);
    ASSERT_TRUE(WaitUntilStopped(work.path()));
    std::string expected;
    for (int value = 1; value <= 200; ++value) {
        client.Write(kData, static_cast<std::uint8_t>(value));
        char line[32];
        std::snprintf(line, sizeof line, "write data 0x%02X\n", value);
        expected += line;
    }
    helper.Signal(SIGTERM);
    helper.Signal(SIGCONT);
    EXPECT_EQ(helper.Wait().exitCode, 0);
    EXPECT_EQ(LogAfterContinue(work.path()), expected + "release\nclose\n");
}

// A helper killed and replaced while accesses wait unserved: the operation fails (the
// program hears of it once), and the new helper serves the next one.
TEST(ReplacedHelper, MidOperationTheOperationFailsAndTheNextOneWorks) {
    WorkDir work;
    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient client(platform, bridge::ReadBack::FromPort);
    {
        HelperProcess first(work.path(), {kFakeDevice});
        ASSERT_TRUE(first.WaitUntilServing());
        ASSERT_TRUE(client.IsOpen());
        first.Signal(SIGKILL);
        first.Wait();
    }
    HelperProcess second(work.path(), {kFakeDevice});
    ASSERT_TRUE(second.WaitUntilServing());
    client.Write(kData, 0x42); // into the dead helper's ring
    EXPECT_EQ(client.Read(kData), 0xFF);
    EXPECT_FALSE(client.IsOpen()) << "the lost write must fail the operation";
    EXPECT_TRUE(client.IsOpen()) << "the next operation takes the new helper";
    client.Write(kData, 0x24);
    EXPECT_EQ(client.Read(kData), 0x24);
}

// Replaced while the program was idle, with every access served: nothing was lost, and
// the next operation simply uses the new helper.
TEST(ReplacedHelper, WhileIdleTheNextOperationUsesTheNewHelper) {
    WorkDir work;
    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient client(platform, bridge::ReadBack::FromPort);
    {
        HelperProcess first(work.path(), {kFakeDevice});
        ASSERT_TRUE(first.WaitUntilServing());
        ASSERT_TRUE(client.IsOpen());
        client.Write(kData, 0x11);
        EXPECT_EQ(client.Read(kData), 0x11);
        first.Signal(SIGTERM);
        EXPECT_EQ(first.Wait().exitCode, 0);
    }
    HelperProcess second(work.path(), {kFakeDevice});
    ASSERT_TRUE(second.WaitUntilServing());
    EXPECT_TRUE(client.IsOpen());
    client.Write(kData, 0x22);
    EXPECT_EQ(client.Read(kData), 0x22);
}

} // namespace
