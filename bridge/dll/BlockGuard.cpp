// The guard of the mapped shared blocks: see BlockGuard.h. The client maps at most two
// blocks at once (the one it uses and, for a moment, the one that replaces it).
#include "bridge/dll/BlockGuard.h"

#include "bridge/dll/LinuxCalls.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace bridge {

namespace {

constexpr int kGuardedViews = 4;

struct GuardedView {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> size{0};
    std::atomic<int> fd{-1};
};

GuardedView g_views[kGuardedViews];

bool CutShort(const GuardedView& view) {
    LinuxCalls calls;
    FileFacts facts;
    return calls.Stat(view.fd.load(), &facts) == 0 && facts.size < view.size.load();
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if ((record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION &&
         record.ExceptionCode != EXCEPTION_IN_PAGE_ERROR) ||
        record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto address = static_cast<std::uintptr_t>(record.ExceptionInformation[1]);
    for (GuardedView& view : g_views) {
        const std::uintptr_t start = view.start.load();
        if (start == 0 || address < start || address - start >= view.size.load())
            continue;
        if (CutShort(view) &&
            ReplaceWithZeroedMemory(reinterpret_cast<void*>(start), view.size.load()))
            return EXCEPTION_CONTINUE_EXECUTION;
        break;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

bool GuardBlock(void* start, std::size_t size, int fd) {
    static const PVOID handler = ::AddVectoredExceptionHandler(1, &OnFault);
    if (handler == nullptr)
        return false;
    for (GuardedView& view : g_views) {
        std::uintptr_t free = 0;
        if (view.start.load() != 0)
            continue;
        view.size.store(size);
        view.fd.store(fd);
        if (view.start.compare_exchange_strong(free, reinterpret_cast<std::uintptr_t>(start)))
            return true;
    }
    return false;
}

void UnguardBlock(void* start) {
    for (GuardedView& view : g_views) {
        if (view.start.load() != reinterpret_cast<std::uintptr_t>(start))
            continue;
        LinuxCalls().Close(view.fd.exchange(-1));
        view.start.store(0);
        return;
    }
}

} // namespace bridge
