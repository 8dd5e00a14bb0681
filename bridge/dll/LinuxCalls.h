// Linux system calls made straight from the bridge DLL. Under Wine a Windows program is
// a Linux process, and the kernel takes a system call from any of its code; the DLL
// needs a few that Win32 has no word for: folders opened without following links and
// the owner, mode, device and inode of what was opened (LinuxFiles.h), a message on
// the terminal's stderr, and fresh memory in place of a block cut short.
#pragma once

#include "bridge/LinuxFiles.h"

#include <cstddef>
#include <string>

namespace bridge {

class LinuxCalls : public LinuxFiles {
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

// Writes `text` to the process's stderr (the terminal tamberlo-linux runs in).
void WriteToStderr(const std::string& text);

// Puts zeroed private memory in place of `size` bytes at `start`, in one step (mmap
// with MAP_FIXED): safe inside an exception handler. False when the kernel refused.
bool ReplaceWithZeroedMemory(void* start, std::size_t size);

} // namespace bridge
