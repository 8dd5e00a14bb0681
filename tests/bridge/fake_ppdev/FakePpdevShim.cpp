// LD_PRELOAD library that gives tamberlo-ppdev a printer port without hardware: the
// paths /dev/tamberlo-parportN open a fake ppdev device whose register ioctls drive
// the simulated board (settings from the TAMBERLO_SIM_* variables, real time), at the
// base of the board's cable port. It behaves as the kernel's ppdev on parport_pc does:
// register ioctls need a claim, PPRCONTROL returns the driver's copy of control bits
// 0-3, the first claim sets the control register to 0x0C (the driver's initial state).
//
// Test controls:
//   TAMBERLO_FAKE_PPDEV_FAIL        open:ENOENT, open:EACCES, open:ENXIO, claim:EBUSY,
//                                   claim:wait (PPCLAIM sleeps until a signal, as for a
//                                   port that another driver holds)
//   TAMBERLO_FAKE_PPDEV_KILL_AFTER  N: the process kills itself with SIGKILL at the Nth
//                                   register access, as a kill -9 at that moment would
//   TAMBERLO_FAKE_PPDEV_STOP_AT     N: the process stops itself with SIGSTOP right after
//                                   its Nth register access, as a stall at that moment
//                                   would (Ctrl-Z, swapping); a SIGCONT continues it
//   TAMBERLO_FAKE_PPDEV_LOG         file that receives one line per open, claim,
//                                   release and close, "stopped" and "continued" around
//                                   such a stop, and after it one line for each of the
//                                   next 1000 register accesses ("write data 0x5A",
//                                   "read status", ...)
//   TAMBERLO_FAKE_PPDEV_FOREIGN     a path: fstat and fstatat (the calls the helper
//                                   checks owners with) report the file or directory it
//                                   names as another user's (uid + 1), the seam through
//                                   which the helper's owner check is tested without root
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "sim/Board.h"
#include "tests/shim/PreloadOpenClose.h"

