// Brings the simulated program into the states the README shows, for
// scripts/screenshots.sh: while it programs a full chip, after it verified it, and its chip
// window after a Read of a new ATmega16.
// At each state it creates NAME.ready in the marker folder and waits for NAME.done,
// which the script makes once it has taken the picture.
#include "tests/e2e/Session.h"

#include <cstdio>
#include <string>

namespace {

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Pose(const std::string& folder, const char* name) {
    const std::string ready = folder + "\\" + name + ".ready";
    const std::string done = folder + "\\" + name + ".done";
    ::CloseHandle(
        ::CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (int i = 0; i < 600 && !Exists(done); ++i)
        ::Sleep(100);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot_driver MARKER-FOLDER HEX-FILE\n");
        return 2;
    }
    const std::string folder = argv[1];
    ::WritePrivateProfileStringA("TAMBERLO", "LPT PORT", "1", "tamberlo.INI");
    ::WritePrivateProfileStringA("TAMBERLO", "DELAY BIT", "1", "tamberlo.INI");
    ::WritePrivateProfileStringA("TAMBERLO", "DELAY BYTE", "1", "tamberlo.INI");
    Session session(folder + "\\chip.bin");
    if (session.Main() == nullptr || !session.OpenHexFile(argv[2]).empty())
        return 1;
    ::SetForegroundWindow(session.Main());
    PressButton(session.Main(), 1002); // Program: about half a minute for 8 KB
    ::Sleep(12000);
    Pose(folder, "during");
    session.AnswerBoxesUntilIdle();
    if (!session.Press(1003).empty()) // Verify
        return 1;
    Pose(folder, "after");
    ::SetEnvironmentVariableA("TAMBERLO_SIM_CHIP", "atmega16");
    Session atmega(folder + "\\atmega16.bin");
    if (atmega.Main() == nullptr)
        return 1;
    ::PostMessageA(atmega.Main(), WM_SYSCOMMAND, 0x0020, 0); // Chip and Fuses...
    HWND chip = atmega.program->WaitForWindow("Chip and Fuses");
    if (chip == nullptr)
        return 1;
    PressButton(chip, 1100); // Read
    if (!atmega.AnswerBoxesUntilIdle().empty())
        return 1;
    ::SetForegroundWindow(chip);
    Pose(folder, "chip");
    ::PostMessageA(chip, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
