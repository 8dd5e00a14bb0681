// The EEPROM file's load and a read's Intel HEX file.
#include "app/MemoryFiles.h"

#include "app/ChipMessages.h"
#include "app/FileAccess.h"
#include "image/EepromHex.h"
#include "image/HexWriter.h"

#include <cstdio>

const char* LoadEepromFile(const char* name, unsigned char* text, std::size_t capacity,
                           EepromImage* image, char* message, std::size_t size) {
    std::uint32_t length = 0;
    switch (ReadWholeFile(name, text, capacity, &length, message, size)) {
    case FileRead::Ok:
        break;
    case FileRead::TooLarge: {
        char path[MAX_PATH];
        FullPath(name, path);
        return EepromFileTooLargeText(path, capacity, message, size);
    }
    case FileRead::Failed:
        return message;
    }
    const HexParseResult parsed = ParseEepromHex(text, length, image);
    if (parsed.status == HexParseStatus::Ok)
        return nullptr;
    return FormatEepromHexMessage(parsed, message, size);
}

bool SaveMemoryFile(const char* memory, const OperationResult& result, const unsigned char* data,
                    std::uint32_t count, const char* name, char* hexText, std::size_t hexSize,
                    char* message, std::size_t size) {
    const std::size_t length = WriteIntelHex(data, count, hexText, hexSize);
    if (length == 0) {
        std::snprintf(message, size,
                      "The %s read (%u bytes) does not fit an Intel HEX text of this program.",
                      memory, static_cast<unsigned>(count));
        return false;
    }
    if (!ReplaceWholeFile(name, hexText, length, message, size))
        return false;
    char path[MAX_PATH];
    FullPath(name, path);
    MemoryReadText(memory, result, count, path, message, size);
    return true;
}
