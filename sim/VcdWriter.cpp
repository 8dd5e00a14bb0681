// VCD output: one timestamp line per change, one-character signal ids.
#include "sim/VcdWriter.h"

namespace sim {

namespace {
constexpr char kIds[4] = {'r', 'c', 'o', 'i'};
constexpr const char* kNames[4] = {"RESET", "SCK", "MOSI", "MISO"};

bool Level(const LineLevels& l, int i) {
    switch (i) {
    case 0:
        return l.reset;
    case 1:
        return l.sck;
    case 2:
        return l.mosi;
    default:
        return l.miso;
    }
}
} // namespace

VcdWriter::VcdWriter(const std::string& path) : out_(path, std::ios::trunc) {
    if (!out_) {
        return;
    }
    out_ << "$version tamberlo simulated board $end\n$timescale 1 ns $end\n"
         << "$scope module cable $end\n";
    for (int i = 0; i < 4; ++i) {
        out_ << "$var wire 1 " << kIds[i] << ' ' << kNames[i] << " $end\n";
    }
    out_ << "$upscope $end\n$enddefinitions $end\n";
    ok_ = static_cast<bool>(out_);
}

VcdWriter::~VcdWriter() {
    out_.flush();
}

void VcdWriter::Record(std::uint64_t nowNs, const LineLevels& levels) {
    if (!ok_) {
        return;
    }
    bool stamped = false;
    for (int i = 0; i < 4; ++i) {
        const bool level = Level(levels, i);
        if (started_ && level == Level(last_, i)) {
            continue;
        }
        if (!stamped) {
            out_ << '#' << nowNs << '\n';
            stamped = true;
        }
        out_ << (level ? '1' : '0') << kIds[i] << '\n';
    }
    started_ = true;
    last_ = levels;
}

} // namespace sim
