// The simulated board: the printer port that carries the cable, the cable, and
// the chip (an AT90S8535 unless the settings choose another) with its chip file and
// optional line trace. Every other address
// of the PC's I/O space reads 0xFF and ignores writes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sim/BoardSettings.h"
#include "sim/Chip.h"
#include "sim/ChipFile.h"
#include "sim/Clock.h"
#include "sim/PrinterPort.h"
#include "sim/VcdWriter.h"

namespace sim {

class Board {
public:
    // Loads the chip file; throws std::runtime_error with a readable message if
    // it (or the trace file) cannot be used. Create() reports the same as text.
    Board(const BoardSettings& settings, Clock& clock);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    static std::unique_ptr<Board> Create(const BoardSettings& settings, Clock& clock,
                                         std::string* error);

    // One byte read/write in I/O space (what inb/outb would do).
    std::uint8_t In(std::uint16_t address);
    void Out(std::uint16_t address, std::uint8_t value);

    Chip& chip() { return chip_; }
    const BoardSettings& settings() const { return settings_; }

    struct Pins {
        bool reset, sck, mosi, miso;
    };
    Pins pins() const; // levels on the cable now

    // Writes the chip file now (no-op success without a chip file).
    bool Save(std::string* error);
    // Last chip-file problem met while running (a failed save or a refused
    // reload); empty when none.
    const std::string& lastError() const { return lastError_; }

private:
    void LinesChanged(const CableLines& lines, std::uint64_t nowNs);
    bool MisoLevel() const;
    void ReloadIfChangedOnDisk();
    void SaveIfDirty();
    void Trace(std::uint64_t nowNs);

    BoardSettings settings_;
    Clock& clock_;
    std::optional<PrinterPort> cablePort_; // empty: no cable on any port
    CableLines lines_;
    Chip chip_;
    bool persist_ = false;
    std::string lastError_;
    std::unique_ptr<VcdWriter> vcd_;
};

} // namespace sim
