// The files of the chip's other memories, for the chip window and the command line alike:
// an EEPROM file read and parsed into EEPROM data, and a memory read written as an Intel HEX
// file. Each message names its file by the full path.
#pragma once
#include "image/EepromImage.h"
#include "ops/OperationResult.h"

#include <cstddef>
#include <cstdint>

// Reads the file `name` into text[0..capacity) and parses it into *image: nullptr when it
// loaded, otherwise the message in `message`.
const char* LoadEepromFile(const char* name, unsigned char* text, std::size_t capacity,
                           EepromImage* image, char* message, std::size_t size);

// Makes data[0..count), the `memory` ("flash", "EEPROM") that `result` read, the whole Intel
// HEX file `name`, built in hexText[0..hexSize). True with the closing message in `message`;
// false with what went wrong, and the file as it was.
bool SaveMemoryFile(const char* memory, const OperationResult& result, const unsigned char* data,
                    std::uint32_t count, const char* name, char* hexText, std::size_t hexSize,
                    char* message, std::size_t size);
