// Reporting of framework exceptions.
#include "framework/Exception.h"

#include "framework/FrameworkRes.h"
#include "framework/String.h"
#include "framework/WinApp.h"

BOOL CException::GetErrorMessage(LPSTR buffer, UINT size, PUINT helpContext) const {
    if (helpContext)
        *helpContext = 0;
    if (size > 0)
        buffer[0] = '\0';
    return FALSE;
}

int CException::ReportError(UINT type, UINT messageId) const {
    char text[512];
    if (GetErrorMessage(text, sizeof text))
        return AfxMessageBox(text, type);
    CString fallback;
    fallback.LoadString(messageId ? messageId : AFX_IDP_NO_ERROR_AVAILABLE_ID);
    return AfxMessageBox(fallback, type);
}
