// tamberlo-cli.exe as a makefile or a production script runs it: one process per command
// line, on the simulated board beside it, its exit status, its stdout and stderr lines, and
// the chip file afterwards. The texts are spelt out here again: a changed text must fail.
#include "tests/cli/CliProcess.h"
#include "tests/harness/FileBytes.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kProgram[] = TAMBERLO_CLI_PATH;
const char kWork[] = TAMBERLO_CLI_WORK;
const char kSettings[] = "[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n";
constexpr std::size_t kAt90s8535Flash = 8192;
constexpr std::size_t kAt90s8535ChipFile = 8192 + 512 + 1;
const char kNoAnswer[] = "Error! Please check your CPU, power supply and printer port.";

std::string Work(const std::string& name) {
    return std::string(kWork) + "\\" + name;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// One Intel HEX data record.
std::string Record(unsigned address, const std::vector<unsigned char>& bytes, unsigned type = 0) {
    unsigned sum = static_cast<unsigned>(bytes.size()) + (address >> 8) + (address & 0xFF) + type;
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(bytes.size()),
                  address & 0xFFFF, type);
    std::string record = text;
    for (unsigned char byte : bytes) {
        std::snprintf(text, sizeof text, "%02X", byte);
        record += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return record + text;
}

const char kEndRecord[] = ":00000001FF\r\n";

// The bytes of an Intel HEX text (data records from address 0, as the program writes them),
// read independently of the program's parser; the bytes not given stay 0xFF.
std::vector<unsigned char> HexBytes(const std::string& text) {
    std::vector<unsigned char> bytes;
    std::size_t at = 0;
    while ((at = text.find(':', at)) != std::string::npos) {
        const unsigned count = std::stoul(text.substr(at + 1, 2), nullptr, 16);
        const unsigned address = std::stoul(text.substr(at + 3, 4), nullptr, 16);
        const unsigned type = std::stoul(text.substr(at + 7, 2), nullptr, 16);
        if (type == 0) {
            if (bytes.size() < address + count)
                bytes.resize(address + count, 0xFF);
            for (unsigned i = 0; i < count; ++i)
                bytes[address + i] = static_cast<unsigned char>(
                    std::stoul(text.substr(at + 9 + 2 * i, 2), nullptr, 16));
        }
        ++at;
    }
    return bytes;
}

std::string ReadText(const std::string& path) {
    const std::vector<unsigned char> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Files in the work folder whose names match `pattern`.
std::vector<std::string> WorkFiles(const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA(Work(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::vector<unsigned char> Blink() {
    return ReadBytes(TAMBERLO_CLI_BLINK_BIN);
}

// An AT90S8535 chip file: erased, or with blink in its flash and the given lock byte.
std::vector<unsigned char> At90s8535Chip(bool withBlink, unsigned char lockByte = 0xDF) {
    std::vector<unsigned char> chip(kAt90s8535ChipFile, 0xFF);
    if (withBlink) {
        const std::vector<unsigned char> blink = Blink();
        std::copy(blink.begin(), blink.end(), chip.begin());
    }
    chip.back() = lockByte;
    return chip;
}

enum class ChipStart { None, Erased, Blink, BlinkLocked2 };
enum class ChipAfter { Unchanged, Erased, Blink, Lock1, CheckedByExtra };

struct CliCase {
    const char* name;
    std::string arguments; // {blink}: the avr-gcc program's HEX file; {work}: the work folder
    int status;
    // Lines of stdout, each whole and in this order (others may come between), and texts of
    // stderr in this order.
    std::vector<std::string> outLines = {};
    std::vector<std::string> errTexts = {};
    ChipStart start = ChipStart::Erased;
    ChipAfter after = ChipAfter::Unchanged;
    Environment environment = {};
    const char* settings = kSettings; // nullptr: no settings file
    // Nothing reaches the port: no access to the simulated board is made at all.
    bool portUntouched = false;
    std::function<void(const CliResult&)> extra = nullptr;

    CliCase& Out(std::vector<std::string> lines) { return outLines = std::move(lines), *this; }
    CliCase& Err(std::vector<std::string> texts) { return errTexts = std::move(texts), *this; }
    CliCase& Chip(ChipStart before, ChipAfter then) { return start = before, after = then, *this; }
    CliCase& Env(Environment more) { return environment = std::move(more), *this; }
    CliCase& Settings(const char* text) { return settings = text, *this; }
    CliCase& Extra(std::function<void(const CliResult&)> check) {
        return extra = std::move(check), *this;
    }
};

// A command line run on the board.
CliCase Run(const char* name, std::string arguments, int status) {
    return CliCase{name, std::move(arguments), status};
}

// A command line refused with status 2 before the port is touched; the chip holds a program
// that must stay as it is.
CliCase Refused(const char* name, std::string arguments, std::string error) {
    CliCase refused{name, std::move(arguments), 2, {}, {std::move(error)}};
    refused.start = ChipStart::Blink;
    refused.portUntouched = true;
    return refused;
}

std::string Expand(std::string text) {
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"{blink}", TAMBERLO_CLI_BLINK_HEX},
          {"{work}", kWork}}) {
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
    }
    return text;
}

void PrintTo(const CliCase& c, std::ostream* out) {
    *out << c.name;
}

// The fixtures every case may name, written afresh for each.
void WriteFixtures() {
    ::CreateDirectoryA(kWork, nullptr);
    for (const std::string& name : WorkFiles("*"))
        if (name != "." && name != "..")
            ::DeleteFileA(Work(name).c_str());
    WriteText(Work("checksum.hex"), ":0400000001020304F0\r\n" + std::string(kEndRecord));
    WriteText(Work("notes.txt"), "this is no HEX file\r\n");
    // Data at the flash's last 16 bytes of an ATmega32: a 32 KB image.
    WriteText(Work("32k.hex"), Record(0x0000, {0x0C, 0x94}) +
                                   Record(0x7FF0, std::vector<unsigned char>(16, 0x5A)) +
                                   kEndRecord);
    WriteText(Work("data.eep"),
              Record(0x0000, {0xDE, 0xAD, 0xBE, 0xEF}) + Record(0x01FF, {0x42}) + kEndRecord);
    // EEPROM data at byte 0x300, past the AT90S8535's 512 bytes.
    WriteText(Work("far.eep"), Record(0x0300, {0x01}) + kEndRecord);
    WriteText(Work("old.hex"), "old content\r\n");
    ::CreateDirectoryA(Work("folder.hex").c_str(), nullptr);
}

class CliTableTest : public testing::TestWithParam<CliCase> {};

TEST_P(CliTableTest, Runs) {
    const CliCase& c = GetParam();
    WriteFixtures();
    if (c.settings != nullptr)
        SettingsFile::Write(c.settings);
    else
        SettingsFile::Remove();
    const std::string chipFile = Work("chip.bin");
    if (c.start == ChipStart::Blink || c.start == ChipStart::BlinkLocked2) {
        const std::vector<unsigned char> chip =
            At90s8535Chip(true, c.start == ChipStart::BlinkLocked2 ? 0x1F : 0xDF);
        WriteText(chipFile, std::string(chip.begin(), chip.end()));
    }
    const std::vector<unsigned char> before = ReadBytes(chipFile);
    Environment environment = c.environment;
    environment.push_back({"TAMBERLO_SIM_CHIP_FILE", chipFile});
    const std::string trace = Work("trace.vcd");
    if (c.portUntouched)
        environment.push_back({"TAMBERLO_SIM_VCD", trace});

    const CliResult result = RunCli(kProgram, Expand(c.arguments), kWork, environment);

    ASSERT_TRUE(result.ended) << "stdout:\n" << result.out << "stderr:\n" << result.err;
    EXPECT_EQ(result.status, static_cast<DWORD>(c.status)) << "stdout:\n"
                                                           << result.out << "stderr:\n"
                                                           << result.err;
    auto line = result.outLines.begin();
    for (const std::string& wanted : c.outLines) {
        line = std::find(line, result.outLines.end(), Expand(wanted));
        EXPECT_NE(line, result.outLines.end()) << "no line \"" << wanted << "\" (in order) in:\n"
                                               << result.out;
    }
    std::size_t at = 0;
    for (const std::string& wanted : c.errTexts) {
        at = result.err.find(Expand(wanted), at);
        EXPECT_NE(at, std::string::npos) << "no \"" << wanted << "\" (in order) in stderr:\n"
                                         << result.err;
    }
    EXPECT_EQ(std::adjacent_find(result.outLines.begin(), result.outLines.end()),
              result.outLines.end())
        << "a caption repeated:\n"
        << result.out;
    if (c.portUntouched) {
        EXPECT_FALSE(Exists(trace)) << "the port was touched";
    }

    const std::vector<unsigned char> after = ReadBytes(chipFile);
    switch (c.after) {
    case ChipAfter::Unchanged:
        EXPECT_EQ(after, before);
        break;
    case ChipAfter::Erased:
        EXPECT_EQ(after, At90s8535Chip(false));
        break;
    case ChipAfter::Blink:
        EXPECT_EQ(after, At90s8535Chip(true));
        break;
    case ChipAfter::Lock1:
        EXPECT_EQ(after, At90s8535Chip(true, 0x5F)) << "lock bit 1 (bit 7) programmed";
        break;
    case ChipAfter::CheckedByExtra:
        break;
    }
    if (c.extra)
        c.extra(result);
}

const std::vector<std::string> kAutoLines = {"Erase",
                                             "Erase Ok",
                                             "Blank Check",
                                             "Blank Ok",
                                             "Program Flash",
                                             "Program Flash 50%",
                                             "Program Flash Ok",
                                             "Verfy Flash",
                                             "Verify Flash 50%",
                                             "Verfify Ok"};

const CliCase kCases[] = {
    // The command line, refused before the port is touched.
    Refused("NoOperation", "", "tamberlo-cli: no operation given"),
    Refused("UnknownOption", "--erase --bogus",
            "tamberlo-cli: unknown option '--bogus'.\r\nTry 'tamberlo-cli --help' for the "
            "options."),
    Refused("NoOptionAtAll", "{blink}", "'{blink}' is not an option"),
    Refused("PortOutOfRange", "--lpt 4 --erase", "--lpt takes 1, 2 or 3, not '4'."),
    Refused("DelayOutOfRange", "--delay-bit=11 --erase",
            "--delay-bit takes a whole number from 1 to 10, not '11'."),
    Refused("DelayNotANumber", "--delay-byte 2x --erase",
            "--delay-byte takes a whole number from 1 to 10, not '2x'."),
    Refused("ValueForAnOptionWithout", "--erase=yes", "--erase takes no value."),
    Refused("MissingValue", "--erase --program", "--program needs a value."),
    Refused("LockOutOfRange", "--lock 3", "--lock takes 1 (lock bit 1) or 2"),
    Refused("FusesWithoutColon", "--fuses E1", "--fuses takes LOW:HIGH"),
    Refused("FusesNotHex", "--fuses=E1:G9", "not 'E1:G9'"),
    Refused("RiskyClockWithoutYes", "--erase --fuses FF:D9", "")
        .Err({"Warning: this clock needs a crystal or ceramic resonator on XTAL1 and XTAL2. If "
              "the board has no such part, the chip will not answer again until a clock is fed "
              "into XTAL1 (pin 13).\r\n",
              "\r\n--fuses FF:D9: nothing was written. Give --yes to write these fuses all the "
              "same."}),

    // Files, read and parsed before the first operation: the window's messages.
    Refused("MissingFile", "--erase --program {work}\\missing.hex",
            "{work}\\missing.hex was not found."),
    Refused("ChecksumError", "--erase --auto {work}\\checksum.hex", "Check sum error"),
    Refused("NoHexFile", "--verify={work}\\notes.txt", "File not intel hex format"),
    Refused("TwoFlashFiles", "--program {blink} --verify {work}\\32k.hex",
            "--program, --verify and --auto take one file per run"),
    Refused("EepromFileBroken", "--eeprom-write {work}\\checksum.hex",
            "Line 1: the record's checksum does not match: the file is damaged or was edited "
            "by hand."),
    Refused("ReadIntoMissingFolder", "--flash-read {work}\\nowhere\\out.hex",
            "{work}\\nowhere\\out.hex contains an invalid path."),
    Refused("ReadOntoAFolder", "--eeprom-read {work}\\folder.hex",
            "{work}\\folder.hex is a folder"),

    // The settings file, read where the window finds it, never written.
    Refused("StoredPortIsNoPort", "--blank",
            "holds LPT PORT=7, which is not a printer port of this program.\r\nPlease choose "
            "Lpt1, Lpt2 or Lpt3.")
        .Settings("[TAMBERLO]\r\nLPT PORT=7\r\n"),
    Refused("StoredBaseIsNoAddress", "--blank",
            "holds LPT1 BASE=zz, which is not a usable printer-port address.")
        .Settings("[TAMBERLO]\r\nLPT PORT=1\r\nLPT1 BASE=zz\r\n"),
    Refused("GivenPortsBaseIsNoAddress", "--lpt 2 --blank",
            "holds LPT2 BASE=0x10000, which is not a usable printer-port address.")
        .Settings("[TAMBERLO]\r\nLPT PORT=1\r\nLPT2 BASE=0x10000\r\n"),
    Refused("StoredDelayOutOfRange", "--blank",
            "holds DELAY BIT=15, which is not a delay from 1 to 10.\r\nGive --delay-bit with a "
            "delay from 1 to 10, or correct the file.")
        .Settings("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=15\r\n"),
    Run("GivenDelayReplacesStoredOne", "--delay-bit 2 --blank", 0)
        .Out({"Blank Ok"})
        .Settings("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=15\r\n"),
    Run("NoSettingsFileUsesLpt1", "--blank", 0)
        .Out({"Blank Check", "Blank Ok"})
        .Err({"No printer port is chosen in ",
              "tamberlo.INI: using Lpt1 (0x378). --lpt 1, 2 or 3 chooses one."})
        .Settings(nullptr),
    Run("GivenPort", "--lpt=2 --blank", 0).Out({"Blank Ok"}).Env({{"TAMBERLO_SIM_LPT", "2"}}),
    Run("StoredPortAndBase", "--blank", 0)
        .Out({"Blank Ok"})
        .Env({{"TAMBERLO_SIM_BASE", "0xD010"}})
        .Settings("[TAMBERLO]\r\nLPT PORT=3\r\nLPT3 BASE=0xD010\r\n"),
    Run("CableOnAnotherPort", "--lpt 2 --blank", 4).Err({kNoAnswer}),

    // The operations, in the window's words, and the chip afterwards.
    Run("Auto", "--auto {blink}", 0)
        .Out(kAutoLines)
        .Chip(ChipStart::Erased, ChipAfter::Blink)
        .Extra([](const CliResult& r) {
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.outLines.back(), "Verfify Ok");
        }),
    Run("StepByStep", "--erase --blank --program={blink} --verify {blink} --delay-byte 2", 0)
        .Out({"Erase Ok", "Blank Ok", "Program Flash Ok", "Verfify Ok"})
        .Chip(ChipStart::Blink, ChipAfter::Blink),
    Run("Quiet", "--quiet --auto {blink}", 0)
        .Chip(ChipStart::Erased, ChipAfter::Blink)
        .Extra([](const CliResult& r) { EXPECT_EQ(r.out + r.err, ""); }),
    Run("NotBlank", "--blank", 1)
        .Out({"Blank Check"})
        .Err({"Not Blank"})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged),
    Run("VerifyError", "--verify {blink}", 1).Out({"Verfy Flash"}).Err({"Verify Error"}),
    Run("StopsAtTheFirstFailure", "--blank --erase", 1)
        .Err({"Not Blank"})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged)
        .Extra([](const CliResult& r) {
            EXPECT_EQ(std::count(r.outLines.begin(), r.outLines.end(), "Erase"), 0) << r.out;
        }),
    Run("Lock1", "--lock 1", 0)
        .Out({"Lock 1 Bit", "Lock 1 Bit Ok"})
        .Chip(ChipStart::Blink, ChipAfter::Lock1),
    Run("ReadChip", "--read-chip --quiet", 0)
        .Out({"Chip: AT90S8535, signature 1E 93 03", "Lock bits: no lock", "Serial programming: on",
              "Short start-up (FSTRT): off"})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged),
    Run("FusesOnAnAt90s", "--fuses E1:D9", 5)
        .Err({"The AT90S8535 has no fuse bytes that the cable can write: of its fuse bits only "
              "FSTRT (short start-up) can be changed.\r\nNothing was written."})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged),
    Run("FusesChangingSpien", "--fuses=E1:FF", 2)
        .Err({"These fuses would change SPIEN (serial programming enabled) of the "
              "ATmega16/ATmega16A. The cable cannot change it, and without it the chip no longer "
              "answers the cable: keep the High fuse's bit 5 as the chip holds it.\r\nNothing "
              "was written."})
        .Chip(ChipStart::None, ChipAfter::Unchanged)
        .Env({{"TAMBERLO_SIM_CHIP", "atmega16"}}),
    Run("FusesJtagOff", "--fuses E1:D9", 0)
        .Out({"JTAG: on -> off", "Fuses written: Low E1, High D9"})
        .Chip(ChipStart::None, ChipAfter::CheckedByExtra)
        .Env({{"TAMBERLO_SIM_CHIP", "atmega16"}})
        .Extra([](const CliResult&) {
            const std::vector<unsigned char> chip = ReadBytes(Work("chip.bin"));
            ASSERT_EQ(chip.size(), 16384u + 512u + 7u);
            EXPECT_EQ(chip[16384 + 512 + 1], 0xE1);
            EXPECT_EQ(chip[16384 + 512 + 2], 0xD9);
        }),
    // A crystal on a board without one, given --yes: written, and the chip no longer answers.
    Run("RiskyClockWithYes", "--fuses FF:99 --yes --erase", 4)
        .Out({"Fuses written: Low FF, High 99"})
        .Err({kNoAnswer})
        .Chip(ChipStart::None, ChipAfter::CheckedByExtra)
        .Env({{"TAMBERLO_SIM_CHIP", "atmega16"}, {"TAMBERLO_SIM_XTAL", "none"}})
        .Extra([](const CliResult&) {
            EXPECT_EQ(ReadBytes(Work("chip.bin"))[16384 + 512 + 1], 0xFF);
        }),
    Run("FlashRead", "--flash-read {work}\\old.hex", 0)
        .Out({"Read Flash", "Read Flash Ok"})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged)
        .Extra([](const CliResult& r) {
            const std::vector<unsigned char> blink = Blink();
            const std::vector<unsigned char> read = HexBytes(ReadText(Work("old.hex")));
            ASSERT_GE(read.size(), blink.size() - 1);
            std::vector<unsigned char> padded = read;
            padded.resize(blink.size(), 0xFF);
            EXPECT_EQ(padded, blink);
            EXPECT_NE(
                std::find(r.outLines.begin(), r.outLines.end(),
                          "The flash of the AT90S8535 was read: " + std::to_string(read.size()) +
                              " bytes written to " + Work("old.hex") + "."),
                r.outLines.end())
                << r.out;
            EXPECT_EQ(WorkFiles("tam*.tmp"), std::vector<std::string>{});
        }),
    Run("FlashReadOfAnErasedChip", "--flash-read {work}\\erased.hex", 0)
        .Out({"The flash of the AT90S8535 is erased: {work}\\erased.hex holds only the "
              "end-of-file record."})
        .Extra([](const CliResult&) { EXPECT_EQ(ReadText(Work("erased.hex")), kEndRecord); }),
    Run("ReadLockedKeepsTheOldFile", "--flash-read {work}\\old.hex", 5)
        .Err({"The lock bits of the AT90S8535 forbid reading it back."})
        .Chip(ChipStart::BlinkLocked2, ChipAfter::Unchanged)
        .Extra([](const CliResult&) {
            EXPECT_EQ(ReadText(Work("old.hex")), "old content\r\n");
            EXPECT_EQ(WorkFiles("tam*.tmp"), std::vector<std::string>{});
        }),
    Run("EepromWriteAndRead", "--eeprom-write {work}\\data.eep --eeprom-read {work}\\read.eep", 0)
        .Out({"Write EEPROM Ok",
              "EEPROM written: 5 of the file's 5 bytes differed from the AT90S8535's and were "
              "written and read back.",
              "Read EEPROM Ok",
              "The EEPROM of the AT90S8535 was read: 512 bytes written to {work}\\read.eep."})
        .Chip(ChipStart::Erased, ChipAfter::CheckedByExtra)
        .Extra([](const CliResult&) {
            std::vector<unsigned char> eeprom(512, 0xFF);
            eeprom[0] = 0xDE, eeprom[1] = 0xAD, eeprom[2] = 0xBE, eeprom[3] = 0xEF;
            eeprom[0x1FF] = 0x42;
            EXPECT_EQ(HexBytes(ReadText(Work("read.eep"))), eeprom);
            const std::vector<unsigned char> chip = ReadBytes(Work("chip.bin"));
            ASSERT_EQ(chip.size(), kAt90s8535ChipFile);
            EXPECT_TRUE(std::equal(eeprom.begin(), eeprom.end(), chip.begin() + kAt90s8535Flash));
        }),
    Run("EepromFileTooLarge", "--eeprom-write {work}\\far.eep", 5)
        .Err({"The EEPROM file holds data up to byte 769, more than the 512 bytes of EEPROM of "
              "the AT90S8535 on the cable."})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged),
    Run("ImageTooLarge", "--auto {work}\\32k.hex", 5)
        .Err({"The loaded file holds 32768 bytes of program, more than the 8192 bytes of flash "
              "of the AT90S8535 on the cable.\r\nNothing was written."})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged),

    // What the board answers.
    Run("NoChip", "--erase", 4)
        .Err({kNoAnswer})
        .Chip(ChipStart::Blink, ChipAfter::Unchanged)
        .Env({{"TAMBERLO_SIM_FAULT", "nochip"}}),
    Run("RefusedChip", "--erase --auto {blink}", 5)
        .Err({"The chip on the cable is an ATmega644/ATmega644A (signature 1E 96 09), which "
              "this program does not program."})
        .Chip(ChipStart::None, ChipAfter::Unchanged)
        .Env({{"TAMBERLO_SIM_CHIP", "atmega644"}}),
    Run("DriverNotRunning", "--blank", 3)
        .Err({"The printer port driver is not running."})
        .Env({{"TAMBERLO_SIM_FAULT", "nodriver"}}),
};

