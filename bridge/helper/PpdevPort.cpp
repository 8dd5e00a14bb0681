// The printer port through ppdev.
//
// What the ppdev ioctls carry, on the PC's parport_pc driver: PPRSTATUS returns the
// status register as read (inb), so Busy (bit 7) arrives inverted by the port hardware
// just as an inb shows it, and bits 0-2 as the chip reads them. PPWCONTROL writes bits
// 0-3 of the byte unchanged into the control register (the driver keeps a copy and
// outb's it; the PARPORT_CONTROL_* names are register bits, with nStrobe, nAutoFd and
// nSelectIn still inverted by the hardware, not by the kernel). PPRCONTROL returns that
// copy of bits 0-3, which is what the control latch reads back. PPRDATA/PPWDATA are
// inb/outb of the data register. Other ports' drivers (Amiga, Atari, ...) present their
// lines in the same PC register form. So every byte passes through as it is; nothing
// here inverts anything. Control bits 4-7 are the kernel's own: bit 4 enables the
// port's interrupt and bit 5 would turn the data lines into inputs (the driver treats a
// PPWCONTROL with bit 5 as a request to reverse them), so they are not passed on, and
// read back as 0.
#include "bridge/helper/PpdevPort.h"

#include "lpt/PrinterPort.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bridge {

namespace {

// PPCLAIM sleeps while another driver or program holds the port; an alarm ends the wait.
constexpr unsigned kClaimWait_s = 2;

volatile std::sig_atomic_t g_claimTimedOut = 0;

void ClaimAlarm(int) {
    g_claimTimedOut = 1;
}

std::string Directory(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// "parport" for /dev/parport1: the name without its number.
std::string DeviceStem(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    while (!name.empty() && name.back() >= '0' && name.back() <= '9')
        name.pop_back();
    return name;
}

// The devices beside `path` named like it (/dev/parport0, /dev/parport1, ...).
std::vector<std::string> SiblingDevices(const std::string& path) {
    std::vector<std::string> found;
    const std::string directory = Directory(path);
    const std::string stem = DeviceStem(path);
    if (stem.empty())
        return found;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > stem.size() && name.compare(0, stem.size(), stem) == 0)
                found.push_back((directory == "/" ? "" : directory) + "/" + name);
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The group's name as /etc/group gives it. The helper is linked statically, where the
// C library's group lookup would need the name-service libraries of the build machine.
std::string GroupName(gid_t gid) {
    std::string name;
    if (FILE* groups = std::fopen("/etc/group", "r")) {
        char line[1024];
        while (name.empty() && std::fgets(line, sizeof line, groups) != nullptr) {
            // name:password:gid:members
            const char* first = std::strchr(line, ':');
            const char* second = first != nullptr ? std::strchr(first + 1, ':') : nullptr;
            char* end = nullptr;
            if (second != nullptr && std::strtoul(second + 1, &end, 10) == gid && *end == ':')
                name.assign(line, static_cast<std::size_t>(first - line));
        }
        std::fclose(groups);
    }
    return name;
}

std::string OwningGroup(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) == 0) {
        const std::string name = GroupName(info.st_gid);
        if (!name.empty())
            return name;
    }
    return "lp";
}

std::string Prefix(const std::string& device) {
    return "cannot open the printer port " + device + ": ";
}

std::string ClaimFailureMessage(const std::string& device, int error) {
    switch (error) {
    case EBUSY:
    case EINTR:
        return "the printer port " + device +
               " is busy: another program or driver holds it (a print job, or another "
               "tamberlo-ppdev). Stop it and try again.";
    case ENXIO:
    case ENODEV:
        return "the printer port " + device +
               " cannot be claimed: the kernel has no port behind it any more, or another "
               "program holds it exclusively.";
    default:
        return "the printer port " + device + " cannot be claimed: " + std::strerror(error);
    }
}

} // namespace

