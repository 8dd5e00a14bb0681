// libFuzzer target for the HEX core: any input, read as a flash file and as an EEPROM file, must
// leave a consistent image and a message that fits its buffer; and the same input taken as
// memory bytes must be written as HEX that loads back to those bytes. Reads past the input are
// caught by AddressSanitizer, since libFuzzer hands over an exactly-sized heap copy of each input.
#include "image/EepromHex.h"
#include "image/HexParser.h"
#include "image/HexWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

unsigned char gImageBytes[kFlashImageSize];
std::uint32_t gImageEnd;
EepromImage gEeprom;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

template <typename Format>
void CheckMessageFits(const HexParseResult& result, std::size_t size, Format format) {
    // An exactly-sized heap buffer: a write past it is a heap-buffer-overflow report.
    std::unique_ptr<char[]> buffer(new char[size == 0 ? 1 : size]);
    const char* text = format(result, buffer.get(), size);
    if (size > 0) {
        Require(text == buffer.get());
        Require(std::memchr(buffer.get(), '\0', size) != nullptr);
    }
    char large[kHexMessageBufferSize];
    format(result, large, sizeof large);
    Require(std::strlen(large) + 1 < sizeof large);
    Require((result.status == HexParseStatus::Ok) == (large[0] == '\0'));
}

void CheckFlash(const std::uint8_t* data, std::size_t size) {
    FlashImage image{gImageBytes, gImageEnd};
    ClearFlashImage(image);
    const HexParseResult result = ParseIntelHex(data, size, image);
    Require(gImageEnd < kFlashImageSize);
    if (result.status != HexParseStatus::Ok) {
        Require(gImageEnd == 0);
    }
    CheckMessageFits(result, size % 97, FormatHexParseMessage);
}

void CheckEeprom(const std::uint8_t* data, std::size_t size) {
    std::memset(&gEeprom, 0x5A, sizeof gEeprom);
    const HexParseResult result = ParseEepromHex(data, size, &gEeprom);
    std::uint32_t present = 0;
    std::uint32_t end = 0;
    for (std::uint32_t i = 0; i < kEepromImageSize; ++i) {
        if (gEeprom.present[i]) {
            ++present;
            end = i + 1;
        }
    }
    Require(gEeprom.count == present && gEeprom.end == end);
    if (result.status != HexParseStatus::Ok) {
        Require(present == 0);
    }
    CheckMessageFits(result, size % 97, FormatEepromHexMessage);
}

void CheckWriterRoundTrip(const std::uint8_t* data, std::size_t size) {
    const std::uint32_t count =
        static_cast<std::uint32_t>(size < kFlashImageSize ? size : kFlashImageSize);
    const std::size_t textSize = IntelHexSize(count);
    std::unique_ptr<char[]> text(new char[textSize]);
    Require(WriteIntelHex(data, count, text.get(), textSize) == textSize);
    FlashImage image{gImageBytes, gImageEnd};
    ClearFlashImage(image);
    const HexParseResult result =
        ParseIntelHex(reinterpret_cast<const unsigned char*>(text.get()), textSize, image);
    Require(result.status == HexParseStatus::Ok);
    Require(count == 0 || std::memcmp(gImageBytes, data, count) == 0);
    Require(gImageEnd == (count <= 1 ? count : count - 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckFlash(data, size);
    CheckEeprom(data, size);
    CheckWriterRoundTrip(data, size);
    return 0;
}
