// One run of the shipped program with the simulated port driver beside it, against a
// board of the caller's own (chip file, fault, port, base), used as a user uses it:
// buttons pressed, boxes answered, files opened.
#pragma once
#include "tests/e2e/ProgramProcess.h"
#include "tests/harness/FileBytes.h"

#include <memory>
#include <string>
#include <vector>

class Session {
public:
    // `base`: the board's port address (TAMBERLO_SIM_BASE), null for the port of `lpt`.
    explicit Session(const std::string& chipFile, const char* fault = "none", int lpt = 1,
                     const char* base = nullptr);
    // The program file at `path` (a copy of the program, elsewhere or under another name).
    Session(const std::string& path, const std::string& chipFile);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HWND Main();
    // The texts and captions of the message boxes answered so far.
    const std::vector<std::string>& Captions() const { return m_captions; }
    // Presses a button and waits until the program is idle again, answering each message
    // box it shows on the way with OK; returns the texts of those boxes.
    std::vector<std::string> Press(int id);
    std::vector<std::string> AnswerBoxesUntilIdle();
    // The progress bar's caption.
    std::string Caption();
    // Opens `path` through the program's Open dialog, as a user types it and presses Open.
    std::vector<std::string> OpenHexFile(const std::string& path);
    // Presses `id` in `dialog`, answers the file dialog captioned `caption` ("Open",
    // "Save As") with `path`, then the boxes until the program is idle.
    std::vector<std::string> PressWithFile(HWND dialog, int id, const char* caption,
                                           const std::string& path);

    std::unique_ptr<ProgramProcess> program;

private:
    HWND m_main = nullptr;
    std::vector<std::string> m_captions;
};

// `name` in the Windows temporary folder.
std::string TempPath(const std::string& name);
