// Messages the dialog shows: the oversized-file refusal and truncation into a small buffer.
#include "image/HexParser.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(HexMessages, TooLargeFileNamesFileAndLimit) {
    char message[kHexMessageBufferSize];
    EXPECT_STREQ(FormatHexFileTooLargeMessage("C:\\avr\\blink.hex", message, sizeof message),
                 "C:\\avr\\blink.hex is too large for the AT90S8535: a HEX file for its 8 KB "
                 "flash is at most 24576 bytes.");
}

TEST(HexMessages, LongTextIsCutToTheBufferAndTerminated) {
    const HexParseResult result{HexParseStatus::DataBeyondFlash, 4000000000u, 0xFFFF};
    char message[16];
    std::memset(message, 'x', sizeof message);
    FormatHexParseMessage(result, message, 12);
    EXPECT_STREQ(message, "Line 400000");
    EXPECT_EQ(message[12], 'x');
}

} // namespace
