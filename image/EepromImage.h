// The EEPROM data of a HEX file (an avr-objcopy .eep, or any Intel HEX file of EEPROM
// bytes): each byte a record stored and which bytes those are, so that a write touches only
// the bytes the file holds. Portable; allocates nothing.
#ifndef TAMBERLO_IMAGE_EEPROMIMAGE_H
#define TAMBERLO_IMAGE_EEPROMIMAGE_H

#include <cstddef>
#include <cstdint>

// The largest EEPROM of the chips this program programs (the ATmega32's).
constexpr std::size_t kEepromImageSize = 1024;

struct EepromImage {
    unsigned char bytes[kEepromImageSize];
    bool present[kEepromImageSize]; // true where a data record stored the byte
    std::uint32_t count;            // bytes present
    std::uint32_t end;              // one past the highest byte present; 0 when none
};

#endif
