// What the program's side (the DLL's code, here through the C library) and the helper's
// --check-block take for the block a helper serves: the block, while every directory on
// its path stays private and the file is the one the helper made; nothing once a
// directory on the path is opened to others, replaced by a link, or swapped for one
// holding a copy of the block - each refused with a message that says what to change.
// Undone, the helper's block is taken again.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr const char kFakeDevice[] = "/dev/tamberlo-parport0";

struct Paths {
    std::string above; // {above}
    std::string dir;   // {above}/private, the block's directory
    std::string moved; // {above}/moved
    std::string block; // {above}/private/port
};

std::string Expand(std::string text, const Paths& paths) {
    for (std::size_t at = text.find("{above}"); at != std::string::npos; at = text.find("{above}"))
        text.replace(at, 7, paths.above);
    return text;
}

void SwapInACopy(const Paths& p) {
    ASSERT_EQ(::rename(p.dir.c_str(), p.moved.c_str()), 0);
    ASSERT_EQ(::mkdir(p.dir.c_str(), 0700), 0);
    std::ofstream(p.block, std::ios::binary) << ReadFile(p.moved + "/port");
    ::chmod(p.block.c_str(), 0600);
}

void UndoSwap(const Paths& p) {
    ::unlink(p.block.c_str());
    ::rmdir(p.dir.c_str());
    ::rename(p.moved.c_str(), p.dir.c_str());
}

struct ClientCase {
    const char* what;
    std::function<void(const Paths&)> make;
    std::function<void(const Paths&)> undo;
    const char* message; // {above} as above
};

const ClientCase kCases[] = {
    {"the block's directory renamed away and a copy of the block put in its place", SwapInACopy,
     UndoSwap,
     "{above}/private/port is not the file that tamberlo-ppdev made for the shared block"},
    {"the block's directory renamed away and a link to it put in its place",
     [](const Paths& p) {
         ASSERT_EQ(::rename(p.dir.c_str(), p.moved.c_str()), 0);
         ASSERT_EQ(::symlink(p.moved.c_str(), p.dir.c_str()), 0);
     },
     [](const Paths& p) {
         ::unlink(p.dir.c_str());
         ::rename(p.moved.c_str(), p.dir.c_str());
     },
     "{above}/private on the shared block's path is a symbolic link (to {above}/moved)"},
    {"a directory above the block opened to everyone",
     [](const Paths& p) { ::chmod(p.above.c_str(), 0777); },
     [](const Paths& p) { ::chmod(p.above.c_str(), 0700); },
     "the directory {above} on the shared block's path can be changed by other users (mode "
     "0777)"},
    {"the block's directory opened to its group",
     [](const Paths& p) { ::chmod(p.dir.c_str(), 0750); },
     [](const Paths& p) { ::chmod(p.dir.c_str(), 0700); },
     "the directory {above}/private that holds the shared block can be used by other users "
     "(mode 0750)"},
};

TEST(ClientCheck, TakesOnlyTheHelpersBlockThroughPrivateDirectories) {
    WorkDir work;
    const Paths paths{work.path() + "/above", work.path() + "/above/private",
                      work.path() + "/above/moved", work.path() + "/above/private/port"};
    ASSERT_EQ(::mkdir(paths.above.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(paths.dir.c_str(), 0700), 0);
    const std::vector<std::string> environment = {"TAMBERLO_BRIDGE_SHM=" + paths.block};
    HelperProcess helper(work.path(), {kFakeDevice}, environment);
    ASSERT_TRUE(helper.WaitUntilServing());

    for (const ClientCase& c : kCases) {
        SCOPED_TRACE(c.what);
        c.make(paths);
        {
            PosixPlatform platform(paths.block);
            bridge::PortClient client(platform);
            EXPECT_FALSE(client.IsOpen());
            EXPECT_EQ(platform.lastFound(), bridge::BlockFound::Refused);
            EXPECT_NE(platform.lastMessage().find(Expand(c.message, paths)), std::string::npos)
                << platform.lastMessage();
            const HelperRun check = RunHelper(work.path(), {"--check-block"}, environment);
            EXPECT_EQ(check.exitCode, 1);
            EXPECT_NE(check.stderrText.find(Expand(c.message, paths)), std::string::npos)
                << check.stderrText;
        }
        c.undo(paths);
        PosixPlatform platform(paths.block);
        bridge::PortClient client(platform);
        EXPECT_TRUE(client.IsOpen()) << platform.lastMessage();
        client.Write(0x378, 0x5A);
        EXPECT_EQ(client.Read(0x378), 0x5A);
        const HelperRun check = RunHelper(work.path(), {"--check-block"}, environment);
        EXPECT_EQ(check.exitCode, 0) << check.stderrText;
        EXPECT_EQ(check.stdoutText.rfind(std::to_string(helper.pid()) + " 1 ", 0), 0u)
            << check.stdoutText;
    }
    helper.Signal(SIGTERM);
    EXPECT_EQ(helper.Wait().exitCode, 0);
}

} // namespace
