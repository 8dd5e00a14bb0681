// Simulated port driver: lazy set-up of the board, and every access serialised,
// since a driver may be called from any thread and the board is not shared-safe.
#include "sim/driver/SimulatedDriver.h"

#include "sim/BoardSettings.h"

namespace sim {

namespace {
// What a read gives when no board answers: nothing drives the bus.
constexpr std::uint8_t kNothingAnswers = 0xFF;
} // namespace

SimulatedDriver::SimulatedDriver(std::function<void(const std::string&)> reportSetupError)
    : reportSetupError_(std::move(reportSetupError)) {}

SimulatedDriver::~SimulatedDriver() {
    Close();
}

SimulatedDriver::State SimulatedDriver::SetUp(std::string* error) {
    BoardSettings settings;
    if (!SettingsFromEnvironment(&settings, error)) {
        return State::Absent;
    }
    if (settings.fault == BoardFault::NoDriver) {
        return State::NoDriver;
    }
    board_ = Board::Create(settings, clock_, error);
    return board_ ? State::Open : State::Absent;
}

void SimulatedDriver::SetUpOnce() {
    if (setUpDone_.load(std::memory_order_acquire)) {
        return;
    }
    std::string error;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (state_ != State::NotSetUp) {
            return;
        }
        state_ = SetUp(&error);
        setUpDone_.store(true, std::memory_order_release);
        if (state_ != State::Absent) {
            return;
        }
    }
    // Outside the lock: a message box runs a message loop on this thread.
    if (reportSetupError_) {
        reportSetupError_(error);
    }
}

bool SimulatedDriver::DriverOpen() {
    SetUpOnce();
    std::lock_guard<std::mutex> lock(mutex_);
    return state_ != State::NoDriver;
}

std::uint8_t SimulatedDriver::In(std::uint16_t address) {
    SetUpOnce();
    std::lock_guard<std::mutex> lock(mutex_);
    return board_ ? board_->In(address) : kNothingAnswers;
}

void SimulatedDriver::Out(std::uint16_t address, std::uint8_t value) {
    SetUpOnce();
    std::lock_guard<std::mutex> lock(mutex_);
    if (board_) {
        board_->Out(address, value);
    }
}

void SimulatedDriver::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    board_.reset();
}

} // namespace sim
