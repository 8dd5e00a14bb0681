// The state behind the simulated port driver's calls: one board on a steady
// clock, set up from the TAMBERLO_SIM_* settings at first use. Portable; the
// DLL's entry file puts the Win32 calls and the message box around it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "sim/Board.h"
#include "sim/Clock.h"

namespace sim {

// Time one access to a printer port takes on the bus it sits on (ISA or LPC),
// whichever driver issues it. The simulated port counts it so that the chip
// sees the same line timing as on a real port.
constexpr std::uint64_t kPortBusCycle_ns = 1000;

class SimulatedDriver {
public:
    // `reportSetupError` receives the reason, once, when the settings or the
    // chip file cannot be used; it is called without any lock held.
    explicit SimulatedDriver(std::function<void(const std::string&)> reportSetupError);
    ~SimulatedDriver();
    SimulatedDriver(const SimulatedDriver&) = delete;
    SimulatedDriver& operator=(const SimulatedDriver&) = delete;

    // False when the settings say the driver is not installed (fault nodriver).
    bool DriverOpen();
    // A byte read or written at an I/O address; 0xFF where nothing answers.
    std::uint8_t In(std::uint16_t address);
    void Out(std::uint16_t address, std::uint8_t value);
    // Drops the board, saving the chip file if it changed.
    void Close();

private:
    enum class State : std::uint8_t { NotSetUp, Open, Absent, NoDriver };
    void SetUpOnce();
    State SetUp(std::string* error);

    std::function<void(const std::string&)> reportSetupError_;
    std::mutex mutex_;
    State state_ = State::NotSetUp;
    std::atomic<bool> setUpDone_{false}; // lets the calls after the first skip SetUpOnce
    SteadyClock clock_{kPortBusCycle_ns};
    std::unique_ptr<Board> board_;
};

} // namespace sim
