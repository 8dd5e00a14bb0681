// The application object and its start-up: assemble the program (the port access that the
// main dialog's printer port goes through) and run the main dialog, then end.
#include "app/tamberlo.h"

#include "app/tamberloDlg.h"
#include "port/PortAccess.h"

BEGIN_MESSAGE_MAP(CTamberloApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CTamberloApp::CTamberloApp() = default;

CTamberloApp::~CTamberloApp() = default;

CTamberloApp theApp;

BOOL CTamberloApp::InitInstance() {
    Enable3dControlsStatic();
    CPortAccess portAccess; // the driver DLL beside the program, else the port instructions
    CTamberloDlg dlg(portAccess);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    if (m_pMainWnd == &dlg)
        m_pMainWnd = nullptr; // the dialog could not be created: forget it all the same
    // The dialog has closed: end the program without a message loop.
    return FALSE;
}
