// Each programmed chip's facts as its datasheet gives them: EEPROM size, what it has
// beside its flash, and the waits after EEPROM and fuse writes in whole milliseconds
// per unit of Delay Byte. Refused chips have none.
#include <gtest/gtest.h>

#include <cstring>

#include "ops/ChipFacts.h"
#include "ops/Chips.h"
#include "ops/FuseLayout.h"

namespace {

TEST(ChipFacts, EachProgrammedChipHasItsDatasheetFacts) {
    struct Case {
        const char* name;
        std::uint32_t eepromBytes;
        std::uint32_t eepromWait_ms; // at Delay Byte 1
        std::uint32_t fuseWait_ms;   // fuse bytes, or FSTRT
        bool fuses, calibration, fstrt, bootLock;
        const FuseLayout* layout;
    };
    const Case cases[] = {
        {"AT90S8535", 512, 4, 9, false, false, true, false, nullptr},
        {"AT90S4434", 256, 4, 9, false, false, true, false, nullptr},
        {"ATmega8535", 512, 9, 5, true, true, false, true, &kAtmega8535Fuses},
        {"ATmega16/ATmega16A", 512, 9, 5, true, true, false, true, &kAtmega16Fuses},
        {"ATmega32/ATmega32A", 1024, 9, 5, true, true, false, true, &kAtmega32Fuses},
    };
    std::size_t programmed = 0;
    for (std::size_t i = 0; i < kChipCount; ++i) {
        programmed += kChips[i].programmed ? 1 : 0;
        EXPECT_EQ(kChips[i].facts != nullptr, kChips[i].programmed) << kChips[i].name;
    }
    EXPECT_EQ(programmed, sizeof cases / sizeof cases[0]);
    for (const Case& c : cases) {
        const ChipInfo* chip = nullptr;
        for (std::size_t i = 0; i < kChipCount; ++i) {
            chip = std::strcmp(kChips[i].name, c.name) == 0 ? &kChips[i] : chip;
        }
        ASSERT_NE(chip, nullptr) << c.name;
        ASSERT_NE(chip->facts, nullptr) << c.name;
        const ChipFacts& facts = *chip->facts;
        EXPECT_EQ(facts.eepromBytes, c.eepromBytes) << c.name;
        EXPECT_EQ(WaitMs(facts.eepromWriteWait_us, 1), c.eepromWait_ms) << c.name;
        EXPECT_EQ(WaitMs(facts.eepromWriteWait_us, 10), c.eepromWait_ms * 10) << c.name;
        EXPECT_EQ(WaitMs(facts.fuseWriteWait_us, 1), c.fuseWait_ms) << c.name;
        EXPECT_GE(facts.fuseWriteWait_us, 4500u) << c.name;
        EXPECT_EQ(facts.hasFuseBytes, c.fuses) << c.name;
        EXPECT_EQ(facts.hasCalibrationBytes, c.calibration) << c.name;
        EXPECT_EQ(facts.hasFstrt, c.fstrt) << c.name;
        EXPECT_EQ(facts.hasBootLockBits, c.bootLock) << c.name;
        EXPECT_EQ(facts.lockByte,
                  c.fstrt ? LockByteForm::At90sLockAndFuse : LockByteForm::AtmegaLockByte)
            << c.name;
        EXPECT_EQ(facts.fuses, c.layout) << c.name;
    }
}

TEST(ChipFacts, CalibrationBytesAreForOneToEightMegahertz) {
    EXPECT_STREQ(CalibrationByteFrequency(0), "1 MHz");
    EXPECT_STREQ(CalibrationByteFrequency(1), "2 MHz");
    EXPECT_STREQ(CalibrationByteFrequency(2), "4 MHz");
    EXPECT_STREQ(CalibrationByteFrequency(3), "8 MHz");
    EXPECT_STREQ(CalibrationByteFrequency(kCalibrationByteCount), "");
}

} // namespace
