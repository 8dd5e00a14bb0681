// The bridge's platform under Wine: the block's Unix path turned into a Windows path,
// mapped with a file mapping (which Wine backs with a shared mmap of the same file),
// and the clock and waits of Win32.
#pragma once

#include "bridge/PortClient.h"

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
};

} // namespace bridge
