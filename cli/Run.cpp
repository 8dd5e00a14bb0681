// The run: files first, then the settings, then each operation with its report.
#include "cli/Run.h"

#include "app/ChipMessages.h"
#include "app/OutcomeMessages.h"
#include "app/FileAccess.h"
#include "app/MemoryFiles.h"
#include "framework/Sleep.h"
#include "image/HexImage.h"
#include "image/HexWriter.h"
#include "link/ClockReach.h"
#include "ops/ChipFacts.h"
#include "ops/ClockChoices.h"
#include "ops/FuseEditing.h"

#include <cstdio>

namespace {

// Every --program, --verify and --auto (or every --eeprom-write) names one file: `*chosen`
// is set by the first; false after telling, for a second one that differs.
bool OneFile(const char** chosen, const char* file, const char* options, CConsoleOutput& output) {
    if (*chosen == nullptr) {
        *chosen = file;
        return true;
    }
    char first[MAX_PATH];
    char other[MAX_PATH];
    FullPath(*chosen, first);
    FullPath(file, other);
    if (::lstrcmpiA(first, other) == 0)
        return true;
    char text[2 * MAX_PATH + 256];
    std::snprintf(text, sizeof text,
                  "tamberlo-cli: %s take one file per run; this one names %s and %s.", options,
                  first, other);
    output.Error(text);
    return false;
}

// The slowest chip clock this PC still programs at the highest Delay Bit, measured once.
std::uint32_t ReachableClock_Hz() {
    static const std::uint32_t reachable =
        LowestReachableClock_Hz(MeasureBitDelayPass_us(), kHighestDelayBit);
    return reachable;
}

} // namespace

CRun::CRun(const CommandLine& line, CConsoleOutput& output, CPortAccess& access)
    : m_line(line), m_output(output), m_progress(output), m_port(access),
      m_link(m_port, m_settings.delayBit, m_settings.delayByte, &AfxSleep),
      m_ops(m_link, m_flashFile.Image(), m_progress, *this, *this),
      m_chipOps(m_link, m_progress, *this) {}

ExitStatus CRun::Prepare() {
    const char* flashFile = nullptr;
    const char* eepromFile = nullptr;
    char message[kFileMessageSize];
    for (std::size_t i = 0; i < m_line.operationCount; ++i) {
        const Operation& operation = m_line.operations[i];
        switch (operation.kind) {
        case OperationKind::Program:
        case OperationKind::Verify:
        case OperationKind::Auto:
            if (!OneFile(&flashFile, operation.file, "--program, --verify and --auto", m_output))
                return kExitUsage;
            break;
        case OperationKind::EepromWrite:
            if (!OneFile(&eepromFile, operation.file, "--eeprom-write", m_output))
                return kExitUsage;
            break;
        case OperationKind::EepromRead:
        case OperationKind::FlashRead:
            if (!OutputFileUsable(operation.file, message, sizeof message)) {
                m_output.Error(message);
                return kExitUsage;
            }
            break;
        case OperationKind::Fuses:
            if (!ClockAccepted(operation.fuses))
                return kExitUsage;
            break;
        case OperationKind::Erase:
        case OperationKind::Blank:
        case OperationKind::Lock:
        case OperationKind::ReadChip:
            break;
        }
    }
    if (flashFile != nullptr && !LoadFlashFile(flashFile))
        return kExitUsage;
    if (eepromFile != nullptr && !LoadEepromFile(eepromFile))
        return kExitUsage;
    return ResolveLinkSettings(m_line, m_output, &m_settings) ? kExitDone : kExitUsage;
}

bool CRun::LoadFlashFile(const char* name) {
    char message[kFileMessageSize > kHexMessageBufferSize ? kFileMessageSize
                                                          : kHexMessageBufferSize];
    std::uint32_t length = 0;
    switch (ReadWholeFile(name, m_flashFile.FileBuffer(), HexImage::kFileBufferSize, &length,
                          message, sizeof message)) {
    case FileRead::Ok:
        break;
    case FileRead::TooLarge: {
        char path[MAX_PATH];
        FullPath(name, path);
        m_output.Error(FormatHexFileTooLargeMessage(path, message, sizeof message));
        return false;
    }
    case FileRead::Failed:
        m_output.Error(message);
        return false;
    }
    const HexParseResult parsed = m_flashFile.Parse(length);
    if (parsed.status == HexParseStatus::Ok)
        return true;
    m_output.Error(FormatHexParseMessage(parsed, message, sizeof message));
    return false;
}

bool CRun::LoadEepromFile(const char* name) {
    char message[kChipMessageSize];
    if (::LoadEepromFile(name, m_eepromFileText, sizeof m_eepromFileText, &m_eepromFile, message,
                         sizeof message) == nullptr)
        return true;
    m_output.Error(message);
    return false;
}

// A clock that needs a part on XTAL1/XTAL2 stops a chip without that part for good: the
// window asks, the command line wants --yes. Which chip is on the cable is not known yet, but
// the clock bits are the same on every chip with fuse bytes.
bool CRun::ClockAccepted(FuseBytes wanted) {
    if (m_line.yes || !FusesNeedXtalPart(wanted))
        return true;
    FuseBytes before = wanted;
    ApplyClockChoice(kClockChoices[0], &before); // the internal RC: needs no part
    char text[kChipMessageSize];
    const char* warnings =
        ClockWarningsText(before, wanted, ReachableClock_Hz(), text, sizeof text);
    char refusal[kChipMessageSize + 128];
    std::snprintf(refusal, sizeof refusal,
                  "%s\n--fuses %02X:%02X: nothing was written. Give --yes to write these fuses "
                  "all the same.",
                  warnings != nullptr ? warnings : "", wanted.low, wanted.high);
    m_output.Error(refusal);
    return false;
}

