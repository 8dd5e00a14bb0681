// Drawing: device contexts (CDC, CPaintDC) and the few GDI objects the program
// draws with (CBitmap, CRgn). Each object owns the handle it created and deletes it.
#pragma once
#include "framework/Object.h"

#include <windows.h>

class CDC;
class CWnd;

class CGdiObject : public CObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() override { DeleteObject(); }

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL DeleteObject();

protected:
    void Attach(HGDIOBJ object);
    HGDIOBJ Detach();
};

class CBitmap : public CGdiObject {
public:
    // A bitmap of `width` x `height` pixels in the format of the device `dc` draws on.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }

    // The object that created `bitmap`, or a framework-owned stand-in that never
    // deletes the handle (for bitmaps made elsewhere, such as a new DC's default one).
    static CBitmap* FromHandle(HBITMAP bitmap);
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgnIndirect(LPCRECT rect);
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CDC : public CObject {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    ~CDC() override;

    HDC m_hDC = nullptr;       // where output goes
    HDC m_hAttribDC = nullptr; // where attributes are read from (the same DC unless printing)
    BOOL m_bPrinting = FALSE;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    BOOL Attach(HDC dc);
    HDC Detach();
    // A memory DC compatible with `dc` (with the screen when null); this object owns it.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    // Saves the DC's whole state (objects, colours, modes, clip region, origin) on its own
    // stack; RestoreDC with what SaveDC returned brings that state back.
    int SaveDC();
    BOOL RestoreDC(int saved);

    // Selects `bitmap`; returns the bitmap selected before (see CBitmap::FromHandle).
    CBitmap* SelectObject(CBitmap* bitmap);
    HFONT SelectObject(HFONT font);
    int SelectClipRgn(CRgn* region);
    // Narrows the clip region to `rect`, in logical coordinates.
    int IntersectClipRect(LPCRECT rect);
    int GetClipBox(LPRECT rect) const;
    POINT SetWindowOrg(int x, int y);

    // Fills `rect` with one solid colour, whatever the background mode.
    void FillSolidRect(LPCRECT rect, COLORREF color);
    int SetBkMode(int mode);
    COLORREF SetTextColor(COLORREF color);
    int DrawText(LPCSTR text, int length, LPRECT rect, UINT format);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                DWORD rop);
};

// A window's client-area DC: GetDC on construction, ReleaseDC on destruction.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// The DC of a WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};
