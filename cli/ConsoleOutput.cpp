// Captions in place with a carriage return, padded with blanks over a longer caption before
// them: every console since Windows XP shows that, where escape sequences to clear a line
// need Windows 10.
#include "cli/ConsoleOutput.h"

#include <windows.h>

#include <cstring>

namespace {

bool StdoutIsConsole() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

} // namespace

CConsoleOutput::CConsoleOutput(bool quiet) : m_quiet(quiet), m_console(StdoutIsConsole()) {}

void CConsoleOutput::Caption(const char* text) {
    if (m_quiet || std::strcmp(text, m_caption) == 0)
        return;
    const std::size_t before = std::strlen(m_caption);
    std::snprintf(m_caption, sizeof m_caption, "%s", text);
    const std::size_t length = std::strlen(m_caption);
    if (m_console) {
        const int blanks = before > length ? static_cast<int>(before - length) : 0;
        std::fprintf(stdout, "\r%s%*s", m_caption, blanks, "");
        m_captionOpen = true;
    } else {
        std::fprintf(stdout, "%s\n", m_caption);
    }
    std::fflush(stdout);
}

void CConsoleOutput::EndCaption() {
    if (m_captionOpen) {
        std::fputs("\n", stdout);
        std::fflush(stdout);
    }
    m_captionOpen = false;
    m_caption[0] = '\0';
}

void CConsoleOutput::Report(const char* text) {
    if (!m_quiet)
        Lines(stdout, text);
}

void CConsoleOutput::Data(const char* text) {
    Lines(stdout, text);
}

void CConsoleOutput::Notice(const char* text) {
    if (!m_quiet)
        Lines(stderr, text);
}

void CConsoleOutput::Error(const char* text) {
    Lines(stderr, text);
}

void CConsoleOutput::Lines(std::FILE* stream, const char* text) {
    EndCaption(); // a caption's line is not continued by another text
    std::size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    std::fwrite(text, 1, length, stream);
    std::fputs("\n", stream);
    std::fflush(stream);
}
