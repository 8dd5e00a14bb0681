// The walk down to the shared block's directory: see PrivatePath.h.
#include "bridge/PrivatePath.h"

#include "bridge/BlockRefusal.h"

#include <vector>

namespace bridge {

namespace {

// The folder names of `path` below /, and the file name last; false when the path has
// "." or ".." in it.
bool Split(const std::string& path, std::vector<std::string>* names) {
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        if (name == "." || name == "..")
            return false;
        if (!name.empty())
            names->push_back(name);
        start = end + 1;
    }
    return !names->empty();
}

WalkResult Refused(std::string message) {
    WalkResult result;
    result.message = std::move(message);
    return result;
}

// Why the folder `name` (at `path`) in `parent` did not open with `error`.
WalkResult NotOpened(LinuxFiles& files, int parent, const std::string& name,
                     const std::string& path, int error, bool madeByHelper) {
    FileFacts found;
    if (files.StatAt(parent, name.c_str(), &found) == 0) {
        if (found.Is(kTypeLink))
            return Refused(
                LinkOnPathRefusal(path, files.LinkTarget(parent, name.c_str()), madeByHelper));
        if (!found.Is(kTypeDirectory))
            return Refused(NotAFolderRefusal(path, found));
    }
    WalkResult result = Refused(
        "cannot open the directory " + path + " of the shared block: " + files.ErrorText(error) +
        (error == kNoSuchFile
             ? ". Make it (mkdir -m 700 " + path + "), or choose another path with "
             : ". Choose a path through directories you may open, with ") +
        "TAMBERLO_BRIDGE_SHM.");
    if (error == kNoSuchFile)
        result.end = WalkEnd::Missing;
    return result;
}

} // namespace

WalkResult OpenBlockDirectory(LinuxFiles& files, const BlockPlace& place) {
    std::vector<std::string> names;
    if (place.path.empty() || place.path.back() == '/')
        return Refused("the shared block's path " + place.path +
                       " names a directory; give a file's path.");
    if (place.path[0] != '/' || !Split(place.path, &names))
        return Refused("the shared block's path " + place.path +
                       " has . or .. in it; give it from the root without them.");
    // Levels: 0 is /, level i the folder names[i - 1]; the last level holds the block.
    const std::size_t blockLevel = names.size() - 1;
    const std::size_t runtimeLevel =
        place.isDefault && blockLevel >= 1 ? blockLevel - 1 : static_cast<std::size_t>(-1);
    const std::uint32_t user = files.User();
    std::string path = "/";
    int directory = files.OpenDirectory(LinuxFiles::kNoDirectory, "/");
    if (directory < 0)
        return Refused("cannot open the root directory: " + files.ErrorText(-directory));
    for (std::size_t level = 0;; ++level) {
        if (level > 0) {
            const std::string& name = names[level - 1];
            path += (level > 1 ? "/" : "") + name;
            const int next = files.OpenDirectory(directory, name.c_str());
            if (next < 0) {
                const bool madeByHelper = place.isDefault && level == blockLevel;
                WalkResult result = NotOpened(files, directory, name, path, -next, madeByHelper);
                result.onlyDirectoryMissing = level == blockLevel;
                files.Close(directory);
                return result;
            }
            files.Close(directory);
            directory = next;
        }
        FileFacts facts;
        std::string refusal;
        if (const int error = files.Stat(directory, &facts); error != 0)
            refusal = "cannot look at the directory " + path + ": " + files.ErrorText(-error);
        else if (!facts.Is(kTypeDirectory))
            refusal = NotAFolderRefusal(path, facts);
        else if (level == blockLevel)
            refusal = DirectoryRefusal(facts, path, user, place.isDefault);
        else if (level == runtimeLevel)
            refusal = RuntimeDirRefusal(facts, path, user);
        else
            refusal = FolderRefusal(facts, path, user);
        if (!refusal.empty()) {
            files.Close(directory);
            return Refused(refusal);
        }
        if (level == blockLevel)
            break;
    }
    WalkResult result;
    result.end = WalkEnd::Opened;
    result.directory = directory;
    result.directoryPath = path;
    result.name = names.back();
    return result;
}

} // namespace bridge
