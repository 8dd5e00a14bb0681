// What the chip window and the command line do with fuse bytes, as pure functions:
// decode them into the clock choice and the named settings, read a byte from text and
// write it as text, list the changes between two pairs of bytes in words, and tell
// whether a change would touch SPIEN. Applying a choice or a setting is in
// ops/ClockChoices.h and ops/FuseLayout.h. Portable C++17; no heap, every text into a
// buffer of the caller's with its size.
#ifndef TAMBERLO_OPS_FUSEEDITING_H
#define TAMBERLO_OPS_FUSEEDITING_H

#include "ops/ClockChoices.h"
#include "ops/FuseLayout.h"

#include <cstddef>

struct DecodedFuses {
    const ClockChoice* clock;
    bool ckoptProgrammed;
    // The value of each setting of the layout, in its order (0 = all its bits programmed).
    unsigned values[kMaxFuseSettings];
};

DecodedFuses DecodeFuses(const FuseLayout& layout, FuseBytes bytes);

// A fuse byte as the user types it: two hex digits in either case, with or without
// "0x" before them ("E1", "e1", "0xE1"). Anything else (one digit, three, blanks, other
// characters) is refused: false, *value unchanged.
bool ParseFuseByte(const char* text, unsigned char* value);
// The byte as two upper-case hex digits ("E1"); false when size is below 3.
bool FormatFuseByte(unsigned char value, char* text, std::size_t size);

// Whether `after` differs from `before` in SPIEN (or any other bit the program never
// changes).
bool ChangesSpien(const FuseLayout& layout, FuseBytes before, FuseBytes after);

struct FuseChangeList {
    std::size_t lines; // the lines written
    bool complete;     // false when the buffer held only the first `lines` of them
};

// One line per change, each ended by lineEnd: the clock first ("Clock: Internal RC 1 MHz,
// ... -> Crystal 3-8 MHz, ..."), then each setting in the layout's order ("JTAG: on ->
// off", "Brown-out level: 2.7 V -> 4.0 V"). The clock line appears too when only CKOPT
// changed the words of a crystal choice. Only whole lines are written.
FuseChangeList ListFuseChanges(const FuseLayout& layout, FuseBytes before, FuseBytes after,
                               const char* lineEnd, char* text, std::size_t size);

#endif
