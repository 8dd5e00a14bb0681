// What a simulated chip does with a recognised instruction: the answers of reads (with
// data polling and lock protection), and the effects and self-timed cycles of writes,
// page loads and writes, chip erase, lock bits and fuses.
#include "sim/Chip.h"

#include "sim/ChipTiming.h"

namespace sim {

namespace {
// An AT90S write into EEPROM first erases the byte (reads 0x00), then programs it
// (reads 0xFF); each phase takes half of the write time.
constexpr unsigned kEepromEraseShareDivisor = 2;
// A signature address past the three bytes.
constexpr std::uint8_t kNoSignatureByte = 0xFF;

// Counts a read of one byte; a memory put in from outside may be larger than the
// counters were made for.
void CountRead(std::vector<std::uint32_t>* reads, std::size_t byte) {
    if (byte < reads->size()) {
        ++(*reads)[byte];
    }
}

// Instructions that change flash, EEPROM or fuses: lock bit 1 refuses them.
bool ProgramsMemory(Op op) {
    switch (op) {
    case Op::WriteFlashLow:
    case Op::WriteFlashHigh:
    case Op::WritePage:
    case Op::WriteEeprom:
    case Op::WriteFstrt:
    case Op::WriteFuseLow:
    case Op::WriteFuseHigh:
        return true;
    default:
        return false;
    }
}
} // namespace

std::size_t Chip::FlashIndex(std::uint32_t wordAddress, bool highByte) const {
    // Address bits beyond the chip's flash are not decoded.
    return (std::size_t{wordAddress} * 2 + (highByte ? 1 : 0)) % memory_.flash.size();
}

std::uint8_t Chip::MemoryRead(std::uint8_t stored, std::uint64_t nowNs) const {
    if (memory_.readProtected()) {
        return kLockedReadValue;
    }
    if (!BusyAt(nowNs)) {
        return stored;
    }
    // Data polling: the memory under a self-timed write answers 0xFF, except for the
    // auto-erase half of an AT90S EEPROM write, which answers 0x00.
    if (busy_.kind == BusyKind::EepromWrite && model_->eepromPollsErasePhase &&
        nowNs < busy_.startNs + (busy_.untilNs - busy_.startNs) / kEepromEraseShareDivisor) {
        return 0x00;
    }
    return 0xFF;
}

std::array<std::uint8_t, 3> Chip::LockFuseBytes() const {
    return {memory_.lockFuse, memory_.lowFuse, memory_.highFuse};
}

std::uint8_t Chip::LockFuseRead(LockFuseByte which, std::uint64_t nowNs) const {
    // While lock or fuse bits are written they read as they were; the new value shows
    // when the write cycle ends (the datasheets do not say). A programmer that polls for
    // the value it wrote thus waits for the whole cycle, whatever the value.
    const bool writing = BusyAt(nowNs) && busy_.kind == BusyKind::LockFuseWrite;
    return (writing ? lockFuseBefore_ : LockFuseBytes())[static_cast<std::size_t>(which)];
}

std::uint8_t Chip::ReadAnswer(const InstructionPattern& p, std::uint32_t word,
                              std::uint64_t nowNs) {
    const std::uint32_t address = AddressOf(word, p);
    switch (p.op) {
    case Op::ReadFlashLow:
    case Op::ReadFlashHigh: {
        const std::size_t byte = FlashIndex(address, p.op == Op::ReadFlashHigh);
        CountRead(&counters_.flashReads, byte);
        ++counters_.flashReadsTotal;
        auto stuck = config_.stuckFlash.find(static_cast<std::uint32_t>(byte));
        const std::uint8_t stored =
            stuck != config_.stuckFlash.end() ? stuck->second : memory_.flash[byte];
        return MemoryRead(stored, nowNs);
    }
    case Op::ReadEeprom: {
        const std::size_t byte = address % memory_.eeprom.size();
        CountRead(&counters_.eepromReads, byte);
        ++counters_.eepromReadsTotal;
        return MemoryRead(memory_.eeprom[byte], nowNs);
    }
    case Op::ReadLockFuse:
        ++counters_.lockFuseReads;
        return LockFuseRead(LockFuseByte::Lock, nowNs);
    case Op::ReadFuseLow:
        ++counters_.lockFuseReads;
        return LockFuseRead(LockFuseByte::LowFuse, nowNs);
    case Op::ReadFuseHigh:
        ++counters_.lockFuseReads;
        return LockFuseRead(LockFuseByte::HighFuse, nowNs);
    case Op::ReadCalibration:
        return memory_.calibration[address % kCalibrationBytes];
    case Op::ReadSignature:
        ++counters_.signatureReads;
        // An AT90S chip in lock mode 3 answers the signature's own address: 0x00 0x01 0x02.
        if (model_->hidesSignatureInLockMode3 && memory_.readProtected()) {
            return static_cast<std::uint8_t>(address);
        }
        return address < 3 ? model_->signature[address] : kNoSignatureByte;
    default:
        return 0x00;
    }
}

void Chip::StartBusy(BusyKind kind, const CycleTime& time, std::uint64_t nowNs) {
    busy_ = {kind, nowNs, nowNs + CycleTime_ns(time, config_.supplyVolts)};
    dirty_ = true;
}

void Chip::CountExecuted() {
    ++counters_.instructionsExecuted;
    if (config_.stopAfterInstructions != 0 &&
        counters_.instructionsExecuted >= config_.stopAfterInstructions) {
        stopped_ = true;
    }
}

void Chip::Execute(std::uint32_t word, std::uint64_t nowNs) {
    const InstructionPattern* p = Recognise(word, ~0u);
    if (p == nullptr) {
        ++counters_.instructionsUnknown;
        return;
    }
    if (p->op == Op::ProgrammingEnable) {
        // With SPIEN unprogrammed the serial interface stays closed.
        if (memory_.spienProgrammed()) {
            enabled_ = true;
        }
        CountExecuted();
        return;
    }
    if (p->answersInLastByte) {
        CountExecuted(); // the answer was latched after the third byte
        return;
    }
    // The chip ignores an instruction that began while it was still busy, even if the
    // cycle has finished by the time the last bit arrives.
    if (BusyAt(frameStartNs_)) {
        ++counters_.instructionsLost;
        return;
    }
    CountExecuted();
    if (memory_.writeProtected() && ProgramsMemory(p->op)) {
        ++counters_.writesRefusedByLock;
        return;
    }
    lockFuseBefore_ = LockFuseBytes();
    ExecuteWrite(*p, word, nowNs);
}

void Chip::ExecuteWrite(const InstructionPattern& p, std::uint32_t word, std::uint64_t nowNs) {
    const std::uint32_t address = AddressOf(word, p);
    const std::uint8_t data = static_cast<std::uint8_t>(ExtractField(word, p.dataMask));
    const ChipCycleTimes& times = model_->times;
    switch (p.op) {
    case Op::WriteFlashLow:
    case Op::WriteFlashHigh:
        // Without an erase, programming can only clear bits.
        memory_.flash[FlashIndex(address, p.op == Op::WriteFlashHigh)] &= data;
        ++counters_.flashWrites;
        StartBusy(BusyKind::FlashWrite, times.flashWrite, nowNs);
        break;
    case Op::LoadPageLow:
    case Op::LoadPageHigh:
        // The address is the word's place in the page; loading takes no time.
        pageBuffer_[(address % model_->pageWords) * 2 + (p.op == Op::LoadPageHigh ? 1 : 0)] = data;
        ++counters_.pageLoads;
        break;
    case Op::WritePage:
        WritePage(address);
        ++counters_.pageWrites;
        StartBusy(BusyKind::FlashWrite, times.flashWrite, nowNs);
        break;
    case Op::WriteEeprom:
        memory_.eeprom[address % memory_.eeprom.size()] = data; // erases the byte itself first
        ++counters_.eepromWrites;
        StartBusy(BusyKind::EepromWrite, times.eepromWrite, nowNs);
        break;
    case Op::ChipErase:
        // Fuses are not changed; EESAVE counts as soon as it is programmed, unlike the
        // other fuses, which are latched on entering programming mode.
        memory_.flash.fill(kErasedByte);
        if (!memory_.eepromKeptThroughErase()) {
            memory_.eeprom.fill(kErasedByte);
        }
        memory_.lockFuse |= model_->lockBits;
        ++counters_.chipErases;
        StartBusy(BusyKind::Erase, times.chipErase, nowNs);
        break;
    case Op::WriteLockBits:
        // AT90S: instruction bit 2 = 0 programs LB2, bit 1 = 0 programs LB1; only an
        // erase unprograms them.
        if ((data & 0x2) == 0) {
            memory_.lockFuse &= static_cast<std::uint8_t>(~model_->lockBit2);
        }
        if ((data & 0x1) == 0) {
            memory_.lockFuse &= static_cast<std::uint8_t>(~model_->lockBit1);
        }
        StartBusy(BusyKind::LockFuseWrite, times.lockWrite, nowNs);
        break;
    case Op::WriteLockByte:
        // ATmega: each 0 in bits 5-0 programs that lock bit; a 1 leaves it as it is.
        memory_.lockFuse &= static_cast<std::uint8_t>(data | ~model_->lockBits);
        StartBusy(BusyKind::LockFuseWrite, times.lockWrite, nowNs);
        break;
    case Op::WriteFstrt:
        memory_.lockFuse = static_cast<std::uint8_t>((memory_.lockFuse & ~kFstrtBit) | data);
        StartBusy(BusyKind::LockFuseWrite, times.lockWrite, nowNs);
        break;
    case Op::WriteFuseLow:
        memory_.lowFuse = data;
        StartBusy(BusyKind::LockFuseWrite, times.lockWrite, nowNs);
        break;
    case Op::WriteFuseHigh:
        // SPIEN cannot be changed in serial programming mode: it keeps its value.
        memory_.highFuse = static_cast<std::uint8_t>((data & ~kHighFuseSpienBit) |
                                                     (memory_.highFuse & kHighFuseSpienBit));
        StartBusy(BusyKind::LockFuseWrite, times.lockWrite, nowNs);
        break;
    default:
        break;
    }
}

void Chip::WritePage(std::uint32_t firstWord) {
    const std::size_t pageBytes = pageBuffer_.size();
    const std::size_t start = FlashIndex(firstWord, false) / pageBytes * pageBytes;
    // Like a byte write, a page write can only clear bits; words not loaded stay 0xFF
    // in the buffer and leave their cells as they are.
    for (std::size_t i = 0; i < pageBytes; ++i) {
        memory_.flash[start + i] &= pageBuffer_[i];
    }
    pageBuffer_.fill(kErasedByte); // the buffer erases itself after a page write
}

} // namespace sim
