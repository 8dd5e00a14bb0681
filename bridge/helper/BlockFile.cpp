// The helper's side of the shared block: see BlockFile.h. The lock is an flock on the
// file: the kernel drops it when its holder ends in any way, so a helper killed with
// SIGKILL never blocks the next one, while two live helpers can never share a block.
#include "bridge/helper/BlockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace bridge {

namespace {

// The pid a block names, read without mapping it (the file may still be short).
std::uint32_t PidInFile(int fd) {
    std::uint32_t pid = 0;
    if (::pread(fd, &pid, sizeof pid, offsetof(SharedBlock, helperPid)) != sizeof pid)
        return 0;
    return pid;
}

} // namespace

std::string BlockPathFromEnvironment() {
    const char* path = std::getenv(kBlockPathVariable);
    return path != nullptr && *path != '\0' ? path : kDefaultBlockPath;
}

BlockFile::~BlockFile() {
    Close();
}

bool BlockFile::Open(const std::string& path, std::string* error) {
    m_path = path;
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        *error = "cannot create the shared block " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        if (lockError == EWOULDBLOCK)
            *error = "another tamberlo-ppdev (process " + std::to_string(PidInFile(m_fd)) +
                     ") already serves the shared block " + path +
                     ". Stop it first, or give each helper and its program their own block "
                     "with TAMBERLO_BRIDGE_SHM.";
        else
            *error = "cannot lock the shared block " + path + ": " + std::strerror(lockError);
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    void* view = MAP_FAILED;
    if (::ftruncate(m_fd, sizeof(SharedBlock)) == 0)
        view = ::mmap(nullptr, sizeof(SharedBlock), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (view == MAP_FAILED) {
        *error = "cannot map the shared block " + path + ": " + std::strerror(errno);
        Close();
        return false;
    }
    m_block = static_cast<SharedBlock*>(view);
    SetUpIfNew();
    return true;
}

// A new file is all zeros; a block of another layout is started afresh. The magic goes
// in last, so a DLL never maps a half-made block.
void BlockFile::SetUpIfNew() {
    SharedBlock& b = *m_block;
    if (b.magic.load(std::memory_order_acquire) == kBlockMagic &&
        b.version.load(std::memory_order_relaxed) == kBlockVersion &&
        b.ringEntries.load(std::memory_order_relaxed) == kRingEntries)
        return;
    b.magic.store(0, std::memory_order_relaxed);
    std::memset(reinterpret_cast<char*>(&b) + sizeof b.magic, 0, sizeof b - sizeof b.magic);
    b.version.store(kBlockVersion, std::memory_order_relaxed);
    b.ringEntries.store(kRingEntries, std::memory_order_relaxed);
    // A generation no earlier file is likely to have had, so a DLL that mapped a removed
    // block never mistakes this helper for the one it gave up on.
    b.generation.store(static_cast<std::uint32_t>(std::time(nullptr)) ^
                           (static_cast<std::uint32_t>(::getpid()) << 16),
                       std::memory_order_relaxed);
    b.magic.store(kBlockMagic, std::memory_order_release);
}

void BlockFile::Attach(std::uint16_t base) {
    SharedBlock& b = *m_block;
    b.attached.store(0, std::memory_order_release); // left set by a helper that was killed
    const std::uint32_t head = b.head.load(std::memory_order_acquire);
    b.tail.store(head, std::memory_order_relaxed);
    b.answer.store(EncodeAnswer(head - 1, 0xFF), std::memory_order_relaxed);
    b.base.store(base, std::memory_order_relaxed);
    b.refused.store(0, std::memory_order_relaxed);
    b.helperPid.store(static_cast<std::uint32_t>(::getpid()), std::memory_order_relaxed);
    b.generation.store(b.generation.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    Beat();
    b.attached.store(1, std::memory_order_release);
}

void BlockFile::Beat() {
    Word& beat = m_block->heartbeat;
    beat.store(beat.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void BlockFile::Detach() {
    if (m_block != nullptr)
        m_block->attached.store(0, std::memory_order_release);
}

void BlockFile::Close() {
    if (m_block != nullptr) {
        ::munmap(m_block, sizeof(SharedBlock));
        m_block = nullptr;
        ::unlink(m_path.c_str()); // still locked by us: no other helper serves this file
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace bridge
