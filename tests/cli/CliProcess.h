// tamberlo-cli.exe run as a process of its own, its stdout and stderr read through pipes, in
// an environment of the test's choosing (the simulated board's TAMBERLO_SIM_* settings).
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct CliResult {
    DWORD status = 0;
    bool ended = false; // false: it did not end within the time and was stopped
    std::string out;    // stdout and stderr as written
    std::string err;
    std::vector<std::string> outLines; // the same split into lines, line ends removed
    std::vector<std::string> errLines;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs `program` with `arguments` in `folder`. Its environment is this process's without any
// TAMBERLO_SIM_* variable, plus `environment`.
CliResult RunCli(const std::string& program, const std::string& arguments,
                 const std::string& folder, const Environment& environment,
                 DWORD timeoutMs = 180000);

// Runs `program` with `arguments` in `folder` on a console of this process's own (made for
// the run), as a user at a command prompt would, and gives the console's lines afterwards,
// blanks at their ends removed. The status goes to *status.
std::vector<std::string> RunCliOnConsole(const std::string& program, const std::string& arguments,
                                         const std::string& folder, const Environment& environment,
                                         DWORD* status);
