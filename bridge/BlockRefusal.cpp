// What is accepted on the shared block's path: see BlockRefusal.h.
#include "bridge/BlockRefusal.h"

#include <cstdio>

namespace bridge {

namespace {

std::string Mode(std::uint32_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & kPermissionBits));
    return text;
}

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

const char* KindOf(const FileFacts& facts) {
    if (facts.Is(kTypeDirectory))
        return "a directory";
    if (facts.Is(kTypeFifo))
        return "a FIFO (named pipe)";
    if (facts.Is(kTypeSocket))
        return "a socket";
    if (facts.Is(kTypeCharacterDevice) || facts.Is(kTypeBlockDevice))
        return "a device";
    if (facts.Is(kTypeRegular))
        return "a file";
    return "not a regular file";
}

bool RootOrUser(std::uint32_t owner, std::uint32_t user) {
    return owner == kRootUser || owner == user;
}

std::string RemoveAndRestart(const std::string& path) {
    return " Remove it (rm " + path + ") and start tamberlo-ppdev again.";
}

constexpr const char* kElsewhere = "put the block below directories that only you (or root) "
                                   "can change, with TAMBERLO_BRIDGE_SHM";

} // namespace

std::string FolderRefusal(const FileFacts& folder, const std::string& path, std::uint32_t user) {
    if (!RootOrUser(folder.owner, user))
        return "the directory " + path + " on the shared block's path belongs to another user " +
               "(uid " + Number(folder.owner) +
               "), who could replace what lies below it and reach your printer port. Have it " +
               "given to you or root, or " + kElsewhere + ".";
    // In a sticky folder nobody renames or removes what another user owns; the folder
    // below is checked by this rule in turn.
    if ((folder.mode & kGroupAndOthersWrite) != 0 && (folder.mode & kSticky) == 0)
        return "the directory " + path + " on the shared block's path can be changed by other " +
               "users (mode " + Mode(folder.mode) +
               "), who could replace what lies below it and reach your printer port. Take " +
               "their write permission away (chmod go-w " + path + "), or " + kElsewhere + ".";
    return "";
}

std::string RuntimeDirRefusal(const FileFacts& folder, const std::string& path,
                              std::uint32_t user) {
    const std::string yours = "/run/user/" + Number(user);
    if (folder.owner != user)
        return "XDG_RUNTIME_DIR is " + path + ", which belongs to another user (uid " +
               Number(folder.owner) +
               ") - as in a shell that kept another user's session after su. That user could "
               "replace the shared block and reach your printer port. Log in as yourself, or "
               "set XDG_RUNTIME_DIR to your own runtime directory (usually " +
               yours + ").";
    if ((folder.mode & kPermissionBits) != 0700)
        return "XDG_RUNTIME_DIR is " + path + ", whose mode is " + Mode(folder.mode) +
               ", not 0700: a runtime directory is private, or other users could replace the "
               "shared block and reach your printer port. Set XDG_RUNTIME_DIR to the one "
               "your login session makes (usually " +
               yours + "), or make this one private (chmod 700 " + path + ").";
    return "";
}

std::string LinkOnPathRefusal(const std::string& path, const std::string& target,
                              bool madeByHelper) {
    return path + " on the shared block's path is a symbolic link (to " + target +
           "). The block is looked for through real directories only, so that no link can "
           "lead it into another directory." +
           (madeByHelper
                ? " Remove the link (rm " + path + "); tamberlo-ppdev makes the directory itself."
                : " Give the path without links in TAMBERLO_BRIDGE_SHM.");
}

std::string NotAFolderRefusal(const std::string& path, const FileFacts& found) {
    return path + " on the shared block's path is " + KindOf(found) +
           ", not a directory. Choose another path with TAMBERLO_BRIDGE_SHM.";
}

std::string DirectoryRefusal(const FileFacts& directory, const std::string& path,
                             std::uint32_t user, bool madeByHelper) {
    if (directory.owner != user)
        return "the directory " + path + " that holds the shared block belongs to another " +
               "user (uid " + Number(directory.owner) +
               "), who could replace the block and reach your printer port. Have it removed, "
               "or set TAMBERLO_BRIDGE_SHM to a path in a directory of your own with mode 700.";
    if ((directory.mode & kGroupAndOthers) != 0)
        return "the directory " + path + " that holds the shared block can be used by " +
               "other users (mode " + Mode(directory.mode) +
               "), who could replace the block and reach your printer port. " +
               (madeByHelper
                    ? "Remove it (rmdir " + path + "); tamberlo-ppdev makes it again with mode 700."
                    : "Make it private (chmod 700 " + path +
                          ") or remove it, and use a directory of your own.");
    return "";
}

