// CRun: one run of the console program. Prepare checks everything that needs no chip (the
// files read and parsed, the files to write, the fuses' clock, the settings) before the port
// is touched; Execute then runs the operations in the order given and ends at the first
// that fails. Every message the window shows in a box goes to stderr with the same text.
#pragma once
#include "cli/CommandLine.h"
#include "cli/ConsoleOutput.h"
#include "cli/ConsoleProgress.h"
#include "cli/ExitStatus.h"
#include "cli/LinkSettings.h"
#include "link/ParallelPort.h"
#include "image/EepromImage.h"
#include "image/HexImage.h"
#include "image/HexWriter.h"
#include "link/SerialLink.h"
#include "ops/ChipOps.h"
#include "ops/DeviceOps.h"

class CRun : private CDeviceMessages, private CPortOpening {
public:
    // `access` reaches the printer port (kept by the caller for the run's life). The object
    // holds the files and what a read brings (a few hundred KB): give it static storage.
    CRun(const CommandLine& line, CConsoleOutput& output, CPortAccess& access);

    ExitStatus Prepare();
    ExitStatus Execute();

private:
    // Prepare's parts; each false after telling why.
    bool LoadFlashFile(const char* name);
    bool LoadEepromFile(const char* name);
    bool ClockAccepted(FuseBytes wanted);

    ExitStatus Run(const Operation& operation);
    // The status of a result, after telling its message (NotBlank and VerifyError were told
    // while the chip was held).
    ExitStatus Ended(const OperationResult& result);
    ExitStatus ReadChip();
    ExitStatus WriteFuses(FuseBytes wanted);
    ExitStatus WriteEeprom();
    ExitStatus ReadFlash(const char* file);
    ExitStatus ReadEeprom(const char* file);
    // Writes data[0..count) to `file` as Intel HEX and tells MemoryReadText.
    ExitStatus WriteRead(const char* memory, const OperationResult& result,
                         const unsigned char* data, std::uint32_t count, const char* file);

    // Told at their moment, while the chip is held (NotBlank, VerifyError).
    void Tell(const OperationResult& result) override;
    // The settings were read and checked before the first operation.
    bool SelectPort() override;
    bool DelaysUsable() override { return true; }

    // The flash file, the EEPROM file, and a read with its text. The flash image is as large
    // as the largest flash of the chips this program programs, so a read of any fits it.
    HexImage m_flashFile;
    unsigned char m_eepromFileText[kMaxHexFileSize];
    EepromImage m_eepromFile;
    unsigned char m_memory[kFlashImageSize];
    char m_hexText[IntelHexSize(kFlashImageSize)];
    const CommandLine& m_line;
    CConsoleOutput& m_output;
    CConsoleProgress m_progress;
    LinkSettings m_settings = {1, 0, 1, 1};
    CParallelPort m_port;
    CSerialLink m_link;
    CDeviceOps m_ops;
    CChipOps m_chipOps;
};
