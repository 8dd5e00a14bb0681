// Test driver that bit-bangs the serial programming interface through the
// simulated inpout32.dll's Inp32/Out32, the way a program using the DLL does.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "tests/driver/DriverLibrary.h"
#include "tests/harness/Stopwatch.h"

namespace drivertest {

// Bit-bangs the serial programming interface through the DLL's calls, with
// the cable's wiring: SCK data bit 0, RESET data bit 1, MOSI control bit 0
// (inverted by the port), MISO status bit 6. `holdSeconds` of real time pass after
// MOSI is set and after each SCK edge, as the program's own accesses and bit delays
// take; a driver that replays the program's timing on a real port needs them.
class DllProgrammer {
public:
    DllProgrammer(const DriverLibrary& dll, std::uint16_t base, double holdSeconds = 0)
        : m_dll(dll), m_base(base), m_holdSeconds(holdSeconds) {}

    void SetData(std::uint8_t value) {
        m_data = value;
        m_dll.Out32(static_cast<short>(m_base), value);
    }
    void SetMosi(bool high) { m_dll.Out32(static_cast<short>(m_base + 2), high ? 0x00 : 0x01); }
    bool Miso() { return (m_dll.Inp32(static_cast<short>(m_base + 1)) & 0x40) != 0; }

    // A RESET pulse with SCK low, then the chip's 20 ms start-up (real time).
    void ResetPulse() {
        SetData(0x00);
        SetData(0x02);
        SetData(0x00);
        ::Sleep(25);
    }
    std::array<std::uint8_t, 4> Transfer(std::array<std::uint8_t, 4> out) {
        std::array<std::uint8_t, 4> in{};
        for (std::size_t byte = 0; byte < 4; ++byte) {
            for (int bit = 7; bit >= 0; --bit) {
                SetMosi((out[byte] >> bit) & 1);
                in[byte] = static_cast<std::uint8_t>((in[byte] << 1) | (Miso() ? 1 : 0));
                Hold();
                SetData(m_data | 0x01);
                Hold();
                SetData(m_data & ~0x01);
                Hold();
            }
        }
        return in;
    }

private:
    void Hold() const {
        const LONGLONG start = StopwatchNow();
        while (SecondsSince(start) < m_holdSeconds) {
        }
    }

    const DriverLibrary& m_dll;
    std::uint16_t m_base;
    double m_holdSeconds;
    std::uint8_t m_data = 0x00;
};

} // namespace drivertest
