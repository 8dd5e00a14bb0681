// The chip window's texts, built into the caller's buffer.
#include "app/ChipMessages.h"

#include "ops/ChipFacts.h"
#include "ops/ClockChoices.h"
#include "ops/FuseEditing.h"
#include "ops/LockBits.h"
#include "ops/TextWriter.h"
#include "image/EepromImage.h"

#include <cstdio>

namespace {

const char* ChipName(const OperationResult& result) {
    return result.chip != nullptr ? result.chip->name : "chip";
}

void AddAtmegaFuses(CTextWriter& out, const ChipFacts& facts, const OperationResult& reading,
                    const char* lineEnd) {
    const FuseBytes fuses = reading.fusesRead;
    char clock[kClockWordsSize];
    ClockWords(ClockChoiceOf(fuses), CkoptProgrammed(fuses), clock, sizeof clock);
    out.Add("Fuses: Low %02X, High %02X%s", fuses.low, fuses.high, lineEnd);
    out.Add("Clock: %s%s", clock, lineEnd);
    const FuseLayout& layout = *facts.fuses;
    for (std::size_t i = 0; i < layout.settingCount; ++i) {
        const FuseSetting& setting = layout.settings[i];
        out.Add("%s: %s%s%s%s", setting.label, FuseSettingWords(setting, fuses),
                setting.meaning[0] != '\0' ? " (" : "", setting.meaning,
                setting.meaning[0] != '\0' ? ")" : "");
        out.Add("%s", lineEnd);
    }
    out.Add("Calibration bytes:");
    for (unsigned i = 0; i < kCalibrationByteCount; ++i)
        out.Add("%s %s %02X", i == 0 ? "" : ",", CalibrationByteFrequency(i),
                reading.calibration[i]);
    out.Add("%s", lineEnd);
}

} // namespace

const char* ChipReadingText(const OperationResult& reading, const char* lineEnd, char* buffer,
                            std::size_t size) {
    CTextWriter out(buffer, size);
    const unsigned char* s = reading.signature;
    if (IsAt90sLockMode3Signature(s))
        out.Add("Chip: %s (signature %02X %02X %02X)%s", kAt90sLockMode3Words, s[0], s[1], s[2],
                lineEnd);
    else
        out.Add("Chip: %s, signature %02X %02X %02X%s", ChipName(reading), s[0], s[1], s[2],
                lineEnd);
    if (reading.chip == nullptr || reading.chip->facts == nullptr)
        return out.Text();
    const ChipFacts& facts = *reading.chip->facts;
    if (facts.lockByte == LockByteForm::AtmegaLockByte) {
        const AtmegaLockByte lock = DecodeAtmegaLockByte(reading.lockByte);
        out.Add("Lock bits: %s%s", LockModeWords(lock.lock.mode), lineEnd);
        out.Add("Boot lock bits: %s; %s%s", BootLockWords(BootLockField::Blb0, lock.blb0),
                BootLockWords(BootLockField::Blb1, lock.blb1), lineEnd);
    } else {
        const At90sLockAndFuse lock = DecodeAt90sLockAndFuse(reading.lockByte);
        out.Add("Lock bits: %s%s", LockModeWords(lock.lock.mode), lineEnd);
        out.Add("%s: %s%s", kAt90sSpienLabel, ProgrammedWords(lock.spienProgrammed), lineEnd);
        out.Add("%s: %s%s", kAt90sFstrtLabel, ProgrammedWords(lock.fstrtProgrammed), lineEnd);
    }
    if (facts.hasFuseBytes)
        AddAtmegaFuses(out, facts, reading, lineEnd);
    return out.Text();
}

bool FusesNeedXtalPart(FuseBytes fuses) {
    return NeedsXtalPart(ClockChoiceOf(fuses));
}

const char* ClockWarningsText(FuseBytes before, FuseBytes after, std::uint32_t reachable_Hz,
                              char* buffer, std::size_t size) {
    const ClockChoice& clock = ClockChoiceOf(after);
    if (ClockChoiceOf(before).lowBits == clock.lowBits &&
        CkoptProgrammed(before) == CkoptProgrammed(after))
        return nullptr; // the clock stays as it is
    CTextWriter out(buffer, size);
    if (NeedsXtalPart(clock))
        out.Add("Warning: this clock needs %s. If the board has no such part, the chip will "
                "not answer again until a clock is fed into XTAL1 (pin 13).\n",
                XtalPartWords(XtalPartOf(clock)));
    const char* paragraph = out.Length() > 0 ? "\n" : "";
    const std::uint32_t lowest = LowestClock_Hz(clock, CkoptProgrammed(after));
    if (lowest != 0 && lowest < reachable_Hz)
        out.Add("%sWarning: this clock may run as slowly as %u Hz, too slow for tamberlo on this "
                "PC even at Delay Bit 10 (each SCK phase must last more than 2 chip clock "
                "cycles): tamberlo cannot program the chip again.\n",
                paragraph, static_cast<unsigned>(lowest));
    else if (NeedsXtalPart(clock))
        out.Add("%sA slow clock needs a larger Delay Bit: each SCK phase must last more than 2 "
                "chip clock cycles.\n",
                paragraph);
    return out.Length() > 0 ? out.Text() : nullptr;
}

