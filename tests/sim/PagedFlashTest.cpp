// The ATmega chips' page buffer and page writes, and their self-timed cycles: what a
// page write programs, when an instruction is lost, and what reads answer meanwhile.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "BoardFixture.h"

namespace {

using PagedFlashTest = simtest::BoardTest;
using sim::ChipType;

TEST_F(PagedFlashTest, APageWriteProgramsTheLoadedPageWhereverItLies) {
    struct Case {
        ChipType chip;
        unsigned pageWords;
    };
    for (const Case c : {Case{ChipType::Atmega8535, 32}, Case{ChipType::Atmega16, 64},
                         Case{ChipType::Atmega32, 64}}) {
        BuildChip(c.chip);
        const std::string name = chip().model().name;
        ASSERT_EQ(chip().model().pageWords, c.pageWords) << name;
        const std::uint32_t pageBytes = 2 * c.pageWords;
        const std::uint32_t lastPage =
            static_cast<std::uint32_t>(chip().flash().size()) - pageBytes;
        programmer->Enter();
        for (std::uint32_t i = 0; i < pageBytes; ++i) {
            programmer->LoadPage(lastPage + i, c.pageWords, static_cast<std::uint8_t>(i * 7 + 1));
        }
        // Any word of the page names it.
        programmer->WritePage(lastPage / 2 + 3);
        clock->Advance(sim::kAtmegaFlashPageWrite_us * 1000);
        for (std::uint32_t i = 0; i < pageBytes; ++i) {
            ASSERT_EQ(chip().flash()[lastPage + i], static_cast<std::uint8_t>(i * 7 + 1))
                << name << " byte " << i;
        }
        EXPECT_EQ(chip().flash()[lastPage - 1], 0xFF) << name;
        EXPECT_EQ(programmer->ReadFlash(lastPage + pageBytes - 1),
                  static_cast<std::uint8_t>((pageBytes - 1) * 7 + 1))
            << name;
        EXPECT_EQ(chip().counters().pageLoads, pageBytes) << name;
        EXPECT_EQ(chip().counters().pageWrites, 1u) << name;
        for (std::uint8_t b : chip().pageBuffer()) {
            ASSERT_EQ(b, 0xFF) << name << ": the buffer erases itself after a page write";
        }
    }
}

TEST_F(PagedFlashTest, OnlyLoadedWordsChangeAndOnlyBitsThatAreSetAreCleared) {
    BuildChip(ChipType::Atmega8535);
    std::fill(chip().flash().begin(), chip().flash().begin() + 64, std::uint8_t{0xF0});
    programmer->Enter();
    programmer->LoadPage(2, 32, 0x3C);
    programmer->LoadPage(3, 32, 0x0F);
    programmer->WritePage(0);
    clock->AdvanceMs(5);
    programmer->WritePage(0); // an erased buffer programs nothing
    clock->AdvanceMs(5);
    EXPECT_EQ(chip().flash()[1], 0xF0);
    EXPECT_EQ(chip().flash()[2], 0x30);
    EXPECT_EQ(chip().flash()[3], 0x00);
    EXPECT_EQ(chip().flash()[4], 0xF0);
    EXPECT_EQ(chip().counters().pageWrites, 2u);
}

TEST_F(PagedFlashTest, APageWriteOrLoadStartedWhileBusyIsLost) {
    struct Case {
        std::int64_t firstRiseAfterWriteEndNs;
        bool lost;
    };
    const Case cases[] = {{-100'000, true}, {-1, true}, {0, false}, {1000, false}};
    for (const Case& c : cases) {
        BuildChip(ChipType::Atmega8535);
        programmer->Enter();
        programmer->LoadPage(0, 32, 0x11);
        programmer->WritePage(0);
        const std::uint64_t writeEndNs = clock->NowNs() + sim::kAtmegaFlashPageWrite_us * 1000;
        EXPECT_EQ(programmer->ReadFlash(0), 0xFF) << "data polling while the page is written";
        // Transfer's first rising edge comes three port accesses in.
        clock->Advance(writeEndNs + c.firstRiseAfterWriteEndNs - 3 * accessNs - clock->NowNs());
        programmer->WritePage(0);
        const std::string what = std::to_string(c.firstRiseAfterWriteEndNs) + " ns";
        EXPECT_EQ(chip().counters().instructionsLost, c.lost ? 1u : 0u) << what;
        EXPECT_EQ(chip().counters().pageWrites, c.lost ? 1u : 2u) << what;
        EXPECT_EQ(programmer->ReadFlash(0), c.lost ? 0x11 : 0xFF) << what << ": busy again or not";
    }
    // A load that starts while a page is written never reaches the buffer.
    BuildChip(ChipType::Atmega8535);
    programmer->Enter();
    programmer->WritePage(0);
    clock->AdvanceMs(4);
    programmer->LoadPage(4, 32, 0x44);
    clock->AdvanceMs(1);
    programmer->WritePage(0);
    clock->AdvanceMs(5);
    EXPECT_EQ(chip().counters().instructionsLost, 1u);
    EXPECT_EQ(chip().counters().pageLoads, 0u);
    EXPECT_EQ(chip().flash()[4], 0xFF);
}

TEST_F(PagedFlashTest, SelfTimedCyclesLastAsTheDatasheetsSay) {
    struct Case {
        ChipType chip;
        const char* what;
        std::array<std::uint8_t, 4> instruction;
        std::uint64_t cycleUs;
    };
    const Case cases[] = {
        {ChipType::Atmega8535, "page write", {0x4C, 0x00, 0x00, 0x00}, 4500},
        {ChipType::Atmega16, "EEPROM write", {0xC0, 0x00, 0x05, 0x5A}, 9000},
        {ChipType::Atmega32, "chip erase", {0xAC, 0x80, 0x00, 0x00}, 9000},
        {ChipType::Atmega32, "lock write", {0xAC, 0xE0, 0x00, 0xFE}, 4500},
        {ChipType::At90s4434, "byte write", {0x40, 0x00, 0x00, 0x00}, 4000},
        {ChipType::At90s4434, "chip erase", {0xAC, 0x80, 0x00, 0x00}, 8000},
    };
    for (const Case& c : cases) {
        BuildChip(c.chip);
        programmer->Enter();
        const auto& i = c.instruction;
        programmer->Transfer(i[0], i[1], i[2], i[3]);
        const std::uint64_t executedNs = clock->NowNs(); // at the last falling SCK edge
        const std::string what = std::string(chip().model().name) + " " + c.what;
        EXPECT_TRUE(chip().BusyAt(executedNs + c.cycleUs * 1000 - 1)) << what;
        EXPECT_FALSE(chip().BusyAt(executedNs + c.cycleUs * 1000)) << what;
    }
}

TEST_F(PagedFlashTest, AtmegaEepromReadsFFThroughoutItsWrite) {
    BuildChip(ChipType::Atmega32);
    programmer->Enter();
    programmer->WriteEeprom(0x3FF, 0x5A);
    EXPECT_EQ(programmer->ReadEeprom(0x3FF), 0xFF);
    clock->AdvanceMs(8);
    EXPECT_EQ(programmer->ReadEeprom(0x3FF), 0xFF);
    clock->AdvanceMs(1);
    EXPECT_EQ(programmer->ReadEeprom(0x3FF), 0x5A);
    EXPECT_EQ(chip().eeprom()[0x3FF], 0x5A) << "the ATmega32's 1024 bytes";
}

} // namespace
