// Where tamberlo-ppdev puts the shared block, and what it refuses there: each hostile
// place (a symbolic link, a file others may use or own, a FIFO, a second name of another
// file, a directory others may change or own, anywhere from / down; a runtime directory
// that is not the user's own and private; a file of the user's that is no block) is
// refused with a message that says what to change, leaves every file as it was, and
// never gets the port opened. A stale block of a killed helper is replaced; the default
// place is made private; a helper never removes a block that is not its own, and a
// block cut short ends the helper with a message. The tests work in a folder of their
// own, without root: the owner check is tested through the fake device's
// TAMBERLO_FAKE_PPDEV_FOREIGN.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"
#include "bridge/SharedBlock.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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

// Everything in `folder` and below, but the test's own logs.
std::string Snapshot(const std::string& folder) {
    std::vector<std::string> lines;
    std::function<void(const std::string&)> walk = [&](const std::string& dir) {
        DIR* listing = ::opendir(dir.c_str());
        if (listing == nullptr)
            return;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name == "helper.stderr" || name == "helper.stdout" ||
                name == "device.log")
                continue;
            const std::string path = dir + "/" + name;
            lines.push_back(path + ": " + Describe(path));
            struct stat info {};
            if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                walk(path);
        }
        ::closedir(listing);
    };
    walk(folder);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The folders of a hostile case, each 0700 to start with: the block's directory,
// the runtime directory of the default place, and one more above a block directory.
struct Layout {
    std::string work;
    std::string dir;    // {dir}: the block is {dir}/port
    std::string run;    // {run}: XDG_RUNTIME_DIR of the default place
    std::string above;  // {above}: the block is {above}/private/port
    std::string victim; // a file that holds the user's data
};

// `text` with {work}, {dir}, {run} and {above} put in.
std::string Expand(std::string text, const Layout& layout) {
    const std::pair<const char*, const std::string*> names[] = {{"{work}", &layout.work},
                                                                {"{dir}", &layout.dir},
                                                                {"{run}", &layout.run},
                                                                {"{above}", &layout.above}};
    for (const auto& name : names)
        for (std::size_t at = text.find(name.first); at != std::string::npos;
             at = text.find(name.first))
            text.replace(at, std::string(name.first).size(), *name.second);
    return text;
}

// A file of the block's size holding `magic` and `version` at the block's start.
void WriteBlockSized(const std::string& path, std::uint32_t magic, std::uint32_t version) {
    std::string bytes(sizeof(bridge::SharedBlock), 'x');
    std::memcpy(&bytes[0], &magic, sizeof magic);
    std::memcpy(&bytes[4], &version, sizeof version);
    WriteFile(path, bytes, 0600);
}

struct HostileCase {
    const char* what;
    std::function<void(const Layout&)> make;
    const char* blockPath; // TAMBERLO_BRIDGE_SHM; "" for the default place in {run}
    const char* foreign;   // made another user's through the seam; "" for none
    const char* message;
};

