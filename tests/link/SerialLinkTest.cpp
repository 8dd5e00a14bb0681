// The serial link at pin level on the simulated board: what each line operation
// drives, the order of MOSI, MISO and SCK within a bit, the reset sequence and its
// waits, a port left in reverse mode, the release and the order of its lines, the
// handshake with a chip, without a chip or without power, the busy wait, and the slow
// chip clocks that need a larger DELAY BIT.
#include "framework/Sleep.h"
#include "link/BitDelay.h"
#include "link/SerialLink.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/TestBoard.h"
#include "tests/link/PortRecorder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

namespace {

constexpr WORD kData = 0x378;
constexpr WORD kStatus = 0x379;
constexpr WORD kControl = 0x37A;

sim::BoardSettings WithFault(sim::BoardFault fault) {
    sim::BoardSettings settings;
    settings.fault = fault;
    return settings;
}

class LinkTest : public testing::Test {
protected:
    explicit LinkTest(const sim::BoardSettings& settings = sim::BoardSettings{}) : board(settings) {
        port.SetPort(1);
    }

    std::array<unsigned char, 4> Exchange(std::array<unsigned char, 4> send) {
        std::array<unsigned char, 4> answer{};
        EXPECT_EQ(link.Exchange(send.data(), answer.data()), 1);
        return answer;
    }
    sim::Board::Pins Pins() { return board.Board().pins(); }

