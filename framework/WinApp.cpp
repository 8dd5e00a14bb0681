// The application object, its names, its settings file and the start-up sequence.
#include "framework/WinApp.h"

#include "framework/Help.h"
#include "framework/Profile.h"
#include "framework/Wnd.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {
CWinApp* g_app = nullptr; // the one application object, set by its constructor
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) {
    if (appName != nullptr) {
        m_appName = appName;
        m_pszAppName = m_appName;
    }
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::SetNamesFromModule(HINSTANCE instance) {
    m_hInstance = instance;
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH - 1] = '\0';

    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    const char* dot = std::strrchr(name, '.');
    m_exeName =
        CString(name, dot ? static_cast<int>(dot - name) : static_cast<int>(std::strlen(name)));
    m_pszExeName = m_exeName;

    if (m_pszAppName == nullptr) {
        // A title string (0xE000) would name the application; without one the program file does.
        CString title;
        m_appName = title.LoadString(0xE000) ? title : m_exeName;
        m_pszAppName = m_appName;
    }
    if (m_pszProfileName == nullptr) {
        m_profileName = m_exeName + ".INI";
        m_pszProfileName = m_profileName;
    }
    if (m_pszHelpFilePath == nullptr) {
        char* extension = std::strrchr(path, '.');
        if (extension != nullptr && extension > name - 1)
            *extension = '\0';
        m_helpPath = CString(path) + ".HLP";
        m_pszHelpFilePath = m_helpPath;
    }
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) {
    return ::GetPrivateProfileIntA(section, entry, defaultValue, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return ::WritePrivateProfileStringA(section, entry, text, m_pszProfileName);
}

BOOL CWinApp::GetProfileText(LPCSTR section, LPCSTR entry, LPSTR buffer, DWORD size) {
    return AfxGetProfileText(m_pszProfileName, section, entry, buffer, size);
}

void CWinApp::OnHelp() {
    if (m_pszHelpFilePath == nullptr ||
        ::GetFileAttributesA(m_pszHelpFilePath) == INVALID_FILE_ATTRIBUTES)
        return;
    WinHelp(0, HELP_FINDER);
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
    CWnd* main = AfxGetMainWnd();
    AfxWinHelp(main ? main->m_hWnd : nullptr, m_pszHelpFilePath, command, data);
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() {
    return g_app;
}

LPCSTR AfxGetAppName() {
    return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : "";
}

HINSTANCE AfxGetInstanceHandle() {
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetInstanceHandle();
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HWND AfxGetSafeOwner(CWnd* parent, const CWnd* self) {
    if (parent != nullptr)
        return parent->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    if (main == nullptr || main == self || !::IsWindow(main->m_hWnd))
        return nullptr;
    return ::GetLastActivePopup(main->m_hWnd);
}

int AfxMessageBox(LPCSTR text, UINT type) {
    return ::MessageBoxA(AfxGetSafeOwner(nullptr), text, AfxGetAppName(), type);
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (g_app == nullptr)
        return FALSE;
    g_app->SetNamesFromModule(instance);
    g_app->m_lpCmdLine = commandLine;
    g_app->m_nCmdShow = show;
    return TRUE;
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    if (!AfxWinInit(instance, previous, commandLine, show) || !g_app->InitApplication())
        return -1;
    if (!g_app->InitInstance()) {
        if (g_app->m_pMainWnd != nullptr)
            g_app->m_pMainWnd->DestroyWindow();
        return g_app->ExitInstance();
    }
    return g_app->Run();
}
