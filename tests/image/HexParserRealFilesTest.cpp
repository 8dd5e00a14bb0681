// Loads every HEX file that generate_real_hex.sh made with avr-objcopy and srec_cat and checks
// that the image up to the end index holds exactly the bytes objcopy reads from the same file.
#include "image/HexParser.h"
#include "tests/image/HexTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

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

TEST(HexParserRealFiles, LoadSameBytesAsObjcopy) {
    const std::vector<std::filesystem::path> files = HexFilesIn(TAMBERLO_REAL_HEX_DIR);
    ASSERT_FALSE(files.empty()) << "generate_real_hex.sh wrote no files to "
                                << TAMBERLO_REAL_HEX_DIR;

    unsigned char imageBytes[kFlashImageSize];
    std::uint32_t imageEnd = 0;
    FlashImage image{imageBytes, imageEnd};
    for (const std::filesystem::path& hexPath : files) {
        SCOPED_TRACE(hexPath.filename().string());
        std::filesystem::path binPath = hexPath;
        binPath.replace_extension(".bin");
        const std::vector<unsigned char> expected = ReadWholeFile(binPath.string());
        ASSERT_FALSE(expected.empty());
        ASSERT_LE(expected.size(), kFlashImageSize);

        const HexParseResult result = LoadHexBytes(ReadWholeFile(hexPath.string()), image);

        ASSERT_EQ(result.status, HexParseStatus::Ok);
        ASSERT_EQ(imageEnd + 1, expected.size());
        ASSERT_EQ(std::memcmp(imageBytes, expected.data(), expected.size()), 0);
    }
}

} // namespace
