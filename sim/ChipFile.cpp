// Chip file load/save with whole-file replacement.
#include "sim/ChipFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace sim {

namespace fs = std::filesystem;

bool LoadChipFile(const std::string& path, ChipMemory* memory, std::string* error) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        *memory = ChipMemory{};
        return true;
    }
    const auto size = fs::file_size(path, ec);
    if (ec) {
        *error = "chip file " + path + ": cannot read its size (" + ec.message() + ")";
        return false;
    }
    if (size != kChipFileBytes) {
        *error = "chip file " + path + " has " + std::to_string(size) + " bytes, expected " +
                 std::to_string(kChipFileBytes) +
                 " (8192 flash + 512 EEPROM + 1 lock/fuse); refusing to use it";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    char bytes[kChipFileBytes];
    if (!in.read(bytes, sizeof bytes)) {
        *error = "chip file " + path + ": read failed";
        return false;
    }
    const auto* u = reinterpret_cast<const std::uint8_t*>(bytes);
    std::copy(u, u + kFlashBytes, memory->flash.begin());
    std::copy(u + kFlashBytes, u + kFlashBytes + kEepromBytes, memory->eeprom.begin());
    memory->lockFuse = u[kFlashBytes + kEepromBytes];
    return true;
}

bool SaveChipFile(const std::string& path, const ChipMemory& memory, std::string* error) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(memory.flash.data()), kFlashBytes);
        out.write(reinterpret_cast<const char*>(memory.eeprom.data()), kEepromBytes);
        out.put(static_cast<char>(memory.lockFuse));
        out.close();
        if (!out) {
            *error = "chip file " + path + ": cannot write " + temp;
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        // Some runtimes refuse to rename over an existing file.
        fs::remove(path, ec);
        fs::rename(temp, path, ec);
    }
    if (ec) {
        *error = "chip file " + path + ": cannot replace it (" + ec.message() + ")";
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace sim
