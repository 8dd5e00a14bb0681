// Records every printer-port access the program makes on the simulated port, in
// order, and optionally answers reads itself (to script register contents).
#pragma once
#include "tests/harness/TestPort.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

struct PortAccess {
    bool write;
    WORD address;
    BYTE value; // written, or returned to the program
};

class PortRecorder : public TestPort::PortTap {
public:
    PortRecorder() { TestPort::SetTap(this); }
    ~PortRecorder() override { TestPort::SetTap(nullptr); }
    PortRecorder(const PortRecorder&) = delete;
    PortRecorder& operator=(const PortRecorder&) = delete;

    // Answers reads instead of the board: (address, value from the board) -> value.
    std::function<BYTE(WORD, BYTE)> answer;
    // Runs before each write reaches the board.
    std::function<void(WORD, BYTE)> beforeWrite;

    const std::vector<PortAccess>& Accesses() const { return m_accesses; }
    void Clear() { m_accesses.clear(); }

    void Wrote(WORD address, BYTE value) override {
        if (beforeWrite)
            beforeWrite(address, value);
        m_accesses.push_back({true, address, value});
    }
    BYTE Read(WORD address, BYTE fromBoard) override {
        const BYTE value = answer ? answer(address, fromBoard) : fromBoard;
        m_accesses.push_back({false, address, value});
        return value;
    }

    // Answers the status reads with `bytes` on MISO (bit 6), one bit per read, most
    // significant bit first; once they are used up, the board answers again.
    void ScriptMiso(std::vector<unsigned char> bytes, WORD status = 0x379) {
        answer = [bytes = std::move(bytes), status,
                  bits = std::size_t{0}](WORD address, BYTE fromBoard) mutable -> BYTE {
            if (address != status || bits >= 8 * bytes.size())
                return fromBoard;
            const int bit = (bytes[bits / 8] >> (7 - bits % 8)) & 1;
            ++bits;
            return static_cast<BYTE>((fromBoard & ~0x40) | (bit << 6));
        };
    }

private:
    std::vector<PortAccess> m_accesses;
};
