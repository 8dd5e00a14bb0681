// tamberlo-cli: the console program. It reads its command line, assembles the program (the
// port access, with the driver DLL beside the program as the window finds it) and runs the
// operations; its exit status tells how they ended (cli/ExitStatus.h).
#include "cli/CommandLine.h"
#include "cli/ConsoleOutput.h"
#include "cli/ExitStatus.h"
#include "cli/Run.h"
#include "cli/Usage.h"
#include "port/PortAccess.h"

#include <cstdio>

int main(int argc, char** argv) {
    static CommandLine line;
    char message[kCommandLineMessageSize];
    if (!ParseCommandLine(argc, argv, &line, message, sizeof message)) {
        std::fprintf(stderr, "tamberlo-cli: %s\n", message);
        return kExitUsage;
    }
    if (line.help) {
        PrintUsage(stdout);
        return kExitDone;
    }
    if (line.version) {
        std::printf("%s\n", VersionLine());
        return kExitDone;
    }
    static CConsoleOutput output(line.quiet);
    static CPortAccess access; // the driver DLL beside the program, else the port instructions
    static CRun run(line, output, access);
    const ExitStatus prepared = run.Prepare();
    return prepared != kExitDone ? prepared : run.Execute();
}
