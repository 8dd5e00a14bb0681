// Chip file load/save with whole-file replacement; the lock, fuse and calibration bytes
// always travel together in one file.
#include "sim/ChipFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

namespace sim {

namespace fs = std::filesystem;

bool LoadChipFile(const std::string& path, const ChipModel& chip, ChipMemory* memory,
                  std::string* error) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        *memory = ChipMemory(chip);
        return true;
    }
    const auto size = fs::file_size(path, ec);
    if (ec) {
        *error = "chip file " + path + ": cannot read its size (" + ec.message() + ")";
        return false;
    }
    const std::size_t expected = ChipFileBytes(chip);
    const std::size_t withoutFuses = ChipFileBytesWithoutFuses(chip);
    if (size != expected && size != withoutFuses) {
        *error = "chip file " + path + " has " + std::to_string(size) + " bytes, expected " +
                 std::to_string(expected) + " for the " + chip.name + " (" +
                 std::to_string(chip.flashBytes) + " flash + " + std::to_string(chip.eepromBytes) +
                 " EEPROM + 1 lock" + (chip.spienBit != 0 ? "/fuse" : "") +
                 (chip.fuses.present ? " + 2 fuse + 4 calibration), or " +
                                           std::to_string(withoutFuses) + " without the fuses"
                                     : ")") +
                 "; refusing to use it";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(static_cast<std::size_t>(size));
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        *error = "chip file " + path + ": read failed";
        return false;
    }
    const auto* u = reinterpret_cast<const std::uint8_t*>(bytes.data());
    ChipMemory loaded(chip); // fuse and calibration bytes as shipped unless the file has them
    std::copy(u, u + chip.flashBytes, loaded.flash.begin());
    const std::uint8_t* at = u + chip.flashBytes;
    std::copy(at, at + chip.eepromBytes, loaded.eeprom.begin());
    at += chip.eepromBytes;
    loaded.lockFuse = *at++;
    if (chip.fuses.present && size == expected) {
        loaded.lowFuse = *at++;
        loaded.highFuse = *at++;
        std::copy(at, at + kCalibrationBytes, loaded.calibration.begin());
    }
    *memory = std::move(loaded);
    return true;
}

bool SaveChipFile(const std::string& path, const ChipMemory& memory, std::string* error) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(memory.flash.data()),
                  static_cast<std::streamsize>(memory.flash.size()));
        out.write(reinterpret_cast<const char*>(memory.eeprom.data()),
                  static_cast<std::streamsize>(memory.eeprom.size()));
        out.put(static_cast<char>(memory.lockFuse));
        if (memory.model->fuses.present) {
            out.put(static_cast<char>(memory.lowFuse));
            out.put(static_cast<char>(memory.highFuse));
            out.write(reinterpret_cast<const char*>(memory.calibration.data()),
                      static_cast<std::streamsize>(memory.calibration.size()));
        }
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
