// User-facing texts for HEX loading results, written into caller-supplied fixed buffers so the
// dialog can show them in a message box without heap strings.
#include "image/HexParser.h"

#include <cstdio>

namespace {

const char* WriteEmpty(char* buffer, std::size_t size) {
    if (size > 0) {
        buffer[0] = '\0';
    }
    return buffer;
}

} // namespace

const char* FormatHexParseMessage(const HexParseResult& result, char* buffer, std::size_t size) {
    if (size == 0) {
        return "";
    }
    const unsigned line = static_cast<unsigned>(result.line);
    const unsigned address = static_cast<unsigned>(result.address);
    switch (result.status) {
    case HexParseStatus::Ok:
        return WriteEmpty(buffer, size);
    case HexParseStatus::NotIntelHex:
        std::snprintf(buffer, size, "%s", "File not intel hex format\n");
        return buffer;
    case HexParseStatus::ChecksumError:
        std::snprintf(buffer, size, "%s", "Check sum error");
        return buffer;
    case HexParseStatus::DataBeyondFlash:
        std::snprintf(buffer, size,
                      "Line %u: data at address 0x%04X does not fit the 8 KB flash of the "
                      "AT90S8535.",
                      line, address);
        return buffer;
    case HexParseStatus::ExtendedAddressBeyondFlash:
        std::snprintf(buffer, size,
                      "Line %u: extended address 0x%04X places data beyond the 8 KB flash of "
                      "the AT90S8535.",
                      line, address);
        return buffer;
    }
    return WriteEmpty(buffer, size);
}

const char* FormatHexFileTooLargeMessage(const char* fileName, char* buffer, std::size_t size) {
    if (size == 0) {
        return "";
    }
    std::snprintf(buffer, size,
                  "%s is too large for the AT90S8535: a HEX file for its 8 KB flash is at most "
                  "%u bytes.",
                  fileName != nullptr ? fileName : "The file",
                  static_cast<unsigned>(kMaxHexFileSize));
    return buffer;
}
