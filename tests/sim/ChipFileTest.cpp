// The chip file: format, round trip through the board, refusal of a wrong
// size, a missing file as a new chip, and reloading after outside edits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "SerialProgrammer.h"
#include "sim/Board.h"
#include "sim/ChipFile.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class ChipFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tamberlo-chipfile-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        settings.chipFile = (dir / "chip.bin").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    sim::BoardSettings settings;
    sim::VirtualClock clock;
};

TEST_F(ChipFileTest, MissingFileIsANewErasedChip) {
    sim::Board board(settings, clock);
    for (std::uint8_t b : board.chip().flash()) {
        ASSERT_EQ(b, 0xFF);
    }
    for (std::uint8_t b : board.chip().eeprom()) {
        ASSERT_EQ(b, 0xFF);
    }
    EXPECT_EQ(board.chip().lockFuseByte(), 0xDF) << "SPIEN programmed, FSTRT unprogrammed";
    EXPECT_FALSE(fs::exists(settings.chipFile)) << "nothing changed, nothing written";
}

TEST_F(ChipFileTest, ProgrammingSessionIsSavedWhenResetGoesHighInTheDocumentedLayout) {
    {
        sim::Board board(settings, clock);
        simtest::SerialProgrammer programmer(board, clock);
        programmer.Enter();
        programmer.WriteFlash(2 * 5, 0x12);
        clock.AdvanceMs(4);
        programmer.WriteFlash(2 * 5 + 1, 0x34);
        clock.AdvanceMs(4);
        programmer.WriteEeprom(0x1FF, 0x77);
        clock.AdvanceMs(4);
        programmer.WriteLockBits(0xFD);
        clock.AdvanceMs(9);
        EXPECT_FALSE(fs::exists(settings.chipFile)) << "not written byte by byte";
        programmer.SetReset(true);
        ASSERT_TRUE(fs::exists(settings.chipFile));
        EXPECT_FALSE(board.chip().dirty());
    }
    const auto bytes = ReadAll(settings.chipFile);
    ASSERT_EQ(bytes.size(), 8705u);
    EXPECT_EQ(bytes[10], 0x12);
    EXPECT_EQ(bytes[11], 0x34);
    EXPECT_EQ(bytes[8192 + 0x1FF], 0x77);
    EXPECT_EQ(bytes[8704], 0x5F);
    EXPECT_FALSE(fs::exists(settings.chipFile + ".tmp"));

    sim::Board again(settings, clock);
    EXPECT_EQ(again.chip().flash()[11], 0x34);
    EXPECT_EQ(again.chip().eeprom()[0x1FF], 0x77);
    EXPECT_EQ(again.chip().lockFuseByte(), 0x5F);
}

TEST_F(ChipFileTest, UnsavedChangesAreWrittenWhenTheBoardGoes) {
    {
        sim::Board board(settings, clock);
        simtest::SerialProgrammer programmer(board, clock);
        programmer.Enter();
        programmer.WriteEeprom(1, 0x99);
    }
    EXPECT_EQ(ReadAll(settings.chipFile).at(8192 + 1), 0x99);
}

TEST_F(ChipFileTest, WrongSizeIsRefusedWithAMessageAndLeftUntouched) {
    for (std::size_t size :
         {std::size_t{0}, std::size_t{8704}, std::size_t{8706}, std::size_t{8192}}) {
        const std::vector<std::uint8_t> original(size, 0x42);
        WriteAll(settings.chipFile, original);
        std::string error;
        auto board = sim::Board::Create(settings, clock, &error);
        EXPECT_EQ(board, nullptr) << size;
        EXPECT_NE(error.find(std::to_string(size) + " bytes"), std::string::npos) << error;
        EXPECT_NE(error.find("8705"), std::string::npos) << error;
        EXPECT_EQ(ReadAll(settings.chipFile), original) << size;
    }
}

