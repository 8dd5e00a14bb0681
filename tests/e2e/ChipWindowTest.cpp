// The chip window of the shipped program on simulated ATmegas, used as a user uses it:
// Read a new ATmega16 and turn its JTAG off; choose a crystal on a board that has none (the
// warning, the chip that no longer answers, and a board with the crystal that brings it
// back); a full 32 KB ATmega32 read back into a file that loads and verifies; and an
// avr-gcc .eep written into the EEPROM and read back. The chip files it leaves show what
// the program really wrote; scripts/test.sh has avrdude check two of them.
#include "tests/e2e/ProgramProcess.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include "image/EepromHex.h"
#include "image/HexParser.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string Built(const std::string& name) {
    return std::string(TAMBERLO_E2E_PROGRAMS) + "\\" + name;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

class ChipWindowTest : public testing::Test {
protected:
    void SetUp() override {
        SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP", nullptr);
        ::SetEnvironmentVariableA("TAMBERLO_SIM_XTAL", nullptr);
    }

    // A session on a board with `chip` and, when given, that part on its XTAL pins.
    static std::unique_ptr<Session> SessionWith(const char* chip, const std::string& chipFile,
                                                const char* xtal = nullptr) {
        ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP", chip);
        ::SetEnvironmentVariableA("TAMBERLO_SIM_XTAL", xtal);
        return std::make_unique<Session>(chipFile);
    }
    // The chip window, opened from the main window's system menu.
    static HWND OpenChipWindow(Session& session) {
        ::PostMessageA(session.Main(), WM_SYSCOMMAND, IDM_CHIPBOX, 0);
        return session.program->WaitForWindow("Chip and Fuses");
    }
    static std::string Field(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }
    // The fuse row whose check box reads `label`.
    static int CheckBox(HWND dialog, const char* label) {
        for (int row = 0; row < IDC_FUSE_ROWS; ++row)
            if (Field(dialog, IDC_FUSE_CHECK0 + row) == label)
                return IDC_FUSE_CHECK0 + row;
        return 0;
    }
    static void Close(Session& session, HWND chipWindow) {
        ::PostMessageA(chipWindow, WM_COMMAND, IDCANCEL, 0);
        while (::IsWindow(chipWindow))
            ::Sleep(20);
        session.AnswerBoxesUntilIdle();
    }
};

// A new ATmega16 reads E1 99; unticking JTAG makes the High field D9, and Write Fuses,
// after its confirmation, writes it. The chip file is kept for avrdude to read.
TEST_F(ChipWindowTest, ReadANewAtmega16AndTurnItsJtagOff) {
    const std::string chipFile = TAMBERLO_E2E_FUSES_CHIP;
    ::DeleteFileA(chipFile.c_str());
    auto session = SessionWith("atmega16", chipFile);
    HWND chip = OpenChipWindow(*session);
    ASSERT_NE(chip, nullptr);
    PressButton(chip, IDC_CHIP_READ);
    EXPECT_TRUE(session->AnswerBoxesUntilIdle().empty());
    EXPECT_EQ(Field(chip, IDC_CHIP_NAME), "ATmega16/ATmega16A");
    EXPECT_EQ(Field(chip, IDC_CHIP_SIGNATURE), "1E 94 03");
    EXPECT_EQ(Field(chip, IDC_FUSE_LOW), "E1");
    EXPECT_EQ(Field(chip, IDC_FUSE_HIGH), "99");
    EXPECT_TRUE(Contains(WindowText(::GetDlgItem(chip, IDC_CLOCK)), "Internal RC 1 MHz"));

    const int jtag = CheckBox(chip, "JTAG");
    ASSERT_NE(jtag, 0) << "no JTAG check box";
    PressButton(chip, jtag);
    session->AnswerBoxesUntilIdle();
    EXPECT_EQ(Field(chip, IDC_FUSE_HIGH), "D9");

    const std::vector<std::string> boxes = [&] {
        PressButton(chip, IDC_WRITE_FUSES);
        return session->AnswerBoxesUntilIdle(); // OK to the confirmation, then to the result
    }();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(Contains(boxes[0], "JTAG: on -> off")) << boxes[0];
    EXPECT_FALSE(Contains(boxes[0], "Warning")) << boxes[0];
    EXPECT_EQ(boxes[1], "Fuses written: Low E1, High D9");
    Close(*session, chip);
    session.reset();
    const std::vector<unsigned char> file = ReadBytes(chipFile);
    ASSERT_EQ(file.size(), 16384u + 512u + 7u);
    EXPECT_EQ(file[16384 + 512 + 1], 0xE1) << "low fuse";
    EXPECT_EQ(file[16384 + 512 + 2], 0xD9) << "high fuse";
}

