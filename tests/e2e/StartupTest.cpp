// The real program started as a user starts it: arguments make no difference, and
// Esc or the close box end it without writing anything to the settings file.
#include "tests/e2e/ProgramProcess.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

namespace {
const char kStoredSettings[] = "[TAMBERLO]\r\nDELAY BIT=2\r\nDELAY BYTE=3\r\nLPT PORT=1\r\n";
}

TEST(StartupTest, ArgumentsMakeNoDifferenceAndEscapeEndsTheProgram) {
    for (const char* arguments : {"", "/x unknown.hex --help"}) {
        SettingsFile::Write(kStoredSettings);
        ProgramProcess program(arguments);
        HWND main = program.WaitForWindow("tamberlo");
        ASSERT_NE(main, nullptr) << arguments;
        EXPECT_EQ(WindowText(::GetDlgItem(main, 1012)), "2");
        EXPECT_EQ(WindowText(::GetDlgItem(main, 1013)), "3");
        EXPECT_EQ(program.VisibleWindows().size(), 1u);
        ::PostMessageA(::GetDlgItem(main, 1000), WM_KEYDOWN, VK_ESCAPE, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(program.WaitForExit(20000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(SettingsFile::Contents(), kStoredSettings);
    }
}

TEST(StartupTest, CloseBoxEndsTheProgram) {
    SettingsFile::Write(kStoredSettings);
    ProgramProcess program;
    HWND main = program.WaitForWindow("tamberlo");
    ASSERT_NE(main, nullptr);
    ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(program.WaitForExit(20000));
    EXPECT_EQ(SettingsFile::Contents(), kStoredSettings);
}
