// Reads tamberlo's resources back through Win32: each dialog is created from
// its template and every child window (in tab order) is compared with a table
// of id, class, text, style and position; the dialog frames, the about-menu
// string, the icon and the version block are checked as well.
#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kStaticId = -1;
constexpr int kLogoWidth = 55;
constexpr int kLogoHeight = 40;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPushButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefaultButton = kChild | BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kPicture = kChild | SS_BITMAP;
constexpr DWORD kDelayEdit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kText = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kFuseEdit = kChild | ES_LEFT | ES_UPPERCASE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kList = kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

// Text of a picture control: instead of a caption it shows the IDB_LOGO bitmap.
constexpr const char* kLogo = nullptr;

struct ControlSpec {
    int id;
    const char* className;
    const char* text;
    int x, y, width, height; // dialog units
    DWORD style;
    DWORD exStyle;
};

struct DialogSpec {
    const char* name;
    int resourceId;
    const char* caption;
    int width, height; // dialog units of the client area
    DWORD styleSet;
    DWORD styleClear;
    DWORD exStyleSet;
    std::vector<ControlSpec> controls;
};

const DialogSpec kMainDialog{
    "Main",
    IDD_MAIN_DIALOG,
    "tamberlo",
    196,
    163,
    DS_MODALFRAME | DS_3DLOOK | DS_CENTER | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
        WS_MINIMIZEBOX,
    WS_MAXIMIZEBOX | WS_THICKFRAME,
    WS_EX_APPWINDOW,
    {
        {kStaticId, "Button", "Flash Memory", 6, 6, 64, 124, kGroupBox, 0},
        {IDC_ERASE, "Button", "Erase", 15, 20, 45, 14, kPushButton, 0},
        {IDC_BLANK, "Button", "Blank", 15, 40, 45, 14, kPushButton, 0},
        {IDC_PROGRAM, "Button", "Program", 15, 60, 45, 14, kPushButton, 0},
        {IDC_VERIFY, "Button", "Verify", 15, 80, 45, 14, kPushButton, 0},
        {IDC_AUTO, "Button", "Auto", 15, 107, 45, 14, kPushButton, 0},
        {kStaticId, "Button", "Security", 78, 6, 56, 64, kGroupBox, 0},
        {IDC_LOCK1, "Button", "Lock 1 Bit", 84, 20, 44, 10, kRadio | WS_GROUP, 0},
        {IDC_LOCKBIT, "Button", "Lock Bit", 84, 51, 45, 14, kPushButton, 0},
        {IDC_LOCK2, "Button", "Lock 2 Bit", 84, 37, 44, 9, kRadio, 0},
        {kStaticId, "Button", "Static", 142, 6, 48, 64, kGroupBox, 0},
        {IDC_LPT1, "Button", "Lpt1", 150, 22, 28, 8, kRadio | WS_GROUP, 0},
        {IDC_LPT2, "Button", "Lpt2", 150, 37, 28, 8, kRadio, 0},
        {IDC_LPT3, "Button", "Lpt3", 150, 52, 28, 8, kRadio, 0},
        {kStaticId, "Static", kLogo, 86, 77, 37, 23, kPicture, 0},
        {IDC_OPENHEX, "Button", "Open Hex File", 80, 107, 50, 14, kPushButton, 0},
        {kStaticId, "Button", "Delay", 142, 72, 48, 63, kGroupBox, 0},
        {kStaticId, "Static", "Bit", 152, 82, 15, 10, kLabel, 0},
        {kStaticId, "Static", "Byte", 152, 107, 15, 10, kLabel, 0},
        {IDC_DELAYBIT, "Edit", "", 152, 92, 25, 12, kDelayEdit, 0},
        {IDC_DELAYBYTE, "Edit", "", 152, 117, 25, 12, kDelayEdit, 0},
        {IDC_PROGRESS, "msctls_progress32", "Progress1", 5, 140, 184, 17, kChild | WS_BORDER, 0},
    },
};

