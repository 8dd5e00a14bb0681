// The fixed buffer every chip text is built in: whatever is appended, the text ends inside
// the buffer with a NUL, and a text cut short says so.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ops/TextWriter.h"

namespace {

struct WriteCase {
    const char* name;
    std::size_t size;
    const char* expected;
    bool fitted;
};

void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.name;
}

// "Clock: " appended, then "%s %02X" of "Low" and 0xE1: "Clock: Low E1" (13 characters).
const WriteCase kWriteCases[] = {
    {"RoomToSpare", 32, "Clock: Low E1", true},        {"ExactlyFull", 14, "Clock: Low E1", true},
    {"CutInTheFormattedPart", 10, "Clock: Lo", false}, {"CutInTheAppendedPart", 4, "Clo", false},
    {"OneByteHoldsTheNulAlone", 1, "", false},
};

class TextWriterTest : public testing::TestWithParam<WriteCase> {};

TEST_P(TextWriterTest, NeverWritesPastTheBufferAndTellsWhatWasCut) {
    const WriteCase& c = GetParam();
    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    CTextWriter out(buffer, c.size);
    out.Append("Clock: ");
    out.Add("%s %02X", "Low", 0xE1);
    EXPECT_STREQ(out.Text(), c.expected);
    EXPECT_EQ(out.Length(), std::strlen(c.expected));
    EXPECT_EQ(out.Fitted(), c.fitted);
    for (std::size_t i = c.size; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], '#') << "written at " << i;
}

INSTANTIATE_TEST_SUITE_P(Sizes, TextWriterTest, testing::ValuesIn(kWriteCases),
                         [](const testing::TestParamInfo<WriteCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(TextWriterTest, NothingIsWrittenIntoNoBuffer) {
    CTextWriter out(nullptr, 16);
    EXPECT_FALSE(out.Add("%d", 1));
    EXPECT_EQ(out.Length(), 0u);
    EXPECT_FALSE(out.Fitted());
}

} // namespace
