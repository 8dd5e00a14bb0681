// The helper's side of the shared block: see BlockFile.h.
//
// Every step works on the opened directory (openat, fstatat, unlinkat), so the checks
// and the changes are about the same directory even if its path is changed meanwhile;
// files are checked on what was opened, never by a second look up of the path. After
// locking, and before removing, the helper checks that the path still names the locked
// file: two helpers starting at once on one path then never serve or remove each
// other's block.
#include "bridge/helper/BlockFile.h"

#include "bridge/BlockRefusal.h"
#include "lpt/PrinterPort.h"
#include "bridge/helper/PosixFiles.h"
#include "bridge/helper/TruncationGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace bridge {

namespace {

// A helper starting while another one sets up or removes a block on the same path sees
// the file change under it; it looks again this often before it gives up.
constexpr int kAttempts = 4;
// An empty file that no helper has locked yet may be one that another helper has just
// created: it is looked at again after this long, twice, before it counts as a leftover.
constexpr long kEmptyFileLook_ns = 10'000'000;
constexpr int kEmptyFileLooks = 2;

// The word at `offset` of a file, read without mapping it (the file may still be short).
std::uint32_t WordInFile(int fd, std::size_t offset) {
    std::uint32_t word = 0;
    if (::pread(fd, &word, sizeof word, static_cast<off_t>(offset)) != sizeof word)
        return 0;
    return word;
}

} // namespace

BlockFile::~BlockFile() {
    Close();
}

bool BlockFile::Open(const BlockPlace& place, std::string* error) {
    m_path = place.path;
    if (!OpenDirectory(place, error))
        return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const Step created = CreateFresh(error);
        if (created == Step::Done) {
            m_created = true;
            return MapAndSetUp(error);
        }
        if (created == Step::Failed)
            return false;
    }
    *error = "the shared block " + m_path +
             " kept changing while tamberlo-ppdev set it up: another tamberlo-ppdev is starting "
             "on the same block. Stop it first.";
    return false;
}

// The default place's directory is made when it is missing, after the runtime directory
// above it has passed; then everything is walked again from /.
bool BlockFile::OpenDirectory(const BlockPlace& place, std::string* error) {
    PosixFiles files;
    WalkResult walk = OpenBlockDirectory(files, place);
    if (walk.end == WalkEnd::Missing && walk.onlyDirectoryMissing && place.isDefault) {
        const std::string directory = place.path.substr(0, place.path.rfind('/'));
        if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = "cannot make the directory " + directory +
                     " for the shared block: " + std::strerror(errno);
            return false;
        }
        walk = OpenBlockDirectory(files, place);
    }
    if (walk.end != WalkEnd::Opened) {
        *error = walk.message;
        return false;
    }
    m_directoryFd = walk.directory;
    m_name = walk.name;
    return true;
}

// The block made with O_EXCL and O_NOFOLLOW: never an existing file, never through a link.
BlockFile::Step BlockFile::CreateFresh(std::string* error) {
    m_fd = ::openat(m_directoryFd, m_name.c_str(),
                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        if (errno == EEXIST)
            return RemoveStale(error);
        *error = "cannot create the shared block " + m_path + ": " + std::strerror(errno);
        return Step::Failed;
    }
    struct stat info {};
    // The mode whatever the umask: the DLL opens the file for reading and writing.
    if (::fchmod(m_fd, 0600) != 0 || ::fstat(m_fd, &info) != 0) {
        *error = "cannot set up the shared block " + m_path + ": " + std::strerror(errno);
        Unlock();
        return Step::Failed;
    }
    m_file = FactsOf(info);
    // Another helper that took this new file for a stale one holds it, or has removed it.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || !StillNamed()) {
        Unlock();
        return Step::Again;
    }
    return Step::Done;
}

