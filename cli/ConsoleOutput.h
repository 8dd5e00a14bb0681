// CConsoleOutput: what the console program prints. Progress captions go to stdout, one line
// per step: on a console the caption of a step changes in place, in a file or a pipe each new
// caption is a line of its own. Results go to stdout, messages to stderr. --quiet leaves the
// errors and the data asked for (what --read-chip reads). Texts are 8-bit ANSI, as the
// window's; nothing is allocated.
#pragma once
#include <cstddef>
#include <cstdio>

class CConsoleOutput {
public:
    explicit CConsoleOutput(bool quiet);

    // A step's caption ("Erase", "Program Flash 37%", "Verfify Ok"); the same caption twice
    // in a row is shown once.
    void Caption(const char* text);
    // The step's line is complete (its last caption stays).
    void EndCaption();

    // Lines of a result on stdout (nothing with --quiet).
    void Report(const char* text);
    // Lines asked for, on stdout, with --quiet too.
    void Data(const char* text);
    // Lines for the user on stderr that are no error (nothing with --quiet).
    void Notice(const char* text);
    // An error on stderr, always.
    void Error(const char* text);

private:
    // The text and one line end (line ends at its end are dropped, so that every message ends
    // in exactly one).
    void Lines(std::FILE* stream, const char* text);

    static constexpr std::size_t kCaptionSize = 64;

    bool m_quiet;
    bool m_console;             // stdout is a console: captions change in place
    bool m_captionOpen = false; // a caption stands on the console's last line, unended
    char m_caption[kCaptionSize] = "";
};
