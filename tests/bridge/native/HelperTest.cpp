// tamberlo-ppdev on the fake ppdev device, driven through the same client code as the
// bridge DLL: what it tells the user when the port cannot be had, that it serves exactly
// the three registers of its base and refuses and counts the rest, that every stop
// signal releases the port, and what the client does when the helper is killed.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char kFakeDevice[] = "/dev/tamberlo-parport0";

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
        text.replace(at, from.size(), to), at += to.size();
    return text;
}

double SecondsOf(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct FailureCase {
    const char* what;
    std::vector<std::string> arguments;   // {dir} stands for the test's folder
    std::vector<std::string> environment; // NAME=VALUE; {dir} as above
    int exitCode;
    const char* message; // {dir} stands for the test's folder
};

const std::string kLongPath = "/tmp/" + std::string(196, 'x');

const FailureCase kFailures[] = {
    {"ppdev not loaded",
     {kFakeDevice},
     {"TAMBERLO_FAKE_PPDEV_FAIL=open:ENOENT"},
     1,
     "/dev/tamberlo-parport0: it does not exist, and there is no printer port device "
     "(/dev/tamberlo-parport*) at all. The kernel's printer port drivers are not loaded; "
     "load them with\n    sudo modprobe parport_pc ppdev\n"},
    {"another port number",
     {"{dir}/parport3"},
     {},
     1,
     "{dir}/parport3: it does not exist. Printer ports on this machine: {dir}/parport0 "
     "{dir}/parport1\n"},
    {"no permission",
     {kFakeDevice},
     {"TAMBERLO_FAKE_PPDEV_FAIL=open:EACCES"},
     1,
     "/dev/tamberlo-parport0: permission denied. Add yourself to the group lp that may use "
     "it:\n    sudo usermod -aG lp $USER\nthen log out and log in again"},
    {"no port behind the node",
     {kFakeDevice},
     {"TAMBERLO_FAKE_PPDEV_FAIL=open:ENXIO"},
     1,
     "the device exists but the kernel has no printer port behind it"},
    {"port held by another driver",
     {kFakeDevice},
     {"TAMBERLO_FAKE_PPDEV_FAIL=claim:EBUSY"},
     1,
     "the printer port /dev/tamberlo-parport0 is busy: another program or driver holds it"},
    {"claim never granted",
     {kFakeDevice},
     {"TAMBERLO_FAKE_PPDEV_FAIL=claim:wait"},
     1,
     "the printer port /dev/tamberlo-parport0 is busy: another program or driver holds it"},
    {"base outside the I/O space",
     {"--base", "0xFFFE", kFakeDevice},
     {},
     2,
     "--base 0xFFFE: give the printer port's I/O address, hex with 0x or decimal"},
    {"base not a number", {"--base", "lpt1", kFakeDevice}, {}, 2, "--base lpt1: give"},
    {"unknown option", {"--fast", kFakeDevice}, {}, 2, "unknown option --fast\nusage:"},
    {"parent not given", {"--parent"}, {}, 2, "--parent needs a process id"},
    {"parent not a process id", {"--parent", "1", kFakeDevice}, {}, 2, "--parent 1: give"},
    {"not started by the parent named",
     {"--parent", "999999", kFakeDevice},
     {},
     1,
     "the process 999999 given with --parent is not the one that started tamberlo-ppdev"},
    {"no runtime directory and no block path",
     {kFakeDevice},
     {"TAMBERLO_BRIDGE_SHM=", "XDG_RUNTIME_DIR="},
     1,
     "XDG_RUNTIME_DIR is not set, so there is no private place for the shared block"},
    {"a relative runtime directory",
     {kFakeDevice},
     {"TAMBERLO_BRIDGE_SHM=", "XDG_RUNTIME_DIR=run/user"},
     1,
     "XDG_RUNTIME_DIR is not set"},
    {"a relative block path",
     {kFakeDevice},
     {"TAMBERLO_BRIDGE_SHM=port"},
     1,
     "TAMBERLO_BRIDGE_SHM=port is not an absolute path"},
    {"a block path too long for the DLL",
     {kFakeDevice},
     {"TAMBERLO_BRIDGE_SHM=" + kLongPath},
     1,
     "is longer than the 200 bytes that the bridge DLL can take"},
    {"a block path that names a directory",
     {kFakeDevice},
     {"TAMBERLO_BRIDGE_SHM={dir}/"},
     1,
     "names a directory; give a file's path"},
    {"a block directory that does not exist",
     {kFakeDevice},
     {"TAMBERLO_BRIDGE_SHM={dir}/missing/port"},
     1,
     "cannot open the directory {dir}/missing of the shared block: No such file or directory"},
};

TEST(HelperFailures, EachSaysWhatIsWrongAndWhatToDo) {
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.what);
        WorkDir dir;
        std::ofstream(dir.path() + "/parport0");
        std::ofstream(dir.path() + "/parport1");
        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments)
            arguments.push_back(Replace(argument, "{dir}", dir.path()));
        std::vector<std::string> environment;
        for (const std::string& setting : c.environment)
            environment.push_back(Replace(setting, "{dir}", dir.path()));
        const HelperRun run = RunHelper(dir.path(), arguments, environment);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.stderrText.find(Replace(c.message, "{dir}", dir.path())), std::string::npos)
            << run.stderrText;
        EXPECT_FALSE(Exists(BlockPath(dir.path()))) << "the shared block is left behind";
        EXPECT_EQ(ReadFile(DeviceLogPath(dir.path())).find("claim\n"), std::string::npos);
    }
}

