// What the helper, its --check-block and the bridge DLL accept on the shared block's
// path, and what they tell the user when they refuse. Every folder from / down must be
// root's or the user's and writable by no one else (a sticky folder such as /tmp is
// allowed: there nobody may rename or remove what another user owns, and the folder
// below it must pass the same rule); XDG_RUNTIME_DIR, for the default place, must be the
// user's with mode 0700; the block's own directory must be the user's with no
// permissions for anyone else. A file at the path must be a regular file of the user's,
// used by no one else and with no second name; the helper removes it only when it is a
// block an earlier helper left behind, and the DLL takes it only when it is the very
// file its helper made. Anything else could let another user reach the port, or turn
// one of the user's files into the block. Each message names the place and says what
// to change.
#pragma once

#include "bridge/LinuxFiles.h"
#include "bridge/SharedBlock.h"

#include <cstdint>
#include <string>

namespace bridge {

// A folder above the block's directory. Empty when it is acceptable.
std::string FolderRefusal(const FileFacts& folder, const std::string& path, std::uint32_t user);
// XDG_RUNTIME_DIR, for the default place.
std::string RuntimeDirRefusal(const FileFacts& folder, const std::string& path, std::uint32_t user);
// A symbolic link on the path, where a folder should be. `madeByHelper`: the block's
// directory of the default place, which the helper makes itself.
std::string LinkOnPathRefusal(const std::string& path, const std::string& target,
                              bool madeByHelper);
// Something else than a folder on the path.
std::string NotAFolderRefusal(const std::string& path, const FileFacts& found);

// The directory that holds the block. `madeByHelper` as above.
std::string DirectoryRefusal(const FileFacts& directory, const std::string& path,
                             std::uint32_t user, bool madeByHelper);

// A file found at the block's path (`found` of the name itself; `linkTarget` when it is
// a symbolic link). Empty when it may be a block of this user's.
std::string FileRefusal(const FileFacts& found, const std::string& path, std::uint32_t user,
                        const std::string& linkTarget);

// A file at the block's path that the helper may remove as a leftover: exactly a block's
// size, with the block's magic and version (`magic` and `version` as the file holds them).
std::string LeftoverRefusal(const FileFacts& file, const std::string& path, std::uint32_t magic,
                            std::uint32_t version);

// A block whose magic is right but whose version is not this one's.
std::string VersionRefusal(const std::string& path, std::uint32_t version);

// The mapped block must name the file it was mapped from (`file`, as opened), made by
// this user. Empty when it does.
std::string IdentityRefusal(const SharedBlock& block, const FileFacts& file,
                            const std::string& path, std::uint32_t user);
// Records `file` in the block as the file the helper made.
void RecordIdentity(SharedBlock& block, const FileFacts& file);

} // namespace bridge
