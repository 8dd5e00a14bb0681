// Reading Intel HEX records one after another, as the flash and the EEPROM parsers both do:
// the search for each record's mark, its fixed-width fields and its checksum test. What a
// record means is left to the parser that reads it. Portable; allocates nothing.
#ifndef TAMBERLO_IMAGE_HEXRECORDS_H
#define TAMBERLO_IMAGE_HEXRECORDS_H

#include "image/HexParser.h"

#include <cstddef>
#include <cstdint>

constexpr unsigned kHexRecordData = 0;
constexpr unsigned kHexRecordEndOfFile = 1;
constexpr unsigned kHexRecordExtendedSegmentAddress = 2;
constexpr unsigned kHexRecordExtendedLinearAddress = 4;

struct HexRecord {
    unsigned type;
    unsigned address;          // the 16-bit load address
    unsigned count;            // data bytes, 0 to 255
    const unsigned char* data; // the count decoded data bytes, valid until the next read
};

enum class HexReadStatus {
    Record,        // a record whose checksum holds
    ChecksumError, // a record whose bytes do not sum to 0 mod 256 (its fields are read all the
                   // same)
    NotIntelHex    // no ':' within reach of the read position, or the data end inside a record
};

// Reads records by position: every field has a fixed width after the ':' mark, and characters
// are not checked for being hex digits (the checksum judges the record instead). Reads no byte
// at or past `length`.
class HexRecordReader {
public:
    HexRecordReader(const unsigned char* data, std::size_t length)
        : m_data(data), m_length(length) {}

    // Reads the record after the last one into *record.
    HexReadStatus Next(HexRecord* record);

    // The 1-based line of the last record's ':' (LFs before it + 1).
    std::uint32_t RecordLine() const { return LineOfOffset(m_mark); }
    // After NotIntelHex, the 1-based line to show: of the first character after the last
    // record that is not a blank or a line break, of a record cut short by the end of the data,
    // or of the last character when the data end before another record.
    std::uint32_t StopLine() const { return LineOfOffset(m_stop); }

private:
    // The first character of data[from..end) that is not a blank or a line break; the last of
    // them (end - 1) when there is none.
    std::size_t FirstTextFrom(std::size_t from, std::size_t end) const;
    std::uint32_t LineOfOffset(std::size_t offset) const;

    const unsigned char* m_data;
    std::size_t m_length;
    std::size_t m_readPos = 0;
    std::size_t m_recordEnd = 0; // one past the last record's checksum
    std::size_t m_mark = 0;
    std::size_t m_stop = 0;
    unsigned char m_bytes[kRecordBufferSize] = {};
};

// The 16-bit value of an extended address record: its two data bytes, high byte first. A record
// of another length is read the same way, a missing byte as 0 and bytes past the second unused.
std::uint32_t ExtendedAddressValue(const HexRecord& record);

#endif
