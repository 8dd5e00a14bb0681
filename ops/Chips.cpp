// The chip table, from the chips' datasheets (signatures, flash sizes, pages, lock
// instructions, write times); the test beside it checks all but the times against
// avrdude's part descriptions.
#include "ops/Chips.h"

#include "ops/ChipFacts.h"

namespace {

// Write Lock Bits of the AT90S chips, 1010 1100 1111 1ii1: bit 1 = 0 programs lock bit
// 1, bit 2 = 0 lock bit 2.
constexpr SerialInstruction kAt90sLock1 = {{0xAC, 0xFD, 0x00, 0x00}};
constexpr SerialInstruction kAt90sLock2 = {{0xAC, 0xF9, 0x00, 0x00}};
// Write Lock Bits of the ATmega chips, the lock byte in byte 4 (0 programs): LB1 in bit
// 0, LB2 in bit 1; the boot lock bits 2-5 stay unprogrammed.
constexpr SerialInstruction kAtmegaLock1 = {{0xAC, 0xE0, 0x00, 0xFE}};
constexpr SerialInstruction kAtmegaLock2 = {{0xAC, 0xE0, 0x00, 0xFC}};
constexpr SerialInstruction kNoInstruction = {{0x00, 0x00, 0x00, 0x00}};

// Waits per unit of DELAY BYTE, above the datasheets' worst case at 5 V: an AT90S byte
// write takes 4 ms, an ATmega page write 4.5 ms; chip erase at most 9 ms, a lock write
// at most 9 ms.
constexpr std::uint32_t kAt90sByteWait_us = 4000;
constexpr std::uint32_t kAtmegaPageWait_us = 4500;
constexpr std::uint32_t kEraseWait_us = 40000;
constexpr std::uint32_t kLockWait_us = 100000;

constexpr unsigned char kReadSignature = 0x30;
constexpr unsigned char kReadFlashLow = 0x20;
constexpr unsigned char kReadFlashHigh = 0x28;
constexpr unsigned char kWriteFlashLow = 0x40; // Load Program Memory Page on paged chips
constexpr unsigned char kWriteFlashHigh = 0x48;
constexpr unsigned char kWritePage = 0x4C;

constexpr ChipInfo At90s(unsigned char family, unsigned char part, const char* name,
                         std::uint32_t flashBytes, const ChipFacts& facts) {
    return {{0x1E, family, part},
            name,
            flashBytes,
            FlashWriting::ByteByByte,
            0,
            true,
            kAt90sLock1,
            kAt90sLock2,
            kAt90sByteWait_us,
            kEraseWait_us,
            kLockWait_us,
            &facts};
}

constexpr ChipInfo Atmega(unsigned char family, unsigned char part, const char* name,
                          std::uint32_t flashBytes, std::uint32_t pageWords,
                          const ChipFacts& facts) {
    return {{0x1E, family, part},  name,         flashBytes,
            FlashWriting::ByPages, pageWords,    true,
            kAtmegaLock1,          kAtmegaLock2, kAtmegaPageWait_us,
            kEraseWait_us,         kLockWait_us, &facts};
}

// A chip the program recognises and refuses: no instructions and no waits of its own.
constexpr ChipInfo Refused(unsigned char family, unsigned char part, const char* name,
                           std::uint32_t flashBytes, std::uint32_t pageWords) {
    return {{0x1E, family, part},
            name,
            flashBytes,
            FlashWriting::ByPages,
            pageWords,
            false,
            kNoInstruction,
            kNoInstruction,
            0,
            0,
            0,
            nullptr};
}

} // namespace

const ChipInfo kChips[] = {
    At90s(0x93, 0x03, "AT90S8535", 8192, kAt90s8535Facts),
    Atmega(0x93, 0x08, "ATmega8535", 8192, 32, kAtmega8535Facts),
    Atmega(0x94, 0x03, "ATmega16/ATmega16A", 16384, 64, kAtmega16Facts),
    Atmega(0x95, 0x02, "ATmega32/ATmega32A", 32768, 64, kAtmega32Facts),
    // The AT90S8535's datasheet covers it: the same instructions and times, 4 KB of flash
    // and 256 bytes of EEPROM.
    At90s(0x92, 0x02, "AT90S4434", 4096, kAt90s4434Facts),
    // The other AVRs with the AT90S8535's 40-pin pinout.
    Refused(0x94, 0x02, "ATmega163", 16384, 64),
    Refused(0x94, 0x0A, "ATmega164P/ATmega164PA", 16384, 64),
    Refused(0x94, 0x0F, "ATmega164A", 16384, 64),
    Refused(0x95, 0x08, "ATmega324P", 32768, 64),
    Refused(0x95, 0x11, "ATmega324PA", 32768, 64),
    Refused(0x95, 0x15, "ATmega324A", 32768, 64),
    // Made in 44-pin packages only, but a board may carry it wired like the others.
    Refused(0x95, 0x17, "ATmega324PB", 32768, 64),
    Refused(0x96, 0x09, "ATmega644/ATmega644A", 65536, 128),
    Refused(0x96, 0x0A, "ATmega644P/ATmega644PA", 65536, 128),
    Refused(0x97, 0x06, "ATmega1284", 131072, 128),
    Refused(0x97, 0x05, "ATmega1284P", 131072, 128),
};
const std::size_t kChipCount = sizeof kChips / sizeof kChips[0];

const ChipInfo* FindChip(const unsigned char signature[3]) {
    for (const ChipInfo& chip : kChips) {
        if (chip.signature[0] == signature[0] && chip.signature[1] == signature[1] &&
            chip.signature[2] == signature[2]) {
            return &chip;
        }
    }
    return nullptr;
}

std::uint32_t WaitMs(std::uint32_t waitPerUnit_us, std::uint32_t delayByte) {
    const std::uint64_t us = std::uint64_t{waitPerUnit_us} * delayByte;
    return static_cast<std::uint32_t>((us + 999) / 1000);
}

namespace {

SerialInstruction Make(unsigned char b1, std::uint32_t word, unsigned char b4) {
    return {{b1, static_cast<unsigned char>(word >> 8 & 0xFF),
             static_cast<unsigned char>(word & 0xFF), b4}};
}

bool IsHighByte(std::uint32_t byteIndex) {
    return (byteIndex & 1) != 0;
}

} // namespace

SerialInstruction ReadSignatureInstruction(unsigned index) {
    return Make(kReadSignature, index, 0x00);
}

SerialInstruction ReadFlashInstruction(std::uint32_t byteIndex) {
    return Make(IsHighByte(byteIndex) ? kReadFlashHigh : kReadFlashLow, byteIndex / 2, 0x00);
}

SerialInstruction WriteFlashByteInstruction(std::uint32_t byteIndex, unsigned char data) {
    return Make(IsHighByte(byteIndex) ? kWriteFlashHigh : kWriteFlashLow, byteIndex / 2, data);
}

SerialInstruction LoadPageInstruction(const ChipInfo& chip, std::uint32_t byteIndex,
                                      unsigned char data) {
    const std::uint32_t place = chip.pageWords == 0 ? 0 : byteIndex / 2 % chip.pageWords;
    return Make(IsHighByte(byteIndex) ? kWriteFlashHigh : kWriteFlashLow, place, data);
}

SerialInstruction WritePageInstruction(const ChipInfo& chip, std::uint32_t byteIndex) {
    const std::uint32_t word = byteIndex / 2;
    const std::uint32_t firstWord = chip.pageWords == 0 ? word : word - word % chip.pageWords;
    return Make(kWritePage, firstWord, 0x00);
}
