// A chip's serial programming interface at pin level: RESET/SCK/MOSI in, MISO out, a
// 32-bit instruction shift register, the instructions of its model, self-timed writes,
// the ATmega page buffer, the lock bits and fuses, and the clock that times it all.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/Cable.h"
#include "sim/ChipClock.h"
#include "sim/ChipMemory.h"
#include "sim/ChipModel.h"
#include "sim/InstructionSet.h"

namespace sim {

struct ChipConfig {
    ChipType type = ChipType::At90s8535;
    double supplyVolts = 5.0;
    // What the board carries on XTAL1/XTAL2.
    XtalPart xtal;
    // The chip stops answering (MISO high, nothing executed) once this many
    // instructions have executed; 0 = never.
    unsigned long stopAfterInstructions = 0;
    // Flash byte index -> value those cells always read back.
    std::map<std::uint32_t, std::uint8_t> stuckFlash;
};

// What a read of flash or EEPROM answers in lock mode 3 (LB1 and LB2 programmed). The
// ATmega datasheets leave it open; the model answers the same there.
constexpr std::uint8_t kLockedReadValue = 0x00;

struct ChipCounters {
    std::uint64_t instructionsExecuted = 0;
    std::uint64_t instructionsLost = 0;    // started while a write, erase or lock was running
    std::uint64_t instructionsUnknown = 0; // 32 bits matching no instruction
    std::uint64_t writesRefusedByLock = 0;
    std::uint64_t sckPulsesMissed = 0;      // a phase too short for the chip's clock
    std::uint64_t sckPulsesTooEarly = 0;    // within 20 ms of RESET going low
    std::uint64_t mosiSetupViolations = 0;  // MOSI changed less than t_OVSH before SCK rose
    std::uint64_t mosiHoldViolations = 0;   // MOSI changed less than t_SHOX after SCK rose
    std::vector<std::uint32_t> flashReads;  // per flash byte
    std::vector<std::uint32_t> eepromReads; // per EEPROM byte
    std::uint64_t flashReadsTotal = 0;
    std::uint64_t eepromReadsTotal = 0;
    std::uint64_t signatureReads = 0;
    std::uint64_t lockFuseReads = 0; // lock, lock and fuse, and fuse byte reads
    std::uint64_t flashWrites = 0;   // byte writes (AT90S)
    std::uint64_t pageLoads = 0;     // bytes loaded into the page buffer (ATmega)
    std::uint64_t pageWrites = 0;
    std::uint64_t eepromWrites = 0;
    std::uint64_t chipErases = 0;
};

class Chip {
public:
    Chip(const ChipConfig& config, const CableLines& initialLines, std::uint64_t nowNs);

    // New levels on RESET, SCK and MOSI at the given time.
    void SetPins(const CableLines& lines, std::uint64_t nowNs);
    // Level the chip puts on MISO; high when released (RESET high) or stopped.
    bool Miso() const;

    bool programmingEnabled() const { return enabled_; }
    // Takes the clock its fuses and the board give it now, as the chip does at power-up
    // and when RESET falls (fuses are latched on entering programming mode; a fuse
    // written during a session takes effect at the next one).
    void LatchFuses();
    // The clock the serial interface runs on, in Hz; 0 = none, the chip does not answer.
    std::uint32_t clockHz() const { return clockHz_; }
    bool stopped() const { return stopped_; }
    bool BusyAt(std::uint64_t nowNs) const { return nowNs < busy_.untilNs; }

    const ChipModel& model() const { return *model_; }
    // Give it only a memory of this chip's model.
    ChipMemory& memory() { return memory_; }
    const ChipMemory& memory() const { return memory_; }
    MemoryBytes& flash() { return memory_.flash; }
    MemoryBytes& eeprom() { return memory_.eeprom; }
    const MemoryBytes& pageBuffer() const { return pageBuffer_; }
    std::uint8_t lockFuseByte() const { return memory_.lockFuse; }
    void setLockFuseByte(std::uint8_t value) { memory_.lockFuse = value; }

    const ChipCounters& counters() const { return counters_; }
    void ResetCounters();

    // Set when memory changed since the last MarkClean().
    bool dirty() const { return dirty_; }
    void MarkClean() { dirty_ = false; }

private:
    enum class BusyKind : std::uint8_t { None, FlashWrite, EepromWrite, Erase, LockFuseWrite };
    struct Busy {
        BusyKind kind = BusyKind::None;
        std::uint64_t startNs = 0;
        std::uint64_t untilNs = 0;
    };

    void OnResetRise();
    void OnResetFall(std::uint64_t nowNs);
    void OnMosiChange(bool oldLevel, std::uint64_t nowNs);
    void OnSckRise(std::uint64_t nowNs);
    void OnSckFall(std::uint64_t nowNs);
    void ShiftIn(bool bit, std::uint64_t nowNs);
    void ByteReceived(unsigned byteIndex, std::uint64_t nowNs);
    const InstructionPattern* Recognise(std::uint32_t word, std::uint32_t knownBits) const;
    std::uint8_t ReadAnswer(const InstructionPattern& p, std::uint32_t word, std::uint64_t nowNs);
    std::uint8_t MemoryRead(std::uint8_t stored, std::uint64_t nowNs) const;
    // The lock byte and the fuse bytes, in this order in `lockFuseBefore_`.
    enum class LockFuseByte : std::uint8_t { Lock, LowFuse, HighFuse };
    std::uint8_t LockFuseRead(LockFuseByte which, std::uint64_t nowNs) const;
    std::array<std::uint8_t, 3> LockFuseBytes() const;
    void Execute(std::uint32_t word, std::uint64_t nowNs);
    void ExecuteWrite(const InstructionPattern& p, std::uint32_t word, std::uint64_t nowNs);
    void WritePage(std::uint32_t firstWord);
    void StartBusy(BusyKind kind, const CycleTime& time, std::uint64_t nowNs);
    void CountExecuted();
    std::size_t FlashIndex(std::uint32_t wordAddress, bool highByte) const;

    ChipConfig config_;
    const ChipModel* model_;
    std::uint32_t clockHz_ = 0;
    std::uint64_t minSckPhaseNs_ = 0;
    std::uint64_t mosiSetupNs_ = 0;
    std::uint64_t mosiHoldNs_ = 0;
    ChipMemory memory_;
    MemoryBytes pageBuffer_; // ATmega: words loaded for the next page write
    ChipCounters counters_;
    Busy busy_;
    std::array<std::uint8_t, 3> lockFuseBefore_{}; // before the last lock or fuse write
    bool dirty_ = false;

    CableLines pins_;
    bool sckLowThroughResetPulse_ = false;
    bool armed_ = false; // saw RESET pulse with SCK low; serial interface listening
    bool enabled_ = false;
    bool stopped_ = false;
    std::uint64_t resetFallNs_ = 0;
    std::uint64_t lastSckEdgeNs_ = 0;
    bool pulseValid_ = false;
    bool sampledMosi_ = false;
    std::uint64_t sckRiseNs_ = 0; // rising edge of the pulse being taken
    bool setupViolated_ = false;  // of that pulse's bit
    bool holdViolated_ = false;
    std::uint64_t frameStartNs_ = 0; // first rising edge of the current instruction
    // MOSI's last change, and the last level that was held for the setup time
    // before it: what the chip samples when a rising edge follows too soon.
    std::uint64_t mosiChangeNs_ = 0;
    bool mosiSettled_ = false;

    std::uint32_t shift_ = 0;
    unsigned bitsInFrame_ = 0;
    std::uint8_t outByte_ = 0;
    bool misoOut_ = false;
};

} // namespace sim
