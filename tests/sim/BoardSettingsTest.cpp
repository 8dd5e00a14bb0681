// Board settings from TAMBERLO_SIM_* environment variables: values, defaults,
// and a clear refusal of bad values.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sim/BoardSettings.h"

namespace {

const char* const kVariables[] = {
    "TAMBERLO_SIM_CHIP",  "TAMBERLO_SIM_CHIP_FILE", "TAMBERLO_SIM_LPT",   "TAMBERLO_SIM_BASE",
    "TAMBERLO_SIM_VOLTS", "TAMBERLO_SIM_CLOCK_HZ",  "TAMBERLO_SIM_FAULT", "TAMBERLO_SIM_STUCK",
    "TAMBERLO_SIM_VCD",   "TAMBERLO_SIM_XTAL"};

class BoardSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearAll(); }
    void TearDown() override { ClearAll(); }
    static void ClearAll() {
        for (const char* v : kVariables) {
            unsetenv(v);
        }
    }
};

TEST_F(BoardSettingsTest, DefaultsWhenNothingIsSet) {
    sim::BoardSettings s;
    std::string error;
    ASSERT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << error;
    EXPECT_EQ(s.chip, sim::ChipType::At90s8535);
    EXPECT_EQ(s.chipFile, "tamberlo-chip.bin");
    EXPECT_EQ(s.lpt, 1);
    EXPECT_EQ(s.cableBase, 0);
    EXPECT_EQ(sim::CablePortBase(s), 0x378);
    EXPECT_DOUBLE_EQ(s.supplyVolts, 5.0);
    EXPECT_EQ(s.chipClockHz, 4'000'000u);
    EXPECT_FALSE(s.xtal.has_value());
    EXPECT_EQ(sim::XtalOf(s).kind, sim::XtalKind::Crystal) << "a board carries a crystal";
    EXPECT_EQ(sim::XtalOf(s).hz, 4'000'000u);
    EXPECT_EQ(s.fault, sim::BoardFault::None);
    EXPECT_TRUE(s.stuckFlash.empty());
    EXPECT_TRUE(s.vcdFile.empty());
}

TEST_F(BoardSettingsTest, EveryVariableIsRead) {
    setenv("TAMBERLO_SIM_CHIP", "atmega16", 1);
    setenv("TAMBERLO_SIM_CHIP_FILE", "", 1);
    setenv("TAMBERLO_SIM_LPT", "2", 1);
    setenv("TAMBERLO_SIM_BASE", "0xD010", 1);
    setenv("TAMBERLO_SIM_VOLTS", "3.3", 1);
    setenv("TAMBERLO_SIM_CLOCK_HZ", "1000000", 1);
    setenv("TAMBERLO_SIM_FAULT", "stop:12", 1);
    setenv("TAMBERLO_SIM_STUCK", "0x0010=0x00,0x3FFF=0xFF", 1);
    setenv("TAMBERLO_SIM_VCD", "trace.vcd", 1);
    sim::BoardSettings s;
    std::string error;
    ASSERT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << error;
    EXPECT_EQ(s.chip, sim::ChipType::Atmega16);
    EXPECT_EQ(s.chipFile, "") << "set but empty: memory only";
    EXPECT_EQ(s.lpt, 2);
    EXPECT_EQ(s.cableBase, 0xD010);
    EXPECT_EQ(sim::CablePortBase(s), 0xD010) << "the base wins over the LPT number";
    EXPECT_DOUBLE_EQ(s.supplyVolts, 3.3);
    EXPECT_EQ(s.chipClockHz, 1'000'000u);
    EXPECT_EQ(sim::XtalOf(s).kind, sim::XtalKind::Crystal) << "of TAMBERLO_SIM_CLOCK_HZ";
    EXPECT_EQ(sim::XtalOf(s).hz, 1'000'000u);
    EXPECT_EQ(s.fault, sim::BoardFault::StopAnswering);
    EXPECT_EQ(s.stopAfterInstructions, 12u);
    EXPECT_EQ(s.stuckFlash, (std::map<std::uint32_t, std::uint8_t>{{0x10, 0x00}, {0x3FFF, 0xFF}}))
        << "a cell of the ATmega16's 16 KB";
    EXPECT_EQ(s.vcdFile, "trace.vcd");
}

