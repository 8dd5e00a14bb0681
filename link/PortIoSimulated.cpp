// The port primitive of the simulated build: each access goes to the simulated
// board. Its settings or chip file being unusable is reported once; the port then
// behaves as if nothing answered at any address.
#include "link/PortIo.h"
#include "link/SimulatedPort.h"

#include "framework/WinApp.h"
#include "sim/Board.h"
#include "sim/BoardSettings.h"
#include "sim/Clock.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr BYTE kAbsentPortLevels = 0xFF;

sim::Board* g_installed = nullptr;
SimulatedPort::PortTap* g_tap = nullptr;

struct ProgramBoard {
    sim::SteadyClock clock;
    std::unique_ptr<sim::Board> board;
    bool setUp = false;
};

void ReportSetupError(const std::string& error) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "The simulated programming board could not be set up:\n%s\n\n"
                  "The printer port is treated as absent until the program is restarted.",
                  error.c_str());
    AfxMessageBox(text, MB_OK);
}

sim::Board* ProgramsOwnBoard() {
    static ProgramBoard own;
    if (!own.setUp) {
        own.setUp = true;
        sim::BoardSettings settings;
        std::string error;
        if (sim::SettingsFromEnvironment(&settings, &error))
            own.board = sim::Board::Create(settings, own.clock, &error);
        if (!own.board)
            ReportSetupError(error);
    }
    return own.board.get();
}

} // namespace

namespace SimulatedPort {

void InstallBoard(sim::Board* board) {
    g_installed = board;
}

sim::Board* CurrentBoard() {
    return g_installed != nullptr ? g_installed : ProgramsOwnBoard();
}

void SetTap(PortTap* tap) {
    g_tap = tap;
}

} // namespace SimulatedPort

int PortIn(WORD address) {
    sim::Board* board = SimulatedPort::CurrentBoard();
    BYTE value = board != nullptr ? board->In(address) : kAbsentPortLevels;
    if (g_tap != nullptr)
        value = g_tap->Read(address, value);
    return value;
}

void PortOut(WORD address, int value) {
    const auto byte = static_cast<BYTE>(value & 0xFF);
    if (g_tap != nullptr)
        g_tap->Wrote(address, byte);
    if (sim::Board* board = SimulatedPort::CurrentBoard())
        board->Out(address, byte);
}

// The simulated board never refuses the program its ports.
BOOL PortAccessRefused() {
    return FALSE;
}

void ResetPortAccessRefused() {}