const DialogSpec kLptDialog{
    "Lpt",
    IDD_LPT_DIALOG,
    "First Run TAMBERLO",
    209,
    77,
    DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    WS_VISIBLE | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME,
    0,
    {
        {IDOK, "Button", "OK", 155, 58, 50, 14, kDefaultButton, 0},
        {kStaticId, "Static", "In the first time on TAMBERLO,you must select LPT PORT", 5, 4, 190,
         8, kLabel, 0},
        {kStaticId, "Static", "LPT1,LPT2 or LPT3", 6, 13, 189, 8, kLabel, 0},
        {kStaticId, "Static", "After you selected LPT PORT,pc will be recognition LPT PORT", 6, 23,
         199, 8, kLabel, 0},
        {kStaticId, "Static", "Until,you change or reinstall OS.", 5, 32, 170, 8, kLabel, 0},
        {kStaticId, "Static", kLogo, 5, 46, 41, 26, kPicture, WS_EX_DLGMODALFRAME},
    },
};

const DialogSpec kAboutDialog{
    "About",
    IDD_ABOUTBOX,
    "About tamberlo",
    235,
    89,
    DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    WS_VISIBLE | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME,
    0,
    {
        {kStaticId, "Static", kLogo, 5, 11, 41, 26, kPicture, WS_EX_DLGMODALFRAME},
        {kStaticId, "Static", "tamberlo Version 5.0", 52, 10, 119, 8, kLabel | SS_NOPREFIX, 0},
        {kStaticId, "Static", "Copyright (C) 2026 tamberlo team", 52, 62, 119, 8, kLabel, 0},
        {IDOK, "Button", "OK", 178, 7, 50, 14, kDefaultButton | WS_GROUP, 0},
        {kStaticId, "Static", "For Wondows 95.", 52, 19, 74, 8, kLabel, 0},
        {kStaticId, "Static", "tamberlo.example.org  tb@example.org", 52, 71, 140, 8, kLabel, 0},
        {kStaticId, "Static", "For Window NT/2000/XP , please access printer port", 51, 29, 170, 8,
         kLabel, 0},
        {kStaticId, "Static", "before use this program.", 51, 39, 170, 8, kLabel, 0},
    },
};

