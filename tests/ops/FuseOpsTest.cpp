// The chip window's Read and fuse writes as a class on the simulated chips: what a Read
// sends and finds on each chip, a fuse write that sends only what changed and reads it
// back, the refusals that come before anything is written, FSTRT on the AT90S chips, and
// a clock source the board lacks locking the chip out until the board has it.
#include "ops/ChipOps.h"
#include "sim/ChipMemory.h"
#include "sim/ChipModel.h"
#include "tests/link/LinkTranscript.h"
#include "tests/ops/DeviceOpsFixture.h"

#include <ostream>

namespace {

sim::BoardSettings WithChip(sim::ChipType chip) {
    sim::BoardSettings settings;
    settings.chip = chip;
    return settings;
}

std::vector<std::string> Starting(const std::vector<std::string>& tokens, const char* prefix) {
    std::vector<std::string> found;
    for (const std::string& token : tokens)
        if (token.rfind(prefix, 0) == 0)
            found.push_back(token);
    return found;
}

struct ReadCase {
    const char* name;
    sim::ChipType chip;
    std::vector<std::string> reads; // after the signature, in order
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) {
    return out << c.name;
}

const std::vector<std::string> kAtmegaReads = {"58 00 00 00", "50 00 00 00", "58 08 00 00",
                                               "38 00 00 00", "38 00 01 00", "38 00 02 00",
                                               "38 00 03 00"};
const ReadCase kReadCases[] = {
    {"AT90S8535", sim::ChipType::At90s8535, {"58 00 00 00"}},
    {"ATmega8535", sim::ChipType::Atmega8535, kAtmegaReads},
    {"ATmega16", sim::ChipType::Atmega16, kAtmegaReads},
    {"ATmega32", sim::ChipType::Atmega32, kAtmegaReads},
    {"AT90S4434", sim::ChipType::At90s4434, {"58 00 00 00"}},
};

class ReadChipTest : public DeviceOpsTest, public testing::WithParamInterface<ReadCase> {
protected:
    ReadChipTest() : DeviceOpsTest(WithChip(GetParam().chip)), transcript(board.Board().pins()) {}
    CChipOps chipOps{link, steps, opening};
    LinkTranscript transcript;
};

// What each chip is sent, and that what it answers arrives: a new chip's lock byte, its
// factory fuses and calibration bytes.
TEST_P(ReadChipTest, ReadSendsTheChipsInstructionsAndFindsANewChip) {
    const sim::ChipModel& model = sim::ModelOf(GetParam().chip);
    const OperationResult reading = chipOps.ReadChip();
    ASSERT_EQ(reading.outcome, Outcome::Ok);
    EXPECT_TRUE(std::equal(reading.signature, reading.signature + 3, model.signature));
    EXPECT_EQ(reading.lockByte, model.shippedLockByte);
    if (model.fuses.present) {
        EXPECT_EQ(reading.fusesRead.low, model.fuses.shippedLow);
        EXPECT_EQ(reading.fusesRead.high, model.fuses.shippedHigh);
        EXPECT_TRUE(std::equal(reading.calibration, reading.calibration + 4,
                               model.fuses.calibration));
    }
    std::vector<std::string> tokens = transcript.Tokens();
    const auto signature = std::find(tokens.begin(), tokens.end(), "30 00 02 00");
    ASSERT_NE(signature, tokens.end());
    std::vector<std::string> after(signature + 1, tokens.end());
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.back(), "release");
    after.pop_back();
    EXPECT_EQ(after, GetParam().reads);
    EXPECT_TRUE(Released());
}

INSTANTIATE_TEST_SUITE_P(Chips, ReadChipTest, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                             return std::string(info.param.name);
                         });

class Atmega16FuseTest : public DeviceOpsTest {
protected:
    explicit Atmega16FuseTest(sim::BoardSettings settings = WithChip(sim::ChipType::Atmega16))
        : DeviceOpsTest(settings), transcript(board.Board().pins()) {
        board.OnWait([this](DWORD ms) { transcript.Waited(ms); });
    }
    OperationResult Read() {
        const OperationResult reading = chipOps.ReadChip();
        EXPECT_EQ(reading.outcome, Outcome::Ok);
        return reading;
    }
    CChipOps chipOps{link, steps, opening};
    LinkTranscript transcript;
};

// JTAG off: only the high byte changes, so only Write Fuse High Bits is sent, with its
// 4.5 ms wait (rounded up), and both bytes are read back.
TEST_F(Atmega16FuseTest, WriteFusesSendsOnlyTheByteThatChanged) {
    const OperationResult reading = Read();
    const OperationResult written = chipOps.WriteFuses(reading.signature, FuseBytes{0xE1, 0xD9});
    EXPECT_EQ(written.outcome, Outcome::Ok);
    EXPECT_EQ(written.fusesRead, (FuseBytes{0xE1, 0xD9}));
    EXPECT_EQ(board.Chip().memory().highFuse, 0xD9);
    const std::vector<std::string> tokens = transcript.Tokens();
    EXPECT_EQ(Starting(tokens, "AC A"), std::vector<std::string>{"AC A8 00 D9"});
    const auto write = std::find(tokens.begin(), tokens.end(), "AC A8 00 D9");
    ASSERT_NE(write, tokens.end());
    EXPECT_EQ(*(write + 1), "sleep 5");
    EXPECT_EQ(*(write + 2), "50 00 00 00");
    EXPECT_EQ(*(write + 3), "58 08 00 00");
    EXPECT_TRUE(Released());
}

