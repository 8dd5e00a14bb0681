// The device operations of the AT90S8535. Each starts with Open: choose the port, check
// the delays and the port, and take the chip into serial programming mode. No operation
// claims success once the port went out of reach (a refused access, a port driver that
// stopped): Held is asked first.
#include "ops/DeviceOps.h"

#include <cmath>
#include <initializer_list>

namespace {

// Waits per unit of DELAY BYTE, above the datasheet's worst case at 5 V:
// byte write 4 ms, chip erase 8 ms, lock bit write 9 ms.
constexpr std::uint32_t kWriteMsPerDelayByte = 4;
constexpr std::uint32_t kEraseMsPerDelayByte = 40;
constexpr std::uint32_t kLockMsPerDelayByte = 100;

constexpr std::uint32_t kFlashWords = kFlashImageSize / 2;
constexpr std::uint32_t kBlankPercentDivisor = 41; // 4096 words shown as 0..99 %
constexpr unsigned char kErased = 0xFF;

constexpr unsigned char kReadLow = 0x20;
constexpr unsigned char kReadHigh = 0x28;
constexpr unsigned char kWriteLow = 0x40;
constexpr unsigned char kWriteHigh = 0x48;
const unsigned char kChipErase[4] = {0xAC, 0x80, 0x00, 0x00};
// Write Lock Bits in the AT90S8535's form 1010 1100 1111 1ii1: bit 1 = 0 programs lock
// bit 1, bit 2 = 0 lock bit 2. (The older AT90S form 111x x21x with bits 4, 3, 0 at 0
// is not understood by the 8535; these two bytes suit both forms.)
const unsigned char kWriteLockBit1[4] = {0xAC, 0xFD, 0x00, 0x00};
const unsigned char kWriteLockBits1And2[4] = {0xAC, 0xF9, 0x00, 0x00};

// Progress of the flash walk as the program has always shown it: byte index over a
// hundredth of the end index, that hundredth held in single precision.
float PercentDivisor(std::uint32_t imageEnd) {
    return static_cast<float>(imageEnd / 100.0);
}

int Percent(std::uint32_t index, float divisor) {
    return static_cast<int>(std::trunc(static_cast<double>(index) / static_cast<double>(divisor)));
}

Outcome PortOutcome(PortProblem problem) {
    switch (problem) {
    case PortProblem::Refused:
        return Outcome::PortRefused;
    case PortProblem::DriverNotRunning:
        return Outcome::DriverNotRunning;
    case PortProblem::DriverNotLoaded:
        return Outcome::DriverNotLoaded;
    case PortProblem::None:
        break;
    }
    return Outcome::Ok;
}

} // namespace

CDeviceOps::CDeviceOps(CSerialLink& link, FlashImage image, CProgressReport& progress,
                       CDeviceMessages& messages, CPortOpening& opening)
    : m_link(link), m_image(image), m_progress(progress), m_messages(messages), m_opening(opening) {
}

Outcome CDeviceOps::Open() {
    if (!m_opening.SelectPort() || !m_link.Port().HasPort() || !m_opening.DelaysUsable())
        return Outcome::NotOpened;
    const PortProblem problem = m_link.BeginPortUse();
    if (problem != PortProblem::None)
        return PortOutcome(problem); // nothing has touched the port
    m_link.EnterProgramming();
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    switch (m_link.ProgrammingEnable()) {
    case Handshake::InStep:
        return Outcome::Ok;
    case Handshake::NoAnswer:
        return Outcome::NoAnswer;
    case Handshake::PortLost:
        break;
    }
    return PortOutcome(m_link.PortProblemSoFar());
}

Outcome CDeviceOps::Held() {
    const PortProblem problem = m_link.PortProblemSoFar();
    if (problem == PortProblem::None)
        return Outcome::Ok;
    m_link.ReleaseTarget();
    return PortOutcome(problem);
}

Outcome CDeviceOps::Finish(Step step) {
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_link.ReleaseTarget();
    m_progress.Done(step);
    return Outcome::Ok;
}

unsigned char CDeviceOps::Send(const unsigned char* instruction) {
    unsigned char answer[4] = {};
    m_link.Exchange(instruction, answer);
    return answer[3];
}

unsigned char CDeviceOps::FlashInstruction(unsigned char code, std::uint32_t word,
                                           unsigned char data) {
    const unsigned char instruction[4] = {code, static_cast<unsigned char>(word >> 8),
                                          static_cast<unsigned char>(word & 0xFF), data};
    return Send(instruction);
}

Outcome CDeviceOps::Erase() {
    const Outcome opened = Open();
    return opened == Outcome::Ok ? EraseOpened() : opened;
}

// "Erase Ok" shows during the erase wait, before the release.
Outcome CDeviceOps::EraseOpened() {
    m_progress.Begin(Step::Erase, 1);
    Send(kChipErase);
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_progress.StepIt();
    m_progress.Done(Step::Erase);
    m_link.Wait(m_link.DelayByte() * kEraseMsPerDelayByte);
    m_link.ReleaseTarget();
    return Outcome::Ok;
}

Outcome CDeviceOps::BlankCheck() {
    const Outcome opened = Open();
    return opened == Outcome::Ok ? BlankCheckOpened() : opened;
}

