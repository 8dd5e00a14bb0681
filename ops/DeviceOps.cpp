// The device operations. Each starts with Open: choose the port, check the delays and the
// port, take the chip into serial programming mode and read its signature. No operation
// claims success once the port went out of reach (a refused access, a port driver that
// stopped): Held is asked first.
#include "ops/DeviceOps.h"

#include "port/InpOutCalls.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr unsigned char kErased = 0xFF;
const unsigned char kChipErase[4] = {0xAC, 0x80, 0x00, 0x00};

// The maker's code in the first signature byte. An AT90S chip with both lock bits set
// hides its signature (it answers 00 01 02): any answer without this code is taken for an
// AT90S8535, so such a chip is erased, and everything else done, as the program always did.
constexpr unsigned char kAtmelCode = 0x1E;
constexpr unsigned kSignatureBytes = 3;

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
    : m_link(link), m_image(image), m_progress(progress), m_messages(messages), m_opening(opening) {
}

OperationResult CDeviceOps::Result(Outcome outcome) {
    OperationResult result;
    result.outcome = outcome;
    result.chip = m_chip;
    for (unsigned index = 0; index < kSignatureBytes; ++index)
        result.signature[index] = m_signature[index];
    result.imageEnd = m_image.end;
    result.driverDll = kPortDriverDll;
    if (outcome == Outcome::PortUnusable) {
        result.port = m_portProblem;
        if (m_portProblem == PortProblem::DriverNotLoaded)
            result.driverLoad = m_link.Port().LoadFailure();
    }
    return result;
}

Outcome CDeviceOps::Open(ImageCheck check) {
    if (!m_opening.SelectPort() || !m_link.Port().HasPort() || !m_opening.DelaysUsable())
        return Outcome::NotOpened;
    const PortProblem problem = m_link.BeginPortUse();
    if (problem != PortProblem::None)
        return PortUnusable(problem); // nothing has touched the port
    return EnterProgrammingMode(check);
}

Outcome CDeviceOps::EnterProgrammingMode(ImageCheck check) {
    m_link.EnterProgramming();
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    switch (m_link.ProgrammingEnable()) {
    case Handshake::InStep:
        return Identify(check);
    case Handshake::NoAnswer:
        return Outcome::NoAnswer;
    case Handshake::PortLost:
        break;
    }
    return PortUnusable(m_link.PortProblemSoFar());
}

Outcome CDeviceOps::Identify(ImageCheck check) {
    for (unsigned index = 0; index < kSignatureBytes; ++index)
        m_signature[index] = Send(ReadSignatureInstruction(index));
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    Outcome refusal = Outcome::Ok;
    if (m_signature[0] != kAtmelCode) {
        m_chip = &kChips[0];
    } else {
        m_chip = FindChip(m_signature);
        if (m_chip == nullptr)
            refusal = Outcome::UnknownChip;
        else if (!m_chip->programmed)
            refusal = Outcome::ChipRefused;
        else if (check == ImageCheck::MustFit && m_image.end >= m_chip->flashBytes)
            refusal = Outcome::ImageTooLarge;
    }
    if (refusal != Outcome::Ok)
        m_link.ReleaseTarget(); // nothing was written or erased
    return refusal;
}

Outcome CDeviceOps::Held() {
    const PortProblem problem = m_link.PortProblemSoFar();
    if (problem == PortProblem::None)
        return Outcome::Ok;
    m_link.ReleaseTarget();
    return PortUnusable(problem);
}

Outcome CDeviceOps::PortUnusable(PortProblem problem) {
    m_portProblem = problem;
    return Outcome::PortUnusable;
}

Outcome CDeviceOps::Finish(Step step) {
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_link.ReleaseTarget();
    m_progress.Done(step);
    return Outcome::Ok;
}

Outcome CDeviceOps::Mismatch(Outcome found) {
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_messages.Tell(Result(found));
    m_link.ReleaseTarget();
    return found;
}

Outcome CDeviceOps::OpenWithImage() {
    if (m_image.end == 0)
        return Outcome::NothingLoaded;
    return Open(ImageCheck::MustFit);
}

unsigned char CDeviceOps::Send(const unsigned char* instruction) {
    unsigned char answer[4] = {};
    m_link.Exchange(instruction, answer);
    return answer[3];
}

void CDeviceOps::WaitDelayByte(std::uint32_t waitPerUnit_us) {
    m_link.Wait(WaitMs(waitPerUnit_us, m_link.DelayByte()));
}

OperationResult CDeviceOps::Erase() {
    const Outcome opened = Open();
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
    WaitDelayByte(m_chip->eraseWait_us);
    m_link.ReleaseTarget();
    return Outcome::Ok;
}

OperationResult CDeviceOps::BlankCheck() {
    const Outcome opened = Open();
    return Result(opened == Outcome::Ok ? BlankCheckOpened() : opened);
}

// Reads every word of the chip's flash, low byte then high byte.
Outcome CDeviceOps::BlankCheckOpened() {
    const std::uint32_t words = m_chip->flashBytes / 2;
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
    const ChipInfo& chip = *m_chip;
    const bool paged = chip.flashWriting == FlashWriting::ByPages;
    const std::uint32_t last = LastByteOfWalk(end);
    for (std::uint32_t i = 0; i <= last; ++i) {
        if (i % 2 == 0 && m_link.PortProblemSoFar() != PortProblem::None)
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
            outcome = Open(ImageCheck::MustFit);
        if (outcome == Outcome::Ok)
            outcome = (this->*step)();
    }
    return Result(outcome);
}

OperationResult CDeviceOps::LockBit(LockChoice choice) {
    const Outcome opened = Open();
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
    m_link.ReleaseTarget();
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
    const Outcome entered = EnterProgrammingMode(ImageCheck::None);
    if (entered != Outcome::Ok)
        return entered;
    Send(step == Step::Lock1Bit ? m_chip->lock1 : m_chip->lock2);
    WaitDelayByte(m_chip->lockWait_us);
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    m_link.ReleaseTarget();
    m_progress.StepIt();
    m_progress.Done(step);
    return Outcome::Ok;
}
