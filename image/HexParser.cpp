// Intel HEX record decoding into the flash image. Records are read by position: every field has
// a fixed width after the ':' mark, and characters are not checked for being hex digits (the
// checksum judges the record instead).
#include "image/HexParser.h"

#include <cstring>

namespace {

// A record is ':' + count(2) + address(4) + type(2) + data(2 * count) + checksum(2).
constexpr std::size_t kRecordOverheadChars = 11;
// The mark search looks at the character at the read position and the following ones.
constexpr std::size_t kMarkSearchChars = 255;

constexpr int kTypeData = 0;
constexpr int kTypeEndOfFile = 1;
constexpr int kTypeExtendedSegmentAddress = 2;
constexpr int kTypeExtendedLinearAddress = 4;

// Digit values for '0' (0x30) .. 'F' (0x46); ':' .. '@' sit between the digits and count as 0.
constexpr unsigned char kDigitTable[23] = {0, 1, 2, 3, 4, 5,  6,  7,  8,  9,  0, 0,
                                           0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15};

unsigned DecodeByte(const unsigned char* chars) {
    const unsigned high = static_cast<unsigned>(HexDigitValue(static_cast<char>(chars[0]))) & 0x0F;
    const unsigned low = static_cast<unsigned>(HexDigitValue(static_cast<char>(chars[1]))) & 0x0F;
    return 16 * high + low;
}

unsigned DecodeAddress(const unsigned char* chars) {
    return 256 * DecodeByte(chars) + DecodeByte(chars + 2);
}

// The 16-bit value of an extended address record: its two data bytes, high byte first. A record
// of another length is read the same way, a missing byte as 0 and bytes past the second unused.
std::uint32_t ExtendedAddressValue(const unsigned char* record, unsigned count) {
    const std::uint32_t high = count > 0 ? record[0] : 0u;
    const std::uint32_t low = count > 1 ? record[1] : 0u;
    return 256 * high + low;
}

std::uint32_t LineOfOffset(const unsigned char* data, std::size_t offset) {
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (data[i] == '\n') {
            ++line;
        }
    }
    return line;
}

HexParseResult Fail(FlashImage image, HexParseStatus status, std::uint32_t line,
                    std::uint32_t address) {
    image.end = 0;
    return HexParseResult{status, line, address};
}

} // namespace

bool HexFileFitsBuffer(std::uint64_t fileLength) {
    return fileLength <= kMaxHexFileSize;
}

void ClearFlashImage(FlashImage image) {
    std::memset(image.bytes, 0x00, kFlashImageSize);
    image.end = 0;
}

int HexDigitValue(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= '0' && u <= 'F') {
        return kDigitTable[u - '0'];
    }
    if (u >= 'a' && u <= 'f') {
        return 10 + (u - 'a');
    }
    return 0;
}

int StoreRecord(FlashImage image, std::uint32_t address, const unsigned char* data,
                std::size_t count) {
    if (count == 0 || address >= kFlashImageSize || count > kFlashImageSize - address) {
        return 0;
    }
    std::memcpy(image.bytes + address, data, count);
    // The highest index stored, so records in any order are all programmed and verified.
    // Byte 0 alone would give 0, which means "nothing loaded"; 1 lies in the same word 0,
    // so Program and Verify walk exactly what an end index of 0 would have them walk.
    const std::uint32_t last = static_cast<std::uint32_t>(address + count - 1);
    const std::uint32_t end = last == 0 ? 1 : last;
    if (end > image.end) {
        image.end = end;
    }
    return 1;
}

HexParseResult ParseIntelHex(const unsigned char* data, std::size_t length, FlashImage image) {
    unsigned char record[kRecordBufferSize];
    std::size_t readPos = 0;

    for (;;) {
        std::size_t mark = readPos;
        const std::size_t searchEnd =
            (length - readPos < kMarkSearchChars) ? length : readPos + kMarkSearchChars;
        while (mark < searchEnd && data[mark] != ':') {
            ++mark;
        }
        if (mark >= searchEnd) {
            return Fail(image, HexParseStatus::NotIntelHex, 0, 0);
        }

        if (length - mark < kRecordOverheadChars) {
            return Fail(image, HexParseStatus::NotIntelHex, 0, 0);
        }
        const unsigned char* field = data + mark + 1;
        const unsigned count = DecodeByte(field);
        if (length - mark < kRecordOverheadChars + 2 * std::size_t{count}) {
            return Fail(image, HexParseStatus::NotIntelHex, 0, 0);
        }
        const unsigned address = DecodeAddress(field + 2);
        const unsigned type = DecodeByte(field + 6);

        unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
        const unsigned char* dataChars = field + 8;
        for (unsigned i = 0; i < count; ++i) {
            record[i] = static_cast<unsigned char>(DecodeByte(dataChars + 2 * i));
            sum += record[i];
        }
        const unsigned char* checksumChars = dataChars + 2 * std::size_t{count};
        sum += DecodeByte(checksumChars);

        if (sum % 256 != 0) {
            return Fail(image, HexParseStatus::ChecksumError, LineOfOffset(data, mark), address);
        }

        if (type == kTypeData && count > 0) {
            if (StoreRecord(image, address, record, count) == 0) {
                return Fail(image, HexParseStatus::DataBeyondFlash, LineOfOffset(data, mark),
                            address);
            }
        } else if (type == kTypeEndOfFile) {
            return HexParseResult{HexParseStatus::Ok, 0, 0};
        } else if (type == kTypeExtendedSegmentAddress || type == kTypeExtendedLinearAddress) {
            // A zero value changes no address, so such records are harmless; any other value
            // would move the data after it away from the 16-bit addresses the flash takes.
            const std::uint32_t value = ExtendedAddressValue(record, count);
            if (value != 0) {
                const bool segment = type == kTypeExtendedSegmentAddress;
                return Fail(image,
                            segment ? HexParseStatus::SegmentAddressUnsupported
                                    : HexParseStatus::LinearAddressUnsupported,
                            LineOfOffset(data, mark), segment ? value * 16 : value << 16);
            }
        }

        // The next search starts on this record's second checksum digit.
        readPos = mark + kRecordOverheadChars - 1 + 2 * std::size_t{count};
    }
}