TEST_F(ChipFileTest, EachChipKeepsTheLayoutWithItsOwnMemorySizes) {
    struct Case {
        sim::ChipType chip;
        std::size_t flashBytes;
        std::size_t eepromBytes;
        // The bytes after the EEPROM: lock, then (ATmega8535/16/32) low fuse, high fuse and
        // the calibration bytes for 1, 2, 4, 8 MHz, as shipped.
        std::vector<std::uint8_t> tail;
    };
    const Case cases[] = {
        {sim::ChipType::At90s8535, 8192, 512, {0xDF}},
        {sim::ChipType::Atmega8535, 8192, 512, {0xFF, 0xE1, 0xD9, 0xA3, 0xA6, 0xA9, 0xAD}},
        {sim::ChipType::Atmega16, 16384, 512, {0xFF, 0xE1, 0x99, 0xAA, 0xAC, 0xAF, 0xB2}},
        {sim::ChipType::Atmega32, 32768, 1024, {0xFF, 0xE1, 0x99, 0xB1, 0xB4, 0xB6, 0xBA}},
        {sim::ChipType::At90s4434, 4096, 256, {0xDF}},
        {sim::ChipType::Atmega644, 65536, 2048, {0xFF}},
    };
    for (const Case& c : cases) {
        const char* name = sim::ModelOf(c.chip).name;
        fs::remove(settings.chipFile);
        settings.chip = c.chip;
        {
            sim::Board board(settings, clock);
            board.chip().flash()[c.flashBytes - 1] = 0x12;
            board.chip().eeprom()[c.eepromBytes - 1] = 0x34;
            std::string error;
            ASSERT_TRUE(board.Save(&error)) << error;
        }
        const auto bytes = ReadAll(settings.chipFile);
        ASSERT_EQ(bytes.size(), c.flashBytes + c.eepromBytes + c.tail.size()) << name;
        EXPECT_EQ(bytes[c.flashBytes - 1], 0x12) << name;
        EXPECT_EQ(bytes[c.flashBytes + c.eepromBytes - 1], 0x34) << name;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - c.tail.size(), bytes.end()), c.tail)
            << name;
        sim::Board again(settings, clock);
        EXPECT_EQ(again.chip().flash()[c.flashBytes - 1], 0x12) << name;
        EXPECT_EQ(again.chip().eeprom()[c.eepromBytes - 1], 0x34) << name;
    }
}

TEST_F(ChipFileTest, AFileOfAnotherSizeIsRefusedNamingTheChip) {
    const std::vector<std::uint8_t> at90s8535File(8705, 0x42);
    WriteAll(settings.chipFile, at90s8535File);
    settings.chip = sim::ChipType::Atmega32;
    std::string error;
    EXPECT_EQ(sim::Board::Create(settings, clock, &error), nullptr);
    EXPECT_NE(error.find("8705 bytes, expected 33799 for the ATmega32 (32768 flash + 1024 EEPROM "
                         "+ 1 lock + 2 fuse + 4 calibration), or 33793 without the fuses"),
              std::string::npos)
        << error;
    EXPECT_EQ(ReadAll(settings.chipFile), at90s8535File);
}

TEST_F(ChipFileTest, AFileWithoutFusesIsAChipWithFactoryFusesAndIsWrittenInFullOnAChange) {
    settings.chip = sim::ChipType::Atmega16;
    std::vector<std::uint8_t> old(16384 + 512 + 1, 0xFF);
    old[0] = 0x0C;
    old[16384] = 0x77;
    old.back() = 0xFE; // lock bit 1
    WriteAll(settings.chipFile, old);
    sim::Board board(settings, clock);
    simtest::SerialProgrammer programmer(board, clock);
    programmer.SetSettleNs(1500); // each SCK phase longer than two cycles at 1 MHz
    programmer.Enter();
    ASSERT_TRUE(board.chip().programmingEnabled());
    EXPECT_EQ(programmer.ReadLowFuse(), 0xE1);
    EXPECT_EQ(programmer.ReadHighFuse(), 0x99);
    EXPECT_EQ(programmer.ReadCalibration(3), 0xB2);
    EXPECT_EQ(programmer.ReadFlash(0), 0x0C);
    programmer.SetReset(true);
    EXPECT_EQ(ReadAll(settings.chipFile), old) << "read alone, the file stays as it was";

    programmer.ResetPulse();
    programmer.ProgrammingEnable();
    programmer.ChipErase(); // unlocks, and leaves the fuses
    clock.AdvanceMs(10);
    programmer.WriteEeprom(1, 0x55);
    clock.AdvanceMs(10);
    programmer.SetReset(true);
    const auto bytes = ReadAll(settings.chipFile);
    ASSERT_EQ(bytes.size(), 16384u + 512 + 7);
    EXPECT_EQ(bytes[16384 + 1], 0x55);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 7, bytes.end()),
              (std::vector<std::uint8_t>{0xFF, 0xE1, 0x99, 0xAA, 0xAC, 0xAF, 0xB2}));
}

