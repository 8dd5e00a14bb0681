// CDialog: a dialog box made from a template resource and run modally.
#pragma once
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Creates the dialog from its template, runs it until EndDialog, returns the end code
    // (-1 when the dialog could not be created).
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    // Default initialisation: moves the members into the controls. Returns TRUE so the
    // dialog manager puts the focus on the first tab stop.
    virtual BOOL OnInitDialog();

    // The dialog's own map first; a command (not a control notification, nor a system
    // command) it does not handle goes on to its owner window's map, then to the
    // application's, where application-wide commands such as ID_HELP are handled.
    BOOL OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam) override;

protected:
    // Enter: validate and save the fields, close with IDOK only when that succeeds.
    virtual void OnOK();
    // Esc, the close box: close with IDCANCEL at once.
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    LRESULT HandleInitDialog(WPARAM, LPARAM);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
