// CString operations that need more than one line.
#include "framework/String.h"

#include "framework/WinApp.h"

#include <cstdarg>
#include <cstdio>

void CString::Format(LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    m_text.assign(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(&m_text[0], static_cast<size_t>(length) + 1, format, args);
    va_end(args);
}

BOOL CString::LoadString(UINT id) {
    char buffer[1024];
    const int length = ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof buffer);
    m_text.assign(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    return length > 0;
}

int CString::Replace(LPCSTR from, LPCSTR to) {
    const std::string pattern(from ? from : "");
    const std::string replacement(to ? to : "");
    if (pattern.empty())
        return 0;
    int count = 0;
    for (size_t at = m_text.find(pattern); at != std::string::npos;
         at = m_text.find(pattern, at + replacement.size())) {
        m_text.replace(at, pattern.size(), replacement);
        ++count;
    }
    return count;
}

void AfxFormatString1(CString& result, UINT id, LPCSTR arg) {
    result.LoadString(id);
    result.Replace("%1", arg);
}

void AfxFormatString2(CString& result, UINT id, LPCSTR arg1, LPCSTR arg2) {
    result.LoadString(id);
    result.Replace("%1", arg1);
    result.Replace("%2", arg2);
}
