// How large a program each chip takes: files of 8, 16 and 32 KB against every chip. A file
// that fits the chip's flash gets past the opening (here Verify, which then finds the erased
// chip different at once); one that does not is refused there, and Auto refuses it before
// its erase. A file past 32 KB is refused when it is loaded, whatever the chip.
#include "image/HexImage.h"
#include "tests/ops/DeviceOpsFixture.h"

#include <cstdio>
#include <cstring>
#include <ostream>

namespace {

struct LimitCase {
    const char* name;
    sim::ChipType chip;
    std::uint32_t flashBytes;
};

std::ostream& operator<<(std::ostream& out, const LimitCase& c) {
    return out << c.name;
}

const LimitCase kLimitCases[] = {
    {"AT90S4434", sim::ChipType::At90s4434, 4096},   {"AT90S8535", sim::ChipType::At90s8535, 8192},
    {"ATmega8535", sim::ChipType::Atmega8535, 8192}, {"ATmega16", sim::ChipType::Atmega16, 16384},
    {"ATmega32", sim::ChipType::Atmega32, 32768},
};

sim::BoardSettings WithChip(sim::ChipType chip) {
    sim::BoardSettings settings;
    settings.chip = chip;
    return settings;
}

class ImageLimitsTest : public DeviceOpsTest, public testing::WithParamInterface<LimitCase> {
protected:
    ImageLimitsTest() : DeviceOpsTest(WithChip(GetParam().chip)) {}
};

TEST_P(ImageLimitsTest, AFileFitsTheChipOrIsRefusedBeforeAnythingIsWritten) {
    for (const std::uint32_t bytes : {8192u, 16384u, 32768u}) {
        SCOPED_TRACE(std::to_string(bytes) + " bytes");
        Load(TestImage(bytes));
        board.Chip().ResetCounters();
        const bool fits = bytes <= GetParam().flashBytes;
        EXPECT_EQ(ops.Verify().outcome, fits ? Outcome::VerifyError : Outcome::ImageTooLarge);
        if (!fits) {
            const OperationResult refused = ops.Auto();
            EXPECT_EQ(refused.outcome, Outcome::ImageTooLarge);
            EXPECT_EQ(refused.imageEnd + 1, bytes);
            EXPECT_EQ(refused.chip->flashBytes, GetParam().flashBytes);
            EXPECT_EQ(board.Chip().counters().chipErases, 0u) << "refused before the erase";
            EXPECT_EQ(board.Chip().counters().flashWrites, 0u);
        }
        EXPECT_TRUE(Released());
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, ImageLimitsTest, testing::ValuesIn(kLimitCases),
                         [](const testing::TestParamInfo<LimitCase>& info) {
                             return std::string(info.param.name);
                         });

// Data at the last byte of a 32 KB flash loads; one byte further is refused at the load.
TEST(ImageLimits, DataPast32KbIsRefusedWhenTheFileIsLoaded) {
    const struct {
        const char* text;
        HexParseStatus status;
    } cases[] = {{":017FFF00AAD7\r\n:00000001FF\r\n", HexParseStatus::Ok},
                 {":01800000AAD5\r\n:00000001FF\r\n", HexParseStatus::DataBeyondFlash}};
    static HexImage file;
    for (const auto& c : cases) {
        const std::uint32_t length = static_cast<std::uint32_t>(std::strlen(c.text));
        std::memcpy(file.FileBuffer(), c.text, length);
        EXPECT_EQ(file.Parse(length).status, c.status) << c.text;
    }
    EXPECT_EQ(file.End(), 0u) << "nothing counts as loaded after the refusal";
}

} // namespace
