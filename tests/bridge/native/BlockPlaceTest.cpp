// Where tamberlo-ppdev puts the shared block, and what it refuses there: each hostile
// block (a symbolic link, a file others may use or own, a FIFO, a second name of another
// file, a directory others may change) is refused with a message that says what to
// remove, leaves every file as it was, and never gets the port opened. A stale block of
// a killed helper is replaced; the default place is made private; a helper never removes
// a block that is not its own, and a block cut short ends the helper with a message.
// The tests work in a folder of their own, without root: the owner check is tested
// through the fake device's TAMBERLO_FAKE_PPDEV_FOREIGN.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char kFakeDevice[] = "/dev/tamberlo-parport0";

void WriteFile(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    ::chmod(path.c_str(), mode);
}

// What a path is: its kind, mode, links and content (or link target).
std::string Describe(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return "missing";
    char mode[16];
    std::snprintf(mode, sizeof mode, " %04o %lu ", static_cast<unsigned>(info.st_mode & 07777),
                  static_cast<unsigned long>(info.st_nlink));
    if (S_ISLNK(info.st_mode)) {
        char target[256] = {};
        ::readlink(path.c_str(), target, sizeof target - 1);
        return std::string("link") + mode + target;
    }
    if (S_ISFIFO(info.st_mode))
        return std::string("fifo") + mode;
    if (S_ISDIR(info.st_mode))
        return std::string("dir") + mode;
    return std::string("file") + mode + ReadFile(path);
}

// Everything in `folder` and one level below, but the test's own logs.
std::string Snapshot(const std::string& folder) {
    std::vector<std::string> lines;
    std::function<void(const std::string&, int)> walk = [&](const std::string& dir, int depth) {
        DIR* listing = ::opendir(dir.c_str());
        if (listing == nullptr)
            return;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name == "helper.stderr" || name == "device.log")
                continue;
            const std::string path = dir + "/" + name;
            lines.push_back(path + ": " + Describe(path));
            struct stat info {};
            if (depth == 0 && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                walk(path, 1);
        }
        ::closedir(listing);
    };
    walk(folder, 0);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

struct HostileCase {
    const char* what;
    // Makes the hostile block in `dir` (the block's directory, mode 0700), beside the
    // file `victim` that holds the user's data.
    std::function<void(const std::string& dir, const std::string& victim)> make;
    const char* foreign; // made another user's through the seam: "dir", "port" or ""
    const char* message; // {dir} stands for the block's directory
};

const HostileCase kHostile[] = {
    {"a symbolic link to the user's file",
     [](const std::string& dir, const std::string& victim) {
         ASSERT_EQ(::symlink(victim.c_str(), (dir + "/port").c_str()), 0);
     },
     "", "{dir}/port is a symbolic link (to "},
    {"a file that everyone may use",
     [](const std::string& dir, const std::string&) { WriteFile(dir + "/port", "squat", 0666); },
     "",
     "{dir}/port can be used by other users (mode 0666), who could reach your printer port "
     "through it. Remove it (rm {dir}/port)"},
    {"a file of another user",
     [](const std::string& dir, const std::string&) { WriteFile(dir + "/port", "squat", 0600); },
     "port", "{dir}/port belongs to another user (uid "},
    {"a FIFO",
     [](const std::string& dir, const std::string&) {
         ASSERT_EQ(::mkfifo((dir + "/port").c_str(), 0600), 0);
     },
     "", "{dir}/port is a FIFO (named pipe), not a shared block. Remove it"},
    {"a second name of the user's file",
     [](const std::string& dir, const std::string& victim) {
         ASSERT_EQ(::link(victim.c_str(), (dir + "/port").c_str()), 0);
     },
     "", "{dir}/port has 2 hard links"},
    {"a directory at the path",
     [](const std::string& dir, const std::string&) {
         ASSERT_EQ(::mkdir((dir + "/port").c_str(), 0700), 0);
     },
     "", "{dir}/port is a directory, not a shared block"},
    {"a directory that everyone may change",
     [](const std::string& dir, const std::string&) { ::chmod(dir.c_str(), 0777); }, "",
     "the directory {dir} that holds the shared block can be used by other users (mode 0777)"},
    {"a directory of another user", [](const std::string&, const std::string&) {}, "dir",
     "the directory {dir} that holds the shared block belongs to another user (uid "},
};

