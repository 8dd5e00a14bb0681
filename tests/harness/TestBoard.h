// A simulated board for one test: it owns a sim::Board on a sim::VirtualClock and a port
// access that reaches it (through a port driver of the tests' own), and records the program's
// waits, advancing the clock by each wait and by each busy wait so the chip sees the time pass.
#pragma once
#include "port/PortAccess.h"
#include "sim/Board.h"
#include "sim/BoardSettings.h"
#include "sim/Clock.h"
#include "tests/harness/SleepRecorder.h"

#include <windows.h>

#include <functional>
#include <memory>

class TestBoard {
public:
    // The board's settings; the default is a powered, erased chip on LPT1 in memory only.
    explicit TestBoard(const sim::BoardSettings& settings = sim::BoardSettings{});
    ~TestBoard();
    TestBoard(const TestBoard&) = delete;
    TestBoard& operator=(const TestBoard&) = delete;

    sim::Board& Board() { return *m_board; }
    // The port access to hand to the program's printer port.
    CPortAccess& Access() { return m_access; }
    sim::Chip& Chip() { return m_board->chip(); }
    sim::VirtualClock& Clock() { return m_clock; }
    const SleepRecorder& Waits() const { return m_waits; }
    void ClearWaits() { m_waits.Clear(); }
    // Runs `afterWait` after each wait, once the clock has moved on.
    void OnWait(std::function<void(DWORD)> afterWait) { m_afterWait = std::move(afterWait); }

private:
    sim::VirtualClock m_clock;
    std::unique_ptr<sim::Board> m_board;
    CPortAccess m_access;
    std::function<void(DWORD)> m_afterWait;
    SleepRecorder m_waits;
};
