// CTamberloDlg: the main window. It owns the objects of the program by value and keeps the
// handlers the window needs; the work is done by the objects below it:
//   app/Settings          the settings file: port choice, delays, the failed-write notice
//   image/HexImage        the HEX file's buffer and the flash image
//   ops/DeviceOps         erase, blank check, program, verify, auto, lock bits
//   link/SerialLink       the serial programming link on the printer port's registers
// Its own member functions are filed by concern:
//   app/tamberloDlg.cpp   the window: data exchange, start, system menu, icon, the
//                         operation buttons and their messages
//   app/HexLoad.cpp       loading an Intel HEX file into the flash image
//   app/SettingsWindow.cpp the port buttons, the delay fields and the first-run notice
#pragma once
#include "app/LptDlg.h"
#include "app/ProgressBarDisplay.h"
#include "app/ProgressCaptions.h"
#include "app/Settings.h"
#include "app/UserMessages.h"
#include "framework/Button.h"
#include "framework/Dialog.h"
#include "image/HexImage.h"
#include "link/ParallelPort.h"
#include "link/SerialLink.h"
#include "ops/DeviceOps.h"
#include "progress/TextProgressCtrl.h"
#include "res/resource.h"

class CTamberloDlg : public CDialog,
                     private CDeviceMessages,
                     private CPortOpening,
                     private CUserMessages {
public:
    // `access` reaches the printer port (kept by the caller for the dialog's life).
    explicit CTamberloDlg(CPortAccess& access, CWnd* parent = nullptr);
    ~CTamberloDlg() override;
    enum { IDD = IDD_MAIN_DIALOG };

    // The operation buttons: each runs its operation and tells its result.
    OperationResult OnErase();
    OperationResult OnBlank();
    OperationResult OnProgram();
    OperationResult OnVerify();
    OperationResult OnAuto();
    OperationResult OnLockBit();

    // Flash image loading (app/HexLoad.cpp).
    void OnOpenHexFile();
    int ParseHexFile(std::uint32_t length);

    // Settings (app/SettingsWindow.cpp).
    int SelectLptPort();
    void LoadDelaySettings();
    void OnLpt1() { OnLpt(1); }
    void OnLpt2() { OnLpt(2); }
    void OnLpt3() { OnLpt(3); }
    void OnChangeDelayBit();
    void OnChangeDelayByte();

    // What the window is made of, for tests that look inside.
    CParallelPort& Port() { return m_port; }
    CSettings& Settings() { return m_settings; }
    HexImage& HexFile() { return m_hexFile; }
    CSerialLink& Link() { return m_link; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()

private:
    // The port buttons: each writes its port at once.
    void OnLpt(int port);
    // The messages of the operations: told at their moment, and at an operation's end.
    void Tell(const OperationResult& result) override;
    OperationResult Report(const OperationResult& result);
    // The two checks of every opening (app/SettingsWindow.cpp).
    bool SelectPort() override;
    bool DelaysUsable() override;
    // The settings' messages, in a box of this window.
    void Show(const char* text) override { MessageBox(text); }

    CButton m_btnLpt1;
    CButton m_btnLpt2;
    CButton m_btnLpt3;
    CLptDlg m_lptDlg;
    CTextProgressCtrl m_progress;
    HICON m_hIcon;
    CSettings m_settings;
    // The port choice as SelectLptPort last read it from the settings file.
    PortChoice m_portChoice = {PortChoice::kNoneChosen, 0, 0, ""};
    HexImage m_hexFile;
    CParallelPort m_port;
    // The link on m_port with the delays of m_settings, the captions in m_progress, and the
    // operations on them.
    CSerialLink m_link;
    CProgressBarDisplay m_progressDisplay;
    CProgressCaptions m_captions;
    CDeviceOps m_ops;
};
