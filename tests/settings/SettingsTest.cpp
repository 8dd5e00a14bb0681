// Port and delay settings on the real main dialog with a real settings file in the
// Windows directory: first run, stored ports, the delay fields keystroke by keystroke,
// the notification lockout while the dialog rewrites its own fields, which file the
// messages name under UAC file virtualization, and writes that fail.
#include "app/SettingsLocation.h"
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/SystemText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

const char kPositiveInteger[] = "Please enter a positive integer.";
const char kRange[] = "Please enter an integer between 1 and 10.";

std::string FieldText(HWND dialog, int id) {
    char text[64];
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

class SettingsTest : public testing::Test {
protected:
    // Runs the main dialog with `action` inside its modal loop, then closes it.
    void Run(std::function<void(HWND)> action) { RunMainDialog(dlg, driver, std::move(action)); }

    CPortAccess portAccess;
    CTamberloDlg dlg{portAccess};
    MessageBoxCapture boxes;
    DialogDriver driver;
};

} // namespace

TEST_F(SettingsTest, FirstRunShowsTheNoticeOnceBeforeTheMainWindowAndWritesTheDelays) {
    SettingsFile::Remove();
    bool mainVisibleDuringNotice = true;
    driver.On("First Run TAMBERLO", [&](HWND notice) {
        mainVisibleDuringNotice = ::IsWindowVisible(::GetWindow(notice, GW_OWNER)) != FALSE;
        ClickButton(notice, IDOK);
    });
    Run([&](HWND dialog) {
        EXPECT_EQ(FieldText(dialog, IDC_DELAYBIT), "1");
        EXPECT_EQ(FieldText(dialog, IDC_DELAYBYTE), "1");
        EXPECT_FALSE(Checked(dialog, IDC_LPT1) || Checked(dialog, IDC_LPT2) ||
                     Checked(dialog, IDC_LPT3));
    });
    EXPECT_EQ(driver.Shown(), (std::vector<std::string>{"First Run TAMBERLO", "tamberlo"}));
    EXPECT_FALSE(mainVisibleDuringNotice);
    EXPECT_FALSE(dlg.Port().HasPort());
    EXPECT_EQ(SettingsFile::Contents(), "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SettingsTest, StoredPortSelectsItsBaseAndRadioButton) {
    const struct {
        int stored;
        WORD base;
        int radio;
    } cases[] = {{1, 0x378, IDC_LPT1}, {2, 0x278, IDC_LPT2}, {3, 0x3BC, IDC_LPT3}, {7, 0, 0}};
    for (const auto& c : cases) {
        SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=" + std::to_string(c.stored) +
                            "\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n");
        CTamberloDlg dialogObject(portAccess);
        DialogDriver local;
        RunMainDialog(dialogObject, local, [&](HWND dialog) {
            for (int id : {IDC_LPT1, IDC_LPT2, IDC_LPT3})
                EXPECT_EQ(Checked(dialog, id), id == c.radio) << c.stored << " " << id;
        });
        EXPECT_EQ(local.Shown(), std::vector<std::string>{"tamberlo"}) << c.stored;
        EXPECT_EQ(dialogObject.Port().GetBase(), c.base) << c.stored;
    }
}

TEST_F(SettingsTest, SelectingAPortWritesItAtOnceButTheBaseMovesOnlyAtTheNextOperation) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n");
    Run([&](HWND dialog) {
        ClickButton(dialog, IDC_LPT3);
        EXPECT_NE(SettingsFile::Contents().find("LPT PORT=3\r\n"), std::string::npos);
        EXPECT_TRUE(Checked(dialog, IDC_LPT3));
        EXPECT_FALSE(Checked(dialog, IDC_LPT1));
        EXPECT_EQ(dlg.Port().GetBase(), 0x378);
        dlg.SelectLptPort();
        EXPECT_EQ(dlg.Port().GetBase(), 0x3BC);
    });
}

