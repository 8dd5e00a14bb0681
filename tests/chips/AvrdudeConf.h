// Reads the part descriptions of avrdude's configuration file (/etc/avrdude.conf): each
// part's fields and memories with what it inherits from its parent resolved, and the
// instruction bit patterns in avrdude's notation.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace avrconf {

// Field name -> value as written, strings without their quotes, tokens joined by spaces.
using Fields = std::map<std::string, std::string>;

struct Part {
    std::string id;
    Fields fields;                          // desc, signature, pgm_enable, ...
    std::map<std::string, Fields> memories; // "flash" -> size, page_size, read_lo, ...
};

// Every part of the file by its id; false with a message when the file cannot be read
// or parsed.
bool ReadParts(const std::string& path, std::map<std::string, Part>* parts, std::string* error);

// The part whose description ("desc") is `desc`, or nullptr.
const Part* PartByDesc(const std::map<std::string, Part>& parts, const std::string& desc);

// A field as a number (decimal or 0x hex), or -1 when absent or not a number.
long Number(const Fields& fields, const std::string& name);

// The three signature bytes of a part.
std::vector<unsigned> SignatureOf(const Part& part);

// Whether the four instruction bytes fit an instruction pattern such as
// "0100.0000--0000.xxxx--xxxa.aaaa--iiii.iiii": every 0 and 1 as written, every 'a' the
// bit of `address` avrdude puts there (bytes 2 and 3 as one 16-bit number), every 'i'
// the bit of `data` of that place in its byte; 'x' and 'o' take anything. Else false,
// with the first bit that differs in `why`.
bool Fits(const std::string& pattern, const unsigned char (&bytes)[4], std::uint32_t address,
          unsigned data, std::string* why);

// Positions (0 = last bit sent) of the pattern's bits written with `symbol`, lowest first.
std::vector<int> PositionsOf(const std::string& pattern, char symbol);

} // namespace avrconf