    TestBoard board;
    PortRecorder recorder;
    MessageBoxCapture boxes;
    CParallelPort port{board.Access()};
    std::uint32_t delayBit = 1;
    std::uint32_t delayByte = 1;
    CSerialLink link{port, delayBit, delayByte, &AfxSleep};
};

// Each output line of the cable table: the register and bit it names carry it, inverted
// exactly where the table says the port inverts it, and the board sees the level on the
// line's pin.
TEST_F(LinkTest, EachOutputLineSitsWhereTheCableTableSays) {
    struct LineCase {
        const char* name;
        const CablePin& pin;
        void (CSerialLink::*high)();
        bool sim::Board::Pins::*level;
    };
    const LineCase lines[] = {
        {"SCK", kSckPin, &CSerialLink::SckHigh, &sim::Board::Pins::sck},
        {"RESET", kResetPin, &CSerialLink::ResetHigh, &sim::Board::Pins::reset},
        {"MOSI", kMosiPin, &CSerialLink::MosiHigh, &sim::Board::Pins::mosi}};
    for (const LineCase& line : lines) {
        SCOPED_TRACE(line.name);
        board.Board().Out(kData, 0x00);
        board.Board().Out(kControl, 0x0B); // every control line low
        recorder.Clear();
        (link.*line.high)();
        ASSERT_EQ(recorder.Accesses().size(), 2u) << "one read-modify-write";
        const PortAccess& write = recorder.Accesses()[1];
        EXPECT_EQ(write.address, line.pin.reg == PortRegister::Data ? kData : kControl);
        EXPECT_EQ((write.value & line.pin.mask) != 0, !line.pin.invertedByPort);
        EXPECT_TRUE(Pins().*line.level);
    }
    EXPECT_TRUE(kMosiPin.invertedByPort) << "nStrobe is inverted by the port";
    EXPECT_FALSE(kMisoPin.invertedByPort) << "nAck is not";
}

TEST_F(LinkTest, MosiCarriesEachByteMsbFirstAtTheRisingEdges) {
    std::vector<int> mosiAtRise;
    recorder.beforeWrite = [&](WORD address, BYTE value) {
        if (address == kData && (value & 0x01) && !Pins().sck)
            mosiAtRise.push_back(Pins().mosi);
    };
    Exchange({0xAC, 0x00, 0xFF, 0x01});
    const std::vector<int> expected = {1, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                       1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(mosiAtRise, expected);
}

// Each bit: MOSI set (read-modify-write of control), MISO read, then the SCK pulse.
TEST_F(LinkTest, MisoIsSampledAfterMosiIsSetAndBeforeSckRises) {
    Exchange({0x12, 0x34, 0x56, 0x78});
    const auto& a = recorder.Accesses();
    ASSERT_EQ(a.size(), 32u * 7u);
    for (size_t bit = 0; bit < 32; ++bit) {
        SCOPED_TRACE("bit " + std::to_string(bit));
        const PortAccess* p = &a[bit * 7];
        EXPECT_TRUE(!p[0].write && p[0].address == kControl);
        EXPECT_TRUE(p[1].write && p[1].address == kControl);
        EXPECT_TRUE(!p[2].write && p[2].address == kStatus);
        EXPECT_TRUE(!p[3].write && p[3].address == kData);
        EXPECT_TRUE(p[4].write && p[4].address == kData && (p[4].value & 0x01)) << "SCK rises";
        EXPECT_TRUE(!p[5].write && p[5].address == kData);
        EXPECT_TRUE(p[6].write && p[6].address == kData && !(p[6].value & 0x01)) << "SCK falls";
    }
}

// Bits 4 and 5 of the control register (interrupt, direction) are always written 0.
TEST_F(LinkTest, LineChangesWriteBackEveryOtherBitAsRead) {
    constexpr BYTE kOtherData = 0xA4;    // D2, D5, D7 high; SCK and RESET low
    constexpr BYTE kOtherControl = 0xF6; // pin levels; MOSI low
    constexpr BYTE kControlDriveBits = 0x30;
    board.Board().Out(kData, kOtherData);
    board.Board().Out(kControl, kOtherControl ^ 0x0B);
    link.EnterProgramming();
    EXPECT_EQ(link.ProgrammingEnable(), Handshake::InStep);
    Exchange({0x20, 0x00, 0x00, 0x00});
    link.ReleaseTarget();
    size_t dataWrites = 0;
    size_t controlWrites = 0;
    for (const PortAccess& access : recorder.Accesses()) {
        if (access.write && access.address == kData) {
            ++dataWrites;
            EXPECT_EQ(access.value & 0xFC, kOtherData);
        }
        if (access.write && access.address == kControl) {
            ++controlWrites;
            EXPECT_EQ((access.value ^ 0x0B) & 0xFE, kOtherControl & 0xFE & ~kControlDriveBits);
        }
    }
    EXPECT_GT(dataWrites, 0u);
    EXPECT_GT(controlWrites, 0u);
}

struct ResetCase {
    std::uint32_t delayByte;
    DWORD waitMs;
};

class EnterProgrammingTest : public LinkTest, public testing::WithParamInterface<ResetCase> {};

TEST_P(EnterProgrammingTest, PulsesResetWithSckLowAndWaitsFourTimes) {
    delayByte = GetParam().delayByte;
    board.Board().Out(kData, 0x03);                 // SCK and RESET high, as after a release
    std::vector<std::pair<bool, bool>> linesAtWait; // (SCK, RESET) during each wait
    board.OnWait([&](DWORD) { linesAtWait.emplace_back(Pins().sck, Pins().reset); });
    link.EnterProgramming();
    const std::vector<DWORD> waits(4, GetParam().waitMs);
    EXPECT_EQ(board.Waits().Waits(), waits);
    const std::vector<std::pair<bool, bool>> expected = {
        {false, true}, {false, false}, {false, true}, {false, false}};
    EXPECT_EQ(linesAtWait, expected);
    // The one control access pair comes first and leaves MOSI as it was.
    const auto& a = recorder.Accesses();
    ASSERT_GE(a.size(), 2u);
    EXPECT_TRUE(!a[0].write && a[0].address == kControl);
    EXPECT_TRUE(a[1].write && a[1].address == kControl && a[1].value == a[0].value);
    for (size_t i = 2; i < a.size(); ++i)
        EXPECT_NE(a[i].address, kControl) << "MOSI is left alone";
}

INSTANTIATE_TEST_SUITE_P(DelayByte, EnterProgrammingTest,
                         testing::Values(ResetCase{0, 0}, ResetCase{1, 200}, ResetCase{3, 600},
                                         ResetCase{10, 2000},
                                         // the product is taken in 32 bits
                                         ResetCase{21474837, 104}));

// A BIOS, a printer driver or a scanner may leave the port in reverse mode (control bit 5)
// with the interrupt on (bit 4): the data lines float, and neither SCK nor RESET reaches the
// chip until the link clears bit 5, before its first line change, keeping every other bit.
TEST_F(LinkTest, EnterProgrammingDrivesTheDataLinesBeforeItsFirstLineChange) {
    for (const BYTE control : {BYTE{0x20}, BYTE{0x30}, BYTE{0x10}, BYTE{0xEB}, BYTE{0xC4}}) {
        SCOPED_TRACE(testing::Message() << "control register 0x" << std::hex << int(control));
        board.Board().Out(kData, 0x00);
        board.Board().Out(kControl, control);
        if (control & 0x20) {
            EXPECT_TRUE(Pins().sck && Pins().reset) << "floating data lines";
        }
        const bool mosi = Pins().mosi;
        recorder.Clear();
        link.EnterProgramming();
        ASSERT_GE(recorder.Accesses().size(), 2u);
        const PortAccess written = recorder.Accesses()[1];
        EXPECT_TRUE(written.write && written.address == kControl);
        EXPECT_EQ(written.value, control & ~0x30);
        EXPECT_EQ(Pins().mosi, mosi);
        EXPECT_FALSE(Pins().sck || Pins().reset);
        EXPECT_EQ(link.ProgrammingEnable(), Handshake::InStep);
        link.ReleaseTarget();
        EXPECT_EQ(board.Board().In(kControl), control & ~0x31) << "MOSI high, bits 4 and 5 0";
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

struct Lines {
    bool sck, mosi, reset;
    bool operator==(const Lines& o) const {
        return sck == o.sck && mosi == o.mosi && reset == o.reset;
    }
};

std::ostream& operator<<(std::ostream& out, const Lines& l) {
    return out << "{SCK " << l.sck << ", MOSI " << l.mosi << ", RESET " << l.reset << "}";
}

// SCK and MOSI go high while RESET still holds the chip, so the chip only starts to
// run once its lines are at rest.
TEST_F(LinkTest, ReleaseRaisesSckThenMosiThenResetWithoutWaiting) {
    board.Board().Out(kData, 0x00);
    board.Board().Out(kControl, 0x0B);
    ASSERT_FALSE(Pins().sck || Pins().mosi || Pins().reset);
    link.ReleaseTarget();
    // The line levels after each write, from the values written.
    Lines lines{false, false, false};
    std::vector<Lines> afterEachWrite;
    for (const PortAccess& access : recorder.Accesses()) {
        if (!access.write)
            continue;
        if (access.address == kData) {
            lines.sck = (access.value & 0x01) != 0;
            lines.reset = (access.value & 0x02) != 0;
        } else if (access.address == kControl) {
            lines.mosi = ((access.value ^ 0x0B) & 0x01) != 0;
        }
        afterEachWrite.push_back(lines);
    }
    const std::vector<Lines> expected = {
        {true, false, false}, {true, true, false}, {true, true, true}};
    EXPECT_EQ(afterEachWrite, expected);
    EXPECT_TRUE(Pins().sck && Pins().mosi && Pins().reset);
    EXPECT_TRUE(board.Waits().Waits().empty());
}

TEST_F(LinkTest, ProgrammingEnableSucceedsOnAPoweredChip) {
    link.EnterProgramming();
    EXPECT_EQ(link.ProgrammingEnable(), Handshake::InStep);
    EXPECT_TRUE(board.Chip().programmingEnabled());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(Pins().reset) << "the chip stays held for the instructions to come";
}

struct FaultCase {
    const char* name;
    sim::BoardFault fault;
    std::array<unsigned char, 4> answer;
};

class HandshakeFaultTest : public LinkTest, public testing::WithParamInterface<FaultCase> {
protected:
    HandshakeFaultTest() : LinkTest(WithFault(GetParam().fault)) {}
};

// The message ("Error! Please check ...") is the window's, told after this release: see
// the operations' handshake tests.
TEST_P(HandshakeFaultTest, ReleasesTheLinesAndSaysNoAnswer) {
    link.EnterProgramming();
    EXPECT_EQ(Exchange({0xAC, 0x53, 0x00, 0x00}), GetParam().answer);
    EXPECT_EQ(link.ProgrammingEnable(), Handshake::NoAnswer);
    EXPECT_TRUE(Pins().sck && Pins().mosi && Pins().reset) << "released";
    EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HandshakeFaultTest,
    testing::Values(FaultCase{"NoChip", sim::BoardFault::NoChip, {0xFF, 0xFF, 0xFF, 0xFF}},
                    FaultCase{"NoPower", sim::BoardFault::NoPower, {0x00, 0x00, 0x00, 0x00}}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

struct AnswerCase {
    std::array<unsigned char, 4> answer;
    Handshake result;
};

class ScriptedAnswerTest : public LinkTest, public testing::WithParamInterface<AnswerCase> {};

// MISO is scripted bit by bit on the status register; only the third byte decides.
TEST_P(ScriptedAnswerTest, OnlyTheEchoInTheThirdByteCounts) {
    const auto& script = GetParam().answer;
    int bitsRead = 0;
    recorder.answer = [&](WORD address, BYTE fromBoard) -> BYTE {
        if (address != kStatus)
            return fromBoard;
        const int bit = (script[bitsRead / 8] >> (7 - bitsRead % 8)) & 1;
        ++bitsRead;
        return static_cast<BYTE>((fromBoard & ~0x40) | (bit << 6));
    };
    EXPECT_EQ(Exchange({0xAC, 0x53, 0x00, 0x00}), script);
    bitsRead = 0;
    EXPECT_EQ(link.ProgrammingEnable(), GetParam().result);
    EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, ScriptedAnswerTest,
                         testing::Values(AnswerCase{{0x00, 0x00, 0x53, 0x00}, Handshake::InStep},
                                         AnswerCase{{0xFF, 0xAC, 0x53, 0x12}, Handshake::InStep},
                                         AnswerCase{{0xAC, 0x53, 0x00, 0x00}, Handshake::NoAnswer},
                                         AnswerCase{{0x53, 0x53, 0x52, 0x53},
                                                    Handshake::NoAnswer}));

struct BitDelayCase {
    std::uint32_t delayBit;
    std::uint64_t decrements;
};

class BitDelayTest : public LinkTest, public testing::WithParamInterface<BitDelayCase> {};

TEST_P(BitDelayTest, CountsDown5500TimesPerPassWithoutTouchingAnything) {
    delayBit = GetParam().delayBit;
    const std::uint64_t before = BitDelayDecrements();
    link.BitDelay();
    EXPECT_EQ(BitDelayDecrements() - before, GetParam().decrements);
    EXPECT_TRUE(recorder.Accesses().empty());
    EXPECT_TRUE(board.Waits().Waits().empty());
}

INSTANTIATE_TEST_SUITE_P(Passes, BitDelayTest,
                         testing::Values(BitDelayCase{0, 0}, BitDelayCase{1, 5500},
                                         BitDelayCase{3, 16500}, BitDelayCase{10, 55000}));

// A slow chip clock needs a larger DELAY BIT. The chip sees an SCK phase only when it
// lasts more than two of its clock cycles, and takes MOSI only when it was set at least
// one cycle before SCK rises. Here a BitDelay pass takes 1.5 us and each port access
// 1 us, so SCK stays high for DELAY BIT x 1.5 us + 2 us (the read and write of SckLow),
// while MOSI is always set 3 us (three accesses) before SCK rises, whatever DELAY BIT is.
enum class Cause { None, ShortSckPhase, LateMosi };

struct ChipClockCase {
    const char* name;
    std::uint32_t chipClockHz;
    std::uint32_t delayBit;
    Cause failure;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ChipClockCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr double kPassNs = 1500;
constexpr std::uint64_t kAccessNs = 1000;

class ChipClockTest : public LinkTest, public testing::WithParamInterface<ChipClockCase> {
protected:
    static sim::BoardSettings WithClock(std::uint32_t hz) {
        sim::BoardSettings settings;
        settings.chipClockHz = hz;
        return settings;
    }
    ChipClockTest() : LinkTest(WithClock(GetParam().chipClockHz)) {
        TestPort::SetNsPerBusyDecrement(kPassNs / kBitDelayCountdown);
    }
    ~ChipClockTest() override { TestPort::SetNsPerBusyDecrement(0); }
};

TEST_P(ChipClockTest, HandshakeNeedsPhasesLongerThanTwoChipCycles) {
    const ChipClockCase& c = GetParam();
    const std::uint64_t before = board.Clock().NowNs();
    board.Board().In(kStatus);
    ASSERT_EQ(board.Clock().NowNs() - before, kAccessNs) << "the phase lengths above assume it";
    delayBit = c.delayBit;
    link.EnterProgramming();
    EXPECT_EQ(link.ProgrammingEnable(),
              c.failure == Cause::None ? Handshake::InStep : Handshake::NoAnswer);
    EXPECT_TRUE(boxes.Boxes().empty());
    const auto& counters = board.Chip().counters();
    EXPECT_EQ(counters.sckPulsesMissed > 0, c.failure == Cause::ShortSckPhase);
    EXPECT_EQ(counters.mosiSetupViolations > 0, c.failure == Cause::LateMosi);
}

INSTANTIATE_TEST_SUITE_P(
    SlowClocks, ChipClockTest,
    testing::Values(ChipClockCase{"At4MHzDelayBit1", 4'000'000, 1, Cause::None},
                    // 2 cycles = 4 us: 3.5 us high is too short, 5 us is enough.
                    ChipClockCase{"At500kHzDelayBit1", 500'000, 1, Cause::ShortSckPhase},
                    ChipClockCase{"At500kHzDelayBit2", 500'000, 2, Cause::None},
                    // 2 cycles = 5.7 us: 5 us is still too short, 6.5 us is enough.
                    ChipClockCase{"At350kHzDelayBit2", 350'000, 2, Cause::ShortSckPhase},
                    ChipClockCase{"At350kHzDelayBit3", 350'000, 3, Cause::None},
                    // 1 cycle = 4 us of MOSI setup, more than the 3 us it gets at any DELAY BIT.
                    ChipClockCase{"At250kHzDelayBit10", 250'000, 10, Cause::LateMosi}),
    [](const testing::TestParamInfo<ChipClockCase>& info) { return std::string(info.param.name); });

TEST(LinkWithoutPort, EveryEntryPointLeavesThePortAlone) {
    TestBoard board;
    PortRecorder recorder;
    MessageBoxCapture boxes;
    CParallelPort port{board.Access()}; // no port chosen
    std::uint32_t delayBit = 1;
    std::uint32_t delayByte = 1;
    CSerialLink link(port, delayBit, delayByte, &AfxSleep);
    const unsigned char send[4] = {0xAC, 0x53, 0x00, 0x00};
    unsigned char answer[4] = {};
    link.EnterProgramming();
    link.Exchange(send, answer);
    link.ClockPulse();
    link.SckHigh();
    link.MosiHigh();
    link.ReleaseTarget();
    EXPECT_EQ(link.ProgrammingEnable(), Handshake::NoAnswer);
    EXPECT_TRUE(recorder.Accesses().empty());
    EXPECT_TRUE(board.Waits().Waits().empty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
