// User-facing texts for HEX loading results, written into caller-supplied fixed buffers so the
// dialog can show them in a message box without heap strings.
#include "image/HexParser.h"

#include "image/EepromHex.h"

#include <cstdio>

namespace {

// The end of both extended address messages, after the base address the record sets.
const char kExtendedAddressesUnsupported[] =
    " for the data after it. Extended addresses are not supported: every chip tamberlo programs, "
    "up to the 32 KB flash of the ATmega32, takes 16-bit addresses only.";

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
                      "Line %u: data at address 0x%04X does not fit the 32 KB flash of the "
                      "ATmega32, the largest chip tamberlo programs.",
                      line, address);
        return buffer;
    case HexParseStatus::SegmentAddressUnsupported:
        std::snprintf(buffer, size,
                      "Line %u: extended segment address 0x%04X sets base address 0x%X%s", line,
                      address / 16, address, kExtendedAddressesUnsupported);
        return buffer;
    case HexParseStatus::LinearAddressUnsupported:
        std::snprintf(buffer, size,
                      "Line %u: extended linear address 0x%04X sets base address 0x%X%s", line,
                      address >> 16, address, kExtendedAddressesUnsupported);
        return buffer;
    case HexParseStatus::DataBeyondEeprom: // only the EEPROM parser gives it
        return FormatEepromHexMessage(result, buffer, size);
    }
    return WriteEmpty(buffer, size);
}

const char* FormatHexFileTooLargeMessage(const char* fileName, char* buffer, std::size_t size) {
    if (size == 0) {
        return "";
    }
    std::snprintf(buffer, size,
                  "%s is too large: a HEX file for the 32 KB flash of the ATmega32, the largest "
                  "chip tamberlo programs, is at most %u bytes.",
                  fileName != nullptr ? fileName : "The file",
                  static_cast<unsigned>(kMaxHexFileSize));
    return buffer;
}
