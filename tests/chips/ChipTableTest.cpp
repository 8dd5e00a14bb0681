// The chip table against avrdude's part descriptions (Debian's /etc/avrdude.conf): every
// AVR that fits the AT90S8535's socket is in it under its signature, with avrdude's
// flash and page size, and every instruction the program sends a programmed chip fits
// avrdude's bit pattern for it. The waits come from the datasheets and are not compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AvrdudePartsTest.h"
#include "ops/Chips.h"

namespace {

// avrdude's ids of the AVRs with the AT90S8535's 40-pin pinout.
const char* const kSocketParts[] = {
    "8535",   "4434",  "m8535",  "m16",   "m16a",   "m32",    "m32a",
    "m163",   "m164p", "m164pa", "m164a", "m324p",  "m324pa", "m324a",
    "m324pb", "m644",  "m644a",  "m644p", "m644pa", "m1284",  "m1284p",
};

std::vector<std::string> NamesOf(const ChipInfo& chip) {
    std::vector<std::string> names;
    std::istringstream in(chip.name);
    std::string name;
    while (std::getline(in, name, '/')) {
        names.push_back(name);
    }
    return names;
}

std::string Hex(const unsigned char (&bytes)[4]) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

class ChipTableTest : public AvrdudePartsTest {
protected:
    static const avrconf::Part& Part(const std::string& id) {
        static const avrconf::Part none;
        const auto it = parts_->find(id);
        EXPECT_NE(it, parts_->end()) << "avrdude has no part " << id;
        return it == parts_->end() ? none : it->second;
    }
    // The avrdude part whose description is `name`.
    static const avrconf::Part* PartNamed(const std::string& name) {
        return avrconf::PartByDesc(*parts_, name);
    }
};

TEST_F(ChipTableTest, EveryChipOfTheSocketIsFoundByItsSignatureWithAvrdudesSizes) {
    std::set<const ChipInfo*> matched;
    for (const char* id : kSocketParts) {
        const avrconf::Part& part = Part(id);
        const std::string desc = part.fields.count("desc") ? part.fields.at("desc") : id;
        const std::vector<unsigned> signature = avrconf::SignatureOf(part);
        ASSERT_EQ(signature.size(), 3u) << desc;
        const unsigned char bytes[3] = {static_cast<unsigned char>(signature[0]),
                                        static_cast<unsigned char>(signature[1]),
                                        static_cast<unsigned char>(signature[2])};
        const ChipInfo* chip = FindChip(bytes);
        ASSERT_NE(chip, nullptr) << desc << " is not in the table";
        matched.insert(chip);
        const std::vector<std::string> names = NamesOf(*chip);
        EXPECT_NE(std::find(names.begin(), names.end(), desc), names.end())
            << desc << " shares its signature with " << chip->name;

        const avrconf::Fields& flash = part.memories.at("flash");
        EXPECT_EQ(avrconf::Number(flash, "size"), static_cast<long>(chip->flashBytes)) << desc;
        const bool paged = flash.count("paged") && flash.at("paged") == "yes";
        EXPECT_EQ(paged, chip->flashWriting == FlashWriting::ByPages) << desc;
        EXPECT_EQ(paged ? avrconf::Number(flash, "page_size") : 0,
                  static_cast<long>(chip->pageWords * 2))
            << desc;
    }
    for (std::size_t i = 0; i < kChipCount; ++i) {
        EXPECT_EQ(matched.count(&kChips[i]), 1u) << kChips[i].name << " fits no chip of the socket";
        for (const std::string& name : NamesOf(kChips[i])) {
            EXPECT_NE(PartNamed(name), nullptr) << name << " is no avrdude part";
        }
    }
}

TEST_F(ChipTableTest, ReadSignatureFitsEveryChip) {
    for (std::size_t i = 0; i < kChipCount; ++i) {
        const avrconf::Part* part = PartNamed(NamesOf(kChips[i]).front());
        ASSERT_NE(part, nullptr) << kChips[i].name;
        for (unsigned index = 0; index < 3; ++index) {
            const SerialInstruction read = ReadSignatureInstruction(index);
            std::string why;
            EXPECT_TRUE(avrconf::Fits(part->memories.at("signature").at("read"), read.bytes, index,
                                      0, &why))
                << kChips[i].name << " " << Hex(read.bytes) << ": " << why;
        }
    }
}

// The flash bytes each instruction is tried at: both ends, a page's edges, the middle.
std::vector<std::uint32_t> SampleBytes(const ChipInfo& chip) {
    const std::uint32_t page = chip.pageWords == 0 ? 64 : chip.pageWords * 2;
    return {
        0, 1, page - 1, page, chip.flashBytes / 2 + 7, chip.flashBytes - 2, chip.flashBytes - 1};
}

TEST_F(ChipTableTest, FlashInstructionsFitEachProgrammedChip) {
    for (std::size_t i = 0; i < kChipCount; ++i) {
        const ChipInfo& chip = kChips[i];
        if (!chip.programmed) {
            continue;
        }
        const avrconf::Part* part = PartNamed(NamesOf(chip).front());
        ASSERT_NE(part, nullptr) << chip.name;
        const avrconf::Fields& flash = part->memories.at("flash");
        const bool paged = chip.flashWriting == FlashWriting::ByPages;
        if (paged) {
            const std::size_t placeBits = avrconf::PositionsOf(flash.at("loadpage_lo"), 'a').size();
            EXPECT_EQ(1u << placeBits, chip.pageWords) << chip.name << ": the page's places";
        }
        for (const std::uint32_t byte : SampleBytes(chip)) {
            const bool high = (byte & 1) != 0;
            const std::uint32_t word = byte / 2;
            const unsigned char data = static_cast<unsigned char>(0xA5 ^ byte);
            struct Sent {
                const char* pattern;
                SerialInstruction instruction;
                unsigned data;
            };
            std::vector<Sent> sent = {
                {high ? "read_hi" : "read_lo", ReadFlashInstruction(byte), 0}};
            if (paged) {
                sent.push_back({high ? "loadpage_hi" : "loadpage_lo",
                                LoadPageInstruction(chip, byte, data), data});
                sent.push_back({"writepage", WritePageInstruction(chip, byte), 0});
            } else {
                sent.push_back(
                    {high ? "write_hi" : "write_lo", WriteFlashByteInstruction(byte, data), data});
            }
            for (const Sent& s : sent) {
                std::string why;
                EXPECT_TRUE(
                    avrconf::Fits(flash.at(s.pattern), s.instruction.bytes, word, s.data, &why))
                    << chip.name << " " << s.pattern << " of byte " << byte << ", "
                    << Hex(s.instruction.bytes) << ": " << why;
            }
        }
    }
}

TEST_F(ChipTableTest, LockInstructionsProgramLockBit1OrLockBits1And2AndNothingElse) {
    for (std::size_t i = 0; i < kChipCount; ++i) {
        const ChipInfo& chip = kChips[i];
        if (!chip.programmed) {
            continue;
        }
        const avrconf::Part* part = PartNamed(NamesOf(chip).front());
        ASSERT_NE(part, nullptr) << chip.name;
        const std::string pattern = part->memories.at("lock").at("write");
        // The datasheets order the lock byte's bits LB1, LB2, then the boot lock bits.
        const std::vector<int> lockBits = avrconf::PositionsOf(pattern, 'i');
        ASSERT_GE(lockBits.size(), 2u) << chip.name;
        struct Case {
            const char* what;
            SerialInstruction instruction;
            unsigned programmed; // how many of the lowest lock bits are 0
        };
        for (const Case& c :
             {Case{"Lock 1 Bit", chip.lock1, 1}, Case{"Lock 2 Bit", chip.lock2, 2}}) {
            unsigned value = 0xFF;
            for (std::size_t n = 0; n < lockBits.size(); ++n) {
                const int bit = lockBits[n] % 8;
                value = n < c.programmed ? value & ~(1u << bit) : value;
            }
            std::string why;
            EXPECT_TRUE(avrconf::Fits(pattern, c.instruction.bytes, 0, value, &why))
                << chip.name << " " << c.what << " " << Hex(c.instruction.bytes) << ": " << why;
        }
    }
}

TEST(ChipTable, UnknownSignaturesAreNotFound) {
    const unsigned char hidden[3] = {0x00, 0x01, 0x02};
    const unsigned char unknown[3] = {0x1E, 0x93, 0x0F};
    EXPECT_EQ(FindChip(hidden), nullptr);
    EXPECT_EQ(FindChip(unknown), nullptr);
}

TEST(ChipTable, WaitsAreWholeMillisecondsRoundedUp) {
    struct Case {
        std::uint32_t perUnit_us;
        std::uint32_t delayByte;
        std::uint32_t ms;
    };
    const Case cases[] = {{4500, 1, 5}, {4500, 2, 9},  {4500, 3, 14},     {4500, 10, 45},
                          {4000, 1, 4}, {4000, 7, 28}, {100000, 10, 1000}};
    for (const Case& c : cases) {
        EXPECT_EQ(WaitMs(c.perUnit_us, c.delayByte), c.ms) << c.perUnit_us << " x " << c.delayByte;
    }
}

} // namespace
