// The device operations behind the buttons: chip erase, blank check, program and
// verify of the flash, Auto (all four in turn) and the lock bits. Each starts with
// OpenTarget: choose the port, check the delays and the port, and take the chip
// into serial programming mode. No operation claims success once the port went out
// of reach (a refused access, a port driver that stopped): PortHeld is asked first.
#include "app/tamberloDlg.h"

#include "framework/DataExchange.h"
#include "framework/Sleep.h"
#include "link/PortIo.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr UINT kMinDelay = 1;
constexpr UINT kMaxDelay = 10;

// Waits per unit of DELAY BYTE, above the datasheet's worst case at 5 V:
// byte write 4 ms, chip erase 8 ms, lock bit write 9 ms.
constexpr std::uint32_t kWriteMsPerDelayByte = 4;
constexpr std::uint32_t kEraseMsPerDelayByte = 40;
constexpr std::uint32_t kLockMsPerDelayByte = 100;

constexpr std::uint32_t kFlashWords = kFlashImageSize / 2;
constexpr std::uint32_t kBlankPercentDivisor = 41; // 4096 words shown as 0..99 %
constexpr unsigned char kErased = 0xFF;

constexpr unsigned char kReadLow = 0x20;
constexpr unsigned char kReadHigh = 0x28;
constexpr unsigned char kWriteLow = 0x40;
constexpr unsigned char kWriteHigh = 0x48;
const unsigned char kChipErase[4] = {0xAC, 0x80, 0x00, 0x00};
// Write Lock Bits in the AT90S8535's form 1010 1100 1111 1ii1: bit 1 = 0 programs lock
// bit 1, bit 2 = 0 lock bit 2. (The older AT90S form 111x x21x with bits 4, 3, 0 at 0
// is not understood by the 8535; these two bytes suit both forms.)
const unsigned char kWriteLockBit1[4] = {0xAC, 0xFD, 0x00, 0x00};
const unsigned char kWriteLockBits1And2[4] = {0xAC, 0xF9, 0x00, 0x00};

const char kNoImage[] = "Please open a Hex File before writing memory.";

unsigned char FlashInstruction(CTamberloDlg& dlg, unsigned char code, std::uint32_t word,
                               unsigned char data) {
    const unsigned char send[4] = {code, static_cast<unsigned char>(word >> 8),
                                   static_cast<unsigned char>(word & 0xFF), data};
    unsigned char answer[4] = {};
    dlg.Exchange(send, answer);
    return answer[3];
}

unsigned char ReadFlash(CTamberloDlg& dlg, unsigned char code, std::uint32_t word) {
    return FlashInstruction(dlg, code, word, 0x00);
}

void SendInstruction(CTamberloDlg& dlg, const unsigned char* send) {
    unsigned char answer[4] = {};
    dlg.Exchange(send, answer);
}

// Progress of the flash walk as the program has always shown it: byte index over a
// hundredth of the end index, that hundredth held in single precision.
float PercentDivisor(std::uint32_t imageEnd) {
    return static_cast<float>(imageEnd / 100.0);
}

int Percent(std::uint32_t index, float divisor) {
    return static_cast<int>(std::trunc(static_cast<double>(index) / static_cast<double>(divisor)));
}

void ShowPercent(CTextProgressCtrl& progress, const char* label, int percent) {
    char text[48];
    std::snprintf(text, sizeof text, "%s %d%%", label, percent);
    progress.SetWindowText(text);
}

// The delays are checked as the dialog's own data exchange checks them: the same
// message, then the focus on the field with its text selected.
BOOL DelaysInRange(CWnd* dialog, UINT delayBit, UINT delayByte) {
    CDataExchange dx(dialog, TRUE);
    dx.PrepareEditCtrl(IDC_DELAYBIT);
    DDV_MinMaxUInt(&dx, delayBit, kMinDelay, kMaxDelay);
    if (!dx.m_bFailed) {
        dx.PrepareEditCtrl(IDC_DELAYBYTE);
        DDV_MinMaxUInt(&dx, delayByte, kMinDelay, kMaxDelay);
    }
    return !dx.m_bFailed;
}

} // namespace

BOOL CTamberloDlg::OpenTarget() {
    SelectLptPort();
    if (!PortSettingUsable() || !m_port.HasPort())
        return FALSE;
    if (!DelaysInRange(this, m_delayBit, m_delayByte))
        return FALSE;
    const PortProblem problem = BeginPortAccess();
    if (problem != PortProblem::None) {
        ReportPortProblem(problem); // nothing has touched the port
        return FALSE;
    }
    EnterProgramming();
    if (!PortHeld())
        return FALSE;
    return ProgrammingEnable() ? TRUE : FALSE;
}

void CTamberloDlg::OnErase() {
    if (OpenTarget())
        EraseOpenedTarget();
}

BOOL CTamberloDlg::EraseOpenedTarget() {
    m_progress.SetWindowText("Erase");
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    SendInstruction(*this, kChipErase);
    if (!PortHeld())
        return FALSE;
    m_progress.StepIt();
    m_progress.SetWindowText("Erase Ok");
    AfxSleep(m_delayByte * kEraseMsPerDelayByte);
    ReleaseTarget();
    return TRUE;
}

int CTamberloDlg::OnBlank() {
    if (!OpenTarget())
        return 1;
    return BlankCheckOpenedTarget();
}

