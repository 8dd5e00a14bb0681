// Board: routes I/O accesses to the cable's port, cable lines to the chip, and
// keeps the chip file in step with the chip's memory.
#include "sim/Board.h"

#include <stdexcept>

namespace sim {

namespace {
ChipConfig ChipConfigFrom(const BoardSettings& s) {
    ChipConfig c;
    c.type = s.chip;
    c.supplyVolts = s.supplyVolts;
    c.xtal = XtalOf(s);
    c.stopAfterInstructions = s.fault == BoardFault::StopAnswering ? s.stopAfterInstructions : 0;
    c.stuckFlash = s.stuckFlash;
    return c;
}

std::optional<PrinterPort> CablePortOf(const BoardSettings& s) {
    const std::uint16_t base = CablePortBase(s);
    return base != 0 ? std::optional<PrinterPort>(PrinterPort(base)) : std::nullopt;
}

CableLines LinesOf(const std::optional<PrinterPort>& port) {
    return port ? LinesFromPort(*port) : CableLines{false, false, false};
}

// Nothing decodes the address: the bus floats high.
constexpr std::uint8_t kUndecodedRead = 0xFF;
} // namespace

Board::Board(const BoardSettings& settings, Clock& clock)
    : settings_(settings), clock_(clock), cablePort_(CablePortOf(settings)),
      lines_(LinesOf(cablePort_)), chip_(ChipConfigFrom(settings), lines_, clock.NowNs()) {
    if (!settings_.chipFile.empty()) {
        std::string error;
        if (!LoadChipFile(settings_.chipFile, chip_.model(), &chip_.memory(), &error)) {
            throw std::runtime_error(error);
        }
        persist_ = true;
        chip_.LatchFuses(); // powered up with the fuses of the file
    }
    if (!settings_.vcdFile.empty()) {
        vcd_ = std::make_unique<VcdWriter>(settings_.vcdFile);
        if (!vcd_->ok()) {
            throw std::runtime_error("trace file " + settings_.vcdFile + ": cannot create it");
        }
        Trace(clock_.NowNs());
    }
    if (cablePort_) {
        PresentMiso(*cablePort_, MisoLevel());
    }
}

Board::~Board() {
    SaveIfDirty();
}

std::unique_ptr<Board> Board::Create(const BoardSettings& settings, Clock& clock,
                                     std::string* error) {
    try {
        return std::make_unique<Board>(settings, clock);
    } catch (const std::exception& e) {
        *error = e.what();
        return nullptr;
    }
}

std::uint8_t Board::In(std::uint16_t address) {
    clock_.PortAccessed();
    if (!cablePort_ || !cablePort_->Decodes(address)) {
        return kUndecodedRead;
    }
    return cablePort_->Read(static_cast<PortRegister>(address - cablePort_->base()));
}

void Board::Out(std::uint16_t address, std::uint8_t value) {
    clock_.PortAccessed();
    if (!cablePort_ || !cablePort_->Decodes(address)) {
        return;
    }
    cablePort_->Write(static_cast<PortRegister>(address - cablePort_->base()), value);
    const CableLines lines = LinesFromPort(*cablePort_);
    if (lines != lines_) {
        LinesChanged(lines, clock_.NowNs());
    }
}

void Board::LinesChanged(const CableLines& lines, std::uint64_t nowNs) {
    const bool resetFell = lines_.reset && !lines.reset;
    const bool resetRose = !lines_.reset && lines.reset;
    lines_ = lines;
    if (settings_.fault != BoardFault::NoChip && settings_.fault != BoardFault::NoPower) {
        if (resetFell) {
            ReloadIfChangedOnDisk();
        }
        chip_.SetPins(lines, nowNs);
        if (resetRose) {
            SaveIfDirty(); // the chip leaves programming mode and runs
        }
    }
    PresentMiso(*cablePort_, MisoLevel());
    Trace(nowNs);
}

bool Board::MisoLevel() const {
    switch (settings_.fault) {
    case BoardFault::NoChip:
        return true;
    case BoardFault::NoPower:
        return false;
    default:
        return chip_.Miso();
    }
}

Board::Pins Board::pins() const {
    return {lines_.reset, lines_.sck, lines_.mosi, MisoLevel()};
}

void Board::Trace(std::uint64_t nowNs) {
    if (vcd_) {
        vcd_->Record(nowNs, {lines_.reset, lines_.sck, lines_.mosi, MisoLevel()});
    }
}

void Board::ReloadIfChangedOnDisk() {
    // When nothing is unsaved, memory equals what the board last read or wrote,
    // so reading the file again picks up exactly the edits made by others.
    // File times are too coarse to detect quick edits reliably.
    if (!persist_ || chip_.dirty()) {
        return;
    }
    std::string error;
    if (!LoadChipFile(settings_.chipFile, chip_.model(), &chip_.memory(), &error)) {
        // Leave the edited file alone and keep running from memory.
        lastError_ = error;
        persist_ = false;
    }
}

bool Board::Save(std::string* error) {
    if (!persist_) {
        return true;
    }
    if (!SaveChipFile(settings_.chipFile, chip_.memory(), error)) {
        lastError_ = *error;
        return false;
    }
    chip_.MarkClean();
    return true;
}

void Board::SaveIfDirty() {
    if (chip_.dirty()) {
        std::string error;
        Save(&error);
    }
}

} // namespace sim
