// Finding the block a helper serves: see BlockOpening.h.
#include "bridge/BlockOpening.h"

#include "bridge/BlockRefusal.h"

namespace bridge {

BlockFound OpenBlockFile(LinuxFiles& files, const BlockPlace& place, OpenedBlock* opened,
                         std::string* message) {
    const WalkResult walk = OpenBlockDirectory(files, place);
    if (walk.end != WalkEnd::Opened) {
        *message = walk.message;
        return walk.end == WalkEnd::Missing ? BlockFound::None : BlockFound::Refused;
    }
    const int directory = walk.directory;
    const char* name = walk.name.c_str();
    BlockFound found = BlockFound::None;
    FileFacts named;
    if (files.StatAt(directory, name, &named) != 0) {
        *message = "there is no shared block at " + place.path + ": no tamberlo-ppdev serves it.";
    } else if (!(*message =
                     FileRefusal(named, place.path, files.User(),
                                 named.Is(kTypeLink) ? files.LinkTarget(directory, name) : ""))
                    .empty()) {
        found = BlockFound::Refused;
    } else if (named.size != sizeof(SharedBlock)) {
        *message = place.path + " is not a shared block (yet): it holds " +
                   std::to_string(named.size) + " bytes.";
    } else {
        const int fd = files.OpenFile(directory, name);
        FileFacts facts;
        if (fd >= 0 && files.Stat(fd, &facts) == 0 && facts.SameFile(named)) {
            opened->fd = fd;
            opened->facts = facts;
            found = BlockFound::Yes;
        } else {
            if (fd >= 0)
                files.Close(fd);
            *message = "the shared block " + place.path + " changed while it was opened.";
        }
    }
    files.Close(directory);
    return found;
}

BlockFound CheckMappedBlock(const SharedBlock& block, const FileFacts& file,
                            const std::string& path, std::uint32_t user, std::string* message) {
    if (block.magic.load(std::memory_order_acquire) != kBlockMagic) {
        *message = path + " is not a shared block (yet): its helper has not set it up.";
        return BlockFound::None;
    }
    if (!IsBlockOfThisLayout(block)) {
        *message = VersionRefusal(path, block.version.load(std::memory_order_relaxed));
        return BlockFound::Refused;
    }
    *message = IdentityRefusal(block, file, path, user);
    return message->empty() ? BlockFound::Yes : BlockFound::Refused;
}

} // namespace bridge