TEST_F(SettingsTest, ZeroOrMissingDelaysBecomeOneAndAreWrittenBack) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=2\r\nDELAY BIT=0\r\n");
    Run([&](HWND dialog) {
        EXPECT_EQ(FieldText(dialog, IDC_DELAYBIT), "1");
        EXPECT_EQ(FieldText(dialog, IDC_DELAYBYTE), "1");
    });
    EXPECT_EQ(dlg.Settings().DelayBit(), 1u);
    EXPECT_EQ(dlg.Settings().DelayByte(), 1u);
    const std::string file = SettingsFile::Contents();
    EXPECT_NE(file.find("DELAY BIT=1\r\n"), std::string::npos);
    EXPECT_NE(file.find("DELAY BYTE=1\r\n"), std::string::npos);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SettingsTest, DelayFieldTextsAreParsedValidatedAndStored) {
    const struct {
        const char* typed;
        const char* message; // null: accepted
        unsigned member;     // the member afterwards (previous value 4 when not parsed)
    } cases[] = {
        {"+5", nullptr, 5},           {" 7 ", nullptr, 7},
        {"\t9\t", nullptr, 9},        {"07", nullptr, 7},
        {"7a", kPositiveInteger, 4},  {"-3", kPositiveInteger, 4},
        {"0x5", kPositiveInteger, 4}, {"", kPositiveInteger, 4},
        {"+", kPositiveInteger, 4},   {"0", kRange, 0},
        {"11", kRange, 11},           {"99999999999", kRange, 4294967295u},
    };
    for (const int field : {IDC_DELAYBIT, IDC_DELAYBYTE}) {
        const char* key = field == IDC_DELAYBIT ? "DELAY BIT=" : "DELAY BYTE=";
        for (const auto& c : cases) {
            SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=4\r\nDELAY BYTE=4\r\n");
            CTamberloDlg dialogObject(portAccess);
            DialogDriver local;
            boxes.Clear();
            HWND shownDialog = nullptr;
            RunMainDialog(dialogObject, local, [&](HWND dialog) {
                shownDialog = dialog;
                HWND edit = ::GetDlgItem(dialog, field);
                TypeText(dialog, field, c.typed);
                if (c.message != nullptr) {
                    EXPECT_EQ(::GetFocus(), edit) << c.typed;
                    DWORD start = 1, end = 0;
                    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                   reinterpret_cast<LPARAM>(&end));
                    EXPECT_EQ(start, 0u) << c.typed;
                    EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthA(edit))) << c.typed;
                }
            });

            const unsigned member = field == IDC_DELAYBIT ? dialogObject.Settings().DelayBit()
                                                          : dialogObject.Settings().DelayByte();
            EXPECT_EQ(member, c.member) << "'" << c.typed << "'";
            const std::string stored = key + std::to_string(static_cast<int>(c.member)) + "\r\n";
            EXPECT_NE(SettingsFile::Contents().find(stored), std::string::npos)
                << "'" << c.typed << "' " << SettingsFile::Contents();
            if (c.message == nullptr) {
                EXPECT_TRUE(boxes.Boxes().empty()) << c.typed;
            } else {
                ASSERT_EQ(boxes.Boxes().size(), 1u) << c.typed;
                EXPECT_EQ(boxes.Boxes()[0].text, c.message);
                EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
                EXPECT_EQ(boxes.Boxes()[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
                EXPECT_EQ(boxes.Boxes()[0].owner, shownDialog);
            }
        }
    }
}

TEST_F(SettingsTest, AnInvalidDelayBitTextAlsoStopsTheExchangeOfTheDelayByteField) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=4\r\nDELAY BYTE=4\r\n");
    Run([&](HWND dialog) {
        TypeText(dialog, IDC_DELAYBIT, "x");
        boxes.Clear();
        TypeText(dialog, IDC_DELAYBYTE, "6");
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, kPositiveInteger);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_DELAYBIT));
    });
    EXPECT_EQ(dlg.Settings().DelayByte(), 4u);
    EXPECT_NE(SettingsFile::Contents().find("DELAY BYTE=4\r\n"), std::string::npos);
}