TEST(HelperFailures, ASecondHelperOnTheSameBlockIsTurnedAway) {
    WorkDir dir;
    HelperProcess first(dir.path(), {kFakeDevice});
    ASSERT_TRUE(first.WaitUntilServing());
    const HelperRun second = RunHelper(dir.path(), {"/dev/tamberlo-parport1"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.stderrText.find("another tamberlo-ppdev (process " +
                                     std::to_string(first.pid()) +
                                     ") already serves the "
                                     "shared block " +
                                     BlockPath(dir.path())),
              std::string::npos)
        << second.stderrText;
    PosixPlatform platform(BlockPath(dir.path()));
    bridge::PortClient client(platform);
    EXPECT_TRUE(client.IsOpen()) << "the first helper goes on serving";
}

// The helper of the cable's port at LPT2 serves 0x278-0x27A only.
class HelperServing : public testing::Test {
protected:
    HelperServing()
        : helper(dir.path(), {"--base", "0x278", kFakeDevice}, {"TAMBERLO_SIM_LPT=2"}),
          platform(BlockPath(dir.path())), client(platform, bridge::ReadBack::FromPort) {}

    WorkDir dir;
    HelperProcess helper;
    PosixPlatform platform;
    bridge::PortClient client;
};

TEST_F(HelperServing, TheThreeRegistersPassAsRawBytesAndOtherAddressesAreRefused) {
    ASSERT_TRUE(helper.WaitUntilServing());
    ASSERT_TRUE(client.IsOpen());
    EXPECT_EQ(client.Read(0x27A), 0x0C) << "the control register as claiming leaves it";
    client.Write(0x278, 0x55);
    EXPECT_EQ(client.Read(0x278), 0x55);
    client.Write(0x27A, 0xF5);
    EXPECT_EQ(client.Read(0x27A), 0x05) << "control bits 4-7 are the kernel's";
    EXPECT_EQ(client.Read(0x279) & 0x07, 0x07) << "status bits 0-2 read 1";

    EXPECT_EQ(client.Read(0x378), 0xFF);
    client.Write(0x37A, 0x00);
    EXPECT_EQ(client.Read(0x27B), 0xFF);
    client.Write(0x277, 0x00);
    EXPECT_EQ(client.Read(0x278), 0x55) << "refused writes reach no register";
    EXPECT_EQ(client.Read(0x27A), 0x05);

    helper.Signal(SIGTERM);
    const HelperRun run = helper.Wait();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.stderrText.find("refused 4 accesses outside 0x278-0x27A"), std::string::npos)
        << run.stderrText;
}

