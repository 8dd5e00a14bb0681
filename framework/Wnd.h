// CWnd: a C++ object attached to a window handle. Attached windows have their
// window procedure replaced by AfxWndProc, which dispatches through the message
// map and hands everything unhandled to the window's previous procedure.
#pragma once
#include "framework/CmdTarget.h"
#include "framework/String.h"

#include <windows.h>

class CDataExchange;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to a window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // The attached object, or a framework-owned stand-in that lives until the window is destroyed.
    static CWnd* FromHandle(HWND hWnd);

    // Attaches this object to an existing window and routes its messages through AfxWndProc.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND: hands the command or control notification to OnCmdMsg, except the
    // notifications that arise while this window exchanges data with its controls.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // The processing the window had before it was attached (its class's or previous procedure).
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled now.
    LRESULT Default();
    virtual void PostNcDestroy() {}

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR buffer, int size) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;

    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    BOOL IsIconic() const;
    BOOL IsWindowVisible() const;
    void Invalidate(BOOL erase = TRUE);
    BOOL RedrawWindow(LPCRECT rect = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void UpdateWindow();
    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    CWnd* SetFocus();
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HMENU GetSystemMenu(BOOL revert) const;
    void CenterWindow(HWND alternateOwner = nullptr);
    BOOL DestroyWindow();

    // A modal message box owned by this window; the caption defaults to the application name.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    // Runs DoDataExchange: TRUE moves control contents into the members (with validation),
    // FALSE the members into the controls. Notifications from the controls are not
    // dispatched to this window's handlers while the exchange runs.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

protected:
    WNDPROC m_pfnSuper = nullptr;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND hWnd);
    void Detach();
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs `WindowProc` of `wnd` under the framework's exception boundary: framework
// exceptions escaping a handler are reported in a message box and never unwind into Windows.
LRESULT AfxCallWndProc(CWnd* wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The window whose control notifications are held back (during its data exchange).
HWND AfxGetLockoutNotifyWindow();
