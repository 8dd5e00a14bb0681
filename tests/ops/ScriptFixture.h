// OpsTest with a transcript of the link: what the operations clicked in the dialog
// tell the chip (reset pulses, instructions as sent on MOSI, releases), in order with
// their waits and message boxes (tests/link/LinkTranscript.h).
#pragma once
#include "tests/link/LinkTranscript.h"
#include "tests/ops/OpsFixture.h"

#include <string>
#include <vector>

using Tokens = std::vector<std::string>;

inline Tokens operator+(Tokens first, const Tokens& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

inline std::string SleepToken(DWORD ms) {
    return "sleep " + std::to_string(ms);
}

// The three Read Signature instructions that follow every Programming Enable the chip
// answers.
inline const Tokens kSignatureTokens = {"30 00 00 00", "30 00 01 00", "30 00 02 00"};

// The start of every opening: EnterProgramming (four waits of DELAY BYTE x 200 ms around
// the reset pulse), then Programming Enable; all of an opening whose chip gives no echo.
inline Tokens HandshakeTokens(DWORD delayByte) {
    return EnterTokens(delayByte * 200) + Tokens{kEnableToken};
}

// The opening of an operation on a chip that answers: the handshake, then its signature.
inline Tokens OpeningTokens(DWORD delayByte) {
    return HandshakeTokens(delayByte) + kSignatureTokens;
}

inline const char kHandshakeErrorBox[] =
    "box: Error! Please check your CPU, power supply and printer port.";

class ScriptTest : public OpsTest {
protected:
    explicit ScriptTest(const sim::BoardSettings& settings = sim::BoardSettings{},
                        unsigned delayByte = 1)
        : OpsTest(settings, SettingsWithDelays(1, delayByte).c_str()),
          transcript(board.Board().pins()) {
        board.OnWait([this](DWORD ms) { transcript.Waited(ms); });
        boxes.OnShow([this](const CapturedBox& box) { transcript.Note("box: " + box.text); });
    }

    LinkTranscript transcript;
};
