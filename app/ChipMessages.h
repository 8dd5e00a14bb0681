// The texts of the chip window and of the command line for what the chip operations read
// and did: a chip's reading as lines, the confirmation of a fuse change with its warnings,
// the refusals of the fuse fields, and the closing messages of the writes and reads. Every
// text is made from the values given alone and stays within 8-bit ANSI.
#pragma once
#include "ops/Chips.h"
#include "ops/FuseLayout.h"
#include "ops/OperationResult.h"

#include <cstddef>
#include <cstdint>

// Room for any of these texts, a file's path included.
constexpr std::size_t kChipMessageSize = 4096;

// What a Read found, one fact per line ending in lineEnd: the chip and its signature, the
// lock bits, and the fuses in words with their bytes and the calibration bytes, or the
// AT90S fuse bits.
const char* ChipReadingText(const OperationResult& reading, const char* lineEnd, char* buffer,
                            std::size_t size);

// The warnings that a change of the clock from `before`'s to `after`'s calls for, as
// paragraphs parted by a blank line: a part needed on XTAL1/XTAL2, a clock too slow for
// this PC. `reachable_Hz`: the slowest chip clock this PC can still program at Delay Bit
// 10. nullptr when there are none.
const char* ClockWarningsText(FuseBytes before, FuseBytes after, std::uint32_t reachable_Hz,
                              char* buffer, std::size_t size);
// The confirmation of a fuse write: each change in words, then the clock's warnings after
// a blank line. nullptr when nothing changes.
const char* FuseConfirmationText(const FuseLayout& layout, FuseBytes before, FuseBytes after,
                                 std::uint32_t reachable_Hz, char* buffer, std::size_t size);
// Whether the new fuses choose a clock that needs a part on XTAL1/XTAL2.
bool FusesNeedXtalPart(FuseBytes fuses);

// A fuse field that holds no byte ("Low", "High"), and fuses that would change SPIEN.
const char* FuseFieldRefusal(const char* field, const char* text, char* buffer, std::size_t size);
const char* SpienRefusal(const char* chipName, char* buffer, std::size_t size);
// Write Fuses before a Read of the chip on the cable, and a refusal while lock bit 1 is set
// as the Read found it.
const char* ReadFirstText();

// An EEPROM file longer than the `limit` bytes the program reads, named by its path.
const char* EepromFileTooLargeText(const char* path, std::size_t limit, char* buffer,
                                   std::size_t size);

// The closing box of a fuse or FSTRT write that went through ("Fuses written: Low E1,
// High D9"), a read into a file, and an EEPROM write.
const char* FusesWrittenText(const OperationResult& result, char* buffer, std::size_t size);
const char* FstrtWrittenText(const OperationResult& result, char* buffer, std::size_t size);
const char* MemoryReadText(const char* memory, const OperationResult& result, std::uint32_t kept,
                           const char* file, char* buffer, std::size_t size);
const char* EepromWrittenText(const OperationResult& result, std::uint32_t fileBytes, char* buffer,
                              std::size_t size);
