// The shipped program file and what sits beside it: the simulated port driver on a
// card at an address of its own, a port driver that is not running, and a copy of the
// program alone under another name, which takes its names from its file and, with no
// port driver DLL beside it, meets Windows' refusal of the port instructions.
#include "link/PortDriver.h"
#include "tests/e2e/ProgramProcess.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum : int { kErase = 1000, kAuto = 1004, kLpt1 = 1008 };
const char kNoAnswer[] = "Error! Please check your CPU, power supply and printer port.";

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

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
        std::ifstream file(chipFile, std::ios::binary);
        std::vector<unsigned char> chip(std::istreambuf_iterator<char>(file), {});
        chip.resize(8192);
        return chip;
    }

    std::string chipFile;
};

TEST_F(PortRouteTest, ACardAtItsOwnAddressIsProgrammedThroughLptBase) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=2\r\n"
                        "LPT2 BASE=0xD010\r\n");
    std::ifstream binary(TAMBERLO_E2E_BIN, std::ios::binary);
    const std::vector<unsigned char> expected(std::istreambuf_iterator<char>(binary), {});
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

} // namespace
