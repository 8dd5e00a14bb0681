// The clock list: every low fuse byte finds exactly one entry, every entry round-trips
// through apply and decode without touching other bits, no two entries read alike, and
// a table of entries with their words (with and without CKOPT), the part they need on
// XTAL1/XTAL2 and the lowest clock they can mean.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "ops/ClockChoices.h"

namespace {

std::string Words(const ClockChoice& choice, bool ckopt) {
    char text[kClockWordsSize];
    EXPECT_TRUE(ClockWords(choice, ckopt, text, sizeof text)) << int{choice.lowBits};
    return text;
}

TEST(ClockChoices, EveryLowFuseByteFindsItsOwnEntry) {
    ASSERT_EQ(kClockChoiceCount, 64u);
    std::set<unsigned> bits;
    std::size_t datasheetChoices = 0;
    for (std::size_t i = 0; i < kClockChoiceCount; ++i) {
        bits.insert(kClockChoices[i].lowBits);
        datasheetChoices += IsDatasheetChoice(kClockChoices[i]) ? 1 : 0;
    }
    EXPECT_EQ(bits.size(), 64u) << "a value twice in the list";
    // 12 internal RC, 24 crystal or resonator, 3 watch crystal, 16 external RC, 3 clock.
    EXPECT_EQ(datasheetChoices, 58u);
    for (unsigned low = 0; low < 256; ++low) {
        const ClockChoice& choice = ClockChoiceOf(static_cast<unsigned char>(low));
        EXPECT_EQ(choice.lowBits, low & kClockBitsMask) << low;
    }
}

TEST(ClockChoices, EveryChoiceRoundTripsThroughApplyAndDecode) {
    const FuseBytes starts[] = {{0xE1, 0x99}, {0x00, 0x00}, {0xFF, 0xFF}, {0x7F, 0xC9}};
    for (std::size_t i = 0; i < kClockChoiceCount; ++i) {
        const ClockChoice& choice = kClockChoices[i];
        for (const FuseBytes start : starts) {
            FuseBytes bytes = start;
            ApplyClockChoice(choice, &bytes);
            EXPECT_EQ(&ClockChoiceOf(bytes), &choice) << Words(choice, false);
            EXPECT_EQ(bytes.low & ~kClockBitsMask, start.low & ~kClockBitsMask);
            EXPECT_EQ(bytes.high, start.high);
        }
    }
}

TEST(ClockChoices, NoTwoChoicesReadAlike) {
    for (const bool ckopt : {false, true}) {
        std::set<std::string> seen;
        for (std::size_t i = 0; i < kClockChoiceCount; ++i) {
            const std::string words = Words(kClockChoices[i], ckopt);
            EXPECT_TRUE(seen.insert(words).second) << "twice: " << words;
        }
    }
}

TEST(ClockChoices, EachChoiceSaysWhatItNeedsAndHowSlowItCanBe) {
    struct Case {
        unsigned char low; // a whole low fuse byte
        const char* words;
        const char* wordsWithCkopt; // nullptr: the same
        XtalPart part;
        std::uint32_t lowest_Hz;
        std::uint32_t lowestWithCkopt_Hz;
    };
    const Case cases[] = {
        // As shipped (low 0xE1), and the 8 MHz internal RC (low 0xE4).
        {0xE1, "Internal RC 1 MHz, slowly rising power (6 CK + 65 ms)", nullptr, XtalPart::Nothing,
         800000, 800000},
        {0xE4, "Internal RC 8 MHz, slowly rising power (6 CK + 65 ms)", nullptr, XtalPart::Nothing,
         6400000, 6400000},
        {0x02, "Internal RC 2 MHz, BOD enabled (6 CK)", nullptr, XtalPart::Nothing, 1600000,
         1600000},
        {0x13, "Internal RC 4 MHz, fast rising power (6 CK + 4.1 ms)", nullptr, XtalPart::Nothing,
         3200000, 3200000},
        // A crystal above 8 MHz needs CKOPT (low 0xFF with high 0xC9).
        {0xFF, "Crystal 3-8 MHz, slowly rising power (16K CK + 65 ms)",
         "Crystal 1-16 MHz, full swing, slowly rising power (16K CK + 65 ms)",
         XtalPart::CrystalOrResonator, 3000000, 1000000},
        {0x2C, "Resonator 0.9-3 MHz, BOD enabled (1K CK)",
         "Resonator 1-16 MHz, full swing (0.9-3 MHz setting), BOD enabled (1K CK)",
         XtalPart::CrystalOrResonator, 900000, 1000000},
        {0x0A, "Resonator 0.4-0.9 MHz, fast rising power (258 CK + 4.1 ms)",
         "Resonator 1-16 MHz, full swing (0.4-0.9 MHz setting), fast rising power (258 CK + 4.1 "
         "ms)",
         XtalPart::CrystalOrResonator, 400000, 1000000},
        // Not for crystals without CKOPT, whatever the start-up.
        {0x1B, "Resonator 0.4-0.9 MHz, BOD enabled (16K CK)",
         "Crystal 1-16 MHz, full swing (0.4-0.9 MHz setting), BOD enabled (16K CK)",
         XtalPart::CrystalOrResonator, 400000, 1000000},
        {0x29, "32 kHz watch crystal, stable frequency at start-up (32K CK + 65 ms)", nullptr,
         XtalPart::WatchCrystal, 32768, 32768},
        {0x09, "32 kHz watch crystal, fast rising power or BOD enabled (1K CK + 4.1 ms)", nullptr,
         XtalPart::WatchCrystal, 32768, 32768},
        {0x35, "External RC up to 0.9 MHz, fast rising power or BOD enabled (6 CK + 4.1 ms)",
         nullptr, XtalPart::RcNetwork, 0, 0},
        {0x28, "External RC 8-12 MHz, slowly rising power (18 CK + 65 ms)", nullptr,
         XtalPart::RcNetwork, 8000000, 8000000},
        {0x20, "External clock on XTAL1, slowly rising power (6 CK + 65 ms)", nullptr,
         XtalPart::ClockSignal, 0, 0},
        {0x10, "External clock on XTAL1, fast rising power (6 CK + 4.1 ms)", nullptr,
         XtalPart::ClockSignal, 0, 0},
        // Reserved start-up bits.
        {0x31, "Not a datasheet choice, reserved start-up of the internal RC 1 MHz", nullptr,
         XtalPart::Unknown, 0, 0},
        {0x39, "Not a datasheet choice, reserved start-up of the 32 kHz crystal", nullptr,
         XtalPart::Unknown, 0, 0},
        {0x30, "Not a datasheet choice, reserved start-up of the external clock", nullptr,
         XtalPart::Unknown, 0, 0},
    };
    for (const Case& c : cases) {
        const ClockChoice& choice = ClockChoiceOf(c.low);
        EXPECT_EQ(Words(choice, false), c.words);
        EXPECT_EQ(Words(choice, true), c.wordsWithCkopt ? c.wordsWithCkopt : c.words);
        EXPECT_EQ(XtalPartOf(choice), c.part) << c.words;
        EXPECT_EQ(NeedsXtalPart(choice), c.part != XtalPart::Nothing) << c.words;
        EXPECT_EQ(IsDatasheetChoice(choice), c.part != XtalPart::Unknown) << c.words;
        EXPECT_EQ(LowestClock_Hz(choice, false), c.lowest_Hz) << c.words;
        EXPECT_EQ(LowestClock_Hz(choice, true), c.lowestWithCkopt_Hz) << c.words;
    }
}

TEST(ClockChoices, CkoptRoleFollowsTheSource) {
    EXPECT_STREQ(CkoptRole(ClockChoiceOf(0xE1)), "must stay off with the internal RC oscillator");
    EXPECT_NE(std::string(CkoptRole(ClockChoiceOf(0xFF))).find("1-16 MHz"), std::string::npos);
    EXPECT_NE(std::string(CkoptRole(ClockChoiceOf(0x20))).find("36 pF"), std::string::npos);
    EXPECT_NE(std::string(CkoptRole(ClockChoiceOf(0x29))).find("XTAL1 and XTAL2"),
              std::string::npos);
}

TEST(ClockChoices, WordsAreCutToTheBufferAndEndInANul) {
    const ClockChoice& choice = ClockChoiceOf(0xE1);
    char text[12];
    std::memset(text, 'x', sizeof text);
    EXPECT_FALSE(ClockWords(choice, false, text, sizeof text));
    EXPECT_STREQ(text, "Internal RC");
    char one[1] = {'x'};
    EXPECT_FALSE(ClockWords(choice, false, one, sizeof one));
    EXPECT_EQ(one[0], '\0');
    EXPECT_FALSE(ClockWords(choice, false, nullptr, 0));
}

} // namespace
