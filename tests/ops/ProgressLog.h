// Watches what the program tells the progress bar, without subclassing it: a
// WH_CALLWNDPROC hook on this thread sees every message sent to the control, so each
// StepIt is recorded together with the caption shown at that moment.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class ProgressLog {
public:
    ProgressLog() {
        s_active = this;
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &ProgressLog::Hook, nullptr,
                                     ::GetCurrentThreadId());
    }
    ~ProgressLog() {
        ::UnhookWindowsHookEx(m_hook);
        s_active = nullptr;
    }
    ProgressLog(const ProgressLog&) = delete;
    ProgressLog& operator=(const ProgressLog&) = delete;

    void Watch(HWND progress) { m_progress = progress; }
    void Clear() {
        m_texts.clear();
        m_textsAtSteps.clear();
    }

    // Every caption set, in order.
    const std::vector<std::string>& Texts() const { return m_texts; }
    // The caption at each StepIt.
    const std::vector<std::string>& TextsAtSteps() const { return m_textsAtSteps; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_active != nullptr && call->hwnd == s_active->m_progress) {
            if (call->message == WM_SETTEXT)
                s_active->m_texts.emplace_back(reinterpret_cast<const char*>(call->lParam));
            if (call->message == PBM_STEPIT)
                s_active->m_textsAtSteps.push_back(
                    s_active->m_texts.empty() ? std::string() : s_active->m_texts.back());
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline ProgressLog* s_active = nullptr;
    HHOOK m_hook = nullptr;
    HWND m_progress = nullptr;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_textsAtSteps;
};
