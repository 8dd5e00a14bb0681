// The EEPROM, lock bit, fuse, calibration byte and FSTRT instructions and the chip facts
// against avrdude's part descriptions (Debian's /etc/avrdude.conf, avrdude 7.1). Only
// the instruction patterns are compared (fixed bits, address bits, data bits): that file
// has no fuse defaults or bit names, and its write delays are not the datasheets'.
//
// Two of its descriptions are wrong, and the datasheet takes their place here:
// - Its AT90S4434 "fuse" and "lock" memories are the AT90S4433's (Read Fuse Bits 0x50,
//   Write Fuse Bits 1010 1100 101i iiii, lock bits read from bits 2-1). The AT90S4434
//   shares the AT90S8535's datasheet and its Read Lock and Fuse Bits (answer 12Sx xxxF)
//   and Write FSTRT, so it is checked against the AT90S8535's patterns.
// - Its AT90S8535 "lock" memory reads LB1 and LB2 from bits 7-6 of the answer but writes
//   them from bits 2-1 of the value, so a lock byte it read does not write back. The
//   datasheet's two instructions do place them so (12Sx xxxF read, 1111 1211 written);
//   the read positions are checked against the decoding of the lock and fuse byte, the
//   write positions by the chip table's test, each on its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "AvrdudePartsTest.h"
#include "ops/ChipFacts.h"
#include "ops/ChipInstructions.h"
#include "ops/Chips.h"
#include "ops/LockBits.h"

namespace {

std::string Hex(const SerialInstruction& instruction) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", instruction.bytes[0],
                  instruction.bytes[1], instruction.bytes[2], instruction.bytes[3]);
    return text;
}

std::string FirstName(const ChipInfo& chip) {
    std::istringstream in(chip.name);
    std::string name;
    std::getline(in, name, '/');
    return name;
}

bool IsAt90s(const ChipInfo& chip) {
    return chip.facts->lockByte == LockByteForm::At90sLockAndFuse;
}

class ChipInstructionsTest : public AvrdudePartsTest {
protected:
    static std::vector<const ChipInfo*> ProgrammedChips() {
        std::vector<const ChipInfo*> chips;
        for (std::size_t i = 0; i < kChipCount; ++i) {
            if (kChips[i].programmed) {
                chips.push_back(&kChips[i]);
            }
        }
        return chips;
    }

    static const avrconf::Part& PartOf(const ChipInfo& chip) {
        static const avrconf::Part none;
        const avrconf::Part* part = avrconf::PartByDesc(*parts_, FirstName(chip));
        EXPECT_NE(part, nullptr) << chip.name << " is no avrdude part";
        return part == nullptr ? none : *part;
    }

    // The part whose "lock" and "fuse" memories describe the chip: the AT90S8535's for
    // both AT90S chips (avrdude's AT90S4434 entries are the AT90S4433's).
    static const avrconf::Part& LockAndFusePartOf(const ChipInfo& chip) {
        if (!IsAt90s(chip)) {
            return PartOf(chip);
        }
        static const avrconf::Part none;
        const avrconf::Part* part = avrconf::PartByDesc(*parts_, "AT90S8535");
        EXPECT_NE(part, nullptr);
        return part == nullptr ? none : *part;
    }

    static std::string Pattern(const avrconf::Part& part, const std::string& memory,
                               const std::string& field) {
        const auto m = part.memories.find(memory);
        if (m == part.memories.end() || m->second.count(field) == 0) {
            ADD_FAILURE() << part.id << " has no " << memory << " " << field;
            return "";
        }
        return m->second.at(field);
    }

    static void ExpectFits(const std::string& pattern, const SerialInstruction& instruction,
                           std::uint32_t address, unsigned data, const std::string& what) {
        std::string why;
        EXPECT_TRUE(avrconf::Fits(pattern, instruction.bytes, address, data, &why))
            << what << ": " << Hex(instruction) << " against \"" << pattern << "\": " << why;
    }
};

