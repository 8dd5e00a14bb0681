// HexImage: the raw file buffer that a HEX file is read into in one go, and the flash image
// that it is parsed into, as one object. Portable like the parser; allocates nothing.
#ifndef TAMBERLO_IMAGE_HEXIMAGE_H
#define TAMBERLO_IMAGE_HEXIMAGE_H

#include "image/HexParser.h"

#include <cstddef>
#include <cstdint>

class HexImage {
public:
    static constexpr std::size_t kFileBufferSize = kMaxHexFileSize;

    // Where a whole file is read, kFileBufferSize bytes at most.
    unsigned char* FileBuffer() { return m_fileBuffer; }
    // How many bytes of the buffer the last Parse took.
    std::uint32_t FileLength() const { return m_fileLength; }

    // Clears the image and parses the first `length` bytes of the file buffer into it; on any
    // failure nothing counts as loaded.
    HexParseResult Parse(std::uint32_t length);

    FlashImage Image() { return {m_image, m_imageEnd}; }
    const unsigned char* Bytes() const { return m_image; }
    // The last byte any data record stored; 0: nothing loaded.
    std::uint32_t End() const { return m_imageEnd; }
    bool Loaded() const { return m_imageEnd != 0; }
    void Forget() { m_imageEnd = 0; }

private:
    unsigned char m_fileBuffer[kFileBufferSize] = {};
    std::uint32_t m_fileLength = 0;
    unsigned char m_image[kFlashImageSize] = {};
    std::uint32_t m_imageEnd = 0;
};

#endif
