// Loads every HEX file that generate_real_hex.sh made with avr-objcopy and srec_cat as the program
// does, size limit first: a file over 98304 bytes must be refused untouched, any other must leave
// the image up to the end index holding exactly the bytes objcopy reads from the same file. The
// .eep files avr-objcopy wrote of a program's EEPROM data load as the section's bytes.
#include "image/EepromHex.h"
#include "image/HexParser.h"
#include "tests/image/HexTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// The longest file the program reads, written out here rather than taken from the code.
constexpr std::uintmax_t kLongestFileLoaded = 98304;

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& dir,
                                           const char* extension) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == extension) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::filesystem::path RealHexFile(const char* name) {
    return std::filesystem::path(TAMBERLO_REAL_HEX_DIR) / name;
}

class HexParserRealFiles : public ::testing::Test {
protected:
    unsigned char imageBytes[kFlashImageSize];
    std::uint32_t imageEnd = 0;
    FlashImage image{imageBytes, imageEnd};
};

TEST_F(HexParserRealFiles, LoadSameBytesAsObjcopyOrAreRefusedForTheirSize) {
    const std::vector<std::filesystem::path> files = FilesIn(TAMBERLO_REAL_HEX_DIR, ".hex");
    ASSERT_FALSE(files.empty()) << "generate_real_hex.sh wrote no files to "
                                << TAMBERLO_REAL_HEX_DIR;

    unsigned loaded = 0;
    unsigned refused = 0;
    for (const std::filesystem::path& hexPath : files) {
        SCOPED_TRACE(hexPath.filename().string());
        std::memset(imageBytes, 0x5A, sizeof imageBytes);
        imageEnd = 77;

        const std::optional<HexParseResult> result =
            LoadHexFileAsTheProgramDoes(hexPath.string(), image);

        if (std::filesystem::file_size(hexPath) > kLongestFileLoaded) {
            ASSERT_FALSE(result.has_value()) << "a file over the limit must be refused";
            ASSERT_EQ(imageEnd, 77u);
            ASSERT_TRUE(std::all_of(std::begin(imageBytes), std::end(imageBytes),
                                    [](unsigned char b) { return b == 0x5A; }));
            ++refused;
            continue;
        }
        std::filesystem::path binPath = hexPath;
        binPath.replace_extension(".bin");
        const std::vector<unsigned char> expected = ReadWholeFile(binPath.string());
        ASSERT_FALSE(expected.empty());
        ASSERT_LE(expected.size(), kFlashImageSize);

        ASSERT_TRUE(result.has_value()) << "a file within the limit must be loaded";
        ASSERT_EQ(result->status, HexParseStatus::Ok);
        ASSERT_EQ(imageEnd + 1, expected.size());
        ASSERT_EQ(std::memcmp(imageBytes, expected.data(), expected.size()), 0);
        ++loaded;
    }
    // Full-flash files with short records exceed the limit; those with long records do not.
    EXPECT_GT(loaded, 0u);
    EXPECT_GT(refused, 0u);
}

TEST_F(HexParserRealFiles, AFileOfExactlyTheLimitLoadsAndOneByteMoreIsRefused) {
    const std::filesystem::path atLimit = RealHexFile("padded_to_98304_bytes.hex");
    const std::filesystem::path pastLimit = RealHexFile("padded_to_98305_bytes.hex");
    ASSERT_EQ(std::filesystem::file_size(atLimit), 98304u);
    ASSERT_EQ(std::filesystem::file_size(pastLimit), 98305u);

    const std::optional<HexParseResult> result =
        LoadHexFileAsTheProgramDoes(atLimit.string(), image);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, HexParseStatus::Ok);
    EXPECT_EQ(imageEnd, kFlashImageSize - 1);

    EXPECT_FALSE(LoadHexFileAsTheProgramDoes(pastLimit.string(), image).has_value());
}

// Each program with EEPROM data gives two .eep files: one written with --change-section-lma
// .eeprom=0, one at avr-objcopy's own 0x810000 (an extended linear address record 0x0081).
TEST(EepromRealFiles, EepFilesLoadTheSectionBytesWithOrWithoutTheAddressChange) {
    const std::vector<std::filesystem::path> files = FilesIn(TAMBERLO_REAL_HEX_DIR, ".eep");
    unsigned atObjcopyBase = 0;
    for (const std::filesystem::path& eepPath : files) {
        SCOPED_TRACE(eepPath.filename().string());
        const std::vector<unsigned char> text = ReadWholeFile(eepPath.string());
        const std::vector<unsigned char> expected = ReadWholeFile(eepPath.string() + ".bin");
        ASSERT_FALSE(expected.empty());
        const std::string upperAddress0081 = ":020000040081";
        if (std::search(text.begin(), text.end(), upperAddress0081.begin(),
                        upperAddress0081.end()) != text.end()) {
            ++atObjcopyBase;
        }

        auto image = std::make_unique<EepromImage>();
        const HexParseResult result = ParseEepromHex(text.data(), text.size(), image.get());
        ASSERT_EQ(result.status, HexParseStatus::Ok);
        ASSERT_EQ(image->count, expected.size());
        ASSERT_EQ(image->end, expected.size());
        for (std::size_t i = 0; i < kEepromImageSize; ++i) {
            ASSERT_EQ(image->present[i], i < expected.size()) << "EEPROM byte " << i;
        }
        ASSERT_EQ(std::memcmp(image->bytes, expected.data(), expected.size()), 0);
    }
    EXPECT_EQ(files.size(), 2 * atObjcopyBase) << "one of each for every program";
    EXPECT_GT(atObjcopyBase, 0u);
}

} // namespace
