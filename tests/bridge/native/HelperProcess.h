// tamberlo-ppdev started by a test on the fake ppdev device, with a block and a chip
// file of the test's own, its stdout and stderr kept in files.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct HelperRun {
    int exitCode = -1; // when it exited
    int signal = 0;    // when a signal ended it
    std::string stderrText;
    std::string stdoutText;
};

class HelperProcess {
public:
    // `environment` adds NAME=VALUE settings (e.g. TAMBERLO_FAKE_PPDEV_FAIL) to the ones
    // every run gets, or replaces them ("NAME=" removes one): the fake device preloaded,
    // the block (BlockPath), chip file and device log in `workDir`.
    HelperProcess(const std::string& workDir, std::vector<std::string> arguments,
                  std::vector<std::string> environment = {});
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // True once the helper has attached to the block; false if it exited first or took
    // longer than a few seconds.
    bool WaitUntilServing();
    void Signal(int signal);
    // Waits for the helper's end (at most a few seconds, then kills it) and collects it.
    HelperRun Wait();
    pid_t pid() const { return m_pid; }
    // The block's path as the helper chooses it from its environment.
    const std::string& blockPath() const { return m_blockPath; }

private:
    std::string m_blockPath;
    std::string m_stderrPath;
    std::string m_stdoutPath;
    pid_t m_pid = -1;
    bool m_ended = false; // reaped while waiting for it to serve
    int m_status = 0;
};

// The block path, chip file and fake-device log of `workDir`.
std::string BlockPath(const std::string& workDir);
std::string ChipPath(const std::string& workDir);
std::string DeviceLogPath(const std::string& workDir);
// Runs the helper to its end with `arguments` and `environment` (for runs that fail).
HelperRun RunHelper(const std::string& workDir, std::vector<std::string> arguments,
                    std::vector<std::string> environment = {});
std::string ReadFile(const std::string& path);
