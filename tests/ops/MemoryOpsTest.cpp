// The chip window's memory operations as a class on each simulated chip: the flash and the
// EEPROM read whole (each chip's sizes and address bits), an EEPROM write that writes only
// what differs and reads it back, and the refusals that come before anything is read or
// written (lock bits, data past the chip's EEPROM).
#include "ops/ChipFacts.h"
#include "ops/ChipOps.h"
#include "sim/ChipMemory.h"
#include "tests/ops/DeviceOpsFixture.h"

#include <ostream>

namespace {

struct MemoryCase {
    const char* name;
    sim::ChipType chip;
    std::uint32_t flashBytes;
    std::uint32_t eepromBytes;
    std::uint8_t lockBit1; // the lock byte with lock bit 1 programmed
    std::uint8_t lockBits; // with both programmed
};

std::ostream& operator<<(std::ostream& out, const MemoryCase& c) {
    return out << c.name;
}

constexpr std::uint8_t kAt90sLock1 = 0xFF & ~sim::kLockBit1;
constexpr std::uint8_t kAt90sLock2 = 0xFF & ~(sim::kLockBit1 | sim::kLockBit2);
constexpr std::uint8_t kAtmegaLock1 = 0xFF & ~sim::kAtmegaLockBit1;
constexpr std::uint8_t kAtmegaLock2 = 0xFF & ~(sim::kAtmegaLockBit1 | sim::kAtmegaLockBit2);

const MemoryCase kMemoryCases[] = {
    {"AT90S8535", sim::ChipType::At90s8535, 8192, 512, kAt90sLock1, kAt90sLock2},
    {"ATmega8535", sim::ChipType::Atmega8535, 8192, 512, kAtmegaLock1, kAtmegaLock2},
    {"ATmega16", sim::ChipType::Atmega16, 16384, 512, kAtmegaLock1, kAtmegaLock2},
    {"ATmega32", sim::ChipType::Atmega32, 32768, 1024, kAtmegaLock1, kAtmegaLock2},
    {"AT90S4434", sim::ChipType::At90s4434, 4096, 256, kAt90sLock1, kAt90sLock2},
};

sim::BoardSettings WithChip(sim::ChipType chip) {
    sim::BoardSettings settings;
    settings.chip = chip;
    return settings;
}

class MemoryOpsTest : public DeviceOpsTest, public testing::WithParamInterface<MemoryCase> {
protected:
    MemoryOpsTest() : DeviceOpsTest(WithChip(GetParam().chip)) {}

    // Every byte of a memory different from its neighbours, the last one too.
    static void Pattern(sim::MemoryBytes& memory, unsigned seed) {
        for (std::size_t i = 0; i < memory.size(); ++i)
            memory[i] = static_cast<std::uint8_t>(i * 7 + seed + (i >> 8));
    }
    // EEPROM data of `count` bytes from `first`, each `value + index`.
    static EepromImage Data(std::uint32_t first, std::uint32_t count, unsigned char value) {
        EepromImage data = {};
        for (std::uint32_t i = first; i < first + count; ++i) {
            data.bytes[i] = static_cast<unsigned char>(value + i);
            data.present[i] = true;
        }
        data.count = count;
        data.end = first + count;
        return data;
    }

