// The flash and lock-bit operations. Each starts with the session's opening: choose the
// port, check the delays and the port, take the chip into serial programming mode and read
// its signature. No operation claims success once the port went out of reach (a refused
// access, a port driver that stopped): Held is asked first.
#include "ops/DeviceOps.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr unsigned char kErased = 0xFF;
constexpr SerialInstruction kChipErase = {{0xAC, 0x80, 0x00, 0x00}};

// 4096 words show the blank check's progress as the program always has, word / 41; other
// sizes as their share of the words. Both run from 0 to 99.
constexpr std::uint32_t kClassicWords = 4096;
constexpr std::uint32_t kClassicBlankDivisor = 41;

int BlankPercent(std::uint32_t word, std::uint32_t words) {
    if (words == kClassicWords)
        return static_cast<int>(word / kClassicBlankDivisor);
    return static_cast<int>(std::uint64_t{word} * 100 / words);
}

// Progress of the flash walk as the program has always shown it: byte index over a
// hundredth of the end index, that hundredth held in single precision.
float PercentDivisor(std::uint32_t imageEnd) {
    return static_cast<float>(imageEnd / 100.0);
}

int Percent(std::uint32_t index, float divisor) {
    return static_cast<int>(std::trunc(static_cast<double>(index) / static_cast<double>(divisor)));
}

// Program and Verify walk whole words: through the high byte of the end index's word.
std::uint32_t LastByteOfWalk(std::uint32_t imageEnd) {
    return imageEnd | 1;
}

} // namespace

CDeviceOps::CDeviceOps(CSerialLink& link, FlashImage image, CProgressReport& progress,
                       CDeviceMessages& messages, CPortOpening& opening)
    : m_session(link, opening), m_image(image), m_progress(progress), m_messages(messages) {}

OperationResult CDeviceOps::Result(Outcome outcome) {
    return m_session.Result(outcome, m_image.end);
}

Outcome CDeviceOps::Held() {
    return m_session.Held();
}

Outcome CDeviceOps::Finish(Step step) {
    const Outcome released = m_session.Release();
    if (released == Outcome::Ok)
        m_progress.Done(step);
    return released;
}

Outcome CDeviceOps::Mismatch(Outcome found) {
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_messages.Tell(Result(found));
    m_session.Link().ReleaseTarget();
    return found;
}

Outcome CDeviceOps::OpenWithImage() {
    if (m_image.end == 0)
        return Outcome::NothingLoaded;
    return m_session.Open(&m_image.end);
}

unsigned char CDeviceOps::Send(const SerialInstruction& instruction) {
    return m_session.Send(instruction);
}

void CDeviceOps::WaitDelayByte(std::uint32_t waitPerUnit_us) {
    m_session.WaitDelayByte(waitPerUnit_us);
}

OperationResult CDeviceOps::Erase() {
    const Outcome opened = m_session.Open();
    return Result(opened == Outcome::Ok ? EraseOpened() : opened);
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
    WaitDelayByte(m_session.Chip()->eraseWait_us);
    m_session.Link().ReleaseTarget();
    return Outcome::Ok;
}

OperationResult CDeviceOps::BlankCheck() {
    const Outcome opened = m_session.Open();
    return Result(opened == Outcome::Ok ? BlankCheckOpened() : opened);
}

// Reads every word of the chip's flash, low byte then high byte.
Outcome CDeviceOps::BlankCheckOpened() {
    const std::uint32_t words = m_session.Chip()->flashBytes / 2;
    m_progress.Begin(Step::BlankCheck, static_cast<int>(words));
    for (std::uint32_t word = 0; word < words; ++word) {
        if (Send(ReadFlashInstruction(2 * word)) != kErased ||
            Send(ReadFlashInstruction(2 * word + 1)) != kErased) {
            return Mismatch(Outcome::NotBlank);
        }
        m_progress.Percent(Step::BlankCheck, BlankPercent(word, words));
        m_progress.StepIt();
    }
    return Finish(Step::BlankCheck);
}

OperationResult CDeviceOps::Program() {
    const Outcome opened = OpenWithImage();
    return Result(opened == Outcome::Ok ? ProgramOpened() : opened);
}

Outcome CDeviceOps::ProgramOpened() {
    ProgramFlash();
    return Finish(Step::ProgramFlash);
}

