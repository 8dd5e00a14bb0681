// libFuzzer target for the HEX parser core: any input must leave a consistent image and a
// message that fits its buffer. Reads past the input are caught by AddressSanitizer, since
// libFuzzer hands over an exactly-sized heap copy of each input.
#include "image/HexParser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

unsigned char gImageBytes[kFlashImageSize];
std::uint32_t gImageEnd;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckMessageFits(const HexParseResult& result, std::size_t size) {
    // An exactly-sized heap buffer: a write past it is a heap-buffer-overflow report.
    std::unique_ptr<char[]> buffer(new char[size == 0 ? 1 : size]);
    const char* text = FormatHexParseMessage(result, buffer.get(), size);
    if (size > 0) {
        Require(text == buffer.get());
        Require(std::memchr(buffer.get(), '\0', size) != nullptr);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FlashImage image{gImageBytes, gImageEnd};
    ClearFlashImage(image);
    const HexParseResult result = ParseIntelHex(data, size, image);

    Require(gImageEnd < kFlashImageSize);
    if (result.status != HexParseStatus::Ok) {
        Require(gImageEnd == 0);
    }

    CheckMessageFits(result, size % 97);
    CheckMessageFits(result, kHexMessageBufferSize);
    char large[kHexMessageBufferSize];
    FormatHexParseMessage(result, large, sizeof large);
    Require(std::strlen(large) + 1 < sizeof large);
    return 0;
}
