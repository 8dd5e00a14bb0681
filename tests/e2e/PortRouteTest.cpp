// The shipped program file and what sits beside it: the simulated port driver on a
// card at an address of its own, a port driver that is not running, a copy of the
// program alone under another name, which takes its names from its file and, with no
// port driver DLL beside it, meets Windows' refusal of the port instructions, and a
// port driver DLL that is there but cannot be used.
#include "port/InpOutCalls.h"
#include "tests/e2e/ProgramProcess.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/SystemText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : int { kErase = 1000, kBlank = 1001, kAuto = 1004, kLpt1 = 1008 };
const char kNoAnswer[] = "Error! Please check your CPU, power supply and printer port.";

std::string WindowsFile(const char* name) {
    char folder[MAX_PATH];
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

std::string FileText(const std::string& path) {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr); // flush the cache
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, std::strlen(start), start) == 0;
}

class PortRouteTest : public testing::Test {
protected:
    void SetUp() override {
        chipFile = TempPath("e2e-route-chip.bin");
        ::DeleteFileA(chipFile.c_str());
    }
    void TearDown() override { ::DeleteFileA(chipFile.c_str()); }

    std::vector<unsigned char> Flash() {
        std::vector<unsigned char> chip = ReadBytes(chipFile);
        chip.resize(8192);
        return chip;
    }

    std::string chipFile;
};

TEST_F(PortRouteTest, ACardAtItsOwnAddressIsProgrammedThroughLptBase) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=2\r\n"
                        "LPT2 BASE=0xD010\r\n");
    const std::vector<unsigned char> expected = ReadBytes(TAMBERLO_E2E_BIN);
    ASSERT_FALSE(expected.empty());
    {
        Session session(chipFile, "none", 1, "0xD010");
        EXPECT_TRUE(session.OpenHexFile(TAMBERLO_E2E_HEX).empty());
        EXPECT_TRUE(session.Press(kAuto).empty());
        EXPECT_EQ(session.Caption(), "Verfify Ok");
    }
    const std::vector<unsigned char> flash = Flash();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), flash.begin()));
}

TEST_F(PortRouteTest, ACardAtItsOwnAddressIsNotFoundAtTheStandardOne) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=2\r\n");
    Session session(chipFile, "none", 1, "0xD010");
    EXPECT_EQ(session.Press(kErase), std::vector<std::string>{kNoAnswer});
}

