// The main window: construction, message map, data exchange, initialisation, the
// About item of the system menu, the minimised icon, and the operation buttons.
#include "app/tamberloDlg.h"

#include "app/AboutDlg.h"
#include "app/ChipDlg.h"
#include "app/IconLayout.h"
#include "app/OutcomeMessages.h"
#include "framework/DataExchange.h"
#include "framework/Sleep.h"
#include "framework/WinApp.h"

CTamberloDlg::CTamberloDlg(CPortAccess& access, CWnd* parent)
    : CDialog(IDD, parent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_settings(AfxGetApp()->m_pszProfileName, *this), m_port(access),
      m_link(m_port, m_settings.DelayBit(), m_settings.DelayByte(), &AfxSleep),
      m_progressDisplay(m_progress), m_captions(m_progressDisplay),
      m_ops(m_link, m_hexFile.Image(), m_captions, *this, *this) {}

CTamberloDlg::~CTamberloDlg() = default;

void CTamberloDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LPT1, m_btnLpt1);
    DDX_Control(dx, IDC_LPT2, m_btnLpt2);
    DDX_Control(dx, IDC_LPT3, m_btnLpt3);
    DDX_Control(dx, IDC_PROGRESS, m_progress);
    DDX_Text(dx, IDC_DELAYBIT, m_settings.DelayBit());
    DDV_MinMaxUInt(dx, m_settings.DelayBit(), CSettings::kMinDelay, CSettings::kMaxDelay);
    DDX_Text(dx, IDC_DELAYBYTE, m_settings.DelayByte());
    DDV_MinMaxUInt(dx, m_settings.DelayByte(), CSettings::kMinDelay, CSettings::kMaxDelay);
}

BEGIN_MESSAGE_MAP(CTamberloDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_OPENHEX, OnOpenHexFile)
ON_BN_CLICKED(IDC_ERASE, OnErase)
ON_BN_CLICKED(IDC_BLANK, OnBlank)
ON_BN_CLICKED(IDC_PROGRAM, OnProgram)
ON_BN_CLICKED(IDC_VERIFY, OnVerify)
ON_BN_CLICKED(IDC_AUTO, OnAuto)
ON_BN_CLICKED(IDC_LOCKBIT, OnLockBit)
ON_BN_CLICKED(IDC_LPT1, OnLpt1)
ON_BN_CLICKED(IDC_LPT2, OnLpt2)
ON_BN_CLICKED(IDC_LPT3, OnLpt3)
ON_EN_CHANGE(IDC_DELAYBIT, OnChangeDelayBit)
ON_EN_CHANGE(IDC_DELAYBYTE, OnChangeDelayByte)
END_MESSAGE_MAP()

BOOL CTamberloDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (HMENU systemMenu = GetSystemMenu(FALSE)) {
        CString chipText;
        CString aboutText;
        chipText.LoadString(IDS_CHIPBOX);
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            if (!chipText.IsEmpty())
                ::AppendMenuA(systemMenu, MF_STRING, IDM_CHIPBOX, chipText);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SelectLptPort();
    LoadDelaySettings();
    m_hexFile.Forget();
    m_progress.SetTextVisible(TRUE);
    return TRUE;
}

void CTamberloDlg::OnSysCommand(UINT id, LPARAM lParam) {
    // The system keeps its own flags in the low four bits of a command id.
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    if ((id & 0xFFF0) == IDM_CHIPBOX) {
        CChipDlg chip(m_link, *this, this);
        chip.DoModal();
        return;
    }
    DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

void CTamberloDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    const POINT origin =
        CentredIconOrigin(client, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(dc, origin.x, origin.y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

HCURSOR CTamberloDlg::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(m_hIcon);
}

OperationResult CTamberloDlg::OnErase() {
    return Report(m_ops.Erase());
}

OperationResult CTamberloDlg::OnBlank() {
    return Report(m_ops.BlankCheck());
}

OperationResult CTamberloDlg::OnProgram() {
    return Report(m_ops.Program());
}

OperationResult CTamberloDlg::OnVerify() {
    return Report(m_ops.Verify());
}

OperationResult CTamberloDlg::OnAuto() {
    return Report(m_ops.Auto());
}

OperationResult CTamberloDlg::OnLockBit() {
    auto* lock1 = static_cast<CButton*>(GetDlgItem(IDC_LOCK1));
    auto* lock2 = static_cast<CButton*>(GetDlgItem(IDC_LOCK2));
    LockChoice choice = LockChoice::None;
    if (lock1 != nullptr && lock1->GetCheck() == 1)
        choice = LockChoice::Lock1;
    else if (lock2 != nullptr && lock2->GetCheck() == 1)
        choice = LockChoice::Lock2;
    return Report(m_ops.LockBit(choice));
}

void CTamberloDlg::Tell(const OperationResult& result) {
    char text[kOutcomeMessageSize];
    if (const char* message = OutcomeMessage(result, text, sizeof text))
        MessageBox(message);
}

// "Not Blank" and "Verify Error" were told while the chip was still held.
OperationResult CTamberloDlg::Report(const OperationResult& result) {
    if (result.outcome != Outcome::NotBlank && result.outcome != Outcome::VerifyError)
        Tell(result);
    return result;
}
