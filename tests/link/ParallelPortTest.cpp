// The printer-port registers on the simulated port: which address each operation
// touches, exactly once, with the hardware's inversions undone, in both the
// explicit-base and the stored-base form; port selection; and no access without a port.
#include "link/ParallelPort.h"
#include "tests/harness/TestBoard.h"
#include "tests/link/PortRecorder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

enum class Op { OutData, InData, OutControl, InControl, InStatus };

struct RegisterCase {
    const char* name;
    Op op;
    int value;     // written by the program, or read from the port
    WORD offset;   // register offset the single access must go to
    BYTE atPort;   // value on the port: written there, or what the port returns
    int toProgram; // what a read returns to the program
};

// Control bits 0, 1 and 3 and status bit 7 are inverted by the port hardware.
const RegisterCase kRegisterCases[] = {
    {"data 0x00", Op::OutData, 0x00, 0, 0x00, 0},
    {"data 0xA5", Op::OutData, 0xA5, 0, 0xA5, 0},
    {"data 0x1FF keeps the low byte", Op::OutData, 0x1FF, 0, 0xFF, 0},
    {"data -1 keeps the low byte", Op::OutData, -1, 0, 0xFF, 0},
    {"data read 0x5A", Op::InData, 0, 0, 0x5A, 0x5A},
    {"data read 0xFF", Op::InData, 0, 0, 0xFF, 0xFF},
    {"control 0x00", Op::OutControl, 0x00, 2, 0x0B, 0},
    {"control bit 0", Op::OutControl, 0x01, 2, 0x0A, 0},
    {"control bit 1", Op::OutControl, 0x02, 2, 0x09, 0},
    {"control bit 2", Op::OutControl, 0x04, 2, 0x0F, 0},
    {"control bit 3", Op::OutControl, 0x08, 2, 0x03, 0},
    {"control bit 4", Op::OutControl, 0x10, 2, 0x1B, 0},
    {"control bit 5", Op::OutControl, 0x20, 2, 0x2B, 0},
    {"control bit 6", Op::OutControl, 0x40, 2, 0x4B, 0},
    {"control bit 7", Op::OutControl, 0x80, 2, 0x8B, 0},
    {"control 0xFF", Op::OutControl, 0xFF, 2, 0xF4, 0},
    {"control 0x1F4 keeps the low byte", Op::OutControl, 0x1F4, 2, 0xFF, 0},
    {"control read 0x0B", Op::InControl, 0, 2, 0x0B, 0x00},
    {"control read 0x0A", Op::InControl, 0, 2, 0x0A, 0x01},
    {"control read 0x04", Op::InControl, 0, 2, 0x04, 0x0F},
    {"control read 0xF4", Op::InControl, 0, 2, 0xF4, 0xFF},
    {"control read 0xFF", Op::InControl, 0, 2, 0xFF, 0xF4},
    {"status read 0x7F", Op::InStatus, 0, 1, 0x7F, 0xFF},
    {"status read 0x40", Op::InStatus, 0, 1, 0x40, 0xC0},
    {"status read 0x80", Op::InStatus, 0, 1, 0x80, 0x00},
    {"status read 0x00", Op::InStatus, 0, 1, 0x00, 0x80},
    {"status read 0xFF", Op::InStatus, 0, 1, 0xFF, 0x7F},
    {"status read 0x08", Op::InStatus, 0, 1, 0x08, 0x88},
};

// Runs one operation through the explicit form (base given) or the stored form.
int RunOp(CParallelPort& port, Op op, int value, const WORD* explicitBase) {
    switch (op) {
    case Op::OutData:
        explicitBase ? port.OutData(*explicitBase, value) : port.WriteData(value);
        return 0;
    case Op::InData:
        return explicitBase ? port.InData(*explicitBase) : port.ReadData();
    case Op::OutControl:
        explicitBase ? port.OutControl(*explicitBase, value) : port.WriteControl(value);
        return 0;
    case Op::InControl:
        return explicitBase ? port.InControl(*explicitBase) : port.ReadControl();
    case Op::InStatus:
        return explicitBase ? port.InStatus(*explicitBase) : port.ReadStatus();
    }
    return -1;
}