INSTANTIATE_TEST_SUITE_P(CommandLines, CliTableTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CliCase>& info) {
                             return std::string(info.param.name);
                         });

// The simulated board leaves its trace as soon as the program reaches the port: the check
// of the rows above that nothing did.
TEST(CliTest, ATraceShowsThatThePortWasReached) {
    WriteFixtures();
    SettingsFile::Write(kSettings);
    const CliResult result = RunCli(
        kProgram, "--blank", kWork,
        {{"TAMBERLO_SIM_CHIP_FILE", Work("chip.bin")}, {"TAMBERLO_SIM_VCD", Work("trace.vcd")}});
    EXPECT_EQ(result.status, 0u) << result.err;
    EXPECT_TRUE(Exists(Work("trace.vcd")));
}

TEST(CliTest, VersionIsTheAboutBoxLine) {
    const CliResult result = RunCli(kProgram, "--version", kWork, {});
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.outLines, std::vector<std::string>{"tamberlo Version 5.0"});
}

TEST(CliTest, HelpListsEveryOptionAndStatus) {
    const CliResult result = RunCli(kProgram, "--help", kWork, {});
    EXPECT_EQ(result.status, 0u);
    for (const char* option :
         {"--erase ", "--blank ", "--program FILE ", "--verify FILE ", "--auto FILE ",
          "--lock 1|2 ", "--read-chip ", "--fuses LOW:HIGH ", "--eeprom-write FILE ",
          "--eeprom-read FILE ", "--flash-read FILE ", "--lpt 1|2|3 ", "--delay-bit N ",
          "--delay-byte N ", "--yes ", "--quiet ", "--help ", "--version "}) {
        EXPECT_EQ(std::count_if(result.outLines.begin(), result.outLines.end(),
                                [&](const std::string& line) {
                                    return line.rfind(std::string("  ") + option, 0) == 0;
                                }),
                  1)
            << option;
    }
    for (const char* status : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  ", "  5  "})
        EXPECT_NE(result.out.find(status), std::string::npos) << status;
}

// At a command prompt each step keeps one line: its captions replace each other there, and
// a shorter one leaves nothing of a longer one before it.
TEST(CliTest, OnAConsoleEachStepHasOneLine) {
    WriteFixtures();
    SettingsFile::Write(kSettings);
    DWORD status = 0;
    const std::vector<std::string> lines =
        RunCliOnConsole(kProgram, Expand("--auto {blink} --eeprom-write {work}\\far.eep"), kWork,
                        {{"TAMBERLO_SIM_CHIP_FILE", Work("chip.bin")}}, &status);
    EXPECT_EQ(status, 5u);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{"Erase Ok", "Blank Ok", "Program Flash Ok", "Verfify Ok"}));
    EXPECT_EQ(lines[4].rfind("The EEPROM file holds data up to byte 769", 0), 0u) << lines[4];
}

