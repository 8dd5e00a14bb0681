// A test fixture with a simulated board on a virtual clock and a programmer that
// bit-bangs it through the printer-port registers; Build makes them anew.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "SerialProgrammer.h"
#include "sim/Board.h"

namespace simtest {

// A port access long enough that an SCK phase of one access lasts more than two cycles
// of the 1 MHz internal RC oscillator a new ATmega runs on.
constexpr std::uint64_t kAccessNsForA1MHzChip = 2500;

class BoardTest : public ::testing::Test {
protected:
    void Build(sim::BoardSettings settings = {}, std::uint64_t accessCostNs = 1000) {
        programmer.reset();
        board.reset();
        accessNs = accessCostNs;
        clock = std::make_unique<sim::VirtualClock>(accessCostNs);
        board = std::make_unique<sim::Board>(settings, *clock);
        programmer = std::make_unique<SerialProgrammer>(*board, *clock);
    }
    // A board with that chip, as shipped, and a programmer slow enough for each of them.
    void BuildChip(sim::ChipType type) {
        sim::BoardSettings settings;
        settings.chip = type;
        Build(settings, kAccessNsForA1MHzChip);
    }
    void SetUp() override { Build(); }
    sim::Chip& chip() { return board->chip(); }

    std::uint64_t accessNs = 1000;
    std::unique_ptr<sim::VirtualClock> clock;
    std::unique_ptr<sim::Board> board;
    std::unique_ptr<SerialProgrammer> programmer;
};

} // namespace simtest
