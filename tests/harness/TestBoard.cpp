// The test board: installed as the simulated printer port while it lives.
#include "tests/harness/TestBoard.h"

#include "link/SimulatedPort.h"

TestBoard::TestBoard(const sim::BoardSettings& settings)
    : m_board(std::make_unique<sim::Board>(settings, m_clock)), m_waits([this](DWORD ms) {
          m_clock.AdvanceMs(ms);
          if (m_afterWait)
              m_afterWait(ms);
      }) {
    SimulatedPort::InstallBoard(m_board.get());
}

TestBoard::~TestBoard() {
    SimulatedPort::InstallBoard(nullptr);
}
