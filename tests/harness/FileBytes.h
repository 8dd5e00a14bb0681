// A whole file's bytes, for tests that look at what a program wrote or read.
#pragma once
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The whole file's bytes; none when it cannot be read.
inline std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}
