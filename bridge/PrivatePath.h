// The shared block's directory, reached from / one folder at a time: each opened
// relative to the one above and never through a link, and each checked on what was
// opened (see BlockRefusal.h for the rules). Whatever is renamed or replaced on the path
// meanwhile, the directory opened is the one that was checked, and so is every folder
// above it. The helper, its --check-block and the bridge DLL all find the block this way.
#pragma once

#include "bridge/LinuxFiles.h"

#include <string>

namespace bridge {

struct BlockPlace {
    std::string path;       // absolute (see BlockPath.h)
    bool isDefault = false; // $XDG_RUNTIME_DIR/tamberlo/port: the runtime directory's rule
                            // applies, and the helper makes the tamberlo directory
};

enum class WalkEnd {
    Opened,
    Missing, // a folder on the path does not exist
    Refused, // a folder on the path is not safe, or cannot be opened
};

struct WalkResult {
    WalkEnd end = WalkEnd::Refused;
    int directory = -1;                // the block's directory when Opened; the caller closes it
    std::string directoryPath;         // its path
    std::string name;                  // the block file's name in it
    std::string message;               // why, when not Opened
    bool onlyDirectoryMissing = false; // Missing is the block's own directory alone
};

WalkResult OpenBlockDirectory(LinuxFiles& files, const BlockPlace& place);

} // namespace bridge
