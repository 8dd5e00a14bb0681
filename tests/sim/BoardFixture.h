// A test fixture with a simulated board on a virtual clock and a programmer that
// bit-bangs it through the printer-port registers; Build makes them anew.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "SerialProgrammer.h"
#include "sim/Board.h"

namespace simtest {

class BoardTest : public ::testing::Test {
protected:
    void Build(sim::BoardSettings settings = {}, std::uint64_t accessCostNs = 1000) {
        programmer.reset();
        board.reset();
        clock = std::make_unique<sim::VirtualClock>(accessCostNs);
        board = std::make_unique<sim::Board>(settings, *clock);
        programmer = std::make_unique<SerialProgrammer>(*board, *clock);
    }
    void BuildChip(sim::ChipType type) {
        sim::BoardSettings settings;
        settings.chip = type;
        Build(settings);
    }
    void SetUp() override { Build(); }
    sim::Chip& chip() { return board->chip(); }

    std::unique_ptr<sim::VirtualClock> clock;
    std::unique_ptr<sim::Board> board;
    std::unique_ptr<SerialProgrammer> programmer;
};

} // namespace simtest
