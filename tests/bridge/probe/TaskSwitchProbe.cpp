// What a read answered by the bridge's helper costs at the least on a machine where the
// program and the helper share one processor: two processes pass a word back and forth
// through shared memory, each giving the processor away (sched_yield) until the other
// has answered, as the bridge's two sides do there. Run it pinned to one processor
// (taskset); it prints the median round trip: "round_trip_us <microseconds>".
#include <sched.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <new>
#include <vector>

namespace {

constexpr int kRounds = 20000;
constexpr int kRoundsPerSample = 100;

std::uint64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

void WaitFor(const std::atomic<std::uint32_t>& word, std::uint32_t value) {
    while (word.load(std::memory_order_acquire) != value)
        ::sched_yield();
}

} // namespace

int main() {
    void* shared = ::mmap(nullptr, sizeof(std::atomic<std::uint32_t>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        std::perror("task_switch_probe: mmap");
        return 1;
    }
    auto* word = new (shared) std::atomic<std::uint32_t>(0);
    const pid_t other = ::fork();
    if (other < 0) {
        std::perror("task_switch_probe: fork");
        return 1;
    }
    if (other == 0) { // the helper's side: answers every odd value with the next one
        for (std::uint32_t round = 0; round < kRounds; ++round) {
            WaitFor(*word, 2 * round + 1);
            word->store(2 * round + 2, std::memory_order_release);
        }
        ::_exit(0);
    }
    std::vector<double> samples;
    for (std::uint32_t round = 0; round < kRounds; round += kRoundsPerSample) {
        const std::uint64_t start = NowNs();
        for (std::uint32_t step = round; step < round + kRoundsPerSample; ++step) {
            word->store(2 * step + 1, std::memory_order_release);
            WaitFor(*word, 2 * step + 2);
        }
        samples.push_back(static_cast<double>(NowNs() - start) / 1000.0 / kRoundsPerSample);
    }
    ::waitpid(other, nullptr, 0);
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    std::printf("round_trip_us %.2f\n", samples[samples.size() / 2]);
    return 0;
}
