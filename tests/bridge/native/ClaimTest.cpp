// One program per shared block: a second program is turned away with a reason of its
// own while the first one lives (also while it is idle, kept by its beat), and gets the
// block once the first gives it back or its claim lapses; a program that lost its
// claim that way no longer reaches the port. (The clients read the port itself, not
// what they wrote.)
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr const char kFakeDevice[] = "/dev/tamberlo-parport0";
constexpr std::uint16_t kData = 0x378;

// A program's client with the DLL's beat thread beside it.
class Program {
public:
    explicit Program(const std::string& blockPath)
        : m_platform(blockPath), m_client(m_platform, bridge::ReadBack::FromPort), m_beat([this] {
              while (!m_done) {
                  std::this_thread::sleep_for(
                      std::chrono::milliseconds(bridge::kClaimBeatInterval_ms));
                  m_client.BeatClaim();
              }
          }) {}
    ~Program() {
        m_done = true;
        m_beat.join();
    }
    bridge::PortClient& client() { return m_client; }

private:
    PosixPlatform m_platform;
    bridge::PortClient m_client;
    std::atomic<bool> m_done{false};
    std::thread m_beat;
};

TEST(OneProgramPerBlock, ASecondProgramIsTurnedAwayWhileTheFirstLivesEvenIdle) {
    WorkDir work;
    HelperProcess helper(work.path(), {kFakeDevice});
    ASSERT_TRUE(helper.WaitUntilServing());
    auto first = std::make_unique<Program>(BlockPath(work.path()));
    ASSERT_TRUE(first->client().IsOpen());
    std::this_thread::sleep_for(std::chrono::microseconds(2 * bridge::kClaimLapse_us));

    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient second(platform, bridge::ReadBack::FromPort);
    for (int round = 0; round < 20; ++round) {
        first->client().Write(kData, static_cast<std::uint8_t>(round));
        EXPECT_FALSE(second.IsOpen());
        EXPECT_TRUE(second.InUseByAnotherProgram());
        second.Write(kData, 0xEE);
        EXPECT_EQ(second.Read(kData), 0xFF);
        ASSERT_TRUE(first->client().IsOpen());
        EXPECT_EQ(first->client().Read(kData), round) << "the second program reached the port";
    }

    first.reset(); // the program ends and gives its claim back
    EXPECT_TRUE(second.IsOpen());
    EXPECT_FALSE(second.InUseByAnotherProgram());
    second.Write(kData, 0x5A);
    EXPECT_EQ(second.Read(kData), 0x5A);
}

// The first program stops beating (it was killed, or is stopped for longer than the
// lapse): the second one takes the block over, and the first is out.
TEST(OneProgramPerBlock, ALapsedClaimIsTakenOverAndItsOldHolderIsOut) {
    WorkDir work;
    HelperProcess helper(work.path(), {kFakeDevice});
    ASSERT_TRUE(helper.WaitUntilServing());
    PosixPlatform firstPlatform(BlockPath(work.path()));
    bridge::PortClient first(firstPlatform, bridge::ReadBack::FromPort);
    ASSERT_TRUE(first.IsOpen());
    first.Write(kData, 0x11);
    ASSERT_EQ(first.Read(kData), 0x11);

    Program second(BlockPath(work.path()));
    ASSERT_TRUE(second.client().IsOpen());
    second.client().Write(kData, 0x22);

    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(first.InUseByAnotherProgram());
    first.Write(kData, 0x33);
    EXPECT_EQ(first.Read(kData), 0xFF);
    EXPECT_EQ(second.client().Read(kData), 0x22);
}

} // namespace
