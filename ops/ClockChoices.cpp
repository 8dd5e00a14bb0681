// The clock choices of the ATmega8535, ATmega16 and ATmega32, from their datasheets'
// "System Clock and Clock Options": Device Clocking Options Select, Crystal Oscillator
// Operating Modes (with CKOPT), Start-up Times for the Crystal Oscillator, the
// Low-frequency Crystal Oscillator, the External RC Oscillator, the Calibrated Internal
// RC Oscillator and the External Clock. The three chips share these tables.
#include "ops/ClockChoices.h"

#include "ops/TextWriter.h"

namespace {

// The factory calibration holds the internal RC oscillator within 3% of 1 MHz at 5 V and
// 25 C only, it drifts lower with temperature and supply, and the 2, 4 and 8 MHz
// settings run with the 1 MHz calibration byte that reset loads: count on no more than
// 80% of the nominal frequency as the lowest.
constexpr std::uint32_t kInternalRcLowest_percent = 80;
// With CKOPT programmed the crystal oscillator swings rail to rail from 1 MHz up.
constexpr std::uint32_t kFullSwingLowest_Hz = 1000000;
constexpr std::uint32_t kWatchCrystal_Hz = 32768;

constexpr unsigned char Bits(unsigned cksel, unsigned sut) {
    return static_cast<unsigned char>(sut << 4 | cksel);
}

constexpr ClockChoice Same(unsigned char bits, ClockSource source, const char* part,
                           const char* range, const char* startUp, std::uint32_t lowest_Hz) {
    return {bits, source, part, part, range, range, startUp, lowest_Hz, lowest_Hz};
}

// Internal RC: CKSEL3:0 = 0001 (1 MHz) to 0100 (8 MHz); SUT1:0 = 11 is reserved.
constexpr const char* kRcStartUp[] = {"BOD enabled (6 CK)", "fast rising power (6 CK + 4.1 ms)",
                                      "slowly rising power (6 CK + 65 ms)"};
constexpr ClockChoice InternalRc(unsigned cksel, unsigned sut, const char* range,
                                 std::uint32_t nominal_Hz) {
    return Same(Bits(cksel, sut), ClockSource::InternalRc, "Internal RC", range, kRcStartUp[sut],
                nominal_Hz / 100 * kInternalRcLowest_percent);
}

// Crystal or resonator: CKSEL3:1 = 101, 110, 111 pick the range; CKSEL0 with SUT1:0 the
// start-up (the 258 CK and 1K CK ones are for ceramic resonators).
struct CrystalStartUp {
    bool resonator;
    const char* words;
};
constexpr CrystalStartUp kCrystalStartUp[] = {
    {true, "fast rising power (258 CK + 4.1 ms)"},   // CKSEL0 0, SUT 00
    {true, "slowly rising power (258 CK + 65 ms)"},  // 0, 01
    {true, "BOD enabled (1K CK)"},                   // 0, 10
    {true, "fast rising power (1K CK + 4.1 ms)"},    // 0, 11
    {true, "slowly rising power (1K CK + 65 ms)"},   // 1, 00
    {false, "BOD enabled (16K CK)"},                 // 1, 01
    {false, "fast rising power (16K CK + 4.1 ms)"},  // 1, 10
    {false, "slowly rising power (16K CK + 65 ms)"}, // 1, 11
};
struct CrystalRange {
    const char* range;
    const char* rangeWithCkopt;
    std::uint32_t lowest_Hz;
    bool resonatorOnly; // without CKOPT: "not to be used with crystals"
};
constexpr CrystalRange kCrystalRanges[] = {
    {"0.4-0.9 MHz", "1-16 MHz, full swing (0.4-0.9 MHz setting)", 400000, true}, // 101
    {"0.9-3 MHz", "1-16 MHz, full swing (0.9-3 MHz setting)", 900000, false},    // 110
    {"3-8 MHz", "1-16 MHz, full swing", 3000000, false},                         // 111
};
constexpr ClockChoice Crystal(unsigned range, unsigned startUp) {
    const CrystalRange& r = kCrystalRanges[range];
    const CrystalStartUp& s = kCrystalStartUp[startUp];
    const char* byUse = s.resonator ? "Resonator" : "Crystal";
    return {Bits((5 + range) << 1 | startUp >> 2, startUp & 3),
            ClockSource::Crystal,
            r.resonatorOnly ? "Resonator" : byUse,
            byUse,
            r.range,
            r.rangeWithCkopt,
            s.words,
            r.lowest_Hz,
            kFullSwingLowest_Hz};
}

// Low-frequency crystal: CKSEL3:0 = 1001; SUT1:0 = 11 is reserved.
constexpr const char* kWatchCrystalStartUp[] = {"fast rising power or BOD enabled (1K CK + 4.1 ms)",
                                                "slowly rising power (1K CK + 65 ms)",
                                                "stable frequency at start-up (32K CK + 65 ms)"};
constexpr ClockChoice WatchCrystal(unsigned sut) {
    return Same(Bits(0x9, sut), ClockSource::LowFrequencyCrystal, "32 kHz watch crystal", "",
                kWatchCrystalStartUp[sut], kWatchCrystal_Hz);
}

// External RC: CKSEL3:0 = 0101 (up to 0.9 MHz) to 1000 (8-12 MHz).
constexpr const char* kExternalRcStartUp[] = {
    "BOD enabled (18 CK)", "fast rising power (18 CK + 4.1 ms)",
    "slowly rising power (18 CK + 65 ms)", "fast rising power or BOD enabled (6 CK + 4.1 ms)"};
constexpr ClockChoice ExternalRc(unsigned cksel, unsigned sut, const char* range,
                                 std::uint32_t lowest_Hz) {
    return Same(Bits(cksel, sut), ClockSource::ExternalRc, "External RC", range,
                kExternalRcStartUp[sut], lowest_Hz);
}

// External clock: CKSEL3:0 = 0000; SUT1:0 = 11 is reserved.
constexpr ClockChoice ExternalClock(unsigned sut) {
    return Same(Bits(0x0, sut), ClockSource::ExternalClock, "External clock on XTAL1", "",
                kRcStartUp[sut], 0);
}

constexpr ClockChoice Reserved(unsigned cksel, const char* startUp) {
    return Same(Bits(cksel, 3), ClockSource::NotADatasheetChoice, "Not a datasheet choice", "",
                startUp, 0);
}

} // namespace

