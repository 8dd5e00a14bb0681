// The system's error texts, read for the tests' expected messages.
#include "tests/harness/SystemText.h"

#include <cstring>

std::string SystemText(DWORD error, const std::string& insert) {
    char text[512] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     text, sizeof text, nullptr);
    std::string said = text;
    while (!said.empty() && std::strchr("\r\n ", said.back()) != nullptr)
        said.pop_back();
    const size_t at = said.find("%1");
    if (at != std::string::npos)
        said.replace(at, 2, insert);
    return said + " (error " + std::to_string(error) + ")";
}
