// The main window as the application starts it: title, frame, system menu, the
// About box from every command id with the About item's high bits, closing, and the
// Help command, which the dialog passes on to the application.
#include "app/IconLayout.h"
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "framework/Help.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kStoredSettings[] = "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n";

std::string Text(HWND hWnd) {
    char text[256];
    const int length = ::GetWindowTextA(hWnd, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

POINT Centre(HWND hWnd) {
    RECT r;
    ::GetWindowRect(hWnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Runs the main dialog as InitInstance does; the action ends the dialog itself.
INT_PTR RunMainDialog(DialogDriver& driver, std::function<void(HWND)> action) {
    CPortAccess portAccess;
    CTamberloDlg dlg(portAccess);
    const INT_PTR result = RunMainDialog(dlg, driver, std::move(action), AfterAction::KeepOpen);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr) << "destroying the main window clears the reference";
    return result;
}

class AppTest : public testing::Test {
protected:
    void SetUp() override { SettingsFile::Write(kStoredSettings); }
    MessageBoxCapture boxes;
    DialogDriver driver;
};

} // namespace

TEST_F(AppTest, NamesComeFromTheProgramFile) {
    EXPECT_STREQ(AfxGetAppName(), "tamberlo");
    EXPECT_STREQ(theApp.m_pszProfileName, "tamberlo.INI");
}

TEST_F(AppTest, MainWindowFrameAndSystemMenu) {
    RunMainDialog(driver, [](HWND dialog) {
        EXPECT_EQ(Text(dialog), "tamberlo");
        const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_MINIMIZEBOX);
        EXPECT_FALSE(style & WS_MAXIMIZEBOX);
        EXPECT_FALSE(style & WS_THICKFRAME);

        // The system's own items, a separator, then the chip window and the About box.
        HMENU menu = ::GetSystemMenu(dialog, FALSE);
        const int count = ::GetMenuItemCount(menu);
        ASSERT_GE(count, 3);
        MENUITEMINFOA separator{};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        ::GetMenuItemInfoA(menu, count - 3, TRUE, &separator);
        EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
        char text[64];
        ::GetMenuStringA(menu, count - 2, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "Chip and &Fuses...");
        EXPECT_EQ(::GetMenuItemID(menu, count - 2), 0x0020u);
        ::GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&About tamberlo...");
        EXPECT_EQ(::GetMenuItemID(menu, count - 1), 0x0010u);

        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_ERASE);
        ::EndDialog(dialog, IDCANCEL);
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(AppTest, EveryCommandIdOfTheAboutItemOpensTheAboutBox) {
    int opened = 0;
    driver.On(
        "About tamberlo",
        [&](HWND about) {
            ++opened;
            const POINT aboutCentre = Centre(about);
            const POINT mainCentre = Centre(::GetWindow(about, GW_OWNER));
            EXPECT_NEAR(aboutCentre.x, mainCentre.x, 1);
            EXPECT_NEAR(aboutCentre.y, mainCentre.y, 1);
            EXPECT_FALSE(::IsWindowEnabled(::GetWindow(about, GW_OWNER)));
            ClickButton(about, IDOK);
        },
        false);
    RunMainDialog(driver, [](HWND dialog) {
        for (UINT id = 0x0010; id <= 0x001F; ++id)
            ::SendMessageA(dialog, WM_SYSCOMMAND, id, 0);
        // Ids outside the program's items go to the system's own handling.
        ::SendMessageA(dialog, WM_SYSCOMMAND, 0x0030, 0);
        ::EndDialog(dialog, IDCANCEL);
    });
    EXPECT_EQ(opened, 16);
}

// The chip window: owned by the main window (so no taskbar button of its own), in its font,
// and Esc closes it.
TEST_F(AppTest, TheChipWindowOpensFromTheSystemMenuOwnedByTheMainWindow) {
    int opened = 0;
    driver.On(
        "Chip and Fuses",
        [&](HWND chip) {
            ++opened;
            HWND owner = ::GetWindow(chip, GW_OWNER);
            EXPECT_EQ(Text(owner), "tamberlo");
            EXPECT_FALSE(::IsWindowEnabled(owner));
            EXPECT_FALSE(::GetWindowLongA(chip, GWL_EXSTYLE) & WS_EX_APPWINDOW);
            LOGFONTA chipFont{};
            LOGFONTA mainFont{};
            ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(chip, WM_GETFONT, 0, 0)),
                         sizeof chipFont, &chipFont);
            ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(owner, WM_GETFONT, 0, 0)),
                         sizeof mainFont, &mainFont);
            EXPECT_STREQ(chipFont.lfFaceName, mainFont.lfFaceName) << "the main window's font";
            EXPECT_EQ(chipFont.lfHeight, mainFont.lfHeight);
            ::SendMessageA(chip, WM_COMMAND, IDCANCEL, 0); // Esc
        },
        false);
    RunMainDialog(driver, [](HWND dialog) {
        for (UINT id = 0x0020; id <= 0x002F; id += 0x000F)
            ::SendMessageA(dialog, WM_SYSCOMMAND, id, 0);
        ::EndDialog(dialog, IDCANCEL);
    });
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(AppTest, AboutBoxTexts) {
    driver.On("About tamberlo", [](HWND about) {
        std::string texts;
        for (HWND c = ::GetWindow(about, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            texts += Text(c) + "|";
        EXPECT_NE(texts.find("tamberlo Version 5.0|"), std::string::npos) << texts;
        EXPECT_NE(texts.find("For Wondows 95.|"), std::string::npos) << texts;
        EXPECT_NE(texts.find("For Window NT/2000/XP , please access printer port|"),
                  std::string::npos);
        EXPECT_NE(texts.find("before use this program.|"), std::string::npos);
        ::PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    });
    RunMainDialog(driver, [](HWND dialog) {
        ::SendMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        ::EndDialog(dialog, IDCANCEL);
    });
}

TEST_F(AppTest, EscapeAndTheCloseBoxEndTheDialogWithoutWritingSettings) {
    const std::string before = SettingsFile::Contents();
    EXPECT_EQ(RunMainDialog(driver,
                            [](HWND dialog) {
                                ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
                                (void)dialog;
                            }),
              IDCANCEL);
    EXPECT_EQ(RunMainDialog(
                  driver, [](HWND dialog) { ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }),
              IDCANCEL);
    EXPECT_EQ(SettingsFile::Contents(), before);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(IconLayoutTest, IconIsCentredRoundingUpAndTruncatingTowardZero) {
    const struct {
        LONG width, height;
        LONG x, y;
    } cases[] = {{36, 36, 2, 2}, {37, 40, 3, 4}, {32, 32, 0, 0}, {31, 30, 0, 0}, {20, 29, -5, -1}};
    for (const auto& c : cases) {
        const POINT origin = CentredIconOrigin(RECT{0, 0, c.width, c.height}, 32, 32);
        EXPECT_EQ(origin.x, c.x) << c.width;
        EXPECT_EQ(origin.y, c.y) << c.height;
    }
}

TEST_F(AppTest, DragIconIsTheWindowIcon) {
    RunMainDialog(driver, [](HWND dialog) {
        HICON icon = reinterpret_cast<HICON>(::SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0));
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)));
        EXPECT_EQ(icon, reinterpret_cast<HICON>(::SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)));
        ::EndDialog(dialog, IDCANCEL);
    });
}

