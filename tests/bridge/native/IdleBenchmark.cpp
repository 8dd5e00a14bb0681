// Prints what tamberlo-ppdev costs while nothing happens, and what idling costs the
// program: the helper's processor share and wake-ups per second over 5 idle seconds
// (once its quiet second is over and it naps), its share during that quiet second, and
// the round trip of the first read after idling next to one while busy. Figures only;
// nothing here fails on timing.
#include "tests/bridge/native/HelperProcess.h"
#include "tests/bridge/native/PosixPlatform.h"
#include "tests/bridge/native/WorkDir.h"

#include "bridge/PortClient.h"

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint16_t kData = 0x378, kStatus = 0x379;
constexpr int kIdleSeconds = 5;
constexpr int kFirstReads = 5;

struct Usage {
    double cpuSeconds = 0;
    unsigned long long switches = 0; // each one a wake-up
};

// The process's time on a processor (schedstat) and its context switches (status).
Usage UsageOf(pid_t pid) {
    Usage usage;
    const std::string proc = "/proc/" + std::to_string(pid);
    unsigned long long ns = 0;
    std::ifstream(proc + "/schedstat") >> ns;
    usage.cpuSeconds = ns / 1e9;
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.find("ctxt_switches:") != std::string::npos)
            usage.switches += std::stoull(line.substr(line.find(':') + 1));
    return usage;
}

double ReadMicroseconds(bridge::PortClient& client) {
    const auto start = Clock::now();
    client.Read(kStatus);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void Busy(bridge::PortClient& client) {
    for (int i = 0; i < 2000; ++i) {
        client.Write(kData, static_cast<std::uint8_t>(i & 0xFC));
        client.Read(kStatus);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Run() {
    WorkDir work;
    HelperProcess helper(work.path(), {"/dev/tamberlo-parport0"});
    PosixPlatform platform(BlockPath(work.path()));
    bridge::PortClient client(platform);
    if (!helper.WaitUntilServing() || !client.IsOpen()) {
        std::printf("the helper does not serve\n");
        return 1;
    }
    Busy(client);
    std::vector<double> busyReads;
    for (int i = 0; i < 1000; ++i)
        busyReads.push_back(ReadMicroseconds(client));

    const Usage quietStart = UsageOf(helper.pid());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const Usage quietEnd = UsageOf(helper.pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const Usage idleStart = UsageOf(helper.pid());
    const auto idleFrom = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const Usage idleEnd = UsageOf(helper.pid());
    const double idleWall = std::chrono::duration<double>(Clock::now() - idleFrom).count();

    std::vector<double> firstReads = {ReadMicroseconds(client)};
    for (int i = 1; i < kFirstReads; ++i) {
        Busy(client);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        firstReads.push_back(ReadMicroseconds(client));
    }

    std::printf("tamberlo-ppdev idle (fake ppdev device)\n");
    std::printf("  processor share over %d idle seconds   %6.3f %% of a core (target < 0.5 %%)\n",
                kIdleSeconds, 100 * (idleEnd.cpuSeconds - idleStart.cpuSeconds) / idleWall);
    std::printf("  wake-ups per second while idle        %6.0f\n",
                (idleEnd.switches - idleStart.switches) / idleWall);
    std::printf("  processor share in the quiet second   %6.1f %% of a core (awake, yielding)\n",
                100 * (quietEnd.cpuSeconds - quietStart.cpuSeconds));
    std::printf("  first read after idling               median %8.1f us, longest %8.1f us "
                "(%d reads)\n",
                Median(firstReads), *std::max_element(firstReads.begin(), firstReads.end()),
                kFirstReads);
    std::printf("  a read while busy                     median %8.1f us\n", Median(busyReads));
    return 0;
}

} // namespace

int main() {
    return Run();
}
