// The operations on each simulated chip: what the signature makes of them. Auto and the
// lock bits on every programmed chip (outcome, contents, the instructions on the wire:
// byte writes or page loads and page writes, and each chip's own lock form); an image too
// large for the AT90S4434, also when its lock bits hid its signature; the chips that are
// named and refused; a signature no chip has.
#include "sim/ChipMemory.h"
#include "tests/link/LinkTranscript.h"
#include "tests/link/PortRecorder.h"
#include "tests/ops/DeviceOpsFixture.h"

#include <cmath>
#include <functional>
#include <ostream>

namespace {

sim::BoardSettings WithChip(sim::ChipType chip) {
    sim::BoardSettings settings;
    settings.chip = chip;
    return settings;
}

// The lock bits as Read Lock Bits shows them: the AT90S byte's LB1 and LB2, the ATmega
// lock byte's LB1, LB2 and boot lock bits (0 = programmed).
struct LockBits {
    std::uint8_t mask;
    std::uint8_t afterLock1;
    std::uint8_t afterLock2;
};
constexpr LockBits kAt90sLockBits = {sim::kLockBit1 | sim::kLockBit2, sim::kLockBit2, 0x00};
constexpr LockBits kAtmegaLockBits = {
    sim::kAtmegaLockBits, sim::kAtmegaLockBits & ~sim::kAtmegaLockBit1,
    sim::kAtmegaLockBits & ~(sim::kAtmegaLockBit1 | sim::kAtmegaLockBit2)};

struct ChipCase {
    const char* name;
    sim::ChipType chip;
    std::uint32_t flashBytes;
    std::uint32_t pageWords; // 0: written byte by byte
    const char* lock1;
    const char* lock2;
    LockBits lockBits;
};

void PrintTo(const ChipCase& c, std::ostream* out) {
    *out << c.name;
}

const ChipCase kProgrammedChips[] = {
    {"AT90S8535", sim::ChipType::At90s8535, 8192, 0, "AC FD 00 00", "AC F9 00 00", kAt90sLockBits},
    {"ATmega8535", sim::ChipType::Atmega8535, 8192, 32, "AC E0 00 FE", "AC E0 00 FC",
     kAtmegaLockBits},
    {"ATmega16", sim::ChipType::Atmega16, 16384, 64, "AC E0 00 FE", "AC E0 00 FC", kAtmegaLockBits},
    {"ATmega32", sim::ChipType::Atmega32, 32768, 64, "AC E0 00 FE", "AC E0 00 FC", kAtmegaLockBits},
    {"AT90S4434", sim::ChipType::At90s4434, 4096, 0, "AC FD 00 00", "AC F9 00 00", kAt90sLockBits},
};

// The tokens of the transcript that start with `prefix`.
std::vector<std::string> TokensStartingWith(const std::vector<std::string>& tokens,
                                            const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& token : tokens) {
        if (token.rfind(prefix, 0) == 0)
            found.push_back(token);
    }
    return found;
}

class ChipOpsTest : public DeviceOpsTest, public testing::WithParamInterface<ChipCase> {
protected:
    ChipOpsTest() : DeviceOpsTest(WithChip(GetParam().chip)), transcript(board.Board().pins()) {
        board.OnWait([this](DWORD ms) { transcript.Waited(ms); });
    }
    std::uint8_t Lock() { return board.Chip().lockFuseByte() & GetParam().lockBits.mask; }

    LinkTranscript transcript;
};

// The image's bytes as the chip is told them: Write Program Memory at the byte's word, or
// Load Program Memory Page at the word's place in its page.
std::vector<std::string> FlashWrites(const std::vector<unsigned char>& bytes,
                                     std::uint32_t pageWords) {
    std::vector<std::string> writes;
    for (std::uint32_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t word = i / 2;
        const std::uint32_t address = pageWords == 0 ? word : word % pageWords;
        char token[16];
        std::snprintf(token, sizeof token, "%02X %02X %02X %02X", i % 2 == 0 ? 0x40 : 0x48,
                      address >> 8, address & 0xFF, bytes[i]);
        writes.push_back(token);
    }
    return writes;
}

