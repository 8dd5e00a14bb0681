// Reads the program's printer-port writes back as what the chip is told: reset
// pulses, 4-byte instructions as clocked in on MOSI, releases, together with the
// waits and message boxes a test notes in between. Tests compare the tokens with a
// golden list, so a missing, extra or reordered step shows as one differing token.
//
// Tokens:
//   "reset pulse"      RESET rises while SCK is low (the entry into programming mode)
//   "release"          RESET rises while SCK and MOSI are high
//   "RESET high"       RESET rises with SCK high and MOSI low (neither of the above)
//   "RESET low with SCK high"  a fall that does not take the chip into programming mode
//   "AC 53 00 00"      a whole instruction: 32 SCK pulses while RESET was low, each bit
//                      taken from MOSI at the rising edge, counted at the falling edge
//   "partial N bits"   RESET rose after N pulses that made no whole instruction
//   "sleep N"          a wait of N ms (Waited)
//   anything else      what the test noted (Note), e.g. "box: Not Blank"
#pragma once
#include "sim/Board.h"
#include "tests/harness/TestPort.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

class LinkTranscript : public TestPort::PortTap {
public:
    // `start`: the line levels before the program's first write; `base`: the port's
    // data register address.
    explicit LinkTranscript(const sim::Board::Pins& start, WORD base = 0x378)
        : m_base(base), m_sck(start.sck), m_reset(start.reset), m_mosi(start.mosi) {
        TestPort::SetTap(this);
    }
    ~LinkTranscript() override { TestPort::SetTap(nullptr); }
    LinkTranscript(const LinkTranscript&) = delete;
    LinkTranscript& operator=(const LinkTranscript&) = delete;

    void Waited(DWORD ms) { m_tokens.push_back("sleep " + std::to_string(ms)); }
    void Note(const std::string& text) { m_tokens.push_back(text); }
    const std::vector<std::string>& Tokens() const { return m_tokens; }

    void Wrote(WORD address, BYTE value) override {
        if (address == m_base + 2) {
            m_mosi = ((value ^ 0x0B) & 0x01) != 0; // nStrobe is inverted by the port
        } else if (address == m_base) {
            DataWritten((value & 0x01) != 0, (value & 0x02) != 0);
        }
    }
    BYTE Read(WORD, BYTE fromBoard) override { return fromBoard; }

private:
    void DataWritten(bool sck, bool reset) {
        if (reset && !m_reset)
            ResetRose(sck);
        if (!reset && m_reset && sck)
            m_tokens.push_back("RESET low with SCK high");
        m_reset = reset;
        if (!m_reset && sck && !m_sck) {
            m_risingMosi = m_mosi;
            m_pulseOpen = true;
        }
        if (!m_reset && !sck && m_sck && m_pulseOpen)
            BitClockedIn();
        m_sck = sck;
    }

    void ResetRose(bool sck) {
        if (m_bits % 32 != 0)
            m_tokens.push_back("partial " + std::to_string(m_bits % 32) + " bits");
        m_bits = 0;
        m_word = 0;
        m_pulseOpen = false; // a rising edge without its falling edge shifts nothing
        if (!sck)
            m_tokens.push_back("reset pulse");
        else if (m_mosi)
            m_tokens.push_back("release");
        else
            m_tokens.push_back("RESET high");
    }

    void BitClockedIn() {
        m_pulseOpen = false;
        m_word = (m_word << 1) | (m_risingMosi ? 1u : 0u);
        if (++m_bits % 32 != 0)
            return;
        char text[16];
        std::snprintf(text, sizeof text, "%02X %02X %02X %02X", (m_word >> 24) & 0xFF,
                      (m_word >> 16) & 0xFF, (m_word >> 8) & 0xFF, m_word & 0xFF);
        m_tokens.push_back(text);
        m_word = 0;
    }

    WORD m_base;
    bool m_sck;
    bool m_reset;
    bool m_mosi;
    bool m_risingMosi = false;
    bool m_pulseOpen = false;
    unsigned m_bits = 0;
    unsigned m_word = 0;
    std::vector<std::string> m_tokens;
};

// The tokens of EnterProgramming with waits of `ms`: RESET pulses high in the middle
// of four waits.
inline std::vector<std::string> EnterTokens(DWORD ms) {
    const std::string sleep = "sleep " + std::to_string(ms);
    return {sleep, sleep, "reset pulse", sleep, sleep};
}

inline constexpr char kEnableToken[] = "AC 53 00 00";

// `tokens` with the flash reads and writes named without their operands ("read",
// "write") and each run of equal tokens written once with its count ("read x8192").
inline std::vector<std::string> NamedRuns(const std::vector<std::string>& tokens) {
    std::vector<std::string> runs;
    std::string last;
    unsigned count = 0;
    auto flush = [&] {
        if (count > 0)
            runs.push_back(count == 1 ? last : last + " x" + std::to_string(count));
    };
    for (const std::string& token : tokens) {
        std::string name = token;
        if (token.size() == 11 && (token.rfind("20 ", 0) == 0 || token.rfind("28 ", 0) == 0))
            name = "read";
        if (token.size() == 11 && (token.rfind("40 ", 0) == 0 || token.rfind("48 ", 0) == 0))
            name = "write";
        if (name == last) {
            ++count;
            continue;
        }
        flush();
        last = name;
        count = 1;
    }
    flush();
    return runs;
}
