// The fuse bytes of the three ATmegas, from their datasheets' "Fuse Bits" tables (Fuse
// High Byte, Fuse Low Byte, with the default values), the "Boot Size Configuration"
// tables and the brown-out levels of "System and Reset Characteristics". Atmel's device
// files for these chips give the same defaults (ATmega16 and ATmega32: low 0xE1, high
// 0x99; ATmega8535: low 0xE1, high 0xD9).
#include "ops/FuseLayout.h"

#include <cstring>

namespace {

constexpr const char* kOnOff[] = {"on", "off"};
// BODLEVEL programmed: the brown-out detector trips at 4.0 V; unprogrammed at 2.7 V.
constexpr const char* kBrownOutLevels[] = {"4.0 V", "2.7 V"};
// BOOTSZ1:0 = 00, 01, 10, 11.
constexpr const char* kBootSizes1024[] = {"1024 words", "512 words", "256 words", "128 words"};
constexpr const char* kBootSizes2048[] = {"2048 words", "1024 words", "512 words", "256 words"};

constexpr FuseSetting OnOff(FuseByteId byte, unsigned char mask, const char* name,
                            const char* label, const char* meaning) {
    return {byte, mask, name, label, meaning, FuseSettingKind::OnOff, true, kOnOff, 2};
}

constexpr FuseSetting kBrownOutDetection =
    OnOff(FuseByteId::Low, 0x40, "BODEN", "Brown-out detection",
          "holds the chip in reset while the supply is below the brown-out level");
constexpr FuseSetting kBrownOutLevel = {FuseByteId::Low,
                                        0x80,
                                        "BODLEVEL",
                                        "Brown-out level",
                                        "the supply voltage brown-out detection watches for",
                                        FuseSettingKind::Choice,
                                        true,
                                        kBrownOutLevels,
                                        2};
constexpr FuseSetting kCkopt = OnOff(FuseByteId::High, kCkoptMask, "CKOPT", "CKOPT",
                                     "oscillator option; what it does depends on the clock source");
constexpr FuseSetting kKeepEeprom =
    OnOff(FuseByteId::High, 0x08, "EESAVE", "Keep EEPROM through chip erase",
          "Erase leaves the EEPROM as it is");
constexpr FuseSetting kBootResetVector =
    OnOff(FuseByteId::High, 0x01, "BOOTRST", "Boot reset vector",
          "reset starts the boot loader section, not address 0");
constexpr FuseSetting BootSize(const char* const* sizes) {
    return {FuseByteId::High,
            0x06,
            "BOOTSZ1:0",
            "Boot size",
            "the size of the boot loader section",
            FuseSettingKind::Choice,
            true,
            sizes,
            4};
}
constexpr FuseSetting kJtag =
    OnOff(FuseByteId::High, 0x40, "JTAGEN", "JTAG", "JTAG interface; takes PC2-PC5");
constexpr FuseSetting kOnChipDebug = OnOff(FuseByteId::High, 0x80, "OCDEN", "On-chip debug",
                                           "debugging through JTAG; raises the current in sleep");
constexpr FuseSetting kCompatibility =
    OnOff(FuseByteId::High, 0x80, "S8535C", "AT90S4434/8535 compatibility mode", "");
constexpr FuseSetting kWatchdogAlwaysOn = OnOff(
    FuseByteId::High, 0x40, "WDTON", "Watchdog always on", "the program cannot stop the watchdog");
// SPIEN cannot be changed over the serial interface: shown, never written otherwise
// than as read.
constexpr FuseSetting kSerialProgramming = {FuseByteId::High,
                                            0x20,
                                            "SPIEN",
                                            "Serial programming",
                                            "the cable needs it; it cannot be changed here",
                                            FuseSettingKind::OnOff,
                                            false,
                                            kOnOff,
                                            2};

// In the order the window shows them.
constexpr FuseSetting kAtmega16Settings[] = {
    kBrownOutDetection,       kBrownOutLevel, kCkopt,       kKeepEeprom,        kBootResetVector,
    BootSize(kBootSizes1024), kJtag,          kOnChipDebug, kSerialProgramming,
};
constexpr FuseSetting kAtmega32Settings[] = {
    kBrownOutDetection,       kBrownOutLevel, kCkopt,       kKeepEeprom,        kBootResetVector,
    BootSize(kBootSizes2048), kJtag,          kOnChipDebug, kSerialProgramming,
};
constexpr FuseSetting kAtmega8535Settings[] = {
    kBrownOutDetection, kBrownOutLevel,    kCkopt,
    kKeepEeprom,        kBootResetVector,  BootSize(kBootSizes1024),
    kCompatibility,     kWatchdogAlwaysOn, kSerialProgramming,
};

template <std::size_t N>
constexpr FuseLayout Layout(FuseBytes defaults, const FuseSetting (&settings)[N]) {
    static_assert(N <= kMaxFuseSettings, "more settings than DecodeFuses has room for");
    return {defaults, settings, N};
}

unsigned char ByteOf(const FuseSetting& setting, FuseBytes bytes) {
    return setting.byte == FuseByteId::Low ? bytes.low : bytes.high;
}

unsigned ShiftOf(unsigned char mask) {
    unsigned shift = 0;
    while (shift < 8 && ((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    return shift;
}

} // namespace

// Low 0xE1: BODLEVEL and BODEN unprogrammed, SUT1:0 = 10, CKSEL3:0 = 0001 (internal RC,
// 1 MHz, slowly rising power). High 0x99: OCDEN unprogrammed, JTAGEN and SPIEN
// programmed, CKOPT and EESAVE unprogrammed, BOOTSZ1:0 = 00, BOOTRST unprogrammed.
const FuseLayout kAtmega16Fuses = Layout({0xE1, 0x99}, kAtmega16Settings);
const FuseLayout kAtmega32Fuses = Layout({0xE1, 0x99}, kAtmega32Settings);
// High 0xD9: S8535C and WDTON unprogrammed in place of OCDEN and JTAGEN. (avr-libc's
// header gives this chip a low fuse default of 0xC1; its datasheet says 0xE1.)
const FuseLayout kAtmega8535Fuses = Layout({0xE1, 0xD9}, kAtmega8535Settings);

const FuseSetting* FindFuseSetting(const FuseLayout& layout, const char* name) {
    for (std::size_t i = 0; i < layout.settingCount; ++i) {
        if (name != nullptr && std::strcmp(layout.settings[i].name, name) == 0) {
            return &layout.settings[i];
        }
    }
    return nullptr;
}

unsigned FuseSettingValue(const FuseSetting& setting, FuseBytes bytes) {
    return (ByteOf(setting, bytes) & setting.mask) >> ShiftOf(setting.mask);
}

const char* FuseSettingWords(const FuseSetting& setting, FuseBytes bytes) {
    const unsigned value = FuseSettingValue(setting, bytes);
    return value < setting.valueCount ? setting.words[value] : "";
}

bool FuseSettingOn(const FuseSetting& setting, FuseBytes bytes) {
    return FuseSettingValue(setting, bytes) == 0;
}

bool ApplyFuseSetting(const FuseSetting& setting, unsigned value, FuseBytes* bytes) {
    if (bytes == nullptr || !setting.changeable || value >= setting.valueCount) {
        return false;
    }
    unsigned char& byte = setting.byte == FuseByteId::Low ? bytes->low : bytes->high;
    const unsigned placed = (value << ShiftOf(setting.mask)) & setting.mask;
    byte = static_cast<unsigned char>((byte & ~setting.mask) | placed);
    return true;
}

bool ApplyFuseSettingOn(const FuseSetting& setting, bool on, FuseBytes* bytes) {
    return setting.kind == FuseSettingKind::OnOff && ApplyFuseSetting(setting, on ? 0 : 1, bytes);
}
