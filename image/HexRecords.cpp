// The Intel HEX record reader shared by the flash and the EEPROM parsers.
#include "image/HexRecords.h"

namespace {

// A record is ':' + count(2) + address(4) + type(2) + data(2 * count) + checksum(2).
constexpr std::size_t kRecordOverheadChars = 11;
// The mark search looks at the character at the read position and the following ones.
constexpr std::size_t kMarkSearchChars = 255;

// Digit values for '0' (0x30) .. 'F' (0x46); ':' .. '@' sit between the digits and count as 0.
constexpr unsigned char kDigitTable[23] = {0, 1, 2, 3, 4, 5,  6,  7,  8,  9,  0, 0,
                                           0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15};

constexpr unsigned char DigitValue(unsigned u) {
    if (u >= '0' && u <= 'F') {
        return kDigitTable[u - '0'];
    }
    if (u >= 'a' && u <= 'f') {
        return static_cast<unsigned char>(10 + (u - 'a'));
    }
    return 0;
}

// The value of every character at once, so that decoding a byte is two table reads.
struct DigitValues {
    unsigned char of[256];
};

constexpr DigitValues MakeDigitValues() {
    DigitValues values = {};
    for (unsigned c = 0; c < 256; ++c) {
        values.of[c] = DigitValue(c);
    }
    return values;
}

constexpr DigitValues kDigitValues = MakeDigitValues();

unsigned DecodeByte(const unsigned char* chars) {
    return 16u * (kDigitValues.of[chars[0]] & 0x0Fu) + (kDigitValues.of[chars[1]] & 0x0Fu);
}

unsigned DecodeAddress(const unsigned char* chars) {
    return 256 * DecodeByte(chars) + DecodeByte(chars + 2);
}

} // namespace

int HexDigitValue(char c) {
    return kDigitValues.of[static_cast<unsigned char>(c)];
}

HexReadStatus HexRecordReader::Next(HexRecord* record) {
    std::size_t mark = m_readPos;
    const std::size_t searchEnd =
        (m_length - m_readPos < kMarkSearchChars) ? m_length : m_readPos + kMarkSearchChars;
    while (mark < searchEnd && m_data[mark] != ':') {
        ++mark;
    }
    if (mark >= searchEnd) {
        m_stop = FirstTextFrom(m_recordEnd, searchEnd);
        return HexReadStatus::NotIntelHex;
    }
    m_mark = mark;
    m_stop = mark;

    if (m_length - mark < kRecordOverheadChars) {
        return HexReadStatus::NotIntelHex;
    }
    const unsigned char* field = m_data + mark + 1;
    const unsigned count = DecodeByte(field);
    if (m_length - mark < kRecordOverheadChars + 2 * std::size_t{count}) {
        return HexReadStatus::NotIntelHex;
    }
    const unsigned address = DecodeAddress(field + 2);
    const unsigned type = DecodeByte(field + 6);

    unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
    const unsigned char* dataChars = field + 8;
    unsigned char* const bytes = m_bytes;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned value = DecodeByte(dataChars + 2 * i);
        bytes[i] = static_cast<unsigned char>(value);
        sum += value;
    }
    sum += DecodeByte(dataChars + 2 * std::size_t{count});

    *record = HexRecord{type, address, count, m_bytes};
    // The next search starts on this record's second checksum digit.
    m_readPos = mark + kRecordOverheadChars - 1 + 2 * std::size_t{count};
    m_recordEnd = m_readPos + 1;
    return sum % 256 == 0 ? HexReadStatus::Record : HexReadStatus::ChecksumError;
}

std::size_t HexRecordReader::FirstTextFrom(std::size_t from, std::size_t end) const {
    for (std::size_t i = from; i < end; ++i) {
        const unsigned char c = m_data[i];
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t') {
            return i;
        }
    }
    return end > 0 ? end - 1 : 0;
}

std::uint32_t HexRecordReader::LineOfOffset(std::size_t offset) const {
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < offset && i < m_length; ++i) {
        if (m_data[i] == '\n') {
            ++line;
        }
    }
    return line;
}

std::uint32_t ExtendedAddressValue(const HexRecord& record) {
    const std::uint32_t high = record.count > 0 ? record.data[0] : 0u;
    const std::uint32_t low = record.count > 1 ? record.data[1] : 0u;
    return 256 * high + low;
}
