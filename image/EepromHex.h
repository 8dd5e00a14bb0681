// Reading EEPROM data from Intel HEX: the .eep file avr-objcopy writes beside a program
// (`avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex`), or the same data at the
// address avr-objcopy gives the EEPROM section when not told otherwise (0x810000, set by an
// extended linear address record 0x0081). Portable; allocates nothing.
#ifndef TAMBERLO_IMAGE_EEPROMHEX_H
#define TAMBERLO_IMAGE_EEPROMHEX_H

#include "image/EepromImage.h"
#include "image/HexParser.h"

#include <cstddef>

// Parses data[0..length) into *image (cleared first: nothing present, every byte 0xFF). Data
// records must fall within kEepromImageSize bytes from address 0, or from 0x810000. On any
// failure nothing is present; the result's line is also given for NotIntelHex (where the
// reading stopped).
HexParseResult ParseEepromHex(const unsigned char* data, std::size_t length, EepromImage* image);

// The user message for a failed ParseEepromHex (NUL-terminated when size > 0, truncated to
// fit); buffer is returned.
const char* FormatEepromHexMessage(const HexParseResult& result, char* buffer, std::size_t size);

#endif