    CChipOps chipOps{link, steps, opening};
    unsigned char buffer[32768] = {};
};

TEST_P(MemoryOpsTest, ReadFlashGivesTheWholeFlash) {
    Pattern(board.Chip().flash(), 3);
    const OperationResult result = chipOps.ReadFlash(buffer, sizeof buffer);
    ASSERT_EQ(result.outcome, Outcome::Ok);
    EXPECT_EQ(result.bytes, GetParam().flashBytes);
    EXPECT_TRUE(std::equal(buffer, buffer + result.bytes, board.Chip().flash().begin()));
    const std::vector<std::string> expected = {
        "begin ReadFlash 0.." + std::to_string(GetParam().flashBytes), "done ReadFlash"};
    EXPECT_EQ(steps.events, expected);
    EXPECT_EQ(steps.lastPercent, 99);
    EXPECT_TRUE(Released());
}

TEST_P(MemoryOpsTest, ReadEepromGivesTheWholeEepromAtEachChipsAddresses) {
    Pattern(board.Chip().eeprom(), 5);
    const OperationResult result = chipOps.ReadEeprom(buffer, sizeof buffer);
    ASSERT_EQ(result.outcome, Outcome::Ok);
    EXPECT_EQ(result.bytes, GetParam().eepromBytes);
    EXPECT_TRUE(std::equal(buffer, buffer + result.bytes, board.Chip().eeprom().begin()));
    EXPECT_TRUE(Released());
}

TEST_P(MemoryOpsTest, WriteEepromWritesWhatDiffersAndReadsItBack) {
    const std::uint32_t size = GetParam().eepromBytes;
    // The file's last 16 bytes reach the last byte of the EEPROM; the first 4 of them the
    // chip holds already.
    const EepromImage data = Data(size - 16, 16, 0x30);
    for (std::uint32_t i = size - 16; i < size - 12; ++i)
        board.Chip().eeprom()[i] = data.bytes[i];
    board.Chip().eeprom()[0] = 0x12; // outside the file: left alone
    const OperationResult result = chipOps.WriteEeprom(data);
    ASSERT_EQ(result.outcome, Outcome::Ok);
    EXPECT_EQ(result.bytes, 12u);
    EXPECT_EQ(board.Chip().counters().eepromWrites, 12u);
    for (std::uint32_t i = size - 16; i < size; ++i)
        EXPECT_EQ(board.Chip().eeprom()[i], data.bytes[i]) << "address " << i;
    EXPECT_EQ(board.Chip().eeprom()[0], 0x12);
    EXPECT_EQ(steps.events.back(), "done WriteEeprom");
    EXPECT_TRUE(Released());
}

TEST_P(MemoryOpsTest, DataPastTheEepromIsRefusedBeforeAnythingIsWritten) {
    const std::uint32_t size = GetParam().eepromBytes;
    const EepromImage data = Data(size - 8, 9, 0x40); // one byte past the end
    const OperationResult result = chipOps.WriteEeprom(data);
    EXPECT_EQ(result.outcome, Outcome::EepromTooLarge);
    EXPECT_EQ(result.dataEnd, size + 1);
    EXPECT_EQ(result.chip->facts->eepromBytes, size);
    EXPECT_EQ(board.Chip().counters().eepromWrites, 0u);
    EXPECT_TRUE(Released());
}

// Lock bit 1 forbids the EEPROM write; lock bit 2 too, and every read. Nothing is read
// from or written to the memories.
TEST_P(MemoryOpsTest, LockBitsRefuseBeforeReadingOrWriting) {
    const struct {
        std::uint8_t lockByte;
        Outcome read;
        Outcome write;
    } cases[] = {{GetParam().lockBit1, Outcome::Ok, Outcome::WriteLocked},
                 {GetParam().lockBits, Outcome::ReadLocked, Outcome::WriteLocked}};
    for (const auto& c : cases) {
        board.Chip().setLockFuseByte(c.lockByte);
        board.Chip().ResetCounters();
        const EepromImage data = Data(0, 4, 0x55);
        EXPECT_EQ(chipOps.WriteEeprom(data).outcome, c.write);
        EXPECT_EQ(board.Chip().counters().eepromWrites, 0u);
        if (c.read != Outcome::Ok) {
            EXPECT_EQ(chipOps.ReadFlash(buffer, sizeof buffer).outcome, c.read);
            EXPECT_EQ(chipOps.ReadEeprom(buffer, sizeof buffer).outcome, c.read);
            EXPECT_EQ(board.Chip().counters().flashReadsTotal, 0u);
            EXPECT_EQ(board.Chip().counters().eepromReadsTotal, 0u);
        }
        EXPECT_TRUE(Released());
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, MemoryOpsTest, testing::ValuesIn(kMemoryCases),
                         [](const testing::TestParamInfo<MemoryCase>& info) {
                             return std::string(info.param.name);
                         });

// A byte that does not take the write is told with its address.
TEST_F(DeviceOpsTest, AnEepromByteThatDoesNotTakeTheWriteIsToldWithItsAddress) {
    CChipOps chipOps{link, steps, opening};
    EepromImage data = {};
    data.bytes[0x1F] = 0xA5;
    data.present[0x1F] = true;
    data.count = 1;
    data.end = 0x20;
    board.OnWait([&](DWORD) { board.Chip().eeprom()[0x1F] = 0x00; }); // the cell fails
    const OperationResult result = chipOps.WriteEeprom(data);
    EXPECT_EQ(result.outcome, Outcome::EepromVerifyError);
    EXPECT_EQ(result.address, 0x1Fu);
    EXPECT_EQ(result.wrote, 0xA5);
    EXPECT_EQ(result.found, 0x00);
    EXPECT_TRUE(Released());
}

} // namespace
