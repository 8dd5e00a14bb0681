// Table-driven test of the EEPROM parser over the files in fixtures/eeprom/: each row names a
// file, the result, the message shown to the user, the count and end of the bytes present and
// which bytes those are (no other byte may be present).
#include "image/EepromHex.h"
#include "tests/image/HexTestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct EepromSpan {
    std::uint32_t address;
    std::vector<unsigned char> bytes;
};

struct EepromCase {
    const char* file;
    HexParseStatus status;
    std::string message;
    std::uint32_t count;
    std::uint32_t end;
    std::vector<EepromSpan> present;
};

std::vector<unsigned char> Sequence(unsigned first, unsigned count) {
    std::vector<unsigned char> bytes;
    for (unsigned i = 0; i < count; ++i) {
        bytes.push_back(static_cast<unsigned char>(first + i));
    }
    return bytes;
}

const std::string kOtherBaseTail =
    " for the data after it. tamberlo takes EEPROM data at addresses 0x0000 to 0x03FF as they "
    "stand, or at 0x810000 (extended linear address 0x0081) where avr-objcopy puts them, and no "
    "other extended address. Write the .eep with avr-objcopy -j .eeprom --change-section-lma "
    ".eeprom=0 -O ihex program.elf program.eep";
const std::string kNotIntelHexTail =
    ": no Intel HEX record starts where one should, or the file ends before its end-of-file "
    "record (:00000001FF). Choose the .eep file that avr-objcopy writes with -O ihex, not a "
    "binary or ELF file; copy it again if it was cut short.";

const EepromCase kCases[] = {
    {"holes_between_records.eep",
     HexParseStatus::Ok,
     "",
     7,
     0x101,
     {{0x000, {0x11, 0x22, 0x33, 0x44}}, {0x010, {0x55, 0x66}}, {0x100, {0x77}}}},
    // The later record wins the bytes both hold; each byte counts once.
    {"same_bytes_twice_count_once.eep",
     HexParseStatus::Ok,
     "",
     6,
     6,
     {{0, {0x01, 0x02, 0xAA, 0xBB, 0xCC, 0xDD}}}},
    {"data_ends_at_last_byte_loads.eep",
     HexParseStatus::Ok,
     "",
     16,
     1024,
     {{0x3F0, Sequence(0xF0, 16)}}},
    {"data_one_past_last_byte_fails.eep",
     HexParseStatus::DataBeyondEeprom,
     "Line 2: data at address 0x0400 does not fit the 1 KB EEPROM of the ATmega32, the largest "
     "EEPROM tamberlo writes. If this is a program's flash file, write its EEPROM data alone: "
     "avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex program.elf program.eep",
     0,
     0,
     {}},
    // avr-objcopy's address for the EEPROM when not told otherwise: 0x810000 + EEPROM address.
    {"objcopy_base_last_byte_loads.eep", HexParseStatus::Ok, "", 1, 1024, {{0x3FF, {0x5A}}}},
    {"objcopy_base_data_past_last_byte_fails.eep",
     HexParseStatus::DataBeyondEeprom,
     "Line 3: data at address 0x8103F8 (EEPROM address 0x03F8) does not fit the 1 KB EEPROM of "
     "the ATmega32, the largest EEPROM tamberlo writes. The program's EEPROM data (its EEMEM "
     "variables) must fit the EEPROM of the chip it is built for.",
     0,
     0,
     {}},
    {"both_bases_load_at_the_same_addresses.eep",
     HexParseStatus::Ok,
     "",
     3,
     0x21,
     {{0x00, {0xA0}}, {0x10, {0xB0}}, {0x20, {0xC0}}}},
    // 0x800000 is where avr-objcopy puts the RAM's initial data (.data), not the EEPROM.
    {"upper_address_other_than_0081_fails.eep",
     HexParseStatus::LinearAddressUnsupported,
     "Line 1: extended linear address 0x0080 sets base address 0x800000" + kOtherBaseTail,
     0,
     0,
     {}},
    // Segment 0x0010 leads to 0x100, inside the EEPROM: refused all the same, since the data
    // after it would land away from the addresses their records carry.
    {"segment_address_nonzero_fails.eep",
     HexParseStatus::SegmentAddressUnsupported,
     "Line 2: extended segment address 0x0010 sets base address 0x100" + kOtherBaseTail,
     0,
     0,
     {}},
    {"checksum_error_loads_nothing.eep",
     HexParseStatus::ChecksumError,
     "Line 3: the record's checksum does not match: the file is damaged or was edited by hand. "
     "Write it again with avr-objcopy.",
     0,
     0,
     {}},
    {"binary_file_is_not_intel_hex.eep",
     HexParseStatus::NotIntelHex,
     "Line 1" + kNotIntelHexTail,
     0,
     0,
     {}},
    {"no_end_of_file_record.eep",
     HexParseStatus::NotIntelHex,
     "Line 2" + kNotIntelHexTail,
     0,
     0,
     {}},
};

void PrintTo(const EepromCase& c, std::ostream* os) {
    *os << c.file;
}

class EepromHexFixture : public ::testing::TestWithParam<EepromCase> {};

TEST_P(EepromHexFixture, LoadsAsExpected) {
    const EepromCase& c = GetParam();
    const std::vector<unsigned char> file =
        ReadWholeFile(std::string(TAMBERLO_HEX_FIXTURE_DIR) + "/eeprom/" + c.file);
    // Left over from an earlier load: the parse must clear it.
    auto image = std::make_unique<EepromImage>();
    for (std::size_t i = 0; i < kEepromImageSize; ++i) {
        image->present[i] = true;
    }
    image->count = image->end = kEepromImageSize;

    const HexParseResult result = ParseEepromHex(file.data(), file.size(), image.get());

    char message[kHexMessageBufferSize];
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(FormatEepromHexMessage(result, message, sizeof message), c.message);
    EXPECT_EQ(image->count, c.count);
    EXPECT_EQ(image->end, c.end);
    std::vector<bool> expectedPresent(kEepromImageSize, false);
    for (const EepromSpan& span : c.present) {
        for (std::size_t i = 0; i < span.bytes.size(); ++i) {
            expectedPresent[span.address + i] = true;
            EXPECT_EQ(image->bytes[span.address + i], span.bytes[i])
                << "EEPROM byte " << span.address + i;
        }
    }
    for (std::size_t i = 0; i < kEepromImageSize; ++i) {
        ASSERT_EQ(image->present[i], expectedPresent[i]) << "EEPROM byte " << i;
    }
}

std::string CaseName(const ::testing::TestParamInfo<EepromCase>& info) {
    const std::string name = info.param.file;
    return name.substr(0, name.find('.'));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EepromHexFixture, ::testing::ValuesIn(kCases), CaseName);

} // namespace
