// Modal dialogs. The dialog procedure attaches the object at WM_INITDIALOG and
// replaces the window procedure with AfxWndProc; from then on every message goes
// through the message map first and the dialog manager handles the rest. Commands
// the dialog's map does not handle go on to its owner and then to the application.
#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {

// Command ids lie from 0x8000 up to the system commands at 0xF000; lower ids are controls'.
bool IsCommandId(UINT id) {
    return id >= 0x8000 && id < 0xF000;
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    HWND owner = AfxGetSafeOwner(m_pParentWnd, this);
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog->SubclassWindow(hWnd))
        return TRUE;
    // A template placed at 0, 0 without DS_CENTER is centred over its owner.
    if ((dialog->GetStyle() & (WS_CHILD | DS_CENTER)) == 0)
        dialog->CenterWindow();
    return AfxCallWndProc(dialog, hWnd, WM_INITDIALOG, wParam, lParam);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCmdMsg(id, code, wParam, lParam))
        return TRUE;
    if (code != 0 || !IsCommandId(id))
        return FALSE;
    // The owner's map only: its own routing would ask the application a second time.
    if (CWnd* owner = CWnd::FromHandlePermanent(::GetWindow(m_hWnd, GW_OWNER)))
        if (owner->CCmdTarget::OnCmdMsg(id, code, wParam, lParam))
            return TRUE;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, code, wParam, lParam);
}