int CTamberloDlg::BlankCheckOpenedTarget() {
    m_progress.SetWindowText("Blank Check");
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(kFlashWords));
    m_progress.SetStep(1);
    for (std::uint32_t word = 0; word < kFlashWords; ++word) {
        if (ReadFlash(*this, kReadLow, word) != kErased ||
            ReadFlash(*this, kReadHigh, word) != kErased) {
            if (!PortHeld())
                return 0;
            MessageBox("Not Blank");
            ReleaseTarget();
            return 0;
        }
        ShowPercent(m_progress, "Blank Check", static_cast<int>(word / kBlankPercentDivisor));
        m_progress.StepIt();
    }
    if (!PortHeld())
        return 0;
    ReleaseTarget();
    m_progress.SetWindowText("Blank Ok");
    return 1;
}

void CTamberloDlg::OnProgram() {
    if (m_imageEnd == 0) {
        MessageBox(kNoImage);
        return;
    }
    if (OpenTarget())
        ProgramOpenedTarget();
}

BOOL CTamberloDlg::ProgramOpenedTarget() {
    ProgramFlash();
    if (!PortHeld())
        return FALSE;
    ReleaseTarget();
    m_progress.SetWindowText("Program Flash Ok");
    return TRUE;
}

// Writes whole words from byte 0 through the end index, so an even end index also
// writes the byte after it. Stops early, with 0, once the port is out of reach.
int CTamberloDlg::ProgramFlash() {
    m_progress.SetWindowText("Program Flash");
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(m_imageEnd));
    m_progress.SetStep(1);
    const float divisor = PercentDivisor(m_imageEnd);
    const std::uint32_t writeMs = m_delayByte * kWriteMsPerDelayByte;
    std::uint32_t word = 0;
    std::uint32_t i = 0;
    while (i < m_imageEnd + 1) {
        if (PortAccessProblem() != PortProblem::None)
            return 0;
        FlashInstruction(*this, kWriteLow, word, m_image[i]);
        AfxSleep(writeMs);
        ShowPercent(m_progress, "Program Flash", Percent(i, divisor));
        m_progress.StepIt();
        ++i;
        FlashInstruction(*this, kWriteHigh, word, m_image[i]);
        AfxSleep(writeMs);
        ShowPercent(m_progress, "Program Flash", Percent(i, divisor));
        m_progress.StepIt();
        ++word;
        ++i;
    }
    return 1;
}

int CTamberloDlg::OnVerify() {
    if (m_imageEnd == 0) {
        MessageBox(kNoImage);
        return 0;
    }
    if (!OpenTarget())
        return 1;
    return VerifyOpenedTarget();
}

int CTamberloDlg::VerifyOpenedTarget() {
    m_progress.SetWindowText("Verfy Flash");
    m_progress.SetPos(0);
    m_progress.SetRange(0, static_cast<short>(m_imageEnd + 1));
    m_progress.SetStep(1);
    const float divisor = PercentDivisor(m_imageEnd);
    std::uint32_t word = 0;
    std::uint32_t i = 0;
    while (i < m_imageEnd + 1) {
        const unsigned char instructions[2] = {kReadLow, kReadHigh};
        for (unsigned char instruction : instructions) {
            if (ReadFlash(*this, instruction, word) != m_image[i]) {
                if (!PortHeld())
                    return 0;
                MessageBox("Verify Error");
                ReleaseTarget();
                return 0;
            }
            ShowPercent(m_progress, "Verify Flash", Percent(i, divisor));
            m_progress.StepIt();
            ++i;
        }
        ++word;
    }
    if (!PortHeld())
        return 0;
    ReleaseTarget();
    m_progress.SetWindowText("Verfify Ok");
    return 1;
}

// Every step opens the target afresh; the first opening that fails has shown its one
// message, and Auto ends there, as it does when the port goes out of reach in a step.
void CTamberloDlg::OnAuto() {
    if (m_imageEnd == 0) {
        MessageBox(kNoImage);
        return;
    }
    if (!OpenTarget())
        return;
    if (!OpenTarget() || !EraseOpenedTarget())
        return;
    if (!OpenTarget() || !BlankCheckOpenedTarget())
        return;
    if (!OpenTarget() || !ProgramOpenedTarget())
        return;
    if (!OpenTarget())
        return;
    VerifyOpenedTarget();
}

void CTamberloDlg::OnLockBit() {
    auto* lock1 = static_cast<CButton*>(GetDlgItem(IDC_LOCK1));
    auto* lock2 = static_cast<CButton*>(GetDlgItem(IDC_LOCK2));
    if (!OpenTarget())
        return;
    if (lock1 != nullptr && lock1->GetCheck() == 1) {
        Lock1Bit();
    } else if (lock2 != nullptr && lock2->GetCheck() == 1) {
        Lock2Bit();
    } else {
        ReleaseTarget();
        MessageBox("No select Lock bit");
    }
}

void CTamberloDlg::Lock1Bit() {
    WriteLockBits(kWriteLockBit1, "Lock 1 Bit", "Lock 1 Bit Ok");
}

void CTamberloDlg::Lock2Bit() {
    WriteLockBits(kWriteLockBits1And2, "Lock 2 Bit", "Lock 2 Bit Ok");
}

// The port was chosen by OnLockBit; the chip is taken into programming mode once more.
void CTamberloDlg::WriteLockBits(const unsigned char* instruction, const char* startText,
                                 const char* doneText) {
    m_progress.SetWindowText(startText);
    m_progress.SetPos(0);
    m_progress.SetRange(0, 1);
    m_progress.SetStep(1);
    EnterProgramming();
    if (!ProgrammingEnable())
        return;
    SendInstruction(*this, instruction);
    AfxSleep(m_delayByte * kLockMsPerDelayByte);
    if (!PortHeld())
        return;
    ReleaseTarget();
    m_progress.StepIt();
    m_progress.SetWindowText(doneText);
}
