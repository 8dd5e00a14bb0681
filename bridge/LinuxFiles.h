// The few Linux file calls with which the helper, its --check-block and the bridge DLL
// find the shared block: folders opened one at a time, each relative to the one above
// and never through a link, and what the kernel says of each. The helper makes them
// through the C library; the DLL, inside a Windows program under Wine, straight to the
// kernel. The values are Linux's own on both sides (x86 and x86-64 agree on them).
#pragma once

#include <cstdint>
#include <string>

namespace bridge {

// File types and permission bits of a Linux mode.
constexpr std::uint32_t kTypeMask = 0170000;
constexpr std::uint32_t kTypeDirectory = 0040000;
constexpr std::uint32_t kTypeRegular = 0100000;
constexpr std::uint32_t kTypeLink = 0120000;
constexpr std::uint32_t kTypeFifo = 0010000;
constexpr std::uint32_t kTypeSocket = 0140000;
constexpr std::uint32_t kTypeCharacterDevice = 0020000;
constexpr std::uint32_t kTypeBlockDevice = 0060000;
constexpr std::uint32_t kPermissionBits = 07777;
constexpr std::uint32_t kSticky = 01000;
constexpr std::uint32_t kGroupAndOthers = 0077;
constexpr std::uint32_t kGroupAndOthersWrite = 0022;

constexpr std::uint32_t kRootUser = 0;

// Linux error numbers the messages name.
constexpr int kNoSuchFile = 2;     // ENOENT
constexpr int kNotADirectory = 20; // ENOTDIR
constexpr int kTooManyLinks = 40;  // ELOOP

// What the kernel says of a file (fstat, statx).
struct FileFacts {
    std::uint32_t mode = 0; // type and permission bits
    std::uint32_t owner = 0;
    std::uint32_t links = 0;
    std::uint64_t size = 0;
    std::uint32_t deviceMajor = 0;
    std::uint32_t deviceMinor = 0;
    std::uint64_t inode = 0;

    bool Is(std::uint32_t type) const { return (mode & kTypeMask) == type; }
    bool SameFile(const FileFacts& other) const {
        return deviceMajor == other.deviceMajor && deviceMinor == other.deviceMinor &&
               inode == other.inode;
    }
};

class LinuxFiles {
public:
    // The directory that relative names start from when there is no folder yet (AT_FDCWD).
    static constexpr int kNoDirectory = -100;

    virtual ~LinuxFiles() = default;
    // The folder `name` in `directory` for use as a `directory` of these calls, not
    // through a link (O_PATH | O_DIRECTORY | O_NOFOLLOW): a descriptor, or -errno.
    virtual int OpenDirectory(int directory, const char* name) = 0;
    // The regular file `name` in `directory` for reading and writing, not through a link
    // and without waiting (O_RDWR | O_NOFOLLOW | O_NONBLOCK): a descriptor, or -errno.
    virtual int OpenFile(int directory, const char* name) = 0;
    // 0 or -errno.
    virtual int Stat(int fd, FileFacts* facts) = 0;
    // What `name` in `directory` itself is, a link included: 0 or -errno.
    virtual int StatAt(int directory, const char* name, FileFacts* facts) = 0;
    // The target of the link `name` in `directory`; "?" when it cannot be read.
    virtual std::string LinkTarget(int directory, const char* name) = 0;
    virtual void Close(int fd) = 0;
    // The user the process runs as (its effective user id).
    virtual std::uint32_t User() = 0;
    // The text of a Linux error number.
    virtual std::string ErrorText(int error) = 0;
};

} // namespace bridge
