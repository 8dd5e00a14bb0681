// What a device operation's success caption claims about the chip, checked against the
// simulated chip after the operation, for the fault soak. Each check gives "" when the
// chip is as claimed, else what differs.
//
// Some claims cannot be true for reasons the program cannot see, because it sends erase,
// write and lock instructions without reading anything back: a chip that stopped
// answering part-way (it also reads as erased then), an instruction the chip lost
// because it came while a write was still running, or a write the lock bits refused.
// WhyUnseen names such a reason; the soak counts those claims instead of checking them.
#pragma once
#include "sim/Chip.h"
#include "sim/ChipMemory.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

enum class SoakOp { Erase, Blank, Program, Verify, Auto, Lock1, Lock2, NoLockChosen };

// The chip before an operation, and what the operation was given.
struct SoakBefore {
    sim::ChipMemory memory;
    sim::ChipCounters counters;
    bool stopped;
    std::vector<unsigned char> walk; // the bytes Program and Verify walk, from byte 0
};

// What a byte reads as through the serial interface: 0x00 under lock bit 2, a stuck
// cell's value, else the flash.
inline std::uint8_t ReadAs(const sim::Chip& chip,
                           const std::map<std::uint32_t, std::uint8_t>& stuck,
                           std::uint32_t index) {
    if (chip.memory().readProtected())
        return sim::kLockedReadValue;
    const auto cell = stuck.find(index);
    return cell != stuck.end() ? cell->second : chip.memory().flash[index];
}

inline std::string ByteProblem(const char* what, std::uint32_t index, unsigned is, unsigned want) {
    char text[96];
    std::snprintf(text, sizeof text, "%s byte 0x%04X is 0x%02X, expected 0x%02X", what, index, is,
                  want);
    return text;
}

// "" when nothing kept the chip from doing what the program asked of it.
inline std::string WhyUnseen(SoakOp op, const SoakBefore& before, const sim::Chip& chip) {
    if (chip.stopped() && !before.stopped)
        return "the chip stopped answering during it";
    if (op == SoakOp::Blank || op == SoakOp::Verify || op == SoakOp::Auto)
        return ""; // these read the chip back
    if (chip.counters().instructionsLost > before.counters.instructionsLost)
        return "an instruction came while a write was still running";
    if (chip.counters().writesRefusedByLock > before.counters.writesRefusedByLock)
        return "lock bit 1 refused the writes";
    return "";
}

inline std::string CheckClaim(SoakOp op, const SoakBefore& before, const sim::Chip& chip,
                              const std::map<std::uint32_t, std::uint8_t>& stuck) {
    const sim::ChipMemory& now = chip.memory();
    const auto walked = static_cast<std::uint32_t>(before.walk.size());
    switch (op) {
    case SoakOp::Erase:
        for (std::uint32_t i = 0; i < sim::kFlashBytes; ++i)
            if (now.flash[i] != 0xFF)
                return ByteProblem("flash", i, now.flash[i], 0xFF);
        return now.lb1Programmed() || now.lb2Programmed() ? "lock bits still set" : "";
    case SoakOp::Blank:
        for (std::uint32_t i = 0; i < sim::kFlashBytes; ++i)
            if (ReadAs(chip, stuck, i) != 0xFF)
                return ByteProblem("read", i, ReadAs(chip, stuck, i), 0xFF);
        return "";
    case SoakOp::Program:
        for (std::uint32_t i = 0; i < sim::kFlashBytes; ++i) {
            // Programming without an erase can only clear bits.
            const unsigned want =
                i < walked ? before.memory.flash[i] & before.walk[i] : before.memory.flash[i];
            if (now.flash[i] != want)
                return ByteProblem("flash", i, now.flash[i], want);
        }
        return "";
    case SoakOp::Verify:
        for (std::uint32_t i = 0; i < walked; ++i)
            if (ReadAs(chip, stuck, i) != before.walk[i])
                return ByteProblem("read", i, ReadAs(chip, stuck, i), before.walk[i]);
        return "";
    case SoakOp::Auto:
        for (std::uint32_t i = 0; i < sim::kFlashBytes; ++i) {
            const unsigned want = i < walked ? before.walk[i] : 0xFF;
            if (ReadAs(chip, stuck, i) != want)
                return ByteProblem("read", i, ReadAs(chip, stuck, i), want);
        }
        return "";
    case SoakOp::Lock1:
        return now.lb1Programmed() ? "" : "lock bit 1 not set";
    case SoakOp::Lock2:
        return now.lb1Programmed() && now.lb2Programmed() ? "" : "lock bits 1 and 2 not set";
    case SoakOp::NoLockChosen:
        return "it has no success to claim";
    }
    return "";
}