TEST_F(ChipInstructionsTest, EachChipHasTheMemoriesAvrdudeGivesIt) {
    for (const ChipInfo* chip : ProgrammedChips()) {
        ASSERT_NE(chip->facts, nullptr) << chip->name;
        const ChipFacts& facts = *chip->facts;
        const avrconf::Part& part = PartOf(*chip);
        const avrconf::Part& lockAndFuse = LockAndFusePartOf(*chip);
        EXPECT_EQ(avrconf::Number(part.memories.at("eeprom"), "size"),
                  static_cast<long>(facts.eepromBytes))
            << chip->name;
        const bool fuseBytes = part.memories.count("lfuse") && part.memories.count("hfuse");
        EXPECT_EQ(facts.hasFuseBytes, fuseBytes) << chip->name;
        EXPECT_EQ(facts.hasFuseBytes, facts.fuses != nullptr) << chip->name;
        const bool calibration = part.memories.count("calibration") &&
                                 avrconf::Number(part.memories.at("calibration"), "size") ==
                                     static_cast<long>(kCalibrationByteCount);
        EXPECT_EQ(facts.hasCalibrationBytes, calibration) << chip->name;
        // FSTRT is the one bit of the AT90S8535's one-byte "fuse" memory.
        const bool fstrt = lockAndFuse.memories.count("fuse") &&
                           avrconf::PositionsOf(Pattern(lockAndFuse, "fuse", "write"), 'i') ==
                               std::vector<int>{16};
        EXPECT_EQ(facts.hasFstrt, fstrt) << chip->name;
        // The boot lock bits are lock byte bits 2-5, which only the ATmegas write.
        const std::vector<int> lockBits =
            avrconf::PositionsOf(Pattern(lockAndFuse, "lock", "write"), 'i');
        EXPECT_EQ(facts.hasBootLockBits, lockBits.size() == 6) << chip->name;
    }
}

TEST_F(ChipInstructionsTest, EepromInstructionsCarryEachChipsAddressBits) {
    for (const ChipInfo* chip : ProgrammedChips()) {
        const ChipFacts& facts = *chip->facts;
        const avrconf::Part& part = PartOf(*chip);
        const std::string read = Pattern(part, "eeprom", "read");
        const std::string write = Pattern(part, "eeprom", "write");
        const std::uint32_t last = facts.eepromBytes - 1;
        for (const std::uint32_t address : {0u, 1u, 0xAAu, 0xFFu, last / 2 + 3, last}) {
            const unsigned char data = static_cast<unsigned char>(0x5A ^ address);
            SerialInstruction instruction{};
            ASSERT_TRUE(ReadEepromInstruction(facts, address, &instruction)) << address;
            ExpectFits(read, instruction, address, 0, std::string(chip->name) + " EEPROM read");
            ASSERT_TRUE(WriteEepromInstruction(facts, address, data, &instruction)) << address;
            ExpectFits(write, instruction, address, data,
                       std::string(chip->name) + " EEPROM write");
        }
        SerialInstruction untouched{{1, 2, 3, 4}};
        EXPECT_FALSE(ReadEepromInstruction(facts, facts.eepromBytes, &untouched)) << chip->name;
        EXPECT_FALSE(WriteEepromInstruction(facts, facts.eepromBytes, 0, &untouched));
        EXPECT_FALSE(WriteEepromInstruction(facts, 0x10000 + 1, 0, &untouched));
        EXPECT_EQ(Hex(untouched), "01 02 03 04") << "a refused address builds nothing";
    }
}

TEST_F(ChipInstructionsTest, FuseInstructionsFitTheAtmegas) {
    for (const ChipInfo* chip : ProgrammedChips()) {
        if (!chip->facts->hasFuseBytes) {
            continue;
        }
        const avrconf::Part& part = PartOf(*chip);
        struct Byte {
            FuseByteId id;
            const char* memory;
        };
        for (const Byte& byte : {Byte{FuseByteId::Low, "lfuse"}, Byte{FuseByteId::High, "hfuse"}}) {
            const std::string what = std::string(chip->name) + " " + byte.memory;
            ExpectFits(Pattern(part, byte.memory, "read"), ReadFuseInstruction(byte.id), 0, 0,
                       what + " read");
            for (const unsigned value : {0x00u, 0xFFu, 0xE1u, 0x99u, 0xD9u, 0x5Au}) {
                ExpectFits(Pattern(part, byte.memory, "write"),
                           WriteFuseInstruction(byte.id, static_cast<unsigned char>(value)), 0,
                           value, what + " write");
            }
        }
    }
}

