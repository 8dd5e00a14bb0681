// CFileDialog: the platform's Open (or Save As) dialog, resizable, with a filter
// string whose entries are separated by '|'.
#pragma once
#include "framework/Dialog.h"

class CFileDialog {
public:
    CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                CWnd* parent = nullptr);

    // IDOK with a file chosen, IDCANCEL when the user cancelled or the dialog failed.
    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_fileName); }

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    char m_filter[512];
    char m_fileName[MAX_PATH];
    char m_defaultExtension[16];
};