TEST(HostileBlock, IsRefusedWithWhatToRemoveAndNothingIsTouchedOrClaimed) {
    for (const HostileCase& c : kHostile) {
        SCOPED_TRACE(c.what);
        WorkDir work;
        const std::string dir = work.path() + "/private";
        const std::string victim = work.path() + "/victim";
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
        WriteFile(victim, "the user's own data", 0600);
        c.make(dir, victim);
        const std::string before = Snapshot(work.path());

        std::vector<std::string> environment = {"TAMBERLO_BRIDGE_SHM=" + dir + "/port"};
        if (std::string(c.foreign) == "dir")
            environment.push_back("TAMBERLO_FAKE_PPDEV_FOREIGN=" + dir);
        if (std::string(c.foreign) == "port")
            environment.push_back("TAMBERLO_FAKE_PPDEV_FOREIGN=" + dir + "/port");
        const HelperRun run = RunHelper(work.path(), {kFakeDevice}, environment);

        EXPECT_EQ(run.exitCode, 1) << run.stderrText;
        std::string message = c.message;
        for (std::size_t at = message.find("{dir}"); at != std::string::npos;
             at = message.find("{dir}"))
            message.replace(at, 5, dir);
        EXPECT_NE(run.stderrText.find(message), std::string::npos) << run.stderrText;
        EXPECT_EQ(Snapshot(work.path()), before);
        EXPECT_EQ(ReadFile(DeviceLogPath(work.path())), "") << "the port was opened";
        ::chmod(dir.c_str(), 0700);
    }
}

TEST(StaleBlock, OfAKilledHelperIsReplacedAndTheNewHelperServes) {
    WorkDir work;
    {
        HelperProcess killed(work.path(), {kFakeDevice});
        ASSERT_TRUE(killed.WaitUntilServing());
        killed.Signal(SIGKILL);
        killed.Wait();
    }
    ASSERT_EQ(Describe(BlockPath(work.path())).rfind("file 0600 1 ", 0), 0u)
        << "a killed helper leaves its block";
    HelperProcess next(work.path(), {kFakeDevice});
    ASSERT_TRUE(next.WaitUntilServing());
    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient client(platform);
    ASSERT_TRUE(client.IsOpen());
    client.Write(0x378, 0x3C);
    EXPECT_EQ(client.Read(0x378), 0x3C);
    next.Signal(SIGTERM);
    const HelperRun run = next.Wait();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.stderrText.find("removed the shared block that an earlier tamberlo-ppdev"),
              std::string::npos)
        << run.stderrText;
}

TEST(DefaultPlace, IsAPrivateDirectoryInTheRuntimeDirectory) {
    WorkDir work;
    const std::string runtime = work.path() + "/run";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    const std::vector<std::string> environment = {"TAMBERLO_BRIDGE_SHM=",
                                                  "XDG_RUNTIME_DIR=" + runtime + "/"};
    HelperProcess helper(work.path(), {kFakeDevice}, environment);
    EXPECT_EQ(helper.blockPath(), runtime + "/tamberlo/port");
    ASSERT_TRUE(helper.WaitUntilServing());
    EXPECT_EQ(Describe(runtime + "/tamberlo"), "dir 0700 2 ");
    EXPECT_EQ(Describe(runtime + "/tamberlo/port").rfind("file 0600 1 ", 0), 0u);
    PosixPlatform platform(runtime + "/tamberlo/port");
    bridge::PortClient client(platform);
    EXPECT_TRUE(client.IsOpen());
    helper.Signal(SIGTERM);
    EXPECT_EQ(helper.Wait().exitCode, 0);
    EXPECT_EQ(Describe(runtime + "/tamberlo/port"), "missing");

    // A directory of that name that others may use is not made private behind the
    // user's back: the helper says to remove it.
    ::chmod((runtime + "/tamberlo").c_str(), 0755);
    const HelperRun refused = RunHelper(work.path(), {kFakeDevice}, environment);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.stderrText.find("(mode 0755), who could replace the block and reach your "
                                      "printer port. Remove it (rmdir " +
                                      runtime + "/tamberlo); tamberlo-ppdev makes it again"),
              std::string::npos)
        << refused.stderrText;
}

// The user removed the block of a running helper, and started another: the first one's
// exit leaves the second one's block alone.
TEST(BlockLife, AHelperRemovesOnlyItsOwnBlock) {
    WorkDir work;
    const std::string block = BlockPath(work.path());
    HelperProcess first(work.path(), {kFakeDevice});
    ASSERT_TRUE(first.WaitUntilServing());
    ASSERT_EQ(::unlink(block.c_str()), 0);
    HelperProcess second(work.path(), {"/dev/tamberlo-parport1"});
    ASSERT_TRUE(second.WaitUntilServing());
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait().exitCode, 0);
    EXPECT_NE(Describe(block), "missing") << "the first helper removed the second one's block";
    PosixPlatform platform(block);
    bridge::PortClient client(platform);
    EXPECT_TRUE(client.IsOpen());
}

TEST(BlockLife, ABlockCutShortEndsTheHelperWithAMessageAndReleasesThePort) {
    WorkDir work;
    HelperProcess helper(work.path(), {kFakeDevice});
    ASSERT_TRUE(helper.WaitUntilServing());
    ASSERT_EQ(::truncate(BlockPath(work.path()).c_str(), 0), 0);
    const HelperRun run = helper.Wait();
    EXPECT_EQ(run.signal, 0) << "ended by a signal, not by itself";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("was cut short by another program while it was served"),
              std::string::npos)
        << run.stderrText;
    EXPECT_EQ(ReadFile(DeviceLogPath(work.path())), "open\nclaim\nrelease\nclose\n");
    EXPECT_EQ(Describe(BlockPath(work.path())), "missing");
}

} // namespace
