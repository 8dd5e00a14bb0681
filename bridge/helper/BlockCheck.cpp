// tamberlo-ppdev --check-block: see BlockCheck.h.
#include "bridge/helper/BlockCheck.h"

#include "bridge/BlockOpening.h"
#include "bridge/helper/PosixFiles.h"
#include "bridge/helper/TruncationGuard.h"

#include <sys/mman.h>
#include <unistd.h>

namespace bridge {

bool CheckBlock(const BlockPlace& place, std::string* words, std::string* message) {
    PosixFiles files;
    OpenedBlock opened;
    if (OpenBlockFile(files, place, &opened, message) != BlockFound::Yes)
        return false;
    void* view = ::mmap(nullptr, sizeof(SharedBlock), PROT_READ, MAP_SHARED, opened.fd, 0);
    ::close(opened.fd);
    if (view == MAP_FAILED) {
        *message = "cannot map the shared block " + place.path + ".";
        return false;
    }
    // A block cut short meanwhile reads as zeros: no block.
    GuardAgainstTruncation(view, sizeof(SharedBlock));
    const auto& block = *static_cast<const SharedBlock*>(view);
    const bool found =
        CheckMappedBlock(block, opened.facts, place.path, files.User(), message) == BlockFound::Yes;
    if (found)
        *words = std::to_string(block.helperPid.load(std::memory_order_relaxed)) + " " +
                 std::to_string(block.attached.load(std::memory_order_acquire)) + " " +
                 std::to_string(block.heartbeat.load(std::memory_order_acquire));
    GuardAgainstTruncation(nullptr, 0);
    ::munmap(view, sizeof(SharedBlock));
    return found;
}

} // namespace bridge
