// tamberlo-ppdev: the native helper of the bridge inpout32.dll. It sets up the shared
// block in a private directory, claims a printer port through ppdev and serves the
// program's accesses until it is told to stop (Ctrl-C, SIGTERM, SIGHUP) or, when a
// launcher started it (--parent), until the launcher ends; then it serves what is still
// queued, detaches, releases the port, removes the block and reports. With
// --check-block it only looks at the block that a helper serves (see BlockCheck.h).
#include "bridge/BlockPath.h"
#include "bridge/helper/BlockCheck.h"
#include "bridge/helper/BlockFile.h"
#include "bridge/helper/HelperOptions.h"
#include "bridge/helper/PortServer.h"
#include "bridge/helper/PpdevPort.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr unsigned long kTimerSlack_ns = 10'000; // naps stay as short as asked

volatile std::sig_atomic_t g_stop = 0;

void StopRequested(int) {
    g_stop = 1;
}

void CatchStopSignals() {
    struct sigaction stop {};
    stop.sa_handler = &StopRequested;
    ::sigemptyset(&stop.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tamberlo-ppdev: %s\n", message.c_str());
    return 1;
}

// The block's place from the environment, or the message saying why there is none.
bool BlockPlace(bridge::BlockPlace* place, std::string* error) {
    using bridge::BlockPathChoice;
    std::string* path = &place->path;
    const BlockPathChoice choice = bridge::ChooseBlockPath(
        std::getenv(bridge::kBlockPathVariable), std::getenv(bridge::kRuntimeDirVariable), path);
    place->isDefault = choice == BlockPathChoice::Default;
    switch (choice) {
    case BlockPathChoice::Given:
    case BlockPathChoice::Default:
        return true;
    case BlockPathChoice::NoRuntimeDir:
        *error = "XDG_RUNTIME_DIR is not set, so there is no private place for the shared "
                 "block (it is $XDG_RUNTIME_DIR/tamberlo/port, in the directory that your "
                 "login session makes for you, usually /run/user/" +
                 std::to_string(::geteuid()) +
                 "). Start tamberlo from your desktop session, or set TAMBERLO_BRIDGE_SHM "
                 "to a path in a directory of your own with mode 700, for both tamberlo-ppdev "
                 "and tamberlo.exe.";
        return false;
    case BlockPathChoice::NotAbsolute:
        *error = "TAMBERLO_BRIDGE_SHM=" + *path +
                 " is not an absolute path; the helper and the program under Wine must name "
                 "the same file, so give it from the root (/...).";
        return false;
    case BlockPathChoice::TooLong:
        *error = "the shared block's path " + *path + " is longer than the " +
                 std::to_string(bridge::kMaxBlockPathBytes) +
                 " bytes that the bridge DLL can take; choose a shorter one with "
                 "TAMBERLO_BRIDGE_SHM.";
        return false;
    }
    return false;
}

// With --parent: the helper gets SIGTERM when the launcher ends, and does not start at
// all when it has ended already (the signal would never come).
bool WatchParent(pid_t parent, std::string* error) {
    if (parent == 0)
        return true;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM, 0, 0, 0);
    if (::getppid() == parent)
        return true;
    *error = "the process " + std::to_string(parent) +
             " given with --parent is not the one that started tamberlo-ppdev, or it has "
             "ended already.";
    return false;
}

void Report(const std::string& device, std::uint16_t base, const bridge::ServeCounts& counts) {
    std::fprintf(stderr,
                 "tamberlo-ppdev: released %s; served %llu reads and %llu writes, refused %llu "
                 "accesses outside 0x%X-0x%X",
                 device.c_str(), counts.reads, counts.writes, counts.refused, unsigned{base},
                 unsigned{base} + 2u);
    if (counts.dropped > 0)
        std::fprintf(stderr, ", dropped %llu accesses the program had given up on", counts.dropped);
    std::fprintf(stderr, "\n");
}

} // namespace

int main(int argc, char** argv) {
    bridge::HelperOptions options;
    std::string error;
    if (!bridge::ParseHelperOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "tamberlo-ppdev: %s\n%s", error.c_str(), bridge::HelperUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(bridge::HelperUsage(), stdout);
        return 0;
    }
    bridge::BlockPlace place;
    if (options.checkBlock) {
        std::string words;
        if (!BlockPlace(&place, &error) || !bridge::CheckBlock(place, &words, &error))
            return Fail(error);
        std::printf("%s\n", words.c_str());
        return 0;
    }
    CatchStopSignals();
    if (!WatchParent(options.parent, &error))
        return Fail(error);
    ::prctl(PR_SET_TIMERSLACK, kTimerSlack_ns, 0, 0, 0);

    if (!BlockPlace(&place, &error))
        return Fail(error);
    const std::string& blockPath = place.path;
    bridge::BlockFile block;
    if (!block.Open(place, &error))
        return Fail(error);
    if (block.stalePid() != 0)
        std::fprintf(stderr,
                     "tamberlo-ppdev: removed the shared block that an earlier tamberlo-ppdev "
                     "(process %u) left behind\n",
                     block.stalePid());
    bridge::PpdevPort port;
    if (!port.Open(options.device, g_stop, &error)) {
        if (error.empty())
            return 0; // stopped while waiting for the port
        return Fail(error);
    }
    block.Attach(options.base);
    std::fprintf(stderr, "tamberlo-ppdev: serving %s as I/O 0x%X-0x%X (shared block %s)\n",
                 options.device.c_str(), unsigned{options.base}, unsigned{options.base} + 2u,
                 blockPath.c_str());

    bridge::PortServer server(block, port, options.base);
    const bridge::ServeEnd end = server.Serve(g_stop, options.parent);
    block.Detach();
    port.Close();
    block.Close();
    Report(options.device, options.base, server.counts());
    switch (end) {
    case bridge::ServeEnd::DeviceError:
        return Fail("the printer port " + options.device +
                    " stopped working: " + std::strerror(server.deviceError()));
    case bridge::ServeEnd::Truncated:
        return Fail("the shared block " + blockPath +
                    " was cut short by another program while it was served; tamberlo-ppdev "
                    "stopped. Leave the block alone and start tamberlo again.");
    case bridge::ServeEnd::ParentGone:
        std::fprintf(stderr, "tamberlo-ppdev: the program that started it has ended\n");
        return 0;
    case bridge::ServeEnd::Stopped:
        return 0;
    }
    return 0;
}
