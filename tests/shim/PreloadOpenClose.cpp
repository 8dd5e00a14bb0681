// The shared open and close interception of the tests' LD_PRELOAD shims: see
// PreloadOpenClose.h.
#include "tests/shim/PreloadOpenClose.h"

#include <fcntl.h>

#include <cstdarg>

namespace {

// open's third argument, there only when the call makes a file.
mode_t ModeArgument(int flags, va_list arguments) {
    const bool makes = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return makes ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

} // namespace

int shim::RealOpen(const char* path, int flags, mode_t mode) {
    static const auto realOpen = Real<int (*)(const char*, int, ...)>("open");
    return realOpen(path, flags, mode);
}

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    const int fd = shim::OpenDevice(path, flags);
    return fd != shim::kNotTheShims ? fd : shim::RealOpen(path, flags, mode);
}

// The same function: open64 differs from open only for 32-bit programs.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int close(int fd) {
    static const auto realClose = shim::Real<int (*)(int)>("close");
    shim::ClosingDescriptor(fd);
    return realClose(fd);
}

} // extern "C"
