// One run of the simulated program against a board of the caller's own (chip file,
// fault, port), used as a user uses it: buttons pressed, boxes answered, files opened.
#pragma once
#include "tests/e2e/ProgramProcess.h"

#include <memory>
#include <string>
#include <vector>

class Session {
public:
    explicit Session(const std::string& chipFile, const char* fault = "none", int lpt = 1);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HWND Main();
    // Presses a button and waits until the program is idle again, answering each message
    // box it shows on the way with OK; returns the texts of those boxes.
    std::vector<std::string> Press(int id);
    std::vector<std::string> AnswerBoxesUntilIdle();
    // The progress bar's caption.
    std::string Caption();
    // Opens `path` through the program's Open dialog, as a user types it and presses Open.
    std::vector<std::string> OpenHexFile(const std::string& path);

    std::unique_ptr<ProgramProcess> program;

private:
    HWND m_main = nullptr;
};
