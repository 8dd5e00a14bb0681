// The open and close interception that the tests' LD_PRELOAD shims share: open() and
// open64() of the shim's own device path go to the shim, and so does close() of the
// descriptor it handed out; everything else goes on to the C library. A shim that links
// this defines the two functions below.
#pragma once

#include <dlfcn.h>
#include <sys/types.h>

namespace shim {

// The C library's own definition of `name`, the one after the shim's.
template <typename Fn> Fn Real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

// What OpenDevice returns for a path that is not the shim's.
constexpr int kNotTheShims = -2;

// Defined by the shim: opens its device when `path` names it (a descriptor, or -1 with
// errno set); kNotTheShims for every other path.
int OpenDevice(const char* path, int flags);
// Defined by the shim: `fd` is about to be closed; the shim lets its device go when it
// is its own.
void ClosingDescriptor(int fd);

// The C library's open, for a shim that stands its device on a real descriptor.
int RealOpen(const char* path, int flags, mode_t mode = 0);

} // namespace shim
