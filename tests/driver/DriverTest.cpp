// The simulated inpout32.dll as a program sees it: its exports, the programming
// handshake through Inp32/Out32 at any port base, addresses where nothing
// answers, the missing-driver fault, unusable settings, and the chip file
// written when the DLL unloads.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/driver/DllProgrammer.h"
#include "tests/driver/DriverLibrary.h"
#include "tests/harness/MessageBoxCapture.h"

namespace {

using drivertest::DllProgrammer;

const char* const kSettings[] = {
    "TAMBERLO_SIM_CHIP_FILE", "TAMBERLO_SIM_LPT",      "TAMBERLO_SIM_BASE",
    "TAMBERLO_SIM_VOLTS",     "TAMBERLO_SIM_CLOCK_HZ", "TAMBERLO_SIM_FAULT",
    "TAMBERLO_SIM_STUCK",     "TAMBERLO_SIM_VCD",      "TAMBERLO_SIM_XTAL"};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        char dir[MAX_PATH];
        ::GetTempPathA(sizeof dir, dir);
        m_chipFile = std::string(dir) + "tamberlo-driver-test-" +
                     std::to_string(::GetCurrentProcessId()) + ".bin";
        ::DeleteFileA(m_chipFile.c_str());
        SetRuntimeEnv("TAMBERLO_SIM_CHIP_FILE", m_chipFile.c_str());
    }
    void TearDown() override {
        ClearSettings();
        ::DeleteFileA(m_chipFile.c_str());
    }
    static void ClearSettings() {
        for (const char* name : kSettings) {
            SetRuntimeEnv(name, nullptr);
        }
    }
    std::vector<char> ChipFileBytes() const {
        std::ifstream in(m_chipFile, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool ChipFileExists() const {
        return ::GetFileAttributesA(m_chipFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string m_chipFile;
};

TEST_F(DriverTest, ExportsTheThreeCallsUnderUndecoratedNames) {
    DriverLibrary dll;
    ASSERT_TRUE(dll.loaded()) << DriverDllPath() << ", error " << ::GetLastError();
    EXPECT_NE(dll.Inp32, nullptr);
    EXPECT_NE(dll.Out32, nullptr);
    EXPECT_NE(dll.IsInpOutDriverOpen, nullptr);
    for (const char* decorated :
         {"_Inp32@4", "Inp32@4", "_Out32@8", "Out32@8", "_IsInpOutDriverOpen@0"}) {
        EXPECT_EQ(::GetProcAddress(dll.module(), decorated), nullptr) << decorated;
    }
}

TEST_F(DriverTest, ProgrammingEnableAndSignatureThroughTheCallsAtACustomBase) {
    SetRuntimeEnv("TAMBERLO_SIM_BASE", "0xD010");
    DriverLibrary dll;
    ASSERT_TRUE(dll.loaded());
    EXPECT_TRUE(dll.IsInpOutDriverOpen());
    DllProgrammer programmer(dll, 0xD010);
    programmer.ResetPulse();
    const auto echo = programmer.Transfer({0xAC, 0x53, 0x00, 0x00});
    EXPECT_EQ(echo[1], 0xAC);
    EXPECT_EQ(echo[2], 0x53);
    const std::uint8_t signature[3] = {0x1E, 0x93, 0x03};
    for (std::uint8_t i = 0; i < 3; ++i) {
        EXPECT_EQ(programmer.Transfer({0x30, 0x00, i, 0x00})[3], signature[i]) << int(i);
    }
}

TEST_F(DriverTest, AddressesWithoutTheCableReadFFAndIgnoreWrites) {
    struct Case {
        const char* baseSetting;
        const char* lptSetting;
        std::uint16_t cableBase; // 0 = no cable
    };
    const Case cases[] = {{"0xD010", nullptr, 0xD010}, {nullptr, "2", 0x278}, {nullptr, "0", 0}};
    const std::uint16_t probes[] = {0x0000, 0x0278, 0x0279, 0x027A, 0x0378, 0x0379, 0x037A,
                                    0x03BC, 0x03BD, 0x03BE, 0xD00F, 0xD013, 0xFFFF};
    for (const auto& c : cases) {
        ClearSettings();
        SetRuntimeEnv("TAMBERLO_SIM_CHIP_FILE", m_chipFile.c_str());
        SetRuntimeEnv("TAMBERLO_SIM_BASE", c.baseSetting);
        SetRuntimeEnv("TAMBERLO_SIM_LPT", c.lptSetting);
        DriverLibrary dll;
        ASSERT_TRUE(dll.loaded());
        if (c.cableBase != 0) {
            dll.Out32(static_cast<short>(c.cableBase), 0xA6); // RESET high: MISO released
        }
        for (std::uint16_t address : probes) {
            if (c.cableBase != 0 && address >= c.cableBase && address < c.cableBase + 3) {
                continue;
            }
            dll.Out32(static_cast<short>(address), 0x00);
            EXPECT_EQ(dll.Inp32(static_cast<short>(address)), 0xFF)
                << "cable at 0x" << std::hex << c.cableBase << ", address 0x" << address;
        }
        if (c.cableBase != 0) {
            EXPECT_EQ(dll.Inp32(static_cast<short>(c.cableBase)), 0xA6);
            EXPECT_EQ(dll.Inp32(static_cast<short>(c.cableBase + 1)), 0x7F) << "idle status";
        }
    }
}

TEST_F(DriverTest, UnloadingWritesWhatIsUnsavedToTheChipFile) {
    DriverLibrary dll;
    ASSERT_TRUE(dll.loaded());
    DllProgrammer programmer(dll, 0x378);
    programmer.ResetPulse();
    ASSERT_EQ(programmer.Transfer({0xAC, 0x53, 0x00, 0x00})[2], 0x53);
    programmer.Transfer({0x40, 0x00, 0x00, 0x5A}); // flash byte 0
    ::Sleep(10);
    EXPECT_FALSE(ChipFileExists()) << "RESET stays low: nothing saved yet";
    dll.Unload();
    const std::vector<char> bytes = ChipFileBytes();
    ASSERT_EQ(bytes.size(), 8705u);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), 0x5A);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[1]), 0xFF);
}

