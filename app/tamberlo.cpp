// The application object and its start-up: run the main dialog, then end.
#include "app/tamberlo.h"

#include "app/tamberloDlg.h"

BEGIN_MESSAGE_MAP(CTamberloApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CTamberloApp::CTamberloApp() = default;

CTamberloApp::~CTamberloApp() = default;

CTamberloApp theApp;

BOOL CTamberloApp::InitInstance() {
    Enable3dControlsStatic();
    CTamberloDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    if (m_pMainWnd == &dlg)
        m_pMainWnd = nullptr; // the dialog could not be created: forget it all the same
    // The dialog has closed: end the program without a message loop.
    return FALSE;
}
