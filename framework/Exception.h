// Framework exceptions. They are thrown as pointers, caught only by the window
// procedure's boundary (AfxCallWndProc), reported there and deleted.
#pragma once
#include "framework/Object.h"

#include <windows.h>

class CException : public CObject {
public:
    // Writes the user message into `buffer`; FALSE when there is none.
    virtual BOOL GetErrorMessage(LPSTR buffer, UINT size, PUINT helpContext = nullptr) const;
    // Shows the error message in a message box owned by the main window.
    virtual int ReportError(UINT type = MB_OK, UINT messageId = 0) const;
    void Delete() { delete this; }
};
