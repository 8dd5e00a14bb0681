// Where an operation finds its port, and what it does when it cannot reach it: a port
// card at an address of its own (LPTn BASE), a settings file that names no printer
// port or a bad address, a port driver that is not running or stops, and a system
// that grants some of the port's addresses and refuses the others.
#include "port/CpuContext.h"
#include "port/InpOutCalls.h"
#include "port/PortIoDirect.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/TestPort.h"
#include "tests/link/PortRecorder.h"
#include "tests/ops/OpsFixture.h"

#include <cstring>

namespace {

const char kNoAnswer[] = "Error! Please check your CPU, power supply and printer port.";
const char kDriverNotRunning[] = "The printer port driver is not running.";
const char kPortRefused[] = "The printer port could not be accessed.";

std::string Settings(const char* extra) {
    return std::string("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n") + extra;
}

sim::BoardSettings BoardAt(std::uint16_t base) {
    sim::BoardSettings settings;
    settings.cableBase = base;
    return settings;
}

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, std::strlen(start), start) == 0;
}

class CardAtD010Test : public OpsTest {
protected:
    CardAtD010Test() : OpsTest(BoardAt(0xD010), "") {}
};

TEST_F(CardAtD010Test, AutoProgramsTheChipThroughTheBaseOfTheSettingsFile) {
    SettingsFile::Write(Settings("LPT PORT=2\r\nLPT2 BASE=0xD010\r\n"));
    const std::vector<unsigned char> image = TestImage(64);
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_AUTO);
        EXPECT_EQ(dlg.Port().GetBase(), 0xD010);
        EXPECT_EQ(ProgressText(dialog), "Verfify Ok");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), board.Chip().flash().begin()));
    EXPECT_TRUE(Released());
    EXPECT_EQ(SettingsFile::Contents(), Settings("LPT PORT=2\r\nLPT2 BASE=0xD010\r\n"))
        << "the program never writes the base";
}

TEST_F(CardAtD010Test, WithoutTheKeyTheStandardBaseFindsNoChip) {
    SettingsFile::Write(Settings("LPT PORT=2\r\n"));
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        ClickButton(dialog, IDC_ERASE);
        EXPECT_EQ(dlg.Port().GetBase(), 0x278);
    });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kNoAnswer);
    EXPECT_EQ(board.Chip().counters().chipErases, 0u);
}

TEST_F(CardAtD010Test, TheBaseIsReadAgainAtEveryOperation) {
    SettingsFile::Write(Settings("LPT PORT=2\r\n"));
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        SettingsFile::Write(Settings("LPT PORT=2\r\nLPT2 BASE=53264\r\n"));
        ClickButton(dialog, IDC_ERASE);
        EXPECT_EQ(dlg.Port().GetBase(), 0xD010);
        EXPECT_EQ(ProgressText(dialog), "Erase Ok");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

struct BaseCase {
    const char* value;
    bool usable;
    WORD base;
};

class BaseValueTest : public OpsTest, public testing::WithParamInterface<BaseCase> {
protected:
    BaseValueTest() : OpsTest(sim::BoardSettings{}, "") {}
};

TEST_P(BaseValueTest, UsableBasesAreTakenOthersAreToldWithoutTouchingThePort) {
    const BaseCase& c = GetParam();
    SettingsFile::Write(Settings("LPT PORT=3\r\nLPT3 BASE=") + c.value + "\r\n");
    PortRecorder recorder;
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        recorder.Clear();
        ClickButton(dialog, IDC_BLANK);
        if (c.usable) {
            EXPECT_EQ(dlg.Port().GetBase(), c.base);
        }
    });
    if (c.usable) {
        EXPECT_FALSE(recorder.Accesses().empty());
        for (const PortAccess& access : recorder.Accesses())
            EXPECT_TRUE(access.address >= c.base && access.address <= c.base + 2);
        return;
    }
    EXPECT_TRUE(recorder.Accesses().empty()) << "no port access with a bad base";
    EXPECT_TRUE(board.Waits().Waits().empty());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& text = boxes.Boxes()[0].text;
    EXPECT_NE(text.find(std::string("LPT3 BASE=") + c.value + ","), std::string::npos) << text;
    EXPECT_NE(text.find(SettingsFile::Path()), std::string::npos) << text;
    EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
}

