// Parsing the file buffer into the image.
#include "image/HexImage.h"

HexParseResult HexImage::Parse(std::uint32_t length) {
    m_fileLength = length < kFileBufferSize ? length : static_cast<std::uint32_t>(kFileBufferSize);
    ClearFlashImage(Image());
    return ParseIntelHex(m_fileBuffer, m_fileLength, Image());
}