// The chip window: what a Read shows, the two fuse fields each after its label, the clock
// list, one row per named fuse setting (check box, label, list, meaning), the buttons and
// the progress bar.
std::vector<ControlSpec> ChipDialogControls() {
    std::vector<ControlSpec> controls = {
        {kStaticId, "Button", "Chip", 6, 4, 388, 52, kGroupBox, 0},
        {kStaticId, "Static", "Chip:", 14, 16, 44, 8, kLabel, 0},
        {IDC_CHIP_NAME, "Static", "", 60, 16, 328, 8, kText, 0},
        {kStaticId, "Static", "Signature:", 14, 26, 44, 8, kLabel, 0},
        {IDC_CHIP_SIGNATURE, "Static", "", 60, 26, 328, 8, kText, 0},
        {kStaticId, "Static", "Lock bits:", 14, 36, 44, 8, kLabel, 0},
        {IDC_CHIP_LOCK, "Static", "", 60, 36, 328, 8, kText, 0},
        {kStaticId, "Static", "Boot lock:", 14, 46, 44, 8, kLabel, 0},
        {IDC_CHIP_BOOTLOCK, "Static", "", 60, 46, 328, 8, kText, 0},
        {kStaticId, "Button", "Fuses", 6, 60, 388, 184, kGroupBox, 0},
        {kStaticId, "Static", "Low:", 14, 74, 18, 8, kLabel, 0},
        {IDC_FUSE_LOW, "Edit", "", 34, 72, 24, 12, kFuseEdit, 0},
        {kStaticId, "Static", "High:", 68, 74, 20, 8, kLabel, 0},
        {IDC_FUSE_HIGH, "Edit", "", 90, 72, 24, 12, kFuseEdit, 0},
        {kStaticId, "Static", "Clock source:", 14, 90, 50, 8, kLabel, 0},
        {IDC_CLOCK, "ComboBox", "", 70, 88, 320, 160, kList, 0},
    };
    for (int row = 0; row < IDC_FUSE_ROWS; ++row) {
        const int y = 104 + row * 12;
        controls.push_back({IDC_FUSE_CHECK0 + row, "Button", "", 14, y, 118, 10, kCheck, 0});
        controls.push_back({IDC_FUSE_LABEL0 + row, "Static", "", 14, y + 1, 54, 8, kText, 0});
        controls.push_back({IDC_FUSE_CHOICE0 + row, "ComboBox", "", 70, y - 1, 62, 80, kList, 0});
        controls.push_back({IDC_FUSE_MEANING0 + row, "Static", "", 136, y + 1, 254, 8, kText, 0});
    }
    const std::vector<ControlSpec> rest = {
        {IDC_CALIBRATION, "Static", "", 14, 228, 376, 8, kText, 0},
        {IDC_CHIP_READ, "Button", "Read", 6, 250, 50, 14, kPushButton, 0},
        {IDC_WRITE_FUSES, "Button", "Write Fuses", 60, 250, 54, 14, kPushButton, 0},
        {IDC_FACTORY_DEFAULTS, "Button", "Factory Defaults", 118, 250, 64, 14, kPushButton, 0},
        {IDC_READ_FLASH, "Button", "Read Flash...", 6, 268, 60, 14, kPushButton, 0},
        {IDC_WRITE_EEPROM, "Button", "Write EEPROM...", 70, 268, 64, 14, kPushButton, 0},
        {IDC_READ_EEPROM, "Button", "Read EEPROM...", 138, 268, 64, 14, kPushButton, 0},
        {IDCANCEL, "Button", "Close", 344, 268, 50, 14, kPushButton, 0},
        {IDC_CHIP_PROGRESS, "msctls_progress32", "", 210, 250, 184, 14, kChild | WS_BORDER, 0},
    };
    controls.insert(controls.end(), rest.begin(), rest.end());
    return controls;
}

const DialogSpec kChipDialog{
    "Chip",
    IDD_CHIP_DIALOG,
    "Chip and Fuses",
    400,
    292,
    DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    WS_VISIBLE | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME,
    0,
    ChipDialogControls(),
};

INT_PTR CALLBACK passiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

struct CreationStyle {
    DWORD style;
    DWORD exStyle;
};

// Styles of every window created on this thread while a LiveDialog is being
// built, recorded by a CBT hook before the window procedure sees them.
std::map<HWND, CreationStyle>* recordedStyles = nullptr;

LRESULT CALLBACK recordCreationStyle(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && recordedStyles) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        (*recordedStyles)[reinterpret_cast<HWND>(wParam)] = {static_cast<DWORD>(create->style),
                                                             create->dwExStyle};
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A modeless dialog created from a template in this executable, destroyed with
// the object. It remembers the style each control was created with: controls
// rewrite their own frame bits afterwards (the progress bar drops its border
// to draw a themed one), so the creation style is what shows the template.
class LiveDialog {
public:
    explicit LiveDialog(int resourceId) {
        static const bool commonControlsReady = [] {
            INITCOMMONCONTROLSEX init{sizeof(init), ICC_PROGRESS_CLASS};
            return InitCommonControlsEx(&init) != FALSE;
        }();
        EXPECT_TRUE(commonControlsReady);
        HHOOK hook = SetWindowsHookExA(WH_CBT, recordCreationStyle, nullptr, GetCurrentThreadId());
        EXPECT_NE(hook, nullptr);
        recordedStyles = &creationStyles_;
        hwnd_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), nullptr,
                                   passiveDialogProc, 0);
        recordedStyles = nullptr;
        if (hook)
            UnhookWindowsHookEx(hook);
    }
    ~LiveDialog() {
        if (hwnd_)
            DestroyWindow(hwnd_);
    }
    LiveDialog(const LiveDialog&) = delete;
    LiveDialog& operator=(const LiveDialog&) = delete;

    HWND hwnd() const { return hwnd_; }

    // The dialog manager turns a control's WS_BORDER into the 3-D
    // WS_EX_CLIENTEDGE; both count as WS_BORDER here.
    CreationStyle creationStyle(HWND control) const {
        auto found = creationStyles_.find(control);
        if (found == creationStyles_.end())
            return {0, 0};
        CreationStyle result = found->second;
        if (result.exStyle & WS_EX_CLIENTEDGE) {
            result.style |= WS_BORDER;
            result.exStyle &= ~WS_EX_CLIENTEDGE;
        }
        return result;
    }

    // Dialog units to pixels, origin and size converted separately as the
    // dialog manager does when it places a control.
    RECT toPixels(int x, int y, int width, int height) const {
        RECT r{x, y, width, height};
        MapDialogRect(hwnd_, &r);
        return r;
    }

