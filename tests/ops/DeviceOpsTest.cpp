// The device operations as a class on the simulated board, with no window: the outcome
// of each, the steps it reports, what it tells while the chip is still held, and that an
// operation that cannot start leaves the port alone.
#include "tests/ops/DeviceOpsFixture.h"

#include <functional>

namespace {

TEST_F(DeviceOpsTest, AutoProgramsTheImageStepByStep) {
    const std::vector<unsigned char> bytes = TestImage(300);
    Load(bytes);
    EXPECT_EQ(ops.Auto().outcome, Outcome::Ok);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), board.Chip().flash().begin()));
    const std::vector<std::string> expected = {"begin Erase 0..1",          "done Erase",
                                               "begin BlankCheck 0..4096",  "done BlankCheck",
                                               "begin ProgramFlash 0..299", "done ProgramFlash",
                                               "begin VerifyFlash 0..300",  "done VerifyFlash"};
    EXPECT_EQ(steps.events, expected);
    EXPECT_EQ(steps.steps, 1 + 4096 + 300 + 300);
    EXPECT_EQ(steps.lastPercent, 99) << "byte 299 over the single-precision hundredth of 299";
    EXPECT_EQ(opening.selections, 5) << "Auto's own opening and one per step";
    EXPECT_TRUE(told.told.empty());
    EXPECT_TRUE(Released());
}

class StuckWordTest : public DeviceOpsTest {
protected:
    StuckWordTest() : DeviceOpsTest(StuckFlashByte(7, 0x00)) {} // high byte of word 3
};

TEST_F(StuckWordTest, NotBlankIsToldWhileTheChipIsHeldThenReleased) {
    EXPECT_EQ(ops.BlankCheck().outcome, Outcome::NotBlank);
    EXPECT_EQ(told.told, std::vector<Outcome>{Outcome::NotBlank});
    EXPECT_TRUE(told.heldWhileTold);
    EXPECT_TRUE(Released());
    EXPECT_EQ(steps.steps, 3) << "words 0 to 2";
    EXPECT_EQ(steps.events, std::vector<std::string>{"begin BlankCheck 0..4096"});
}

TEST_F(StuckWordTest, VerifyErrorIsToldWhileTheChipIsHeldThenReleased) {
    Load(std::vector<unsigned char>(16, 0xFF));
    EXPECT_EQ(ops.Verify().outcome, Outcome::VerifyError);
    EXPECT_EQ(told.told, std::vector<Outcome>{Outcome::VerifyError});
    EXPECT_TRUE(told.heldWhileTold);
    EXPECT_TRUE(Released());
    EXPECT_EQ(steps.steps, 7) << "bytes 0 to 6";
}

class NoChipTest : public DeviceOpsTest {
protected:
    NoChipTest() : DeviceOpsTest(BoardWith(sim::BoardFault::NoChip)) {}
};

// Each operation, as the buttons start them.
std::vector<std::function<Outcome(CDeviceOps&)>> AllOperations() {
    return {[](CDeviceOps& ops) { return ops.Erase().outcome; },
            [](CDeviceOps& ops) { return ops.BlankCheck().outcome; },
            [](CDeviceOps& ops) { return ops.Program().outcome; },
            [](CDeviceOps& ops) { return ops.Verify().outcome; },
            [](CDeviceOps& ops) { return ops.Auto().outcome; },
            [](CDeviceOps& ops) { return ops.LockBit(LockChoice::Lock1).outcome; }};
}

TEST_F(NoChipTest, EveryOperationEndsWithNoAnswerAndReleasesTheChip) {
    Load(TestImage(8));
    for (const auto& operation : AllOperations()) {
        board.Board().Out(0x378, 0x00); // SCK and RESET low, as a held chip has them
        EXPECT_EQ(operation(ops), Outcome::NoAnswer);
        EXPECT_TRUE(Released());
    }
    EXPECT_TRUE(told.told.empty()) << "the window tells it, once, from the outcome";
    EXPECT_TRUE(steps.events.empty());
}

TEST_F(DeviceOpsTest, NothingLoadedIsRefusedBeforeTheOpening) {
    EXPECT_EQ(ops.Program().outcome, Outcome::NothingLoaded);
    EXPECT_EQ(ops.Verify().outcome, Outcome::NothingLoaded);
    EXPECT_EQ(ops.Auto().outcome, Outcome::NothingLoaded);
    EXPECT_EQ(opening.selections, 0);
    EXPECT_EQ(TestPort::Accesses(), 0u);
}

TEST_F(DeviceOpsTest, NoPortChosenLeavesThePortAlone) {
    opening.portChosen = false;
    Load(TestImage(8));
    for (const auto& operation : AllOperations())
        EXPECT_EQ(operation(ops), Outcome::NotOpened);
    EXPECT_EQ(TestPort::Accesses(), 0u);
    EXPECT_TRUE(board.Waits().Waits().empty());
}

TEST_F(DeviceOpsTest, LockBitWithoutAChoiceReleasesAfterTheHandshake) {
    EXPECT_EQ(ops.LockBit(LockChoice::None).outcome, Outcome::NoLockChosen);
    EXPECT_TRUE(Released());
    EXPECT_EQ(board.Chip().counters().instructionsExecuted, 4u)
        << "Programming Enable and the three signature reads only";
    EXPECT_TRUE(steps.events.empty());
}

TEST_F(DeviceOpsTest, LockBit2WritesBothLockBits) {
    EXPECT_EQ(ops.LockBit(LockChoice::Lock2).outcome, Outcome::Ok);
    const std::vector<std::string> expected = {"begin Lock2Bit 0..1", "done Lock2Bit"};
    EXPECT_EQ(steps.events, expected);
    EXPECT_EQ(board.Chip().lockFuseByte() & 0xC0, 0x00) << "LB1 and LB2 programmed";
    EXPECT_TRUE(Released());
}

// The tests' driver, saying from a cue on that its kernel driver has stopped while its
// accesses still reach the board, so that the chip shows whatever is sent after the cue.
bool g_driverStopped = false;
BOOL WINAPI OpenUntilCue() {
    return g_driverStopped ? FALSE : TRUE;
}
const InpOutCalls kStopsOnCue = {TestPort::Driver().inp32, TestPort::Driver().out32, &OpenUntilCue};

class DriverStopsAtLockTest : public DeviceOpsTest {
protected:
    DriverStopsAtLockTest() : DeviceOpsTest(sim::BoardSettings{}, kStopsOnCue) {
        g_driverStopped = false;
    }
    ~DriverStopsAtLockTest() override { g_driverStopped = false; }
};

// Lock Bit opens the chip, then takes it into programming mode once more for the lock write.
// A port that fails during that second reset pulse ends the operation there: the chip sees
// no second Programming Enable, and no lock instruction.
TEST_F(DriverStopsAtLockTest, NoHandshakeFollowsAResetPulseOnAPortThatStopped) {
    int waits = 0;
    board.OnWait([&](DWORD) {
        if (++waits == 5) // the first wait of the second reset pulse
            g_driverStopped = true;
    });
    const OperationResult result = ops.LockBit(LockChoice::Lock1);
    EXPECT_EQ(result.outcome, Outcome::PortUnusable);
    EXPECT_EQ(result.port, PortProblem::DriverNotRunning);
    EXPECT_EQ(board.Chip().counters().instructionsExecuted, 4u)
        << "Programming Enable and the three signature reads of the first opening only";
    EXPECT_EQ(board.Chip().lockFuseByte() & 0xC0, 0xC0) << "no lock bit programmed";
}

} // namespace
