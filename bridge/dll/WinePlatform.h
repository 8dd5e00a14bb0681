// The bridge's platform under Wine: the block found with Linux's own calls (every folder
// on its path checked, the file the very one its helper made: BlockOpening.h), mapped
// with a file mapping of that open file (which Wine backs with a shared mmap of it) and
// guarded against being cut short, and the clock and waits of Win32. What it refuses
// it says on the terminal's stderr.
#pragma once

#include "bridge/BlockOpening.h"
#include "bridge/PortClient.h"

#include <string>

namespace bridge {

class WinePlatform : public BridgePlatform {
public:
    SharedBlock* MapBlock() override;
    void UnmapBlock(SharedBlock* block) override;
    std::uint64_t NowUs() override;
    void Pause() override;
    void YieldThread() override;
    unsigned Processors() override;
    void SleepMs(unsigned milliseconds) override;

private:
    void Report(BlockFound found, const std::string& message);

    std::string m_lastRefusal; // said on the terminal already
};

} // namespace bridge
