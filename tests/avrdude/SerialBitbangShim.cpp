// LD_PRELOAD library that shows the simulated board to avrdude as a serial
// bit-bang ("serbb") programmer on the port path /dev/tamberlo-sim.
//
// avrdude drives the modem lines with TIOCMBIS/TIOCMBIC, TXD with the break
// ioctls, and reads them with TIOCMGET. Each line change becomes one printer
// port register write on the board, so the board's register and cable path is
// what gets exercised: DTR -> RESET (data bit 1), RTS -> SCK (data bit 0),
// TXD -> MOSI (control bit 0, inverted by the port), CTS <- MISO (status bit 6).
// Time is virtual: every port access costs 1 us, and avrdude's sleeps advance
// the clock instead of waiting; gettimeofday reports that virtual time so
// avrdude's write-polling timeouts agree with the chip's.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "lpt/LptAddress.h"
#include "sim/Board.h"
#include "tests/shim/PreloadOpenClose.h"

namespace {

constexpr const char* kPortPath = "/dev/tamberlo-sim";

struct Session {
    sim::VirtualClock clock;
    std::unique_ptr<sim::Board> board;
    std::uint16_t base = 0x378;
    std::uint8_t data = 0x00;    // bit 0 SCK, bit 1 RESET
    std::uint8_t control = 0x01; // bit 0 set = MOSI low
    int fd = -1;
    struct timeval start {};
};

Session& State() {
    static Session session;
    return session;
}

using shim::Real;

bool IsOurs(int fd) {
    return fd >= 0 && fd == State().fd;
}

int OpenBoard(int realFd) {
    Session& s = State();
    sim::BoardSettings settings;
    std::string error;
    if (!sim::SettingsFromEnvironment(&settings, &error) ||
        !(s.board = sim::Board::Create(settings, s.clock, &error))) {
        std::fprintf(stderr, "tamberlo shim: %s\n", error.c_str());
        close(realFd);
        errno = EIO;
        return -1;
    }
    const std::uint16_t cable = sim::CablePortBase(settings);
    s.base = cable != 0 ? cable : lpt::StandardBase(1); // no cable: a port with nothing on it
    s.board->Out(s.base, s.data);
    s.board->Out(s.base + 2, s.control);
    s.fd = realFd;
    return realFd;
}

void SetLine(int bit, bool on) {
    Session& s = State();
    switch (bit) {
    case TIOCM_DTR:
        s.data = on ? (s.data | 0x02) : (s.data & ~0x02);
        s.board->Out(s.base, s.data);
        break;
    case TIOCM_RTS:
        s.data = on ? (s.data | 0x01) : (s.data & ~0x01);
        s.board->Out(s.base, s.data);
        break;
    default:
        break;
    }
}

void SetTxd(bool on) {
    Session& s = State();
    s.control = on ? (s.control & ~0x01) : (s.control | 0x01);
    s.board->Out(s.base + 2, s.control);
}

int ModemLines() {
    Session& s = State();
    int lines = 0;
    lines |= (s.data & 0x02) ? TIOCM_DTR : 0;
    lines |= (s.data & 0x01) ? TIOCM_RTS : 0;
    lines |= (s.board->In(s.base + 1) & 0x40) ? TIOCM_CTS : 0;
    return lines;
}

int HandleIoctl(unsigned long request, void* arg) {
    switch (request) {
    case TIOCMGET:
        *static_cast<int*>(arg) = ModemLines();
        return 0;
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMSET: {
        const int bits = *static_cast<int*>(arg);
        for (int line : {TIOCM_DTR, TIOCM_RTS}) {
            if (request == TIOCMSET) {
                SetLine(line, (bits & line) != 0);
            } else if (bits & line) {
                SetLine(line, request == TIOCMBIS);
            }
        }
        return 0;
    }
    case TIOCSBRK:
        SetTxd(true);
        return 0;
    case TIOCCBRK:
        SetTxd(false);
        return 0;
    default:
        return 0;
    }
}

std::uint64_t VirtualNs() {
    return State().clock.NowNs();
}

} // namespace

int shim::OpenDevice(const char* path, int) {
    if (path == nullptr || std::strcmp(path, kPortPath) != 0)
        return kNotTheShims;
    return OpenBoard(RealOpen("/dev/null", O_RDWR));
}

void shim::ClosingDescriptor(int fd) {
    if (IsOurs(fd)) {
        State().board.reset(); // saves the chip file
        State().fd = -1;
    }
}

extern "C" {

int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (IsOurs(fd)) {
        return HandleIoctl(request, arg);
    }
    static auto realIoctl = Real<int (*)(int, unsigned long, ...)>("ioctl");
    return realIoctl(fd, request, arg);
}

int tcgetattr(int fd, struct termios* t) {
    if (IsOurs(fd)) {
        std::memset(t, 0, sizeof *t);
        return 0;
    }
    static auto real = Real<int (*)(int, struct termios*)>("tcgetattr");
    return real(fd, t);
}

int tcsetattr(int fd, int actions, const struct termios* t) {
    if (IsOurs(fd)) {
        return 0;
    }
    static auto real = Real<int (*)(int, int, const struct termios*)>("tcsetattr");
    return real(fd, actions, t);
}

int tcflush(int fd, int queue) {
    if (IsOurs(fd)) {
        return 0;
    }
    static auto real = Real<int (*)(int, int)>("tcflush");
    return real(fd, queue);
}

int usleep(useconds_t us) {
    State().clock.Advance(std::uint64_t{us} * 1000u);
    return 0;
}

int nanosleep(const struct timespec* req, struct timespec* rem) {
    State().clock.Advance(std::uint64_t(req->tv_sec) * 1'000'000'000u +
                          std::uint64_t(req->tv_nsec));
    if (rem != nullptr) {
        rem->tv_sec = 0;
        rem->tv_nsec = 0;
    }
    return 0;
}

int gettimeofday(struct timeval* tv, void* tz) {
    static auto real = Real<int (*)(struct timeval*, void*)>("gettimeofday");
    Session& s = State();
    if (s.start.tv_sec == 0) {
        real(&s.start, nullptr);
    }
    const std::uint64_t us = std::uint64_t(s.start.tv_usec) + VirtualNs() / 1000u;
    tv->tv_sec = s.start.tv_sec + static_cast<time_t>(us / 1'000'000u);
    tv->tv_usec = static_cast<suseconds_t>(us % 1'000'000u);
    (void)tz;
    return 0;
}

} // extern "C"
