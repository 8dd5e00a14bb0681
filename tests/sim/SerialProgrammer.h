// Test driver that bit-bangs the serial programming interface through the
// board's printer-port registers, the way the Windows program does.
#pragma once

#include <array>
#include <cstdint>

#include "sim/Board.h"

namespace simtest {

class SerialProgrammer {
public:
    SerialProgrammer(sim::Board& board, sim::VirtualClock& clock, std::uint16_t base = 0x378)
        : board_(board), clock_(clock), base_(base) {}

    // Extra time let pass before every register write (on top of the clock's
    // own cost per access).
    void SetSettleNs(std::uint64_t ns) { settleNs_ = ns; }

    void SetReset(bool high) { SetDataBit(0x02, high); }
    void SetSck(bool high) { SetDataBit(0x01, high); }
    // The port inverts control bit 0 onto pin 1: register bit 0 = 0 drives MOSI high.
    void SetMosi(bool high) {
        control_ = high ? (control_ & ~0x01) : (control_ | 0x01);
        clock_.Advance(settleNs_);
        board_.Out(base_ + 2, control_);
    }
    bool Miso() { return (board_.In(base_ + 1) & 0x40) != 0; }

    // RESET and SCK low, a positive RESET pulse, then the 20 ms wait.
    void ResetPulse(unsigned long waitMs = 20) {
        SetSck(false);
        SetReset(false);
        SetReset(true);
        SetReset(false);
        clock_.AdvanceMs(waitMs);
    }
    void ExtraSckPulse() {
        SetSck(true);
        SetSck(false);
    }

    std::uint8_t TransferByte(std::uint8_t out) {
        std::uint8_t in = 0;
        for (int bit = 7; bit >= 0; --bit) {
            SetMosi((out >> bit) & 1);
            in = static_cast<std::uint8_t>((in << 1) | (Miso() ? 1 : 0));
            SetSck(true);
            SetSck(false);
        }
        return in;
    }
    // One byte with chosen MOSI timing around each rising SCK edge: MOSI takes
    // the bit `setupNs` before SCK rises and, when `nextBitAfterNs` is not 0,
    // already the following bit that long after the rise (the last bit keeps
    // its level). SCK stays high `phaseNs` and low at least that long. Time
    // moves only as stated here (plus the clock's cost per access).
    void SendByteTimed(std::uint8_t out, std::uint64_t setupNs, std::uint64_t nextBitAfterNs,
                       std::uint64_t phaseNs) {
        const std::uint64_t settle = settleNs_;
        settleNs_ = 0;
        for (int bit = 7; bit >= 0; --bit) {
            clock_.Advance(phaseNs);
            SetMosi((out >> bit) & 1);
            clock_.Advance(setupNs);
            SetSck(true);
            if (nextBitAfterNs != 0 && bit > 0) {
                clock_.Advance(nextBitAfterNs);
                SetMosi((out >> (bit - 1)) & 1);
                clock_.Advance(phaseNs - nextBitAfterNs);
            } else {
                clock_.Advance(phaseNs);
            }
            SetSck(false);
        }
        settleNs_ = settle;
    }

    std::array<std::uint8_t, 4> Transfer(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                         std::uint8_t b4) {
        return {TransferByte(b1), TransferByte(b2), TransferByte(b3), TransferByte(b4)};
    }

    // Programming Enable; true when the chip echoed 0x53 in step.
    bool ProgrammingEnable() { return Transfer(0xAC, 0x53, 0x00, 0x00)[2] == 0x53; }
    void Enter() {
        ResetPulse();
        ProgrammingEnable();
    }

    std::uint8_t ReadFlash(std::uint32_t byteAddress) {
        const std::uint32_t word = byteAddress / 2;
        return Transfer((byteAddress & 1) ? 0x28 : 0x20, word >> 8, word & 0xFF, 0)[3];
    }
    void WriteFlash(std::uint32_t byteAddress, std::uint8_t value) {
        const std::uint32_t word = byteAddress / 2;
        Transfer((byteAddress & 1) ? 0x48 : 0x40, word >> 8, word & 0xFF, value);
    }
    std::uint8_t ReadEeprom(std::uint32_t address) {
        return Transfer(0xA0, address >> 8, address & 0xFF, 0)[3];
    }
    void WriteEeprom(std::uint32_t address, std::uint8_t value) {
        Transfer(0xC0, address >> 8, address & 0xFF, value);
    }
    std::uint8_t ReadLockFuse() { return Transfer(0x58, 0, 0, 0)[3]; }
    std::uint8_t ReadSignature(std::uint8_t index) { return Transfer(0x30, 0, index, 0)[3]; }
    void ChipErase() { Transfer(0xAC, 0x80, 0, 0); }
    // AT90S form: the lock bits in byte 2.
    void WriteLockBits(std::uint8_t secondByte) { Transfer(0xAC, secondByte, 0, 0); }
    // ATmega form: the lock byte in byte 4.
    void WriteLockByte(std::uint8_t lockByte) { Transfer(0xAC, 0xE0, 0x00, lockByte); }
    // ATmega fuse and calibration bytes.
    std::uint8_t ReadLowFuse() { return Transfer(0x50, 0x00, 0, 0)[3]; }
    std::uint8_t ReadHighFuse() { return Transfer(0x58, 0x08, 0, 0)[3]; }
    void WriteLowFuse(std::uint8_t value) { Transfer(0xAC, 0xA0, 0x00, value); }
    void WriteHighFuse(std::uint8_t value) { Transfer(0xAC, 0xA8, 0x00, value); }
    std::uint8_t ReadCalibration(std::uint8_t index) { return Transfer(0x38, 0x00, index, 0)[3]; }
    // ATmega page buffer: the byte of flash byte address `byteAddress`, at its word's
    // place in a page of `pageWords` words.
    void LoadPage(std::uint32_t byteAddress, unsigned pageWords, std::uint8_t value) {
        const std::uint32_t place = byteAddress / 2 % pageWords;
        Transfer((byteAddress & 1) ? 0x48 : 0x40, 0x00, place, value);
    }
    // Programs the page that holds word `word` (the word address of its first word).
    void WritePage(std::uint32_t word) { Transfer(0x4C, word >> 8, word & 0xFF, 0x00); }

private:
    void SetDataBit(std::uint8_t mask, bool high) {
        data_ = high ? (data_ | mask) : (data_ & ~mask);
        clock_.Advance(settleNs_);
        board_.Out(base_, data_);
    }

    sim::Board& board_;
    sim::VirtualClock& clock_;
    std::uint16_t base_;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 0;
    std::uint64_t settleNs_ = 0;
};

} // namespace simtest