bool IsWrite(Op op) {
    return op == Op::OutData || op == Op::OutControl;
}

class RegisterTest : public testing::TestWithParam<RegisterCase> {
protected:
    TestBoard board;
    PortRecorder recorder;
    CParallelPort port{board.Access()};

    void Expect(const WORD* explicitBase, WORD base) {
        const RegisterCase& c = GetParam();
        recorder.Clear();
        recorder.answer = [&](WORD, BYTE) { return c.atPort; };
        const int result = RunOp(port, c.op, c.value, explicitBase);
        ASSERT_EQ(recorder.Accesses().size(), 1u);
        const PortAccess& access = recorder.Accesses()[0];
        EXPECT_EQ(access.write, IsWrite(c.op));
        EXPECT_EQ(access.address, static_cast<WORD>(base + c.offset));
        EXPECT_EQ(access.value, c.atPort);
        if (!IsWrite(c.op)) {
            EXPECT_EQ(result, c.toProgram);
        }
    }
};

TEST_P(RegisterTest, StoredBaseFormTouchesOneRegisterOnce) {
    port.SetPort(1);
    Expect(nullptr, 0x378);
}

TEST_P(RegisterTest, ExplicitFormUsesTheGivenBase) {
    port.SetPort(1);
    const WORD base = 0x278;
    Expect(&base, base);
}

INSTANTIATE_TEST_SUITE_P(Registers, RegisterTest, testing::ValuesIn(kRegisterCases),
                         [](const testing::TestParamInfo<RegisterCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(RegisterAddress, StatusAndControlAddressesWrapIn16Bits) {
    TestBoard board;
    PortRecorder recorder;
    CParallelPort port{board.Access()};
    port.OutControl(0xFFFF, 0x00);
    port.InStatus(0xFFFF);
    ASSERT_EQ(recorder.Accesses().size(), 2u);
    EXPECT_EQ(recorder.Accesses()[0].address, 0x0001);
    EXPECT_EQ(recorder.Accesses()[1].address, 0x0000);
}

struct SelectCase {
    WORD before; // base selected first (through port 1..3), or 0 for none
    int port;
    WORD after;
};

TEST(PortSelection, SelectsTheBaseOfPorts1To3AndKeepsItOtherwise) {
    const SelectCase cases[] = {
        {0, 1, 0x378},     {0, 2, 0x278},     {0, 3, 0x3BC},          {0, 0, 0},
        {0, 4, 0},         {0, -1, 0},        {0x278, 0, 0x278},      {0x278, 4, 0x278},
        {0x3BC, 1, 0x378}, {0x378, 3, 0x3BC}, {0x3BC, 0x7FFF, 0x3BC},
    };
    const int portOf[] = {0x378, 0x278, 0x3BC};
    TestBoard board;
    PortRecorder recorder;
    for (const SelectCase& c : cases) {
        SCOPED_TRACE("from 0x" + std::to_string(c.before) + ", SetPort(" + std::to_string(c.port) +
                     ")");
        CParallelPort port{board.Access()};
        for (int n = 1; n <= 3; ++n)
            if (portOf[n - 1] == c.before)
                port.SetPort(n);
        port.SetPort(c.port);
        EXPECT_EQ(port.GetBase(), c.after);
        EXPECT_EQ(port.HasPort(), c.after != 0 ? TRUE : FALSE);
    }
    EXPECT_TRUE(recorder.Accesses().empty()) << "choosing a port touches no register";
}

TEST(NoPort, NoRegisterIsEverTouched) {
    TestBoard board;
    PortRecorder recorder;
    CParallelPort port{board.Access()};
    const auto before = board.Clock().NowNs();
    port.WriteData(0x55);
    port.WriteControl(0x55);
    EXPECT_EQ(port.ReadData(), 0xFF);
    port.ReadControl();
    port.ReadStatus();
    port.OutData(0, 0x55);
    port.OutControl(0, 0x55);
    port.InData(0);
    port.InControl(0);
    port.InStatus(0);
    EXPECT_TRUE(recorder.Accesses().empty());
    EXPECT_EQ(board.Clock().NowNs(), before) << "the board saw a port access";
}

} // namespace