ExitStatus CRun::Execute() {
    for (std::size_t i = 0; i < m_line.operationCount; ++i) {
        const ExitStatus status = Run(m_line.operations[i]);
        if (status != kExitDone)
            return status;
    }
    return kExitDone;
}

ExitStatus CRun::Run(const Operation& operation) {
    switch (operation.kind) {
    case OperationKind::Erase:
        return Ended(m_ops.Erase());
    case OperationKind::Blank:
        return Ended(m_ops.BlankCheck());
    case OperationKind::Program:
        return Ended(m_ops.Program());
    case OperationKind::Verify:
        return Ended(m_ops.Verify());
    case OperationKind::Auto:
        return Ended(m_ops.Auto());
    case OperationKind::Lock:
        return Ended(m_ops.LockBit(operation.lock == 1 ? LockChoice::Lock1 : LockChoice::Lock2));
    case OperationKind::ReadChip:
        return ReadChip();
    case OperationKind::Fuses:
        return WriteFuses(operation.fuses);
    case OperationKind::EepromWrite:
        return WriteEeprom();
    case OperationKind::EepromRead:
        return ReadEeprom(operation.file);
    case OperationKind::FlashRead:
        return ReadFlash(operation.file);
    }
    return kExitUsage;
}

ExitStatus CRun::Ended(const OperationResult& result) {
    if (result.outcome != Outcome::NotBlank && result.outcome != Outcome::VerifyError) {
        char text[kOutcomeMessageSize];
        if (const char* message = OutcomeMessage(result, text, sizeof text))
            m_output.Error(message);
    }
    return ExitStatusOf(result.outcome);
}

ExitStatus CRun::ReadChip() {
    const OperationResult reading = m_chipOps.ReadChip();
    if (!reading.Succeeded())
        return Ended(reading);
    char text[kChipMessageSize];
    m_output.Data(ChipReadingText(reading, "\n", text, sizeof text));
    return kExitDone;
}

// The fuses are changed from what the chip holds: it is read first, and a change of SPIEN is
// refused before anything is written.
ExitStatus CRun::WriteFuses(FuseBytes wanted) {
    OperationResult reading = m_chipOps.ReadChip();
    if (!reading.Succeeded())
        return Ended(reading);
    if (!reading.chip->facts->hasFuseBytes) {
        reading.outcome = Outcome::NoFuseBytes;
        return Ended(reading);
    }
    const FuseLayout& layout = *reading.chip->facts->fuses;
    char text[kChipMessageSize];
    if (ChangesSpien(layout, reading.fusesRead, wanted)) {
        m_output.Error(SpienRefusal(reading.chip->name, text, sizeof text));
        return kExitUsage;
    }
    if (ListFuseChanges(layout, reading.fusesRead, wanted, "\n", text, sizeof text).lines > 0)
        m_output.Report(text);
    if (const char* warnings =
            ClockWarningsText(reading.fusesRead, wanted, ReachableClock_Hz(), text, sizeof text))
        m_output.Notice(warnings);
    const OperationResult written = m_chipOps.WriteFuses(reading.signature, wanted);
    if (!written.Succeeded())
        return Ended(written);
    m_output.Report(FusesWrittenText(written, text, sizeof text));
    return kExitDone;
}

ExitStatus CRun::WriteEeprom() {
    const OperationResult result = m_chipOps.WriteEeprom(m_eepromFile);
    if (!result.Succeeded())
        return Ended(result);
    char text[kChipMessageSize];
    m_output.Report(EepromWrittenText(result, m_eepromFile.count, text, sizeof text));
    return kExitDone;
}

ExitStatus CRun::ReadFlash(const char* file) {
    const OperationResult result = m_chipOps.ReadFlash(m_memory, sizeof m_memory);
    if (!result.Succeeded())
        return Ended(result);
    return WriteRead("flash", result, m_memory, FlashBytesToKeep(m_memory, result.bytes), file);
}

ExitStatus CRun::ReadEeprom(const char* file) {
    const OperationResult result = m_chipOps.ReadEeprom(m_memory, sizeof m_memory);
    if (!result.Succeeded())
        return Ended(result);
    return WriteRead("EEPROM", result, m_memory, result.bytes, file);
}

ExitStatus CRun::WriteRead(const char* memory, const OperationResult& result,
                           const unsigned char* data, std::uint32_t count, const char* file) {
    char message[kChipMessageSize];
    if (!SaveMemoryFile(memory, result, data, count, file, m_hexText, sizeof m_hexText, message,
                        sizeof message)) {
        m_output.Error(message);
        return kExitUsage;
    }
    m_output.Report(message);
    return kExitDone;
}

void CRun::Tell(const OperationResult& result) {
    char text[kOutcomeMessageSize];
    if (const char* message = OutcomeMessage(result, text, sizeof text))
        m_output.Error(message);
}

bool CRun::SelectPort() {
    m_port.SetBase(m_settings.base);
    return true;
}
