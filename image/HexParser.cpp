// Intel HEX decoding into the flash image: data records at their 16-bit addresses, up to the
// end-of-file record. The records themselves are read by image/HexRecords.h.
#include "image/HexParser.h"

#include "image/HexRecords.h"

#include <cstring>

namespace {

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
    HexRecordReader reader(data, length);
    HexRecord record = {};
    for (;;) {
        const HexReadStatus read = reader.Next(&record);
        if (read == HexReadStatus::NotIntelHex) {
            return Fail(image, HexParseStatus::NotIntelHex, 0, 0);
        }
        if (read == HexReadStatus::ChecksumError) {
            return Fail(image, HexParseStatus::ChecksumError, reader.RecordLine(), record.address);
        }

        if (record.type == kHexRecordData && record.count > 0) {
            if (StoreRecord(image, record.address, record.data, record.count) == 0) {
                return Fail(image, HexParseStatus::DataBeyondFlash, reader.RecordLine(),
                            record.address);
            }
        } else if (record.type == kHexRecordEndOfFile) {
            return HexParseResult{HexParseStatus::Ok, 0, 0};
        } else if (record.type == kHexRecordExtendedSegmentAddress ||
                   record.type == kHexRecordExtendedLinearAddress) {
            // A zero value changes no address, so such records are harmless; any other value
            // would move the data after it away from the 16-bit addresses the flash takes.
            const std::uint32_t value = ExtendedAddressValue(record);
            if (value != 0) {
                const bool segment = record.type == kHexRecordExtendedSegmentAddress;
                return Fail(image,
                            segment ? HexParseStatus::SegmentAddressUnsupported
                                    : HexParseStatus::LinearAddressUnsupported,
                            reader.RecordLine(), segment ? value * 16 : value << 16);
            }
        }
    }
}
