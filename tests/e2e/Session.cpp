// Driving one run of the program from outside.
#include "tests/e2e/Session.h"

#include "tests/harness/DialogDriver.h"

namespace {
const int kOpenHex = 1011;
const int kProgress = 1014;
} // namespace

Session::Session(const std::string& chipFile, const char* fault, int lpt, const char* base) {
    ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP_FILE", chipFile.c_str());
    ::SetEnvironmentVariableA("TAMBERLO_SIM_FAULT", fault);
    ::SetEnvironmentVariableA("TAMBERLO_SIM_LPT", std::to_string(lpt).c_str());
    ::SetEnvironmentVariableA("TAMBERLO_SIM_BASE", base); // null removes it
    program = std::make_unique<ProgramProcess>();
}

Session::Session(const std::string& path, const std::string& chipFile) {
    ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP_FILE", chipFile.c_str());
    ::SetEnvironmentVariableA("TAMBERLO_SIM_FAULT", "none");
    ::SetEnvironmentVariableA("TAMBERLO_SIM_BASE", nullptr);
    program = std::make_unique<ProgramProcess>(path, "");
}

Session::~Session() {
    if (m_main != nullptr)
        ::PostMessageA(m_main, WM_SYSCOMMAND, SC_CLOSE, 0);
    program->WaitForExit(20000);
}

HWND Session::Main() {
    if (m_main == nullptr)
        m_main = program->WaitForWindow("tamberlo");
    return m_main;
}

std::vector<std::string> Session::Press(int id) {
    PressButton(Main(), id);
    return AnswerBoxesUntilIdle();
}

std::vector<std::string> Session::AnswerBoxesUntilIdle() {
    std::vector<std::string> texts;
    for (;;) {
        if (HWND box = program->WaitForMessageBox(0)) {
            texts.push_back(MessageBoxText(box));
            m_captions.push_back(WindowText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            while (::IsWindow(box))
                ::Sleep(20);
            continue;
        }
        DWORD_PTR ignored = 0;
        // The window answers once its thread is back in a message loop: idle, or a box.
        if (::SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored) &&
            program->WaitForMessageBox(100) == nullptr)
            return texts;
    }
}

std::string Session::Caption() {
    return WindowText(::GetDlgItem(Main(), kProgress));
}

std::vector<std::string> Session::OpenHexFile(const std::string& path) {
    return PressWithFile(Main(), kOpenHex, "Open", path);
}

std::vector<std::string> Session::PressWithFile(HWND dialog, int id, const char* caption,
                                                const std::string& path) {
    PressButton(dialog, id);
    HWND files = program->WaitForWindow(caption);
    if (files == nullptr)
        return {std::string("<no ") + caption + " dialog>"};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(OpenDialogFileNameField(files), WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 10000, &ignored);
    ::PostMessageA(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    while (::IsWindow(files))
        ::Sleep(20);
    return AnswerBoxesUntilIdle();
}

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}