// A normal user's window reads the VirtualStore copy once there is one; so does the console
// program, whatever its own process is.
TEST(CliTest, ReadsTheVirtualStoreCopyOfTheSettings) {
    WriteFixtures();
    SettingsFile::Write(kSettings);
    char local[MAX_PATH] = "";
    ASSERT_NE(::GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH), 0u);
    char windows[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string store = std::string(local) + "\\VirtualStore";
    const std::string folder = store + (windows + 2);
    ::CreateDirectoryA(store.c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\tamberlo.INI";
    WriteText(copy, "[TAMBERLO]\r\nLPT PORT=1\r\nLPT1 BASE=0xZZ\r\n");
    const CliResult result =
        RunCli(kProgram, "--blank", kWork, {{"TAMBERLO_SIM_CHIP_FILE", Work("chip.bin")}});
    ::DeleteFileA(copy.c_str());
    EXPECT_EQ(result.status, 2u);
    EXPECT_NE(result.err.find("The settings file " + copy +
                              " holds LPT1 BASE=0xZZ, which is not a usable printer-port address."),
              std::string::npos)
        << result.err;
}

// The console program reads the settings and never writes them, not even the delays the
// window would fill in.
TEST(CliTest, LeavesTheSettingsFileAsItWas) {
    WriteFixtures();
    const std::string settings = "[TAMBERLO]\r\nLPT PORT=1\r\n";
    SettingsFile::Write(settings);
    const CliResult result =
        RunCli(kProgram, "--blank", kWork, {{"TAMBERLO_SIM_CHIP_FILE", Work("chip.bin")}});
    EXPECT_EQ(result.status, 0u) << result.err;
    EXPECT_EQ(SettingsFile::Contents(), settings);
}

} // namespace