std::string FileRefusal(const FileFacts& found, const std::string& path, std::uint32_t user,
                        const std::string& linkTarget) {
    if (found.Is(kTypeLink))
        return path + " is a symbolic link (to " + linkTarget +
               "). tamberlo-ppdev takes only a block file it made itself, so that no link "
               "can turn another file into the block." +
               RemoveAndRestart(path);
    if (!found.Is(kTypeRegular))
        return path + " is " + KindOf(found) + ", not a shared block." +
               " Remove it and start tamberlo-ppdev again.";
    if (found.owner != user)
        return path + " belongs to another user (uid " + Number(found.owner) +
               "), who could reach your printer port through it." + RemoveAndRestart(path);
    if ((found.mode & kGroupAndOthers) != 0)
        return path + " can be used by other users (mode " + Mode(found.mode) +
               "), who could reach your printer port through it." + RemoveAndRestart(path);
    if (found.links > 1)
        return path + " has " + Number(found.links) +
               " hard links: the file has another name too, which tamberlo-ppdev would "
               "overwrite." +
               RemoveAndRestart(path);
    return "";
}

std::string LeftoverRefusal(const FileFacts& file, const std::string& path, std::uint32_t magic,
                            std::uint32_t version) {
    const std::string removesOnlyBlocks =
        " tamberlo-ppdev removes only a shared block that an earlier tamberlo-ppdev left "
        "behind, and left this file as it is. If it is yours to keep, choose another path "
        "for the block with TAMBERLO_BRIDGE_SHM; else remove it (rm " +
        path + ").";
    if (file.size != sizeof(SharedBlock))
        return path + " is not a shared block (it holds " + Number(file.size) +
               " bytes; a block has " + Number(sizeof(SharedBlock)) + ")." + removesOnlyBlocks;
    if (magic != kBlockMagic)
        return path +
               " has the size of a shared block but is none (no block's mark at its "
               "start)." +
               removesOnlyBlocks;
    if (version != kBlockVersion)
        return VersionRefusal(path, version) + " If no tamberlo-ppdev runs, remove it (rm " + path +
               ").";
    return "";
}

std::string VersionRefusal(const std::string& path, std::uint32_t version) {
    return "the shared block " + path + " was made by a tamberlo-ppdev of another version " +
           "(block layout " + Number(version) + "; this one takes layout " + Number(kBlockVersion) +
           "). Use tamberlo-ppdev, tamberlo-linux and the DLL of one archive.";
}

std::string IdentityRefusal(const SharedBlock& block, const FileFacts& file,
                            const std::string& path, std::uint32_t user) {
    const auto word = [](const Word& w) { return w.load(std::memory_order_relaxed); };
    const std::uint64_t inode =
        (std::uint64_t{word(block.fileInodeHigh)} << 32) | word(block.fileInodeLow);
    if (word(block.fileOwner) != user)
        return "the shared block " + path + " was made for another user (uid " +
               Number(word(block.fileOwner)) + "), who could answer your program in the " +
               "helper's place. Stop that helper, remove it (rm " + path +
               ") and start tamberlo again.";
    if (word(block.fileDeviceMajor) != file.deviceMajor ||
        word(block.fileDeviceMinor) != file.deviceMinor || inode != file.inode ||
        word(block.fileMode) != file.mode)
        return path + " is not the file that tamberlo-ppdev made for the shared block (that " +
               "was inode " + Number(inode) + " on device " + Number(word(block.fileDeviceMajor)) +
               ":" + Number(word(block.fileDeviceMinor)) + ", mode " + Mode(word(block.fileMode)) +
               "; this is inode " + Number(file.inode) + " on device " + Number(file.deviceMajor) +
               ":" + Number(file.deviceMinor) + ", mode " + Mode(file.mode) +
               "): a copy, or a file put in its place. Stop tamberlo-ppdev, remove it (rm " + path +
               ") and start tamberlo again.";
    return "";
}

void RecordIdentity(SharedBlock& block, const FileFacts& file) {
    block.fileOwner.store(file.owner, std::memory_order_relaxed);
    block.fileDeviceMajor.store(file.deviceMajor, std::memory_order_relaxed);
    block.fileDeviceMinor.store(file.deviceMinor, std::memory_order_relaxed);
    block.fileInodeLow.store(static_cast<std::uint32_t>(file.inode), std::memory_order_relaxed);
    block.fileInodeHigh.store(static_cast<std::uint32_t>(file.inode >> 32),
                              std::memory_order_relaxed);
    block.fileMode.store(file.mode, std::memory_order_relaxed);
}

} // namespace bridge
