// AT90S8535 serial programming: entering programming mode, bit framing with
// echo, instruction execution, self-timed writes and lock-bit protection.
#include "sim/Chip.h"

#include "sim/ChipTiming.h"

namespace sim {

namespace {
constexpr std::uint8_t kSignature[4] = {0x1E, 0x93, 0x03, 0xFF};
// A write into EEPROM first erases the byte (reads 0x00), then programs it
// (reads 0xFF); each phase takes half of the write time.
constexpr unsigned kEepromEraseShareDivisor = 2;
} // namespace

Chip::Chip(const ChipConfig& config, const CableLines& initialLines, std::uint64_t nowNs)
    : config_(config), minSckPhaseNs_(std::uint64_t{kMinSckPhase_cycles} * kNsPerSecond /
                                      (config.clockHz == 0 ? 1u : config.clockHz)),
      mosiSetupNs_(CyclesToNs(kMosiSetup_cycles, config.clockHz)),
      mosiHoldNs_(CyclesToNs(kMosiHold_cycles, config.clockHz)), pins_(initialLines),
      lastSckEdgeNs_(nowNs), mosiChangeNs_(nowNs), mosiSettled_(initialLines.mosi) {}

bool Chip::Miso() const {
    if (stopped_ || pins_.reset) {
        return true;
    }
    return misoOut_;
}

void Chip::SetPins(const CableLines& lines, std::uint64_t nowNs) {
    const CableLines old = pins_;
    pins_ = lines;
    if (lines.reset != old.reset) {
        if (lines.reset) {
            OnResetRise();
        } else {
            OnResetFall(nowNs);
        }
    }
    // A MOSI change that comes with an SCK edge is too late for its setup time.
    if (lines.mosi != old.mosi) {
        OnMosiChange(old.mosi, nowNs);
    }
    if (lines.sck != old.sck) {
        if (lines.reset) {
            sckLowThroughResetPulse_ = false;
        } else if (lines.sck) {
            OnSckRise(nowNs);
        } else {
            OnSckFall(nowNs);
        }
        lastSckEdgeNs_ = nowNs;
    }
}

void Chip::OnResetRise() {
    enabled_ = false;
    armed_ = false;
    sckLowThroughResetPulse_ = !pins_.sck;
}

void Chip::OnResetFall(std::uint64_t nowNs) {
    armed_ = sckLowThroughResetPulse_ && !pins_.sck;
    enabled_ = false;
    resetFallNs_ = nowNs;
    shift_ = 0;
    bitsInFrame_ = 0;
    outByte_ = 0;
    misoOut_ = false;
    pulseValid_ = false;
}

void Chip::OnMosiChange(bool oldLevel, std::uint64_t nowNs) {
    if (nowNs - mosiChangeNs_ >= mosiSetupNs_) {
        mosiSettled_ = oldLevel;
    }
    mosiChangeNs_ = nowNs;
    // Within the hold time after the rising edge the input latch is still
    // open: the chip takes the new level.
    if (pulseValid_ && nowNs - sckRiseNs_ < mosiHoldNs_) {
        sampledMosi_ = pins_.mosi;
        holdViolated_ = true;
    }
}

void Chip::OnSckRise(std::uint64_t nowNs) {
    pulseValid_ = false;
    if (!armed_ || stopped_) {
        return;
    }
    if (nowNs < resetFallNs_ + kProgrammingEnableDelay_ns) {
        ++counters_.sckPulsesTooEarly;
        return;
    }
    // The chip samples SCK with its own clock: a low phase of two cycles or
    // less is not seen, so this pulse does not exist for the chip.
    if (nowNs - lastSckEdgeNs_ <= minSckPhaseNs_) {
        ++counters_.sckPulsesMissed;
        return;
    }
    pulseValid_ = true;
    sckRiseNs_ = nowNs;
    // MOSI that changed less than the setup time ago has not reached the input
    // latch yet: the chip still sees the level it had before.
    setupViolated_ = nowNs - mosiChangeNs_ < mosiSetupNs_;
    holdViolated_ = false;
    sampledMosi_ = setupViolated_ ? mosiSettled_ : pins_.mosi;
}

void Chip::OnSckFall(std::uint64_t nowNs) {
    if (!pulseValid_) {
        return;
    }
    pulseValid_ = false;
    if (nowNs - lastSckEdgeNs_ <= minSckPhaseNs_) {
        ++counters_.sckPulsesMissed;
        return;
    }
    counters_.mosiSetupViolations += setupViolated_ ? 1 : 0;
    counters_.mosiHoldViolations += holdViolated_ ? 1 : 0;
    if (bitsInFrame_ == 0) {
        frameStartNs_ = sckRiseNs_;
    }
    ShiftIn(sampledMosi_, nowNs);
}

void Chip::ShiftIn(bool bit, std::uint64_t nowNs) {
    shift_ = (shift_ << 1) | (bit ? 1u : 0u);
    ++bitsInFrame_;
    if (bitsInFrame_ % 8 == 0) {
        ByteReceived(bitsInFrame_ / 8 - 1, nowNs);
    }
    if (bitsInFrame_ == 32) {
        bitsInFrame_ = 0;
    }
    // After the falling edge the chip presents the next answer bit.
    misoOut_ = (outByte_ >> (7 - bitsInFrame_ % 8)) & 1u;
}

const InstructionPattern* Chip::Recognise(std::uint32_t word, std::uint32_t knownBits) const {
    const InstructionPattern* p = MatchInstruction(word, knownBits);
    // Until Programming Enable has been accepted the chip knows only that one.
    if (p != nullptr && !enabled_ && p->op != Op::ProgrammingEnable) {
        return nullptr;
    }
    return p;
}

void Chip::ByteReceived(unsigned byteIndex, std::uint64_t nowNs) {
    if (byteIndex == 3) {
        Execute(shift_, nowNs);
        outByte_ = 0x00;
        return;
    }
    const unsigned pad = 8 * (3 - byteIndex);
    const std::uint32_t word = shift_ << pad;
    const InstructionPattern* p = Recognise(word, ~0u << pad);
    if (p == nullptr) {
        outByte_ = 0x00; // out of step or garbage: no echo
    } else if (byteIndex == 2 && p->answersInLastByte) {
        outByte_ = ReadAnswer(*p, word, nowNs);
    } else {
        outByte_ = static_cast<std::uint8_t>(shift_); // echo of the byte just received
    }
}

std::uint8_t Chip::MemoryRead(std::uint8_t stored, std::uint64_t nowNs) const {
    if (memory_.readProtected()) {
        return kLockedReadValue;
    }
    if (!BusyAt(nowNs)) {
        return stored;
    }
    // Data polling: the memory under a self-timed write answers 0xFF, except
    // for the auto-erase half of an EEPROM write, which answers 0x00.
    if (busy_.kind == BusyKind::EepromWrite &&
        nowNs < busy_.startNs + (busy_.untilNs - busy_.startNs) / kEepromEraseShareDivisor) {
        return 0x00;
    }
    return 0xFF;
}

std::uint8_t Chip::ReadAnswer(const InstructionPattern& p, std::uint32_t word,
                              std::uint64_t nowNs) {
    const std::uint32_t address = ExtractField(word, p.addressMask);
    switch (p.op) {
    case Op::ReadFlashLow:
    case Op::ReadFlashHigh: {
        const std::uint32_t byte = address * 2 + (p.op == Op::ReadFlashHigh ? 1 : 0);
        ++counters_.flashReads[byte];
        ++counters_.flashReadsTotal;
        auto stuck = config_.stuckFlash.find(byte);
        const std::uint8_t stored =
            stuck != config_.stuckFlash.end() ? stuck->second : memory_.flash[byte];
        return MemoryRead(stored, nowNs);
    }
    case Op::ReadEeprom:
        ++counters_.eepromReads[address];
        ++counters_.eepromReadsTotal;
        return MemoryRead(memory_.eeprom[address], nowNs);
    case Op::ReadLockFuse:
        ++counters_.lockFuseReads;
        return memory_.lockFuse;
    case Op::ReadSignature:
        ++counters_.signatureReads;
        // In lock mode 3 the signature reads as its own address: 0x00 0x01 0x02.
        return memory_.readProtected() ? static_cast<std::uint8_t>(address) : kSignature[address];
    default:
        return 0x00;
    }
}

void Chip::StartBusy(BusyKind kind, std::uint64_t durationNs, std::uint64_t nowNs) {
    busy_ = {kind, nowNs, nowNs + durationNs};
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
        if ((memory_.lockFuse & kSpienBit) == 0) {
            enabled_ = true;
        }
        CountExecuted();
        return;
    }
    if (p->answersInLastByte) {
        CountExecuted(); // the answer was latched after the third byte
        return;
    }
    // The chip ignores an instruction that began while it was still busy,
    // even if the write has finished by the time the last bit arrives.
    if (BusyAt(frameStartNs_)) {
        ++counters_.instructionsLost;
        return;
    }
    CountExecuted();
    const std::uint32_t address = ExtractField(word, p->addressMask);
    const std::uint8_t data = static_cast<std::uint8_t>(ExtractField(word, p->dataMask));
    const bool refused =
        memory_.writeProtected() && p->op != Op::ChipErase && p->op != Op::WriteLockBits;
    if (refused) {
        ++counters_.writesRefusedByLock;
        return;
    }
    switch (p->op) {
    case Op::WriteFlashLow:
    case Op::WriteFlashHigh:
        // Without an erase, programming can only clear bits.
        memory_.flash[address * 2 + (p->op == Op::WriteFlashHigh ? 1 : 0)] &= data;
        ++counters_.flashWrites;
        StartBusy(BusyKind::FlashWrite, WriteDelay_ns(config_.supplyVolts), nowNs);
        break;
    case Op::WriteEeprom:
        memory_.eeprom[address] = data; // EEPROM erases the byte itself first
        ++counters_.eepromWrites;
        StartBusy(BusyKind::EepromWrite, WriteDelay_ns(config_.supplyVolts), nowNs);
        break;
    case Op::ChipErase:
        memory_.flash.fill(0xFF);
        memory_.eeprom.fill(0xFF);
        memory_.lockFuse |= kLockBit1 | kLockBit2;
        ++counters_.chipErases;
        StartBusy(BusyKind::Erase, EraseDelay_ns(config_.supplyVolts), nowNs);
        break;
    case Op::WriteLockBits:
        // Instruction bit 2 = 0 programs LB2, bit 1 = 0 programs LB1; only an
        // erase unprograms them.
        if ((data & 0x2) == 0) {
            memory_.lockFuse &= static_cast<std::uint8_t>(~kLockBit2);
        }
        if ((data & 0x1) == 0) {
            memory_.lockFuse &= static_cast<std::uint8_t>(~kLockBit1);
        }
        StartBusy(BusyKind::LockFuseWrite, kLockFuseWriteDelay_us * 1000u, nowNs);
        break;
    case Op::WriteFstrt:
        memory_.lockFuse = static_cast<std::uint8_t>((memory_.lockFuse & ~kFstrtBit) | data);
        StartBusy(BusyKind::LockFuseWrite, kLockFuseWriteDelay_us * 1000u, nowNs);
        break;
    default:
        break;
    }
}

} // namespace sim
