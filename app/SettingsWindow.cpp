// The settings as the main window shows them: the port choice applied at start and at the
// start of every device operation (with the first-run notice while no port has been
// chosen), the port buttons and delay fields written when the user changes them, and the
// delays checked at each opening as the window's own data exchange checks them.
#include "app/tamberloDlg.h"

#include "framework/DataExchange.h"

int CTamberloDlg::SelectLptPort() {
    m_portChoice = m_settings.ReadPortChoice();
    if (m_portChoice.kind == PortChoice::kNoneChosen)
        m_lptDlg.DoModal();
    CButton* const radios[] = {&m_btnLpt1, &m_btnLpt2, &m_btnLpt3};
    if (m_portChoice.port >= 1 && m_portChoice.port <= 3) {
        // A bad LPTn BASE gives base 0: no access may reach an address the user did not mean.
        m_port.SetBase(m_portChoice.base);
        radios[m_portChoice.port - 1]->SetCheck(1);
    }
    UpdateData(FALSE);
    return 1;
}

bool CTamberloDlg::SelectPort() {
    SelectLptPort();
    return m_settings.PortUsable(m_portChoice) != FALSE;
}

// The same message as the data exchange's, then the focus on the field with its text
// selected.
bool CTamberloDlg::DelaysUsable() {
    CDataExchange dx(this, TRUE);
    dx.PrepareEditCtrl(IDC_DELAYBIT);
    DDV_MinMaxUInt(&dx, m_settings.DelayBit(), CSettings::kMinDelay, CSettings::kMaxDelay);
    if (!dx.m_bFailed) {
        dx.PrepareEditCtrl(IDC_DELAYBYTE);
        DDV_MinMaxUInt(&dx, m_settings.DelayByte(), CSettings::kMinDelay, CSettings::kMaxDelay);
    }
    return !dx.m_bFailed;
}

void CTamberloDlg::LoadDelaySettings() {
    m_settings.LoadDelays();
    UpdateData(FALSE);
}

void CTamberloDlg::OnLpt(int port) {
    m_settings.WritePort(port);
}

// Both handlers run on every keystroke; the value written is the delay as the exchange left
// it (unchanged after a parse error, the typed number after a range error).
void CTamberloDlg::OnChangeDelayBit() {
    UpdateData(TRUE);
    m_settings.WriteDelayBit();
}

void CTamberloDlg::OnChangeDelayByte() {
    UpdateData(TRUE);
    m_settings.WriteDelayByte();
}
