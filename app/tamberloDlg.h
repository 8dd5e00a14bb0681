// CTamberloDlg: the main window. It owns every object and buffer of the program
// by value; its member functions are filed by subsystem:
//   link/SerialLink.cpp   the serial programming link
//   link/DeviceOps.cpp    erase, blank check, program, verify, auto, lock bits
//   image/HexLoader.cpp   loading an Intel HEX file into the flash image
//   app/Settings.cpp      port and delay settings, the first-run notice
//   app/tamberloDlg.cpp   the window itself: data exchange, start, system menu, icon
#pragma once
#include "app/LptDlg.h"
#include "framework/Button.h"
#include "framework/Dialog.h"
#include "image/HexParser.h"
#include "link/ParallelPort.h"
#include "link/PortIo.h"
#include "progress/TextProgressCtrl.h"
#include "res/resource.h"

#include <cstdint>

class CTamberloDlg : public CDialog {
public:
    explicit CTamberloDlg(CWnd* parent = nullptr);
    ~CTamberloDlg() override;
    enum { IDD = IDD_MAIN_DIALOG };

    // Serial link (link/SerialLink.cpp).
    void SckHigh();
    void SckLow();
    void ResetHigh();
    void SckResetLow();
    void MosiHigh();
    void BitDelay();
    void ClockPulse();
    int Exchange(const unsigned char* send, unsigned char* answer);
    void EnterProgramming();
    void ReleaseTarget();
    int ProgrammingEnable();

    // Device operations (link/DeviceOps.cpp).
    void OnErase();
    int OnBlank();
    void OnProgram();
    int ProgramFlash();
    int OnVerify();
    void OnAuto();
    void OnLockBit();
    void Lock1Bit();
    void Lock2Bit();

private:
    // The start every device operation shares; FALSE when the operation must end.
    BOOL OpenTarget();
    // The operations' work once the target answered; Auto runs them one by one.
    BOOL EraseOpenedTarget();
    int BlankCheckOpenedTarget();
    BOOL ProgramOpenedTarget();
    int VerifyOpenedTarget();
    // Lock1Bit and Lock2Bit: the same steps with their own instruction and texts.
    void WriteLockBits(const unsigned char* instruction, const char* startText,
                       const char* doneText);
    // Tells the user why the port could not be reached (link/SerialLink.cpp).
    void ReportPortProblem(PortProblem problem);
    // TRUE while the port has been reachable throughout the operation; otherwise
    // releases the target, tells the user and gives FALSE.
    BOOL PortHeld();
    // FALSE, after its message, when the stored port choice cannot be used.
    BOOL PortSettingUsable();
    // Writes one setting; the first write of the run that fails is told, naming the file.
    void WriteSetting(const char* key, int value);

public:
    // Flash image loading (image/HexLoader.cpp).
    void OnOpenHexFile();
    int ParseHexFile();
    int StoreRecord(std::uint32_t address, unsigned char* data, unsigned char count);

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

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()
};
