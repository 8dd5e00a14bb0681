// Message-box capture through a computer-based-training hook: the hook sees each
// window being activated on this thread, reads a message box's parts and closes it.
#include "tests/harness/MessageBoxCapture.h"

namespace {
MessageBoxCapture* g_active = nullptr; // the innermost capture of this test

// The static control that shows an icon, if the window has one.
HWND FindIconControl(HWND box) {
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[16];
        ::GetClassNameA(child, name, sizeof name);
        if (::lstrcmpiA(name, "Static") == 0 &&
            (::GetWindowLongA(child, GWL_STYLE) & 0x1F) == SS_ICON)
            return child;
    }
    return nullptr;
}

UINT IconFlags(HWND box) {
    HWND control = FindIconControl(box);
    if (control == nullptr)
        return 0;
    HICON shown = reinterpret_cast<HICON>(::SendMessageA(control, STM_GETICON, 0, 0));
    if (shown == nullptr)
        return 0;
    const struct {
        LPCSTR id;
        UINT flag;
    } icons[] = {{IDI_HAND, MB_ICONHAND},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_ASTERISK, MB_ICONASTERISK}};
    for (const auto& icon : icons)
        if (::LoadIconA(nullptr, icon.id) == shown)
            return icon.flag;
    return MB_ICONMASK; // an icon, but not one of the system's
}

std::string WindowText(HWND hWnd) {
    char text[1024];
    const int length = ::GetWindowTextA(hWnd, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

} // namespace

bool IsMessageBox(HWND hWnd) {
    char name[16];
    if (::GetClassNameA(hWnd, name, sizeof name) == 0 || ::lstrcmpA(name, "#32770") != 0)
        return false;
    // The system's message box shows its text in a static control with id 0xFFFF;
    // our templates give unnamed controls the id -1, which is a different id.
    HWND text = ::GetDlgItem(hWnd, 0xFFFF);
    return text != nullptr && ::GetWindowLongPtrA(text, GWLP_ID) == 0xFFFF;
}

MessageBoxCapture::MessageBoxCapture() {
    m_previous = g_active;
    g_active = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &MessageBoxCapture::Hook, nullptr, ::GetCurrentThreadId());
}

MessageBoxCapture::~MessageBoxCapture() {
    ::UnhookWindowsHookEx(m_hook);
    g_active = m_previous;
}

std::vector<std::string> MessageBoxCapture::Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : m_boxes)
        texts.push_back(box.text);
    return texts;
}

LRESULT CALLBACK MessageBoxCapture::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_active != nullptr) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (IsMessageBox(box) && ::GetPropA(box, "tamberlo.captured") == nullptr) {
            ::SetPropA(box, "tamberlo.captured", reinterpret_cast<HANDLE>(1));
            CapturedBox captured;
            captured.text = WindowText(::GetDlgItem(box, 0xFFFF));
            captured.caption = WindowText(box);
            captured.icon = IconFlags(box);
            captured.owner = ::GetWindow(box, GW_OWNER);
            MessageBoxCapture* capture = g_active;
            capture->m_boxes.push_back(captured);
            if (capture->m_onShow)
                capture->m_onShow(captured);
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
