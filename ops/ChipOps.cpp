// The chip window's operations. Each opens the chip as every operation does, reads the lock
// byte where the lock bits decide whether it may go on, and ends with the port asked and
// the chip released.
#include "ops/ChipOps.h"

#include "ops/ChipFacts.h"
#include "ops/ChipInstructions.h"
#include "ops/LockBits.h"

#include <cstring>

namespace {

// The facts an operation met, copied into the result the session makes.
OperationResult WithFacts(OperationResult result, const OperationResult& facts) {
    result.lockByte = facts.lockByte;
    result.fusesRead = facts.fusesRead;
    result.fusesWanted = facts.fusesWanted;
    std::memcpy(result.calibration, facts.calibration, sizeof result.calibration);
    std::memcpy(result.expectedSignature, facts.expectedSignature, sizeof result.expectedSignature);
    result.bytes = facts.bytes;
    result.dataEnd = facts.dataEnd;
    result.address = facts.address;
    result.wrote = facts.wrote;
    result.found = facts.found;
    return result;
}

int PercentOf(std::uint32_t index, std::uint32_t count) {
    return static_cast<int>(std::uint64_t{index} * 100 / count);
}

} // namespace

CChipOps::CChipOps(CSerialLink& link, CProgressReport& progress, CPortOpening& opening)
    : m_session(link, opening), m_progress(progress) {}

OperationResult CChipOps::End(Outcome outcome, OperationResult facts) {
    const Outcome released = m_session.Release();
    return WithFacts(m_session.Result(released != Outcome::Ok ? released : outcome), facts);
}

LockState CChipOps::Lock(unsigned char lockByte) const {
    return DecodeLockState(m_session.Chip()->facts->lockByte, lockByte);
}

FuseBytes CChipOps::ReadFuses() {
    const unsigned char low = m_session.Send(ReadFuseInstruction(FuseByteId::Low));
    return {low, m_session.Send(ReadFuseInstruction(FuseByteId::High))};
}

Outcome CChipOps::OpenAndReadLock(unsigned char* lockByte) {
    const Outcome opened = m_session.Open();
    if (opened == Outcome::Ok)
        *lockByte = m_session.Send(ReadLockBitsInstruction());
    return opened;
}

bool CChipOps::BeginWrite(const unsigned char readSignature[3], bool ChipFacts::*has,
                          OperationResult* facts, OperationResult* ended) {
    const Outcome opened = OpenAndReadLock(&facts->lockByte);
    if (opened != Outcome::Ok) {
        *ended = m_session.Result(opened); // released already, or never taken
        return false;
    }
    Outcome refusal = Outcome::Ok;
    if (std::memcmp(m_session.Signature(), readSignature, sizeof facts->expectedSignature) != 0) {
        std::memcpy(facts->expectedSignature, readSignature, sizeof facts->expectedSignature);
        refusal = Outcome::OtherChip;
    } else if (!(m_session.Chip()->facts->*has)) {
        refusal = Outcome::NoFuseBytes;
    } else if (Lock(facts->lockByte).lockBit1) {
        refusal = Outcome::WriteLocked;
    }
    if (refusal == Outcome::Ok)
        return true;
    *ended = End(refusal, *facts);
    return false;
}

OperationResult CChipOps::ReadChip() {
    OperationResult facts;
    const Outcome opened = OpenAndReadLock(&facts.lockByte);
    if (opened != Outcome::Ok)
        return m_session.Result(opened);
    const ChipFacts& chip = *m_session.Chip()->facts;
    if (chip.hasFuseBytes)
        facts.fusesRead = ReadFuses();
    if (chip.hasCalibrationBytes) {
        for (unsigned index = 0; index < kCalibrationByteCount; ++index) {
            SerialInstruction read = {};
            if (ReadCalibrationInstruction(index, &read))
                facts.calibration[index] = m_session.Send(read);
        }
    }
    return End(Outcome::Ok, facts);
}

OperationResult CChipOps::WriteFuses(const unsigned char readSignature[3], FuseBytes wanted) {
    OperationResult facts;
    OperationResult ended;
    if (!BeginWrite(readSignature, &ChipFacts::hasFuseBytes, &facts, &ended))
        return ended;
    const ChipFacts& chip = *m_session.Chip()->facts;

    const FuseBytes held = ReadFuses();
    // The cable cannot change SPIEN: it is written as the chip holds it.
    if (const FuseSetting* spien = FindFuseSetting(*chip.fuses, "SPIEN")) {
        unsigned char& byte = spien->byte == FuseByteId::Low ? wanted.low : wanted.high;
        const unsigned char kept = spien->byte == FuseByteId::Low ? held.low : held.high;
        byte = static_cast<unsigned char>((byte & ~spien->mask) | (kept & spien->mask));
    }
    facts.fusesWanted = wanted;
    if (wanted.low != held.low) {
        m_session.Send(WriteFuseInstruction(FuseByteId::Low, wanted.low));
        m_session.WaitDelayByte(chip.fuseWriteWait_us);
    }
    if (wanted.high != held.high) {
        m_session.Send(WriteFuseInstruction(FuseByteId::High, wanted.high));
        m_session.WaitDelayByte(chip.fuseWriteWait_us);
    }
    facts.fusesRead = ReadFuses();
    return End(facts.fusesRead == wanted ? Outcome::Ok : Outcome::FuseMismatch, facts);
}

