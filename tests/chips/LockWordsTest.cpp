// Lock bytes in words: the ATmega lock byte with its boot lock bits, the AT90S lock and
// fuse byte, and the signature of an AT90S in lock mode 3. Then every text the chip
// facts give the window and the command line, checked to stay within 7-bit ASCII.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ops/ClockChoices.h"
#include "ops/FuseLayout.h"
#include "ops/LockBits.h"

namespace {

TEST(LockWords, AtmegaLockBytesReadAsModesAndBootLocks) {
    struct Case {
        unsigned char value;
        const char* mode;
        bool lockBit1;
        const char* blb0;
        const char* blb1;
    };
    const char* const free0 = "BLB0, application section: no restrictions";
    const char* const free1 = "BLB1, boot loader section: no restrictions";
    const Case cases[] = {
        {0xFF, "no lock", false, free0, free1},
        // Bits 7-6 are not lock bits.
        {0x3F, "no lock", false, free0, free1},
        {0xFE, "further programming disabled", true, free0, free1},
        {0xFC, "programming and reading disabled", true, free0, free1},
        {0xFD, "lock bit 2 alone, not a datasheet lock mode", false, free0, free1},
        {0xFB, "no lock", false, "BLB0, application section: SPM cannot write it", free1},
        {0xF7, "no lock", false, "BLB0, application section: LPM in the boot loader cannot read it",
         free1},
        {0xEF, "no lock", false, free0, "BLB1, boot loader section: SPM cannot write it"},
        {0xDF, "no lock", false, free0,
         "BLB1, boot loader section: LPM in the application cannot read it"},
        // What the AT90S form of Write Lock Bits leaves in an ATmega: every bit programmed.
        {0xC0, "programming and reading disabled", true,
         "BLB0, application section: SPM cannot write it, LPM in the boot loader cannot read "
         "it",
         "BLB1, boot loader section: SPM cannot write it, LPM in the application cannot read "
         "it"},
    };
    for (const Case& c : cases) {
        const AtmegaLockByte lock = DecodeAtmegaLockByte(c.value);
        EXPECT_STREQ(LockModeWords(lock.lock.mode), c.mode) << int{c.value};
        EXPECT_EQ(lock.lock.lockBit1, c.lockBit1) << int{c.value};
        EXPECT_STREQ(BootLockWords(BootLockField::Blb0, lock.blb0), c.blb0) << int{c.value};
        EXPECT_STREQ(BootLockWords(BootLockField::Blb1, lock.blb1), c.blb1) << int{c.value};
    }
}

TEST(LockWords, At90sLockAndFuseByteReadsAsLockSpienAndFstrt) {
    struct Case {
        unsigned char value;
        const char* mode;
        bool lockBit1;
        bool spien;
        bool fstrt;
    };
    const Case cases[] = {
        {0xDF, "no lock", false, true, false}, // as shipped
        {0xDE, "no lock", false, true, true},
        {0x5F, "further programming disabled", true, true, false},
        {0x1F, "programming and reading disabled", true, true, false},
        {0x9F, "lock bit 2 alone, not a datasheet lock mode", false, true, false},
        {0xFF, "no lock", false, false, false},
        {0x00, "programming and reading disabled", true, true, true},
    };
    for (const Case& c : cases) {
        const At90sLockAndFuse decoded = DecodeAt90sLockAndFuse(c.value);
        EXPECT_STREQ(LockModeWords(decoded.lock.mode), c.mode) << int{c.value};
        EXPECT_EQ(decoded.lock.lockBit1, c.lockBit1) << int{c.value};
        EXPECT_EQ(decoded.spienProgrammed, c.spien) << int{c.value};
        EXPECT_EQ(decoded.fstrtProgrammed, c.fstrt) << int{c.value};
    }
    EXPECT_STREQ(ProgrammedWords(true), "on");
    EXPECT_STREQ(ProgrammedWords(false), "off");
}

TEST(LockWords, An_At90sInLockMode3AnswersItsSignatureAddresses) {
    const unsigned char locked[3] = {0x00, 0x01, 0x02};
    const unsigned char at90s8535[3] = {0x1E, 0x93, 0x03};
    const unsigned char other[3] = {0x00, 0x01, 0x03};
    const unsigned char blank[3] = {0x00, 0x00, 0x00};
    EXPECT_TRUE(IsAt90sLockMode3Signature(locked));
    EXPECT_FALSE(IsAt90sLockMode3Signature(at90s8535));
    EXPECT_FALSE(IsAt90sLockMode3Signature(other));
    EXPECT_FALSE(IsAt90sLockMode3Signature(blank));
    EXPECT_FALSE(IsAt90sLockMode3Signature(nullptr));
    EXPECT_STREQ(kAt90sLockMode3Words,
                 "AT90S4434 or AT90S8535 in lock mode 3; only Erase unlocks it");
}

// The program's texts are 8-bit ANSI: the chip facts keep to ASCII ("-", never a dash of
// another code page).
TEST(ChipTexts, EveryTextIsPrintableAscii) {
    std::vector<std::string> texts = {kAt90sSpienLabel, kAt90sFstrtLabel, kAt90sLockMode3Words,
                                      ProgrammedWords(true), ProgrammedWords(false)};
    for (const LockMode mode : {LockMode::None, LockMode::NoFurtherProgramming,
                                LockMode::NoProgrammingOrReading, LockMode::Lock2Alone}) {
        texts.push_back(LockModeWords(mode));
    }
    for (unsigned char mode = 0; mode < 4; ++mode) {
        texts.push_back(BootLockWords(BootLockField::Blb0, mode));
        texts.push_back(BootLockWords(BootLockField::Blb1, mode));
    }
    for (std::size_t i = 0; i < kClockChoiceCount; ++i) {
        for (const bool ckopt : {false, true}) {
            char words[kClockWordsSize];
            ClockWords(kClockChoices[i], ckopt, words, sizeof words);
            texts.push_back(words);
        }
        texts.push_back(CkoptRole(kClockChoices[i]));
        texts.push_back(XtalPartWords(XtalPartOf(kClockChoices[i])));
    }
    for (const FuseLayout* layout : {&kAtmega8535Fuses, &kAtmega16Fuses, &kAtmega32Fuses}) {
        for (std::size_t i = 0; i < layout->settingCount; ++i) {
            const FuseSetting& s = layout->settings[i];
            texts.insert(texts.end(), {s.name, s.label, s.meaning});
            texts.insert(texts.end(), s.words, s.words + s.valueCount);
        }
    }
    for (const std::string& text : texts) {
        for (const char c : text) {
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "\"" << text << "\"";
        }
    }
}

} // namespace
