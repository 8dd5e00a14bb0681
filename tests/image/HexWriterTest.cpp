// The HEX writer: its records are exactly what avr-objcopy writes for the same bytes, a flash
// read keeps what a file needs, an erased chip gives the end-of-file record alone, and a
// written file loads back to the same bytes.
#include "image/HexParser.h"
#include "image/HexWriter.h"
#include "tests/image/HexTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> SomeBytes(std::size_t count, unsigned seed) {
    std::vector<unsigned char> bytes(count);
    std::uint32_t state = seed;
    for (unsigned char& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

std::string Written(const std::vector<unsigned char>& bytes) {
    const std::uint32_t count = static_cast<std::uint32_t>(bytes.size());
    // Exactly the room IntelHexSize promises, so a write past it is a sanitizer report.
    std::vector<char> text(IntelHexSize(count));
    const std::size_t length = WriteIntelHex(bytes.data(), count, text.data(), text.size());
    EXPECT_EQ(length, text.size());
    return std::string(text.data(), length);
}

std::string AvrObjcopyHexOf(const std::vector<unsigned char>& bytes, const std::string& name) {
    const std::string bin = std::string(TAMBERLO_WRITER_WORK_DIR) + "/" + name + ".bin";
    const std::string hex = std::string(TAMBERLO_WRITER_WORK_DIR) + "/" + name + ".hex";
    std::ofstream(bin, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::string command =
        std::string("'") + TAMBERLO_AVR_OBJCOPY + "' -I binary -O ihex '" + bin + "' '" + hex + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<unsigned char> text = ReadWholeFile(hex);
    return std::string(text.begin(), text.end());
}

TEST(HexWriter, WritesWhatAvrObjcopyWritesForTheSameBytes) {
    // A byte, a word, records short of, at and past 16 bytes, a short last record, a whole
    // 32 KB flash, and the most that 16-bit addresses reach.
    for (const std::size_t count : {1, 2, 15, 16, 17, 4097, 32768, 0x10000}) {
        SCOPED_TRACE(count);
        const std::vector<unsigned char> bytes = SomeBytes(count, static_cast<unsigned>(count));
        EXPECT_EQ(Written(bytes), AvrObjcopyHexOf(bytes, "bytes_" + std::to_string(count)));
    }
}

TEST(HexWriter, AWhole32KFlashTakes92173Bytes) {
    EXPECT_EQ(IntelHexSize(32768), 92173u);
    EXPECT_EQ(Written(SomeBytes(32768, 1)).size(), 92173u);
}

TEST(HexWriter, NothingToWriteGivesTheEndOfFileRecordAlone) {
    char text[IntelHexSize(0)];
    ASSERT_EQ(sizeof text, 13u);
    ASSERT_EQ(WriteIntelHex(nullptr, 0, text, sizeof text), 13u);
    EXPECT_EQ(std::string(text, sizeof text), ":00000001FF\r\n");
}

TEST(HexWriter, RefusesWhatItCannotWriteWholeAndWritesNothing) {
    const std::vector<unsigned char> bytes = SomeBytes(0x10001, 7);
    const struct {
        std::uint32_t count;
        std::size_t size;
    } cases[] = {{16, IntelHexSize(16) - 1}, {0, 12}, {0x10001, IntelHexSize(0x10001)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<char> text(c.size, 'x');
        EXPECT_EQ(WriteIntelHex(bytes.data(), c.count, text.data(), text.size()), 0u);
        EXPECT_EQ(std::string(text.begin(), text.end()), std::string(c.size, 'x'));
    }
}

TEST(HexWriter, AFlashReadKeepsEverythingUpToItsLastProgrammedWord) {
    const struct {
        const char* name;
        std::uint32_t programmed; // the one byte that is not 0xFF, or kFlashImageSize: none
        std::uint32_t keep;
    } cases[] = {
        {"erased chip", kFlashImageSize, 0},
        {"low byte of word 0", 0, 2},
        {"high byte of word 0", 1, 2},
        {"low byte of word 5", 10, 12},
        {"high byte of the last word", kFlashImageSize - 1, kFlashImageSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> flash(kFlashImageSize, 0xFF);
        if (c.programmed < kFlashImageSize) {
            flash[c.programmed] = 0x00;
        }
        EXPECT_EQ(FlashBytesToKeep(flash.data(), kFlashImageSize), c.keep);
    }
    // An odd size (no flash has one) never gives more than it holds.
    const unsigned char three[3] = {0xFF, 0xFF, 0x12};
    EXPECT_EQ(FlashBytesToKeep(three, 3), 3u);
}

// A chip read whose program ends part way, with erased words inside it that are kept.
TEST(HexWriter, AWrittenFlashReadLoadsBackToTheSameBytes) {
    std::vector<unsigned char> flash = SomeBytes(kFlashImageSize, 3);
    std::fill(flash.begin() + 0x1000, flash.begin() + 0x1100, 0xFF);
    std::fill(flash.begin() + 0x5233, flash.end(), 0xFF);
    const std::uint32_t keep = FlashBytesToKeep(flash.data(), kFlashImageSize);
    ASSERT_EQ(keep, 0x5234u);

    const std::string text =
        Written(std::vector<unsigned char>(flash.begin(), flash.begin() + keep));
    unsigned char imageBytes[kFlashImageSize];
    std::uint32_t imageEnd = 0;
    FlashImage image{imageBytes, imageEnd};
    const HexParseResult result =
        LoadHexBytes(std::vector<unsigned char>(text.begin(), text.end()), image);
    ASSERT_EQ(result.status, HexParseStatus::Ok);
    EXPECT_EQ(imageEnd, keep - 1);
    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + keep, imageBytes));
}

} // namespace
