// A soak of the device operations on misbehaving boards: a few hundred operations
// clicked in the main dialog, chosen at random from a printed seed, on boards with
// random faults (a chip that stops answering, stuck flash cells, no power, no chip, a
// low supply or a slow chip clock with delays too short for it, lock bits already set),
// all in virtual time. After every operation: a success caption without a message box is
// true of the chip (SoakClaims.h); anything else was told in exactly one box; the lines
// are released; the operation ended within a bound of port accesses and virtual time.
#include "link/BitDelay.h"
#include "tests/harness/TestPort.h"
#include "tests/ops/OpsFixture.h"
#include "tests/ops/SoakClaims.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

namespace {

constexpr std::uint32_t kDefaultSeed = 20261210;
constexpr unsigned long kDefaultOperations = 300;
// A BitDelay pass takes this long in virtual time whatever this processor does, so a
// seed gives the same run on every machine.
constexpr double kPassNs = 1500;
constexpr std::uint64_t kAccessNs = 1000; // the virtual clock's cost of one port access
constexpr std::uint64_t kAccessesPerExchange = 32 * 7;
constexpr std::uint64_t kAccessesPerEnterAndRelease = 8 + 6;
constexpr std::uint32_t kMaxImageBytes = 48;
const char kNoImage[] = "Please open a Hex File before writing memory.";

struct OpInfo {
    SoakOp op;
    const char* name;
    int button;
    int lockRadio;      // checked before the click; 0 = neither lock button
    const char* okText; // the caption of a success; null: none
    bool usesImage;
    double weight;
};

const OpInfo kOps[] = {
    {SoakOp::Erase, "Erase", IDC_ERASE, 0, "Erase Ok", false, 20},
    {SoakOp::Blank, "Blank", IDC_BLANK, 0, "Blank Ok", false, 4},
    {SoakOp::Program, "Program", IDC_PROGRAM, 0, "Program Flash Ok", true, 20},
    {SoakOp::Verify, "Verify", IDC_VERIFY, 0, "Verfify Ok", true, 24},
    {SoakOp::Auto, "Auto", IDC_AUTO, 0, "Verfify Ok", true, 3},
    {SoakOp::Lock1, "Lock 1 Bit", IDC_LOCKBIT, IDC_LOCK1, "Lock 1 Bit Ok", false, 3},
    {SoakOp::Lock2, "Lock 2 Bit", IDC_LOCKBIT, IDC_LOCK2, "Lock 2 Bit Ok", false, 2},
    {SoakOp::NoLockChosen, "Lock Bit, none chosen", IDC_LOCKBIT, 0, nullptr, false, 3},
};

int Pick(std::mt19937& rng, std::initializer_list<double> weights) {
    return std::discrete_distribution<int>(weights)(rng);
}

unsigned Between(std::mt19937& rng, unsigned low, unsigned high) {
    return std::uniform_int_distribution<unsigned>(low, high)(rng);
}

unsigned long EnvNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoul(text, nullptr, 0) : fallback;
}

struct Scenario {
    sim::BoardSettings board;
    unsigned delayBit = 1;
    unsigned delayByte = 1;
    std::uint8_t lockBitsToSet = 0; // programmed in the chip before the first operation
    std::string description;
};

