// Port and delay settings: the section TAMBERLO of the settings file, applied at
// start and at the start of every device operation, written when the user changes
// a value, and the first-run notice while no port has been chosen. A port card at an
// address of its own is set by hand with the keys LPT1 BASE, LPT2 BASE, LPT3 BASE.
// Messages name the file the settings were really read from or written to (see
// app/SettingsLocation.h); a write that fails is told once per run.
#include "app/SettingsLocation.h"
#include "app/tamberloDlg.h"

#include "framework/DataExchange.h"
#include "framework/SystemErrorText.h"
#include "framework/WinApp.h"
#include "lpt/LptAddress.h"

#include <cstdio>

namespace {
const char kSection[] = "TAMBERLO";
const char kLptPortKey[] = "LPT PORT";
const char kDelayBitKey[] = "DELAY BIT";
const char kDelayByteKey[] = "DELAY BYTE";

constexpr UINT kMinDelay = 1;
constexpr UINT kMaxDelay = 10;

void BaseKey(UINT port, char (&key)[16]) {
    std::snprintf(key, sizeof key, "LPT%u BASE", port);
}
} // namespace

int CTamberloDlg::SelectLptPort() {
    const UINT port = AfxGetApp()->GetProfileInt(kSection, kLptPortKey, 0);
    m_portSetting = {PortSetting::kNoneChosen, static_cast<int>(port), ""};
    if (port == 0)
        m_lptDlg.DoModal();
    CButton* const radios[] = {&m_btnLpt1, &m_btnLpt2, &m_btnLpt3};
    if (port >= 1 && port <= 3) {
        char key[16];
        BaseKey(port, key);
        char text[sizeof m_portSetting.base] = "";
        std::uint16_t base = 0;
        if (!AfxGetApp()->GetProfileText(kSection, key, text, sizeof text)) {
            m_port.SetPort(static_cast<int>(port));
            m_portSetting.kind = PortSetting::kUsable;
        } else if (lpt::ParsePortAddress(text, &base)) {
            m_port.SetBase(base);
            m_portSetting.kind = PortSetting::kUsable;
        } else {
            m_port.SetBase(0); // no access may reach an address the user did not mean
            m_portSetting.kind = PortSetting::kBadBase;
            std::snprintf(m_portSetting.base, sizeof m_portSetting.base, "%s", text);
        }
        radios[port - 1]->SetCheck(1);
    } else if (port != 0) {
        m_portSetting.kind = PortSetting::kNotAPort;
    }
    UpdateData(FALSE);
    return 1;
}

bool CTamberloDlg::SelectPort() {
    SelectLptPort();
    return PortSettingUsable() != FALSE;
}

// The delays are checked as the dialog's own data exchange checks them: the same
// message, then the focus on the field with its text selected.
bool CTamberloDlg::DelaysUsable() {
    CDataExchange dx(this, TRUE);
    dx.PrepareEditCtrl(IDC_DELAYBIT);
    DDV_MinMaxUInt(&dx, m_delayBit, kMinDelay, kMaxDelay);
    if (!dx.m_bFailed) {
        dx.PrepareEditCtrl(IDC_DELAYBYTE);
        DDV_MinMaxUInt(&dx, m_delayByte, kMinDelay, kMaxDelay);
    }
    return !dx.m_bFailed;
}

BOOL CTamberloDlg::PortSettingUsable() {
    char file[kSettingsPathSize];
    char text[kSettingsPathSize + 512];
    switch (m_portSetting.kind) {
    case PortSetting::kUsable:
        return TRUE;
    case PortSetting::kNoneChosen:
        return FALSE; // the first-run notice has asked for a port
    case PortSetting::kNotAPort:
        SettingsFileRead(file);
        std::snprintf(text, sizeof text,
                      "The settings file %s holds LPT PORT=%d, which is not a printer port "
                      "of this program.\nPlease choose Lpt1, Lpt2 or Lpt3.",
                      file, m_portSetting.port);
        break;
    case PortSetting::kBadBase: {
        char key[16];
        BaseKey(static_cast<UINT>(m_portSetting.port), key);
        SettingsFileRead(file);
        std::snprintf(text, sizeof text,
                      "The settings file %s holds %s=%s, which is not a usable printer-port "
                      "address.\nWrite the port's I/O address in hex with 0x (for example "
                      "0xD010) or in decimal, from 1 to 0xFFFD, or delete the line to use "
                      "the standard address of Lpt%d.",
                      file, key, m_portSetting.base, m_portSetting.port);
        break;
    }
    }
    MessageBox(text);
    return FALSE;
}

void CTamberloDlg::WriteSetting(const char* key, int value) {
    if (AfxGetApp()->WriteProfileInt(kSection, key, value))
        return;
    const DWORD error = ::GetLastError();
    // Every keystroke in a delay field writes: the first failure of the run is told.
    if (m_settingsWriteFailureTold)
        return;
    m_settingsWriteFailureTold = TRUE;
    char file[kSettingsPathSize];
    const BOOL windowsFolder = SettingsFileWritten(file);
    char why[512];
    AfxSystemErrorText(error, file, why, sizeof why);
    char text[kSettingsPathSize + 1024];
    std::snprintf(text, sizeof text,
                  "The settings could not be written to %s.\nWindows says: %s\nThe program goes "
                  "on with the values shown, but they will not be there at its next start. Check "
                  "that the disk has room, that the file is neither read-only nor a folder, and "
                  "that no other program holds it open.%s",
                  file, why,
                  windowsFolder ? " A normal user may not change files in the Windows folder: run "
                                  "tamberlo once as administrator, or give your user the right "
                                  "to change this file (see the README)."
                                : "");
    MessageBox(text);
}

void CTamberloDlg::LoadDelaySettings() {
    m_delayBit = AfxGetApp()->GetProfileInt(kSection, kDelayBitKey, 0);
    m_delayByte = AfxGetApp()->GetProfileInt(kSection, kDelayByteKey, 0);
    if (m_delayBit == 0) {
        m_delayBit = 1;
        WriteSetting(kDelayBitKey, 1);
    }
    if (m_delayByte == 0) {
        m_delayByte = 1;
        WriteSetting(kDelayByteKey, 1);
    }
    UpdateData(FALSE);
}

void CTamberloDlg::OnLpt1() {
    WriteSetting(kLptPortKey, 1);
}

void CTamberloDlg::OnLpt2() {
    WriteSetting(kLptPortKey, 2);
}

void CTamberloDlg::OnLpt3() {
    WriteSetting(kLptPortKey, 3);
}

// Both handlers run on every keystroke; the value written is the member as the
// exchange left it (unchanged after a parse error, the typed number after a range error).
void CTamberloDlg::OnChangeDelayBit() {
    UpdateData(TRUE);
    WriteSetting(kDelayBitKey, static_cast<int>(m_delayBit));
}

void CTamberloDlg::OnChangeDelayByte() {
    UpdateData(TRUE);
    WriteSetting(kDelayByteKey, static_cast<int>(m_delayByte));
}