std::string OpenFailureMessage(const std::string& device, int error) {
    switch (error) {
    case ENOENT: {
        const std::vector<std::string> ports = SiblingDevices(device);
        if (ports.empty())
            return Prefix(device) + "it does not exist, and there is no printer port device (" +
                   Directory(device) + "/" + DeviceStem(device) +
                   "*) at all. The kernel's printer port drivers are not loaded; load "
                   "them with\n    sudo modprobe parport_pc ppdev\n"
                   "(add the lines parport_pc and ppdev to /etc/modules to load them at "
                   "every start). If the device still does not appear, the kernel found no "
                   "printer port: see dmesg | grep parport.";
        std::string list;
        for (const std::string& port : ports)
            list += " " + port;
        return Prefix(device) + "it does not exist. Printer ports on this machine:" + list;
    }
    case EACCES:
    case EPERM:
        return Prefix(device) + "permission denied. Add yourself to the group " +
               OwningGroup(device) + " that may use it:\n    sudo usermod -aG " +
               OwningGroup(device) +
               " $USER\nthen log out and log in again (the new group counts from the next "
               "login).";
    case ENXIO:
    case ENODEV:
        return Prefix(device) +
               "the device exists but the kernel has no printer port behind it. Check "
               "dmesg | grep parport and the port's setting in the BIOS.";
    case EBUSY:
        return ClaimFailureMessage(device, error);
    default:
        return Prefix(device) + std::strerror(error);
    }
}

PpdevPort::~PpdevPort() {
    Close();
}

bool PpdevPort::Open(const std::string& device, const volatile std::sig_atomic_t& stop,
                     std::string* error) {
    m_fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        *error = OpenFailureMessage(device, errno);
        return false;
    }
    struct sigaction alarm {};
    struct sigaction previous {};
    alarm.sa_handler = &ClaimAlarm; // no SA_RESTART: the alarm interrupts the claim
    ::sigemptyset(&alarm.sa_mask);
    ::sigaction(SIGALRM, &alarm, &previous);
    g_claimTimedOut = 0;
    ::alarm(kClaimWait_s);
    const int claimed = ::ioctl(m_fd, PPCLAIM);
    const int claimError = errno;
    ::alarm(0);
    ::sigaction(SIGALRM, &previous, nullptr);
    if (claimed != 0) {
        if (claimError == ENOTTY || claimError == EINVAL)
            *error = Prefix(device) + "it is not a ppdev printer port device (use /dev/parportN, "
                                      "not /dev/lpN).";
        else if (claimError == EINTR && stop && !g_claimTimedOut)
            error->clear(); // asked to stop while waiting
        else
            *error = ClaimFailureMessage(device, claimError);
        Close();
        return false;
    }
    m_claimed = true;
    int forward = 0; // data lines driven by the port, as the cable needs them
    if (::ioctl(m_fd, PPDATADIR, &forward) != 0) {
        *error = "the printer port " + device +
                 " does not accept the data direction: " + std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

void PpdevPort::Close() {
    if (m_fd < 0)
        return;
    if (m_claimed)
        ::ioctl(m_fd, PPRELEASE);
    m_claimed = false;
    ::close(m_fd);
    m_fd = -1;
}

namespace {

// One register read; bits outside `mask` read as 0, and a refused read as a floating bus.
bool ReadRegister(int fd, unsigned long request, std::uint8_t mask, std::uint8_t* value) {
    unsigned char byte = lpt::kFloatingBus;
    const bool ok = ::ioctl(fd, request, &byte) == 0;
    *value = ok ? static_cast<std::uint8_t>(byte & mask) : lpt::kFloatingBus;
    return ok;
}

} // namespace

bool PpdevPort::ReadData(std::uint8_t* value) {
    return ReadRegister(m_fd, PPRDATA, 0xFF, value);
}

bool PpdevPort::WriteData(std::uint8_t value) {
    unsigned char byte = value;
    return ::ioctl(m_fd, PPWDATA, &byte) == 0;
}

bool PpdevPort::ReadStatus(std::uint8_t* value) {
    return ReadRegister(m_fd, PPRSTATUS, 0xFF, value);
}

// The driver keeps bits 4-7 of the control register; only the lines are the port's.
bool PpdevPort::ReadControl(std::uint8_t* value) {
    return ReadRegister(m_fd, PPRCONTROL, lpt::kControlLines, value);
}

bool PpdevPort::WriteControl(std::uint8_t value) {
    unsigned char byte = value & lpt::kControlLines;
    return ::ioctl(m_fd, PPWCONTROL, &byte) == 0;
}

} // namespace bridge
