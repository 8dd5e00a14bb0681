// Table-driven test of the HEX parser over the small files in fixtures/: each row names a file,
// the result, the message shown to the user, the end index and the bytes the image must hold
// (every other byte must still be 0x00).
#include "image/HexParser.h"
#include "tests/image/HexTestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct ImageSpan {
    std::uint32_t address;
    std::vector<unsigned char> bytes;
};

struct FixtureCase {
    const char* file;
    const char* loadedBefore; // another fixture loaded first into the same image, or nullptr
    HexParseStatus status;
    const char* message;
    std::uint32_t end;
    std::vector<ImageSpan> expectedBytes;
};

std::vector<unsigned char> Sequence(unsigned first, unsigned count) {
    std::vector<unsigned char> bytes;
    for (unsigned i = 0; i < count; ++i) {
        bytes.push_back(static_cast<unsigned char>(first + i));
    }
    return bytes;
}

const char* const kNotHex = "File not intel hex format\n";
const char* const kChecksum = "Check sum error";

const FixtureCase kCases[] = {
    {"mark_at_offset_254_loads.hex", nullptr, HexParseStatus::Ok, "", 1, {{0, {0x11, 0x22}}}},
    {"mark_at_offset_255_fails.hex", nullptr, HexParseStatus::NotIntelHex, kNotHex, 0, {}},
    {"gap_253_chars_between_records_loads.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     2,
     {{0, {0x11, 0x22, 0x33}}}},
    {"gap_254_chars_between_records_fails.hex",
     nullptr,
     HexParseStatus::NotIntelHex,
     kNotHex,
     0,
     {{0, {0x11, 0x22}}}},
    {"crlf_between_records.hex", nullptr, HexParseStatus::Ok, "", 5, {{0, {1, 2, 3, 4, 5, 6}}}},
    {"lf_between_records.hex", nullptr, HexParseStatus::Ok, "", 5, {{0, {1, 2, 3, 4, 5, 6}}}},
    {"nothing_between_records.hex", nullptr, HexParseStatus::Ok, "", 5, {{0, {1, 2, 3, 4, 5, 6}}}},
    // The record at 0x0100 comes first: the end index is still its last byte, not the last
    // record's, so Program and Verify reach every record.
    {"out_of_order_highest_record_sets_end.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0x10F,
     {{0x0000, Sequence(0xA0, 16)}, {0x0100, Sequence(0x10, 16)}}},
    // Byte 0 alone would give end index 0, "nothing loaded"; 1 is in the same word 0, so the
    // file loads and Program and Verify walk word 0 only.
    {"single_byte_at_zero.hex", nullptr, HexParseStatus::Ok, "", 1, {{0, {0x5A}}}},
    {"count_zero_data_record_stores_nothing.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0x13,
     {{0x10, {1, 2, 3, 4}}}},
    {"bad_eof_checksum.hex", nullptr, HexParseStatus::ChecksumError, kChecksum, 0, {{0, {1, 2}}}},
    {"bad_data_checksum_stores_nothing.hex",
     nullptr,
     HexParseStatus::ChecksumError,
     kChecksum,
     0,
     {{0, {1, 2}}}},
    {"text_after_eof_ignored.hex", nullptr, HexParseStatus::Ok, "", 1, {{0, {0xC3, 0x3C}}}},
    {"eof_record_with_data.hex", nullptr, HexParseStatus::Ok, "", 1, {{0, {0x42, 0x24}}}},
    {"zero_extended_address_records_ignored.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0x20,
     {{0x20, {0xEE}}}},
    {"start_address_records_ignored.hex", nullptr, HexParseStatus::Ok, "", 1, {{0, {0x0C, 0x94}}}},
    {"non_hex_digits_count_as_zero.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0x13,
     {{0x10, {0x10, 0x05, 0x07, 0x00}}}},
    {"lower_case_digits.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0xAE,
     {{0xAB, {0xDE, 0xAD, 0xBE, 0xEF}}}},
    {"single_byte_at_zero.hex",
     "out_of_order_highest_record_sets_end.hex",
     HexParseStatus::Ok,
     "",
     1,
     {{0, {0x5A}}}},
    {"empty.hex", nullptr, HexParseStatus::NotIntelHex, kNotHex, 0, {}},
    {"no_eof_record.hex", nullptr, HexParseStatus::NotIntelHex, kNotHex, 0, {{0, {1, 2, 3}}}},
    {"record_runs_past_data_end.hex",
     nullptr,
     HexParseStatus::NotIntelHex,
     kNotHex,
     0,
     {{0, {1, 2, 3}}}},
    {"data_ends_at_flash_end_loads.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0x7FFF,
     {{0x7FF0, Sequence(0, 16)}}},
    {"data_past_flash_end_fails.hex",
     nullptr,
     HexParseStatus::DataBeyondFlash,
     "Line 3: data at address 0x7FF8 does not fit the 32 KB flash of the ATmega32, the largest "
     "chip tamberlo programs.",
     0,
     {{0, {0xAA}}}},
    {"data_starts_past_flash_end_fails.hex",
     nullptr,
     HexParseStatus::DataBeyondFlash,
     "Line 1: data at address 0x8000 does not fit the 32 KB flash of the ATmega32, the largest "
     "chip tamberlo programs.",
     0,
     {}},
    {"extended_linear_address_nonzero_fails.hex",
     nullptr,
     HexParseStatus::LinearAddressUnsupported,
     "Line 1: extended linear address 0x0001 sets base address 0x10000 for the data after it. "
     "Extended addresses are not supported: every chip tamberlo programs, up to the 32 KB "
     "flash of the ATmega32, takes 16-bit addresses only.",
     0,
     {}},
    {"extended_segment_address_nonzero_fails.hex",
     nullptr,
     HexParseStatus::SegmentAddressUnsupported,
     "Line 2: extended segment address 0x1000 sets base address 0x10000 for the data after it. "
     "Extended addresses are not supported: every chip tamberlo programs, up to the 32 KB "
     "flash of the ATmega32, takes 16-bit addresses only.",
     0,
     {{0, {1}}}},
    // Segment 0x0100 leads to 0x1000, inside the flash: refused all the same, since the data
    // after it would land 4 KB away from the addresses its records carry.
    {"extended_segment_address_inside_flash_fails.hex",
     nullptr,
     HexParseStatus::SegmentAddressUnsupported,
     "Line 1: extended segment address 0x0100 sets base address 0x1000 for the data after it. "
     "Extended addresses are not supported: every chip tamberlo programs, up to the 32 KB "
     "flash of the ATmega32, takes 16-bit addresses only.",
     0,
     {}},
    {"extended_address_bytes_past_the_second_ignored.hex",
     nullptr,
     HexParseStatus::Ok,
     "",
     0x10,
     {{0x10, {0x55}}}},
};