INSTANTIATE_TEST_SUITE_P(
    Values, BaseValueTest,
    testing::Values(BaseCase{"0xD010", true, 0xD010}, BaseCase{"0XbC00", true, 0xBC00},
                    BaseCase{"956", true, 0x3BC}, BaseCase{"0xFFFD", true, 0xFFFD},
                    BaseCase{"0x0378", true, 0x378}, BaseCase{"", false, 0},
                    BaseCase{"0", false, 0}, BaseCase{"0x0", false, 0}, BaseCase{"0x", false, 0},
                    BaseCase{"0xFFFE", false, 0}, BaseCase{"65534", false, 0},
                    BaseCase{"0x10000", false, 0}, BaseCase{"99999999999999999999", false, 0},
                    BaseCase{"-888", false, 0}, BaseCase{"D010", false, 0},
                    BaseCase{"0x378h", false, 0}, BaseCase{"888 ; LPT1", false, 0},
                    BaseCase{"lpt", false, 0}));

class StoredPortTest : public OpsTest, public testing::WithParamInterface<const char*> {
protected:
    StoredPortTest() : OpsTest(sim::BoardSettings{}, "") {}
};

TEST_P(StoredPortTest, AValueThatIsNoPrinterPortIsToldAndNothingTouchesThePort) {
    SettingsFile::Write(Settings("LPT PORT=") + GetParam() + "\r\n");
    PortRecorder recorder;
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        dlg.HexFile().Image().end = 15;
        for (int button : {IDC_ERASE, IDC_AUTO, IDC_LOCKBIT})
            ClickButton(dialog, button);
    });
    EXPECT_TRUE(recorder.Accesses().empty());
    EXPECT_TRUE(board.Waits().Waits().empty());
    ASSERT_EQ(boxes.Boxes().size(), 3u) << "one message per operation";
    const std::string& text = boxes.Boxes()[0].text;
    EXPECT_NE(text.find(std::string("LPT PORT=") + GetParam() + ","), std::string::npos) << text;
    EXPECT_NE(text.find("Please choose Lpt1, Lpt2 or Lpt3."), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Values, StoredPortTest, testing::Values("4", "7", "-1"));

// A port driver of the test's own that answers "not running", and counts what reaches it.
int g_driverAccesses = 0;
BOOL g_driverOpen = FALSE;
short WINAPI CountedInp32(short) {
    ++g_driverAccesses;
    return 0xFF;
}
void WINAPI CountedOut32(short, short) {
    ++g_driverAccesses;
}
BOOL WINAPI DriverOpen() {
    return g_driverOpen;
}
const InpOutCalls kClosedDriver = {&CountedInp32, &CountedOut32, &DriverOpen};

TEST_F(OpsTest, ADriverThatIsNotRunningGivesOneMessageAndNoAccessNoWait) {
    g_driverAccesses = 0;
    g_driverOpen = FALSE;
    CPortAccess closed(kClosedDriver);
    RunDialogWith(closed, [&](CTamberloDlg& dlg, HWND dialog) {
        dlg.HexFile().Image().end = 15;
        ClickButton(dialog, IDC_AUTO);
        ClickButton(dialog, IDC_LOCKBIT);
    });
    EXPECT_EQ(g_driverAccesses, 0);
    EXPECT_TRUE(board.Waits().Waits().empty());
    ASSERT_EQ(boxes.Boxes().size(), 2u) << "one message per operation";
    for (const CapturedBox& box : boxes.Boxes())
        EXPECT_TRUE(StartsWith(box.text, kDriverNotRunning)) << box.text;
}

// The board behind a driver that stops answering part way through an operation.
sim::Board* g_stoppingBoard = nullptr;
long g_accessesLeft = 0;
short WINAPI StoppingInp32(short port) {
    if (g_accessesLeft <= 0)
        return 0xFF;
    --g_accessesLeft;
    return g_stoppingBoard->In(static_cast<WORD>(port));
}
void WINAPI StoppingOut32(short port, short data) {
    if (g_accessesLeft <= 0)
        return;
    --g_accessesLeft;
    g_stoppingBoard->Out(static_cast<WORD>(port), static_cast<BYTE>(data));
}
BOOL WINAPI StoppingOpen() {
    return g_accessesLeft > 0;
}
const InpOutCalls kStoppingDriver = {&StoppingInp32, &StoppingOut32, &StoppingOpen};

struct StopCase {
    const char* name;
    int button;
    long accesses; // how far the operation gets before the driver stops
};

class DriverStopsTest : public OpsTest, public testing::WithParamInterface<StopCase> {};

