// Test helpers shared by the fixture and real-file tests.
#include "tests/image/HexTestFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

HexParseResult LoadHexBytes(const std::vector<unsigned char>& fileBytes, FlashImage image) {
    ClearFlashImage(image);
    return ParseIntelHex(fileBytes.data(), fileBytes.size(), image);
}

std::optional<HexParseResult> LoadHexFileAsTheProgramDoes(const std::string& path,
                                                          FlashImage image) {
    if (!HexFileFitsBuffer(std::filesystem::file_size(path))) {
        return std::nullopt;
    }
    return LoadHexBytes(ReadWholeFile(path), image);
}
