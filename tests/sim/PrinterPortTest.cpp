// Printer-port registers and connector pins: latches, inversions, status bits,
// the one port that carries the cable, and addresses where nothing answers.
#include <gtest/gtest.h>

#include "sim/Board.h"
#include "sim/PrinterPort.h"

namespace {

using sim::PortRegister;

struct OutputPinCase {
    PortRegister reg;
    std::uint8_t value;
    std::uint8_t pin;
    bool level;
};

TEST(PrinterPortTest, OutputPinsFollowTheLatchesWithTheHardwareInversions) {
    const OutputPinCase cases[] = {
        {PortRegister::Data, 0x01, 2, true},      {PortRegister::Data, 0xFE, 2, false},
        {PortRegister::Data, 0x02, 3, true},      {PortRegister::Data, 0x80, 9, true},
        {PortRegister::Data, 0x7F, 9, false},     {PortRegister::Control, 0x00, 1, true},
        {PortRegister::Control, 0x01, 1, false},  {PortRegister::Control, 0x00, 14, true},
        {PortRegister::Control, 0x02, 14, false}, {PortRegister::Control, 0x00, 16, false},
        {PortRegister::Control, 0x04, 16, true},  {PortRegister::Control, 0x00, 17, true},
        {PortRegister::Control, 0x08, 17, false}, {PortRegister::Control, 0xF0, 1, true},
    };
    for (const auto& c : cases) {
        sim::PrinterPort port(0x378);
        port.Write(c.reg, c.value);
        EXPECT_EQ(port.PinLevel(c.pin), c.level)
            << "register " << int(c.reg) << " = 0x" << std::hex << int(c.value) << ", pin "
            << std::dec << int(c.pin);
        EXPECT_EQ(port.Read(c.reg), c.value) << "latch reads back as written";
    }
}

struct StatusCase {
    std::uint8_t lowPin; // 0 = all inputs high
    std::uint8_t status;
};

TEST(PrinterPortTest, StatusBitsComeFromInputPinsWithBusyInverted) {
    const StatusCase cases[] = {
        {0, 0x7F},  // all high: Busy (pin 11) inverted reads 0, bits 0..2 read 1
        {15, 0x77}, // nError -> bit 3
        {13, 0x6F}, // Select -> bit 4
        {12, 0x5F}, // PaperEnd -> bit 5
        {10, 0x3F}, // nAck -> bit 6
        {11, 0xFF}, // Busy low -> bit 7 set
    };
    for (const auto& c : cases) {
        sim::PrinterPort port(0x378);
        if (c.lowPin != 0) {
            port.ApplyInput(c.lowPin, false);
        }
        EXPECT_EQ(port.Read(PortRegister::Status), c.status) << "pin " << int(c.lowPin) << " low";
    }
}

TEST(PrinterPortTest, StatusRegisterIgnoresWrites) {
    sim::PrinterPort port(0x378);
    port.Write(PortRegister::Status, 0x00);
    EXPECT_EQ(port.Read(PortRegister::Status), 0x7F);
}

class BoardPortsTest : public ::testing::Test {
protected:
    sim::VirtualClock clock;
};

struct CablePlacement {
    int lpt;
    std::uint16_t cableBase;
    std::uint16_t expectedBase; // 0 = no cable
};

const CablePlacement kPlacements[] = {
    {1, 0, 0x378},       {2, 0, 0x278},       {3, 0, 0x3BC},       {0, 0, 0},
    {1, 0xD010, 0xD010}, {0, 0xFFFD, 0xFFFD}, {2, 0x0001, 0x0001},
};

TEST_F(BoardPortsTest, OnlyTheCablePortAnswersEveryOtherAddressReadsFF) {
    for (const auto& c : kPlacements) {
        sim::BoardSettings settings;
        settings.lpt = c.lpt;
        settings.cableBase = c.cableBase;
        sim::Board board(settings, clock);
        const std::uint16_t base = c.expectedBase;
        if (base != 0) {
            board.Out(base, 0xA6); // RESET high: the chip releases MISO
            board.Out(base + 2, 0x3C);
        }
        for (std::uint32_t address = 0; address <= 0xFFFF; ++address) {
            const bool cable = base != 0 && address >= base && address < base + 3u;
            if (!cable) {
                board.Out(static_cast<std::uint16_t>(address), 0x00);
                ASSERT_EQ(board.In(static_cast<std::uint16_t>(address)), 0xFF)
                    << "LPT" << c.lpt << " base 0x" << std::hex << base << ", address 0x"
                    << address;
            }
        }
        if (base != 0) {
            EXPECT_EQ(board.In(base), 0xA6) << "data latch, base 0x" << std::hex << base;
            EXPECT_EQ(board.In(base + 1), 0x7F) << "idle status, base 0x" << std::hex << base;
            EXPECT_EQ(board.In(base + 2), 0x3C) << "control latch, base 0x" << std::hex << base;
        }
    }
}

TEST_F(BoardPortsTest, CableLinesFollowOnlyTheCablePort) {
    for (const auto& c : kPlacements) {
        if (c.expectedBase == 0) {
            continue;
        }
        sim::BoardSettings settings;
        settings.lpt = c.lpt;
        settings.cableBase = c.cableBase;
        sim::Board board(settings, clock);
        const std::uint16_t base = c.expectedBase;
        board.Out(base, 0x03);     // D0 = SCK, D1 = RESET
        board.Out(base + 2, 0x00); // control bit 0 = 0 drives MOSI high
        auto pins = board.pins();
        EXPECT_TRUE(pins.reset && pins.sck && pins.mosi) << std::hex << base;
        board.Out(base + 2, 0x01);
        EXPECT_FALSE(board.pins().mosi) << std::hex << base;
        for (std::uint16_t other : {0x378, 0x278, 0x3BC}) {
            if (other != base) {
                board.Out(other, 0x00);
                board.Out(other + 2, 0x00);
                EXPECT_TRUE(board.pins().reset) << std::hex << base << " vs " << other;
                EXPECT_FALSE(board.pins().mosi) << std::hex << base << " vs " << other;
            }
        }
    }
}

TEST_F(BoardPortsTest, MisoAppearsOnStatusBit6OfTheCablePort) {
    sim::BoardSettings settings;
    settings.fault = sim::BoardFault::NoPower;
    sim::Board noPower(settings, clock);
    EXPECT_EQ(noPower.In(0x379), 0x3F);
    settings.fault = sim::BoardFault::NoChip;
    sim::Board noChip(settings, clock);
    EXPECT_EQ(noChip.In(0x379), 0x7F);
}

} // namespace
