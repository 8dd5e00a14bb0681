// CString: the framework's 8-bit ANSI string, with the few operations the program uses.
#pragma once
#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : m_text(text ? text : "") {}
    CString(LPCSTR text, int length) : m_text(text, static_cast<size_t>(length)) {}

    operator LPCSTR() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char operator[](int index) const { return m_text[static_cast<size_t>(index)]; }

    CString& operator=(LPCSTR text) {
        m_text = text ? text : "";
        return *this;
    }
    CString& operator+=(LPCSTR text) {
        m_text += text ? text : "";
        return *this;
    }
    friend CString operator+(const CString& a, LPCSTR b) {
        CString r(a);
        r += b;
        return r;
    }
    friend bool operator==(const CString& a, LPCSTR b) { return a.m_text == (b ? b : ""); }
    friend bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }

    // Exact, case-sensitive, byte-for-byte comparison: <0, 0 or >0.
    int Compare(LPCSTR text) const { return m_text.compare(text ? text : ""); }

    void Format(LPCSTR format, ...);
    // Loads a string resource of the program; FALSE when there is none.
    BOOL LoadString(UINT id);
    // Replaces every occurrence of `from`; returns how many were replaced.
    int Replace(LPCSTR from, LPCSTR to);

private:
    std::string m_text;
};

// Puts `arg` in place of %1 in the resource string `id`.
void AfxFormatString1(CString& result, UINT id, LPCSTR arg);
// Puts `arg1` in place of %1 and `arg2` in place of %2 in the resource string `id`.
void AfxFormatString2(CString& result, UINT id, LPCSTR arg1, LPCSTR arg2);