TEST_F(PortRouteTest, ADriverThatIsNotRunningIsToldAndTheChipLeftAlone) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    Session session(chipFile, "nodriver");
    const std::vector<std::string> boxes = session.Press(kErase);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(StartsWith(boxes[0], "The printer port driver is not running.")) << boxes[0];
    EXPECT_NE(boxes[0].find("as administrator"), std::string::npos) << boxes[0];
    EXPECT_EQ(::GetFileAttributesA(chipFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PortRouteTest, ACopyUnderAnotherNameTakesItsNamesFromItsFileAndMeetsTheRefusal) {
    const std::string folder = TempPath("e2e-flasher");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\flasher.exe";
    ASSERT_TRUE(::CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE));
    const std::string settings = WindowsFile("flasher.INI");
    ::DeleteFileA(settings.c_str());
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=3\r\nDELAY BYTE=3\r\nLPT PORT=1\r\n");
    {
        Session session(copy, chipFile);
        HWND notice = session.program->WaitForWindow("First Run TAMBERLO");
        ASSERT_NE(notice, nullptr) << "flasher.INI names no port yet";
        PressButton(notice, IDOK);
        ASSERT_NE(session.Main(), nullptr);
        session.Press(kLpt1);
        const std::vector<std::string> boxes = session.Press(kErase);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(StartsWith(boxes[0], "The printer port could not be accessed.")) << boxes[0];
        EXPECT_NE(boxes[0].find(kPortDriverDll), std::string::npos) << boxes[0];
        EXPECT_EQ(session.Captions(), std::vector<std::string>{"flasher"});
    }
    EXPECT_EQ(FileText(settings), "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    EXPECT_EQ(SettingsFile::Contents(),
              "[TAMBERLO]\r\nDELAY BIT=3\r\nDELAY BYTE=3\r\nLPT PORT=1\r\n")
        << "the settings of tamberlo.exe are not the copy's";
    EXPECT_EQ(::GetFileAttributesA(chipFile.c_str()), INVALID_FILE_ATTRIBUTES);
    ::DeleteFileA(settings.c_str());
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

// What the program's own bitness needs, as the messages name it.
#ifdef _WIN64
const char kOwnBits[] = "64-bit";
const char kOtherBits[] = "32-bit";
constexpr WORD kOtherMachine = IMAGE_FILE_MACHINE_I386;
const char kDownloadFolder[] = "x64";
#else
const char kOwnBits[] = "32-bit";
const char kOtherBits[] = "64-bit";
constexpr WORD kOtherMachine = IMAGE_FILE_MACHINE_AMD64;
const char kDownloadFolder[] = "Win32";
#endif

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The build's own port driver DLL with the PE header's machine field of the other bitness.
void OtherBitnessDll(const std::string& path) {
    std::vector<unsigned char> dll = ReadBytes(TAMBERLO_SIM_DLL);
    ASSERT_GT(dll.size(), 0x40u);
    const size_t pe = dll[0x3C] | dll[0x3D] << 8 | dll[0x3E] << 16 | size_t{dll[0x3F]} << 24;
    ASSERT_EQ(std::string(dll.begin() + pe, dll.begin() + pe + 4), std::string("PE\0\0", 4));
    dll[pe + 4] = kOtherMachine & 0xFF;
    dll[pe + 5] = kOtherMachine >> 8;
    WriteBytes(path, dll);
}

void TextFile(const std::string& path) {
    WriteBytes(path, std::vector<unsigned char>(2048, 'x'));
}

void NoPortDriver(const std::string& path) {
    ASSERT_TRUE(
        ::CopyFileA(TAMBERLO_DRIVER_DOUBLES "\\e2e_no_port_driver.dll", path.c_str(), FALSE));
}

void NeedsMissingDll(const std::string& path) {
    ASSERT_TRUE(
        ::CopyFileA(TAMBERLO_DRIVER_DOUBLES "\\e2e_needs_missing_dll.dll", path.c_str(), FALSE));
}

struct UnusableDriverCase {
    const char* name;
    std::function<void(const std::string&)> place; // puts the DLL at the path given
    DWORD error;                                   // 0: the DLL loaded, Windows said nothing
    std::function<std::string(const std::string&)> what;
    // Wine keeps a DLL whose own imports failed open, so it cannot be overwritten while the
    // program runs; Windows lets it go.
    bool replaceableUnderWine = true;
};

class UnusableDriverTest : public PortRouteTest,
                           public testing::WithParamInterface<UnusableDriverCase> {};

TEST_P(UnusableDriverTest, TheDllFoundIsNamedWithWhyAndWhatToDo) {
    const UnusableDriverCase& c = GetParam();
    const std::string folder = TempPath(std::string("e2e-driver-") + c.name);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\tamberlo.exe";
    const std::string dll = folder + "\\" + kPortDriverDll;
    ASSERT_TRUE(::CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE));
    c.place(dll);
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    std::string expected = "The printer port driver could not be loaded.\n" + c.what(dll) + "\n";
    if (c.error != 0)
        expected += "Windows says: " + SystemText(c.error, dll) + "\n";
    expected += std::string("Put the ") + kOwnBits + " " + kPortDriverDll + " from the folder " +
                kDownloadFolder +
                " of the InpOut32 download in its place, then run tamberlo once as "
                "administrator (see the README).";
    {
        Session session(copy, chipFile);
        ASSERT_NE(session.Main(), nullptr);
        // The DLL is searched for by the first operation, and again by the next one.
        EXPECT_EQ(session.Press(kBlank), std::vector<std::string>{expected});
        EXPECT_EQ(session.Press(kErase), std::vector<std::string>{expected});
        EXPECT_EQ(session.Captions(), (std::vector<std::string>{"tamberlo", "tamberlo"}));
        EXPECT_EQ(::GetFileAttributesA(chipFile.c_str()), INVALID_FILE_ATTRIBUTES);
        // Put right, the DLL is taken by the next operation, without a restart.
        if (c.replaceableUnderWine) {
            ASSERT_TRUE(::CopyFileA(TAMBERLO_SIM_DLL, dll.c_str(), FALSE));
            EXPECT_TRUE(session.Press(kErase).empty());
            EXPECT_EQ(session.Caption(), "Erase Ok");
        }
    }
    ::DeleteFileA(dll.c_str());
    ::DeleteFileA(copy.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Dlls, UnusableDriverTest,
    testing::Values(
        UnusableDriverCase{"OtherBitness", &OtherBitnessDll, ERROR_BAD_EXE_FORMAT,
                           [](const std::string& dll) {
                               return dll + " is a " + kOtherBits + " DLL, but tamberlo.exe is a " +
                                      kOwnBits + " program and can only load a " + kOwnBits +
                                      " DLL.";
                           }},
        UnusableDriverCase{"NotADll", &TextFile, ERROR_BAD_EXE_FORMAT,
                           [](const std::string& dll) { return dll + " is not a DLL at all."; }},
        UnusableDriverCase{"MissingDependency", &NeedsMissingDll, ERROR_MOD_NOT_FOUND,
                           [](const std::string& dll) {
                               return dll + " is there, but a DLL that it needs is missing.";
                           },
                           false},
        UnusableDriverCase{"NoPortDriver", &NoPortDriver, 0,
                           [](const std::string& dll) {
                               return dll +
                                      " is not InpOut32's port driver: it has no Inp32 and Out32.";
                           }}),
    [](const testing::TestParamInfo<UnusableDriverCase>& info) {
        return std::string(info.param.name);
    });

} // namespace
