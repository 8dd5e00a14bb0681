// The bridge client's platform natively: see PosixPlatform.h.
#include "tests/bridge/native/PosixPlatform.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

bridge::SharedBlock* PosixPlatform::MapBlock() {
    const int fd = ::open(m_path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    void* view = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size == off_t{sizeof(bridge::SharedBlock)})
        view =
            ::mmap(nullptr, sizeof(bridge::SharedBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED)
        return nullptr;
    auto* block = static_cast<bridge::SharedBlock*>(view);
    if (!bridge::IsBlockOfThisLayout(*block)) {
        ::munmap(view, sizeof(bridge::SharedBlock));
        return nullptr;
    }
    return block;
}

void PosixPlatform::UnmapBlock(bridge::SharedBlock* block) {
    ::munmap(block, sizeof(bridge::SharedBlock));
}

std::uint64_t PosixPlatform::NowUs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

void PosixPlatform::YieldThread() {
    ::sched_yield();
}

unsigned PosixPlatform::Processors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    return ::sched_getaffinity(0, sizeof allowed, &allowed) == 0
               ? static_cast<unsigned>(CPU_COUNT(&allowed))
               : 2;
}

void PosixPlatform::SleepMs(unsigned milliseconds) {
    ::usleep(milliseconds * 1000u);
}
