// The Linux file calls through the C library: see PosixFiles.h.
#include "bridge/helper/PosixFiles.h"

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bridge {

namespace {

int Result(int value) {
    return value < 0 ? -errno : value;
}

} // namespace

FileFacts FactsOf(const struct stat& info) {
    FileFacts facts;
    facts.mode = info.st_mode;
    facts.owner = info.st_uid;
    facts.links = static_cast<std::uint32_t>(info.st_nlink);
    facts.size = static_cast<std::uint64_t>(info.st_size);
    facts.deviceMajor = major(info.st_dev);
    facts.deviceMinor = minor(info.st_dev);
    facts.inode = info.st_ino;
    return facts;
}

int PosixFiles::OpenDirectory(int directory, const char* name) {
    return Result(::openat(directory, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

int PosixFiles::OpenFile(int directory, const char* name) {
    return Result(::openat(directory, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

int PosixFiles::Stat(int fd, FileFacts* facts) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return -errno;
    *facts = FactsOf(info);
    return 0;
}

int PosixFiles::StatAt(int directory, const char* name, FileFacts* facts) {
    struct stat info {};
    if (::fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return -errno;
    *facts = FactsOf(info);
    return 0;
}

std::string PosixFiles::LinkTarget(int directory, const char* name) {
    char target[4096];
    const ssize_t length = ::readlinkat(directory, name, target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : "?";
}

void PosixFiles::Close(int fd) {
    ::close(fd);
}

std::uint32_t PosixFiles::User() {
    return ::geteuid();
}

std::string PosixFiles::ErrorText(int error) {
    return std::strerror(error);
}

} // namespace bridge
