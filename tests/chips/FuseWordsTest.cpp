// Fuse bytes and their words: the datasheet defaults and the common recipes decoded and
// built, settings applied (SPIEN never), the change lines between two pairs of bytes,
// the parse and format of a byte, and SPIEN changes told apart.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ops/ClockChoices.h"
#include "ops/FuseEditing.h"
#include "ops/FuseLayout.h"

namespace {

std::string ClockText(FuseBytes bytes) {
    char text[kClockWordsSize];
    ClockWords(ClockChoiceOf(bytes), CkoptProgrammed(bytes), text, sizeof text);
    return text;
}

const FuseSetting& Setting(const FuseLayout& layout, const char* name) {
    const FuseSetting* setting = FindFuseSetting(layout, name);
    EXPECT_NE(setting, nullptr) << name;
    static const FuseSetting none{};
    return setting == nullptr ? none : *setting;
}

std::string Changes(const FuseLayout& layout, FuseBytes before, FuseBytes after,
                    std::size_t* lines = nullptr) {
    char text[1024];
    const FuseChangeList list = ListFuseChanges(layout, before, after, "\n", text, sizeof text);
    EXPECT_TRUE(list.complete);
    if (lines != nullptr) {
        *lines = list.lines;
    }
    return text;
}

// Every bit of both bytes belongs to the clock bits or to exactly one setting.
TEST(FuseWords, EachLayoutNamesEveryBitOnce) {
    for (const FuseLayout* layout : {&kAtmega8535Fuses, &kAtmega16Fuses, &kAtmega32Fuses}) {
        unsigned low = kClockBitsMask;
        unsigned high = 0;
        for (std::size_t i = 0; i < layout->settingCount; ++i) {
            const FuseSetting& s = layout->settings[i];
            unsigned& byte = s.byte == FuseByteId::Low ? low : high;
            EXPECT_EQ(byte & s.mask, 0u) << s.name << " overlaps";
            byte |= s.mask;
            unsigned bits = 0;
            for (unsigned m = s.mask; m != 0; m >>= 1) {
                bits += m & 1;
            }
            EXPECT_EQ(s.valueCount, 1u << bits) << s.name;
            EXPECT_EQ(s.kind == FuseSettingKind::OnOff,
                      bits == 1 && std::strcmp(s.words[0], "on") == 0)
                << s.name;
        }
        EXPECT_EQ(low, 0xFFu);
        EXPECT_EQ(high, 0xFFu);
    }
}

TEST(FuseWords, DefaultsAndRecipesReadInWords) {
    using Words = std::vector<std::pair<const char*, const char*>>;
    struct Case {
        const char* what;
        const FuseLayout* layout;
        FuseBytes bytes;
        const char* clock;
        Words settings; // datasheet name -> words
    };
    const Case cases[] = {
        {"ATmega16 as shipped",
         &kAtmega16Fuses,
         {0xE1, 0x99},
         "Internal RC 1 MHz, slowly rising power (6 CK + 65 ms)",
         {{"BODEN", "off"},
          {"BODLEVEL", "2.7 V"},
          {"CKOPT", "off"},
          {"EESAVE", "off"},
          {"BOOTRST", "off"},
          {"BOOTSZ1:0", "1024 words"},
          {"JTAGEN", "on"},
          {"OCDEN", "off"},
          {"SPIEN", "on"}}},
        {"ATmega32 as shipped",
         &kAtmega32Fuses,
         {0xE1, 0x99},
         "Internal RC 1 MHz, slowly rising power (6 CK + 65 ms)",
         {{"BOOTSZ1:0", "2048 words"}, {"JTAGEN", "on"}, {"SPIEN", "on"}}},
        {"ATmega8535 as shipped",
         &kAtmega8535Fuses,
         {0xE1, 0xD9},
         "Internal RC 1 MHz, slowly rising power (6 CK + 65 ms)",
         {{"S8535C", "off"},
          {"WDTON", "off"},
          {"SPIEN", "on"},
          {"CKOPT", "off"},
          {"BOOTSZ1:0", "1024 words"}}},
        {"ATmega16, JTAG off",
         &kAtmega16Fuses,
         {0xE1, 0xD9},
         "Internal RC 1 MHz, slowly rising power (6 CK + 65 ms)",
         {{"JTAGEN", "off"}, {"OCDEN", "off"}}},
        {"ATmega32, 8 MHz internal RC",
         &kAtmega32Fuses,
         {0xE4, 0xD9},
         "Internal RC 8 MHz, slowly rising power (6 CK + 65 ms)",
         {{"BODEN", "off"}}},
        {"ATmega16, 16 MHz crystal",
         &kAtmega16Fuses,
         {0xFF, 0xC9},
         "Crystal 1-16 MHz, full swing, slowly rising power (16K CK + 65 ms)",
         {{"CKOPT", "on"}, {"JTAGEN", "off"}, {"BOOTSZ1:0", "1024 words"}, {"SPIEN", "on"}}},
        {"brown-out detection at 4.0 V, boot loader of 256 words",
         &kAtmega16Fuses,
         {0x21, 0x9C},
         "Internal RC 1 MHz, slowly rising power (6 CK + 65 ms)",
         {{"BODEN", "on"}, {"BODLEVEL", "4.0 V"}, {"BOOTSZ1:0", "256 words"}, {"BOOTRST", "on"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClockText(c.bytes), c.clock) << c.what;
        const DecodedFuses decoded = DecodeFuses(*c.layout, c.bytes);
        EXPECT_EQ(decoded.clock, &ClockChoiceOf(c.bytes)) << c.what;
        for (const auto& [name, words] : c.settings) {
            const FuseSetting& setting = Setting(*c.layout, name);
            EXPECT_STREQ(FuseSettingWords(setting, c.bytes), words) << c.what << ": " << name;
            const std::size_t index = static_cast<std::size_t>(&setting - c.layout->settings);
            EXPECT_EQ(decoded.values[index], FuseSettingValue(setting, c.bytes)) << name;
        }
    }
    EXPECT_EQ(kAtmega16Fuses.defaults, (FuseBytes{0xE1, 0x99}));
    EXPECT_EQ(kAtmega32Fuses.defaults, (FuseBytes{0xE1, 0x99}));
    EXPECT_EQ(kAtmega8535Fuses.defaults, (FuseBytes{0xE1, 0xD9}));
}

TEST(FuseWords, RecipesAreBuiltFromWords) {
    for (const FuseLayout* layout : {&kAtmega16Fuses, &kAtmega32Fuses}) {
        FuseBytes jtagOff = layout->defaults;
        ASSERT_TRUE(ApplyFuseSettingOn(Setting(*layout, "JTAGEN"), false, &jtagOff));
        EXPECT_EQ(jtagOff, (FuseBytes{0xE1, 0xD9}));

        FuseBytes internal8 = jtagOff;
        ApplyClockChoice(ClockChoiceOf(0x24), &internal8); // Internal RC 8 MHz, slowly rising
        EXPECT_EQ(internal8, (FuseBytes{0xE4, 0xD9}));

        FuseBytes crystal16 = jtagOff;
        ApplyClockChoice(ClockChoiceOf(0x3F), &crystal16); // crystal, slowly rising power
        ASSERT_TRUE(ApplyFuseSettingOn(Setting(*layout, "CKOPT"), true, &crystal16));
        EXPECT_EQ(crystal16, (FuseBytes{0xFF, 0xC9}));
    }
}

TEST(FuseWords, SettingsApplyWithinTheirBitsAndSpienNever) {
    struct Case {
        FuseBytes start;
        const char* name;
        unsigned value;
        bool applied;
        FuseBytes result;
    };
    const Case cases[] = {
        {{0xE1, 0x99}, "BODEN", 0, true, {0xA1, 0x99}},
        {{0xE1, 0x99}, "BODLEVEL", 0, true, {0x61, 0x99}},
        {{0x61, 0x99}, "BODLEVEL", 1, true, {0xE1, 0x99}},
        {{0xE1, 0x99}, "BOOTSZ1:0", 2, true, {0xE1, 0x9D}},
        {{0xE1, 0x99}, "BOOTSZ1:0", 3, true, {0xE1, 0x9F}},
        {{0xE1, 0x99}, "EESAVE", 0, true, {0xE1, 0x91}},
        {{0xE1, 0x99}, "OCDEN", 0, true, {0xE1, 0x19}},
        {{0xE1, 0x99}, "BOOTSZ1:0", 4, false, {0xE1, 0x99}},
        {{0xE1, 0x99}, "JTAGEN", 2, false, {0xE1, 0x99}},
        {{0xE1, 0x99}, "SPIEN", 1, false, {0xE1, 0x99}},
        {{0xE1, 0x99}, "SPIEN", 0, false, {0xE1, 0x99}},
    };
    for (const Case& c : cases) {
        FuseBytes bytes = c.start;
        EXPECT_EQ(ApplyFuseSetting(Setting(kAtmega16Fuses, c.name), c.value, &bytes), c.applied)
            << c.name << " " << c.value;
        EXPECT_EQ(bytes, c.result) << c.name << " " << c.value;
    }
    FuseBytes bytes = kAtmega16Fuses.defaults;
    EXPECT_FALSE(ApplyFuseSettingOn(Setting(kAtmega16Fuses, "BODLEVEL"), true, &bytes))
        << "a level is no on/off";
    EXPECT_FALSE(ApplyFuseSetting(Setting(kAtmega16Fuses, "BODEN"), 0, nullptr));
}

TEST(FuseWords, ChangesReadAsLinesInWords) {
    struct Case {
        const FuseLayout* layout;
        FuseBytes before;
        FuseBytes after;
        const char* lines;
    };
    const Case cases[] = {
        {&kAtmega16Fuses, {0xE1, 0x99}, {0xE1, 0x99}, ""},
        {&kAtmega16Fuses, {0xE1, 0x99}, {0xE1, 0xD9}, "JTAG: on -> off\n"},
        {&kAtmega16Fuses, {0xE1, 0x99}, {0xA1, 0x99}, "Brown-out detection: off -> on\n"},
        {&kAtmega16Fuses, {0xE1, 0x99}, {0x61, 0x99}, "Brown-out level: 2.7 V -> 4.0 V\n"},
        {&kAtmega32Fuses, {0xE1, 0x99}, {0xE1, 0x9B}, "Boot size: 2048 words -> 1024 words\n"},
        {&kAtmega16Fuses,
         {0xE1, 0x99},
         {0xE4, 0x99},
         "Clock: Internal RC 1 MHz, slowly rising power (6 CK + 65 ms) -> Internal RC 8 MHz, "
         "slowly rising power (6 CK + 65 ms)\n"},
        {&kAtmega16Fuses,
         {0xE1, 0x99},
         {0xFF, 0xC9},
         "Clock: Internal RC 1 MHz, slowly rising power (6 CK + 65 ms) -> Crystal 1-16 MHz, "
         "full swing, slowly rising power (16K CK + 65 ms)\n"
         "CKOPT: off -> on\n"
         "JTAG: on -> off\n"},
        // CKOPT alone changes what a crystal choice means.
        {&kAtmega16Fuses,
         {0xFF, 0xD9},
         {0xFF, 0xC9},
         "Clock: Crystal 3-8 MHz, slowly rising power (16K CK + 65 ms) -> Crystal 1-16 MHz, "
         "full swing, slowly rising power (16K CK + 65 ms)\n"
         "CKOPT: off -> on\n"},
        // ... but not an internal RC choice.
        {&kAtmega16Fuses, {0xE1, 0x99}, {0xE1, 0x89}, "CKOPT: off -> on\n"},
        {&kAtmega8535Fuses,
         {0xE1, 0xD9},
         {0xE1, 0x19},
         "AT90S4434/8535 compatibility mode: off -> on\nWatchdog always on: off -> on\n"},
        {&kAtmega8535Fuses,
         {0xE1, 0xD9},
         {0xE1, 0xD1},
         "Keep EEPROM through chip erase: off -> on\n"},
        {&kAtmega16Fuses, {0xE1, 0x99}, {0xE1, 0xB9}, "Serial programming: on -> off\n"},
    };
    for (const Case& c : cases) {
        std::size_t lines = 0;
        EXPECT_EQ(Changes(*c.layout, c.before, c.after, &lines), c.lines);
        std::size_t expected = 0;
        for (const char* at = c.lines; *at != '\0'; ++at) {
            expected += *at == '\n' ? 1 : 0;
        }
        EXPECT_EQ(lines, expected) << c.lines;
    }
}

TEST(FuseWords, ChangeLinesThatDoNotFitAreLeftOutWhole) {
    const FuseBytes before{0xE1, 0x99};
    const FuseBytes after{0xA1, 0xD9}; // "Brown-out detection: off -> on", "JTAG: on -> off"
    const std::string first = "Brown-out detection: off -> on\r\n";
    char text[64];
    std::memset(text, 'x', sizeof text);
    FuseChangeList list =
        ListFuseChanges(kAtmega16Fuses, before, after, "\r\n", text, first.size() + 5);
    EXPECT_FALSE(list.complete);
    EXPECT_EQ(list.lines, 1u);
    EXPECT_EQ(text, first);
    EXPECT_EQ(text[first.size() + 5], 'x') << "written past the size given";

    list = ListFuseChanges(kAtmega16Fuses, before, after, "\r\n", text, 4);
    EXPECT_FALSE(list.complete);
    EXPECT_EQ(list.lines, 0u);
    EXPECT_STREQ(text, "");

    list = ListFuseChanges(kAtmega16Fuses, before, after, "\r\n", nullptr, 0);
    EXPECT_FALSE(list.complete);
    list = ListFuseChanges(kAtmega16Fuses, before, before, "\r\n", nullptr, 0);
    EXPECT_TRUE(list.complete) << "nothing to tell fits anywhere";
}

TEST(FuseWords, SpienChangesAreToldApart) {
    struct Case {
        FuseBytes before;
        FuseBytes after;
        bool spien;
    };
    const Case cases[] = {
        {{0xE1, 0x99}, {0xE1, 0x99}, false}, {{0xE1, 0x99}, {0xE1, 0xB9}, true},
        {{0xE1, 0xB9}, {0xE1, 0x99}, true},  {{0xE1, 0x99}, {0xFF, 0xC9}, false},
        {{0xE1, 0x99}, {0x00, 0x00}, false}, {{0xE1, 0x99}, {0xFF, 0xFF}, true},
    };
    for (const FuseLayout* layout : {&kAtmega8535Fuses, &kAtmega16Fuses, &kAtmega32Fuses}) {
        for (const Case& c : cases) {
            EXPECT_EQ(ChangesSpien(*layout, c.before, c.after), c.spien)
                << int{c.before.high} << " -> " << int{c.after.high};
        }
    }
}

TEST(FuseWords, BytesAreReadAsTwoHexDigits) {
    struct Case {
        const char* text;
        int value; // -1: refused
    };
    const Case cases[] = {
        {"E1", 0xE1}, {"e1", 0xE1},   {"0xE1", 0xE1}, {"0Xe1", 0xE1}, {"00", 0x00},
        {"FF", 0xFF}, {"0x09", 0x09}, {"9f", 0x9F},   {"", -1},       {"E", -1},
        {"0x", -1},   {"0xE", -1},    {"E12", -1},    {"0xE12", -1},  {"0x0E1", -1},
        {" E1", -1},  {"E1 ", -1},    {"G1", -1},     {"0xG1", -1},   {"x1", -1},
        {"-1", -1},   {"+E1", -1},    {"E1h", -1},    {"$E1", -1},    {"0x 1", -1},
    };
    for (const Case& c : cases) {
        unsigned char value = 0x5A;
        EXPECT_EQ(ParseFuseByte(c.text, &value), c.value >= 0) << '"' << c.text << '"';
        EXPECT_EQ(value, c.value >= 0 ? c.value : 0x5A) << '"' << c.text << '"';
    }
    unsigned char value = 0;
    EXPECT_FALSE(ParseFuseByte(nullptr, &value));
    EXPECT_FALSE(ParseFuseByte("E1", nullptr));
}

TEST(FuseWords, BytesAreWrittenAsTwoUpperCaseDigits) {
    char text[3];
    ASSERT_TRUE(FormatFuseByte(0xE1, text, sizeof text));
    EXPECT_STREQ(text, "E1");
    ASSERT_TRUE(FormatFuseByte(0x0A, text, sizeof text));
    EXPECT_STREQ(text, "0A");
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned char parsed = 0;
        ASSERT_TRUE(FormatFuseByte(static_cast<unsigned char>(byte), text, sizeof text));
        ASSERT_TRUE(ParseFuseByte(text, &parsed)) << text;
        EXPECT_EQ(parsed, byte);
    }
    char small[2] = {'x', 'x'};
    EXPECT_FALSE(FormatFuseByte(0xE1, small, sizeof small));
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(small[1], 'x');
    EXPECT_FALSE(FormatFuseByte(0xE1, nullptr, 3));
}

} // namespace
