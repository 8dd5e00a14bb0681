// Prints how long the parser takes for the largest load it faces: a full 32 KB image written as
// 16-byte CR LF records, padded with blanks between records to fill a 98304-byte file.
#include "image/HexParser.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kRecordDataBytes = 16;
constexpr std::size_t kRecordCount = kFlashImageSize / kRecordDataBytes;
// ':' count address type data checksum CR LF
constexpr std::size_t kRecordChars = 1 + 2 + 4 + 2 + 2 * kRecordDataBytes + 2 + 2;
constexpr char kEndRecord[] = ":00000001FF\r\n";
constexpr std::size_t kEndRecordChars = sizeof kEndRecord - 1;

unsigned char FlashByte(std::size_t index) {
    return static_cast<unsigned char>((index * 37u + 11u) & 0xFF);
}

std::size_t PutByte(unsigned char* out, std::size_t pos, unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    out[pos] = static_cast<unsigned char>(digits[(value >> 4) & 0xF]);
    out[pos + 1] = static_cast<unsigned char>(digits[value & 0xF]);
    return pos + 2;
}

std::vector<unsigned char> BuildFullFlashFile() {
    std::vector<unsigned char> file(kMaxHexFileSize, ' ');
    const std::size_t padding = kMaxHexFileSize - kRecordCount * kRecordChars - kEndRecordChars;
    std::size_t pos = 0;
    for (std::size_t r = 0; r < kRecordCount; ++r) {
        const unsigned address = static_cast<unsigned>(r * kRecordDataBytes);
        file[pos++] = ':';
        unsigned sum = kRecordDataBytes + (address >> 8) + (address & 0xFF);
        pos = PutByte(file.data(), pos, kRecordDataBytes);
        pos = PutByte(file.data(), pos, address >> 8);
        pos = PutByte(file.data(), pos, address & 0xFF);
        pos = PutByte(file.data(), pos, 0);
        for (std::size_t i = 0; i < kRecordDataBytes; ++i) {
            const unsigned char value = FlashByte(address + i);
            sum += value;
            pos = PutByte(file.data(), pos, value);
        }
        pos = PutByte(file.data(), pos, (256 - sum % 256) % 256);
        file[pos++] = '\r';
        file[pos++] = '\n';
        pos += padding / kRecordCount + (r < padding % kRecordCount ? 1 : 0);
    }
    std::copy(kEndRecord, kEndRecord + kEndRecordChars, file.begin() + pos);
    return file;
}

} // namespace

int main() {
    const std::vector<unsigned char> file = BuildFullFlashFile();
    static unsigned char imageBytes[kFlashImageSize];
    static std::uint32_t imageEnd;
    FlashImage image{imageBytes, imageEnd};

    ClearFlashImage(image);
    if (ParseIntelHex(file.data(), file.size(), image).status != HexParseStatus::Ok ||
        imageEnd != kFlashImageSize - 1) {
        std::fprintf(stderr, "benchmark file did not load as a full %zu-byte image\n",
                     kFlashImageSize);
        return 1;
    }
    for (std::size_t i = 0; i < kFlashImageSize; ++i) {
        if (imageBytes[i] != FlashByte(i)) {
            std::fprintf(stderr, "image byte %zu differs\n", i);
            return 1;
        }
    }

    constexpr int kRounds = 15;
    constexpr int kParsesPerRound = 200;
    std::vector<double> microsecondsPerParse;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kParsesPerRound; ++i) {
            ClearFlashImage(image);
            ParseIntelHex(file.data(), file.size(), image);
        }
        const std::chrono::duration<double, std::micro> elapsed =
            std::chrono::steady_clock::now() - start;
        microsecondsPerParse.push_back(elapsed.count() / kParsesPerRound);
    }
    std::sort(microsecondsPerParse.begin(), microsecondsPerParse.end());
    const double median = microsecondsPerParse[microsecondsPerParse.size() / 2];
    std::printf("HEX parse of a full %zu KB image from a %zu-byte file (clear + parse):\n",
                kFlashImageSize / 1024, file.size());
    std::printf("  best %.1f us, median %.1f us per load, %.0f MB/s at the median\n",
                microsecondsPerParse.front(), median, file.size() / median);
    return 0;
}
