// Device contexts and GDI objects: thin owners of Win32 handles.
#include "framework/Gdi.h"

#include "framework/Wnd.h"

#include <memory>
#include <unordered_map>

namespace {

// A stand-in only borrows its handle: it lets go of it before it is deleted.
struct StandInRelease {
    void operator()(CGdiObject* object) const {
        object->m_hObject = nullptr;
        delete object;
    }
};

// The framework runs on one user-interface thread; this is its GDI state.
struct GdiState {
    std::unordered_map<HGDIOBJ, CGdiObject*> permanent;
    std::unordered_map<HGDIOBJ, std::unique_ptr<CBitmap, StandInRelease>> temporary;
};

GdiState& State() {
    static thread_local GdiState state;
    return state;
}

// Stand-ins whose handle no longer names a bitmap are of no use to anyone.
void DropStaleStandIns() {
    auto& temporary = State().temporary;
    for (auto it = temporary.begin(); it != temporary.end();) {
        if (::GetObjectType(it->first) != OBJ_BITMAP)
            it = temporary.erase(it);
        else
            ++it;
    }
}

} // namespace

void CGdiObject::Attach(HGDIOBJ object) {
    DeleteObject();
    m_hObject = object;
    if (object != nullptr) {
        State().permanent[object] = this;
        State().temporary.erase(object);
    }
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    if (object != nullptr)
        State().permanent.erase(object);
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr)
        return FALSE;
    return ::DeleteObject(Detach());
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
    return m_hObject != nullptr;
}

CBitmap* CBitmap::FromHandle(HBITMAP bitmap) {
    if (bitmap == nullptr)
        return nullptr;
    auto found = State().permanent.find(bitmap);
    if (found != State().permanent.end())
        if (auto* owned = dynamic_cast<CBitmap*>(found->second))
            return owned;
    auto& temporary = State().temporary;
    auto standIn = temporary.find(bitmap);
    if (standIn != temporary.end())
        return standIn->second.get();
    DropStaleStandIns();
    std::unique_ptr<CBitmap, StandInRelease> made(new CBitmap);
    made->m_hObject = bitmap;
    return temporary.emplace(bitmap, std::move(made)).first->second.get();
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) {
    Attach(::CreateRectRgnIndirect(rect));
    return m_hObject != nullptr;
}

CDC::~CDC() {
    if (m_hDC != nullptr)
        ::DeleteDC(Detach());
}

BOOL CDC::Attach(HDC dc) {
    if (dc == nullptr)
        return FALSE;
    m_hDC = dc;
    m_hAttribDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

BOOL CDC::DeleteDC() {
    if (m_hDC == nullptr)
        return FALSE;
    return ::DeleteDC(Detach());
}

int CDC::SaveDC() {
    if (m_hAttribDC != m_hDC && m_hAttribDC != nullptr)
        ::SaveDC(m_hAttribDC);
    return ::SaveDC(m_hDC);
}

BOOL CDC::RestoreDC(int saved) {
    if (m_hAttribDC != m_hDC && m_hAttribDC != nullptr)
        ::RestoreDC(m_hAttribDC, saved);
    return ::RestoreDC(m_hDC, saved);
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    HGDIOBJ previous = ::SelectObject(m_hDC, bitmap ? bitmap->m_hObject : nullptr);
    return CBitmap::FromHandle(static_cast<HBITMAP>(previous));
}

HFONT CDC::SelectObject(HFONT font) {
    return static_cast<HFONT>(::SelectObject(m_hDC, font));
}

int CDC::SelectClipRgn(CRgn* region) {
    return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(*region) : nullptr);
}

int CDC::IntersectClipRect(LPCRECT rect) {
    return ::IntersectClipRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom);
}

int CDC::GetClipBox(LPRECT rect) const {
    return ::GetClipBox(m_hDC, rect);
}

POINT CDC::SetWindowOrg(int x, int y) {
    POINT previous{0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
    // An opaque ExtTextOut with no text fills with the background colour and needs no brush.
    const COLORREF previous = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

int CDC::SetBkMode(int mode) {
    if (m_hAttribDC != m_hDC && m_hAttribDC != nullptr)
        ::SetBkMode(m_hAttribDC, mode);
    return ::SetBkMode(m_hDC, mode);
}

COLORREF CDC::SetTextColor(COLORREF color) {
    if (m_hAttribDC != m_hDC && m_hAttribDC != nullptr)
        ::SetTextColor(m_hAttribDC, color);
    return ::SetTextColor(m_hDC, color);
}

int CDC::DrawText(LPCSTR text, int length, LPRECT rect, UINT format) {
    return ::DrawTextA(m_hDC, text, length, rect, format);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource,
                 DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSource, ySource,
                    rop);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    ::ReleaseDC(m_hWnd, Detach());
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}
