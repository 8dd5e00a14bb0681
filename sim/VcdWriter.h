// Value Change Dump trace of the programming lines (RESET, SCK, MOSI, MISO),
// readable by GTKWave and PulseView.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace sim {

struct LineLevels {
    bool reset, sck, mosi, miso;
};

class VcdWriter {
public:
    // Opens the file and writes the header; ok() tells whether that worked.
    explicit VcdWriter(const std::string& path);
    ~VcdWriter();
    bool ok() const { return ok_; }

    // Records whichever lines differ from the last recorded levels.
    void Record(std::uint64_t nowNs, const LineLevels& levels);

private:
    std::ofstream out_;
    bool ok_ = false;
    bool started_ = false;
    LineLevels last_{};
};

} // namespace sim
