// Dialog data exchange: the state of one UpdateData run. The DDX_/DDV_ functions
// do nothing once a step has failed, so the exchange stops at the first failure.
#pragma once
#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;          // TRUE: controls to members, with validation
    CWnd* m_pDlgWnd;                  // the dialog whose controls are exchanged
    HWND m_hWndLastControl = nullptr; // the control of the latest DDX_ step
    BOOL m_bEditLastControl = FALSE;  // whether that control is an edit field
    BOOL m_bFailed = FALSE;           // a step failed; the rest of the exchange is skipped

    // The control with `id`, remembered as the one later validation refers to.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Marks the exchange failed and puts the focus on the last control, selecting an
    // edit field's whole text.
    void Fail();
};

// Binds `control` to the dialog's control `id` the first time it runs (by subclassing).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Exchanges an edit field's text with an unsigned 32-bit value ("%u").
void DDX_Text(CDataExchange* dx, int id, UINT& value);
// Saving only: a value outside min..max is reported, and the exchange fails.
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
