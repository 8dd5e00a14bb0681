// The Linux file calls of LinuxFiles.h through the C library, for the helper and its
// --check-block (and the native tests, which find the block as the DLL does).
#pragma once

#include "bridge/LinuxFiles.h"

#include <sys/stat.h>

namespace bridge {

class PosixFiles : public LinuxFiles {
public:
    int OpenDirectory(int directory, const char* name) override;
    int OpenFile(int directory, const char* name) override;
    int Stat(int fd, FileFacts* facts) override;
    int StatAt(int directory, const char* name, FileFacts* facts) override;
    std::string LinkTarget(int directory, const char* name) override;
    void Close(int fd) override;
    std::uint32_t User() override;
    std::string ErrorText(int error) override;
};

FileFacts FactsOf(const struct stat& info);

} // namespace bridge