TEST_P(ChipOpsTest, AutoWritesTheImageTheChipsWay) {
    const ChipCase& c = GetParam();
    constexpr std::uint32_t kImageBytes = 300; // 150 words: pages 0 to 4, or 0 to 2
    const std::vector<unsigned char> bytes = TestImage(kImageBytes);
    Load(bytes);
    const OperationResult result = ops.Auto();
    EXPECT_EQ(result.outcome, Outcome::Ok);
    EXPECT_EQ(std::string(result.chip->name).rfind(c.name, 0), 0u) << result.chip->name;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), board.Chip().flash().begin()));
    EXPECT_EQ(steps.steps, static_cast<int>(1 + c.flashBytes / 2 + 2 * kImageBytes))
        << "the blank check reads the chip's whole flash";
    EXPECT_EQ(steps.lastBlankPercent, 99);

    const std::vector<std::string> tokens = transcript.Tokens();
    EXPECT_EQ(TokensStartingWith(tokens, "30 00 0").size(), 5u * 3u) << "each opening's signature";
    std::vector<std::string> writes = TokensStartingWith(tokens, "4");
    std::vector<std::string> pageWrites = TokensStartingWith(tokens, "4C ");
    writes.erase(std::remove_if(writes.begin(), writes.end(),
                                [](const std::string& t) { return t.rfind("4C ", 0) == 0; }),
                 writes.end());
    EXPECT_EQ(writes, FlashWrites(bytes, c.pageWords));
    std::vector<std::string> expectedPageWrites;
    std::vector<DWORD> writeWaits;
    if (c.pageWords == 0) {
        writeWaits.assign(kImageBytes, 4);
    } else {
        for (std::uint32_t word = 0; word < kImageBytes / 2; word += c.pageWords) {
            char token[16];
            std::snprintf(token, sizeof token, "4C %02X %02X 00", word >> 8, word & 0xFF);
            expectedPageWrites.push_back(token);
        }
        writeWaits.assign(expectedPageWrites.size(), 5); // 4.5 ms, rounded up
    }
    EXPECT_EQ(pageWrites, expectedPageWrites);
    std::vector<DWORD> waits = board.Waits().Waits();
    waits.erase(
        std::remove_if(waits.begin(), waits.end(), [](DWORD ms) { return ms == 200 || ms == 40; }),
        waits.end());
    EXPECT_EQ(waits, writeWaits) << "the waits after writes, at DELAY BYTE 1";
    EXPECT_TRUE(told.told.empty());
    EXPECT_TRUE(Released());
}

TEST_P(ChipOpsTest, LockBitsUseTheChipsOwnForm) {
    const ChipCase& c = GetParam();
    EXPECT_EQ(ops.LockBit(LockChoice::Lock1).outcome, Outcome::Ok);
    EXPECT_EQ(Lock(), c.lockBits.afterLock1) << "lock bit 1 alone";
    EXPECT_EQ(ops.Erase().outcome, Outcome::Ok);
    EXPECT_EQ(Lock(), c.lockBits.mask) << "the erase unprograms the lock bits";
    EXPECT_EQ(ops.LockBit(LockChoice::Lock2).outcome, Outcome::Ok);
    EXPECT_EQ(Lock(), c.lockBits.afterLock2) << "lock bits 1 and 2";
    const std::vector<std::string> locks = TokensStartingWith(transcript.Tokens(), "AC ");
    const std::vector<std::string> expected = {"AC 53 00 00", "AC 53 00 00", c.lock1,
                                               "AC 53 00 00", "AC 80 00 00", "AC 53 00 00",
                                               "AC 53 00 00", c.lock2};
    EXPECT_EQ(locks, expected);
    EXPECT_TRUE(Released());
}

INSTANTIATE_TEST_SUITE_P(Chips, ChipOpsTest, testing::ValuesIn(kProgrammedChips),
                         [](const testing::TestParamInfo<ChipCase>& info) {
                             return std::string(info.param.name);
                         });

class Atmega8535Test : public DeviceOpsTest {
protected:
    Atmega8535Test() : DeviceOpsTest(WithChip(sim::ChipType::Atmega8535)) {}
    std::uint8_t Lock() { return board.Chip().lockFuseByte() & sim::kAtmegaLockBits; }
};

// The AT90S8535's Write Lock Bits for lock bit 1 fits the ATmega's lock instruction with a
// lock byte of 0x00: lock mode 3 and every boot lock bit. The ATmega's own form gives mode 2.
TEST_F(Atmega8535Test, TheAt90sLock1BytesWouldLockEverything) {
    port.SetPort(1);
    link.EnterProgramming();
    ASSERT_EQ(link.ProgrammingEnable(), Handshake::InStep);
    const unsigned char at90sLock1[4] = {0xAC, 0xFD, 0x00, 0x00};
    unsigned char answer[4];
    link.Exchange(at90sLock1, answer);
    link.Wait(100);
    link.ReleaseTarget();
    EXPECT_EQ(Lock(), 0x00) << "lock mode 3 and the boot lock bits";
    EXPECT_EQ(ops.Erase().outcome, Outcome::Ok);
    EXPECT_EQ(ops.LockBit(LockChoice::Lock1).outcome, Outcome::Ok);
    EXPECT_EQ(Lock(), sim::kAtmegaLockBits & ~sim::kAtmegaLockBit1) << "lock mode 2";
}