private:
    HWND hwnd_ = nullptr;
    std::map<HWND, CreationStyle> creationStyles_;
};

std::string windowText(HWND hwnd) {
    char buffer[256] = {};
    GetWindowTextA(hwnd, buffer, sizeof(buffer));
    return buffer;
}

std::string className(HWND hwnd) {
    char buffer[64] = {};
    GetClassNameA(hwnd, buffer, sizeof(buffer));
    return buffer;
}

std::vector<HWND> childrenInZOrder(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

RECT rectInDialogClient(HWND child, HWND dialog) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void expectShowsLogo(HWND picture) {
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_NE(GetObjectA(bitmap, sizeof(info), &info), 0);
    EXPECT_EQ(info.bmWidth, kLogoWidth);
    EXPECT_EQ(info.bmHeight, kLogoHeight);
}

// Labels here are one line high: text wider than the control would wrap onto
// a line that is cut off.
void expectTextFitsOnOneLine(HWND label, const std::string& text) {
    HDC dc = GetDC(label);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    RECT client;
    GetClientRect(label, &client);
    EXPECT_LE(extent.cx, client.right) << "text is cut off";
}

void expectControlMatches(const LiveDialog& dialog, HWND child, const ControlSpec& spec) {
    EXPECT_EQ(GetDlgCtrlID(child), spec.id);
    EXPECT_EQ(className(child), spec.className);

    // The whole style word is compared; of the extended style only the frame
    // bit, as the dialog manager adds WS_EX_NOPARENTNOTIFY to every control.
    const CreationStyle created = dialog.creationStyle(child);
    EXPECT_EQ(created.style, spec.style)
        << std::hex << "style 0x" << created.style << ", expected 0x" << spec.style;
    EXPECT_EQ(created.exStyle & WS_EX_DLGMODALFRAME, spec.exStyle);

    const RECT want = dialog.toPixels(spec.x, spec.y, spec.width, spec.height);
    const RECT got = rectInDialogClient(child, dialog.hwnd());
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);

    if (spec.text == kLogo) {
        expectShowsLogo(child);
        return;
    }
    const std::string text = windowText(child);
    EXPECT_EQ(text, spec.text);
    if (spec.className == std::string("Static"))
        expectTextFitsOnOneLine(child, text);
    EXPECT_EQ(got.right - got.left, want.right);
    // A drop-down list's window is as high as its closed box; the template's height is
    // that of the list when it drops down.
    if (spec.className != std::string("ComboBox")) {
        EXPECT_EQ(got.bottom - got.top, want.bottom);
    }
}

class DialogTemplate : public testing::TestWithParam<const DialogSpec*> {};

TEST_P(DialogTemplate, ChildrenMatchTableInTabOrder) {
    const DialogSpec& spec = *GetParam();
    LiveDialog dialog(spec.resourceId);
    ASSERT_NE(dialog.hwnd(), nullptr) << "CreateDialogParamA failed, error " << GetLastError();

    const std::vector<HWND> children = childrenInZOrder(dialog.hwnd());
    ASSERT_EQ(children.size(), spec.controls.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlSpec& control = spec.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " (" + control.className + " \"" +
                     (control.text ? control.text : "<logo>") + "\")");
        expectControlMatches(dialog, children[i], control);
    }
}

