// tamberlo-ppdev: the native helper of the bridge inpout32.dll. It claims a printer
// port through ppdev, serves the program's accesses from the shared block until it is
// told to stop (Ctrl-C, SIGTERM, SIGHUP), then detaches, releases the port and reports.
#include "bridge/helper/BlockFile.h"
#include "bridge/helper/HelperOptions.h"
#include "bridge/helper/PortServer.h"
#include "bridge/helper/PpdevPort.h"

#include <sys/prctl.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr unsigned long kTimerSlack_ns = 10'000; // naps of 200 us stay short

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

void Report(const std::string& device, std::uint16_t base, const bridge::ServeCounts& counts) {
    std::fprintf(stderr,
                 "tamberlo-ppdev: released %s; served %llu reads and %llu writes, refused %llu "
                 "accesses outside 0x%X-0x%X\n",
                 device.c_str(), counts.reads, counts.writes, counts.refused, unsigned{base},
                 unsigned{base} + 2u);
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
    CatchStopSignals();
    ::prctl(PR_SET_TIMERSLACK, kTimerSlack_ns, 0, 0, 0);

    const std::string blockPath = bridge::BlockPathFromEnvironment();
    bridge::BlockFile block;
    if (!block.Open(blockPath, &error))
        return Fail(error);
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
    const bool portWorked = server.Serve(g_stop);
    block.Detach();
    port.Close();
    block.Close();
    Report(options.device, options.base, server.counts());
    if (!portWorked)
        return Fail("the printer port " + options.device +
                    " stopped working: " + std::strerror(server.deviceError()));
    return 0;
}
