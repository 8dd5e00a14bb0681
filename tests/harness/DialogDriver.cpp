// Dialog driving: a CBT hook notices each dialog as it is activated and queues the
// matching action; a thread timer runs it from the dialog's own modal loop.
#include "tests/harness/DialogDriver.h"

#include "tests/harness/MessageBoxCapture.h"

namespace {
DialogDriver* g_driver = nullptr;
}

DialogDriver::DialogDriver() {
    m_previous = g_driver;
    g_driver = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &DialogDriver::Hook, nullptr, ::GetCurrentThreadId());
}

DialogDriver::~DialogDriver() {
    ::UnhookWindowsHookEx(m_hook);
    g_driver = m_previous;
}

void DialogDriver::On(const std::string& caption, std::function<void(HWND)> action, bool once) {
    m_rules.push_back(Rule{caption, std::move(action), once, false});
}

LRESULT CALLBACK DialogDriver::Hook(int code, WPARAM wParam, LPARAM lParam) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && g_driver != nullptr && !IsMessageBox(dialog) &&
        ::GetPropA(dialog, "tamberlo.driven") == nullptr) {
        char name[16];
        ::GetClassNameA(dialog, name, sizeof name);
        if (::lstrcmpA(name, "#32770") == 0) {
            ::SetPropA(dialog, "tamberlo.driven", reinterpret_cast<HANDLE>(1));
            char caption[256];
            ::GetWindowTextA(dialog, caption, sizeof caption);
            g_driver->m_shown.emplace_back(caption);
            for (size_t i = 0; i < g_driver->m_rules.size(); ++i) {
                Rule& rule = g_driver->m_rules[i];
                if (rule.done || rule.caption != caption)
                    continue;
                rule.done = rule.once;
                g_driver->m_pending.emplace_back(dialog, i);
                ::SetTimer(nullptr, 0, 0, &DialogDriver::RunPending);
                break;
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogDriver::RunPending(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (g_driver == nullptr || g_driver->m_pending.empty())
        return;
    const auto [dialog, index] = g_driver->m_pending.front();
    g_driver->m_pending.erase(g_driver->m_pending.begin());
    if (::IsWindow(dialog))
        g_driver->m_rules[index].action(dialog);
}

void ClickButton(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

HWND OpenDialogFileNameField(HWND open) {
    HWND field = ::GetDlgItem(open, 0x47C);                      // cmb13
    return field != nullptr ? field : ::GetDlgItem(open, 0x480); // edt1
}

void PressKey(HWND dialog, HWND control, UINT virtualKey) {
    // Focus moves as with Tab, so a push button becomes the default button meanwhile.
    ::SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    ::PostMessageA(control, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageA(control, WM_KEYUP, virtualKey, 0xC0000001);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!::IsDialogMessageA(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void TypeText(HWND dialog, int id, const char* text) {
    HWND edit = ::GetDlgItem(dialog, id);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}