TEST_P(DriverStopsTest, TheOperationEndsInTheDriverMessageNeverInSuccess) {
    g_stoppingBoard = &board.Board();
    g_accessesLeft = GetParam().accesses;
    CPortAccess stopping(kStoppingDriver);
    RunDialogWith(stopping, [&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, std::vector<unsigned char>(256, 0xFF)); // what reads of a dead port give
        ClickButton(dialog, GetParam().button);
        const std::string caption = ProgressText(dialog);
        EXPECT_EQ(caption.find(" Ok"), std::string::npos) << caption;
    });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(StartsWith(boxes.Boxes()[0].text, kDriverNotRunning)) << boxes.Boxes()[0].text;
}

// One exchange is about 7 accesses per bit; the opening takes a few hundred.
INSTANTIATE_TEST_SUITE_P(
    Ops, DriverStopsTest,
    testing::Values(StopCase{"Opening", IDC_ERASE, 100}, StopCase{"Blank", IDC_BLANK, 5000},
                    StopCase{"Program", IDC_PROGRAM, 5000}, StopCase{"Verify", IDC_VERIFY, 5000},
                    StopCase{"Auto", IDC_AUTO, 20000}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

// A system that grants some of the port's addresses and refuses the others, as a port
// I/O permission map with holes does. This handler runs before the program's own: it
// carries out the granted in/out instructions on the board and leaves the refused ones
// to the program's guard.
sim::Board* g_grantingBoard = nullptr;
unsigned g_grantedRegisters = 0; // bit n: base + n is granted

LONG CALLBACK GrantSomeRegisters(PEXCEPTION_POINTERS info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* context = info->ContextRecord;
    const ULONG_PTR at = InstructionPointer(context);
    const bool in = at == CodeAddress(TamberloPortInInstruction);
    const bool out = at == CodeAddress(TamberloPortOutInstruction);
    const auto address = static_cast<WORD>(DataRegister(context) & 0xFFFF);
    const unsigned offset = address - 0x378u;
    if ((!in && !out) || offset > 2 || (g_grantedRegisters & (1u << offset)) == 0)
        return EXCEPTION_CONTINUE_SEARCH;
    if (in)
        Accumulator(context) =
            (Accumulator(context) & ~ULONG_PTR{0xFF}) | g_grantingBoard->In(address);
    else
        g_grantingBoard->Out(address, static_cast<BYTE>(Accumulator(context) & 0xFF));
    InstructionPointer(context) = at + 1;
    return EXCEPTION_CONTINUE_EXECUTION;
}

struct GrantCase {
    const char* name;
    unsigned granted;
    bool resetCanRise; // the data register carries RESET
};

class PartlyRefusedTest : public OpsTest, public testing::WithParamInterface<GrantCase> {};

TEST_P(PartlyRefusedTest, TheTargetIsReleasedAndThePortMessageShown) {
    g_grantingBoard = &board.Board();
    g_grantedRegisters = GetParam().granted;
    CPortAccess direct; // no driver DLL beside the tests: the x86 instructions
    RunDialogWith(direct, [&](CTamberloDlg& dlg, HWND dialog) {
        dlg.Port().SetPort(1);
        dlg.Port().ReadStatus(); // the program's guard is installed at its first instruction
        PVOID handler = ::AddVectoredExceptionHandler(1, GrantSomeRegisters);
        dlg.HexFile().Image().end = 15;
        for (int button : {IDC_ERASE, IDC_AUTO})
            ClickButton(dialog, button);
        ::RemoveVectoredExceptionHandler(handler);
    });
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    for (const CapturedBox& box : boxes.Boxes())
        EXPECT_TRUE(StartsWith(box.text, kPortRefused)) << box.text;
    EXPECT_EQ(board.Chip().counters().chipErases, 0u);
    if (GetParam().resetCanRise) {
        EXPECT_TRUE(board.Board().pins().reset) << "the target runs again";
        EXPECT_TRUE(board.Board().pins().sck);
    }
}

INSTANTIATE_TEST_SUITE_P(Grants, PartlyRefusedTest,
                         testing::Values(GrantCase{"DataOnly", 0x1, true},
                                         GrantCase{"DataAndStatus", 0x3, true},
                                         GrantCase{"DataAndControl", 0x5, true},
                                         GrantCase{"StatusAndControl", 0x6, false}),
                         [](const testing::TestParamInfo<GrantCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
