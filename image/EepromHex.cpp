// EEPROM data from Intel HEX: data records at EEPROM addresses 0 to 1023, either as they stand
// or after the extended linear address 0x0081 that avr-objcopy writes for its .eeprom section.
#include "image/EepromHex.h"

#include "image/HexRecords.h"

#include <cstdio>
#include <cstring>

namespace {

// avr-objcopy gives the .eeprom section the address 0x810000 unless told otherwise, so its
// data follow an extended linear address record of 0x0081.
constexpr std::uint32_t kObjcopyEepromUpperAddress = 0x0081;
constexpr std::uint32_t kObjcopyEepromBase = kObjcopyEepromUpperAddress << 16;

void ClearEepromImage(EepromImage* image) {
    std::memset(image->bytes, 0xFF, sizeof image->bytes);
    std::memset(image->present, 0, sizeof image->present);
    image->count = 0;
    image->end = 0;
}

HexParseResult Fail(EepromImage* image, HexParseStatus status, std::uint32_t line,
                    std::uint32_t address) {
    ClearEepromImage(image);
    return HexParseResult{status, line, address};
}

// Stores a record at EEPROM address `address`; false when it would reach past the image.
bool StoreEepromRecord(EepromImage* image, std::uint32_t address, const HexRecord& record) {
    if (address >= kEepromImageSize || record.count > kEepromImageSize - address) {
        return false;
    }
    for (unsigned i = 0; i < record.count; ++i) {
        image->bytes[address + i] = record.data[i];
        if (!image->present[address + i]) {
            image->present[address + i] = true;
            ++image->count;
        }
    }
    if (address + record.count > image->end) {
        image->end = address + record.count;
    }
    return true;
}

// After "extended linear (segment) address 0x.... sets base address 0x...".
const char kNoEepromAtBase[] =
    " for the data after it. tamberlo takes EEPROM data at addresses 0x0000 to 0x03FF as they "
    "stand, or at 0x810000 (extended linear address 0x0081) where avr-objcopy puts them, and no "
    "other extended address. Write the .eep with avr-objcopy -j .eeprom --change-section-lma "
    ".eeprom=0 -O ihex program.elf program.eep";

} // namespace

HexParseResult ParseEepromHex(const unsigned char* data, std::size_t length, EepromImage* image) {
    ClearEepromImage(image);
    HexRecordReader reader(data, length);
    HexRecord record = {};
    // The address the extended address records set for the data records after them: 0, or
    // avr-objcopy's 0x810000; either way a record's own 16-bit address is its EEPROM address.
    std::uint32_t base = 0;
    for (;;) {
        const HexReadStatus read = reader.Next(&record);
        if (read == HexReadStatus::NotIntelHex) {
            return Fail(image, HexParseStatus::NotIntelHex, reader.StopLine(), 0);
        }
        if (read == HexReadStatus::ChecksumError) {
            return Fail(image, HexParseStatus::ChecksumError, reader.RecordLine(),
                        base + record.address);
        }

        if (record.type == kHexRecordData && record.count > 0) {
            if (!StoreEepromRecord(image, record.address, record)) {
                return Fail(image, HexParseStatus::DataBeyondEeprom, reader.RecordLine(),
                            base + record.address);
            }
        } else if (record.type == kHexRecordEndOfFile) {
            return HexParseResult{HexParseStatus::Ok, 0, 0};
        } else if (record.type == kHexRecordExtendedSegmentAddress) {
            const std::uint32_t segment = ExtendedAddressValue(record);
            if (segment != 0) {
                return Fail(image, HexParseStatus::SegmentAddressUnsupported, reader.RecordLine(),
                            segment * 16);
            }
            base = 0;
        } else if (record.type == kHexRecordExtendedLinearAddress) {
            const std::uint32_t upper = ExtendedAddressValue(record);
            if (upper != 0 && upper != kObjcopyEepromUpperAddress) {
                return Fail(image, HexParseStatus::LinearAddressUnsupported, reader.RecordLine(),
                            upper << 16);
            }
            base = upper << 16;
        }
    }
}

const char* FormatEepromHexMessage(const HexParseResult& result, char* buffer, std::size_t size) {
    if (size == 0) {
        return "";
    }
    buffer[0] = '\0';
    const unsigned line = static_cast<unsigned>(result.line);
    const unsigned address = static_cast<unsigned>(result.address);
    switch (result.status) {
    case HexParseStatus::Ok:
        break;
    case HexParseStatus::NotIntelHex:
        std::snprintf(buffer, size,
                      "Line %u: no Intel HEX record starts where one should, or the file ends "
                      "before its end-of-file record (:00000001FF). Choose the .eep file that "
                      "avr-objcopy writes with -O ihex, not a binary or ELF file; copy it again "
                      "if it was cut short.",
                      line);
        break;
    case HexParseStatus::ChecksumError:
        std::snprintf(buffer, size,
                      "Line %u: the record's checksum does not match: the file is damaged or was "
                      "edited by hand. Write it again with avr-objcopy.",
                      line);
        break;
    case HexParseStatus::DataBeyondFlash: // the flash parser's; EEPROM data never give it
    case HexParseStatus::DataBeyondEeprom:
        if (address >= kObjcopyEepromBase) {
            std::snprintf(buffer, size,
                          "Line %u: data at address 0x%X (EEPROM address 0x%04X) does not fit "
                          "the 1 KB EEPROM of the ATmega32, the largest EEPROM tamberlo writes. "
                          "The program's EEPROM data (its EEMEM variables) must fit the EEPROM "
                          "of the chip it is built for.",
                          line, address, address - kObjcopyEepromBase);
        } else {
            std::snprintf(buffer, size,
                          "Line %u: data at address 0x%04X does not fit the 1 KB EEPROM of the "
                          "ATmega32, the largest EEPROM tamberlo writes. If this is a program's "
                          "flash file, write its EEPROM data alone: avr-objcopy -j .eeprom "
                          "--change-section-lma .eeprom=0 -O ihex program.elf program.eep",
                          line, address);
        }
        break;
    case HexParseStatus::SegmentAddressUnsupported:
        std::snprintf(buffer, size,
                      "Line %u: extended segment address 0x%04X sets base address 0x%X%s", line,
                      address / 16, address, kNoEepromAtBase);
        break;
    case HexParseStatus::LinearAddressUnsupported:
        std::snprintf(buffer, size,
                      "Line %u: extended linear address 0x%04X sets base address 0x%X%s", line,
                      address >> 16, address, kNoEepromAtBase);
        break;
    }
    return buffer;
}
