// One program per shared block: the claim a program takes on the block with a
// compare-and-swap and keeps alive by counting the block's `clientBeat` up (from a
// thread of its own, so that an idle program keeps it too). A claim whose beat has not
// moved for kClaimLapse_us belongs to a program that ended without giving it back, or
// that has been stopped for that long, and another program may take it over.
#pragma once

#include "bridge/SharedBlock.h"

#include <cstdint>

namespace bridge {

class BridgePlatform;

constexpr std::uint64_t kClaimLapse_us = 1'000'000;
// How often a claim is beaten: well within the lapse, even for a thread that a busy
// machine runs late.
constexpr unsigned kClaimBeatInterval_ms = 100;

class ClientClaim {
public:
    // Takes the block's claim, or keeps it when it is this program's already. False
    // when a live program holds it; a lapsed claim is taken over, which can take up to
    // kClaimLapse_us of watching its beat.
    bool Take(SharedBlock& block, BridgePlatform& platform);
    // True while the block's claim is still this program's.
    bool Held(const SharedBlock& block) const;
    void Beat(SharedBlock& block) const;
    // Gives the claim back, if it is still this program's.
    void Give(SharedBlock& block);
    // Forgets the claim without touching the block (another block is mapped).
    void Forget() { m_token = 0; }

private:
    bool HolderAlive(const SharedBlock& block, std::uint32_t holder, BridgePlatform& platform);

    std::uint32_t m_token = 0; // this program's claim; 0: none
};

} // namespace bridge