const char* FuseConfirmationText(const FuseLayout& layout, FuseBytes before, FuseBytes after,
                                 std::uint32_t reachable_Hz, char* buffer, std::size_t size) {
    if (before == after)
        return nullptr;
    char changes[2048];
    ListFuseChanges(layout, before, after, "\n", changes, sizeof changes);
    CTextWriter out(buffer, size);
    char low[3];
    char high[3];
    FormatFuseByte(after.low, low, sizeof low);
    FormatFuseByte(after.high, high, sizeof high);
    out.Add("Write the fuses Low %s, High %s? This changes:\n%s", low, high, changes);
    char warnings[1024];
    if (ClockWarningsText(before, after, reachable_Hz, warnings, sizeof warnings) != nullptr)
        out.Add("\n%s", warnings);
    return out.Text();
}

const char* FuseFieldRefusal(const char* field, const char* text, char* buffer, std::size_t size) {
    std::snprintf(buffer, size,
                  "The %s fuse field holds \"%s\", which is not a byte in hex. Type two hex "
                  "digits, such as E1 or 0xE1.\nNothing was written.",
                  field, text);
    return buffer;
}

const char* SpienRefusal(const char* chipName, char* buffer, std::size_t size) {
    std::snprintf(buffer, size,
                  "These fuses would change SPIEN (serial programming enabled) of the %s. The "
                  "cable cannot change it, and without it the chip no longer answers the "
                  "cable: keep the High fuse's bit 5 as the chip holds it.\nNothing was written.",
                  chipName);
    return buffer;
}

const char* ReadFirstText() {
    return "Read the chip first: Write Fuses writes to the chip that Read has shown.";
}

const char* EepromFileTooLargeText(const char* path, std::size_t limit, char* buffer,
                                   std::size_t size) {
    std::snprintf(buffer, size,
                  "%s is too large for EEPROM data: EEPROM files of up to %u bytes are read, and "
                  "the %u bytes of the largest EEPROM of these chips take about 3 KB of HEX.",
                  path, static_cast<unsigned>(limit), static_cast<unsigned>(kEepromImageSize));
    return buffer;
}

const char* FusesWrittenText(const OperationResult& result, char* buffer, std::size_t size) {
    std::snprintf(buffer, size, "Fuses written: Low %02X, High %02X", result.fusesRead.low,
                  result.fusesRead.high);
    return buffer;
}

const char* FstrtWrittenText(const OperationResult& result, char* buffer, std::size_t size) {
    std::snprintf(buffer, size, "%s written: %s", kAt90sFstrtLabel,
                  ProgrammedWords(DecodeAt90sLockAndFuse(result.lockByte).fstrtProgrammed));
    return buffer;
}

const char* MemoryReadText(const char* memory, const OperationResult& result, std::uint32_t kept,
                           const char* file, char* buffer, std::size_t size) {
    if (kept == 0)
        std::snprintf(buffer, size,
                      "The %s of the %s is erased: %s holds only the end-of-file record.", memory,
                      ChipName(result), file);
    else
        std::snprintf(buffer, size, "The %s of the %s was read: %u bytes written to %s.", memory,
                      ChipName(result), static_cast<unsigned>(kept), file);
    return buffer;
}

const char* EepromWrittenText(const OperationResult& result, std::uint32_t fileBytes, char* buffer,
                              std::size_t size) {
    if (result.bytes == 0)
        std::snprintf(buffer, size,
                      "The EEPROM of the %s already holds the file's %u bytes: nothing was "
                      "written.",
                      ChipName(result), static_cast<unsigned>(fileBytes));
    else
        std::snprintf(buffer, size,
                      "EEPROM written: %u of the file's %u bytes differed from the %s's and were "
                      "written and read back.",
                      static_cast<unsigned>(result.bytes), static_cast<unsigned>(fileBytes),
                      ChipName(result));
    return buffer;
}
