// The program without its port driver DLL under Wine, which (like Windows NT without a port
// driver) refuses a program the in/out instructions: the refusal is caught at our own
// port instructions only, reads give 0xFF, and a device operation tells the user how
// to get port access, while the program keeps running.
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "link/ParallelPort.h"
#include "port/CpuContext.h"
#include "port/InpOutCalls.h"
#include "port/PortAccess.h"
#include "port/PortIoDirect.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/SleepRecorder.h"

#include <gtest/gtest.h>

// A privileged instruction that is not one of the program's port instructions.
extern "C" {
void TestPrivilegedInstruction();
extern const unsigned char TestPrivilegedInstructionAt[];
}
// clang-format off
#define TEST_ASM_NAME(name) TEST_ASM_STRING(__USER_LABEL_PREFIX__) #name
#define TEST_ASM_STRING(text) TEST_ASM_STRING_OF(text)
#define TEST_ASM_STRING_OF(text) #text
asm("    .text\n"
    "    .globl " TEST_ASM_NAME(TestPrivilegedInstruction) "\n"
    "    .globl " TEST_ASM_NAME(TestPrivilegedInstructionAt) "\n"
    TEST_ASM_NAME(TestPrivilegedInstruction) ":\n"
    TEST_ASM_NAME(TestPrivilegedInstructionAt) ":\n"
    "    hlt\n"
    "    ret\n");
// clang-format on

namespace {

const char kPortRefused[] =
    "The printer port could not be accessed.\n"
    "Windows did not allow this program to use the printer port. Put " TAMBERLO_PORT_DRIVER_DLL
    " from InpOut32 beside tamberlo.exe and run tamberlo once as administrator, so that InpOut32 "
    "can install its port driver (see the README).";

TEST(PortAccess, WithoutInpOut32TheInstructionsAreUsed) {
    CPortAccess access;
    EXPECT_EQ(access.Begin(), PortProblem::None);
    EXPECT_EQ(access.Route(), PortRoute::Direct);
}

TEST(PortAccess, RefusedReadGivesFFAndIsRecorded) {
    ForgetDirectPortRefusal();
    EXPECT_EQ(DirectPortIn(0x379), 0xFF);
    EXPECT_TRUE(DirectPortRefused());
    ForgetDirectPortRefusal();
    DirectPortOut(0x378, 0x00);
    EXPECT_TRUE(DirectPortRefused());
    ForgetDirectPortRefusal();
    EXPECT_FALSE(DirectPortRefused());
}

TEST(PortAccess, RegistersReadAsAnAbsentPortWhenRefused) {
    CPortAccess access;
    access.Begin();
    CParallelPort port(access);
    port.SetPort(1);
    port.WriteData(0x00);
    EXPECT_EQ(access.Problem(), PortProblem::Refused);
    EXPECT_EQ(port.ReadData(), 0xFF);
    EXPECT_EQ(port.ReadStatus(), 0x7F);
    EXPECT_EQ(port.ReadControl(), 0xF4);
    EXPECT_EQ(access.Begin(), PortProblem::None) << "each operation starts afresh";
    EXPECT_EQ(access.Problem(), PortProblem::None);
}

// A handler behind ours: it sees only what ours leaves alone.
int g_othersSeen = 0;
LONG CALLBACK SkipTestInstruction(PEXCEPTION_POINTERS info) {
    if (InstructionPointer(info->ContextRecord) != CodeAddress(TestPrivilegedInstructionAt))
        return EXCEPTION_CONTINUE_SEARCH;
    ++g_othersSeen;
    InstructionPointer(info->ContextRecord) += 1;
    return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(PortAccess, OtherPrivilegedInstructionsAreNotOurs) {
    DirectPortIn(0x379); // makes sure our handler is installed
    ForgetDirectPortRefusal();
    PVOID handler = ::AddVectoredExceptionHandler(0, SkipTestInstruction);
    g_othersSeen = 0;
    TestPrivilegedInstruction();
    ::RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ(g_othersSeen, 1);
    EXPECT_FALSE(DirectPortRefused());
}

class RefusedOpsTest : public testing::Test {
protected:
    void SetUp() override {
        SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    }
    SleepRecorder waits;
    MessageBoxCapture boxes;
    DialogDriver driver;
};

TEST_F(RefusedOpsTest, EachOperationExplainsAndTheProgramKeepsRunning) {
    const int buttons[] = {IDC_ERASE, IDC_BLANK, IDC_LOCKBIT, IDC_PROGRAM, IDC_VERIFY, IDC_AUTO};
    bool aliveAfterAll = false;
    CPortAccess portAccess; // no driver DLL beside the tests: the instructions
    CTamberloDlg dlg(portAccess);
    RunMainDialog(dlg, driver, [&](HWND dialog) {
        dlg.HexFile().Image().end = 15;
        for (int button : buttons)
            ClickButton(dialog, button);
        aliveAfterAll = ::IsWindow(dialog) && ::IsWindowEnabled(dialog);
    });
    EXPECT_TRUE(aliveAfterAll);
    EXPECT_TRUE(waits.Waits().empty()) << "a refused port is told at once, without waiting";
    ASSERT_EQ(boxes.Boxes().size(), std::size(buttons)) << "one box per operation";
    for (const CapturedBox& box : boxes.Boxes()) {
        EXPECT_EQ(box.text, kPortRefused);
        EXPECT_EQ(box.caption, "tamberlo");
        EXPECT_EQ(box.icon, 0u);
    }
}

} // namespace