TEST_F(DriverTest, ProcessEndWritesWhatIsUnsavedToTheChipFile) {
    // The child programs flash byte 0 and ends without unloading the DLL.
    std::string command =
        "\"" + WindowsPath(TAMBERLO_DRIVER_EXIT_CHILD) + "\" \"" + m_chipFile + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &child))
        << command << ", error " << ::GetLastError();
    ASSERT_EQ(::WaitForSingleObject(child.hProcess, 60'000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(child.hProcess, &exitCode);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    ASSERT_EQ(exitCode, 0u) << "the child did not get Programming Enable through";
    const std::vector<char> bytes = ChipFileBytes();
    ASSERT_EQ(bytes.size(), 8705u);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), 0x5A);
}

TEST_F(DriverTest, NoDriverFaultLeavesTheDriverClosedAndThePortsSilent) {
    SetRuntimeEnv("TAMBERLO_SIM_FAULT", "nodriver");
    MessageBoxCapture boxes;
    DriverLibrary dll;
    ASSERT_TRUE(dll.loaded());
    EXPECT_FALSE(dll.IsInpOutDriverOpen());
    dll.Out32(0x378, 0x55);
    EXPECT_EQ(dll.Inp32(0x378), 0xFF);
    DllProgrammer programmer(dll, 0x378);
    programmer.ResetPulse();
    const auto answer = programmer.Transfer({0xAC, 0x53, 0x00, 0x00});
    EXPECT_EQ(answer, (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));
    dll.Unload();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(ChipFileExists());
}

TEST_F(DriverTest, UnusableSettingsAreToldOnceThenThePortIsAbsent) {
    struct Case {
        const char* name;
        const char* value;
        std::string reason;
    };
    const Case cases[] = {
        {"TAMBERLO_SIM_BASE", "0xFFFE",
         "TAMBERLO_SIM_BASE: port base \"0xFFFE\" is not an I/O address from 0x1 to 0xFFFD "
         "(hex with 0x, or decimal)"},
        {"TAMBERLO_SIM_FAULT", "broken",
         "TAMBERLO_SIM_FAULT: fault \"broken\" is not none, nochip, nopower, nodriver or stop:N "
         "(N > 0)"},
        {"TAMBERLO_SIM_CHIP_FILE", nullptr, "chip file "}, // a file of 10 bytes, see below
    };
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ::SetActiveWindow(owner);
    ASSERT_EQ(::GetActiveWindow(), owner);
    for (const auto& c : cases) {
        if (c.value != nullptr) {
            SetRuntimeEnv(c.name, c.value);
        } else {
            std::ofstream(m_chipFile, std::ios::binary) << "0123456789";
        }
        MessageBoxCapture boxes;
        DriverLibrary dll;
        ASSERT_TRUE(dll.loaded());
        EXPECT_TRUE(boxes.Boxes().empty()) << "loading alone sets nothing up";
        EXPECT_TRUE(dll.IsInpOutDriverOpen()) << "the driver is there, the port is not";
        ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
        const CapturedBox& box = boxes.Boxes()[0];
        EXPECT_EQ(box.caption, "driver_tests");
        EXPECT_EQ(box.owner, owner);
        const std::string head = "The simulated programming board could not be set up:\n";
        const std::string tail =
            "\n\nThe printer port is treated as absent until the program is restarted.";
        EXPECT_EQ(box.text.rfind(head + c.reason, 0), 0u) << box.text;
        EXPECT_EQ(box.text.substr(box.text.size() - tail.size()), tail) << box.text;
        dll.Out32(0x378, 0x02);
        EXPECT_EQ(dll.Inp32(0x378), 0xFF) << c.name;
        EXPECT_EQ(dll.Inp32(0x379), 0xFF) << c.name;
        EXPECT_EQ(boxes.Boxes().size(), 1u) << "told once";
        if (c.value != nullptr) {
            SetRuntimeEnv(c.name, nullptr);
        }
    }
    ::DestroyWindow(owner);
    EXPECT_EQ(ChipFileBytes().size(), 10u) << "a refused chip file is left alone";
}

} // namespace