TEST_F(SettingsTest, TypingTenWritesOneThenTen) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=4\r\nDELAY BYTE=4\r\n");
    std::vector<std::string> written;
    Run([&](HWND dialog) {
        HWND edit = ::GetDlgItem(dialog, IDC_DELAYBYTE);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        for (char key : {'1', '0'}) {
            ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(key), 0);
            const std::string file = SettingsFile::Contents();
            const size_t at = file.find("DELAY BYTE=");
            written.push_back(file.substr(at, file.find('\r', at) - at));
        }
    });
    EXPECT_EQ(written, (std::vector<std::string>{"DELAY BYTE=1", "DELAY BYTE=10"}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SettingsTest, EnterClosesOnlyWithValidDelaysAndEscapeAlways) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=4\r\nDELAY BYTE=4\r\n");
    bool stayedOpen = false;
    const INT_PTR firstEnd = RunMainDialog(
        dlg, driver,
        [&](HWND dialog) {
            HWND byteField = ::GetDlgItem(dialog, IDC_DELAYBYTE);
            TypeText(dialog, IDC_DELAYBYTE, "12");
            boxes.Clear();
            // No push button is the default: Enter in a field asks the dialog for IDOK.
            PressKey(dialog, byteField, VK_RETURN);
            stayedOpen = ::IsWindowVisible(dialog) != FALSE;
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text, kRange);
            TypeText(dialog, IDC_DELAYBYTE, "3");
            PressKey(dialog, byteField, VK_RETURN);
        },
        AfterAction::KeepOpen);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(firstEnd, IDOK);

    CTamberloDlg second(portAccess);
    DialogDriver local;
    const INT_PTR secondEnd = RunMainDialog(
        second, local,
        [&](HWND dialog) {
            TypeText(dialog, IDC_DELAYBIT, "junk");
            PressKey(dialog, ::GetDlgItem(dialog, IDC_DELAYBIT), VK_ESCAPE);
        },
        AfterAction::KeepOpen);
    EXPECT_EQ(secondEnd, IDCANCEL);
}

TEST_F(SettingsTest, EnterOnAPushButtonPressesThatButton) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=4\r\nDELAY BYTE=4\r\n");
    RunMainDialog(dlg, driver, [&](HWND dialog) {
        // Program with nothing loaded answers with its refusal: the button was pressed.
        PressKey(dialog, ::GetDlgItem(dialog, IDC_PROGRAM), VK_RETURN);
        EXPECT_TRUE(::IsWindowVisible(dialog));
    });
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please open a Hex File before writing memory."});
}

TEST_F(SettingsTest, RewritingTheFieldsFromTheMembersWritesNothingAndShowsNothing) {
    SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=4\r\nDELAY BYTE=4\r\n");
    Run([&](HWND dialog) {
        const std::string before = SettingsFile::Contents();
        dlg.Settings().DelayBit() = 0;
        dlg.Settings().DelayByte() = 77;
        dlg.UpdateData(FALSE);
        EXPECT_EQ(FieldText(dialog, IDC_DELAYBIT), "0");
        EXPECT_EQ(FieldText(dialog, IDC_DELAYBYTE), "77");
        EXPECT_EQ(SettingsFile::Contents(), before);
        EXPECT_TRUE(boxes.Boxes().empty());
    });
}

namespace {

// UAC file virtualization as a Windows Vista to 11 gives it to a 32-bit program run by a
// normal user; Wine has none, so the test answers for the process token.
BOOL g_virtualized = FALSE;
BOOL FakeVirtualization() {
    return g_virtualized;
}

class VirtualizationTest : public SettingsTest {
protected:
    VirtualizationTest() { UseVirtualizationQuery(&FakeVirtualization); }
    ~VirtualizationTest() override {
        UseVirtualizationQuery(nullptr);
        ::DeleteFileA(VirtualStoreCopy().c_str());
        ::RemoveDirectoryA(SettingsFile::Path().c_str());
        SettingsFile::Remove();
    }

    // %LOCALAPPDATA%\VirtualStore\<the Windows folder without its drive>\tamberlo.INI
    static std::string VirtualStoreCopy() {
        char local[MAX_PATH] = "";
        ::GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH);
        return std::string(local) + "\\VirtualStore" + SettingsFile::Path().substr(2);
    }
    static void WriteVirtualStoreCopy(const std::string& contents) {
        const std::string copy = VirtualStoreCopy();
        for (size_t at = copy.find('\\', 3); at != std::string::npos; at = copy.find('\\', at + 1))
            ::CreateDirectoryA(copy.substr(0, at).c_str(), nullptr);
        std::ofstream(copy, std::ios::binary) << contents;
    }
};

struct ReadFileCase {
    BOOL virtualized;
    bool storeCopy; // a copy in the VirtualStore exists
    bool named;     // the message names that copy
};