Outcome CDeviceOps::BlankCheckOpened() {
    m_progress.Begin(Step::BlankCheck, static_cast<int>(kFlashWords));
    for (std::uint32_t word = 0; word < kFlashWords; ++word) {
        if (FlashInstruction(kReadLow, word, 0x00) != kErased ||
            FlashInstruction(kReadHigh, word, 0x00) != kErased) {
            const Outcome held = Held();
            if (held != Outcome::Ok)
                return held;
            m_messages.Tell(Outcome::NotBlank);
            m_link.ReleaseTarget();
            return Outcome::NotBlank;
        }
        m_progress.Percent(Step::BlankCheck, static_cast<int>(word / kBlankPercentDivisor));
        m_progress.StepIt();
    }
    return Finish(Step::BlankCheck);
}

Outcome CDeviceOps::Program() {
    if (m_image.end == 0)
        return Outcome::NothingLoaded;
    const Outcome opened = Open();
    return opened == Outcome::Ok ? ProgramOpened() : opened;
}

Outcome CDeviceOps::ProgramOpened() {
    ProgramFlash();
    return Finish(Step::ProgramFlash);
}

// Writes whole words from byte 0 through the end index, so an even end index also
// writes the byte after it. Stops early, with 0, once the port is out of reach.
int CDeviceOps::ProgramFlash() {
    const std::uint32_t end = m_image.end;
    m_progress.Begin(Step::ProgramFlash, static_cast<int>(end));
    const float divisor = PercentDivisor(end);
    const std::uint32_t writeMs = m_link.DelayByte() * kWriteMsPerDelayByte;
    std::uint32_t word = 0;
    std::uint32_t i = 0;
    while (i < end + 1) {
        if (m_link.PortProblemSoFar() != PortProblem::None)
            return 0;
        for (unsigned char code : {kWriteLow, kWriteHigh}) {
            FlashInstruction(code, word, m_image.bytes[i]);
            m_link.Wait(writeMs);
            m_progress.Percent(Step::ProgramFlash, Percent(i, divisor));
            m_progress.StepIt();
            ++i;
        }
        ++word;
    }
    return 1;
}

Outcome CDeviceOps::Verify() {
    if (m_image.end == 0)
        return Outcome::NothingLoaded;
    const Outcome opened = Open();
    return opened == Outcome::Ok ? VerifyOpened() : opened;
}

Outcome CDeviceOps::VerifyOpened() {
    const std::uint32_t end = m_image.end;
    m_progress.Begin(Step::VerifyFlash, static_cast<int>(end + 1));
    const float divisor = PercentDivisor(end);
    std::uint32_t word = 0;
    std::uint32_t i = 0;
    while (i < end + 1) {
        for (unsigned char code : {kReadLow, kReadHigh}) {
            if (FlashInstruction(code, word, 0x00) != m_image.bytes[i]) {
                const Outcome held = Held();
                if (held != Outcome::Ok)
                    return held;
                m_messages.Tell(Outcome::VerifyError);
                m_link.ReleaseTarget();
                return Outcome::VerifyError;
            }
            m_progress.Percent(Step::VerifyFlash, Percent(i, divisor));
            m_progress.StepIt();
            ++i;
        }
        ++word;
    }
    return Finish(Step::VerifyFlash);
}

// Every step opens the target afresh; the first opening that fails ends Auto with its
// outcome, as does a step that does not succeed.
Outcome CDeviceOps::Auto() {
    if (m_image.end == 0)
        return Outcome::NothingLoaded;
    Outcome outcome = Open();
    if (outcome == Outcome::Ok)
        outcome = Erase();
    if (outcome == Outcome::Ok)
        outcome = BlankCheck();
    if (outcome == Outcome::Ok)
        outcome = Program();
    if (outcome == Outcome::Ok)
        outcome = Verify();
    return outcome;
}

Outcome CDeviceOps::LockBit(LockChoice choice) {
    const Outcome opened = Open();
    if (opened != Outcome::Ok)
        return opened;
    switch (choice) {
    case LockChoice::Lock1:
        return Lock1Bit();
    case LockChoice::Lock2:
        return Lock2Bit();
    case LockChoice::None:
        break;
    }
    m_link.ReleaseTarget();
    return Outcome::NoLockChosen;
}

Outcome CDeviceOps::Lock1Bit() {
    return WriteLockBits(kWriteLockBit1, Step::Lock1Bit);
}

Outcome CDeviceOps::Lock2Bit() {
    return WriteLockBits(kWriteLockBits1And2, Step::Lock2Bit);
}

// The port was chosen by LockBit; the chip is taken into programming mode once more.
Outcome CDeviceOps::WriteLockBits(const unsigned char* instruction, Step step) {
    m_progress.Begin(step, 1);
    m_link.EnterProgramming();
    switch (m_link.ProgrammingEnable()) {
    case Handshake::InStep:
        break;
    case Handshake::NoAnswer:
        return Outcome::NoAnswer;
    case Handshake::PortLost:
        return PortOutcome(m_link.PortProblemSoFar());
    }
    Send(instruction);
    m_link.Wait(m_link.DelayByte() * kLockMsPerDelayByte);
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_link.ReleaseTarget();
    m_progress.StepIt();
    m_progress.Done(step);
    return Outcome::Ok;
}
