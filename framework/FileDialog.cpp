// The common Open/Save As dialog.
#include "framework/FileDialog.h"

#include "framework/WinApp.h"

#include <commdlg.h>

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, CWnd* parent)
    : m_ofn{}, m_bOpenFileDialog(openFileDialog),
      m_pParentWnd(parent), m_filter{}, m_fileName{}, m_defaultExtension{} {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = MAX_PATH;
    if (fileName != nullptr)
        lstrcpynA(m_fileName, fileName, MAX_PATH);
    if (defaultExtension != nullptr) {
        lstrcpynA(m_defaultExtension, defaultExtension, sizeof m_defaultExtension);
        m_ofn.lpstrDefExt = m_defaultExtension;
    }
    if (filter != nullptr) {
        // "Name|pattern|Name|pattern||" becomes the platform's double-zero-terminated list.
        lstrcpynA(m_filter, filter, sizeof m_filter - 1);
        for (char* p = m_filter; *p; ++p)
            if (*p == '|')
                *p = '\0';
        m_ofn.lpstrFilter = m_filter;
        m_ofn.nFilterIndex = 1;
    }
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = AfxGetSafeOwner(m_pParentWnd);
    m_ofn.hInstance = AfxGetInstanceHandle();
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
