// The chips this program knows by their signature bytes: for those it programs, what
// programming them takes (flash size, byte-wise or paged writing, lock instructions,
// waits); for the others that fit the same 40-pin socket, their names, so it can say
// what it refuses. Also the serial instructions the program builds from these facts.
// Portable C++17 with no platform headers; allocates nothing and throws nothing.
#ifndef TAMBERLO_OPS_CHIPS_H
#define TAMBERLO_OPS_CHIPS_H

#include <cstddef>
#include <cstdint>

struct ChipFacts;

enum class FlashWriting : unsigned char {
    ByteByByte, // Write Program Memory for each byte, each followed by a wait
    ByPages,    // Load Program Memory Page for each word, then Write Program Memory Page
                // and a wait for each page
};

// One serial programming instruction, in sending order.
struct SerialInstruction {
    unsigned char bytes[4];
};

struct ChipInfo {
    unsigned char signature[3];
    // As Atmel writes it; variants that share the signature are joined by '/'.
    const char* name;
    std::uint32_t flashBytes;
    FlashWriting flashWriting;
    std::uint32_t pageWords; // words per page; 0 when written byte by byte
    bool programmed;         // false: the program only names it and refuses it
    // Write Lock Bits for "Lock 1 Bit" (lock bit 1) and "Lock 2 Bit" (lock bits 1 and
    // 2); all zero for a chip that is not programmed.
    SerialInstruction lock1;
    SerialInstruction lock2;
    // Waits per unit of DELAY BYTE, in microseconds: after each flash write (a byte, or a
    // page), after Chip Erase, after a lock write. Zero for a chip that is not programmed.
    std::uint32_t flashWriteWait_us;
    std::uint32_t eraseWait_us;
    std::uint32_t lockWait_us;
    // EEPROM, lock byte, fuses and calibration bytes (ops/ChipFacts.h); nullptr for a chip
    // that is not programmed.
    const ChipFacts* facts;
};

// The programmed chips first, the AT90S8535 leading.
extern const ChipInfo kChips[];
extern const std::size_t kChipCount;

// The chip whose signature bytes are these three, or nullptr.
const ChipInfo* FindChip(const unsigned char signature[3]);

// A wait of waitPerUnit_us for each unit of delayByte, in whole milliseconds, rounded up.
std::uint32_t WaitMs(std::uint32_t waitPerUnit_us, std::uint32_t delayByte);

// Read Signature Byte: 0x30 0x00 index 0x00, index 0 to 2.
SerialInstruction ReadSignatureInstruction(unsigned index);
// Read Program Memory of flash byte byteIndex: 0x20 (low byte) or 0x28 (high byte), aH, aL
// of its word.
SerialInstruction ReadFlashInstruction(std::uint32_t byteIndex);
// Write Program Memory (byte-wise chips): 0x40 or 0x48, aH, aL of its word, the data.
SerialInstruction WriteFlashByteInstruction(std::uint32_t byteIndex, unsigned char data);
// Load Program Memory Page (paged chips): 0x40 or 0x48, 0x00, the word's place in its
// page, the data.
SerialInstruction LoadPageInstruction(const ChipInfo& chip, std::uint32_t byteIndex,
                                      unsigned char data);
// Write Program Memory Page (paged chips) for the page that holds flash byte byteIndex:
// 0x4C, aH, aL of the page's first word, 0x00.
SerialInstruction WritePageInstruction(const ChipInfo& chip, std::uint32_t byteIndex);

#endif