Scenario RandomScenario(std::mt19937& rng) {
    Scenario s;
    char text[96];
    switch (Pick(rng, {45, 10, 10, 4, 4, 12, 10, 5})) {
    case 0:
        s.description = "healthy";
        break;
    case 1:
        s.board.fault = sim::BoardFault::StopAnswering;
        s.board.stopAfterInstructions = Between(rng, 1, 120);
        std::snprintf(text, sizeof text, "the chip stops after %lu instructions",
                      s.board.stopAfterInstructions);
        s.description = text;
        break;
    case 2:
        s.description = "stuck cells";
        for (unsigned n = Between(rng, 1, 3); n > 0; --n) {
            const std::uint32_t index =
                Between(rng, 0, 3) == 0 ? Between(rng, 0, 8191) : Between(rng, 0, kMaxImageBytes);
            const auto value = static_cast<std::uint8_t>(Between(rng, 0, 255));
            s.board.stuckFlash[index] = value;
            std::snprintf(text, sizeof text, " 0x%04X=0x%02X", index, value);
            s.description += text;
        }
        break;
    case 3:
        s.board.fault = sim::BoardFault::NoPower;
        s.description = "chip unpowered";
        break;
    case 4:
        s.board.fault = sim::BoardFault::NoChip;
        s.description = "no chip on the cable";
        break;
    case 5:
        s.board.supplyVolts = Between(rng, 0, 1) == 0 ? 2.7 : 3.3;
        s.delayByte = Between(rng, 1, 3);
        std::snprintf(text, sizeof text, "%.1f V supply", s.board.supplyVolts);
        s.description = text;
        break;
    case 6: {
        const std::uint32_t clocks[] = {500'000, 350'000, 250'000};
        s.board.chipClockHz = clocks[Between(rng, 0, 2)];
        s.delayBit = Between(rng, 1, 3);
        std::snprintf(text, sizeof text, "chip clock %u Hz", s.board.chipClockHz);
        s.description = text;
        break;
    }
    default:
        s.lockBitsToSet =
            Between(rng, 0, 1) == 0 ? sim::kLockBit1 : (sim::kLockBit1 | sim::kLockBit2);
        s.description =
            s.lockBitsToSet == sim::kLockBit1 ? "lock bit 1 set" : "lock bits 1 and 2 set";
        break;
    }
    return s;
}

// An image of 2 to 48 bytes with some erased bytes among them, or now and then a single
// byte: end index 0, which the program takes for "nothing loaded".
std::vector<unsigned char> RandomImage(std::mt19937& rng) {
    std::vector<unsigned char> image(Between(rng, 0, 19) == 0 ? 1
                                                              : Between(rng, 2, kMaxImageBytes));
    for (unsigned char& byte : image)
        byte = Between(rng, 0, 6) == 0 ? 0xFF : static_cast<unsigned char>(Between(rng, 0, 255));
    return image;
}

// The most one operation may do: instructions exchanged, entries into programming mode,
// and the waits it asks for, in ms per unit of DELAY BYTE.
struct Work {
    std::uint64_t exchanges;
    std::uint64_t enters;
    std::uint64_t sleepMsPerDelayByte;
};

// Every entry into programming mode that the chip answers reads its three signature bytes.
constexpr std::uint64_t kSignatureReadsPerEnter = 3;

Work WithSignatureReads(Work work) {
    work.exchanges += kSignatureReadsPerEnter * work.enters;
    return work;
}

Work MostWorkBeforeSignatures(SoakOp op, std::uint64_t walked) {
    switch (op) {
    case SoakOp::Erase:
        return {2, 1, 800 + 40};
    case SoakOp::Blank:
        return {1 + 8192, 1, 800};
    case SoakOp::Program:
        return {1 + walked, 1, 800 + 4 * walked};
    case SoakOp::Verify:
        return {1 + walked, 1, 800};
    case SoakOp::Auto:
        return {5 + 1 + 8192 + 2 * walked, 5, 5 * 800 + 40 + 4 * walked};
    case SoakOp::Lock1:
    case SoakOp::Lock2:
        return {3, 2, 2 * 800 + 100};
    case SoakOp::NoLockChosen:
        return {1, 1, 800};
    }
    return {0, 0, 0};
}

Work MostWork(SoakOp op, std::uint64_t walked) {
    return WithSignatureReads(MostWorkBeforeSignatures(op, walked));
}

// "" when an operation stayed within the port accesses and the virtual time that `most`
// allows on a board with these delays; else what it overran.
std::string Overrun(const Work& most, const Scenario& s, unsigned long accesses,
                    std::uint64_t elapsedNs) {
    const std::uint64_t accessBound =
        most.exchanges * kAccessesPerExchange + most.enters * kAccessesPerEnterAndRelease + 6;
    if (accesses > accessBound)
        return std::to_string(accesses) + " port accesses, more than " +
               std::to_string(accessBound);
    const double nsBound =
        static_cast<double>(most.sleepMsPerDelayByte * s.delayByte) * 1e6 +
        static_cast<double>(most.exchanges) *
            (64.0 * s.delayBit * kPassNs + kAccessesPerExchange * kAccessNs) +
        static_cast<double>(most.enters * kAccessesPerEnterAndRelease * kAccessNs) + 1e6;
    if (static_cast<double>(elapsedNs) > nsBound)
        return std::to_string(elapsedNs / 1000000) + " ms of virtual time, more than " +
               std::to_string(static_cast<std::uint64_t>(nsBound / 1e6));
    return "";
}

class Soak {
public:
    Soak(CTamberloDlg& dlg, HWND dialog, MessageBoxCapture& boxes, ProgressLog& progress)
        : m_dlg(dlg), m_dialog(dialog), m_boxes(boxes), m_progress(progress) {}

    // Runs one operation on `board`; false once an invariant did not hold.
    bool RunOne(unsigned long number, std::mt19937& rng, TestBoard& board, const Scenario& s);
    void PrintTally() const;

private:
    CTamberloDlg& m_dlg;
    HWND m_dialog;
    MessageBoxCapture& m_boxes;
    ProgressLog& m_progress;
    std::vector<unsigned char> m_image; // the file loaded now
    std::map<std::string, unsigned> m_outcomes;
    std::map<std::string, unsigned> m_unseen;
};

bool Soak::RunOne(unsigned long number, std::mt19937& rng, TestBoard& board, const Scenario& s) {
    std::vector<double> weights;
    for (const OpInfo& info : kOps)
        weights.push_back(info.weight);
    const OpInfo& op = kOps[std::discrete_distribution<int>(weights.begin(), weights.end())(rng)];
    // Now and then the user loads another file; mostly the same one stays loaded.
    if (m_image.empty() || Between(rng, 0, 4) == 0) {
        m_image = RandomImage(rng);
        std::fill(std::begin(m_dlg.HexFile().Image().bytes),
                  std::end(m_dlg.HexFile().Image().bytes), 0xFF);
        std::copy(m_image.begin(), m_image.end(), m_dlg.HexFile().Image().bytes);
        m_dlg.HexFile().Image().end = static_cast<std::uint32_t>(m_image.size() - 1);
    }
    const std::uint32_t walked =
        m_dlg.HexFile().Image().end == 0 ? 0 : (m_dlg.HexFile().Image().end + 2) & ~1u;

    sim::Chip& chip = board.Chip();
    const SoakBefore before{chip.memory(), chip.counters(), chip.stopped(),
                            std::vector<unsigned char>(m_dlg.HexFile().Image().bytes,
                                                       m_dlg.HexFile().Image().bytes + walked)};
    ::CheckDlgButton(m_dialog, IDC_LOCK1, op.lockRadio == IDC_LOCK1 ? BST_CHECKED : 0);
    ::CheckDlgButton(m_dialog, IDC_LOCK2, op.lockRadio == IDC_LOCK2 ? BST_CHECKED : 0);
    m_boxes.Clear();
    m_progress.Clear();
    const unsigned long accessesBefore = TestPort::Accesses();
    const std::uint64_t startNs = board.Clock().NowNs();

    ClickButton(m_dialog, op.button);

    const unsigned long accesses = TestPort::Accesses() - accessesBefore;
    const std::uint64_t elapsedNs = board.Clock().NowNs() - startNs;
    const auto& texts = m_progress.Texts();
    const bool success = m_boxes.Boxes().empty() && op.okText != nullptr && !texts.empty() &&
                         texts.back() == op.okText;
    char context[256];
    std::snprintf(context, sizeof context,
                  "operation %lu, %s with image end %u; board: %s; DELAY BIT %u, DELAY BYTE %u",
                  number, op.name, m_dlg.HexFile().Image().end, s.description.c_str(), s.delayBit,
                  s.delayByte);
    std::vector<std::string> problems;

    if (m_boxes.Boxes().size() > 1)
        problems.push_back(std::to_string(m_boxes.Boxes().size()) + " message boxes");
    if (m_boxes.Boxes().empty() && !success)
        problems.push_back("neither its success caption nor a message; last caption \"" +
                           (texts.empty() ? std::string() : texts.back()) + "\"");
    if (op.usesImage && m_dlg.HexFile().Image().end == 0 &&
        (m_boxes.Texts() != std::vector<std::string>{kNoImage} || accesses != 0))
        problems.push_back("nothing loaded, yet no refusal before touching the port");
    if (success) {
        const std::string unseen = WhyUnseen(op.op, before, chip);
        if (unseen.empty()) {
            const std::string wrong = CheckClaim(op.op, before, chip, s.board.stuckFlash);
            if (!wrong.empty())
                problems.push_back(std::string("claimed \"") + op.okText + "\", but " + wrong);
        } else {
            ++m_unseen[std::string(op.name) + ": " + unseen];
        }
    }
    const auto pins = board.Board().pins();
    if (accesses > 0 && !(pins.reset && pins.sck && pins.mosi))
        problems.push_back("lines left unreleased");
    const std::string overrun = Overrun(MostWork(op.op, walked), s, accesses, elapsedNs);
    if (!overrun.empty())
        problems.push_back(overrun);

    ++m_outcomes[std::string(op.name) + " -> " +
                 (success                   ? op.okText
                  : m_boxes.Boxes().empty() ? "(nothing)"
                                            : m_boxes.Boxes()[0].text.substr(0, 40))];
    for (const std::string& problem : problems)
        ADD_FAILURE() << context << ": " << problem;
    return problems.empty();
}

void Soak::PrintTally() const {
    std::printf("outcomes:\n");
    for (const auto& [outcome, count] : m_outcomes)
        std::printf("  %5u  %s\n", count, outcome.c_str());
    std::printf("successes not checked, for a reason the program cannot see:\n");
    for (const auto& [reason, count] : m_unseen)
        std::printf("  %5u  %s\n", count, reason.c_str());
}

TEST(FaultSoak, EverySuccessIsTrueOfTheChipAndEveryFailureIsTold) {
    const auto seed = static_cast<std::uint32_t>(EnvNumber("TAMBERLO_SOAK_SEED", kDefaultSeed));
    const unsigned long operations = EnvNumber("TAMBERLO_SOAK_OPERATIONS", kDefaultOperations);
    std::printf("fault soak: seed %u, %lu operations (TAMBERLO_SOAK_SEED, "
                "TAMBERLO_SOAK_OPERATIONS choose others)\n",
                seed, operations);
    std::mt19937 rng(seed);
    TestPort::SetNsPerBusyDecrement(kPassNs / kBitDelayCountdown);
    SettingsFile::Write(kOneMsSettings);
    MessageBoxCapture boxes;
    DialogDriver driver;
    ProgressLog progress;
    sim::ChipMemory memory; // the one chip, carried from board to board
    CPortAccess portAccess(TestPort::Driver());
    CTamberloDlg dlg(portAccess);
    RunMainDialog(dlg, driver, [&](HWND dialog) {
        progress.Watch(::GetDlgItem(dialog, IDC_PROGRESS));
        Soak soak(dlg, dialog, boxes, progress);
        unsigned long done = 0;
        bool holding = true;
        while (done < operations && holding) {
            const Scenario scenario = RandomScenario(rng);
            TestBoard board(scenario.board);
            board.Chip().memory() = memory;
            board.Chip().memory().lockFuse &= static_cast<std::uint8_t>(~scenario.lockBitsToSet);
            TypeText(dialog, IDC_DELAYBIT, std::to_string(scenario.delayBit).c_str());
            TypeText(dialog, IDC_DELAYBYTE, std::to_string(scenario.delayByte).c_str());
            for (unsigned n = Between(rng, 1, 4); n > 0 && done < operations && holding; --n)
                holding = soak.RunOne(++done, rng, board, scenario);
            memory = board.Chip().memory();
        }
        soak.PrintTally();
        if (!holding)
            std::printf("stopped at the first operation that broke an invariant; seed %u\n", seed);
    });
    TestPort::SetNsPerBusyDecrement(0);
}

} // namespace