// A read of a register the program wrote reads back that byte at once (the control
// register's lines 0-3), and still reaches the port in its place. The helper stops
// itself right after the second access, so only the client can have answered.
TEST(LatchedReads, AreAnsweredAtOnceAndStillReachThePortInTheirPlace) {
    WorkDir dir;
    HelperProcess helper(dir.path(), {kFakeDevice}, {"TAMBERLO_FAKE_PPDEV_STOP_AT=2"});
    ASSERT_TRUE(helper.WaitUntilServing());
    PosixPlatform platform(BlockPath(dir.path()));
    bridge::PortClient client(platform);
    ASSERT_TRUE(client.IsOpen());
    EXPECT_EQ(client.Read(0x37A), 0x0C) << "not yet written: the port answers";
    client.Write(0x378, 0x00);
    for (int i = 0;
         i < 1000 && ReadFile(DeviceLogPath(dir.path())).find("stopped") == std::string::npos; ++i)
        ::usleep(5000);
    const double seconds = SecondsOf([&] {
        client.Write(0x378, 0x5A);
        EXPECT_EQ(client.Read(0x378), 0x5A);
        client.Write(0x37A, 0xF5);
        EXPECT_EQ(client.Read(0x37A), 0x05);
    });
    EXPECT_LT(seconds, 0.1) << "waited for the stopped helper";
    EXPECT_TRUE(client.IsOpen());

    helper.Signal(SIGCONT);
    EXPECT_EQ(client.Read(0x379) & 0x07, 0x07) << "the status register is read from the port";
    helper.Signal(SIGTERM);
    EXPECT_EQ(helper.Wait().exitCode, 0);
    const std::string log = ReadFile(DeviceLogPath(dir.path()));
    EXPECT_EQ(log.substr(log.find("continued\n") + 10),
              "write data 0x5A\nread data\nwrite control 0x05\nread control\nread status\n"
              "release\nclose\n");
}

TEST(HelperStopping, EachStopSignalReleasesThePortAndEndsCleanly) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        WorkDir dir;
        HelperProcess helper(dir.path(), {kFakeDevice});
        ASSERT_TRUE(helper.WaitUntilServing());
        PosixPlatform platform(BlockPath(dir.path()));
        bridge::PortClient client(platform);
        ASSERT_TRUE(client.IsOpen());
        helper.Signal(signal);
        const HelperRun run = helper.Wait();
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(ReadFile(DeviceLogPath(dir.path())), "open\nclaim\nrelease\nclose\n");
        EXPECT_FALSE(Exists(BlockPath(dir.path())));
        EXPECT_FALSE(client.IsOpen()) << "a detached helper is seen at once";
        EXPECT_EQ(client.Read(0x378), 0xFF);
    }
}

// A helper killed with SIGKILL leaves its block marked attached and never answers.
struct KilledCase {
    const char* what;
    std::function<void(bridge::PortClient&)> access;
    std::uint8_t lastWritten; // to the data register, which reads back as that afterwards
};

const KilledCase kKilled[] = {
    {"a read", [](bridge::PortClient& client) { client.Read(0x378); }, 0x5A},
    {"writes that fill the ring",
     [](bridge::PortClient& client) {
         for (std::uint32_t i = 0; i < 2 * bridge::kRingEntries; ++i)
             client.Write(0x378, static_cast<std::uint8_t>(i));
     },
     0xFF},
};

TEST(HelperKilled, TheWaitEndsAndTheBridgeStaysClosedUntilANewHelperAttaches) {
    for (const KilledCase& c : kKilled) {
        SCOPED_TRACE(c.what);
        WorkDir dir;
        PosixPlatform platform(BlockPath(dir.path()));
        bridge::PortClient client(platform, bridge::ReadBack::FromPort);
        {
            HelperProcess helper(dir.path(), {kFakeDevice});
            ASSERT_TRUE(helper.WaitUntilServing());
            ASSERT_TRUE(client.IsOpen());
            client.Write(0x378, 0x5A);
            ASSERT_EQ(client.Read(0x378), 0x5A);
            helper.Signal(SIGKILL);
            EXPECT_EQ(helper.Wait().signal, SIGKILL);
        }
        const double waited = SecondsOf([&] { c.access(client); });
        EXPECT_GT(waited, 0.2) << "gave up before the helper timeout";
        EXPECT_LT(waited, 2.0) << "waited on a dead helper";
        EXPECT_FALSE(client.IsOpen());
        EXPECT_LT(SecondsOf([&] { EXPECT_EQ(client.Read(0x378), c.lastWritten); }), 0.1)
            << "a closed bridge answers at once";
        EXPECT_EQ(client.Read(0x379), 0xFF) << "the status register has no latch";

        HelperProcess next(dir.path(), {kFakeDevice});
        ASSERT_TRUE(next.WaitUntilServing());
        EXPECT_TRUE(client.IsOpen());
        client.Write(0x378, 0xA5);
        EXPECT_EQ(client.Read(0x378), 0xA5);
    }
}

} // namespace
