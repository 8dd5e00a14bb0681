// The test board: what the tests' port driver reaches while it lives.
#include "tests/harness/TestBoard.h"

#include "tests/harness/TestPort.h"

TestBoard::TestBoard(const sim::BoardSettings& settings)
    : m_board(std::make_unique<sim::Board>(settings, m_clock)), m_access(TestPort::Driver()),
      m_waits([this](DWORD ms) {
          m_clock.AdvanceMs(ms);
          if (m_afterWait)
              m_afterWait(ms);
      }) {
    TestPort::Install(m_board.get(), &m_clock);
}

TestBoard::~TestBoard() {
    TestPort::Install(nullptr, nullptr);
}