// The platform reads the VirtualStore copy only for a virtualized process, and only once
// the copy exists; the message names the file that was read.
TEST_F(VirtualizationTest, TheMessageNamesTheFileThatWasRead) {
    const ReadFileCase cases[] = {
        {FALSE, false, false}, {FALSE, true, false}, {TRUE, false, false}, {TRUE, true, true}};
    const char settings[] = "[TAMBERLO]\r\nLPT PORT=7\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n";
    for (const ReadFileCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "virtualized " << c.virtualized << ", copy " << c.storeCopy);
        SettingsFile::Write(settings);
        ::DeleteFileA(VirtualStoreCopy().c_str());
        if (c.storeCopy)
            WriteVirtualStoreCopy(settings);
        g_virtualized = c.virtualized;
        boxes.Clear();
        CTamberloDlg dialogObject(portAccess);
        DialogDriver local;
        RunMainDialog(dialogObject, local, [&](HWND dialog) { ClickButton(dialog, IDC_ERASE); });
        const std::string file = c.named ? VirtualStoreCopy() : SettingsFile::Path();
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{"The settings file " + file +
                                           " holds LPT PORT=7, which is not a printer port of this "
                                           "program.\nPlease choose Lpt1, Lpt2 or Lpt3."});
    }
}

struct FailedWriteCase {
    const char* name;
    BOOL virtualized;
    bool folder; // a folder stands where the file would be; else another program holds it
};

// A write that fails is told with the file's name, once per run, however often the
// settings are written after it (at start-up, on every port click and keystroke); the
// values typed stay in force for the run.
TEST_F(VirtualizationTest, AFailedWriteIsToldOncePerRunWithTheFilesName) {
    const FailedWriteCase cases[] = {
        {"file held by another program", FALSE, false},
        {"folder in its place", FALSE, true},
        {"virtualized: the VirtualStore copy", TRUE, true},
    };
    for (const FailedWriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_virtualized = c.virtualized;
        SettingsFile::Remove();
        ::RemoveDirectoryA(SettingsFile::Path().c_str());
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.folder) {
            ASSERT_TRUE(::CreateDirectoryA(SettingsFile::Path().c_str(), nullptr));
        } else {
            // No delays: they are written at start. (A read-only file would not do: Wine,
            // run by root here, writes it all the same.)
            SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\n");
            held = ::CreateFileA(SettingsFile::Path().c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        // What Windows says when the same write is tried here.
        ::SetLastError(0);
        ASSERT_FALSE(::WritePrivateProfileStringA("TAMBERLO", "DELAY BIT", "1", "tamberlo.INI"));
        const DWORD error = ::GetLastError();
        const std::string file = c.virtualized ? VirtualStoreCopy() : SettingsFile::Path();
        // Only the Windows folder is closed to a normal user; the VirtualStore is the user's.
        const std::string expected =
            "The settings could not be written to " + file +
            ".\nWindows says: " + SystemText(error, file) +
            "\nThe program goes on with the values shown, but they will not be there at its next "
            "start. Check that the disk has room, that the file is neither read-only nor a "
            "folder, and that no other program holds it open." +
            (c.virtualized ? ""
                           : " A normal user may not change files in the Windows folder: run "
                             "tamberlo once as administrator, or give your user the right to "
                             "change this file (see the README).");

        boxes.Clear();
        CTamberloDlg dialogObject(portAccess);
        DialogDriver local;
        local.On("First Run TAMBERLO", [](HWND notice) { ClickButton(notice, IDOK); });
        std::vector<std::string> atStart;
        RunMainDialog(dialogObject, local, [&](HWND dialog) {
            atStart = boxes.Texts();
            ClickButton(dialog, IDC_LPT2);
            TypeText(dialog, IDC_DELAYBIT, "3");
            TypeText(dialog, IDC_DELAYBYTE, "4");
        });
        EXPECT_EQ(atStart, std::vector<std::string>{expected});
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{expected}) << "once per run";
        EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
        EXPECT_EQ(dialogObject.Settings().DelayBit(), 3u);
        EXPECT_EQ(dialogObject.Settings().DelayByte(), 4u);
        if (held != INVALID_HANDLE_VALUE)
            ::CloseHandle(held);
    }
}

} // namespace
