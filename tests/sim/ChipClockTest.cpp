// What clocks each chip: its CKSEL fuses and the board's XTAL part; a chip whose fuses
// choose a source the board lacks stops answering from its next entry into programming
// mode and answers again on a board that has it; the SCK limit follows that clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BoardFixture.h"
#include "sim/ChipClock.h"

namespace {

namespace fs = std::filesystem;
using sim::ChipType;
using sim::XtalKind;
using sim::XtalPart;

constexpr XtalPart kNothing = {XtalKind::None, 0};
constexpr XtalPart kCrystal8MHz = {XtalKind::Crystal, 8'000'000};
constexpr XtalPart kClock3MHz = {XtalKind::ExternalClock, 3'000'000};
constexpr XtalPart kRc2MHz = {XtalKind::ExternalRc, 2'000'000};
constexpr XtalPart kWatchCrystal = {XtalKind::Crystal, 32'768};

TEST(ChipClockHzTest, FusesAndBoardPartGiveTheClock) {
    struct Case {
        ChipType chip;
        std::uint8_t lowFuse;
        XtalPart xtal;
        std::uint32_t hz; // 0: nothing clocks the chip
    };
    const Case cases[] = {
        // Internal RC, whatever the board carries.
        {ChipType::Atmega16, 0xE1, kNothing, 1'000'000},
        {ChipType::Atmega16, 0xE2, kCrystal8MHz, 2'000'000},
        {ChipType::Atmega32, 0xE3, kClock3MHz, 4'000'000},
        {ChipType::Atmega8535, 0xE4, kRc2MHz, 8'000'000},
        // External clock (0000): only a clock on XTAL1; a crystal does not oscillate.
        {ChipType::Atmega16, 0xE0, kClock3MHz, 3'000'000},
        {ChipType::Atmega16, 0xE0, kCrystal8MHz, 0},
        {ChipType::Atmega16, 0xE0, kNothing, 0},
        // External RC (0101-1000): the RC, or a clock fed into XTAL1.
        {ChipType::Atmega32, 0xE5, kRc2MHz, 2'000'000},
        {ChipType::Atmega32, 0xE8, kClock3MHz, 3'000'000},
        {ChipType::Atmega32, 0xE8, kCrystal8MHz, 0},
        // Low-frequency crystal (1001) and crystal (1010-1111): a crystal, or a clock.
        {ChipType::Atmega8535, 0xE9, kWatchCrystal, 32'768},
        {ChipType::Atmega8535, 0xEA, kCrystal8MHz, 8'000'000},
        {ChipType::Atmega8535, 0xFF, kClock3MHz, 3'000'000},
        {ChipType::Atmega8535, 0xFF, kRc2MHz, 0},
        {ChipType::Atmega8535, 0xFF, kNothing, 0},
        // The AT90S chips have no internal oscillator and no clock fuses.
        {ChipType::At90s8535, 0xE1, kCrystal8MHz, 8'000'000},
        {ChipType::At90s4434, 0xE1, kClock3MHz, 3'000'000},
        {ChipType::At90s8535, 0xE1, kRc2MHz, 0},
        {ChipType::At90s8535, 0xE1, kNothing, 0},
        // The ATmega644 runs as shipped, from its internal RC divided by 8.
        {ChipType::Atmega644, 0xFF, kNothing, 1'000'000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sim::ChipClockHz(sim::ModelOf(c.chip), c.lowFuse, c.xtal), c.hz)
            << sim::ModelOf(c.chip).name << " low fuse " << std::hex << +c.lowFuse << " part "
            << static_cast<int>(c.xtal.kind);
    }
}

class ChipClockTest : public simtest::BoardTest {
protected:
    void SetUp() override {
        chipFile =
            fs::temp_directory_path() /
            ("tamberlo-clock-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin");
        fs::remove(chipFile);
    }
    void TearDown() override {
        programmer.reset();
        board.reset();
        fs::remove(chipFile);
    }
    void BuildBoard(ChipType type, const XtalPart& xtal, std::uint64_t accessNs) {
        sim::BoardSettings settings;
        settings.chip = type;
        settings.chipFile = chipFile.string();
        settings.xtal = xtal;
        Build(settings, accessNs);
    }
    fs::path chipFile;
};

TEST_F(ChipClockTest, ACrystalSettingOnABoardWithoutOneLocksTheChipOutUntilACrystalIsThere) {
    BuildBoard(ChipType::Atmega16, kNothing, simtest::kAccessNsForA1MHzChip);
    programmer->Enter();
    ASSERT_TRUE(chip().programmingEnabled());
    programmer->WriteLowFuse(0xFF); // external crystal, slowly rising power
    clock->AdvanceMs(5);
    EXPECT_EQ(programmer->ReadLowFuse(), 0xFF) << "the running session keeps its clock";
    EXPECT_EQ(chip().clockHz(), 1'000'000u);
    programmer->SetReset(true); // the chip runs, and the chip file is written

    programmer->ResetPulse();
    EXPECT_EQ(chip().clockHz(), 0u);
    EXPECT_EQ(programmer->Transfer(0xAC, 0x53, 0x00, 0x00),
              (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}))
        << "no clock: MISO is never driven";
    EXPECT_FALSE(chip().programmingEnabled());
    EXPECT_EQ(chip().counters().instructionsExecuted, 3u) << "nothing since";

    for (const XtalPart& part : {kCrystal8MHz, kClock3MHz}) {
        BuildBoard(ChipType::Atmega16, part, 1000);
        EXPECT_EQ(chip().clockHz(), part.hz) << "from power-up";
        programmer->Enter();
        EXPECT_TRUE(chip().programmingEnabled()) << part.hz;
        EXPECT_EQ(programmer->ReadLowFuse(), 0xFF) << part.hz;
    }
}

TEST_F(ChipClockTest, At90sChipsNeedTheXtalPart) {
    for (const XtalPart& part : {kNothing, kRc2MHz, kCrystal8MHz, kClock3MHz}) {
        BuildBoard(ChipType::At90s8535, part, 1000);
        programmer->Enter();
        const bool clocked = part.kind == XtalKind::Crystal || part.kind == XtalKind::ExternalClock;
        EXPECT_EQ(chip().programmingEnabled(), clocked) << static_cast<int>(part.kind);
    }
}

TEST_F(ChipClockTest, TheSckLimitFollowsTheClockTheFusesChoose) {
    struct Case {
        std::uint8_t lowFuse; // written in a first session at a slow pace
        XtalPart xtal;
        std::uint64_t accessNs; // one SCK phase in the second session
        bool answers;
    };
    const Case cases[] = {
        {0xE1, kNothing, 2001, true},        {0xE1, kNothing, 2000, false},
        {0xE4, kNothing, 251, true},         {0xE4, kNothing, 250, false},
        {0xFF, kCrystal8MHz, 251, true},     {0xFF, kCrystal8MHz, 250, false},
        {0xFF, kWatchCrystal, 61'036, true}, {0xFF, kWatchCrystal, 61'035, false},
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.lowFuse) + " at " + std::to_string(c.xtal.hz) +
                                 " Hz, " + std::to_string(c.accessNs) + " ns";
        fs::remove(chipFile);
        BuildBoard(ChipType::Atmega32, c.xtal, simtest::kAccessNsForA1MHzChip);
        programmer->Enter();
        programmer->WriteLowFuse(c.lowFuse);
        clock->AdvanceMs(5);
        programmer->SetReset(true);
        BuildBoard(ChipType::Atmega32, c.xtal, c.accessNs);
        programmer->ResetPulse();
        EXPECT_EQ(programmer->ProgrammingEnable(), c.answers) << what;
        EXPECT_EQ(chip().counters().sckPulsesMissed == 0, c.answers) << what;
    }
}

} // namespace