// A file already at the path: refused unless it may be this user's block; then either
// another helper serves it (its lock is held) or a helper that ended without cleaning
// up left it behind, and it is removed - when it is a block, and nothing else.
BlockFile::Step BlockFile::RemoveStale(std::string* error) {
    PosixFiles files;
    FileFacts found;
    if (files.StatAt(m_directoryFd, m_name.c_str(), &found) != 0)
        return Step::Again; // gone meanwhile
    *error =
        FileRefusal(found, m_path, ::geteuid(),
                    found.Is(kTypeLink) ? files.LinkTarget(m_directoryFd, m_name.c_str()) : "");
    if (!error->empty())
        return Step::Failed;
    m_fd = files.OpenFile(m_directoryFd, m_name.c_str());
    if (m_fd < 0 || files.Stat(m_fd, &m_file) != 0 || !m_file.SameFile(found)) {
        Unlock();
        return Step::Again;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        if (lockError == EWOULDBLOCK)
            *error = "another tamberlo-ppdev (process " +
                     std::to_string(WordInFile(m_fd, offsetof(SharedBlock, helperPid))) +
                     ") already serves the shared block " + m_path +
                     ". Stop it first, or give each helper and its program their own block "
                     "with TAMBERLO_BRIDGE_SHM.";
        else
            *error = "cannot lock the shared block " + m_path + ": " + std::strerror(lockError);
        Unlock();
        return Step::Failed;
    }
    if (m_file.size == 0 && m_emptyLeftovers < kEmptyFileLooks) {
        ++m_emptyLeftovers;
        Unlock();
        const timespec look{0, kEmptyFileLook_ns};
        ::nanosleep(&look, nullptr);
        return Step::Again;
    }
    *error = LeftoverRefusal(m_file, m_path, WordInFile(m_fd, offsetof(SharedBlock, magic)),
                             WordInFile(m_fd, offsetof(SharedBlock, version)));
    if (!error->empty()) {
        Unlock();
        return Step::Failed;
    }
    if (StillNamed()) {
        m_stalePid = WordInFile(m_fd, offsetof(SharedBlock, helperPid));
        ::unlinkat(m_directoryFd, m_name.c_str(), 0);
    }
    Unlock();
    return Step::Again;
}

bool BlockFile::StillNamed() const {
    struct stat named {};
    return ::fstatat(m_directoryFd, m_name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           FactsOf(named).SameFile(m_file);
}

// The new file is all zeros; the magic goes in last, so a DLL never maps a half-made block.
bool BlockFile::MapAndSetUp(std::string* error) {
    void* view = MAP_FAILED;
    if (::ftruncate(m_fd, sizeof(SharedBlock)) == 0)
        view = ::mmap(nullptr, sizeof(SharedBlock), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (view == MAP_FAILED) {
        *error = "cannot map the shared block " + m_path + ": " + std::strerror(errno);
        Close();
        return false;
    }
    m_block = static_cast<SharedBlock*>(view);
    GuardAgainstTruncation(view, sizeof(SharedBlock));
    SharedBlock& b = *m_block;
    b.version.store(kBlockVersion, std::memory_order_relaxed);
    b.ringEntries.store(kRingEntries, std::memory_order_relaxed);
    // A generation no earlier file is likely to have had, so a DLL that mapped a removed
    // block never mistakes this helper for the one it had.
    b.generation.store(static_cast<std::uint32_t>(std::time(nullptr)) ^
                           (static_cast<std::uint32_t>(::getpid()) << 16),
                       std::memory_order_relaxed);
    RecordIdentity(b, m_file);
    b.magic.store(kBlockMagic, std::memory_order_release);
    return true;
}

void BlockFile::Attach(std::uint16_t base) {
    SharedBlock& b = *m_block;
    const std::uint32_t head = b.head.load(std::memory_order_acquire);
    b.tail.store(head, std::memory_order_relaxed);
    b.answer.store(EncodeAnswer(head - 1, lpt::kFloatingBus), std::memory_order_relaxed);
    b.epochAck.store(b.epoch.load(std::memory_order_acquire), std::memory_order_relaxed);
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
        GuardAgainstTruncation(nullptr, 0);
        ::munmap(m_block, sizeof(SharedBlock));
        m_block = nullptr;
    }
    if (m_created && StillNamed()) // still locked by us: no other helper serves this file
        ::unlinkat(m_directoryFd, m_name.c_str(), 0);
    m_created = false;
    Unlock();
    if (m_directoryFd >= 0) {
        ::close(m_directoryFd);
        m_directoryFd = -1;
    }
}

void BlockFile::Unlock() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace bridge
