// The fuse confirmation and the clock's warnings: the list of changes, then each warning a
// new clock calls for as a paragraph of its own, the same paragraphs that the command line
// prints when it refuses a risky clock.
#include "app/ChipMessages.h"
#include "ops/FuseEditing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr FuseBytes kNewChip = {0xE1, 0x99};    // internal RC 1 MHz, JTAG on
constexpr FuseBytes kCrystal = {0xFF, 0x99};    // crystal 3-8 MHz, slowly rising power
constexpr std::uint32_t kFastPc_Hz = 1000;      // reaches any chip clock
constexpr std::uint32_t kSlowPc_Hz = 100000000; // reaches no chip clock at all

struct WarningCase {
    const char* name;
    FuseBytes before;
    FuseBytes after;
    std::uint32_t reachable_Hz;
    std::vector<std::string> paragraphs; // how each warning paragraph begins
};

void PrintTo(const WarningCase& c, std::ostream* out) {
    *out << c.name;
}

const WarningCase kWarningCases[] = {
    {"JtagOffKeepsTheClock", kNewChip, {0xE1, 0xD9}, kSlowPc_Hz, {}},
    {"InternalRc8MHzNeedsNoPart", kNewChip, {0xE4, 0x99}, kFastPc_Hz, {}},
    {"CrystalOnAFastPc",
     kNewChip,
     kCrystal,
     kFastPc_Hz,
     {"Warning: this clock needs a crystal", "A slow clock needs a larger Delay Bit"}},
    {"CrystalTooSlowForThisPc",
     kNewChip,
     kCrystal,
     kSlowPc_Hz,
     {"Warning: this clock needs a crystal", "Warning: this clock may run as slowly as"}},
    {"BackToTheInternalRcTooSlowForThisPc",
     kCrystal,
     kNewChip,
     900000,
     {"Warning: this clock may run as slowly as 800000 Hz"}},
};

class FuseConfirmationTest : public testing::TestWithParam<WarningCase> {};

std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> paragraphs;
    std::size_t start = 0;
    for (std::size_t gap; (gap = text.find("\n\n", start)) != std::string::npos; start = gap + 2)
        paragraphs.push_back(text.substr(start, gap + 1 - start));
    paragraphs.push_back(text.substr(start));
    return paragraphs;
}

TEST_P(FuseConfirmationTest, ListsTheChangesThenEachWarningAsAParagraph) {
    const WarningCase& c = GetParam();
    char warnings[kChipMessageSize];
    const char* told =
        ClockWarningsText(c.before, c.after, c.reachable_Hz, warnings, sizeof warnings);
    char changes[kChipMessageSize];
    ListFuseChanges(kAtmega16Fuses, c.before, c.after, "\n", changes, sizeof changes);
    char low[3];
    char high[3];
    FormatFuseByte(c.after.low, low, sizeof low);
    FormatFuseByte(c.after.high, high, sizeof high);
    std::string expected = std::string("Write the fuses Low ") + low + ", High " + high +
                           "? This changes:\n" + changes;

    if (c.paragraphs.empty()) {
        EXPECT_EQ(told, nullptr) << told;
    } else {
        ASSERT_NE(told, nullptr);
        const std::vector<std::string> paragraphs = Paragraphs(told);
        ASSERT_EQ(paragraphs.size(), c.paragraphs.size()) << told;
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            EXPECT_EQ(paragraphs[i].rfind(c.paragraphs[i], 0), 0u) << paragraphs[i];
            EXPECT_EQ(paragraphs[i].back(), '\n') << paragraphs[i];
        }
        expected += std::string("\n") + told;
    }
    char text[kChipMessageSize];
    const char* confirmation =
        FuseConfirmationText(kAtmega16Fuses, c.before, c.after, c.reachable_Hz, text, sizeof text);
    ASSERT_NE(confirmation, nullptr);
    EXPECT_EQ(confirmation, expected);
}

INSTANTIATE_TEST_SUITE_P(Clocks, FuseConfirmationTest, testing::ValuesIn(kWarningCases),
                         [](const testing::TestParamInfo<WarningCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(FuseConfirmationTest, NothingToConfirmWhenNothingChanges) {
    char text[kChipMessageSize];
    EXPECT_EQ(
        FuseConfirmationText(kAtmega16Fuses, kCrystal, kCrystal, kSlowPc_Hz, text, sizeof text),
        nullptr);
    EXPECT_EQ(ClockWarningsText(kCrystal, kCrystal, kSlowPc_Hz, text, sizeof text), nullptr);
}

} // namespace
