// What tamberlo-ppdev accepts at the shared block's place, and what it tells the user
// when it refuses: the directory must be the user's own with no permissions for group
// or others, and a file already at the path must be a regular file of the user's, used
// by no one else and with no second name. Anything else could let another user reach
// the port, or turn one of the user's files into the block.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace bridge {

// The directory that holds the block (`info` from fstat of the opened directory). Empty
// when it is acceptable, else the message. `madeByHelper`: the helper makes it anew
// when it is removed.
std::string DirectoryRefusal(const struct stat& info, const std::string& directory, uid_t user,
                             bool madeByHelper);

// A file found at the block's path (`info` from lstat of it; `linkTarget` the target
// when it is a symbolic link). Empty when it may be a block of this user's.
std::string FileRefusal(const struct stat& info, const std::string& path, uid_t user,
                        const std::string& linkTarget);

} // namespace bridge