TEST_F(ChipInstructionsTest, CalibrationBytesAreReadByIndex) {
    for (const ChipInfo* chip : ProgrammedChips()) {
        if (!chip->facts->hasCalibrationBytes) {
            continue;
        }
        const std::string read = Pattern(PartOf(*chip), "calibration", "read");
        for (unsigned index = 0; index < kCalibrationByteCount; ++index) {
            SerialInstruction instruction{};
            ASSERT_TRUE(ReadCalibrationInstruction(index, &instruction));
            ExpectFits(read, instruction, index, 0, std::string(chip->name) + " calibration");
        }
    }
    SerialInstruction instruction{};
    EXPECT_FALSE(ReadCalibrationInstruction(kCalibrationByteCount, &instruction));
}

TEST_F(ChipInstructionsTest, LockByteIsReadAndDecodedWhereAvrdudePutsItsBits) {
    for (const ChipInfo* chip : ProgrammedChips()) {
        const avrconf::Part& part = LockAndFusePartOf(*chip);
        const std::string read = Pattern(part, "lock", "read");
        ExpectFits(read, ReadLockBitsInstruction(), 0, 0, std::string(chip->name) + " lock read");
        if (IsAt90s(*chip)) {
            // LB1 and LB2 where the read pattern has them (bits 7 and 6), FSTRT where the
            // "fuse" read has it (bit 0); both come from the same instruction.
            ExpectFits(Pattern(part, "fuse", "read"), ReadLockBitsInstruction(), 0, 0,
                       std::string(chip->name) + " lock and fuse read");
            EXPECT_EQ(avrconf::PositionsOf(read, 'o'), (std::vector<int>{6, 7}));
            EXPECT_TRUE(DecodeAt90sLockAndFuse(0xFF & ~0x80).lock.lockBit1);
            EXPECT_TRUE(DecodeAt90sLockAndFuse(0xFF & ~0x40).lock.lockBit2);
            EXPECT_EQ(avrconf::PositionsOf(Pattern(part, "fuse", "read"), 'o'),
                      std::vector<int>{0});
            EXPECT_TRUE(DecodeAt90sLockAndFuse(0xFE).fstrtProgrammed);
            continue;
        }
        // The ATmegas write the lock byte as they read it: bit n of the value is lock bit
        // n, LB1, LB2, BLB01, BLB02, BLB11, BLB12.
        const std::vector<int> written = avrconf::PositionsOf(Pattern(part, "lock", "write"), 'i');
        ASSERT_EQ(written, (std::vector<int>{0, 1, 2, 3, 4, 5})) << chip->name;
        struct Expected {
            bool lockBit1;
            bool lockBit2;
            unsigned blb0;
            unsigned blb1;
        };
        const Expected expected[] = {{true, false, 3, 3},  {false, true, 3, 3},
                                     {false, false, 2, 3}, {false, false, 1, 3},
                                     {false, false, 3, 2}, {false, false, 3, 1}};
        for (std::size_t n = 0; n < written.size(); ++n) {
            const AtmegaLockByte decoded =
                DecodeAtmegaLockByte(static_cast<unsigned char>(0xFF & ~(1u << written[n])));
            EXPECT_EQ(decoded.lock.lockBit1, expected[n].lockBit1) << chip->name << " bit " << n;
            EXPECT_EQ(decoded.lock.lockBit2, expected[n].lockBit2) << chip->name << " bit " << n;
            EXPECT_EQ(decoded.blb0, expected[n].blb0) << chip->name << " bit " << n;
            EXPECT_EQ(decoded.blb1, expected[n].blb1) << chip->name << " bit " << n;
        }
    }
}

TEST_F(ChipInstructionsTest, WriteFstrtProgramsOrUnprogramsTheFuseBit) {
    for (const ChipInfo* chip : ProgrammedChips()) {
        if (!chip->facts->hasFstrt) {
            continue;
        }
        const std::string write = Pattern(LockAndFusePartOf(*chip), "fuse", "write");
        // The "fuse" value is the bit as read: 0 programmed.
        ExpectFits(write, WriteFstrtInstruction(true), 0, 0x00,
                   std::string(chip->name) + " FSTRT on");
        ExpectFits(write, WriteFstrtInstruction(false), 0, 0x01,
                   std::string(chip->name) + " FSTRT off");
        std::string why;
        EXPECT_FALSE(avrconf::Fits(write, WriteFstrtInstruction(true).bytes, 0, 0x01, &why));
    }
}

} // namespace
