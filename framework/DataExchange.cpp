// The parts of the data exchange every DDX_/DDV_ function shares.
#include "framework/DataExchange.h"

#include "framework/FrameworkRes.h"
#include "framework/String.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

#include <cstdio>
#include <cstring>

HWND CDataExchange::PrepareCtrl(int id) {
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail() {
    m_bFailed = TRUE;
    if (m_hWndLastControl == nullptr)
        return;
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl)
        ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->m_bFailed || control.m_hWnd != nullptr)
        return;
    control.SubclassWindow(dx->PrepareCtrl(id));
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads an unsigned decimal number the way the dialog fields accept it: leading and
// trailing blanks or tabs, an optional '+', no '-', a number too large for 32 bits
// taken as the largest value; zero only when written with the digit 0.
bool ParseUnsigned(const char* text, UINT& value) {
    while (IsBlank(*text))
        ++text;
    if (*text == '-')
        return false;
    const char* start = text;
    if (*text == '+')
        ++text;
    unsigned long long number = 0;
    bool anyDigit = false;
    while (*text >= '0' && *text <= '9') {
        anyDigit = true;
        number = number * 10 + static_cast<unsigned>(*text - '0');
        if (number > 0xFFFFFFFFull)
            number = 0xFFFFFFFFull + 1; // saturated: stays above the 32-bit range
        ++text;
    }
    if (!anyDigit)
        return false;
    while (IsBlank(*text))
        ++text;
    if (*text != '\0')
        return false;
    value = number > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<UINT>(number);
    return value != 0 || *start == '0';
}

} // namespace

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    if (dx->m_bFailed)
        return;
    HWND edit = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        char text[32]; // at most 31 characters are read
        ::GetWindowTextA(edit, text, sizeof text);
        UINT parsed = 0;
        if (!ParseUnsigned(text, parsed)) {
            CString message;
            message.LoadString(AFX_IDP_PARSE_UINT);
            AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
            dx->Fail();
            return;
        }
        value = parsed;
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    char shown[32];
    // Rewrite only a field that shows something else, so an unchanged field stays quiet.
    if (::GetWindowTextA(edit, shown, sizeof shown) != static_cast<int>(std::strlen(text)) ||
        std::strcmp(shown, text) != 0)
        ::SetWindowTextA(edit, text);
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue) {
    if (dx->m_bFailed || !dx->m_bSaveAndValidate)
        return;
    if (value >= minValue && value <= maxValue)
        return;
    char low[16];
    char high[16];
    std::snprintf(low, sizeof low, "%u", minValue);
    std::snprintf(high, sizeof high, "%u", maxValue);
    CString message;
    AfxFormatString2(message, AFX_IDP_PARSE_INT_RANGE, low, high);
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    dx->Fail();
}
