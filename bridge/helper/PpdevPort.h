// A printer port through Linux's ppdev driver (/dev/parportN): opened and claimed with
// a message a user can act on when that fails, then one ioctl per register access.
#pragma once

#include <csignal>
#include <cstdint>
#include <string>

namespace bridge {

class PpdevPort {
public:
    PpdevPort() = default;
    ~PpdevPort();
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    // Opens and claims `device`. False with a message saying what is wrong and what to do;
    // also false, with an empty message, when `stop` was set while waiting for the claim.
    bool Open(const std::string& device, const volatile std::sig_atomic_t& stop,
              std::string* error);
    // Releases and closes the port (also done by the destructor).
    void Close();

    // The raw register bytes, as an inb/outb on the port's registers has them. Each is
    // one ioctl; false (reads then give 0xFF) when the driver refused it, with errno set.
    bool ReadData(std::uint8_t* value);
    bool WriteData(std::uint8_t value);
    bool ReadStatus(std::uint8_t* value);
    bool ReadControl(std::uint8_t* value);
    bool WriteControl(std::uint8_t value);

private:
    int m_fd = -1;
    bool m_claimed = false;
};

// What the user is told when `device` cannot be opened with errno `error`.
std::string OpenFailureMessage(const std::string& device, int error);

} // namespace bridge
