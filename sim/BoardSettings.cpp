// Parsing of the board settings from text (environment variables).
#include "sim/BoardSettings.h"

#include <cerrno>
#include <cstdlib>

#include "lpt/LptAddress.h"

namespace sim {

namespace {

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long* value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end != text.c_str() + text.size() || v > max) {
        return false;
    }
    *value = v;
    return true;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The parts TAMBERLO_SIM_XTAL names, with their frequency ranges: crystals and clocks up
// to the 16 MHz of the fastest chip here, the external RC oscillator up to the 12 MHz
// its datasheet range ends at.
struct XtalName {
    const char* prefix;
    XtalKind kind;
    std::uint32_t maxHz;
};
constexpr XtalName kXtalNames[] = {
    {"crystal:", XtalKind::Crystal, 16'000'000},
    {"clock:", XtalKind::ExternalClock, 16'000'000},
    {"rc:", XtalKind::ExternalRc, 12'000'000},
};
constexpr std::uint32_t kMinXtalHz = 1000;

bool ParseDecimal(const std::string& text, unsigned long long max, unsigned long long* value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long long v = std::stoull(text);
    if (v > max) {
        return false;
    }
    *value = v;
    return true;
}

} // namespace

std::uint16_t CablePortBase(const BoardSettings& settings) {
    if (settings.cableBase != 0) {
        return settings.cableBase;
    }
    return lpt::StandardBase(settings.lpt);
}

XtalPart XtalOf(const BoardSettings& settings) {
    return settings.xtal ? *settings.xtal : XtalPart{XtalKind::Crystal, settings.chipClockHz};
}

bool ParseXtal(const std::string& text, XtalPart* xtal, std::string* error) {
    if (text == "none") {
        *xtal = {XtalKind::None, 0};
        return true;
    }
    for (const XtalName& name : kXtalNames) {
        const std::string prefix = name.prefix;
        unsigned long long hz = 0;
        if (text.compare(0, prefix.size(), prefix) == 0 &&
            ParseDecimal(text.substr(prefix.size()), name.maxHz, &hz) && hz >= kMinXtalHz) {
            *xtal = {name.kind, static_cast<std::uint32_t>(hz)};
            return true;
        }
    }
    *error = "XTAL part " + Quoted(text) +
             " is not none, crystal:HZ, clock:HZ (1000 to 16000000) or rc:HZ (1000 to "
             "12000000), HZ in whole hertz";
    return false;
}

bool ParsePortBase(const std::string& text, std::uint16_t* base, std::string* error) {
    if (!lpt::ParsePortAddress(text.c_str(), base)) {
        *error = "port base " + Quoted(text) +
                 " is not an I/O address from 0x1 to 0xFFFD (hex with 0x, or decimal)";
        return false;
    }
    return true;
}

bool ParseChip(const std::string& text, ChipType* chip, std::string* error) {
    if (const ChipModel* model = FindChipModel(text)) {
        *chip = model->type;
        return true;
    }
    std::string names;
    for (const ChipModel* m = ChipModelsBegin(); m != ChipModelsEnd(); ++m) {
        names += std::string(names.empty() ? "" : (m + 1 == ChipModelsEnd() ? " or " : ", ")) +
                 m->settingName;
    }
    *error = "chip " + Quoted(text) + " is not " + names;
    return false;
}

bool ParseLpt(const std::string& text, int* lpt, std::string* error) {
    unsigned long long v = 0;
    if (!ParseUnsigned(text, 3, &v)) {
        *error = "LPT " + Quoted(text) + " is not 0 (no cable), 1, 2 or 3";
        return false;
    }
    *lpt = static_cast<int>(v);
    return true;
}

bool ParseVolts(const std::string& text, double* volts, std::string* error) {
    char* end = nullptr;
    const double v = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(v >= 2.7 && v <= 6.0)) {
        *error = "supply " + Quoted(text) + " is not a voltage from 2.7 to 6.0";
        return false;
    }
    *volts = v;
    return true;
}

