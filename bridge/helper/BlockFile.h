// The helper's side of the shared block: a file made afresh in a private directory
// (reached as PrivatePath.h says), locked so only one helper serves it, mapped, and
// marked attached while the helper serves. The lock is an flock on the file: the kernel drops it
// when its holder ends in any way, so the block of a helper killed with SIGKILL is known as stale
// by its free lock.
#pragma once

#include "bridge/LinuxFiles.h"
#include "bridge/PrivatePath.h"
#include "bridge/SharedBlock.h"

#include <string>

namespace bridge {

class BlockFile {
public:
    BlockFile() = default;
    ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    // Checks every folder down to the block's directory (the default place's directory
    // made first, mode 0700, when it is missing), removes a stale block an earlier
    // helper of this user left behind, creates the block afresh (never through a link,
    // never over an existing file), records the file in it, locks it and maps it. False
    // with a message when it cannot, when the place is refused (see BlockRefusal.h), or
    // when another helper serves it.
    bool Open(const BlockPlace& place, std::string* error);
    // The process named by the stale block removed by Open, 0 when there was none.
    std::uint32_t stalePid() const { return m_stalePid; }
    // Marks the block served for `base` by this process.
    void Attach(std::uint16_t base);
    void Beat();
    void Detach();
    // Unmaps, removes the file while the path still names it (a DLL that still maps it
    // sees `attached` 0), and unlocks.
    void Close();

    SharedBlock& block() { return *m_block; }

private:
    enum class Step { Done, Again, Failed };

    bool OpenDirectory(const BlockPlace& place, std::string* error);
    Step CreateFresh(std::string* error);
    Step RemoveStale(std::string* error);
    bool StillNamed() const;
    bool MapAndSetUp(std::string* error);
    void Unlock();

    std::string m_path;
    std::string m_name;
    int m_directoryFd = -1;
    int m_fd = -1;
    FileFacts m_file;         // the file m_fd has open
    int m_emptyLeftovers = 0; // times an empty file was found unlocked at the path
    bool m_created = false;   // the file at the path is this helper's
    SharedBlock* m_block = nullptr;
    std::uint32_t m_stalePid = 0;
};

} // namespace bridge
