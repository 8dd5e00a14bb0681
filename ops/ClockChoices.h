// The clock source of the ATmega8535, ATmega16 and ATmega32 as one list: every value of
// the low fuse's CKSEL3:0 and SUT1:0 bits, each with its words, what it needs on
// XTAL1/XTAL2, and the lowest chip clock it can mean. The reserved values are in the
// list too, as "not a datasheet choice", so that every low fuse byte finds its entry.
//
// CKOPT (high fuse bit 4) stays a named setting of its own. It changes what a crystal
// choice means (without it the low-power oscillator covers 0.4-0.9, 0.9-3 or 3-8 MHz;
// with it the full-swing oscillator runs from 1 MHz up to the chip's 16 MHz in all three
// settings), so the words and the lowest clock of a choice are asked for with CKOPT's
// state; CkoptRole tells what CKOPT does with each source. Portable C++17; no heap.
#ifndef TAMBERLO_OPS_CLOCKCHOICES_H
#define TAMBERLO_OPS_CLOCKCHOICES_H

#include "ops/FuseLayout.h"

#include <cstddef>
#include <cstdint>

enum class ClockSource : unsigned char {
    InternalRc,          // CKSEL 0001-0100: the calibrated internal RC oscillator
    Crystal,             // CKSEL 1010-1111: a crystal or ceramic resonator
    LowFrequencyCrystal, // CKSEL 1001: a 32.768 kHz watch crystal
    ExternalRc,          // CKSEL 0101-1000: an RC network on XTAL1
    ExternalClock,       // CKSEL 0000: a clock signal fed into XTAL1
    NotADatasheetChoice, // a reserved SUT value
};

// What a clock source needs on XTAL1/XTAL2.
enum class XtalPart : unsigned char {
    Nothing,
    CrystalOrResonator,
    WatchCrystal, // 32.768 kHz
    RcNetwork,
    ClockSignal,
    Unknown, // a reserved value: nothing the datasheet promises
};

struct ClockChoice {
    unsigned char lowBits; // SUT1:0 and CKSEL3:0 as they sit in the low fuse (bits 5-0)
    ClockSource source;
    // The words are part, range, start-up: "Crystal" "3-8 MHz" "slowly rising power
    // (16K CK + 65 ms)". Part and range differ with CKOPT programmed.
    const char* part;
    const char* partWithCkopt;
    const char* range; // "" where the source has no range of its own
    const char* rangeWithCkopt;
    const char* startUp;
    // The lowest chip clock the choice can mean, in Hz; 0 where nothing sets a lower
    // limit (an external clock, an RC network up to 0.9 MHz, a reserved value).
    std::uint32_t lowestClock_Hz;
    std::uint32_t lowestClockWithCkopt_Hz;
};

// All 64 values, internal RC first, reserved values last.
extern const ClockChoice kClockChoices[];
extern const std::size_t kClockChoiceCount;

// The entry of the clock bits in this low fuse byte (the other bits are ignored).
const ClockChoice& ClockChoiceOf(unsigned char lowFuse);
// The clock choice of these fuse bytes, CKOPT's state beside it.
const ClockChoice& ClockChoiceOf(FuseBytes bytes);
bool CkoptProgrammed(FuseBytes bytes);

// The low fuse byte with its clock bits set to the choice, the other bits kept.
unsigned char ApplyClockChoice(const ClockChoice& choice, unsigned char lowFuse);
void ApplyClockChoice(const ClockChoice& choice, FuseBytes* bytes);

bool IsDatasheetChoice(const ClockChoice& choice);
XtalPart XtalPartOf(const ClockChoice& choice);
// Whether the chip runs only with a part on XTAL1/XTAL2 (a crystal or resonator, a
// 32 kHz crystal, an RC network, a clock signal); true for a reserved value.
bool NeedsXtalPart(const ClockChoice& choice);
// "nothing", "a crystal or ceramic resonator on XTAL1 and XTAL2", ...
const char* XtalPartWords(XtalPart part);

std::uint32_t LowestClock_Hz(const ClockChoice& choice, bool ckoptProgrammed);

// The choice in words, e.g. "Internal RC 8 MHz, slowly rising power (6 CK + 65 ms)";
// false when `size` was too small (the text is cut, and ends in a NUL).
bool ClockWords(const ClockChoice& choice, bool ckoptProgrammed, char* text, std::size_t size);
// Room enough for any ClockWords text.
constexpr std::size_t kClockWordsSize = 128;

// What CKOPT does with this clock source, in words.
const char* CkoptRole(const ClockChoice& choice);

#endif
