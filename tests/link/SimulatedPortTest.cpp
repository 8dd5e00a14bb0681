// The simulated build's own board, set up from TAMBERLO_SIM_* at the first port
// access: unusable settings are reported once, and the port then answers like an
// absent one. (The program's board is set up once per process, so this is the
// only test here that reaches it; the others install a board of their own.)
#include "link/ParallelPort.h"
#include "link/SimulatedPort.h"
#include "tests/harness/MessageBoxCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SimulatedPortSetup, BadSettingsAreReportedOnceAndThePortIsAbsent) {
    ::_putenv("TAMBERLO_SIM_VOLTS=12");
    MessageBoxCapture boxes;
    CParallelPort port;
    port.SetPort(1);
    port.WriteData(0x00);
    EXPECT_EQ(port.ReadData(), 0xFF);
    EXPECT_EQ(port.ReadStatus(), 0x7F);
    EXPECT_EQ(SimulatedPort::CurrentBoard(), nullptr);
    ::_putenv("TAMBERLO_SIM_VOLTS=");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("simulated programming board could not be set up"),
              std::string::npos);
    EXPECT_NE(boxes.Boxes()[0].text.find("TAMBERLO_SIM_VOLTS"), std::string::npos)
        << boxes.Boxes()[0].text;
    EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
    EXPECT_EQ(boxes.Boxes()[0].icon, 0u);
}

} // namespace