constexpr ClockChoice kClockChoices[] = {
    InternalRc(0x1, 0, "1 MHz", 1000000),
    InternalRc(0x1, 1, "1 MHz", 1000000),
    InternalRc(0x1, 2, "1 MHz", 1000000),
    InternalRc(0x2, 0, "2 MHz", 2000000),
    InternalRc(0x2, 1, "2 MHz", 2000000),
    InternalRc(0x2, 2, "2 MHz", 2000000),
    InternalRc(0x3, 0, "4 MHz", 4000000),
    InternalRc(0x3, 1, "4 MHz", 4000000),
    InternalRc(0x3, 2, "4 MHz", 4000000),
    InternalRc(0x4, 0, "8 MHz", 8000000),
    InternalRc(0x4, 1, "8 MHz", 8000000),
    InternalRc(0x4, 2, "8 MHz", 8000000),
    Crystal(0, 0),
    Crystal(0, 1),
    Crystal(0, 2),
    Crystal(0, 3),
    Crystal(0, 4),
    Crystal(0, 5),
    Crystal(0, 6),
    Crystal(0, 7),
    Crystal(1, 0),
    Crystal(1, 1),
    Crystal(1, 2),
    Crystal(1, 3),
    Crystal(1, 4),
    Crystal(1, 5),
    Crystal(1, 6),
    Crystal(1, 7),
    Crystal(2, 0),
    Crystal(2, 1),
    Crystal(2, 2),
    Crystal(2, 3),
    Crystal(2, 4),
    Crystal(2, 5),
    Crystal(2, 6),
    Crystal(2, 7),
    WatchCrystal(0),
    WatchCrystal(1),
    WatchCrystal(2),
    ExternalRc(0x5, 0, "up to 0.9 MHz", 0),
    ExternalRc(0x5, 1, "up to 0.9 MHz", 0),
    ExternalRc(0x5, 2, "up to 0.9 MHz", 0),
    ExternalRc(0x5, 3, "up to 0.9 MHz", 0),
    ExternalRc(0x6, 0, "0.9-3 MHz", 900000),
    ExternalRc(0x6, 1, "0.9-3 MHz", 900000),
    ExternalRc(0x6, 2, "0.9-3 MHz", 900000),
    ExternalRc(0x6, 3, "0.9-3 MHz", 900000),
    ExternalRc(0x7, 0, "3-8 MHz", 3000000),
    ExternalRc(0x7, 1, "3-8 MHz", 3000000),
    ExternalRc(0x7, 2, "3-8 MHz", 3000000),
    ExternalRc(0x7, 3, "3-8 MHz", 3000000),
    ExternalRc(0x8, 0, "8-12 MHz", 8000000),
    ExternalRc(0x8, 1, "8-12 MHz", 8000000),
    ExternalRc(0x8, 2, "8-12 MHz", 8000000),
    ExternalRc(0x8, 3, "8-12 MHz", 8000000),
    ExternalClock(0),
    ExternalClock(1),
    ExternalClock(2),
    Reserved(0x1, "reserved start-up of the internal RC 1 MHz"),
    Reserved(0x2, "reserved start-up of the internal RC 2 MHz"),
    Reserved(0x3, "reserved start-up of the internal RC 4 MHz"),
    Reserved(0x4, "reserved start-up of the internal RC 8 MHz"),
    Reserved(0x9, "reserved start-up of the 32 kHz crystal"),
    Reserved(0x0, "reserved start-up of the external clock"),
};
const std::size_t kClockChoiceCount = sizeof kClockChoices / sizeof kClockChoices[0];

