// CSettings: the section TAMBERLO of the settings file (LPT PORT, DELAY BIT, DELAY BYTE, and
// LPT1 BASE to LPT3 BASE for a port card at an address of its own), with no window: the
// port choice as the file holds it now, the two delays and their range, the writes, and the
// one notice per run of a write that failed. Messages name the file the settings were really
// read from or written to (app/SettingsLocation.h).
#pragma once
#include "app/UserMessages.h"

#include <windows.h>

#include <cstdint>

// The port choice as the settings file holds it.
struct PortChoice {
    enum Kind { kNoneChosen, kUsable, kNotAPort, kBadBase } kind;
    int port;          // LPT PORT
    WORD base;         // kUsable: the port's base (its LPTn BASE, else its standard one)
    char baseText[32]; // kBadBase: the text of the LPTn BASE that cannot be used
};

class CSettings {
public:
    static constexpr std::uint32_t kMinDelay = 1;
    static constexpr std::uint32_t kMaxDelay = 10;

    // `profileName`: the settings file as the platform's profile functions take it (a name
    // for the Windows folder, or a full path); kept by the caller.
    CSettings(const char* profileName, CUserMessages& messages);

    // LPT PORT and its LPTn BASE as the file holds them now.
    PortChoice ReadPortChoice() const;
    // Port 1, 2 or 3 (whatever LPT PORT says) with its LPTn BASE as the file holds it.
    PortChoice PortChoiceOf(int port) const;
    // TRUE for a usable choice; otherwise FALSE, after telling why (nothing for kNoneChosen:
    // the first-run notice asks for a port).
    BOOL PortUsable(const PortChoice& choice);

    // The delays as stored, 0 for one that is not.
    std::uint32_t StoredDelayBit() const;
    std::uint32_t StoredDelayByte() const;
    // Takes the stored delays; one that is not stored (or is 0) becomes 1 and is written.
    void LoadDelays();
    static bool DelayInRange(std::uint32_t delay) {
        return delay >= kMinDelay && delay <= kMaxDelay;
    }

    // The delays in use: the window exchanges them with its fields, the serial link reads
    // them at each wait.
    std::uint32_t& DelayBit() { return m_delayBit; }
    std::uint32_t& DelayByte() { return m_delayByte; }

    // Each writes one value at once; the first write of the run that fails is told.
    void WritePort(int port);
    void WriteDelayBit() { Write(kDelayBitKey, m_delayBit); }
    void WriteDelayByte() { Write(kDelayByteKey, m_delayByte); }

    const char* ProfileName() const { return m_profileName; }

private:
    static const char kDelayBitKey[];
    static const char kDelayByteKey[];

    void Write(const char* key, std::uint32_t value);

    const char* m_profileName;
    CUserMessages& m_messages;
    std::uint32_t m_delayBit = 0;
    std::uint32_t m_delayByte = 0;
    BOOL m_writeFailureTold = FALSE;
};