// A crystal chosen on a board without one: the confirmation warns, the write goes through,
// and the chip no longer answers; on a board with the crystal it answers again.
TEST_F(ChipWindowTest, ACrystalOnABoardWithoutOneLocksTheChipOutUntilTheBoardHasIt) {
    const std::string chipFile = TempPath("e2e-crystal.bin");
    ::DeleteFileA(chipFile.c_str());
    {
        auto session = SessionWith("atmega16", chipFile, "none");
        HWND chip = OpenChipWindow(*session);
        ASSERT_NE(chip, nullptr);
        PressButton(chip, IDC_CHIP_READ);
        EXPECT_TRUE(session->AnswerBoxesUntilIdle().empty());
        TypeInto(chip, IDC_FUSE_LOW, "ff");
        session->AnswerBoxesUntilIdle();
        EXPECT_TRUE(Contains(WindowText(::GetDlgItem(chip, IDC_CLOCK)), "Crystal 3-8 MHz"));
        PressButton(chip, IDC_WRITE_FUSES);
        const std::vector<std::string> boxes = session->AnswerBoxesUntilIdle();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_TRUE(Contains(boxes[0], "Warning: this clock needs a crystal")) << boxes[0];
        EXPECT_TRUE(Contains(boxes[0], "XTAL1 (pin 13)")) << boxes[0];
        EXPECT_EQ(boxes[1], "Fuses written: Low FF, High 99");
        Close(*session, chip);
        EXPECT_EQ(session->Press(1000),
                  std::vector<std::string>{
                      "Error! Please check your CPU, power supply and printer port."});
    }
    auto session = SessionWith("atmega16", chipFile, "crystal:8000000");
    EXPECT_TRUE(session->Press(1000).empty());
    EXPECT_EQ(session->Caption(), "Erase Ok");
}

// A full 32 KB ATmega32 by Auto, read back into a file of 16-byte records, which loads and
// verifies against the chip. The chip file is kept for avrdude to verify.
TEST_F(ChipWindowTest, AFull32KbChipReadBackLoadsAndVerifies) {
    const std::string chipFile = TAMBERLO_E2E_FULL_CHIP;
    const std::string readBack = TempPath("e2e-read-back.hex");
    ::DeleteFileA(chipFile.c_str());
    ::DeleteFileA(readBack.c_str());
    auto session = SessionWith("atmega32", chipFile);
    EXPECT_TRUE(session->OpenHexFile(Built("full-32k.hex")).empty());
    EXPECT_TRUE(session->Press(1004).empty());
    EXPECT_EQ(session->Caption(), "Verfify Ok");

    HWND chip = OpenChipWindow(*session);
    ASSERT_NE(chip, nullptr);
    const std::vector<std::string> boxes =
        session->PressWithFile(chip, IDC_READ_FLASH, "Save As", readBack);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "The flash of the ATmega32/ATmega32A was read: 32768 bytes written to " +
                            readBack + ".");
    EXPECT_EQ(Field(chip, IDC_CHIP_PROGRESS), "Read Flash Ok");
    Close(*session, chip);
    EXPECT_EQ(ReadBytes(readBack).size(), 92173u) << "16-byte records with CR LF";

    EXPECT_TRUE(session->OpenHexFile(readBack).empty());
    EXPECT_TRUE(session->Press(1003).empty());
    EXPECT_EQ(session->Caption(), "Verfify Ok");
}

// avrdude's .eep at 0x810000 written into the ATmega32's EEPROM, read back into a file
// that holds the same bytes; written again, nothing differs and nothing is written.
TEST_F(ChipWindowTest, AnEepFileIsWrittenAndReadBack) {
    const std::string chipFile = TempPath("e2e-eeprom.bin");
    const std::string readBack = TempPath("e2e-eeprom-read.hex");
    ::DeleteFileA(chipFile.c_str());
    ::DeleteFileA(readBack.c_str());
    EepromImage expected = {};
    const std::vector<unsigned char> eep = ReadBytes(Built("eeprom-atmega32-810000.eep"));
    ASSERT_EQ(ParseEepromHex(eep.data(), eep.size(), &expected).status, HexParseStatus::Ok);
    ASSERT_GT(expected.count, 16u);

    auto session = SessionWith("atmega32", chipFile);
    HWND chip = OpenChipWindow(*session);
    ASSERT_NE(chip, nullptr);
    // A new chip's EEPROM is erased: the file's 0xFF bytes are there already.
    std::uint32_t differing = 0;
    for (std::uint32_t i = 0; i < expected.end; ++i)
        differing += expected.present[i] && expected.bytes[i] != 0xFF ? 1 : 0;
    const std::string written = "EEPROM written: " + std::to_string(differing) +
                                " of the file's " + std::to_string(expected.count) +
                                " bytes differed from the ATmega32/ATmega32A's and were "
                                "written and read back.";
    EXPECT_EQ(session->PressWithFile(chip, IDC_WRITE_EEPROM, "Open",
                                     Built("eeprom-atmega32-810000.eep")),
              std::vector<std::string>{written});
    EXPECT_EQ(Field(chip, IDC_CHIP_PROGRESS), "Write EEPROM Ok");
    EXPECT_EQ(session->PressWithFile(chip, IDC_READ_EEPROM, "Save As", readBack),
              std::vector<std::string>{"The EEPROM of the ATmega32/ATmega32A was read: 1024 "
                                       "bytes written to " +
                                       readBack + "."});
    const std::vector<std::string> again =
        session->PressWithFile(chip, IDC_WRITE_EEPROM, "Open", Built("eeprom-atmega32.eep"));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(Contains(again[0], "nothing was written")) << again[0];
    Close(*session, chip);

    EepromImage chipEeprom = {};
    const std::vector<unsigned char> text = ReadBytes(readBack);
    ASSERT_EQ(ParseEepromHex(text.data(), text.size(), &chipEeprom).status, HexParseStatus::Ok);
    EXPECT_EQ(chipEeprom.count, 1024u);
    for (std::uint32_t i = 0; i < expected.end; ++i) {
        if (expected.present[i]) {
            EXPECT_EQ(chipEeprom.bytes[i], expected.bytes[i]) << "address " << i;
        }
    }
}

} // namespace
