// Acts on modal dialogs from a test: when a dialog with a given caption appears on
// this thread, the action runs from inside that dialog's own message loop (through a
// thread timer), so it can click, type, inspect and end the dialog as a user would.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogDriver {
public:
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Runs `action` each time (or only the first time) a dialog captioned `caption` is shown.
    void On(const std::string& caption, std::function<void(HWND)> action, bool once = true);
    // Captions of the dialogs (not message boxes) shown so far, in order.
    const std::vector<std::string>& Shown() const { return m_shown; }

private:
    struct Rule {
        std::string caption;
        std::function<void(HWND)> action;
        bool once;
        bool done;
    };
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK RunPending(HWND, UINT, UINT_PTR, DWORD);
    HHOOK m_hook = nullptr;
    DialogDriver* m_previous = nullptr;
    std::vector<Rule> m_rules;
    std::vector<std::pair<HWND, size_t>> m_pending;
    std::vector<std::string> m_shown;
};

// Presses a dialog's button as a user would (BM_CLICK, so the dialog gets BN_CLICKED).
void ClickButton(HWND dialog, int id);
// The file-name field of the system's Open dialog: a combo box in the explorer-style
// dialog, an edit field in the older one.
HWND OpenDialogFileNameField(HWND open);
// Presses a key on `control` as a user would: the key goes through the dialog's keyboard
// handling (Enter, Esc, Tab) before it reaches the control.
void PressKey(HWND dialog, HWND control, UINT virtualKey);
// Replaces an edit field's text as typing would (the field sends EN_CHANGE).
void TypeText(HWND dialog, int id, const char* text);
