// What sets the simulated chips apart: their signatures, their lock instructions and
// what each lock mode hides, the AT90S4434's smaller memories, and the ATmega644 that
// only tells what it is.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "BoardFixture.h"

namespace {

using ChipModelTest = simtest::BoardTest;
using sim::ChipType;

std::string NameOf(ChipType type) {
    return sim::ModelOf(type).name;
}

TEST_F(ChipModelTest, EveryChipAnswersTheHandshakeAndItsSignature) {
    struct Case {
        ChipType chip;
        std::array<std::uint8_t, 3> signature;
    };
    const Case cases[] = {
        {ChipType::At90s8535, {0x1E, 0x93, 0x03}}, {ChipType::Atmega8535, {0x1E, 0x93, 0x08}},
        {ChipType::Atmega16, {0x1E, 0x94, 0x03}},  {ChipType::Atmega32, {0x1E, 0x95, 0x02}},
        {ChipType::At90s4434, {0x1E, 0x92, 0x02}}, {ChipType::Atmega644, {0x1E, 0x96, 0x09}},
    };
    for (const Case& c : cases) {
        BuildChip(c.chip);
        programmer->ResetPulse();
        EXPECT_EQ(programmer->Transfer(0xAC, 0x53, 0x00, 0x00)[2], 0x53) << NameOf(c.chip);
        for (std::uint8_t i = 0; i < 3; ++i) {
            EXPECT_EQ(programmer->ReadSignature(i), c.signature[i]) << NameOf(c.chip) << " " << +i;
        }
    }
}

// Writes flash byte 2 the chip's way: a byte write, or a page load and a page write.
void WriteFlashByte2(simtest::SerialProgrammer& programmer, const sim::ChipModel& model,
                     std::uint8_t value) {
    if (model.pageWords == 0) {
        programmer.WriteFlash(2, value);
    } else {
        programmer.LoadPage(2, model.pageWords, value);
        programmer.WritePage(0);
    }
}

TEST_F(ChipModelTest, LockInstructionsInEachChipsFormAndWhatTheLockModesHide) {
    struct Case {
        ChipType chip;
        std::array<std::uint8_t, 4> instruction;
        std::uint8_t lockByte; // as Read Lock (and Fuse) Bits answers it afterwards
        bool canWrite;
        bool canRead;
        bool signatureHidden;
    };
    const Case cases[] = {
        {ChipType::At90s8535, {0xAC, 0xFD, 0x00, 0x00}, 0x5F, false, true, false},
        {ChipType::At90s8535, {0xAC, 0xF9, 0x00, 0x00}, 0x1F, false, false, true},
        {ChipType::At90s4434, {0xAC, 0xFD, 0x00, 0x00}, 0x5F, false, true, false},
        {ChipType::At90s4434, {0xAC, 0xF9, 0x00, 0x00}, 0x1F, false, false, true},
        // The ATmega form: lock bits in byte 4, LB1 in bit 0, LB2 in bit 1.
        {ChipType::Atmega8535, {0xAC, 0xE0, 0x00, 0xFE}, 0xFE, false, true, false},
        {ChipType::Atmega8535, {0xAC, 0xE0, 0x00, 0xFC}, 0xFC, false, false, false},
        {ChipType::Atmega16, {0xAC, 0xE0, 0x00, 0xFE}, 0xFE, false, true, false},
        {ChipType::Atmega32, {0xAC, 0xE0, 0x00, 0xFC}, 0xFC, false, false, false},
        // The AT90S bytes fit the ATmega form too, with a lock byte of 0x00: lock mode 3
        // and every boot lock bit.
        {ChipType::Atmega8535, {0xAC, 0xFD, 0x00, 0x00}, 0xC0, false, false, false},
        {ChipType::Atmega32, {0xAC, 0xF9, 0x00, 0x00}, 0xC0, false, false, false},
        // Byte 2 0xBD is no ATmega lock instruction: nothing happens.
        {ChipType::Atmega16, {0xAC, 0xBD, 0x00, 0x00}, 0xFF, true, true, false},
    };
    for (const Case& c : cases) {
        const std::string what = NameOf(c.chip) + " after " + std::to_string(c.instruction[1]) +
                                 "/" + std::to_string(c.instruction[3]);
        BuildChip(c.chip);
        const sim::ChipModel& model = chip().model();
        const std::uint8_t shipped = model.shippedLockByte;
        programmer->Enter();
        chip().flash()[0] = 0x12;
        programmer->Transfer(c.instruction[0], c.instruction[1], c.instruction[2],
                             c.instruction[3]);
        clock->AdvanceMs(10);
        EXPECT_EQ(programmer->ReadLockFuse(), c.lockByte) << what;
        WriteFlashByte2(*programmer, model, 0x56);
        clock->AdvanceMs(10);
        EXPECT_EQ(chip().flash()[2], c.canWrite ? 0x56 : 0xFF) << what;
        EXPECT_EQ(programmer->ReadFlash(0), c.canRead ? 0x12 : sim::kLockedReadValue) << what;
        const std::array<std::uint8_t, 3> signature = {programmer->ReadSignature(0),
                                                       programmer->ReadSignature(1),
                                                       programmer->ReadSignature(2)};
        const std::array<std::uint8_t, 3> expected =
            c.signatureHidden ? std::array<std::uint8_t, 3>{0x00, 0x01, 0x02}
                              : std::array<std::uint8_t, 3>{model.signature[0], model.signature[1],
                                                            model.signature[2]};
        EXPECT_EQ(signature, expected) << what;
        programmer->ChipErase();
        clock->AdvanceMs(20);
        EXPECT_EQ(programmer->ReadLockFuse(), shipped) << what << ": erase clears the lock bits";
        EXPECT_EQ(programmer->ReadFlash(0), 0xFF) << what;
    }
}

TEST_F(ChipModelTest, At90s4434IgnoresTheAddressBitsBeyondItsMemories) {
    BuildChip(ChipType::At90s4434);
    programmer->Enter();
    programmer->WriteFlash(2 * 0x800 + 1, 0x5A); // word 2048 is word 0
    clock->AdvanceMs(4);
    programmer->WriteEeprom(0x1FF, 0xA5); // byte 511 is byte 255
    clock->AdvanceMs(4);
    EXPECT_EQ(chip().flash().size(), 4096u);
    EXPECT_EQ(chip().flash()[1], 0x5A);
    EXPECT_EQ(programmer->ReadFlash(1), 0x5A);
    EXPECT_EQ(programmer->ReadFlash(2 * 0x7FF + 1), 0xFF) << "the last word is its own";
    EXPECT_EQ(chip().eeprom()[0xFF], 0xA5);
    EXPECT_EQ(programmer->ReadEeprom(0xFF), 0xA5);
}

TEST_F(ChipModelTest, Atmega644KnowsOnlyTheHandshakeAndItsSignature) {
    BuildChip(ChipType::Atmega644);
    programmer->Enter();
    ASSERT_TRUE(chip().programmingEnabled());
    programmer->ChipErase();
    EXPECT_EQ(programmer->ReadFlash(0), 0x00) << "no answer";
    programmer->LoadPage(0, 128, 0x00);
    programmer->WritePage(0);
    EXPECT_EQ(chip().counters().instructionsUnknown, 4u);
    EXPECT_EQ(chip().counters().chipErases, 0u);
    EXPECT_EQ(chip().flash()[0], 0xFF);
    EXPECT_FALSE(chip().dirty()) << "nothing to write to the chip file";
}

} // namespace
