// The device operations as a class on the simulated board, with no window: a step log in
// place of the progress bar, a log of what is told, and an opening that selects Lpt1.
#pragma once
#include "framework/Sleep.h"
#include "ops/DeviceOps.h"
#include "tests/harness/TestBoard.h"
#include "tests/harness/TestPort.h"
#include "tests/ops/OpsFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

inline const char* StepName(Step step) {
    switch (step) {
    case Step::Erase:
        return "Erase";
    case Step::BlankCheck:
        return "BlankCheck";
    case Step::ProgramFlash:
        return "ProgramFlash";
    case Step::VerifyFlash:
        return "VerifyFlash";
    case Step::Lock1Bit:
        return "Lock1Bit";
    case Step::Lock2Bit:
        return "Lock2Bit";
    case Step::ReadFlash:
        return "ReadFlash";
    case Step::ReadEeprom:
        return "ReadEeprom";
    case Step::WriteEeprom:
        break;
    }
    return "WriteEeprom";
}

// Records the steps as "begin X 0..N" and "done X", and counts the rest.
class StepLog : public CProgressReport {
public:
    void Begin(Step step, int upper) override {
        events.push_back(std::string("begin ") + StepName(step) + " 0.." + std::to_string(upper));
    }
    void Percent(Step step, int percent) override {
        lastPercent = percent;
        if (step == Step::BlankCheck)
            lastBlankPercent = percent;
    }
    void StepIt() override { ++steps; }
    void Done(Step step) override { events.push_back(std::string("done ") + StepName(step)); }

    std::vector<std::string> events;
    int lastPercent = -1;
    int lastBlankPercent = -1;
    int steps = 0;
};

// Records what is told, with the state of RESET at that moment.
class ToldLog : public CDeviceMessages {
public:
    explicit ToldLog(TestBoard& board) : m_board(board) {}
    void Tell(const OperationResult& result) override {
        told.push_back(result.outcome);
        heldWhileTold = !m_board.Board().pins().reset;
    }
    std::vector<Outcome> told;
    bool heldWhileTold = false;

private:
    TestBoard& m_board;
};

// Selects Lpt1 unless told not to; the delays are always usable.
class Opening : public CPortOpening {
public:
    explicit Opening(CParallelPort& port) : m_port(port) {}
    bool SelectPort() override {
        ++selections;
        if (portChosen)
            m_port.SetPort(1);
        return portChosen;
    }
    bool DelaysUsable() override { return true; }
    bool portChosen = true;
    int selections = 0;

private:
    CParallelPort& m_port;
};

class DeviceOpsTest : public testing::Test {
protected:
    // `driver`: the port driver the operations reach the board through (the tests' own by
    // default; one that wraps it can stop or refuse on cue).
    explicit DeviceOpsTest(const sim::BoardSettings& settings = sim::BoardSettings{},
                           const InpOutCalls& driver = TestPort::Driver())
        : board(settings), access(driver), told(board), opening(port) {}

    void Load(const std::vector<unsigned char>& bytes) {
        std::fill(std::begin(image), std::end(image), 0xFF);
        std::copy(bytes.begin(), bytes.end(), image);
        imageEnd = static_cast<std::uint32_t>(bytes.size() - 1);
    }
    bool Released() {
        const auto pins = board.Board().pins();
        return pins.reset && pins.sck && pins.mosi;
    }

    TestBoard board;
    CPortAccess access;
    CParallelPort port{access};
    std::uint32_t delayBit = 1;
    std::uint32_t delayByte = 1;
    unsigned char image[kFlashImageSize] = {};
    std::uint32_t imageEnd = 0;
    CSerialLink link{port, delayBit, delayByte, &AfxSleep};
    StepLog steps;
    ToldLog told;
    Opening opening;
    CDeviceOps ops{link, FlashImage{image, imageEnd}, steps, told, opening};
};
