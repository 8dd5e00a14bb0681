// The simulated tamberlo.exe used from outside exactly as a user uses it: first run,
// a real HEX file built for the AT90S8535, Auto, Verify against a changed chip, lock
// bits, erase and blank check, a broken file, no chip, the wrong port, and a restart.
// Afterwards the chip file shows what the program really wrote.
#include "tests/e2e/ProgramProcess.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : int {
    kErase = 1000, kBlank = 1001, kProgram = 1002, kVerify = 1003, kAuto = 1004, kLock2 = 1007,
    kLockBit = 1006, kLpt1 = 1008, kLpt2 = 1009, kOpenHex = 1011, kDelayBit = 1012,
    kDelayByte = 1013, kProgress = 1014
};
const char kNoAnswer[] = "Error! Please check your CPU, power supply and printer port.";

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// One run of the program against a simulated board of this test's own.
class Session {
public:
    explicit Session(const std::string& chipFile, const char* fault = "none", int lpt = 1) {
        ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP_FILE", chipFile.c_str());
        ::SetEnvironmentVariableA("TAMBERLO_SIM_FAULT", fault);
        ::SetEnvironmentVariableA("TAMBERLO_SIM_LPT", std::to_string(lpt).c_str());
        program = std::make_unique<ProgramProcess>();
    }
    ~Session() {
        if (main != nullptr)
            ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        program->WaitForExit(20000);
    }

    HWND Main() {
        if (main == nullptr)
            main = program->WaitForWindow("tamberlo");
        return main;
    }

    // Presses a button and waits until the program is idle again, answering each message
    // box it shows on the way with OK; returns the texts of those boxes.
    std::vector<std::string> Press(int id) {
        PressButton(Main(), id);
        return AnswerBoxesUntilIdle();
    }

    std::vector<std::string> AnswerBoxesUntilIdle() {
        std::vector<std::string> texts;
        for (;;) {
            if (HWND box = program->WaitForMessageBox(0)) {
                texts.push_back(MessageBoxText(box));
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (::IsWindow(box))
                    ::Sleep(20);
                continue;
            }
            DWORD_PTR ignored = 0;
            // The window answers once its thread is back in a message loop: idle, or a box.
            if (::SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored) &&
                program->WaitForMessageBox(100) == nullptr)
                return texts;
        }
    }

    std::string Caption() { return WindowText(::GetDlgItem(Main(), kProgress)); }

    // Opens `path` through the program's Open dialog, as a user types it and presses Open.
    std::vector<std::string> OpenHexFile(const std::string& path) {
        PressButton(Main(), kOpenHex);
        HWND open = program->WaitForWindow("Open");
        EXPECT_NE(open, nullptr);
        HWND name = ::GetDlgItem(open, 0x47C);
        if (name == nullptr)
            name = ::GetDlgItem(open, 0x480);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                              SMTO_NORMAL, 10000, &ignored);
        ::PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        while (::IsWindow(open))
            ::Sleep(20);
        return AnswerBoxesUntilIdle();
    }

    std::unique_ptr<ProgramProcess> program;
    HWND main = nullptr;
};

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
    EXPECT_EQ(SettingsFile::Contents(), "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
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
    EXPECT_EQ(::SendMessageA(::GetDlgItem(session.Main(), kLpt1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}
