// Window attachment, the framework's window procedure and the CWnd wrappers.
#include "framework/Wnd.h"

#include "framework/Button.h"
#include "framework/DataExchange.h"
#include "framework/Exception.h"
#include "framework/WinApp.h"

#include <memory>
#include <new>
#include <unordered_map>

namespace {

// The framework runs on one user-interface thread; this is its state.
struct ThreadState {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    MSG current{}; // the message being handled, for Default()
    HWND lockoutNotify = nullptr;
};

ThreadState& State() {
    static thread_local ThreadState state;
    return state;
}

bool IsButtonClass(HWND hWnd) {
    char name[16];
    return ::GetClassNameA(hWnd, name, sizeof name) > 0 && ::lstrcmpiA(name, "Button") == 0;
}

} // namespace

CWnd::~CWnd() {
    // Stand-ins made by FromHandle hold a handle they do not own.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = m_hWnd;
        UnsubclassWindow();
        if (::IsWindow(hWnd) && ::GetParent(hWnd) == nullptr)
            ::DestroyWindow(hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = State().permanent.find(hWnd);
    return it == State().permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    // A stand-in of the window's own kind, so a caller may use it as that kind. A handle
    // can come back for a new window of another kind once the old one is gone.
    auto& slot = State().temporary[hWnd];
    const bool button = IsButtonClass(hWnd);
    if (!slot || (dynamic_cast<CButton*>(slot.get()) != nullptr) != button) {
        slot.reset(button ? new CButton : new CWnd);
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    State().permanent[hWnd] = this;
    State().temporary.erase(hWnd);
}

void CWnd::Detach() {
    if (m_hWnd != nullptr)
        State().permanent.erase(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    Attach(hWnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return nullptr;
    if (m_pfnSuper != nullptr && ::IsWindow(hWnd))
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    return hWnd;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *result = 0;
            return TRUE;
        }
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (entry == nullptr)
        return FALSE;
    *result = entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // A notification from a control while this window exchanges data with its controls
    // is the echo of the exchange itself; it must not reach the handlers.
    if (lParam != 0 && State().lockoutNotify == m_hWnd)
        return TRUE;
    // A menu item (code 0) and an accelerator (code 1) are both plain commands; only
    // a control's notification code tells one notification from another.
    const UINT code = lParam != 0 ? HIWORD(wParam) : 0;
    return OnCmdMsg(LOWORD(wParam), code, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& msg = State().current;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT AfxCallWndProc(CWnd* wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG saved = State().current;
    State().current = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        e->ReportError(MB_ICONSTOP);
        e->Delete();
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Out of memory.", MB_ICONSTOP);
    }
    State().current = saved;
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (wnd == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);

    // The window is going away: let it finish, then detach the object from it.
    const WNDPROC super = wnd->m_pfnSuper;
    LRESULT result = AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
    if (CWnd::FromHandlePermanent(hWnd) == wnd) {
        if (super != nullptr)
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
        if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == wnd)
            app->m_pMainWnd = nullptr;
        wnd->PostNcDestroy();
    }
    State().temporary.erase(hWnd);
    return result;
}

HWND AfxGetLockoutNotifyWindow() {
    return State().lockoutNotify;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(LPCSTR text) {
    ::SetWindowTextA(m_hWnd, text);
}

int CWnd::GetWindowText(LPSTR buffer, int size) const {
    return ::GetWindowTextA(m_hWnd, buffer, size);
}

void CWnd::GetWindowText(CString& text) const {
    const int length = GetWindowTextLength();
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(length) + 1]);
    const int copied = ::GetWindowTextA(m_hWnd, buffer.get(), length + 1);
    text = CString(buffer.get(), copied);
}

int CWnd::GetWindowTextLength() const {
    return ::GetWindowTextLengthA(m_hWnd);
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const {
    return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE));
}

void CWnd::GetClientRect(LPRECT rect) const {
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(LPRECT rect) const {
    ::GetWindowRect(m_hWnd, rect);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

void CWnd::Invalidate(BOOL erase) {
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

BOOL CWnd::RedrawWindow(LPCRECT rect, HRGN region, UINT flags) {
    return ::RedrawWindow(m_hWnd, rect, region, flags);
}

void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::ShowWindow(int command) {
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HMENU CWnd::GetSystemMenu(BOOL revert) const {
    return ::GetSystemMenu(m_hWnd, revert);
}

void CWnd::CenterWindow(HWND alternateOwner) {
    HWND owner = alternateOwner ? alternateOwner : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area;
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        HMONITOR monitor = ::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfoA(monitor, &info);
        area = info.rcWork;
    }
    RECT self;
    ::GetWindowRect(m_hWnd, &self);
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    const HWND previousLockout = State().lockoutNotify;
    State().lockoutNotify = m_hWnd;
    DoDataExchange(&dx);
    State().lockoutNotify = previousLockout;
    return !dx.m_bFailed;
}

void CWnd::DoDataExchange(CDataExchange*) {}
