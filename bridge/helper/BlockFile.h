// The helper's side of the shared block: the file created (or taken over from a helper
// that died), locked so only one helper serves it, mapped, and marked attached while
// the helper serves.
#pragma once

#include "bridge/SharedBlock.h"

#include <string>

namespace bridge {

// The block's path: TAMBERLO_BRIDGE_SHM, else /dev/shm/tamberlo-port.
std::string BlockPathFromEnvironment();

class BlockFile {
public:
    BlockFile() = default;
    ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    // Creates or opens the file, locks it and maps it. False with a message when it
    // cannot, or when another helper holds it.
    bool Open(const std::string& path, std::string* error);
    // Marks the block served for `base` by this process; pending entries of an earlier
    // helper are dropped.
    void Attach(std::uint16_t base);
    void Beat();
    void Detach();
    // Unmaps, removes the file (a DLL that still maps it sees `attached` 0) and unlocks.
    void Close();

    SharedBlock& block() { return *m_block; }

private:
    void SetUpIfNew();

    std::string m_path;
    int m_fd = -1;
    SharedBlock* m_block = nullptr;
};

} // namespace bridge
