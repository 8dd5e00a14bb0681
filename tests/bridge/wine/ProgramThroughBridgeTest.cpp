// The real tamberlo.exe in a folder laid out as the Linux archive unpacks (the program
// and the bridge inpout32.dll side by side), used from outside as a user uses it, with
// tests/bridge/with_helper.sh putting tamberlo-ppdev on the fake ppdev device and the
// simulated board behind it: Auto writes a real AVR program that the chip file then
// holds; without the helper the program says its driver is not running; a helper
// killed during Program ends the operation with that message, never with success, also
// when a new helper takes over at once; a helper stalled during Program ends it so too,
// only the release of the lines reaches the port afterwards, and the next operation
// works; a block cut short under the program makes it say so, and it goes on running;
// a second program is told that the port is in use.
#include "tests/bridge/wine/BridgeDll.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : int { kErase = 1000, kProgram = 1002, kAuto = 1004 };
const char kDriverNotRunning[] = "The printer port driver is not running.";
const char kInUse[] = "another program is using the printer port through the bridge";

// The port accesses the fake device logged after the stalled helper was continued.
std::vector<std::string> AccessesAfterTheStall() {
    std::ifstream log(WindowsPath(Environment("TAMBERLO_FAKE_PPDEV_LOG")));
    std::vector<std::string> lines;
    bool continued = false;
    for (std::string line; std::getline(log, line);) {
        if (continued)
            lines.push_back(line);
        continued = continued || line == "continued";
    }
    return lines;
}

bool SaysDriverNotRunning(const std::vector<std::string>& boxes) {
    for (const std::string& text : boxes)
        if (text.rfind(kDriverNotRunning, 0) == 0)
            return true;
    return false;
}

class ProgramThroughBridge : public testing::Test {
protected:
    void SetUp() override {
        SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    }

    // Presses a button and returns the boxes shown until the program was idle again,
    // and how long that took.
    std::vector<std::string> PressTimed(Session& session, int id, double* seconds) {
        const double start = NowSeconds();
        std::vector<std::string> boxes = session.Press(id);
        *seconds = NowSeconds() - start;
        return boxes;
    }

    // The chip file of the helper's simulated board.
    const std::string chipFile = WindowsPath(Environment("TAMBERLO_SIM_CHIP_FILE"));
};

TEST_F(ProgramThroughBridge, AutoWritesARealProgramThatTheChipThenHolds) {
    const std::vector<unsigned char> expected = ReadBytes(TAMBERLO_E2E_BIN);
    ASSERT_FALSE(expected.empty());
    Session session(chipFile);
    EXPECT_TRUE(session.OpenHexFile(TAMBERLO_E2E_HEX).empty());
    EXPECT_EQ(session.Caption(), "Load Hex File Ok");
    EXPECT_TRUE(session.Press(kAuto).empty());
    EXPECT_EQ(session.Caption(), "Verfify Ok");
    const std::vector<unsigned char> chip = ReadBytes(chipFile);
    ASSERT_EQ(chip.size(), 8705u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), chip.begin()));
    EXPECT_EQ(chip[expected.size() + 2], 0xFF) << "nothing written past the program";
}

TEST_F(ProgramThroughBridge, WithoutTheHelperTheProgramSaysItsDriverIsNotRunning) {
    Session session(chipFile);
    const std::vector<std::string> boxes = session.Press(kErase);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(kDriverNotRunning, 0), 0u) << boxes[0];
    EXPECT_NE(session.Caption(), "Erase Ok");
}

// with_helper.sh --kill-after: the helper dies with SIGKILL part-way through the flash.
TEST_F(ProgramThroughBridge, AHelperKilledDuringProgramEndsItWithAFailure) {
    Session session(chipFile);
    EXPECT_TRUE(session.OpenHexFile(TAMBERLO_E2E_HEX).empty());
    double seconds = 0;
    const std::vector<std::string> boxes = PressTimed(session, kProgram, &seconds);
    EXPECT_TRUE(SaysDriverNotRunning(boxes)) << (boxes.empty() ? "no message" : boxes[0]);
    EXPECT_NE(session.Caption(), "Program Flash Ok");
    EXPECT_LT(seconds, 60) << "the program waited on the dead helper";

    EXPECT_TRUE(SaysDriverNotRunning(PressTimed(session, kErase, &seconds)));
    EXPECT_LT(seconds, 5) << "the closed bridge makes the next operation fail at once";
}