const HostileCase kHostile[] = {
    {"a symbolic link to the user's file",
     [](const Layout& l) { ASSERT_EQ(::symlink(l.victim.c_str(), (l.dir + "/port").c_str()), 0); },
     "{dir}/port", "", "{dir}/port is a symbolic link (to "},
    {"a file that everyone may use",
     [](const Layout& l) { WriteFile(l.dir + "/port", "squat", 0666); }, "{dir}/port", "",
     "{dir}/port can be used by other users (mode 0666), who could reach your printer port "
     "through it. Remove it (rm {dir}/port)"},
    {"a file of another user", [](const Layout& l) { WriteFile(l.dir + "/port", "squat", 0600); },
     "{dir}/port", "{dir}/port", "{dir}/port belongs to another user (uid "},
    {"a FIFO", [](const Layout& l) { ASSERT_EQ(::mkfifo((l.dir + "/port").c_str(), 0600), 0); },
     "{dir}/port", "", "{dir}/port is a FIFO (named pipe), not a shared block. Remove it"},
    {"a second name of the user's file",
     [](const Layout& l) { ASSERT_EQ(::link(l.victim.c_str(), (l.dir + "/port").c_str()), 0); },
     "{dir}/port", "", "{dir}/port has 2 hard links"},
    {"a directory at the path",
     [](const Layout& l) { ASSERT_EQ(::mkdir((l.dir + "/port").c_str(), 0700), 0); }, "{dir}/port",
     "", "{dir}/port is a directory, not a shared block"},
    {"a directory that everyone may change", [](const Layout& l) { ::chmod(l.dir.c_str(), 0777); },
     "{dir}/port", "",
     "the directory {dir} that holds the shared block can be used by other users (mode 0777)"},
    {"a directory of another user", [](const Layout&) {}, "{dir}/port", "{dir}",
     "the directory {dir} that holds the shared block belongs to another user (uid "},
    {"a text file of the user's at the block's path",
     [](const Layout& l) { WriteFile(l.dir + "/port", "my notes\n", 0600); }, "{dir}/port", "",
     "{dir}/port is not a shared block (it holds 9 bytes; a block has 16640). tamberlo-ppdev "
     "removes only a shared block that an earlier tamberlo-ppdev left behind, and left this "
     "file as it is."},
    {"a file of the block's size without the block's mark",
     [](const Layout& l) { WriteBlockSized(l.dir + "/port", 0x78787878, 0x78787878); },
     "{dir}/port", "", "{dir}/port has the size of a shared block but is none"},
    {"a block of another version",
     [](const Layout& l) { WriteBlockSized(l.dir + "/port", bridge::kBlockMagic, 2); },
     "{dir}/port", "",
     "the shared block {dir}/port was made by a tamberlo-ppdev of another version (block "
     "layout 2; this one takes layout 3)"},
    {"a directory above the block that its group may change",
     [](const Layout& l) { ::chmod(l.above.c_str(), 0770); }, "{above}/private/port", "",
     "the directory {above} on the shared block's path can be changed by other users (mode "
     "0770), who could replace what lies below it and reach your printer port. Take their "
     "write permission away (chmod go-w {above})"},
    {"a directory above the block of another user", [](const Layout&) {}, "{above}/private/port",
     "{above}", "the directory {above} on the shared block's path belongs to another user (uid "},
    {"a runtime directory of another user", [](const Layout&) {}, "", "{run}",
     "XDG_RUNTIME_DIR is {run}, which belongs to another user (uid "},
    {"a runtime directory that everyone may change",
     [](const Layout& l) { ::chmod(l.run.c_str(), 01777); }, "", "",
     "XDG_RUNTIME_DIR is {run}, whose mode is 1777, not 0700"},
    {"the block's directory a link to a private directory of the user's",
     [](const Layout& l) { ASSERT_EQ(::symlink(l.dir.c_str(), (l.run + "/tamberlo").c_str()), 0); },
     "", "",
     "{run}/tamberlo on the shared block's path is a symbolic link (to {dir}). The block is "
     "looked for through real directories only, so that no link can lead it into another "
     "directory. Remove the link (rm {run}/tamberlo)"},
    {"a link on the path above the block",
     [](const Layout& l) { ASSERT_EQ(::symlink(l.above.c_str(), (l.work + "/link").c_str()), 0); },
     "{work}/link/private/port", "",
     "{work}/link on the shared block's path is a symbolic link (to {above}). The block is "
     "looked for through real directories only"},
};

TEST(HostileBlock, IsRefusedWithWhatToChangeAndNothingIsTouchedOrClaimed) {
    for (const HostileCase& c : kHostile) {
        SCOPED_TRACE(c.what);
        WorkDir work;
        const Layout layout{work.path(), work.path() + "/private", work.path() + "/run",
                            work.path() + "/above", work.path() + "/victim"};
        for (const std::string& dir :
             {layout.dir, layout.run, layout.above, layout.above + "/private"})
            ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
        WriteFile(layout.victim, "the user's own data", 0600);
        c.make(layout);
        const std::string before = Snapshot(work.path());

        std::vector<std::string> environment;
        if (*c.blockPath != '\0')
            environment.push_back("TAMBERLO_BRIDGE_SHM=" + Expand(c.blockPath, layout));
        else
            environment = {"TAMBERLO_BRIDGE_SHM=", "XDG_RUNTIME_DIR=" + layout.run};
        if (*c.foreign != '\0')
            environment.push_back("TAMBERLO_FAKE_PPDEV_FOREIGN=" + Expand(c.foreign, layout));
        const HelperRun run = RunHelper(work.path(), {kFakeDevice}, environment);

        EXPECT_EQ(run.exitCode, 1) << run.stderrText;
        EXPECT_NE(run.stderrText.find(Expand(c.message, layout)), std::string::npos)
            << run.stderrText;
        EXPECT_EQ(Snapshot(work.path()), before);
        EXPECT_EQ(ReadFile(DeviceLogPath(work.path())), "") << "the port was opened";
        for (const std::string& dir : {layout.dir, layout.run, layout.above})
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
