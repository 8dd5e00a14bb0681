// The SIGBUS guard of the shared block's mapping: see TruncationGuard.h. The handler
// uses only mmap and sigaction, which are plain system calls on Linux.
#include "bridge/helper/TruncationGuard.h"

#include <sys/mman.h>

#include <csignal>
#include <cstdint>

namespace bridge {

namespace {

// Set before the handler is installed and read by it: a signal handler has no other way in.
std::uintptr_t g_start = 0;
std::size_t g_size = 0;
volatile std::sig_atomic_t g_truncated = 0;

void OnBusError(int, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (g_size != 0 && address >= g_start && address - g_start < g_size &&
        ::mmap(reinterpret_cast<void*>(g_start), g_size, PROT_READ | PROT_WRITE,
               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
        g_truncated = 1;
        return;
    }
    struct sigaction fatal {};
    fatal.sa_handler = SIG_DFL;
    ::sigaction(SIGBUS, &fatal, nullptr); // the access faults again, and ends the process
}

} // namespace

void GuardAgainstTruncation(void* start, std::size_t size) {
    g_size = 0;
    g_start = reinterpret_cast<std::uintptr_t>(start);
    g_size = start != nullptr ? size : 0;
    struct sigaction guard {};
    guard.sa_sigaction = &OnBusError;
    guard.sa_flags = SA_SIGINFO;
    ::sigemptyset(&guard.sa_mask);
    ::sigaction(SIGBUS, &guard, nullptr);
}

bool BlockTruncated() {
    return g_truncated != 0;
}

} // namespace bridge
