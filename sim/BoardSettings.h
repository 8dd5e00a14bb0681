// Settings of the simulated board (chip, chip file, cable port, supply, the part on the
// XTAL pins, faults, trace) and their parsing from TAMBERLO_SIM_* environment variables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "sim/ChipClock.h"
#include "sim/ChipModel.h"

namespace sim {

enum class BoardFault : std::uint8_t {
    None,
    NoChip,        // nothing on the cable: MISO floats high
    NoPower,       // chip unpowered: MISO held low
    StopAnswering, // chip stops after stopAfterInstructions instructions (MISO high)
    NoDriver       // no port driver installed: the driver DLL opens nothing (the board
                   // itself is unaffected)
};

// Chip file used by the simulated program when TAMBERLO_SIM_CHIP_FILE is unset.
constexpr const char* kDefaultChipFile = "tamberlo-chip.bin";

struct BoardSettings {
    ChipType chip = ChipType::At90s8535;
    std::string chipFile;        // empty = memory only
    int lpt = 1;                 // 1..3 = LPT1..LPT3 carries the cable, 0 = no cable
    std::uint16_t cableBase = 0; // cable port's base address; 0 = the base of `lpt`
    double supplyVolts = 5.0;
    // The frequency of the crystal a board carries unless `xtal` says otherwise.
    std::uint32_t chipClockHz = 4'000'000;
    std::optional<XtalPart> xtal; // what is on XTAL1/XTAL2; empty = that crystal
    BoardFault fault = BoardFault::None;
    unsigned long stopAfterInstructions = 0;
    std::map<std::uint32_t, std::uint8_t> stuckFlash; // byte index -> value read back
    std::string vcdFile;                              // empty = no trace
};

// Base address of the port that carries the cable; 0 when there is no cable.
std::uint16_t CablePortBase(const BoardSettings& settings);

// The part on the XTAL pins: `xtal`, or else a crystal of `chipClockHz`.
XtalPart XtalOf(const BoardSettings& settings);

// Parsers for the individual values; each returns false with a message.
bool ParseChip(const std::string& text, ChipType* chip, std::string* error);
bool ParseLpt(const std::string& text, int* lpt, std::string* error);
// The printer-port address rule of lpt/LptAddress.h: hex with 0x, or decimal, 1 to 0xFFFD.
bool ParsePortBase(const std::string& text, std::uint16_t* base, std::string* error);
bool ParseVolts(const std::string& text, double* volts, std::string* error);
bool ParseClockHz(const std::string& text, std::uint32_t* hz, std::string* error);
// none, crystal:HZ, clock:HZ or rc:HZ, HZ in decimal.
bool ParseXtal(const std::string& text, XtalPart* xtal, std::string* error);
bool ParseFault(const std::string& text, BoardSettings* settings, std::string* error);
// Cells of a flash of `flashBytes` bytes.
bool ParseStuck(const std::string& text, std::size_t flashBytes,
                std::map<std::uint32_t, std::uint8_t>* stuck, std::string* error);

// Reads every TAMBERLO_SIM_* variable over the defaults; the first bad value
// makes it return false with a message naming the variable.
bool SettingsFromEnvironment(BoardSettings* settings, std::string* error);

} // namespace sim