// Writes whole words from byte 0 through the end index, so an even end index also writes
// the byte after it. Byte-wise chips take each byte with a wait of its own; paged chips
// load each word into the page buffer and write the page, with its wait, after the page's
// last word and after the image's last word. Stops early, with 0, once the port is out of
// reach.
int CDeviceOps::ProgramFlash() {
    const std::uint32_t end = m_image.end;
    m_progress.Begin(Step::ProgramFlash, static_cast<int>(end));
    const float divisor = PercentDivisor(end);
    const ChipInfo& chip = *m_session.Chip();
    const bool paged = chip.flashWriting == FlashWriting::ByPages;
    const std::uint32_t last = LastByteOfWalk(end);
    for (std::uint32_t i = 0; i <= last; ++i) {
        if (i % 2 == 0 && m_session.Link().PortProblemSoFar() != PortProblem::None)
            return 0;
        if (paged) {
            Send(LoadPageInstruction(chip, i, m_image.bytes[i]));
        } else {
            Send(WriteFlashByteInstruction(i, m_image.bytes[i]));
            WaitDelayByte(chip.flashWriteWait_us);
        }
        m_progress.Percent(Step::ProgramFlash, Percent(i, divisor));
        m_progress.StepIt();
        const bool pageComplete = (i / 2 + 1) % (paged ? chip.pageWords : 1) == 0;
        if (paged && i % 2 == 1 && (pageComplete || i == last)) {
            Send(WritePageInstruction(chip, i));
            WaitDelayByte(chip.flashWriteWait_us);
        }
    }
    return 1;
}

OperationResult CDeviceOps::Verify() {
    const Outcome opened = OpenWithImage();
    return Result(opened == Outcome::Ok ? VerifyOpened() : opened);
}

Outcome CDeviceOps::VerifyOpened() {
    const std::uint32_t end = m_image.end;
    m_progress.Begin(Step::VerifyFlash, static_cast<int>(end + 1));
    const float divisor = PercentDivisor(end);
    const std::uint32_t last = LastByteOfWalk(end);
    for (std::uint32_t i = 0; i <= last; ++i) {
        if (Send(ReadFlashInstruction(i)) != m_image.bytes[i]) {
            return Mismatch(Outcome::VerifyError);
        }
        m_progress.Percent(Step::VerifyFlash, Percent(i, divisor));
        m_progress.StepIt();
    }
    return Finish(Step::VerifyFlash);
}

// Every step opens the target afresh and checks, with the chip's signature, that the image
// fits: an AT90S4434 whose lock bits hid its signature at the first opening is known from
// the opening after the erase that unlocked it. The first opening or step that does not
// succeed ends Auto with its outcome.
OperationResult CDeviceOps::Auto() {
    Outcome outcome = OpenWithImage();
    for (Outcome (CDeviceOps::*step)() : {&CDeviceOps::EraseOpened, &CDeviceOps::BlankCheckOpened,
                                          &CDeviceOps::ProgramOpened, &CDeviceOps::VerifyOpened}) {
        if (outcome == Outcome::Ok)
            outcome = m_session.Open(&m_image.end);
        if (outcome == Outcome::Ok)
            outcome = (this->*step)();
    }
    return Result(outcome);
}

OperationResult CDeviceOps::LockBit(LockChoice choice) {
    const Outcome opened = m_session.Open();
    if (opened != Outcome::Ok)
        return Result(opened);
    switch (choice) {
    case LockChoice::Lock1:
        return Result(Lock1Bit());
    case LockChoice::Lock2:
        return Result(Lock2Bit());
    case LockChoice::None:
        break;
    }
    m_session.Link().ReleaseTarget();
    return Result(Outcome::NoLockChosen);
}

Outcome CDeviceOps::Lock1Bit() {
    return WriteLockBits(Step::Lock1Bit);
}

Outcome CDeviceOps::Lock2Bit() {
    return WriteLockBits(Step::Lock2Bit);
}

// The port was chosen by LockBit; the chip is taken into programming mode once more, and
// the lock instruction is the one of the chip this opening finds.
Outcome CDeviceOps::WriteLockBits(Step step) {
    m_progress.Begin(step, 1);
    const Outcome entered = m_session.EnterProgrammingMode();
    if (entered != Outcome::Ok)
        return entered;
    const ChipInfo& chip = *m_session.Chip();
    Send(step == Step::Lock1Bit ? chip.lock1 : chip.lock2);
    WaitDelayByte(chip.lockWait_us);
    const Outcome released = m_session.Release();
    if (released != Outcome::Ok)
        return released;
    m_progress.StepIt();
    m_progress.Done(step);
    return Outcome::Ok;
}
