// Intel HEX output, record by record, into a caller's fixed buffer.
#include "image/HexWriter.h"

namespace {

constexpr std::uint32_t kRecordDataBytes = 16;
// Without address records, data records reach byte 0xFFFF at most.
constexpr std::uint32_t kLargestCountWithoutAddressRecords = 0x10000;
constexpr unsigned char kErased = 0xFF;
constexpr char kDigits[] = "0123456789ABCDEF";
constexpr char kEndOfFileRecord[] = ":00000001FF\r\n";

char* PutByte(char* out, unsigned value) {
    out[0] = kDigits[(value >> 4) & 0x0F];
    out[1] = kDigits[value & 0x0F];
    return out + 2;
}

// One data record of `count` bytes for `address`, CR LF included; returns the end of it.
char* PutDataRecord(char* out, std::uint32_t address, const unsigned char* bytes,
                    std::uint32_t count) {
    const unsigned high = (address >> 8) & 0xFF;
    const unsigned low = address & 0xFF;
    unsigned sum = count + high + low;
    *out++ = ':';
    out = PutByte(out, count);
    out = PutByte(out, high);
    out = PutByte(out, low);
    out = PutByte(out, 0x00);
    for (std::uint32_t i = 0; i < count; ++i) {
        sum += bytes[i];
        out = PutByte(out, bytes[i]);
    }
    out = PutByte(out, (0x100 - (sum & 0xFF)) & 0xFF);
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

} // namespace

std::uint32_t FlashBytesToKeep(const unsigned char* flash, std::uint32_t size) {
    std::uint32_t keep = size;
    while (keep > 0 && flash[keep - 1] == kErased) {
        --keep;
    }
    // Whole words: a word whose low byte alone is programmed keeps its erased high byte.
    const std::uint32_t words = keep / 2 + keep % 2;
    return words * 2 <= size ? words * 2 : size;
}

std::size_t WriteIntelHex(const unsigned char* data, std::uint32_t count, char* text,
                          std::size_t size) {
    if (count > kLargestCountWithoutAddressRecords || size < IntelHexSize(count)) {
        return 0;
    }
    char* out = text;
    for (std::uint32_t address = 0; address < count; address += kRecordDataBytes) {
        const std::uint32_t left = count - address;
        out = PutDataRecord(out, address, data + address,
                            left < kRecordDataBytes ? left : kRecordDataBytes);
    }
    for (const char* c = kEndOfFileRecord; *c != '\0'; ++c) {
        *out++ = *c;
    }
    return static_cast<std::size_t>(out - text);
}
