// Captures the message boxes this thread shows: their text, caption, icon and owner
// are read from the real box when it appears, and the box is closed with OK.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct CapturedBox {
    std::string text;
    std::string caption;
    UINT icon = 0; // MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK or 0
    HWND owner = nullptr;
};

class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    // Runs `whileShown` while each box is up, before it is closed.
    void OnShow(std::function<void(const CapturedBox&)> whileShown) {
        m_onShow = std::move(whileShown);
    }
    const std::vector<CapturedBox>& Boxes() const { return m_boxes; }
    std::vector<std::string> Texts() const;
    void Clear() { m_boxes.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook = nullptr;
    MessageBoxCapture* m_previous = nullptr;
    std::vector<CapturedBox> m_boxes;
    std::function<void(const CapturedBox&)> m_onShow;
};

// Whether `hWnd` is a system message box (rather than a dialog from a template).
bool IsMessageBox(HWND hWnd);
