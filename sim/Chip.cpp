// The serial interface of a simulated chip: entering programming mode, bit timing,
// framing with echo, and recognising instructions (ChipExecution.cpp carries them out).
#include "sim/Chip.h"

#include "sim/ChipTiming.h"

namespace sim {

Chip::Chip(const ChipConfig& config, const CableLines& initialLines, std::uint64_t nowNs)
    : config_(config), model_(&ModelOf(config.type)), memory_(*model_),
      pageBuffer_(std::size_t{model_->pageWords} * 2), pins_(initialLines), lastSckEdgeNs_(nowNs),
      mosiChangeNs_(nowNs), mosiSettled_(initialLines.mosi) {
    ResetCounters();
    LatchFuses();
}

void Chip::LatchFuses() {
    clockHz_ = ChipClockHz(*model_, memory_.lowFuse, config_.xtal);
    const std::uint32_t hz = clockHz_ == 0 ? 1u : clockHz_;
    minSckPhaseNs_ = std::uint64_t{kMinSckPhase_cycles} * kNsPerSecond / hz;
    mosiSetupNs_ = CyclesToNs(kMosiSetup_cycles, hz);
    mosiHoldNs_ = CyclesToNs(kMosiHold_cycles, hz);
}

void Chip::ResetCounters() {
    counters_ = ChipCounters{};
    counters_.flashReads.assign(memory_.flash.size(), 0);
    counters_.eepromReads.assign(memory_.eeprom.size(), 0);
}

bool Chip::Miso() const {
    // Without a clock the serial interface never drives MISO: it floats high.
    if (stopped_ || pins_.reset || clockHz_ == 0) {
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
    LatchFuses();
    // A chip whose clock source is missing sees no SCK edge: it never answers.
    armed_ = clockHz_ != 0 && sckLowThroughResetPulse_ && !pins_.sck;
    enabled_ = false;
    resetFallNs_ = nowNs;
    shift_ = 0;
    bitsInFrame_ = 0;
    outByte_ = 0;
    misoOut_ = false;
    pulseValid_ = false;
    pageBuffer_.fill(kErasedByte); // a reset erases the page buffer
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
    const InstructionPattern* p = MatchInstruction(*model_->instructions, word, knownBits);
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

} // namespace sim