bool ParseClockHz(const std::string& text, std::uint32_t* hz, std::string* error) {
    unsigned long long v = 0;
    if (!ParseUnsigned(text, 8'000'000, &v) || v < 1000) {
        *error = "chip clock " + Quoted(text) + " is not a frequency from 1000 to 8000000 Hz";
        return false;
    }
    *hz = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseFault(const std::string& text, BoardSettings* settings, std::string* error) {
    const std::string stopPrefix = "stop:";
    unsigned long long n = 0;
    if (text == "none") {
        settings->fault = BoardFault::None;
    } else if (text == "nochip") {
        settings->fault = BoardFault::NoChip;
    } else if (text == "nopower") {
        settings->fault = BoardFault::NoPower;
    } else if (text == "nodriver") {
        settings->fault = BoardFault::NoDriver;
    } else if (text.compare(0, stopPrefix.size(), stopPrefix) == 0 &&
               ParseUnsigned(text.substr(stopPrefix.size()), 0xFFFFFFFFull, &n) && n > 0) {
        settings->fault = BoardFault::StopAnswering;
        settings->stopAfterInstructions = static_cast<unsigned long>(n);
    } else {
        *error =
            "fault " + Quoted(text) + " is not none, nochip, nopower, nodriver or stop:N (N > 0)";
        return false;
    }
    return true;
}

bool ParseStuck(const std::string& text, std::size_t flashBytes,
                std::map<std::uint32_t, std::uint8_t>* stuck, std::string* error) {
    std::map<std::uint32_t, std::uint8_t> cells;
    std::size_t start = 0;
    while (!text.empty() && start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t eq = item.find('=');
        unsigned long long index = 0;
        unsigned long long value = 0;
        if (eq == std::string::npos || !ParseUnsigned(item.substr(0, eq), flashBytes - 1, &index) ||
            !ParseUnsigned(item.substr(eq + 1), 0xFF, &value)) {
            *error = "stuck cells " + Quoted(text) + ": item " + Quoted(item) +
                     " is not BYTE=VALUE with BYTE below " + std::to_string(flashBytes) +
                     " (the chip's flash) and VALUE below 256";
            return false;
        }
        cells[static_cast<std::uint32_t>(index)] = static_cast<std::uint8_t>(value);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    *stuck = cells;
    return true;
}

bool SettingsFromEnvironment(BoardSettings* settings, std::string* error) {
    BoardSettings s = *settings;
    auto get = [](const char* name, std::string* value) {
        const char* v = std::getenv(name);
        if (v == nullptr) {
            return false;
        }
        *value = v;
        return true;
    };
    std::string v;
    std::string why;
    s.chipFile = get("TAMBERLO_SIM_CHIP_FILE", &v) ? v : kDefaultChipFile;
    bool ok = true;
    const char* failed = nullptr;
    if (get("TAMBERLO_SIM_CHIP", &v) && !(ok = ParseChip(v, &s.chip, &why))) {
        failed = "TAMBERLO_SIM_CHIP";
    }
    if (ok && get("TAMBERLO_SIM_LPT", &v) && !(ok = ParseLpt(v, &s.lpt, &why))) {
        failed = "TAMBERLO_SIM_LPT";
    }
    if (ok && get("TAMBERLO_SIM_BASE", &v) && !(ok = ParsePortBase(v, &s.cableBase, &why))) {
        failed = "TAMBERLO_SIM_BASE";
    }
    if (ok && get("TAMBERLO_SIM_VOLTS", &v) && !(ok = ParseVolts(v, &s.supplyVolts, &why))) {
        failed = "TAMBERLO_SIM_VOLTS";
    }
    const bool clockHzSet = get("TAMBERLO_SIM_CLOCK_HZ", &v);
    if (ok && clockHzSet && !(ok = ParseClockHz(v, &s.chipClockHz, &why))) {
        failed = "TAMBERLO_SIM_CLOCK_HZ";
    }
    if (ok && get("TAMBERLO_SIM_XTAL", &v)) {
        XtalPart xtal;
        ok = ParseXtal(v, &xtal, &why);
        if (ok && clockHzSet) {
            ok = false;
            why = "XTAL part " + Quoted(v) +
                  " given together with TAMBERLO_SIM_CLOCK_HZ, the frequency of the crystal "
                  "a board carries when TAMBERLO_SIM_XTAL is not set; set one of them";
        }
        if (ok) {
            s.xtal = xtal;
        } else {
            failed = "TAMBERLO_SIM_XTAL";
        }
    }
    if (ok && get("TAMBERLO_SIM_FAULT", &v) && !(ok = ParseFault(v, &s, &why))) {
        failed = "TAMBERLO_SIM_FAULT";
    }
    if (ok && get("TAMBERLO_SIM_STUCK", &v) &&
        !(ok = ParseStuck(v, ModelOf(s.chip).flashBytes, &s.stuckFlash, &why))) {
        failed = "TAMBERLO_SIM_STUCK";
    }
    if (get("TAMBERLO_SIM_VCD", &v)) {
        s.vcdFile = v;
    }
    if (!ok) {
        *error = std::string(failed) + ": " + why;
        return false;
    }
    *settings = s;
    return true;
}

} // namespace sim
