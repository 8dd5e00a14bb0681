// Entry point of every Windows test program: starts the framework as the real
// program does, under the real program's name, so captions and the settings file
// are those of tamberlo.exe, then runs the tests.
#include "framework/WinApp.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    CWinApp* app = AfxGetApp();
    app->m_pszAppName = "tamberlo";
    app->m_pszProfileName = "tamberlo.INI";
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
