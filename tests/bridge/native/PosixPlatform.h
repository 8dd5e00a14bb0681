// The bridge client's platform natively: the shared block mapped with mmap, the
// monotonic clock. Lets the native tests talk to tamberlo-ppdev as the DLL does.
#pragma once

#include "bridge/PortClient.h"

#include <string>

class PosixPlatform : public bridge::BridgePlatform {
public:
    explicit PosixPlatform(std::string blockPath) : m_path(std::move(blockPath)) {}
    bridge::SharedBlock* MapBlock() override;
    void UnmapBlock(bridge::SharedBlock* block) override;
    std::uint64_t NowUs() override;
    void Pause() override {}
    void YieldThread() override;
    unsigned Processors() override;
    void SleepMs(unsigned milliseconds) override;

private:
    std::string m_path;
};
