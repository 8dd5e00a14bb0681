// Parent window, bound progress bar and screen read-back for the progress tests.
#include "ProgressTestWindow.h"

#include <commctrl.h>

namespace {

const char kParentClass[] = "TamberloProgressTestParent";

LRESULT CALLBACK ParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETFONT)
        return ::GetWindowLongPtrA(hWnd, GWLP_USERDATA);
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

void RegisterParentClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &ParentProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kParentClass;
        return ::RegisterClassA(&windowClass) != 0;
    }();
    static_cast<void>(registered);
}

} // namespace

ProgressWindow::ProgressWindow(CTextProgressCtrl& control, const ProgressWindowOptions& options) {
    Create(&control, options);
}

ProgressWindow::ProgressWindow(const ProgressWindowOptions& options) {
    Create(nullptr, options);
}

void ProgressWindow::Create(CTextProgressCtrl* control, const ProgressWindowOptions& options) {
    RegisterParentClass();
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    m_parent = ::CreateWindowExA(WS_EX_TOPMOST, kParentClass, "progress test", WS_POPUP,
                                 options.origin.x, options.origin.y, options.clientWidth + 40,
                                 options.clientHeight + 40, nullptr, nullptr, instance, nullptr);
    ::SetWindowLongPtrA(m_parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(options.parentFont));

    // Size the window so that its client area, inside the border, has the size asked for.
    RECT frame{0, 0, options.clientWidth, options.clientHeight};
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | options.extraStyle;
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    m_control = ::CreateWindowExA(0, options.windowClass, options.text, style, 10, 10,
                                  frame.right - frame.left, frame.bottom - frame.top, m_parent,
                                  reinterpret_cast<HMENU>(1014), instance, nullptr);
    if (control != nullptr)
        control->SubclassWindow(m_control);
    // Shown without activation: Wine then leaves the window to no window manager and
    // neither showing nor destroying it waits for one.
    ::SetWindowPos(m_parent, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::UpdateWindow(m_parent);
    PumpMessages();
}

ProgressWindow::~ProgressWindow() {
    ::DestroyWindow(m_parent);
}

Pixels CaptureClient(HWND hWnd) {
    ::UpdateWindow(hWnd);
    RECT client;
    ::GetClientRect(hWnd, &client);
    Pixels pixels;
    pixels.width = client.right;
    pixels.height = client.bottom;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC screen = ::GetDC(hWnd);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HGDIOBJ previous = ::SelectObject(memory, section);
    ::BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* row = static_cast<const DWORD*>(bits);
    for (int i = 0; i < pixels.width * pixels.height; ++i) {
        const DWORD bgr = row[i];
        pixels.colors.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::ReleaseDC(hWnd, screen);
    ::DeleteObject(section);
    return pixels;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
