// CWinApp: the one application object, its names and settings file, and the
// start-up sequence that the entry point hands over to.
#pragma once
#include "framework/CmdTarget.h"
#include "framework/String.h"

#include <windows.h>

class CWnd;

#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
public:
    // Registers this object as the application; `appName` null means "from the program file".
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitApplication() { return TRUE; }
    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    // Settings in the private profile file m_pszProfileName, passed without a directory.
    UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
    // The entry's text into `buffer` (at most size - 1 characters); FALSE when the entry
    // is absent, with an empty text.
    BOOL GetProfileText(LPCSTR section, LPCSTR entry, LPSTR buffer, DWORD size);

    // Three-dimensional controls are the platform's own look since Windows 95: nothing to do.
    BOOL Enable3dControlsStatic() { return TRUE; }

    // Default Help (ID_HELP): opens the contents of m_pszHelpFilePath when that file
    // exists; without a help file the command does nothing.
    void OnHelp();
    // Asks the help viewer for `command` with `data` in m_pszHelpFilePath, owned by the
    // main window (through the AfxWinHelp seam).
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);

    LPCSTR m_pszAppName = nullptr;      // "tamberlo" for tamberlo.exe
    LPCSTR m_pszExeName = nullptr;      // the program file's name without folder and extension
    LPCSTR m_pszProfileName = nullptr;  // the application name + ".INI"
    LPCSTR m_pszHelpFilePath = nullptr; // the program's full path with ".HLP"
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;

    // Derives the names above from the program file (and keeps names set before).
    void SetNamesFromModule(HINSTANCE instance);

private:
    CString m_appName, m_exeName, m_profileName, m_helpPath;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
LPCSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();

// The owner of a modal window: `parent` when given, else the main window's active pop-up
// (none while the main window is `self` or has no window).
HWND AfxGetSafeOwner(CWnd* parent, const CWnd* self = nullptr);

// A message box owned by the main window (or its active pop-up), captioned with the
// application name.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);

// Framework start-up: names, common controls. FALSE when there is no application object.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
// The whole run: AfxWinInit, InitApplication, InitInstance, then Run or ExitInstance.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
