// The ATmega fuse and calibration bytes through the serial instructions, chip by chip:
// the bytes as shipped, writes and their write time, SPIEN that the cable cannot change,
// lock bit 1 that freezes the fuses, a chip erase that leaves them, and EESAVE; and the
// AT90S FSTRT fuse's write cycle.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "BoardFixture.h"

namespace {

using FuseTest = simtest::BoardTest;
using sim::ChipType;

struct Shipped {
    ChipType chip;
    std::uint8_t low;
    std::uint8_t high;
    std::array<std::uint8_t, 4> calibration; // 1, 2, 4, 8 MHz
};

const Shipped kAtmegas[] = {
    {ChipType::Atmega8535, 0xE1, 0xD9, {0xA3, 0xA6, 0xA9, 0xAD}},
    {ChipType::Atmega16, 0xE1, 0x99, {0xAA, 0xAC, 0xAF, 0xB2}},
    {ChipType::Atmega32, 0xE1, 0x99, {0xB1, 0xB4, 0xB6, 0xBA}},
};

std::string NameOf(ChipType type) {
    return sim::ModelOf(type).name;
}

constexpr unsigned long kFuseWriteWait_ms = 5; // t_WD_FUSE is 4.5 ms

TEST_F(FuseTest, ANewChipReadsItsFactoryFusesAndCalibrationBytes) {
    for (const Shipped& c : kAtmegas) {
        BuildChip(c.chip);
        programmer->Enter();
        ASSERT_TRUE(chip().programmingEnabled()) << NameOf(c.chip);
        EXPECT_EQ(programmer->ReadLowFuse(), c.low) << NameOf(c.chip);
        EXPECT_EQ(programmer->ReadHighFuse(), c.high) << NameOf(c.chip);
        EXPECT_EQ(programmer->ReadLockFuse(), 0xFF) << NameOf(c.chip);
        for (std::uint8_t i = 0; i < 4; ++i) {
            EXPECT_EQ(programmer->ReadCalibration(i), c.calibration[i]) << NameOf(c.chip) << +i;
        }
        // Byte 3 holds the index in its two low bits; anything else is no instruction.
        const auto before = chip().counters().instructionsUnknown;
        EXPECT_EQ(programmer->ReadCalibration(4), 0x00) << NameOf(c.chip);
        EXPECT_EQ(chip().counters().instructionsUnknown, before + 1) << NameOf(c.chip);
    }
}

TEST_F(FuseTest, WritesSetEveryBitButSpienAndTakeTheFuseWriteTime) {
    struct Write {
        bool high;
        std::uint8_t value;
        std::uint8_t reads; // afterwards
    };
    const Write writes[] = {
        {false, 0xE4, 0xE4}, // internal RC 8 MHz
        {false, 0x3F, 0x3F}, // brown-out on at 4 V, crystal
        {true, 0xD9, 0xD9},  // ATmega16/32: JTAG off
        {true, 0xC9, 0xC9},  // CKOPT programmed too
        {true, 0xFF, 0xDF},  // SPIEN stays programmed
        {true, 0x00, 0x00},
    };
    for (const Shipped& c : kAtmegas) {
        for (const Write& w : writes) {
            const std::string what =
                NameOf(c.chip) + (w.high ? " high " : " low ") + std::to_string(w.value);
            BuildChip(c.chip);
            programmer->Enter();
            w.high ? programmer->WriteHighFuse(w.value) : programmer->WriteLowFuse(w.value);
            const std::uint64_t executedNs = clock->NowNs();
            EXPECT_TRUE(chip().BusyAt(executedNs + sim::kAtmegaFuseLockWrite_us * 1000 - 1))
                << what;
            EXPECT_FALSE(chip().BusyAt(executedNs + sim::kAtmegaFuseLockWrite_us * 1000)) << what;
            // Read during the write the fuse is as it was; the other one is not written.
            EXPECT_EQ(w.high ? programmer->ReadHighFuse() : programmer->ReadLowFuse(),
                      w.high ? c.high : c.low)
                << what;
            clock->AdvanceMs(kFuseWriteWait_ms);
            EXPECT_EQ(w.high ? programmer->ReadHighFuse() : programmer->ReadLowFuse(), w.reads)
                << what;
            EXPECT_EQ(w.high ? programmer->ReadLowFuse() : programmer->ReadHighFuse(),
                      w.high ? c.low : c.high)
                << what;
            EXPECT_TRUE(chip().dirty()) << what << ": a fuse write changes the chip file";
        }
    }
}

TEST_F(FuseTest, AnInstructionStartedDuringAFuseWriteIsLost) {
    BuildChip(ChipType::Atmega16);
    programmer->Enter();
    programmer->WriteLowFuse(0xE4);
    programmer->WriteHighFuse(0xD9);
    EXPECT_EQ(chip().counters().instructionsLost, 1u);
    clock->AdvanceMs(kFuseWriteWait_ms);
    EXPECT_EQ(programmer->ReadLowFuse(), 0xE4);
    EXPECT_EQ(programmer->ReadHighFuse(), 0x99) << "the lost write never happened";
}

TEST_F(FuseTest, LockBit1FreezesTheFusesUntilAnEraseThatKeepsThem) {
    for (const Shipped& c : kAtmegas) {
        for (const std::uint8_t lockByte : {0xFE, 0xFC}) { // mode 2, mode 3
            const std::string what = NameOf(c.chip) + " lock " + std::to_string(lockByte);
            BuildChip(c.chip);
            programmer->Enter();
            programmer->WriteLowFuse(0xE4);
            clock->AdvanceMs(kFuseWriteWait_ms);
            programmer->WriteLockByte(lockByte);
            clock->AdvanceMs(kFuseWriteWait_ms);
            programmer->WriteLowFuse(0xFF);
            programmer->WriteHighFuse(0xC9);
            EXPECT_FALSE(chip().BusyAt(clock->NowNs())) << what << ": no write cycle started";
            EXPECT_EQ(chip().counters().writesRefusedByLock, 2u) << what;
            EXPECT_EQ(programmer->ReadLowFuse(), 0xE4) << what;
            EXPECT_EQ(programmer->ReadHighFuse(), c.high) << what << ": readable in every mode";

            programmer->ChipErase();
            clock->AdvanceMs(10);
            EXPECT_EQ(programmer->ReadLockFuse(), 0xFF) << what;
            EXPECT_EQ(programmer->ReadLowFuse(), 0xE4) << what << ": erase leaves the fuses";
            EXPECT_EQ(programmer->ReadHighFuse(), c.high) << what;
            programmer->WriteHighFuse(0xC9);
            clock->AdvanceMs(kFuseWriteWait_ms);
            EXPECT_EQ(programmer->ReadHighFuse(), 0xC9) << what << ": writable again";
        }
    }
}

TEST_F(FuseTest, EesaveKeepsTheEepromThroughChipErase) {
    struct Case {
        bool eesave;
        bool lockFirst; // lock mode 3 before the erase
    };
    for (const Shipped& c : kAtmegas) {
        for (const Case k : {Case{false, false}, Case{true, false}, Case{true, true}}) {
            const std::string what =
                NameOf(c.chip) + (k.eesave ? " EESAVE" : "") + (k.lockFirst ? " locked" : "");
            BuildChip(c.chip);
            const std::size_t last = chip().eeprom().size() - 1;
            programmer->Enter();
            programmer->WriteEeprom(last, 0x5A);
            clock->AdvanceMs(10);
            if (k.eesave) {
                // Takes effect at once, not at the next entry into programming mode.
                programmer->WriteHighFuse(c.high & ~sim::kHighFuseEesaveBit);
                clock->AdvanceMs(kFuseWriteWait_ms);
            }
            if (k.lockFirst) {
                programmer->WriteLockByte(0xFC);
                clock->AdvanceMs(kFuseWriteWait_ms);
            }
            chip().flash()[0] = 0x12;
            programmer->ChipErase();
            clock->AdvanceMs(10);
            EXPECT_EQ(programmer->ReadFlash(0), 0xFF) << what;
            EXPECT_EQ(programmer->ReadEeprom(last), k.eesave ? 0x5A : 0xFF) << what;
            EXPECT_EQ(programmer->ReadLockFuse(), 0xFF) << what;
        }
    }
}

TEST_F(FuseTest, TheAtmegaSpienBitOfTheHighFuseGatesProgrammingEnable) {
    // Only a chip file edited by hand can hold it unprogrammed.
    BuildChip(ChipType::Atmega32);
    chip().memory().highFuse = 0x99 | sim::kHighFuseSpienBit;
    programmer->Enter();
    EXPECT_FALSE(chip().programmingEnabled());
    EXPECT_EQ(programmer->ReadSignature(0), 0x00) << "no instruction but Programming Enable";
}

TEST_F(FuseTest, At90sKnowsNoFuseBytesAndWritesFstrtInItsLockWriteTime) {
    for (const ChipType type : {ChipType::At90s8535, ChipType::At90s4434}) {
        BuildChip(type);
        programmer->Enter();
        const auto unknown = chip().counters().instructionsUnknown;
        programmer->ReadLowFuse();
        programmer->WriteLowFuse(0x00);
        programmer->ReadCalibration(0);
        EXPECT_EQ(chip().counters().instructionsUnknown, unknown + 3) << NameOf(type);
        programmer->Transfer(0xAC, 0xBE, 0x00, 0x00); // FSTRT programmed
        const std::uint64_t executedNs = clock->NowNs();
        EXPECT_TRUE(chip().BusyAt(executedNs + sim::kLockFuseWriteDelay_us * 1000 - 1));
        EXPECT_FALSE(chip().BusyAt(executedNs + sim::kLockFuseWriteDelay_us * 1000));
        EXPECT_EQ(programmer->ReadLockFuse(), 0xDF) << NameOf(type) << ": as it was, while written";
        clock->AdvanceMs(9);
        EXPECT_EQ(programmer->ReadLockFuse(), 0xDE) << NameOf(type);
        programmer->ChipErase();
        clock->AdvanceMs(10);
        EXPECT_EQ(programmer->ReadLockFuse(), 0xDE) << NameOf(type) << ": erase keeps FSTRT";
    }
}

} // namespace