TEST_F(ChipFileTest, AFuseWriteAloneWritesTheChipFileWithTheLockByte) {
    settings.chip = sim::ChipType::Atmega8535;
    {
        sim::Board board(settings, clock);
        simtest::SerialProgrammer programmer(board, clock);
        programmer.SetSettleNs(1500); // each SCK phase longer than two cycles at 1 MHz
        programmer.Enter();
        programmer.WriteHighFuse(0xD1); // EESAVE
        clock.AdvanceMs(5);
        programmer.SetReset(true);
        ASSERT_EQ(ReadAll(settings.chipFile).size(), 8192u + 512 + 7);
        EXPECT_EQ(ReadAll(settings.chipFile)[8704 + 2], 0xD1);

        programmer.ResetPulse();
        programmer.ProgrammingEnable();
        programmer.WriteLockByte(0xFE);
        clock.AdvanceMs(5);
        programmer.WriteLowFuse(0xE4); // refused: lock bit 1
        clock.AdvanceMs(5);
        programmer.SetReset(true);
        EXPECT_FALSE(board.chip().dirty());
    }
    const auto bytes = ReadAll(settings.chipFile);
    ASSERT_EQ(bytes.size(), 8192u + 512 + 7);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 8704, bytes.begin() + 8707),
              (std::vector<std::uint8_t>{0xFE, 0xE1, 0xD1}));

    sim::Board again(settings, clock);
    EXPECT_EQ(again.chip().memory().highFuse, 0xD1);
    EXPECT_EQ(again.chip().memory().lowFuse, 0xE1);
}

TEST_F(ChipFileTest, EditsOnDiskAreSeenWhenEnteringProgrammingMode) {
    sim::Board board(settings, clock);
    simtest::SerialProgrammer programmer(board, clock);
    programmer.Enter();
    programmer.WriteFlash(0, 0x00);
    clock.AdvanceMs(4);
    programmer.SetReset(true);

    auto bytes = ReadAll(settings.chipFile);
    bytes[0] = 0xA5;
    bytes[8192] = 0x3C;
    WriteAll(settings.chipFile, bytes);
    programmer.Enter();
    EXPECT_EQ(programmer.ReadFlash(0), 0xA5);
    EXPECT_EQ(programmer.ReadEeprom(0), 0x3C);

    programmer.SetReset(true);
    WriteAll(settings.chipFile, std::vector<std::uint8_t>(10, 0));
    programmer.Enter();
    EXPECT_EQ(programmer.ReadFlash(0), 0xA5) << "a broken file is not loaded";
    EXPECT_NE(board.lastError().find("10 bytes"), std::string::npos) << board.lastError();
    programmer.WriteFlash(2, 0x00);
    clock.AdvanceMs(4);
    programmer.SetReset(true);
    EXPECT_EQ(ReadAll(settings.chipFile).size(), 10u) << "nor overwritten";
}

TEST_F(ChipFileTest, SaveReplacesAnExistingFile) {
    sim::ChipMemory memory;
    memory.flash[0] = 0x01;
    std::string error;
    ASSERT_TRUE(sim::SaveChipFile(settings.chipFile, memory, &error)) << error;
    memory.flash[0] = 0x02;
    ASSERT_TRUE(sim::SaveChipFile(settings.chipFile, memory, &error)) << error;
    sim::ChipMemory loaded;
    ASSERT_TRUE(sim::LoadChipFile(settings.chipFile, sim::ModelOf(sim::ChipType::At90s8535),
                                  &loaded, &error))
        << error;
    EXPECT_EQ(loaded.flash[0], 0x02);
}

TEST_F(ChipFileTest, UnwritableLocationIsReported) {
    sim::ChipMemory memory;
    std::string error;
    EXPECT_FALSE(sim::SaveChipFile((dir / "missing-dir" / "chip.bin").string(), memory, &error));
    EXPECT_NE(error.find("missing-dir"), std::string::npos) << error;
}

} // namespace
