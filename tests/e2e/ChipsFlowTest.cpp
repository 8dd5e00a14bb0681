// The shipped program on boards with the chips that fit the AT90S8535's socket, used as a
// user uses it: Auto of a real avr-gcc program on the ATmega8535 and the ATmega32 (written
// by pages), the refusal of an ATmega644, and an 8 KB image for an AT90S4434. The chip
// file shows what the program really wrote.
#include "tests/e2e/ProgramProcess.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : int { kErase = 1000, kBlank = 1001, kVerify = 1003, kAuto = 1004 };

std::string Program(const std::string& name) {
    return std::string(TAMBERLO_E2E_PROGRAMS) + "\\" + name;
}

class ChipsFlowTest : public testing::Test {
protected:
    void SetUp() override {
        SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
        chipFile = TempPath("e2e-chips.bin");
        ::DeleteFileA(chipFile.c_str());
    }
    void TearDown() override { ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP", nullptr); }

    // A session on a board that carries `chip` (a TAMBERLO_SIM_CHIP value).
    std::unique_ptr<Session> SessionWith(const char* chip) {
        ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP", chip);
        return std::make_unique<Session>(chipFile);
    }

    // Auto of the program built for `mcu`, then a blank check that must find it there.
    void ProgramsARealProgram(const char* chip, const char* mcu, std::size_t chipFileBytes) {
        const std::vector<unsigned char> expected =
            ReadBytes(Program(std::string("pages-") + mcu + ".bin"));
        ASSERT_GT(expected.size(), 256u) << "more than a few flash pages";
        {
            auto session = SessionWith(chip);
            EXPECT_TRUE(
                session->OpenHexFile(Program(std::string("pages-") + mcu + ".hex")).empty());
            EXPECT_TRUE(session->Press(kAuto).empty());
            EXPECT_EQ(session->Caption(), "Verfify Ok");
            EXPECT_EQ(session->Press(kBlank), std::vector<std::string>{"Not Blank"});
        }
        const std::vector<unsigned char> written = ReadBytes(chipFile);
        ASSERT_EQ(written.size(), chipFileBytes);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.begin()));
        EXPECT_EQ(written[expected.size() + 1], 0xFF) << "nothing written past the program";
    }

    std::string chipFile;
};

// The chip file is kept for avrdude to verify against the same program.
TEST_F(ChipsFlowTest, Atmega8535IsWrittenByPages) {
    ProgramsARealProgram("atmega8535", "atmega8535", 8192 + 512 + 7);
    ::CopyFileA(chipFile.c_str(), TAMBERLO_E2E_KEPT_CHIP, FALSE);
}

TEST_F(ChipsFlowTest, Atmega32IsWrittenByPages) {
    ProgramsARealProgram("atmega32", "atmega32", 32768 + 1024 + 7);
}

TEST_F(ChipsFlowTest, AnAtmega644IsNamedAndLeftAlone) {
    auto session = SessionWith("atmega644");
    session->OpenHexFile(TAMBERLO_E2E_HEX);
    for (int button : {kErase, kAuto, kVerify}) {
        const std::vector<std::string> boxes = session->Press(button);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].rfind("The chip on the cable is an ATmega644/ATmega644A (signature "
                                 "1E 96 09), which this program does not program.",
                                 0),
                  0u)
            << boxes[0];
    }
    EXPECT_EQ(session->Caption(), "Load Hex File Ok") << "no step began";
}

TEST_F(ChipsFlowTest, An8KImageIsRefusedForTheAt90s4434BeforeTheErase) {
    const std::string hex = TempPath("e2e-8k.hex");
    {
        std::ofstream file(hex, std::ios::binary);
        for (unsigned address = 0; address < 8192; address += 16) {
            char record[64];
            unsigned sum = 16 + (address >> 8) + (address & 0xFF);
            int at = std::snprintf(record, sizeof record, ":10%04X00", address);
            for (unsigned i = 0; i < 16; ++i) {
                const unsigned byte = (address + i) & 0xFF;
                sum += byte;
                at += std::snprintf(record + at, sizeof record - at, "%02X", byte);
            }
            std::snprintf(record + at, sizeof record - at, "%02X\r\n",
                          (0x100 - sum % 0x100) % 0x100);
            file << record;
        }
        file << ":00000001FF\r\n";
    }
    auto session = SessionWith("at90s4434");
    EXPECT_TRUE(session->OpenHexFile(hex).empty());
    EXPECT_EQ(session->Press(kAuto),
              std::vector<std::string>{
                  "The loaded file holds 8192 bytes of program, more than the 4096 bytes of "
                  "flash of the AT90S4434 on the cable.\nNothing was written. Load a program "
                  "built for the AT90S4434."});
    EXPECT_EQ(session->Caption(), "Load Hex File Ok") << "Auto stopped before its erase";
    ::DeleteFileA(hex.c_str());
}

} // namespace
