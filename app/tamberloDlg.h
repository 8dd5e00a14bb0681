// CTamberloDlg: the main window. It owns every object and buffer of the program by value
// and keeps the handlers the window needs; the work is done by the classes below it:
//   ops/DeviceOps         erase, blank check, program, verify, auto, lock bits
//   link/SerialLink       the serial programming link on the printer port's registers
//   image/HexParser       the Intel HEX parser core
// Its own member functions are filed by concern:
//   app/tamberloDlg.cpp   the window: data exchange, start, system menu, icon, the
//                         operation buttons and their messages
//   app/HexLoad.cpp       loading an Intel HEX file into the flash image
//   app/Settings.cpp      port and delay settings, the first-run notice
#pragma once
#include "app/LptDlg.h"
#include "app/ProgressCaptions.h"
#include "framework/Button.h"
#include "framework/Dialog.h"
#include "image/HexParser.h"
#include "link/ParallelPort.h"
#include "link/SerialLink.h"
#include "ops/DeviceOps.h"
#include "progress/TextProgressCtrl.h"
#include "res/resource.h"

#include <cstdint>

class CTamberloDlg : public CDialog, private CDeviceMessages, private CPortOpening {
public:
    explicit CTamberloDlg(CWnd* parent = nullptr);
    ~CTamberloDlg() override;
    enum { IDD = IDD_MAIN_DIALOG };

    // The operation buttons: each runs its operation and tells its outcome.
    Outcome OnErase();
    Outcome OnBlank();
    Outcome OnProgram();
    Outcome OnVerify();
    Outcome OnAuto();
    Outcome OnLockBit();

    // Flash image loading (app/HexLoad.cpp).
    void OnOpenHexFile();
    int ParseHexFile();

    // Settings (app/Settings.cpp).
    int SelectLptPort();
    void LoadDelaySettings();
    void OnLpt1();
    void OnLpt2();
    void OnLpt3();
    void OnChangeDelayBit();
    void OnChangeDelayByte();

    CButton m_btnLpt1;
    CButton m_btnLpt2;
    CButton m_btnLpt3;
    CLptDlg m_lptDlg;
    CTextProgressCtrl m_progress;
    CParallelPort m_port;
    std::uint32_t m_delayBit;
    std::uint32_t m_delayByte;
    unsigned char m_fileBuffer[kMaxHexFileSize];
    unsigned char m_image[kFlashImageSize];
    unsigned char* m_pFileBuffer;
    std::uint32_t m_fileLength;
    std::uint32_t m_imageEnd;
    HICON m_hIcon;

    // The port choice as SelectLptPort last read it from the settings file.
    struct PortSetting {
        enum Kind { kNoneChosen, kUsable, kNotAPort, kBadBase } kind;
        int port;      // LPT PORT
        char base[32]; // the text of a bad LPTn BASE
    };
    PortSetting m_portSetting = {PortSetting::kNoneChosen, 0, ""};
    // TRUE once a failed settings write has been told in this run.
    BOOL m_settingsWriteFailureTold = FALSE;

    // The link on m_port with the delays above, the captions in m_progress, and the
    // operations on them.
    CSerialLink m_link;
    CProgressCaptions m_captions;
    CDeviceOps m_ops;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()

private:
    // The messages of the operations: told at their moment, and at an operation's end.
    void Tell(Outcome outcome) override;
    Outcome Report(Outcome outcome);
    // The two checks of every opening (app/Settings.cpp).
    bool SelectPort() override;
    bool DelaysUsable() override;
    // FALSE, after its message, when the stored port choice cannot be used.
    BOOL PortSettingUsable();
    // Writes one setting; the first write of the run that fails is told, naming the file.
    void WriteSetting(const char* key, int value);
};
