// Loads every HEX file that generate_real_hex.sh made with avr-objcopy and srec_cat as the program
// does, size limit first: a file over 24576 bytes must be refused untouched, any other must leave
// the image up to the end index holding exactly the bytes objcopy reads from the same file.
#include "image/HexParser.h"
#include "tests/image/HexTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// The longest file the program reads, written out here rather than taken from the code.
constexpr std::uintmax_t kLongestFileLoaded = 24576;

std::vector<std::filesystem::path> HexFilesIn(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == ".hex") {
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
    const std::vector<std::filesystem::path> files = HexFilesIn(TAMBERLO_REAL_HEX_DIR);
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
    const std::filesystem::path atLimit = RealHexFile("padded_to_24576_bytes.hex");
    const std::filesystem::path pastLimit = RealHexFile("padded_to_24577_bytes.hex");
    ASSERT_EQ(std::filesystem::file_size(atLimit), 24576u);
    ASSERT_EQ(std::filesystem::file_size(pastLimit), 24577u);

    const std::optional<HexParseResult> result =
        LoadHexFileAsTheProgramDoes(atLimit.string(), image);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, HexParseStatus::Ok);
    EXPECT_EQ(imageEnd, kFlashImageSize - 1);

    EXPECT_FALSE(LoadHexFileAsTheProgramDoes(pastLimit.string(), image).has_value());
}

} // namespace