TEST_F(BoardSettingsTest, FaultNames) {
    const std::pair<const char*, sim::BoardFault> cases[] = {
        {"none", sim::BoardFault::None},
        {"nochip", sim::BoardFault::NoChip},
        {"nopower", sim::BoardFault::NoPower},
        {"nodriver", sim::BoardFault::NoDriver},
    };
    for (const auto& c : cases) {
        setenv("TAMBERLO_SIM_FAULT", c.first, 1);
        sim::BoardSettings s;
        std::string error;
        ASSERT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << error;
        EXPECT_EQ(s.fault, c.second) << c.first;
    }
}

TEST_F(BoardSettingsTest, ChipNames) {
    const std::pair<const char*, sim::ChipType> cases[] = {
        {"at90s8535", sim::ChipType::At90s8535}, {"atmega8535", sim::ChipType::Atmega8535},
        {"atmega16", sim::ChipType::Atmega16},   {"atmega32", sim::ChipType::Atmega32},
        {"at90s4434", sim::ChipType::At90s4434}, {"atmega644", sim::ChipType::Atmega644},
    };
    for (const auto& c : cases) {
        setenv("TAMBERLO_SIM_CHIP", c.first, 1);
        sim::BoardSettings s;
        std::string error;
        ASSERT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << error;
        EXPECT_EQ(s.chip, c.second) << c.first;
    }
    setenv("TAMBERLO_SIM_CHIP", "m16", 1);
    sim::BoardSettings s;
    std::string error;
    EXPECT_FALSE(sim::SettingsFromEnvironment(&s, &error));
    EXPECT_EQ(error, "TAMBERLO_SIM_CHIP: chip \"m16\" is not at90s8535, atmega8535, atmega16, "
                     "atmega32, at90s4434 or atmega644");
}