// The cable cannot change SPIEN: asked to unprogram it, the write keeps it as the chip has it.
TEST_F(Atmega16FuseTest, SpienIsWrittenAsTheChipHoldsIt) {
    const OperationResult reading = Read();
    const OperationResult written = chipOps.WriteFuses(reading.signature, FuseBytes{0xE1, 0xF9});
    EXPECT_EQ(written.outcome, Outcome::Ok);
    EXPECT_EQ(written.fusesWanted.high, 0xD9);
    EXPECT_EQ(board.Chip().memory().highFuse, 0xD9);
}

// Each refusal before anything is written: another chip than the one read; lock bit 1
// programmed; a chip without fuse bytes.
TEST_F(Atmega16FuseTest, WriteFusesRefusesBeforeWriting) {
    const OperationResult reading = Read();
    const unsigned char atmega32[3] = {0x1E, 0x95, 0x02};
    OperationResult refused = chipOps.WriteFuses(atmega32, FuseBytes{0xE1, 0xD9});
    EXPECT_EQ(refused.outcome, Outcome::OtherChip);
    EXPECT_TRUE(std::equal(atmega32, atmega32 + 3, refused.expectedSignature));
    board.Chip().setLockFuseByte(0xFF & ~sim::kAtmegaLockBit1);
    refused = chipOps.WriteFuses(reading.signature, FuseBytes{0xE1, 0xD9});
    EXPECT_EQ(refused.outcome, Outcome::WriteLocked);
    EXPECT_EQ(refused.lockByte, 0xFE);
    EXPECT_TRUE(Starting(transcript.Tokens(), "AC A").empty());
    EXPECT_EQ(board.Chip().memory().highFuse, 0x99);
    EXPECT_TRUE(Released());
}

TEST_F(DeviceOpsTest, AnAt90sChipHasNoFuseBytesToWriteButItsFstrt) {
    CChipOps chipOps{link, steps, opening};
    const OperationResult reading = chipOps.ReadChip();
    ASSERT_EQ(reading.outcome, Outcome::Ok);
    EXPECT_EQ(chipOps.WriteFuses(reading.signature, FuseBytes{0xE1, 0xD9}).outcome,
              Outcome::NoFuseBytes);
    const OperationResult fstrt = chipOps.WriteFstrt(reading.signature, true);
    EXPECT_EQ(fstrt.outcome, Outcome::Ok);
    EXPECT_EQ(fstrt.lockByte & 0x01, 0) << "FSTRT programmed";
    EXPECT_EQ(board.Chip().lockFuseByte() & 0x21, 0) << "FSTRT programmed, SPIEN as it was";
    EXPECT_EQ(chipOps.WriteFstrt(reading.signature, false).outcome, Outcome::Ok);
    EXPECT_EQ(board.Chip().lockFuseByte() & 0x01, 0x01);
}

sim::BoardSettings Atmega16WithNothingOnXtal() {
    sim::BoardSettings settings = WithChip(sim::ChipType::Atmega16);
    settings.xtal = sim::XtalPart{sim::XtalKind::None, 0};
    return settings;
}

class NoCrystalTest : public Atmega16FuseTest {
protected:
    NoCrystalTest() : Atmega16FuseTest(Atmega16WithNothingOnXtal()) {}
};

// A crystal chosen on a board without one: the write itself goes through, the chip stops
// answering from its next reset, and answers again on a board that has the crystal.
TEST_F(NoCrystalTest, ACrystalTheBoardLacksLocksTheChipOutUntilTheBoardHasIt) {
    const OperationResult reading = Read();
    ASSERT_EQ(chipOps.WriteFuses(reading.signature, FuseBytes{0xFF, 0xC9}).outcome, Outcome::Ok);
    EXPECT_EQ(chipOps.ReadChip().outcome, Outcome::NoAnswer);
    EXPECT_EQ(ops.Erase().outcome, Outcome::NoAnswer);

    sim::BoardSettings withCrystal = WithChip(sim::ChipType::Atmega16);
    withCrystal.xtal = sim::XtalPart{sim::XtalKind::Crystal, 16'000'000};
    TestBoard rescued(withCrystal);
    rescued.Chip().memory() = board.Chip().memory();
    const OperationResult again = chipOps.ReadChip();
    EXPECT_EQ(again.outcome, Outcome::Ok);
    EXPECT_EQ(again.fusesRead, (FuseBytes{0xFF, 0xC9}));
}

} // namespace
