// One program per shared block: see ClientClaim.h.
#include "bridge/ClientClaim.h"

#include "bridge/PortClient.h"

namespace bridge {

namespace {

constexpr unsigned kLapseLook_ms = 10;
// A claim that changes hands while it is watched is looked at again this often.
constexpr int kClaimAttempts = 3;

} // namespace

bool ClientClaim::Take(SharedBlock& block, BridgePlatform& platform) {
    if (Held(block))
        return true;
    m_token = 0;
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        std::uint32_t holder = block.client.load(std::memory_order_acquire);
        if (holder != 0 && HolderAlive(block, holder, platform))
            return false;
        std::uint32_t token = block.claimSerial.fetch_add(1, std::memory_order_relaxed) + 1;
        if (token == 0)
            token = block.claimSerial.fetch_add(1, std::memory_order_relaxed) + 1;
        if (block.client.compare_exchange_strong(holder, token, std::memory_order_acq_rel)) {
            m_token = token;
            Beat(block);
            return true;
        }
    }
    return false;
}

// Watches the holder's beat for up to the lapse time: alive when it moves. A claim
// given back or taken by a third program meanwhile is not this holder's any more.
bool ClientClaim::HolderAlive(const SharedBlock& block, std::uint32_t holder,
                              BridgePlatform& platform) {
    const std::uint32_t beat = block.clientBeat.load(std::memory_order_acquire);
    const std::uint64_t start = platform.NowUs();
    while (platform.NowUs() - start <= kClaimLapse_us) {
        if (block.client.load(std::memory_order_acquire) != holder)
            return false;
        if (block.clientBeat.load(std::memory_order_acquire) != beat)
            return true;
        platform.SleepMs(kLapseLook_ms);
    }
    return false;
}

bool ClientClaim::Held(const SharedBlock& block) const {
    return m_token != 0 && block.client.load(std::memory_order_relaxed) == m_token;
}

void ClientClaim::Beat(SharedBlock& block) const {
    if (Held(block))
        block.clientBeat.fetch_add(1, std::memory_order_release);
}

void ClientClaim::Give(SharedBlock& block) {
    std::uint32_t token = m_token;
    if (token != 0)
        block.client.compare_exchange_strong(token, 0, std::memory_order_acq_rel);
    m_token = 0;
}

} // namespace bridge
