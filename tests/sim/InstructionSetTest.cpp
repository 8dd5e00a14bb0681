// The instruction tables: the datasheet notation becomes the masks the chip decodes,
// and no instruction word of a chip fits two of its instructions.
#include <gtest/gtest.h>

#include "sim/InstructionSet.h"

namespace {

TEST(InstructionSetTest, DatasheetNotationBecomesMasks) {
    constexpr sim::InstructionPattern p = sim::Instruction(
        sim::Op::ReadEeprom, "Read EEPROM Memory", "1010 0000 00xx xxxa aaaa aaaa oooo oooo");
    static_assert(p.fixedMask == 0xFFC00000u && p.fixedValue == 0xA0000000u);
    static_assert(p.addressMask == 0x0001FF00u && p.dataMask == 0x000000FFu);
    static_assert(p.answersInLastByte);
    EXPECT_EQ(sim::AddressOf(0xA0F3FE00u, p), 0x1FEu) << "bits beyond the field ignored";
}

TEST(InstructionSetTest, NoInstructionWordFitsTwoInstructionsOfOneChip) {
    for (const sim::InstructionSet* set :
         {&sim::kAt90sInstructions, &sim::kAtmega8535Instructions, &sim::kAtmega16And32Instructions,
          &sim::kHandshakeOnlyInstructions}) {
        for (const sim::InstructionPattern* a = set->begin(); a != set->end(); ++a) {
            for (const sim::InstructionPattern* b = a + 1; b != set->end(); ++b) {
                const std::uint32_t bothFixed = a->fixedMask & b->fixedMask;
                EXPECT_NE((a->fixedValue ^ b->fixedValue) & bothFixed, 0u)
                    << a->name << " and " << b->name;
            }
        }
    }
}

} // namespace
