// Records every printer-port access the program makes on the simulated port, in
// order, and optionally answers reads itself (to script register contents).
#pragma once
#include "tests/harness/TestPort.h"

#include <windows.h>

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

private:
    std::vector<PortAccess> m_accesses;
};
