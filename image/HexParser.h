// Intel HEX parser core: the size limit of a HEX file and the decoding of its text into the
// flash image, 32 KB as the ATmega32's, the largest flash of the chips this program programs.
// Portable C++17 with no platform headers; allocates nothing and throws nothing, so the Windows
// program and the native tests share it unchanged.
#ifndef TAMBERLO_IMAGE_HEXPARSER_H
#define TAMBERLO_IMAGE_HEXPARSER_H

#include <cstddef>
#include <cstdint>

// The ATmega32 holds 16384 program words; byte 2n of the image is the low byte of word n. A
// smaller chip takes the start of the image; an image larger than the chip is refused by the
// operation that would write it, not at load.
constexpr std::size_t kFlashImageSize = 32768;
// Largest HEX file the program reads: three file bytes per image byte, so a full 32 KB image
// in 16-byte records with CR LF, as avr-gcc writes it (92173 bytes), fits with room to spare.
constexpr std::size_t kMaxHexFileSize = 98304;
// One record carries at most 255 data bytes (its count is two hex digits).
constexpr std::size_t kRecordBufferSize = 256;
// Room for any message the Format* functions produce, a MAX_PATH file name included.
constexpr std::size_t kHexMessageBufferSize = 512;

// The flash image as the dialog holds it: the bytes and the end index as separate members.
// end is the highest image index that any data record stored, whatever the order of the
// records; 0 means nothing loaded (so a file holding only byte 0 gives 1, see StoreRecord).
struct FlashImage {
    unsigned char (&bytes)[kFlashImageSize];
    std::uint32_t& end;
};

enum class HexParseStatus {
    Ok,                        // an end-of-file record was reached; the image is loaded
    NotIntelHex,               // no ':' where a record must start, or the data ends inside a record
    ChecksumError,             // a record's bytes do not sum to 0 mod 256
    DataBeyondFlash,           // a data record reaches past byte 32767 of the flash image
    SegmentAddressUnsupported, // a type 2 record with a nonzero segment
    LinearAddressUnsupported,  // a type 4 record with an upper address the parser does not take
    DataBeyondEeprom           // EEPROM data (image/EepromHex.h) reach past byte 1023
};

struct HexParseResult {
    HexParseStatus status;
    // 1-based line of the failing record's ':' (LFs before it + 1); 0 if none. The EEPROM
    // parser also gives the line where a NotIntelHex read gave up.
    std::uint32_t line;
    // The failing data record's load address (with the base address of the records before it
    // added, for EEPROM data), or the base address an extended address record sets for the
    // records after it (segment x 16, or upper address x 65536).
    std::uint32_t address;
};

// Whether a file of fileLength bytes fits the file buffer and may be loaded; a longer file is
// refused before any of it is read.
bool HexFileFitsBuffer(std::uint64_t fileLength);

// Sets every image byte to 0x00 and the end index to 0; call before each parse.
void ClearFlashImage(FlashImage image);

// Value of one HEX digit: '0'..'9' and 'A'..'F'/'a'..'f' as usual; anything else is 0.
int HexDigitValue(char c);

// Copies count bytes to image.bytes[address..], raises image.end to the last index written
// (never lowers it) and returns 1; writes nothing and returns 0 when count is 0 or the bytes
// would pass the end of the image (byte kFlashImageSize - 1).
int StoreRecord(FlashImage image, std::uint32_t address, const unsigned char* data,
                std::size_t count);

// Parses data[0..length) into image (already cleared by the caller); reads no byte at or past
// length. On any failure image.end is 0; bytes stored by earlier records may remain.
HexParseResult ParseIntelHex(const unsigned char* data, std::size_t length, FlashImage image);

// Writes the user message for result into buffer (always NUL-terminated when size > 0,
// truncated to fit) and returns buffer; an Ok result gives an empty message.
const char* FormatHexParseMessage(const HexParseResult& result, char* buffer, std::size_t size);

// Writes the refusal for a file longer than kMaxHexFileSize, naming fileName, into buffer
// (NUL-terminated when size > 0, truncated to fit) and returns buffer.
const char* FormatHexFileTooLargeMessage(const char* fileName, char* buffer, std::size_t size);

#endif
