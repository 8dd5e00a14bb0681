// Messages the dialog shows: the oversized-file refusal, the extended address refusals at the
// extremes of their values, and truncation into a small buffer.
#include "image/HexParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(HexMessages, TooLargeFileNamesFileAndLimit) {
    char message[kHexMessageBufferSize];
    EXPECT_STREQ(FormatHexFileTooLargeMessage("C:\\avr\\blink.hex", message, sizeof message),
                 "C:\\avr\\blink.hex is too large: a HEX file for the 32 KB flash of the "
                 "ATmega32, the largest chip tamberlo programs, is at most 98304 bytes.");
}

TEST(HexMessages, ExtendedAddressesGiveTheBaseAddressTheyLeadTo) {
    const struct {
        HexParseResult result;
        const char* start;
    } cases[] = {
        {{HexParseStatus::SegmentAddressUnsupported, 7, 0x00010},
         "Line 7: extended segment address 0x0001 sets base address 0x10 for"},
        {{HexParseStatus::SegmentAddressUnsupported, 1, 0xFFFF0},
         "Line 1: extended segment address 0xFFFF sets base address 0xFFFF0 for"},
        {{HexParseStatus::LinearAddressUnsupported, 2, 0xFFFF0000},
         "Line 2: extended linear address 0xFFFF sets base address 0xFFFF0000 for"},
    };
    for (const auto& c : cases) {
        char message[kHexMessageBufferSize];
        const std::string text = FormatHexParseMessage(c.result, message, sizeof message);
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << text;
        EXPECT_NE(text.find("Extended addresses are not supported"), std::string::npos) << text;
    }
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
