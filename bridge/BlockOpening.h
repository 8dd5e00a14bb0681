// How the bridge DLL and the helper's --check-block find the block that a helper serves:
// its directory reached as PrivatePath.h says, the file in it checked before it is
// opened (never a link, a FIFO or a device, never another user's file), and once mapped,
// the block must name the file it was mapped from.
#pragma once

#include "bridge/LinuxFiles.h"
#include "bridge/PrivatePath.h"
#include "bridge/SharedBlock.h"

#include <string>

namespace bridge {

enum class BlockFound {
    Yes,
    None,    // no block there (yet): no helper serves the path, or it is still setting up
    Refused, // something there that must not be taken for the helper's block
};

struct OpenedBlock {
    int fd = -1; // opened for reading and writing; the caller closes it
    FileFacts facts;
};

// Opens the file at the block's place. The message says why when not Yes.
BlockFound OpenBlockFile(LinuxFiles& files, const BlockPlace& place, OpenedBlock* opened,
                         std::string* message);

// The block mapped from `file`: a block of this layout, made by this user's helper in
// that very file.
BlockFound CheckMappedBlock(const SharedBlock& block, const FileFacts& file,
                            const std::string& path, std::uint32_t user, std::string* message);

} // namespace bridge
