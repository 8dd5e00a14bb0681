// How a side of the bridge waits for the other one: it spins a few hundred rounds with
// the processor's pause, then gives its processor away (yields) at every round. A spin
// only helps while the other side runs on another processor: on one processor it keeps
// the other side from answering, so there the wait yields at once. The clock is looked
// at only now and then while spinning (a reading costs more than a spin, and under Wine
// it is a system call).
#pragma once

namespace bridge {

constexpr unsigned kSpinsPerClockLook = 64;

class SpinThenYield {
public:
    // `spins` rounds of spinning when the process may run on more than one processor;
    // once yielding, the clock is looked at every `yieldsPerClockLook` rounds.
    SpinThenYield(unsigned processors, unsigned spins, unsigned yieldsPerClockLook)
        : m_spinsBeforeYield(processors > 1 ? spins : 0), m_yieldsPerClockLook(yieldsPerClockLook) {
    }

    // One round of waiting: `pause()` while spinning, else `yield()`. True when the
    // waiting side should look at the clock in this round.
    template <typename Pause, typename Yield> bool Round(Pause pause, Yield yield) {
        ++m_round;
        if (m_round < m_spinsBeforeYield) {
            pause();
            return m_round % kSpinsPerClockLook == 0;
        }
        yield();
        return m_round % m_yieldsPerClockLook == 0;
    }
    // The other side answered: the next wait starts spinning again.
    void Restart() { m_round = 0; }
    // True until the first round after a Restart.
    bool Fresh() const { return m_round == 0; }

private:
    unsigned m_spinsBeforeYield;
    unsigned m_yieldsPerClockLook;
    unsigned m_round = 0;
};

} // namespace bridge
