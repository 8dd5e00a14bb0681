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
