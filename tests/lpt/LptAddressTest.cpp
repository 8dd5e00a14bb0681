// The printer-port address rule: the Lpt1-Lpt3 table, and a base written in hex with 0x
// or in decimal, from 1 to 0xFFFD, and nothing else.
#include "lpt/LptAddress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

namespace {

TEST(LptAddress, StandardBasesOfLpt1ToLpt3AndNoneForOtherNumbers) {
    EXPECT_EQ(lpt::StandardBase(1), 0x378);
    EXPECT_EQ(lpt::StandardBase(2), 0x278);
    EXPECT_EQ(lpt::StandardBase(3), 0x3BC);
    for (int other : {0, 4, -1, 888})
        EXPECT_EQ(lpt::StandardBase(other), 0) << other;
}

struct AddressCase {
    const char* text;
    bool accepted;
    std::uint16_t base;
};

// Failure messages and test names show the text, not the case's bytes.
void PrintTo(const AddressCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ParseTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ParseTest, AcceptsOnlyHexWith0xOrDecimalInTheIoSpace) {
    std::uint16_t base = 0x1234;
    EXPECT_EQ(lpt::ParsePortAddress(GetParam().text, &base), GetParam().accepted);
    EXPECT_EQ(base, GetParam().accepted ? GetParam().base : 0x1234) << "untouched when refused";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTest,
    testing::Values(AddressCase{"0xD010", true, 0xD010}, AddressCase{"0XbC00", true, 0xBC00},
                    AddressCase{"956", true, 0x3BC}, AddressCase{"0x0378", true, 0x378},
                    AddressCase{"1", true, 1}, AddressCase{"0xFFFD", true, 0xFFFD},
                    AddressCase{"65533", true, 0xFFFD}, AddressCase{"", false, 0},
                    AddressCase{"0", false, 0}, AddressCase{"0x0", false, 0},
                    AddressCase{"0x", false, 0}, AddressCase{"0xFFFE", false, 0},
                    AddressCase{"65534", false, 0}, AddressCase{"99999999999999999999", false, 0},
                    AddressCase{"-888", false, 0}, AddressCase{"+888", false, 0},
                    AddressCase{" 888", false, 0}, AddressCase{"888 ", false, 0},
                    AddressCase{"D010", false, 0}, AddressCase{"0x378h", false, 0},
                    AddressCase{"0x-1", false, 0}, AddressCase{"lpt", false, 0}));

} // namespace
