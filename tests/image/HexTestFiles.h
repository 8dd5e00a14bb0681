// Test helpers: read a file into an exactly-sized heap buffer, so AddressSanitizer reports any
// read by the parser past the data length, and load it the way the dialog does, size limit
// included.
#ifndef TAMBERLO_TESTS_IMAGE_HEXTESTFILES_H
#define TAMBERLO_TESTS_IMAGE_HEXTESTFILES_H

#include "image/HexParser.h"

#include <optional>
#include <string>
#include <vector>

std::vector<unsigned char> ReadWholeFile(const std::string& path);

// Clears the image, then parses the whole of fileBytes into it.
HexParseResult LoadHexBytes(const std::vector<unsigned char>& fileBytes, FlashImage image);

// Loads the file at path as the program's load sequence does: a file the program refuses for its
// size gives no result and leaves the image untouched; any other is read whole and parsed.
std::optional<HexParseResult> LoadHexFileAsTheProgramDoes(const std::string& path,
                                                          FlashImage image);

#endif
