// Port and delay settings: the section TAMBERLO of the settings file, applied at
// start and at the start of every device operation, written when the user changes
// a value, and the first-run notice while no port has been chosen.
#include "app/tamberloDlg.h"

#include "framework/WinApp.h"

namespace {
const char kSection[] = "TAMBERLO";
const char kLptPortKey[] = "LPT PORT";
const char kDelayBitKey[] = "DELAY BIT";
const char kDelayByteKey[] = "DELAY BYTE";
} // namespace

int CTamberloDlg::SelectLptPort() {
    const UINT port = AfxGetApp()->GetProfileInt(kSection, kLptPortKey, 0);
    if (port == 0)
        m_lptDlg.DoModal();
    CButton* const radios[] = {&m_btnLpt1, &m_btnLpt2, &m_btnLpt3};
    if (port >= 1 && port <= 3) {
        m_port.SetPort(static_cast<int>(port));
        radios[port - 1]->SetCheck(1);
    }
    UpdateData(FALSE);
    return 1;
}

void CTamberloDlg::LoadDelaySettings() {
    m_delayBit = AfxGetApp()->GetProfileInt(kSection, kDelayBitKey, 0);
    m_delayByte = AfxGetApp()->GetProfileInt(kSection, kDelayByteKey, 0);
    if (m_delayBit == 0) {
        m_delayBit = 1;
        AfxGetApp()->WriteProfileInt(kSection, kDelayBitKey, 1);
    }
    if (m_delayByte == 0) {
        m_delayByte = 1;
        AfxGetApp()->WriteProfileInt(kSection, kDelayByteKey, 1);
    }
    UpdateData(FALSE);
}

void CTamberloDlg::OnLpt1() {
    AfxGetApp()->WriteProfileInt(kSection, kLptPortKey, 1);
}

void CTamberloDlg::OnLpt2() {
    AfxGetApp()->WriteProfileInt(kSection, kLptPortKey, 2);
}

void CTamberloDlg::OnLpt3() {
    AfxGetApp()->WriteProfileInt(kSection, kLptPortKey, 3);
}

// Both handlers run on every keystroke; the value written is the member as the
// exchange left it (unchanged after a parse error, the typed number after a range error).
void CTamberloDlg::OnChangeDelayBit() {
    UpdateData(TRUE);
    AfxGetApp()->WriteProfileInt(kSection, kDelayBitKey, static_cast<int>(m_delayBit));
}

void CTamberloDlg::OnChangeDelayByte() {
    UpdateData(TRUE);
    AfxGetApp()->WriteProfileInt(kSection, kDelayByteKey, static_cast<int>(m_delayByte));
}