const ClockChoice& ClockChoiceOf(unsigned char lowFuse) {
    for (const ClockChoice& choice : kClockChoices) {
        if (choice.lowBits == (lowFuse & kClockBitsMask)) {
            return choice;
        }
    }
    // Unreachable: the table holds all 64 values (the test checks it).
    return kClockChoices[kClockChoiceCount - 1];
}

const ClockChoice& ClockChoiceOf(FuseBytes bytes) {
    return ClockChoiceOf(bytes.low);
}

bool CkoptProgrammed(FuseBytes bytes) {
    return (bytes.high & kCkoptMask) == 0;
}

unsigned char ApplyClockChoice(const ClockChoice& choice, unsigned char lowFuse) {
    return static_cast<unsigned char>((lowFuse & ~kClockBitsMask) |
                                      (choice.lowBits & kClockBitsMask));
}

void ApplyClockChoice(const ClockChoice& choice, FuseBytes* bytes) {
    if (bytes != nullptr) {
        bytes->low = ApplyClockChoice(choice, bytes->low);
    }
}

bool IsDatasheetChoice(const ClockChoice& choice) {
    return choice.source != ClockSource::NotADatasheetChoice;
}

XtalPart XtalPartOf(const ClockChoice& choice) {
    switch (choice.source) {
    case ClockSource::InternalRc:
        return XtalPart::Nothing;
    case ClockSource::Crystal:
        return XtalPart::CrystalOrResonator;
    case ClockSource::LowFrequencyCrystal:
        return XtalPart::WatchCrystal;
    case ClockSource::ExternalRc:
        return XtalPart::RcNetwork;
    case ClockSource::ExternalClock:
        return XtalPart::ClockSignal;
    case ClockSource::NotADatasheetChoice:
        break;
    }
    return XtalPart::Unknown;
}

bool NeedsXtalPart(const ClockChoice& choice) {
    return XtalPartOf(choice) != XtalPart::Nothing;
}

const char* XtalPartWords(XtalPart part) {
    switch (part) {
    case XtalPart::Nothing:
        return "nothing";
    case XtalPart::CrystalOrResonator:
        return "a crystal or ceramic resonator on XTAL1 and XTAL2";
    case XtalPart::WatchCrystal:
        return "a 32.768 kHz crystal on XTAL1 and XTAL2";
    case XtalPart::RcNetwork:
        return "a resistor and a capacitor on XTAL1";
    case XtalPart::ClockSignal:
        return "a clock signal fed into XTAL1";
    case XtalPart::Unknown:
        break;
    }
    return "unknown: not a datasheet choice";
}

std::uint32_t LowestClock_Hz(const ClockChoice& choice, bool ckoptProgrammed) {
    return ckoptProgrammed ? choice.lowestClockWithCkopt_Hz : choice.lowestClock_Hz;
}

bool ClockWords(const ClockChoice& choice, bool ckoptProgrammed, char* text, std::size_t size) {
    CTextWriter out(text, size);
    const char* range = ckoptProgrammed ? choice.rangeWithCkopt : choice.range;
    out.Append(ckoptProgrammed ? choice.partWithCkopt : choice.part);
    if (*range != '\0') {
        out.Append(" ");
        out.Append(range);
    }
    out.Append(", ");
    out.Append(choice.startUp);
    return out.Fitted();
}

const char* CkoptRole(const ClockChoice& choice) {
    switch (choice.source) {
    case ClockSource::InternalRc:
        return "must stay off with the internal RC oscillator";
    case ClockSource::Crystal:
        return "on: full swing, crystals of 1-16 MHz; off: low power, up to 8 MHz";
    case ClockSource::LowFrequencyCrystal:
        return "on: 36 pF capacitors inside the chip on XTAL1 and XTAL2";
    case ClockSource::ExternalRc:
    case ClockSource::ExternalClock:
        return "on: a 36 pF capacitor inside the chip from XTAL1 to GND";
    case ClockSource::NotADatasheetChoice:
        break;
    }
    return "no datasheet meaning with this clock setting";
}
