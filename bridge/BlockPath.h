// Where the shared block lives, chosen the same way by the helper, the bridge DLL and
// tamberlo-linux: the path in TAMBERLO_BRIDGE_SHM, else $XDG_RUNTIME_DIR/tamberlo/port,
// in the per-user runtime directory that the login manager makes for each user (mode
// 0700, a tmpfs). Never a shared place such as /dev/shm: anyone who can open the block
// can drive the port, and could answer the program's reads in the helper's place.
#pragma once

#include <cstddef>
#include <string>

namespace bridge {

constexpr const char* kBlockPathVariable = "TAMBERLO_BRIDGE_SHM";
constexpr const char* kRuntimeDirVariable = "XDG_RUNTIME_DIR";
constexpr const char* kBlockDirectoryName = "tamberlo"; // made in the runtime directory
constexpr const char* kBlockFileName = "port";
// The longest path (in bytes) the bridge DLL takes: its Windows form must stay within
// the 260 characters of a Windows path.
constexpr std::size_t kMaxBlockPathBytes = 200;

enum class BlockPathChoice {
    Given,        // TAMBERLO_BRIDGE_SHM
    Default,      // in the runtime directory; its tamberlo directory may be made
    NoRuntimeDir, // neither variable holds an absolute path
    NotAbsolute,  // TAMBERLO_BRIDGE_SHM is a relative path
    TooLong,      // longer than kMaxBlockPathBytes
};

// The block's path from the two variables' values (null or "" when unset). `*path` is
// set for every choice but NoRuntimeDir, so a message can name it.
BlockPathChoice ChooseBlockPath(const char* blockPathValue, const char* runtimeDirValue,
                                std::string* path);

} // namespace bridge
