// The bridge client's platform natively: see PosixPlatform.h.
#include "tests/bridge/native/PosixPlatform.h"

#include "bridge/helper/MonotonicClock.h"
#include "bridge/helper/PosixFiles.h"

#include <sys/mman.h>
#include <unistd.h>

bridge::SharedBlock* PosixPlatform::MapBlock() {
    bridge::PosixFiles files;
    bridge::OpenedBlock opened;
    m_lastMessage.clear();
    m_lastFound = bridge::OpenBlockFile(files, m_place, &opened, &m_lastMessage);
    if (m_lastFound != bridge::BlockFound::Yes)
        return nullptr;
    void* view = ::mmap(nullptr, sizeof(bridge::SharedBlock), PROT_READ | PROT_WRITE, MAP_SHARED,
                        opened.fd, 0);
    ::close(opened.fd);
    if (view == MAP_FAILED) {
        m_lastFound = bridge::BlockFound::None;
        return nullptr;
    }
    auto* block = static_cast<bridge::SharedBlock*>(view);
    m_lastFound =
        bridge::CheckMappedBlock(*block, opened.facts, m_place.path, files.User(), &m_lastMessage);
    if (m_lastFound != bridge::BlockFound::Yes) {
        ::munmap(view, sizeof(bridge::SharedBlock));
        return nullptr;
    }
    return block;
}

void PosixPlatform::UnmapBlock(bridge::SharedBlock* block) {
    ::munmap(block, sizeof(bridge::SharedBlock));
}

std::uint64_t PosixPlatform::NowUs() {
    return bridge::MonotonicUs();
}

void PosixPlatform::YieldThread() {
    ::sched_yield();
}

unsigned PosixPlatform::Processors() {
    return bridge::AllowedProcessors();
}

void PosixPlatform::SleepMs(unsigned milliseconds) {
    ::usleep(milliseconds * 1000u);
}
