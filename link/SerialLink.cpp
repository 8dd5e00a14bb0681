// The serial programming link of the AT90S8535, bit-banged through the printer port:
//   SCK   = data bit 0 (pin 2)      RESET = data bit 1 (pin 3)
//   MOSI  = control bit 0 (pin 1, nStrobe)
//   MISO  = status bit 6 (pin 10, nAck)
// Every line change reads the whole register and writes it back with only that line
// changed, so the other pins of the port keep whatever they carry. While no port is
// chosen, CParallelPort touches nothing; the link then also skips its waits and clocking.
#include "app/tamberloDlg.h"

#include "framework/Sleep.h"
#include "link/BitDelay.h"
#include "link/PortDriver.h"
#include "link/PortIo.h"

namespace {

constexpr int kSckBit = 0x01;
constexpr int kResetBit = 0x02;
constexpr int kMosiBit = 0x01;
constexpr int kMisoBit = 0x40;
constexpr int kMisoShift = 6;
constexpr std::uint32_t kResetStepMsPerDelayByte = 200;

const unsigned char kProgrammingEnable[4] = {0xAC, 0x53, 0x00, 0x00};
// The chip echoes the second byte of Programming Enable while the third is sent.
constexpr int kEchoIndex = 2;
constexpr unsigned char kEcho = 0x53;

std::uint64_t g_bitDelayDecrements = 0;

const char kPortRefused[] =
    "The printer port could not be accessed.\n"
    "Windows did not allow this program to use the printer port. Put " TAMBERLO_PORT_DRIVER_DLL
    " from InpOut32 beside tamberlo.exe and run tamberlo once as administrator, so that InpOut32 "
    "can install its port driver (see the README).";
const char kDriverNotRunning[] =
    "The printer port driver is not running.\n" TAMBERLO_PORT_DRIVER_DLL
    " is there, but its port driver is not installed or has stopped. On Windows, "
    "run tamberlo once as administrator (right-click tamberlo.exe, Run as administrator), so "
    "that InpOut32 can install its driver. On Linux, start tamberlo with tamberlo-linux, "
    "which starts the port helper.";
const char kPortInUse[] =
    "The printer port is busy: another program is using the printer port through the bridge.\n"
    "Only one program at a time can use it. Close the other program (another tamberlo), "
    "then try again.";

} // namespace

std::uint64_t BitDelayDecrements() {
    return g_bitDelayDecrements;
}

void CTamberloDlg::SckHigh() {
    m_port.WriteData(m_port.ReadData() | kSckBit);
}

void CTamberloDlg::SckLow() {
    m_port.WriteData(m_port.ReadData() & ~kSckBit);
}

void CTamberloDlg::ResetHigh() {
    m_port.WriteData(m_port.ReadData() | kResetBit);
}

void CTamberloDlg::SckResetLow() {
    m_port.WriteData(m_port.ReadData() & ~(kSckBit | kResetBit));
}

void CTamberloDlg::MosiHigh() {
    m_port.WriteControl(m_port.ReadControl() | kMosiBit);
}

void CTamberloDlg::BitDelay() {
    for (std::uint32_t pass = 0; pass < m_delayBit; ++pass) {
        volatile std::uint32_t counter = kBitDelayCountdown;
        while (counter > 0)
            counter = counter - 1;
        g_bitDelayDecrements += kBitDelayCountdown - counter;
    }
}

void CTamberloDlg::ClockPulse() {
    SckHigh();
    BitDelay();
    SckLow();
    BitDelay();
}

int CTamberloDlg::Exchange(const unsigned char* send, unsigned char* answer) {
    if (!m_port.HasPort()) {
        for (int k = 0; k < 4; ++k)
            answer[k] = 0xFF; // what a line with nothing driving it reads
        return 1;
    }
    for (int k = 0; k < 4; ++k) {
        int received = 0;
        for (int bit = 7; bit >= 0; --bit) {
            const int level = (send[k] >> bit) & 1;
            m_port.WriteControl((m_port.ReadControl() & ~kMosiBit) | level);
            // The chip shifts its answer out on the falling edge: MISO is read while SCK
            // is still low, before the rising edge that samples MOSI.
            received = (received << 1) | ((m_port.ReadStatus() & kMisoBit) >> kMisoShift);
            ClockPulse();
        }
        answer[k] = static_cast<unsigned char>(received);
    }
    return 1;
}

void CTamberloDlg::EnterProgramming() {
    if (!m_port.HasPort())
        return;
    // RESET pulses high while SCK is low, then stays low: the datasheet's power-up
    // sequence for serial programming. The last wait covers the 20 ms before
    // Programming Enable may be sent.
    const std::uint32_t stepMs = m_delayByte * kResetStepMsPerDelayByte;
    SckLow();
    if (PortAccessProblem() != PortProblem::None)
        return; // the first accesses showed that the port cannot be reached: no waiting
    AfxSleep(stepMs);
    SckResetLow();
    AfxSleep(stepMs);
    ResetHigh();
    AfxSleep(stepMs);
    SckResetLow();
    AfxSleep(stepMs);
}

void CTamberloDlg::ReleaseTarget() {
    SckHigh();
    MosiHigh();
    ResetHigh();
}

int CTamberloDlg::ProgrammingEnable() {
    if (!m_port.HasPort())
        return 0;
    unsigned char answer[4] = {};
    Exchange(kProgrammingEnable, answer);
    const PortProblem problem = PortAccessProblem();
    if (answer[kEchoIndex] == kEcho && problem == PortProblem::None)
        return 1;
    ReleaseTarget();
    // An echo that did not come because the port itself was out of reach is told as such.
    if (problem != PortProblem::None)
        ReportPortProblem(problem);
    else
        MessageBox("Error! Please check your CPU, power supply and printer port.");
    return 0;
}

void CTamberloDlg::ReportPortProblem(PortProblem problem) {
    MessageBox(problem == PortProblem::Refused     ? kPortRefused
               : problem == PortProblem::PortInUse ? kPortInUse
                                                   : kDriverNotRunning);
}

BOOL CTamberloDlg::PortHeld() {
    const PortProblem problem = PortAccessProblem();
    if (problem == PortProblem::None)
        return TRUE;
    ReleaseTarget();
    ReportPortProblem(problem);
    return FALSE;
}