TEST_P(DialogTemplate, FrameMatchesTable) {
    const DialogSpec& spec = *GetParam();
    LiveDialog dialog(spec.resourceId);
    ASSERT_NE(dialog.hwnd(), nullptr) << "CreateDialogParamA failed, error " << GetLastError();

    EXPECT_EQ(windowText(dialog.hwnd()), spec.caption);
    const auto style = static_cast<DWORD>(GetWindowLongA(dialog.hwnd(), GWL_STYLE));
    EXPECT_EQ(style & spec.styleSet, spec.styleSet) << std::hex << "style 0x" << style;
    EXPECT_EQ(style & spec.styleClear, 0u) << std::hex << "style 0x" << style;
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(dialog.hwnd(), GWL_EXSTYLE));
    EXPECT_EQ(exStyle & spec.exStyleSet, spec.exStyleSet) << std::hex << "exstyle 0x" << exStyle;

    RECT client;
    GetClientRect(dialog.hwnd(), &client);
    const RECT want = dialog.toPixels(0, 0, spec.width, spec.height);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);

    auto font = reinterpret_cast<HFONT>(SendMessageA(dialog.hwnd(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA logFont{};
    ASSERT_NE(GetObjectA(font, sizeof(logFont), &logFont), 0);
    EXPECT_STREQ(logFont.lfFaceName, "MS Sans Serif");
}

INSTANTIATE_TEST_SUITE_P(Resources, DialogTemplate,
                         testing::Values(&kMainDialog, &kLptDialog, &kAboutDialog, &kChipDialog),
                         [](const testing::TestParamInfo<const DialogSpec*>& info) {
                             return std::string(info.param->name);
                         });

TEST(Resources, SystemMenuStringsLoad) {
    char text[64] = {};
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof(text)), 0);
    EXPECT_STREQ(text, "&About tamberlo...");
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_CHIPBOX, text, sizeof(text)), 0);
    EXPECT_STREQ(text, "Chip and &Fuses...");
}

// Layout of one entry of an RT_GROUP_ICON resource, as the resource compiler stores it.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInResource;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, IconIsOne32x32ImageWith256Colours) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    ASSERT_GE(SizeofResource(module, group), 6u + sizeof(GroupIconEntry));
    auto bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(reinterpret_cast<const WORD*>(bytes)[2], 1) << "number of images";
    GroupIconEntry entry;
    memcpy(&entry, bytes + 6, sizeof(entry));
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 32);
    EXPECT_EQ(entry.bitCount, 8);

    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    ASSERT_NE(GetObjectA(info.hbmColor, sizeof(colour), &colour), 0);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    EXPECT_NE(info.hbmMask, nullptr);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

class VersionBlock : public testing::Test {
protected:
    void SetUp() override {
        char path[MAX_PATH] = {};
        ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        ASSERT_NE(size, 0u) << "no version resource";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data_.data()));
    }

    const void* query(const std::string& path, UINT* length) {
        void* value = nullptr;
        *length = 0;
        if (!VerQueryValueA(data_.data(), path.c_str(), &value, length))
            return nullptr;
        return value;
    }

    std::vector<char> data_;
};

TEST_F(VersionBlock, FixedPartDescribesWin32Application) {
    UINT length = 0;
    auto fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(1, 0));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    auto translation = static_cast<const WORD*>(query("\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionBlock, StringsMatchTable) {
    const std::pair<const char*, const char*> expected[] = {
        {"CompanyName", ""},
        {"FileDescription", "tamberlo MFC Application"},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "tamberlo"},
        {"LegalCopyright", "Copyright (C) 2026 tamberlo team"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "tamberlo.EXE"},
        {"ProductName", "tamberlo Application"},
        {"ProductVersion", "1, 0, 0, 1"},
    };
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(name);
        UINT length = 0;
        auto text = static_cast<const char*>(
            query(std::string("\\StringFileInfo\\040904B0\\") + name, &length));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text), value);
    }
}

} // namespace