TEST_F(BoardSettingsTest, XtalPartNamesWhatIsOnTheXtalPins) {
    struct Case {
        const char* text;
        sim::XtalKind kind;
        std::uint32_t hz;
    };
    const Case cases[] = {
        {"none", sim::XtalKind::None, 0},
        {"crystal:16000000", sim::XtalKind::Crystal, 16'000'000},
        {"crystal:32768", sim::XtalKind::Crystal, 32'768},
        {"clock:1000", sim::XtalKind::ExternalClock, 1000},
        {"rc:12000000", sim::XtalKind::ExternalRc, 12'000'000},
    };
    for (const Case& c : cases) {
        setenv("TAMBERLO_SIM_XTAL", c.text, 1);
        sim::BoardSettings s;
        std::string error;
        ASSERT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << c.text << ": " << error;
        ASSERT_TRUE(s.xtal.has_value()) << c.text;
        EXPECT_EQ(s.xtal->kind, c.kind) << c.text;
        EXPECT_EQ(s.xtal->hz, c.hz) << c.text;
        EXPECT_EQ(sim::XtalOf(s).kind, c.kind) << c.text;
    }
}

TEST_F(BoardSettingsTest, XtalPartAndClockHzTogetherAreRefused) {
    setenv("TAMBERLO_SIM_XTAL", "crystal:8000000", 1);
    setenv("TAMBERLO_SIM_CLOCK_HZ", "8000000", 1);
    sim::BoardSettings s;
    std::string error;
    EXPECT_FALSE(sim::SettingsFromEnvironment(&s, &error));
    EXPECT_EQ(error, "TAMBERLO_SIM_XTAL: XTAL part \"crystal:8000000\" given together with "
                     "TAMBERLO_SIM_CLOCK_HZ, the frequency of the crystal a board carries when "
                     "TAMBERLO_SIM_XTAL is not set; set one of them");
    EXPECT_FALSE(s.xtal.has_value()) << "settings untouched";
}

TEST_F(BoardSettingsTest, PortBaseIsHexWith0xOrDecimal) {
    const std::pair<const char*, std::uint16_t> cases[] = {
        {"0x378", 0x378}, {"0XE010", 0xE010}, {"0xfffd", 0xFFFD},
        {"888", 0x378},   {"0378", 378},      {"1", 0x0001},
    };
    for (const auto& c : cases) {
        setenv("TAMBERLO_SIM_BASE", c.first, 1);
        sim::BoardSettings s;
        std::string error;
        ASSERT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << c.first << ": " << error;
        EXPECT_EQ(s.cableBase, c.second) << c.first;
    }
}

TEST_F(BoardSettingsTest, StuckCellsMustLieInTheChosenChipsFlash) {
    setenv("TAMBERLO_SIM_CHIP", "at90s4434", 1);
    setenv("TAMBERLO_SIM_STUCK", "0x1000=0", 1);
    sim::BoardSettings s;
    std::string error;
    EXPECT_FALSE(sim::SettingsFromEnvironment(&s, &error));
    EXPECT_NE(error.find("BYTE below 4096"), std::string::npos) << error;
    setenv("TAMBERLO_SIM_STUCK", "0x0FFF=0", 1);
    EXPECT_TRUE(sim::SettingsFromEnvironment(&s, &error)) << error;
}

TEST_F(BoardSettingsTest, BadValuesAreRefusedNamingTheVariable) {
    const std::pair<const char*, const char*> cases[] = {
        {"TAMBERLO_SIM_LPT", "4"},
        {"TAMBERLO_SIM_LPT", "LPT1"},
        {"TAMBERLO_SIM_LPT", ""},
        {"TAMBERLO_SIM_LPT", "-1"},
        {"TAMBERLO_SIM_BASE", "0"},
        {"TAMBERLO_SIM_BASE", "0x0"},
        {"TAMBERLO_SIM_BASE", "0xFFFE"},
        {"TAMBERLO_SIM_BASE", "65534"},
        {"TAMBERLO_SIM_BASE", "0x10378"},
        {"TAMBERLO_SIM_BASE", "378h"},
        {"TAMBERLO_SIM_BASE", "0x"},
        {"TAMBERLO_SIM_BASE", " 0x378"},
        {"TAMBERLO_SIM_BASE", "-888"},
        {"TAMBERLO_SIM_BASE", "99999999999999999999999"},
        {"TAMBERLO_SIM_VOLTS", "12"},
        {"TAMBERLO_SIM_VOLTS", "5V"},
        {"TAMBERLO_SIM_VOLTS", "2.5"},
        {"TAMBERLO_SIM_CLOCK_HZ", "9000000"},
        {"TAMBERLO_SIM_CLOCK_HZ", "4MHz"},
        {"TAMBERLO_SIM_CLOCK_HZ", "0"},
        {"TAMBERLO_SIM_FAULT", "broken"},
        {"TAMBERLO_SIM_FAULT", "stop:"},
        {"TAMBERLO_SIM_FAULT", "stop:0"},
        {"TAMBERLO_SIM_FAULT", "stop:x"},
        {"TAMBERLO_SIM_STUCK", "0x10"},
        {"TAMBERLO_SIM_STUCK", "0x2000=0"},
        {"TAMBERLO_SIM_STUCK", "1=0x100"},
        {"TAMBERLO_SIM_STUCK", "1=2,"},
        {"TAMBERLO_SIM_CHIP", "ATmega16"},
        {"TAMBERLO_SIM_CHIP", ""},
        {"TAMBERLO_SIM_XTAL", ""},
        {"TAMBERLO_SIM_XTAL", "crystal"},
        {"TAMBERLO_SIM_XTAL", "crystal:"},
        {"TAMBERLO_SIM_XTAL", "crystal:4MHz"},
        {"TAMBERLO_SIM_XTAL", "crystal:0x3D0900"},
        {"TAMBERLO_SIM_XTAL", "crystal:16000001"},
        {"TAMBERLO_SIM_XTAL", "clock:999"},
        {"TAMBERLO_SIM_XTAL", "rc:12000001"},
        {"TAMBERLO_SIM_XTAL", "Crystal:4000000"},
        {"TAMBERLO_SIM_XTAL", "crystal: 4000000"},
        {"TAMBERLO_SIM_XTAL", "clock:-1000"},
        {"TAMBERLO_SIM_XTAL", "resonator:4000000"},
        {"TAMBERLO_SIM_XTAL", "none:0"},
    };
    for (const auto& c : cases) {
        ClearAll();
        setenv(c.first, c.second, 1);
        sim::BoardSettings s;
        s.lpt = 3;
        std::string error;
        EXPECT_FALSE(sim::SettingsFromEnvironment(&s, &error)) << c.first << "=" << c.second;
        EXPECT_EQ(error.rfind(c.first, 0), 0u) << error;
        EXPECT_NE(error.find(std::string("\"") + c.second + "\""), std::string::npos) << error;
        EXPECT_EQ(s.lpt, 3) << "settings untouched on error";
    }
}

} // namespace