class At90s4434Test : public DeviceOpsTest {
protected:
    At90s4434Test() : DeviceOpsTest(WithChip(sim::ChipType::At90s4434)) {}
};

TEST_F(At90s4434Test, AnImagePastItsFlashIsRefusedBeforeAnythingIsWritten) {
    Load(TestImage(4097));
    for (const OperationResult& result : {ops.Program(), ops.Verify(), ops.Auto()}) {
        EXPECT_EQ(result.outcome, Outcome::ImageTooLarge);
        EXPECT_STREQ(result.chip->name, "AT90S4434");
        EXPECT_EQ(result.imageEnd, 4096u);
    }
    EXPECT_EQ(board.Chip().counters().chipErases, 0u) << "Auto refuses at its first opening";
    EXPECT_EQ(board.Chip().counters().flashWrites, 0u);
    EXPECT_TRUE(steps.events.empty());
    EXPECT_TRUE(Released());
    Load(TestImage(4096));
    EXPECT_EQ(ops.Auto().outcome, Outcome::Ok) << "4 KB fit";
}

// With both lock bits set the chip hides its signature and is taken for an AT90S8535; the
// erase unlocks it, and the opening after it knows the chip.
TEST_F(At90s4434Test, LockedChipIsRefusedAtTheOpeningAfterTheErase) {
    ASSERT_EQ(ops.LockBit(LockChoice::Lock2).outcome, Outcome::Ok);
    Load(TestImage(8192));
    steps.events.clear();
    EXPECT_EQ(ops.Auto().outcome, Outcome::ImageTooLarge);
    EXPECT_EQ(board.Chip().counters().chipErases, 1u);
    EXPECT_EQ(board.Chip().counters().flashWrites, 0u);
    const std::vector<std::string> expected = {"begin Erase 0..1", "done Erase"};
    EXPECT_EQ(steps.events, expected);
    EXPECT_TRUE(Released());
}

class RefusedChipTest : public DeviceOpsTest {
protected:
    RefusedChipTest() : DeviceOpsTest(WithChip(sim::ChipType::Atmega644)) {}
};

TEST_F(RefusedChipTest, EveryOperationNamesItAndChangesNothing) {
    Load(TestImage(64));
    const std::vector<std::function<OperationResult()>> operations = {
        [&] { return ops.Erase(); },   [&] { return ops.BlankCheck(); },
        [&] { return ops.Program(); }, [&] { return ops.Verify(); },
        [&] { return ops.Auto(); },    [&] { return ops.LockBit(LockChoice::Lock2); }};
    const unsigned char signature[3] = {0x1E, 0x96, 0x09};
    for (const auto& operation : operations) {
        const OperationResult result = operation();
        EXPECT_EQ(result.outcome, Outcome::ChipRefused);
        EXPECT_STREQ(result.chip->name, "ATmega644/ATmega644A");
        EXPECT_TRUE(std::equal(signature, signature + 3, result.signature));
        EXPECT_TRUE(Released());
    }
    EXPECT_EQ(board.Chip().counters().chipErases, 0u);
    EXPECT_EQ(board.Chip().counters().flashWrites, 0u);
    EXPECT_TRUE(steps.events.empty());
}

// MISO scripted for the opening: the echo of Programming Enable, then 1E 99 99.
TEST_F(DeviceOpsTest, AnUnknownSignatureOfTheMakerChangesNothing) {
    PortRecorder recorder;
    recorder.ScriptMiso({0x00, 0x00, 0x53, 0x00, 0x00, 0x00, 0x00, 0x1E, //
                         0x00, 0x00, 0x00, 0x99, 0x00, 0x00, 0x00, 0x99});
    const OperationResult result = ops.Erase();
    EXPECT_EQ(result.outcome, Outcome::UnknownChip);
    const unsigned char signature[3] = {0x1E, 0x99, 0x99};
    EXPECT_TRUE(std::equal(signature, signature + 3, result.signature));
    EXPECT_EQ(board.Chip().counters().chipErases, 0u);
    EXPECT_TRUE(Released());
}

} // namespace
