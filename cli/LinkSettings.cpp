// The settings file through CSettings, as the window keeps it, with the command line's
// port and delays in place of the stored ones where it gives them.
#include "cli/LinkSettings.h"

#include "app/Settings.h"
#include "app/SettingsLocation.h"
#include "lpt/LptAddress.h"

#include <cstdio>
#include <cstring>

namespace {

// The settings' messages (a box in the window) as errors on stderr.
class CErrorMessages : public CUserMessages {
public:
    explicit CErrorMessages(CConsoleOutput& output) : m_output(output) {}
    void Show(const char* text) override { m_output.Error(text); }

private:
    CConsoleOutput& m_output;
};

// The delay the command line gives, else the stored one (1 when none is stored, as the window
// takes it); false, after telling why, for a stored delay outside the range.
bool ResolveDelay(std::uint32_t given, std::uint32_t stored, const char* key, const char* option,
                  const char* file, CConsoleOutput& output, std::uint32_t* delay) {
    if (given != 0) {
        *delay = given;
        return true;
    }
    if (stored == 0) {
        *delay = CSettings::kMinDelay;
        return true;
    }
    if (CSettings::DelayInRange(stored)) {
        *delay = stored;
        return true;
    }
    char text[kSettingsPathSize + 256];
    std::snprintf(text, sizeof text,
                  "The settings file %s holds %s=%d, which is not a delay from %u to %u.\nGive "
                  "%s with a delay from %u to %u, or correct the file.",
                  file, key, static_cast<int>(stored), static_cast<unsigned>(CSettings::kMinDelay),
                  static_cast<unsigned>(CSettings::kMaxDelay), option,
                  static_cast<unsigned>(CSettings::kMinDelay),
                  static_cast<unsigned>(CSettings::kMaxDelay));
    output.Error(text);
    return false;
}

} // namespace

bool ResolveLinkSettings(const CommandLine& line, CConsoleOutput& output, LinkSettings* settings) {
    char file[kSettingsPathSize];
    WindowSettingsFile(kWindowSettingsName, file);
    CErrorMessages messages(output);
    CSettings stored(file, messages);

    PortChoice choice = line.lpt != 0 ? stored.PortChoiceOf(line.lpt) : stored.ReadPortChoice();
    if (choice.kind == PortChoice::kNoneChosen) {
        choice = stored.PortChoiceOf(1);
        if (choice.kind == PortChoice::kUsable) {
            char text[kSettingsPathSize + 128];
            std::snprintf(text, sizeof text,
                          "No printer port is chosen in %s: using Lpt1 (0x%X). --lpt 1, 2 or 3 "
                          "chooses one.",
                          file, static_cast<unsigned>(choice.base));
            output.Notice(text);
        }
    }
    if (!stored.PortUsable(choice))
        return false;
    settings->port = choice.port;
    settings->base = choice.base;
    return ResolveDelay(line.delayBit, stored.StoredDelayBit(), "DELAY BIT", "--delay-bit", file,
                        output, &settings->delayBit) &&
           ResolveDelay(line.delayByte, stored.StoredDelayByte(), "DELAY BYTE", "--delay-byte",
                        file, output, &settings->delayByte);
}
