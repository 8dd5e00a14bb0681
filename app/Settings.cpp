// The settings file through the platform's private-profile functions. A write that fails is
// told once per run: every keystroke in a delay field writes.
#include "app/Settings.h"

#include "app/SettingsLocation.h"
#include "framework/Profile.h"
#include "framework/SystemErrorText.h"
#include "lpt/LptAddress.h"

#include <cstdio>

namespace {

const char kSection[] = "TAMBERLO";
const char kLptPortKey[] = "LPT PORT";

void BaseKey(int port, char (&key)[16]) {
    std::snprintf(key, sizeof key, "LPT%d BASE", port);
}

} // namespace

const char CSettings::kDelayBitKey[] = "DELAY BIT";
const char CSettings::kDelayByteKey[] = "DELAY BYTE";

CSettings::CSettings(const char* profileName, CUserMessages& messages)
    : m_profileName(profileName), m_messages(messages) {}

PortChoice CSettings::ReadPortChoice() const {
    const int port =
        static_cast<int>(::GetPrivateProfileIntA(kSection, kLptPortKey, 0, m_profileName));
    if (port < 1 || port > 3)
        return {port == 0 ? PortChoice::kNoneChosen : PortChoice::kNotAPort, port, 0, ""};
    return PortChoiceOf(port);
}

PortChoice CSettings::PortChoiceOf(int port) const {
    PortChoice choice = {PortChoice::kNoneChosen, port, 0, ""};
    char key[16];
    BaseKey(port, key);
    char text[sizeof choice.baseText] = "";
    std::uint16_t base = 0;
    if (!AfxGetProfileText(m_profileName, kSection, key, text, sizeof text)) {
        choice.kind = PortChoice::kUsable;
        choice.base = lpt::StandardBase(port);
    } else if (lpt::ParsePortAddress(text, &base)) {
        choice.kind = PortChoice::kUsable;
        choice.base = base;
    } else {
        choice.kind = PortChoice::kBadBase; // base 0: no access may reach an address not meant
        std::snprintf(choice.baseText, sizeof choice.baseText, "%s", text);
    }
    return choice;
}

BOOL CSettings::PortUsable(const PortChoice& choice) {
    char file[kSettingsPathSize];
    char text[kSettingsPathSize + 512];
    switch (choice.kind) {
    case PortChoice::kUsable:
        return TRUE;
    case PortChoice::kNoneChosen:
        return FALSE; // the first-run notice has asked for a port
    case PortChoice::kNotAPort:
        SettingsFileRead(m_profileName, file);
        std::snprintf(text, sizeof text,
                      "The settings file %s holds LPT PORT=%d, which is not a printer port "
                      "of this program.\nPlease choose Lpt1, Lpt2 or Lpt3.",
                      file, choice.port);
        break;
    case PortChoice::kBadBase: {
        char key[16];
        BaseKey(choice.port, key);
        SettingsFileRead(m_profileName, file);
        std::snprintf(text, sizeof text,
                      "The settings file %s holds %s=%s, which is not a usable printer-port "
                      "address.\nWrite the port's I/O address in hex with 0x (for example "
                      "0xD010) or in decimal, from 1 to 0xFFFD, or delete the line to use "
                      "the standard address of Lpt%d.",
                      file, key, choice.baseText, choice.port);
        break;
    }
    }
    m_messages.Show(text);
    return FALSE;
}

std::uint32_t CSettings::StoredDelayBit() const {
    return ::GetPrivateProfileIntA(kSection, kDelayBitKey, 0, m_profileName);
}

std::uint32_t CSettings::StoredDelayByte() const {
    return ::GetPrivateProfileIntA(kSection, kDelayByteKey, 0, m_profileName);
}

void CSettings::LoadDelays() {
    m_delayBit = StoredDelayBit();
    m_delayByte = StoredDelayByte();
    if (m_delayBit == 0) {
        m_delayBit = 1;
        WriteDelayBit();
    }
    if (m_delayByte == 0) {
        m_delayByte = 1;
        WriteDelayByte();
    }
}

void CSettings::WritePort(int port) {
    Write(kLptPortKey, static_cast<std::uint32_t>(port));
}

// The value is written as the signed number the file has always held.
void CSettings::Write(const char* key, std::uint32_t value) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(value));
    if (::WritePrivateProfileStringA(kSection, key, number, m_profileName))
        return;
    const DWORD error = ::GetLastError();
    if (m_writeFailureTold)
        return;
    m_writeFailureTold = TRUE;
    char file[kSettingsPathSize];
    const BOOL windowsFolder = SettingsFileWritten(m_profileName, file);
    char why[512];
    AfxSystemErrorText(error, file, why, sizeof why);
    char text[kSettingsPathSize + 1024];
    std::snprintf(text, sizeof text,
                  "The settings could not be written to %s.\nWindows says: %s\nThe program goes "
                  "on with the values shown, but they will not be there at its next start. Check "
                  "that the disk has room, that the file is neither read-only nor a folder, and "
                  "that no other program holds it open.%s",
                  file, why,
                  windowsFolder ? " A normal user may not change files in the Windows folder: run "
                                  "tamberlo once as administrator, or give your user the right "
                                  "to change this file (see the README)."
                                : "");
    m_messages.Show(text);
}
