// The shared open and close interception of the tests' LD_PRELOAD shims: see
// PreloadOpenClose.h.
#include "tests/shim/PreloadOpenClose.h"

#include <fcntl.h>

#include <cstdarg>

namespace {

// open's third argument is there only when the call makes a file.
bool TakesMode(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

} // namespace

int shim::RealOpen(const char* path, int flags, mode_t mode) {
    static const auto realOpen = Real<int (*)(const char*, int, ...)>("open");
    return realOpen(path, flags, mode);
}

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (TakesMode(flags)) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, int));
        va_end(ap);
    }
    const int fd = shim::OpenDevice(path, flags);
    return fd != shim::kNotTheShims ? fd : shim::RealOpen(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (TakesMode(flags)) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, int));
        va_end(ap);
    }
    return open(path, flags, mode);
}

int close(int fd) {
    static const auto realClose = shim::Real<int (*)(int)>("close");
    shim::ClosingDescriptor(fd);
    return realClose(fd);
}

} // extern "C"
