// AT90S8535 serial programming behaviour, driven through the printer-port
// registers: entering programming mode, framing, instructions, timing, locks.
#include <gtest/gtest.h>

#include <string>

#include "BoardFixture.h"
#include "sim/ChipTiming.h"

namespace {

using ChipTest = simtest::BoardTest;

TEST_F(ChipTest, ProgrammingEnableEchoesAndSignatureReads) {
    programmer->ResetPulse();
    const auto answer = programmer->Transfer(0xAC, 0x53, 0x00, 0x00);
    EXPECT_EQ(answer[1], 0xAC);
    EXPECT_EQ(answer[2], 0x53);
    EXPECT_TRUE(chip().programmingEnabled());
    EXPECT_EQ(programmer->ReadSignature(0), 0x1E);
    EXPECT_EQ(programmer->ReadSignature(1), 0x93);
    EXPECT_EQ(programmer->ReadSignature(2), 0x03);
    EXPECT_EQ(chip().counters().signatureReads, 3u);
}

TEST_F(ChipTest, InstructionsBeforeTheStartupDelayAreNotSeen) {
    programmer->ResetPulse(19);
    EXPECT_FALSE(programmer->ProgrammingEnable());
    EXPECT_FALSE(chip().programmingEnabled());
    EXPECT_EQ(chip().counters().sckPulsesTooEarly, 32u);
}

TEST_F(ChipTest, ResetPulseWithSckHighDoesNotOpenTheInterface) {
    programmer->SetSck(true);
    programmer->SetReset(true);
    programmer->SetReset(false);
    programmer->SetSck(false);
    clock->AdvanceMs(20);
    EXPECT_FALSE(programmer->ProgrammingEnable());
}

TEST_F(ChipTest, OutOfStepChipGivesNoEchoUntilExtraPulsesRealignIt) {
    struct Case {
        int strayPulses;
        int attemptsToEcho;
    };
    // The chip frames 32 bits from the RESET pulse; each failed attempt plus
    // one extra pulse moves the programmer one bit further along.
    for (const Case c : {Case{0, 1}, Case{31, 2}, Case{30, 3}, Case{1, 32}}) {
        Build();
        programmer->ResetPulse();
        for (int i = 0; i < c.strayPulses; ++i) {
            programmer->ExtraSckPulse();
        }
        int attempts = 1;
        while (!programmer->ProgrammingEnable() && attempts < 40) {
            EXPECT_FALSE(chip().programmingEnabled()) << c.strayPulses;
            programmer->ExtraSckPulse();
            ++attempts;
        }
        EXPECT_EQ(attempts, c.attemptsToEcho) << "stray pulses " << c.strayPulses;
        EXPECT_TRUE(chip().programmingEnabled());
        EXPECT_EQ(programmer->ReadSignature(0), 0x1E);
    }
}

TEST_F(ChipTest, SckPhasesOfTwoChipCyclesOrLessAreMissed) {
    struct Case {
        std::uint32_t chipHz;
        std::uint64_t accessNs; // SCK high phase = one port access
        bool works;
    };
    const Case cases[] = {
        {4'000'000, 1000, true},  {4'000'000, 501, true},  {4'000'000, 500, false},
        {1'000'000, 1000, false}, {1'000'000, 2001, true},
    };
    for (const auto& c : cases) {
        sim::BoardSettings settings;
        settings.chipClockHz = c.chipHz;
        Build(settings, c.accessNs);
        programmer->ResetPulse();
        EXPECT_EQ(programmer->ProgrammingEnable(), c.works) << c.chipHz << " Hz, " << c.accessNs;
        EXPECT_EQ(chip().counters().sckPulsesMissed == 0, c.works);
    }
}

TEST_F(ChipTest, OneMissedPulseGarblesTheFollowingInstructions) {
    Build({}, 0);
    programmer->SetSettleNs(1000);
    programmer->Enter();
    chip().flash()[0] = 0x5A;
    EXPECT_EQ(programmer->ReadFlash(0), 0x5A);
    // Read Program Memory whose eighth SCK pulse follows the previous edge
    // with no delay: the chip misses it and falls one bit behind.
    for (int bit = 7; bit >= 1; --bit) {
        programmer->SetMosi((0x20 >> bit) & 1);
        programmer->ExtraSckPulse();
    }
    programmer->SetSettleNs(0);
    programmer->SetMosi(false);
    programmer->ExtraSckPulse();
    programmer->SetSettleNs(1000);
    for (int byte = 0; byte < 3; ++byte) {
        programmer->TransferByte(0x00);
    }
    EXPECT_NE(programmer->ReadFlash(0), 0x5A);
    EXPECT_EQ(chip().counters().sckPulsesMissed, 1u);
}

TEST_F(ChipTest, FlashWordsAreStoredLowByteFirstWithTwelveBitAddresses) {
    programmer->Enter();
    programmer->WriteFlash(2 * 0xABC, 0x12);
    clock->AdvanceMs(4);
    programmer->WriteFlash(2 * 0xABC + 1, 0x34);
    clock->AdvanceMs(4);
    EXPECT_EQ(chip().flash()[0x1578], 0x12);
    EXPECT_EQ(chip().flash()[0x1579], 0x34);
    EXPECT_EQ(programmer->ReadFlash(0x1578), 0x12);
    EXPECT_EQ(programmer->ReadFlash(0x1579), 0x34);
    // Bits above the 12-bit word address are ignored.
    EXPECT_EQ(programmer->Transfer(0x28, 0xFA, 0xBC, 0)[3], 0x34);
    EXPECT_EQ(chip().counters().flashReads[0x1579], 2u);
    EXPECT_EQ(chip().counters().flashReads[0x1578], 1u);
}

TEST_F(ChipTest, EepromUsesNineAddressBits) {
    programmer->Enter();
    programmer->WriteEeprom(0x1FF, 0x42);
    clock->AdvanceMs(4);
    programmer->WriteEeprom(0x2FE, 0x24); // bit 9 ignored: address 0x0FE
    clock->AdvanceMs(4);
    EXPECT_EQ(chip().eeprom()[0x1FF], 0x42);
    EXPECT_EQ(chip().eeprom()[0x0FE], 0x24);
    EXPECT_EQ(programmer->ReadEeprom(0x1FF), 0x42);
    EXPECT_EQ(chip().counters().eepromReads[0x1FF], 1u);
}

TEST_F(ChipTest, FlashWritesOnlyClearBitsUntilErased) {
    programmer->Enter();
    programmer->WriteFlash(7, 0xF0);
    clock->AdvanceMs(4);
    programmer->WriteFlash(7, 0x3F);
    clock->AdvanceMs(4);
    EXPECT_EQ(programmer->ReadFlash(7), 0x30);
    programmer->WriteEeprom(3, 0x00);
    clock->AdvanceMs(4);
    programmer->WriteEeprom(3, 0xA5); // EEPROM erases the byte itself
    clock->AdvanceMs(4);
    EXPECT_EQ(programmer->ReadEeprom(3), 0xA5);
    programmer->ChipErase();
    clock->AdvanceMs(8);
    EXPECT_EQ(programmer->ReadFlash(7), 0xFF);
    EXPECT_EQ(programmer->ReadEeprom(3), 0xFF);
}

TEST_F(ChipTest, InstructionArrivingDuringAWriteIsLost) {
    programmer->Enter();
    programmer->WriteFlash(0, 0x11);
    programmer->WriteFlash(1, 0x22); // no wait: lost
    EXPECT_EQ(chip().counters().instructionsLost, 1u);
    EXPECT_EQ(programmer->ReadFlash(0), 0xFF) << "data polling while the write runs";
    clock->AdvanceMs(4);
    EXPECT_EQ(programmer->ReadFlash(0), 0x11);
    EXPECT_EQ(programmer->ReadFlash(1), 0xFF) << "the lost write never happened";
}

TEST_F(ChipTest, InstructionStartedDuringAWriteIsLostEvenIfItEndsAfterIt) {
    struct Case {
        std::int64_t firstRiseAfterWriteEndNs;
        bool lost;
    };
    // An instruction takes about 128 us here, so every one of these ends well
    // after the write cycle.
    const Case cases[] = {{-100'000, true}, {-1, true}, {0, false}, {1000, false}};
    for (const auto& c : cases) {
        Build();
        programmer->Enter();
        programmer->WriteFlash(0, 0x11);
        const std::uint64_t writeEndNs = clock->NowNs() + sim::WriteDelay_ns(5.0);
        // Transfer's first rising edge comes three port accesses (3 us) in.
        const std::uint64_t firstRiseNs = writeEndNs + c.firstRiseAfterWriteEndNs;
        clock->Advance(firstRiseNs - 3000 - clock->NowNs());
        programmer->WriteFlash(1, 0x22);
        ASSERT_GT(clock->NowNs(), writeEndNs);
        EXPECT_EQ(chip().counters().instructionsLost, c.lost ? 1u : 0u)
            << "first edge at " << c.firstRiseAfterWriteEndNs << " ns from the write's end";
        clock->AdvanceMs(4);
        EXPECT_EQ(programmer->ReadFlash(1), c.lost ? 0xFF : 0x22);
    }
}

TEST_F(ChipTest, MosiSetupAndHoldAreMeasuredInChipClockCycles) {
    struct Case {
        std::uint32_t chipHz;
        std::uint64_t setupNs;        // MOSI change to SCK rise
        std::uint64_t nextBitAfterNs; // SCK rise to the next MOSI change (0 = none)
        std::uint8_t stored;
        std::uint64_t setupViolations;
        std::uint64_t holdViolations;
    };
    // 0x55 = 0101 0101 after a 0 bit: seven MOSI changes. Too short a setup
    // and each bit arrives as the one before it (0x2A); a change inside the
    // hold time and each arrives as the one after it (0xAB, the last bit kept).
    const Case cases[] = {
        {100'000, 10'000, 0, 0x55, 0, 0},      {100'000, 9'999, 0, 0x2A, 7, 0},
        {100'000, 10'000, 20'000, 0x55, 0, 0}, {100'000, 10'000, 19'999, 0xAB, 0, 7},
        {4'000'000, 250, 0, 0x55, 0, 0},       {4'000'000, 249, 0, 0x2A, 7, 0},
        {4'000'000, 250, 500, 0x55, 0, 0},     {4'000'000, 250, 499, 0xAB, 0, 7},
    };
    constexpr std::uint64_t kPhaseNs = 30'000; // longer than two cycles at 100 kHz
    for (const auto& c : cases) {
        sim::BoardSettings settings;
        settings.chipClockHz = c.chipHz;
        Build(settings, 0);
        programmer->SetSettleNs(kPhaseNs);
        programmer->Enter();
        ASSERT_TRUE(chip().programmingEnabled()) << c.chipHz;
        programmer->TransferByte(0x40); // Write Program Memory (low), word 0
        programmer->TransferByte(0x00);
        programmer->TransferByte(0x00);
        programmer->SendByteTimed(0x55, c.setupNs, c.nextBitAfterNs, kPhaseNs);
        clock->AdvanceMs(5);
        const std::string what = std::to_string(c.chipHz) + " Hz, setup " +
                                 std::to_string(c.setupNs) + " ns, next bit after " +
                                 std::to_string(c.nextBitAfterNs) + " ns";
        EXPECT_EQ(chip().counters().flashWrites, 1u) << what;
        EXPECT_EQ(chip().flash()[0], c.stored) << what;
        EXPECT_EQ(chip().counters().mosiSetupViolations, c.setupViolations) << what;
        EXPECT_EQ(chip().counters().mosiHoldViolations, c.holdViolations) << what;
    }
}

TEST_F(ChipTest, EepromPollsZeroWhileErasingThenFFWhileProgramming) {
    programmer->Enter();
    programmer->WriteEeprom(5, 0x5A);
    EXPECT_EQ(programmer->ReadEeprom(5), 0x00);
    clock->Advance(2'100'000);
    EXPECT_EQ(programmer->ReadEeprom(5), 0xFF);
    clock->AdvanceMs(2);
    EXPECT_EQ(programmer->ReadEeprom(5), 0x5A);
}

TEST_F(ChipTest, WriteAndEraseTimesFollowTheSupplyVoltage) {
    struct Case {
        double volts;
        std::uint64_t writeNs;
        std::uint64_t eraseNs;
    };
    const Case cases[] = {
        {5.0, 4'000'000, 8'000'000},
        {5.5, 4'000'000, 8'000'000},
        {2.7, 9'000'000, 20'000'000},
        {3.85, 6'500'000, 14'000'000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sim::WriteDelay_ns(c.volts), c.writeNs) << c.volts;
        EXPECT_EQ(sim::EraseDelay_ns(c.volts), c.eraseNs) << c.volts;
        sim::BoardSettings settings;
        settings.supplyVolts = c.volts;
        Build(settings);
        programmer->Enter();
        programmer->WriteFlash(0, 0x00);
        // An instruction takes about 0.13 ms here; 1 ms either side is clear.
        clock->Advance(c.writeNs - 1'000'000);
        EXPECT_EQ(programmer->ReadFlash(0), 0xFF) << c.volts << " V: still writing";
        clock->AdvanceMs(1);
        EXPECT_EQ(programmer->ReadFlash(0), 0x00) << c.volts << " V: written";
        programmer->ChipErase();
        clock->Advance(c.eraseNs - 1'000'000);
        programmer->WriteFlash(2, 0x00);
        EXPECT_EQ(chip().counters().instructionsLost, 1u) << c.volts << " V: still erasing";
        clock->AdvanceMs(1);
        programmer->WriteFlash(2, 0x00);
        EXPECT_EQ(chip().counters().flashWrites, 2u) << c.volts << " V: erase done";
    }
}

TEST_F(ChipTest, LockModesProtectAsTheDatasheetSays) {
    struct Case {
        std::uint8_t secondByte; // of 0xAC xx 0x00 0x00
        bool executes;           // matches 1111 1ii1
        std::uint8_t lockFuse;
        bool canWrite;
        bool canRead;
    };
    const Case cases[] = {
        {0xFF, true, 0xDF, true, true},  {0xFD, true, 0x5F, false, true},
        {0xFB, true, 0x9F, true, true},  {0xF9, true, 0x1F, false, false},
        {0xE4, false, 0xDF, true, true}, {0xE0, false, 0xDF, true, true},
        {0xF8, false, 0xDF, true, true}, {0xBD, false, 0xDF, true, true},
    };
    for (const auto& c : cases) {
        Build();
        programmer->Enter();
        programmer->WriteFlash(0, 0x12);
        clock->AdvanceMs(4);
        programmer->WriteEeprom(0, 0x34);
        clock->AdvanceMs(4);
        const auto executedBefore = chip().counters().instructionsExecuted;
        programmer->WriteLockBits(c.secondByte);
        EXPECT_EQ(chip().counters().instructionsExecuted - executedBefore, c.executes ? 1u : 0u)
            << std::hex << int(c.secondByte);
        EXPECT_EQ(chip().counters().instructionsUnknown, c.executes ? 0u : 1u)
            << std::hex << int(c.secondByte);
        clock->AdvanceMs(9);
        EXPECT_EQ(programmer->ReadLockFuse(), c.lockFuse) << std::hex << int(c.secondByte);
        programmer->WriteFlash(2, 0x56);
        clock->AdvanceMs(4);
        programmer->WriteEeprom(1, 0x78);
        clock->AdvanceMs(4);
        EXPECT_EQ(chip().flash()[2], c.canWrite ? 0x56 : 0xFF) << std::hex << int(c.secondByte);
        EXPECT_EQ(chip().eeprom()[1], c.canWrite ? 0x78 : 0xFF);
        EXPECT_EQ(programmer->ReadFlash(0), c.canRead ? 0x12 : sim::kLockedReadValue);
        EXPECT_EQ(programmer->ReadEeprom(0), c.canRead ? 0x34 : sim::kLockedReadValue);
        const std::uint8_t signature[3] = {programmer->ReadSignature(0),
                                           programmer->ReadSignature(1),
                                           programmer->ReadSignature(2)};
        EXPECT_EQ(signature[0], c.canRead ? 0x1E : 0x00);
        EXPECT_EQ(signature[1], c.canRead ? 0x93 : 0x01);
        EXPECT_EQ(signature[2], c.canRead ? 0x03 : 0x02);
        programmer->ChipErase();
        clock->AdvanceMs(8);
        EXPECT_EQ(programmer->ReadLockFuse(), 0xDF) << "erase clears the lock bits";
        EXPECT_EQ(programmer->ReadFlash(0), 0xFF);
    }
}

TEST_F(ChipTest, FstrtFuseIsWritableUnlessLb1IsProgrammed) {
    programmer->Enter();
    programmer->Transfer(0xAC, 0xBE, 0, 0);
    clock->AdvanceMs(9);
    EXPECT_EQ(programmer->ReadLockFuse(), 0xDE);
    programmer->Transfer(0xAC, 0xBF, 0, 0);
    clock->AdvanceMs(9);
    EXPECT_EQ(programmer->ReadLockFuse(), 0xDF);
    programmer->WriteLockBits(0xFD);
    clock->AdvanceMs(9);
    programmer->Transfer(0xAC, 0xBE, 0, 0);
    clock->AdvanceMs(9);
    EXPECT_EQ(programmer->ReadLockFuse(), 0x5F);
    EXPECT_EQ(chip().counters().writesRefusedByLock, 1u);
}

TEST_F(ChipTest, ResetHighLeavesProgrammingModeAndReleasesMiso) {
    programmer->Enter();
    ASSERT_TRUE(chip().programmingEnabled());
    programmer->SetReset(true);
    EXPECT_FALSE(chip().programmingEnabled());
    EXPECT_TRUE(programmer->Miso());
    programmer->SetReset(false);
    clock->AdvanceMs(20);
    EXPECT_EQ(programmer->Transfer(0x30, 0, 0, 0)[3], 0x00) << "needs Programming Enable again";
}

TEST_F(ChipTest, ReadingAllFlashCountsEveryByteOnce) {
    programmer->Enter();
    for (std::uint32_t i = 0; i < sim::kFlashBytes; ++i) {
        programmer->ReadFlash(i);
    }
    EXPECT_EQ(chip().counters().flashReadsTotal, 8192u);
    for (std::uint32_t count : chip().counters().flashReads) {
        ASSERT_EQ(count, 1u);
    }
    EXPECT_EQ(chip().counters().instructionsExecuted, 8193u);
}

TEST_F(ChipTest, StuckCellsReadBackTheirValue) {
    sim::BoardSettings settings;
    settings.stuckFlash = {{0x10, 0x00}, {0x11, 0x5A}};
    Build(settings);
    programmer->Enter();
    EXPECT_EQ(programmer->ReadFlash(0x10), 0x00);
    EXPECT_EQ(programmer->ReadFlash(0x11), 0x5A);
    EXPECT_EQ(programmer->ReadFlash(0x12), 0xFF);
}

TEST_F(ChipTest, FaultsShowOnMiso) {
    struct Case {
        const char* name;
        sim::BoardFault fault;
        std::uint8_t answer;
    };
    const Case cases[] = {{"no chip", sim::BoardFault::NoChip, 0xFF},
                          {"no power", sim::BoardFault::NoPower, 0x00}};
    for (const auto& c : cases) {
        sim::BoardSettings settings;
        settings.fault = c.fault;
        Build(settings);
        programmer->ResetPulse();
        const auto answer = programmer->Transfer(0xAC, 0x53, 0x00, 0x00);
        EXPECT_EQ(answer[2], c.answer) << c.name;
        EXPECT_EQ(programmer->ReadSignature(0), c.answer) << c.name;
    }
}

TEST_F(ChipTest, ChipThatStopsAnsweringHoldsMisoHigh) {
    sim::BoardSettings settings;
    settings.fault = sim::BoardFault::StopAnswering;
    settings.stopAfterInstructions = 3;
    Build(settings);
    programmer->Enter();
    EXPECT_EQ(programmer->ReadSignature(0), 0x1E);
    EXPECT_EQ(programmer->ReadSignature(1), 0x93);
    EXPECT_EQ(programmer->ReadSignature(2), 0xFF);
    programmer->Enter();
    EXPECT_EQ(programmer->ReadSignature(0), 0xFF);
}

} // namespace