namespace {

struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
    ULONG_PTR data;
};

std::vector<HelpCall> g_helpCalls;

BOOL RecordHelpCall(HWND owner, LPCSTR file, UINT command, ULONG_PTR data) {
    g_helpCalls.push_back(HelpCall{owner, file ? file : "", command, data});
    return TRUE;
}

// The help file belongs beside the program file, with the program's name and ".HLP".
std::string HelpFileBesideTheProgram() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string help(path, length);
    return help.substr(0, help.rfind('.')) + ".HLP";
}

// A help file is present and the help viewer is replaced by a recorder.
class HelpTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        std::ofstream(helpFile, std::ios::binary) << "help";
        g_helpCalls.clear();
        previousHook = AfxSetWinHelpHook(&RecordHelpCall);
    }
    void TearDown() override {
        AfxSetWinHelpHook(previousHook);
        ::DeleteFileA(helpFile.c_str());
    }

    const std::string helpFile = HelpFileBesideTheProgram();
    AfxWinHelpHook previousHook = nullptr;
};

} // namespace

TEST_F(HelpTest, HelpCommandOpensTheHelpFileBesideTheProgram) {
    driver.On("About tamberlo", [](HWND about) {
        ::SendMessageA(about, WM_COMMAND, ID_HELP, 0);
        ClickButton(about, IDOK);
    });
    HWND mainWindow = nullptr;
    RunMainDialog(driver, [&](HWND dialog) {
        mainWindow = dialog;
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0); // a menu item
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_HELP, 1), 0); // an accelerator
        ::SendMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        EXPECT_TRUE(::IsWindow(dialog));
        ::EndDialog(dialog, IDCANCEL);
    });
    ASSERT_EQ(g_helpCalls.size(), 3u) << "twice from the main window, once from the About box";
    for (const HelpCall& call : g_helpCalls) {
        EXPECT_EQ(call.owner, mainWindow);
        EXPECT_EQ(call.file, helpFile);
        EXPECT_EQ(call.command, static_cast<UINT>(HELP_FINDER));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HelpTest, WithoutAHelpFileHelpDoesNothing) {
    ::DeleteFileA(helpFile.c_str());
    RunMainDialog(driver, [](HWND dialog) {
        ::SendMessageA(dialog, WM_COMMAND, ID_HELP, 0);
        EXPECT_TRUE(::IsWindow(dialog));
        ::EndDialog(dialog, IDCANCEL);
    });
    EXPECT_TRUE(g_helpCalls.empty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HelpTest, CommandsThatNobodyHandlesDoNothing) {
    RunMainDialog(driver, [](HWND dialog) {
        HWND erase = ::GetDlgItem(dialog, IDC_ERASE);
        const struct {
            WPARAM wParam;
            LPARAM lParam;
            const char* what;
        } cases[] = {
            {0x8123, 0, "a command id without a handler"},
            {ID_HELP + 1, 0, "a standard command id without a handler"},
            {0x1234, 0, "an id below the command range"},
            {0xF123, 0, "an id in the system commands' range"},
            {MAKEWPARAM(ID_HELP, EN_CHANGE), reinterpret_cast<LPARAM>(erase),
             "a control's notification that carries the Help id"},
        };
        for (const auto& c : cases) {
            ::SendMessageA(dialog, WM_COMMAND, c.wParam, c.lParam);
            EXPECT_TRUE(::IsWindow(dialog)) << c.what;
            EXPECT_TRUE(g_helpCalls.empty()) << c.what;
        }
        ::EndDialog(dialog, IDCANCEL);
    });
    EXPECT_EQ(driver.Shown(), std::vector<std::string>{"tamberlo"});
    EXPECT_TRUE(boxes.Boxes().empty());
}
