// What tamberlo-ppdev accepts at the shared block's place: see BlockRefusal.h.
#include "bridge/helper/BlockRefusal.h"

#include <cstdio>

namespace bridge {

namespace {

constexpr mode_t kGroupAndOthers = 0077;

std::string Mode(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

std::string RemoveAndRestart(const std::string& path) {
    return " Remove it (rm " + path + ") and start tamberlo-ppdev again.";
}

} // namespace

std::string DirectoryRefusal(const struct stat& info, const std::string& directory, uid_t user,
                             bool madeByHelper) {
    if (info.st_uid != user)
        return "the directory " + directory + " that holds the shared block belongs to another " +
               "user (uid " + std::to_string(info.st_uid) +
               "), who could replace the block and reach your printer port. Have it removed, "
               "or set TAMBERLO_BRIDGE_SHM to a path in a directory of your own with mode 700.";
    if ((info.st_mode & kGroupAndOthers) != 0)
        return "the directory " + directory + " that holds the shared block can be used by " +
               "other users (mode " + Mode(info.st_mode) +
               "), who could replace the block and reach your printer port. " +
               (madeByHelper ? "Remove it (rmdir " + directory +
                                   "); tamberlo-ppdev makes it again with mode 700."
                             : "Make it private (chmod 700 " + directory +
                                   ") or remove it, and use a directory of your own.");
    return "";
}

std::string FileRefusal(const struct stat& info, const std::string& path, uid_t user,
                        const std::string& linkTarget) {
    if (S_ISLNK(info.st_mode))
        return path + " is a symbolic link (to " + linkTarget +
               "). tamberlo-ppdev takes only a block file it made itself, so that no link "
               "can turn another file into the block." +
               RemoveAndRestart(path);
    if (!S_ISREG(info.st_mode))
        return path + " is " + KindOf(info.st_mode) + ", not a shared block." +
               " Remove it and start tamberlo-ppdev again.";
    if (info.st_uid != user)
        return path + " belongs to another user (uid " + std::to_string(info.st_uid) +
               "), who could reach your printer port through it." + RemoveAndRestart(path);
    if ((info.st_mode & kGroupAndOthers) != 0)
        return path + " can be used by other users (mode " + Mode(info.st_mode) +
               "), who could reach your printer port through it." + RemoveAndRestart(path);
    if (info.st_nlink > 1)
        return path + " has " + std::to_string(info.st_nlink) +
               " hard links: the file has another name too, which tamberlo-ppdev would "
               "overwrite." +
               RemoveAndRestart(path);
    return "";
}

} // namespace bridge