std::string FixturePath(const char* file) {
    return std::string(TAMBERLO_HEX_FIXTURE_DIR) + "/" + file;
}

// Names the row by its file in test output instead of dumping its bytes.
void PrintTo(const FixtureCase& c, std::ostream* os) {
    *os << c.file;
}

class HexParserFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(HexParserFixture, LoadsAsExpected) {
    const FixtureCase& c = GetParam();
    unsigned char imageBytes[kFlashImageSize];
    std::uint32_t imageEnd = 0;
    FlashImage image{imageBytes, imageEnd};
    ClearFlashImage(image);

    if (c.loadedBefore != nullptr) {
        ASSERT_EQ(LoadHexBytes(ReadWholeFile(FixturePath(c.loadedBefore)), image).status,
                  HexParseStatus::Ok);
    }
    const HexParseResult result = LoadHexBytes(ReadWholeFile(FixturePath(c.file)), image);

    char message[kHexMessageBufferSize];
    EXPECT_EQ(result.status, c.status);
    EXPECT_STREQ(FormatHexParseMessage(result, message, sizeof message), c.message);
    EXPECT_EQ(imageEnd, c.end);

    unsigned char expected[kFlashImageSize] = {};
    for (const ImageSpan& span : c.expectedBytes) {
        std::memcpy(expected + span.address, span.bytes.data(), span.bytes.size());
    }
    for (std::size_t i = 0; i < kFlashImageSize; ++i) {
        ASSERT_EQ(imageBytes[i], expected[i]) << "image byte " << i;
    }
}

std::string CaseName(const ::testing::TestParamInfo<FixtureCase>& info) {
    std::string name = info.param.file;
    name = name.substr(0, name.find('.'));
    if (info.param.loadedBefore != nullptr) {
        name += "_after_another_file";
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, HexParserFixture, ::testing::ValuesIn(kCases), CaseName);

} // namespace
