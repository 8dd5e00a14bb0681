// Linux system calls from the bridge DLL: see LinuxCalls.h. The 64-bit DLL enters the
// kernel with `syscall`, the 32-bit one with `int $0x80`; each has its own call numbers.
// statx gives owner, mode, device and inode in one layout for both.
#include "bridge/dll/LinuxCalls.h"

#include <cstdint>

namespace bridge {

namespace {

// A system call's argument or result: a register (Windows' `long` has 32 bits on x86-64).
using Arg = std::intptr_t;

#if defined(__x86_64__)
enum : Arg {
    kWrite = 1,
    kClose = 3,
    kMmap = 9,
    kGetEuid = 107,
    kOpenAt = 257,
    kReadLinkAt = 267,
    kStatx = 332,
};

Arg Call(Arg number, Arg a = 0, Arg b = 0, Arg c = 0, Arg d = 0, Arg e = 0, Arg f = 0) {
    Arg result;
    register Arg r10 asm("r10") = d;
    register Arg r8 asm("r8") = e;
    register Arg r9 asm("r9") = f;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8), "r"(r9)
                 : "rcx", "r11", "memory");
    return result;
}
#elif defined(__i386__)
enum : Arg {
    kWrite = 4,
    kClose = 6,
    kMmap = 90, // the old mmap: its six arguments in memory
    kGetEuid = 201,
    kOpenAt = 295,
    kReadLinkAt = 305,
    kStatx = 383,
};

Arg Call(Arg number, Arg a = 0, Arg b = 0, Arg c = 0, Arg d = 0, Arg e = 0) {
    Arg result;
    asm volatile("int $0x80"
                 : "=a"(result)
                 : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e)
                 : "memory");
    return result;
}
#else
#error "the bridge DLL runs on x86 and x86-64 Linux only"
#endif

Arg Address(const void* pointer) {
    return reinterpret_cast<Arg>(pointer);
}

// Flags and masks of the x86 and x86-64 Linux ABI.
constexpr Arg kOpenReadWrite = 02;
constexpr Arg kOpenNonBlocking = 04000;
constexpr Arg kOpenDirectoryOnly = 0200000;
constexpr Arg kOpenNoFollow = 0400000;
constexpr Arg kOpenCloseOnExec = 02000000;
constexpr Arg kOpenPath = 010000000;
constexpr Arg kAtNoFollow = 0x100;
constexpr Arg kAtEmptyPath = 0x1000;
constexpr Arg kStatxBasics = 0x7FF;
constexpr Arg kProtReadWrite = 0x3;
constexpr Arg kMapPrivateAnonymousFixed = 0x02 | 0x20 | 0x10;
constexpr int kStderr = 2;

struct StatxTime {
    std::int64_t seconds;
    std::uint32_t nanoseconds;
    std::int32_t reserved;
};

struct Statx {
    std::uint32_t mask;
    std::uint32_t blockSize;
    std::uint64_t attributes;
    std::uint32_t links;
    std::uint32_t owner;
    std::uint32_t group;
    std::uint16_t mode;
    std::uint16_t spare0;
    std::uint64_t inode;
    std::uint64_t size;
    std::uint64_t blocks;
    std::uint64_t attributesMask;
    StatxTime accessed, born, changed, modified;
    std::uint32_t rdevMajor, rdevMinor;
    std::uint32_t devMajor, devMinor;
    std::uint64_t spare2[14];
};
static_assert(sizeof(Statx) == 256, "the kernel's struct statx");

int StatxInto(int directory, const char* name, Arg flags, FileFacts* facts) {
    Statx info{};
    const Arg result = Call(kStatx, directory, Address(name), flags, kStatxBasics, Address(&info));
    if (result != 0)
        return static_cast<int>(result);
    facts->mode = info.mode;
    facts->owner = info.owner;
    facts->links = info.links;
    facts->size = info.size;
    facts->deviceMajor = info.devMajor;
    facts->deviceMinor = info.devMinor;
    facts->inode = info.inode;
    return 0;
}

} // namespace

int LinuxCalls::OpenDirectory(int directory, const char* name) {
    return static_cast<int>(
        Call(kOpenAt, directory, Address(name),
             kOpenPath | kOpenDirectoryOnly | kOpenNoFollow | kOpenCloseOnExec));
}

int LinuxCalls::OpenFile(int directory, const char* name) {
    return static_cast<int>(
        Call(kOpenAt, directory, Address(name),
             kOpenReadWrite | kOpenNoFollow | kOpenNonBlocking | kOpenCloseOnExec));
}

int LinuxCalls::Stat(int fd, FileFacts* facts) {
    return StatxInto(fd, "", kAtEmptyPath, facts);
}

int LinuxCalls::StatAt(int directory, const char* name, FileFacts* facts) {
    return StatxInto(directory, name, kAtNoFollow, facts);
}

std::string LinuxCalls::LinkTarget(int directory, const char* name) {
    char target[4096];
    const Arg length =
        Call(kReadLinkAt, directory, Address(name), Address(target), sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : "?";
}

void LinuxCalls::Close(int fd) {
    Call(kClose, fd);
}

std::uint32_t LinuxCalls::User() {
    return static_cast<std::uint32_t>(Call(kGetEuid));
}

// The C library of a Windows program knows Windows' error numbers, not Linux's.
std::string LinuxCalls::ErrorText(int error) {
    switch (error) {
    case 1:
        return "Operation not permitted";
    case kNoSuchFile:
        return "No such file or directory";
    case 13:
        return "Permission denied";
    case kNotADirectory:
        return "Not a directory";
    case 36:
        return "File name too long";
    case kTooManyLinks:
        return "Too many levels of symbolic links";
    case 38:
        return "Function not implemented (statx needs Linux 4.11 or newer)";
    default:
        return "Linux error " + std::to_string(error);
    }
}

void WriteToStderr(const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const Arg result =
            Call(kWrite, kStderr, Address(text.data() + written), text.size() - written);
        if (result <= 0)
            return;
        written += static_cast<std::size_t>(result);
    }
}

bool ReplaceWithZeroedMemory(void* start, std::size_t size) {
#if defined(__x86_64__)
    const Arg result = Call(kMmap, Address(start), static_cast<Arg>(size), kProtReadWrite,
                            kMapPrivateAnonymousFixed, -1, 0);
#else
    const Arg arguments[6] = {
        Address(start), static_cast<Arg>(size), kProtReadWrite, kMapPrivateAnonymousFixed, -1, 0};
    const Arg result = Call(kMmap, Address(arguments));
#endif
    return result == Address(start);
}

} // namespace bridge