namespace {

constexpr const char kDevicePrefix[] = "/dev/tamberlo-parport";
constexpr std::uint8_t kControlLines = 0x0F;
constexpr std::uint8_t kInitialControl = 0x0C; // parport_pc's state for a new device
constexpr std::uint16_t kPortWithoutCable = 0x378;

// Each register access takes a bus cycle of about 1 us on a real port; the board's clock
// counts it, as the simulated driver's does, so the chip sees the same timing.
constexpr std::uint64_t kPortAccessNs = 1000;
constexpr unsigned kAccessesLoggedAfterStop = 1000;

struct FakePort {
    sim::SteadyClock clock{kPortAccessNs};
    std::unique_ptr<sim::Board> board;
    std::uint16_t base = kPortWithoutCable;
    std::uint8_t control = kInitialControl; // the driver's copy
    bool claimed = false;
    bool claimedBefore = false;
    unsigned long long accesses = 0;
    unsigned accessesToLog = 0; // once it was stopped and continued
    int fd = -1;
};

FakePort& Port() {
    static FakePort port;
    return port;
}

using shim::Real;

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Log(const char* event) {
    const std::string path = Setting("TAMBERLO_FAKE_PPDEV_LOG");
    if (path.empty())
        return;
    if (FILE* log = std::fopen(path.c_str(), "a")) {
        std::fprintf(log, "%s\n", event);
        std::fclose(log);
    }
}

// The errno a failure setting asks for at `step` ("open" or "claim"), 0 for none,
// -1 for "wait".
int RequestedFailure(const char* step) {
    const std::string fail = Setting("TAMBERLO_FAKE_PPDEV_FAIL");
    const std::string prefix = std::string(step) + ":";
    if (fail.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const std::string what = fail.substr(prefix.size());
    if (what == "ENOENT")
        return ENOENT;
    if (what == "EACCES")
        return EACCES;
    if (what == "ENXIO")
        return ENXIO;
    if (what == "EBUSY")
        return EBUSY;
    if (what == "wait")
        return -1;
    return EIO;
}

bool IsFakeDevice(const char* path) {
    const std::size_t prefix = sizeof kDevicePrefix - 1;
    if (path == nullptr || std::strncmp(path, kDevicePrefix, prefix) != 0 || path[prefix] == '\0')
        return false;
    for (const char* c = path + prefix; *c != '\0'; ++c)
        if (*c < '0' || *c > '9')
            return false;
    return true;
}

int OpenFake(int flags) {
    if (const int failure = RequestedFailure("open")) {
        errno = failure;
        return -1;
    }
    FakePort& port = Port();
    if (port.fd >= 0) {
        errno = EBUSY; // one opener at a time is all the tests need
        return -1;
    }
    sim::BoardSettings settings;
    std::string error;
    if (!sim::SettingsFromEnvironment(&settings, &error) ||
        !(port.board = sim::Board::Create(settings, port.clock, &error))) {
        std::fprintf(stderr, "fake ppdev: %s\n", error.c_str());
        errno = EIO;
        return -1;
    }
    if (const std::uint16_t base = sim::CablePortBase(settings))
        port.base = base;
    port.fd = shim::RealOpen("/dev/null", (flags & O_CLOEXEC) | O_RDWR);
    Log("open");
    return port.fd;
}

void CountAccess() {
    static const std::string killAfter = Setting("TAMBERLO_FAKE_PPDEV_KILL_AFTER");
    FakePort& port = Port();
    ++port.accesses;
    if (!killAfter.empty() && port.accesses >= std::strtoull(killAfter.c_str(), nullptr, 10)) {
        Log("killed");
        ::kill(::getpid(), SIGKILL);
    }
}

// After the access is done: the stop that TAMBERLO_FAKE_PPDEV_STOP_AT asks for.
void StopIfAsked() {
    static const std::string stopAt = Setting("TAMBERLO_FAKE_PPDEV_STOP_AT");
    FakePort& port = Port();
    if (stopAt.empty() || port.accesses != std::strtoull(stopAt.c_str(), nullptr, 10))
        return;
    Log("stopped");
    ::raise(SIGSTOP);
    Log("continued");
    port.accessesToLog = kAccessesLoggedAfterStop;
}

void LogAccess(unsigned long request, unsigned char byte) {
    FakePort& port = Port();
    if (port.accessesToLog == 0)
        return;
    --port.accessesToLog;
    char line[32];
    switch (request) {
    case PPWDATA:
        std::snprintf(line, sizeof line, "write data 0x%02X", byte);
        break;
    case PPWCONTROL:
        std::snprintf(line, sizeof line, "write control 0x%02X", byte);
        break;
    case PPRDATA:
        std::snprintf(line, sizeof line, "read data");
        break;
    case PPRSTATUS:
        std::snprintf(line, sizeof line, "read status");
        break;
    default:
        std::snprintf(line, sizeof line, "read control");
        break;
    }
    Log(line);
}

int Claim() {
    FakePort& port = Port();
    const int failure = RequestedFailure("claim");
    if (failure == -1) {
        ::pause(); // until a signal, as parport_claim_or_block's interruptible sleep
        errno = EINTR;
        return -1;
    }
    if (failure != 0) {
        errno = failure;
        return -1;
    }
    if (port.claimed) {
        errno = EINVAL;
        return -1;
    }
    port.claimed = true;
    if (!port.claimedBefore) {
        port.claimedBefore = true;
        port.control = kInitialControl;
        port.board->Out(static_cast<std::uint16_t>(port.base + 2), port.control);
    }
    Log("claim");
    return 0;
}

int Access(unsigned long request, unsigned char* byte);

int RegisterAccess(unsigned long request, unsigned char* byte) {
    if (!Port().claimed) {
        errno = EINVAL; // ppdev: claim the port first
        return -1;
    }
    CountAccess();
    LogAccess(request, *byte);
    const int result = Access(request, byte);
    StopIfAsked();
    return result;
}

int Access(unsigned long request, unsigned char* byte) {
    FakePort& port = Port();
    switch (request) {
    case PPRDATA:
        *byte = port.board->In(port.base);
        return 0;
    case PPWDATA:
        port.board->Out(port.base, *byte);
        return 0;
    case PPRSTATUS:
        *byte = port.board->In(static_cast<std::uint16_t>(port.base + 1));
        return 0;
    case PPRCONTROL:
        *byte = port.control & kControlLines;
        return 0;
    case PPWCONTROL:
        port.control = *byte & kControlLines;
        port.board->Out(static_cast<std::uint16_t>(port.base + 2), port.control);
        return 0;
    default:
        errno = EINVAL;
        return -1;
    }
}

int FakeIoctl(unsigned long request, void* argument) {
    FakePort& port = Port();
    switch (request) {
    case PPCLAIM:
        return Claim();
    case PPRELEASE:
        if (!port.claimed) {
            errno = EINVAL;
            return -1;
        }
        port.claimed = false;
        Log("release");
        return 0;
    case PPDATADIR:
        return 0;
    case PPRDATA:
    case PPWDATA:
    case PPRSTATUS:
    case PPRCONTROL:
    case PPWCONTROL:
        return RegisterAccess(request, static_cast<unsigned char*>(argument));
    default:
        errno = ENOTTY;
        return -1;
    }
}

// The owner that TAMBERLO_FAKE_PPDEV_FOREIGN gives the file `info` describes.
void ForeignOwner(struct stat* info) {
    static const std::string foreign = Setting("TAMBERLO_FAKE_PPDEV_FOREIGN");
    static auto realFstatat = Real<int (*)(int, const char*, struct stat*, int)>("fstatat");
    struct stat named {};
    if (!foreign.empty() &&
        realFstatat(AT_FDCWD, foreign.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == info->st_dev && named.st_ino == info->st_ino)
        info->st_uid = named.st_uid + 1;
}

} // namespace

int shim::OpenDevice(const char* path, int flags) {
    return IsFakeDevice(path) ? OpenFake(flags) : kNotTheShims;
}

void shim::ClosingDescriptor(int fd) {
    FakePort& port = Port();
    if (fd >= 0 && fd == port.fd) {
        port.board.reset(); // saves the chip file
        port.fd = -1;
        port.claimed = false;
        Log("close");
    }
}

extern "C" {

int fstat(int fd, struct stat* info) {
    static auto realFstat = Real<int (*)(int, struct stat*)>("fstat");
    const int result = realFstat(fd, info);
    if (result == 0)
        ForeignOwner(info);
    return result;
}

int fstatat(int directory, const char* path, struct stat* info, int flags) {
    static auto realFstatat = Real<int (*)(int, const char*, struct stat*, int)>("fstatat");
    const int result = realFstatat(directory, path, info, flags);
    if (result == 0)
        ForeignOwner(info);
    return result;
}

int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void* argument = va_arg(ap, void*);
    va_end(ap);
    if (fd >= 0 && fd == Port().fd)
        return FakeIoctl(request, argument);
    static auto realIoctl = Real<int (*)(int, unsigned long, ...)>("ioctl");
    return realIoctl(fd, request, argument);
}

} // extern "C"
