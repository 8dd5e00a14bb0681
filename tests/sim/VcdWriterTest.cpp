// The line trace: a VCD header naming the four lines, then timestamped changes only.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "SerialProgrammer.h"
#include "sim/Board.h"

namespace {

TEST(VcdWriterTest, RecordsLevelChangesOfTheProgrammingLines) {
    const auto path = std::filesystem::temp_directory_path() / "tamberlo-vcd-test.vcd";
    {
        sim::BoardSettings settings;
        settings.vcdFile = path.string();
        sim::VirtualClock clock;
        sim::Board board(settings, clock);
        simtest::SerialProgrammer programmer(board, clock);
        programmer.SetReset(true);
        programmer.SetReset(true); // no change: nothing recorded
        programmer.SetSck(true);
        programmer.SetMosi(true); // already high: nothing recorded
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(path);
    const std::string vcd = text.str();
    for (const char* decl :
         {"$timescale 1 ns $end", "$var wire 1 r RESET $end", "$var wire 1 c SCK $end",
          "$var wire 1 o MOSI $end", "$var wire 1 i MISO $end", "$enddefinitions $end"}) {
        EXPECT_NE(vcd.find(decl), std::string::npos) << decl;
    }
    const std::string body = vcd.substr(vcd.find("$enddefinitions $end\n") + 21);
    // Initial dump at t=0 (MOSI high: control bit 0 clear), RESET rises with its
    // MISO release at 1 us, SCK at 3 us.
    EXPECT_EQ(body, "#0\n0r\n0c\n1o\n0i\n#1000\n1r\n1i\n#3000\n1c\n");
}

} // namespace
