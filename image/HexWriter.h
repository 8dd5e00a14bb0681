// Writing memory back out as Intel HEX, the form avr-objcopy writes: 16 data bytes per
// record, CR LF after each, an end-of-file record; no address records (every memory of
// these chips lies below 64 KB). Portable; allocates nothing.
#ifndef TAMBERLO_IMAGE_HEXWRITER_H
#define TAMBERLO_IMAGE_HEXWRITER_H

#include <cstddef>
#include <cstdint>

// The bytes of a flash read that a file needs: through the last word that is not erased
// (both bytes 0xFF); 0 for an erased chip. Always even for an even size (every flash); for
// an odd one never more than size.
std::uint32_t FlashBytesToKeep(const unsigned char* flash, std::uint32_t size);

// The text of `count` bytes from address 0 as Intel HEX, into text[0..size). Returns the
// characters written (no NUL is added), or 0 when `size` is too small for all of it or
// `count` passes 64 KB (which would need address records); nothing is written then.
// `count` 0 gives the end-of-file record alone.
std::size_t WriteIntelHex(const unsigned char* data, std::uint32_t count, char* text,
                          std::size_t size);

// Room enough for WriteIntelHex of `count` bytes.
constexpr std::size_t IntelHexSize(std::uint32_t count) {
    return (count + 15) / 16 * (11 + 2) + std::size_t{count} * 2 + 11 + 2;
}

#endif
