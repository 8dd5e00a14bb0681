// The simulated tamberlo.exe used from outside exactly as a user uses it: first run,
// a real HEX file built for the AT90S8535, Auto, Verify against a changed chip, lock
// bits, erase and blank check, a broken file, no chip, the wrong port, and a restart.
// Afterwards the chip file shows what the program really wrote.
#include "tests/e2e/ProgramProcess.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : int {
    kErase = 1000,
    kBlank = 1001,
    kProgram = 1002,
    kVerify = 1003,
    kAuto = 1004,
    kLock2 = 1007,
    kLockBit = 1006,
    kLpt1 = 1008,
    kLpt2 = 1009,
    kDelayBit = 1012,
    kDelayByte = 1013
};
const char kNoAnswer[] = "Error! Please check your CPU, power supply and printer port.";

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class UserFlowTest : public testing::Test {
protected:
    void SetUp() override {
        SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
        chipFile = TempPath("e2e-chip.bin");
        ::DeleteFileA(chipFile.c_str());
    }

    // The flash part of the chip file.
    std::vector<unsigned char> Flash() {
        std::vector<unsigned char> chip = ReadBytes(chipFile);
        EXPECT_EQ(chip.size(), 8705u);
        chip.resize(8192);
        return chip;
    }

    std::string chipFile;
    const std::string hexFile = TAMBERLO_E2E_HEX;
    const std::string binFile = TAMBERLO_E2E_BIN;
};

} // namespace

TEST_F(UserFlowTest, FirstRunAsksForAPortAndTheChoiceIsStored) {
    SettingsFile::Remove();
    Session session(chipFile);
    HWND notice = session.program->WaitForWindow("First Run TAMBERLO");
    ASSERT_NE(notice, nullptr);
    PressButton(notice, IDOK);
    ASSERT_NE(session.Main(), nullptr);
    EXPECT_EQ(SettingsFile::Contents(), "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n");
    session.Press(kLpt1);
    EXPECT_EQ(SettingsFile::Contents(),
              "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
}

TEST_F(UserFlowTest, AutoProgramsARealProgramAndVerifyCatchesChangesAndLocks) {
    const std::vector<unsigned char> expected = ReadBytes(binFile);
    ASSERT_FALSE(expected.empty());
    {
        Session session(chipFile);
        EXPECT_TRUE(session.OpenHexFile(hexFile).empty());
        EXPECT_EQ(session.Caption(), "Load Hex File Ok");
        EXPECT_TRUE(session.Press(kAuto).empty());
        EXPECT_EQ(session.Caption(), "Verfify Ok");
        const std::vector<unsigned char> flash = Flash();
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), flash.begin()));

        std::vector<unsigned char> chip = ReadBytes(chipFile);
        chip[expected.size() / 2] ^= 0x01;
        WriteBytes(chipFile, chip);
        EXPECT_EQ(session.Press(kVerify), std::vector<std::string>{"Verify Error"});

        EXPECT_TRUE(session.Press(kAuto).empty());
        EXPECT_EQ(session.Caption(), "Verfify Ok");
        PressButton(session.Main(), kLock2);
        EXPECT_TRUE(session.Press(kLockBit).empty());
        EXPECT_EQ(session.Caption(), "Lock 2 Bit Ok");
        EXPECT_EQ(session.Press(kVerify), std::vector<std::string>{"Verify Error"});

        EXPECT_TRUE(session.Press(kErase).empty());
        EXPECT_EQ(session.Caption(), "Erase Ok");
        EXPECT_TRUE(session.Press(kBlank).empty());
        EXPECT_EQ(session.Caption(), "Blank Ok");
    }
    EXPECT_EQ(Flash(), std::vector<unsigned char>(8192, 0xFF));
}

TEST_F(UserFlowTest, ABrokenFileIsReportedAndProgramThenRefuses) {
    const std::string broken = TempPath("e2e-broken.hex");
    std::ofstream(broken, std::ios::binary) << ":0400000001020304F3\r\n:00000001FF\r\n";
    Session session(chipFile);
    EXPECT_EQ(session.OpenHexFile(broken), std::vector<std::string>{"Check sum error"});
    EXPECT_EQ(session.Press(kProgram),
              std::vector<std::string>{"Please open a Hex File before writing memory."});
}

TEST_F(UserFlowTest, NoChipOnTheCableGivesExactlyOneErrorFromAuto) {
    Session session(chipFile, "nochip");
    session.OpenHexFile(hexFile);
    EXPECT_EQ(session.Press(kAuto), std::vector<std::string>{kNoAnswer});
}

TEST_F(UserFlowTest, TheWrongPortFailsTheHandshake) {
    Session session(chipFile, "none", 1);
    session.Press(kLpt2);
    EXPECT_EQ(session.Press(kErase), std::vector<std::string>{kNoAnswer});
    session.Press(kLpt1);
    EXPECT_TRUE(session.Press(kErase).empty());
    EXPECT_EQ(session.Caption(), "Erase Ok");
}

TEST_F(UserFlowTest, PortAndDelaysSurviveARestart) {
    {
        Session session(chipFile);
        session.Press(kLpt2);
        TypeInto(session.Main(), kDelayBit, "3");
        TypeInto(session.Main(), kDelayByte, "7");
        session.AnswerBoxesUntilIdle();
    }
    Session session(chipFile);
    EXPECT_EQ(WindowText(::GetDlgItem(session.Main(), kDelayBit)), "3");
    EXPECT_EQ(WindowText(::GetDlgItem(session.Main(), kDelayByte)), "7");
    EXPECT_EQ(::SendMessageA(::GetDlgItem(session.Main(), kLpt2), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageA(::GetDlgItem(session.Main(), kLpt1), BM_GETCHECK, 0, 0),
              BST_UNCHECKED);
}