// with_helper.sh --kill-after --restart: a new helper serves within a few milliseconds
// of the first one's death. The writes queued to the dead one are lost: the operation
// fails all the same, and the next one is served by the new helper.
TEST_F(ProgramThroughBridge, AHelperReplacedDuringProgramEndsItWithAFailure) {
    Session session(chipFile);
    EXPECT_TRUE(session.OpenHexFile(TAMBERLO_E2E_HEX).empty());
    const std::vector<std::string> boxes = session.Press(kProgram);
    EXPECT_TRUE(SaysDriverNotRunning(boxes)) << (boxes.empty() ? "no message" : boxes[0]);
    EXPECT_NE(session.Caption(), "Program Flash Ok");
    EXPECT_TRUE(session.Press(kAuto).empty());
    EXPECT_EQ(session.Caption(), "Verfify Ok");
}

// with_helper.sh --stop-at: the helper stops part-way through the flash and is continued
// only after the program has shown its message.
TEST_F(ProgramThroughBridge, AHelperStalledDuringProgramEndsItAndOnlyTheReleaseArrivesLater) {
    Session session(chipFile);
    EXPECT_TRUE(session.OpenHexFile(TAMBERLO_E2E_HEX).empty());
    const std::vector<std::string> boxes = session.Press(kProgram);
    EXPECT_TRUE(SaysDriverNotRunning(boxes)) << (boxes.empty() ? "no message" : boxes[0]);
    EXPECT_NE(session.Caption(), "Program Flash Ok");

    std::ofstream(WindowsPath(Environment("TAMBERLO_BRIDGE_TEST_DIR") + "/continue-helper"));
    std::vector<std::string> lines;
    for (int i = 0; i < 100 && lines.size() < 3; ++i) {
        ::Sleep(50);
        lines = AccessesAfterTheStall();
    }
    ::Sleep(300); // anything more would come now
    lines = AccessesAfterTheStall();
    // The release: SCK high, MOSI high, RESET high; nothing of the abandoned flash. (MOSI
    // is nStrobe, which the port inverts: high is a 0 in the register.)
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("write data 0x", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("write control 0x", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("write data 0x", 0), 0u) << lines[2];
    EXPECT_EQ(std::stoi(lines[1].substr(16), nullptr, 16) & 0x01, 0x00) << "MOSI high";
    EXPECT_EQ(std::stoi(lines[2].substr(13), nullptr, 16) & 0x03, 0x03) << "SCK and RESET high";

    EXPECT_TRUE(session.Press(kAuto).empty());
    EXPECT_EQ(session.Caption(), "Verfify Ok");
    const std::vector<unsigned char> expected = ReadBytes(TAMBERLO_E2E_BIN);
    const std::vector<unsigned char> chip = ReadBytes(chipFile);
    ASSERT_GE(chip.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), chip.begin()));
}

// with_helper.sh --cut-block: the block is cut to nothing (as `: > file` does) between two
// operations, under the program's mapping of it. The helper ends; the program does not
// crash on the block that is gone, and says that its driver is not running.
TEST_F(ProgramThroughBridge, ABlockCutShortMakesTheProgramSayItsDriverIsNotRunning) {
    Session session(chipFile);
    EXPECT_TRUE(session.Press(kErase).empty());
    EXPECT_EQ(session.Caption(), "Erase Ok");
    const std::string dir = Environment("TAMBERLO_BRIDGE_TEST_DIR");
    std::ofstream(WindowsPath(dir + "/cut-block"));
    const std::string cut = WindowsPath(dir + "/block-cut");
    for (int i = 0; i < 200 && ::GetFileAttributesA(cut.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(50);
    ::Sleep(300); // the DLL's claim beat touches the block meanwhile
    for (int press = 0; press < 2; ++press) {
        const std::vector<std::string> boxes = session.Press(kErase);
        EXPECT_TRUE(SaysDriverNotRunning(boxes)) << (boxes.empty() ? "no message" : boxes[0]);
        EXPECT_FALSE(session.program->WaitForExit(0)) << "the program ended";
    }
}

// This test program holds the bridge (as another tamberlo would) while tamberlo.exe tries.
TEST_F(ProgramThroughBridge, ASecondProgramIsToldThatThePortIsInUse) {
    ASSERT_TRUE(Bridge().IsInpOutDriverOpen());
    Session session(chipFile);
    const std::vector<std::string> boxes = session.Press(kErase);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(kInUse), std::string::npos) << boxes[0];
    EXPECT_NE(session.Caption(), "Erase Ok");
}

} // namespace
