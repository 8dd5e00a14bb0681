// The bridge client's platform natively: the shared block found as the DLL finds it
// (BlockOpening.h, through the C library), mapped with mmap; the monotonic clock. Lets
// the native tests talk to tamberlo-ppdev as the DLL does.
#pragma once

#include "bridge/BlockOpening.h"
#include "bridge/PortClient.h"

#include <string>

class PosixPlatform : public bridge::BridgePlatform {
public:
    // `defaultPlace`: the path is $XDG_RUNTIME_DIR/tamberlo/port.
    explicit PosixPlatform(std::string blockPath, bool defaultPlace = false)
        : m_place{std::move(blockPath), defaultPlace} {}
    bridge::SharedBlock* MapBlock() override;
    void UnmapBlock(bridge::SharedBlock* block) override;
    std::uint64_t NowUs() override;
    void Pause() override {}
    void YieldThread() override;
    unsigned Processors() override;
    void SleepMs(unsigned milliseconds) override;

    // What the last MapBlock found, and why when it found no block.
    bridge::BlockFound lastFound() const { return m_lastFound; }
    const std::string& lastMessage() const { return m_lastMessage; }

private:
    bridge::BlockPlace m_place;
    bridge::BlockFound m_lastFound = bridge::BlockFound::None;
    std::string m_lastMessage;
};
