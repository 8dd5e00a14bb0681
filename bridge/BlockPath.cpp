// Where the shared block lives: see BlockPath.h.
#include "bridge/BlockPath.h"

namespace bridge {

namespace {

bool IsSet(const char* value) {
    return value != nullptr && *value != '\0';
}

} // namespace

BlockPathChoice ChooseBlockPath(const char* blockPathValue, const char* runtimeDirValue,
                                std::string* path) {
    BlockPathChoice choice = BlockPathChoice::Given;
    if (IsSet(blockPathValue)) {
        *path = blockPathValue;
        if (path->front() != '/')
            return BlockPathChoice::NotAbsolute;
    } else {
        // A relative XDG_RUNTIME_DIR is invalid and must be ignored (XDG Base Directory
        // rules): it would put the block wherever the program happens to start.
        if (!IsSet(runtimeDirValue) || *runtimeDirValue != '/')
            return BlockPathChoice::NoRuntimeDir;
        *path = runtimeDirValue;
        while (path->size() > 1 && path->back() == '/')
            path->pop_back();
        *path +=
            std::string(path->size() > 1 ? "/" : "") + kBlockDirectoryName + "/" + kBlockFileName;
        choice = BlockPathChoice::Default;
    }
    return path->size() > kMaxBlockPathBytes ? BlockPathChoice::TooLong : choice;
}

} // namespace bridge
