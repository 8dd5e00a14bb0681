// The fuse bytes of the ATmega8535, ATmega16 and ATmega32: each named bit or field with
// its byte, its mask, its datasheet name and what it means in words, and the bytes the
// chips ship with. The clock bits (CKSEL3:0, SUT1:0) are one list of their own, in
// ops/ClockChoices.h. A programmed fuse bit reads 0. Portable C++17; no heap.
#ifndef TAMBERLO_OPS_FUSELAYOUT_H
#define TAMBERLO_OPS_FUSELAYOUT_H

#include <cstddef>

enum class FuseByteId : unsigned char { Low, High };

// The two fuse bytes as the chip reads them.
struct FuseBytes {
    unsigned char low;
    unsigned char high;
};

inline bool operator==(FuseBytes a, FuseBytes b) {
    return a.low == b.low && a.high == b.high;
}
inline bool operator!=(FuseBytes a, FuseBytes b) {
    return !(a == b);
}

// Low fuse bits 5-0: SUT1:0 (bits 5-4) and CKSEL3:0 (bits 3-0), the same on all three.
constexpr unsigned char kClockBitsMask = 0x3F;
// High fuse bit 4 on all three; what it does depends on the clock source.
constexpr unsigned char kCkoptMask = 0x10;

enum class FuseSettingKind : unsigned char {
    OnOff,  // one bit; programmed (0) is "on"
    Choice, // a field whose values have words of their own (a level, a size)
};

// One named bit or field of a fuse byte other than the clock bits.
struct FuseSetting {
    FuseByteId byte;
    unsigned char mask;  // its bits in that byte, side by side
    const char* name;    // as the datasheet names it: "JTAGEN", "BOOTSZ1:0"
    const char* label;   // in words, for the window and the change lines: "JTAG"
    const char* meaning; // a short explanation ("takes PC2-PC5"), or ""
    FuseSettingKind kind;
    bool changeable;          // false for SPIEN, which the cable cannot change
    const char* const* words; // the words of each value of the field, by value
    unsigned valueCount;      // 2 for one bit, 4 for two
};

// The most settings a layout has (the ATmega16 and ATmega32 have 9).
constexpr std::size_t kMaxFuseSettings = 10;

struct FuseLayout {
    FuseBytes defaults; // as the datasheet says the chip ships
    const FuseSetting* settings;
    std::size_t settingCount;
};

extern const FuseLayout kAtmega8535Fuses;
extern const FuseLayout kAtmega16Fuses;
extern const FuseLayout kAtmega32Fuses;

// The setting of `layout` with this datasheet name, or nullptr.
const FuseSetting* FindFuseSetting(const FuseLayout& layout, const char* name);

// The value of the setting's field in `bytes` (0 = all its bits programmed).
unsigned FuseSettingValue(const FuseSetting& setting, FuseBytes bytes);
// The words of the setting's value in `bytes`: "on", "off", "4.0 V", "512 words".
const char* FuseSettingWords(const FuseSetting& setting, FuseBytes bytes);
// For an OnOff setting: whether it is programmed ("on") in `bytes`.
bool FuseSettingOn(const FuseSetting& setting, FuseBytes bytes);

// Puts `value` into the setting's field of *bytes. False, with *bytes unchanged, for a
// setting the program never changes (SPIEN) or a value the field cannot hold.
bool ApplyFuseSetting(const FuseSetting& setting, unsigned value, FuseBytes* bytes);
// For an OnOff setting: programs it (on) or unprograms it (off), as ApplyFuseSetting.
bool ApplyFuseSettingOn(const FuseSetting& setting, bool on, FuseBytes* bytes);

#endif
