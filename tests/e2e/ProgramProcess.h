// The real tamberlo.exe started as a process of its own, driven from outside only
// through what a user has: its windows, buttons, fields, boxes and the Open dialog.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class ProgramProcess {
public:
    // Starts the shipped tamberlo.exe (with the simulated inpout32.dll beside it) with
    // `arguments`, in the environment of this test; or the program file at `path`.
    explicit ProgramProcess(const std::string& arguments = "");
    ProgramProcess(const std::string& path, const std::string& arguments);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // A visible top-level window of the program with this caption, or null after the timeout.
    HWND WaitForWindow(const char* caption, DWORD timeoutMs = 30000) const;
    // The program's message box shown now (a system box captioned "tamberlo"), or null.
    HWND WaitForMessageBox(DWORD timeoutMs = 30000) const;
    // True when the process ended within the timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    // Every top-level window of the program that is visible now.
    std::vector<HWND> VisibleWindows() const;
    DWORD Id() const { return m_info.dwProcessId; }

private:
    PROCESS_INFORMATION m_info{};
};

// The path of the shipped program in the build (the Windows form of the path).
std::string ProgramPath();
// WM_GETTEXT across processes, waiting at most for the window's thread to answer.
std::string WindowText(HWND hWnd, DWORD timeoutMs = 60000);
// The text of a message box.
std::string MessageBoxText(HWND box);
// Presses a button as a user would: the button is clicked and its owner told.
void PressButton(HWND dialog, int id);
// Types `text` into an edit field as a user would, replacing what it held.
void TypeInto(HWND dialog, int id, const char* text);