OperationResult CChipOps::WriteFstrt(const unsigned char readSignature[3], bool programmed) {
    OperationResult facts;
    OperationResult ended;
    if (!BeginWrite(readSignature, &ChipFacts::hasFstrt, &facts, &ended))
        return ended;
    const ChipFacts& chip = *m_session.Chip()->facts;

    m_session.Send(WriteFstrtInstruction(programmed));
    m_session.WaitDelayByte(chip.fuseWriteWait_us);
    facts.lockByte = m_session.Send(ReadLockBitsInstruction());
    const bool nowProgrammed = DecodeAt90sLockAndFuse(facts.lockByte).fstrtProgrammed;
    return End(nowProgrammed == programmed ? Outcome::Ok : Outcome::FuseMismatch, facts);
}

template <typename Bytes, typename Instruction>
OperationResult CChipOps::ReadMemory(Step step, unsigned char* buffer, std::uint32_t size,
                                     Bytes memoryBytes, Instruction instruction) {
    OperationResult facts;
    const Outcome opened = OpenAndReadLock(&facts.lockByte);
    if (opened != Outcome::Ok)
        return m_session.Result(opened);
    if (Lock(facts.lockByte).lockBit2)
        return End(Outcome::ReadLocked, facts);
    const ChipInfo& chip = *m_session.Chip();
    const std::uint32_t bytes = memoryBytes(chip);
    facts.bytes = bytes < size ? bytes : size;
    m_progress.Begin(step, static_cast<int>(facts.bytes));
    for (std::uint32_t index = 0; index < facts.bytes; ++index) {
        buffer[index] = m_session.Send(instruction(chip, index));
        m_progress.Percent(step, PercentOf(index, facts.bytes));
        m_progress.StepIt();
    }
    const OperationResult result = End(Outcome::Ok, facts);
    if (result.Succeeded())
        m_progress.Done(step);
    return result;
}

OperationResult CChipOps::ReadFlash(unsigned char* buffer, std::uint32_t size) {
    return ReadMemory(
        Step::ReadFlash, buffer, size, [](const ChipInfo& chip) { return chip.flashBytes; },
        [](const ChipInfo&, std::uint32_t index) { return ReadFlashInstruction(index); });
}

OperationResult CChipOps::ReadEeprom(unsigned char* buffer, std::uint32_t size) {
    return ReadMemory(
        Step::ReadEeprom, buffer, size,
        [](const ChipInfo& chip) { return chip.facts->eepromBytes; },
        [](const ChipInfo& chip, std::uint32_t index) {
            SerialInstruction read = {};
            ReadEepromInstruction(*chip.facts, index, &read);
            return read;
        });
}

OperationResult CChipOps::WriteEeprom(const EepromImage& data) {
    OperationResult facts;
    const Outcome opened = OpenAndReadLock(&facts.lockByte);
    if (opened != Outcome::Ok)
        return m_session.Result(opened);
    const ChipFacts& chip = *m_session.Chip()->facts;
    facts.dataEnd = data.end;
    if (data.end > chip.eepromBytes)
        return End(Outcome::EepromTooLarge, facts);
    if (Lock(facts.lockByte).lockBit1)
        return End(Outcome::WriteLocked, facts);
    if (Lock(facts.lockByte).lockBit2)
        return End(Outcome::ReadLocked, facts); // what was written could not be read back

    // Only the bytes that differ are written; each takes its write time.
    bool written[kEepromImageSize] = {};
    m_progress.Begin(Step::WriteEeprom, static_cast<int>(data.count));
    std::uint32_t done = 0;
    for (std::uint32_t address = 0; address < data.end; ++address) {
        if (!data.present[address])
            continue;
        SerialInstruction instruction = {};
        ReadEepromInstruction(chip, address, &instruction);
        if (m_session.Send(instruction) != data.bytes[address]) {
            WriteEepromInstruction(chip, address, data.bytes[address], &instruction);
            m_session.Send(instruction);
            m_session.WaitDelayByte(chip.eepromWriteWait_us);
            written[address] = true;
            ++facts.bytes;
        }
        m_progress.Percent(Step::WriteEeprom, PercentOf(done++, data.count));
        m_progress.StepIt();
    }
    // Nothing counts as written that was not read back.
    Outcome outcome = Outcome::Ok;
    for (std::uint32_t address = 0; address < data.end && outcome == Outcome::Ok; ++address) {
        if (!written[address])
            continue;
        SerialInstruction read = {};
        ReadEepromInstruction(chip, address, &read);
        const unsigned char found = m_session.Send(read);
        if (found != data.bytes[address]) {
            facts.address = address;
            facts.wrote = data.bytes[address];
            facts.found = found;
            outcome = Outcome::EepromVerifyError;
        }
    }
    const OperationResult result = End(outcome, facts);
    if (result.Succeeded())
        m_progress.Done(Step::WriteEeprom);
    return result;
}
