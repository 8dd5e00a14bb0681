// Loading a HEX file in the program: the real Open dialog (its filter and options,
// cancel, OK), the progress bar, the parse messages, a second file replacing the first,
// the size limit from both sides and the file errors, which the window procedure's
// guard reports while the program keeps running; and files whose records are out of
// order, which Auto programs whole on the simulated board.
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "framework/File.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/FileBytes.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/TestBoard.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

const char kGoodHex[] = ":0400000001020304F2\r\n:02000600AABB93\r\n:00000001FF\r\n";
const char kBadChecksum[] = ":0400000001020304F2\r\n:02000600AABB94\r\n:00000001FF\r\n";

// The largest flash (the ATmega32's) and the longest HEX file the program reads, written out
// here rather than taken from the code.
constexpr size_t kFullFlashBytes = 32768;
constexpr size_t kLongestFile = 98304;

// Byte i of the full flash image the files below hold.
unsigned char FullFlashByte(size_t i) {
    return static_cast<unsigned char>(i * 7 + 3);
}

// A HEX file of exactly `size` bytes holding the whole 32 KB flash: 16-byte records with
// CR LF (92173 bytes with the end-of-file record), blank lines between the first records to
// make up the size, and the end-of-file record as its very last bytes.
std::string FullFlashHexOfSize(size_t size) {
    std::vector<std::string> records;
    for (unsigned address = 0; address < kFullFlashBytes; address += 16) {
        char record[64];
        unsigned sum = 16 + (address >> 8) + (address & 0xFF);
        int length = std::snprintf(record, sizeof record, ":10%04X00", address);
        for (unsigned i = 0; i < 16; ++i) {
            sum += FullFlashByte(address + i);
            length += std::snprintf(record + length, sizeof record - length, "%02X",
                                    FullFlashByte(address + i));
        }
        std::snprintf(record + length, sizeof record - length, "%02X\r\n", (256 - sum % 256) % 256);
        records.push_back(record);
    }
    const std::string endOfFile = ":00000001FF";
    size_t padding = size - endOfFile.size();
    for (const std::string& record : records)
        padding -= record.size();
    std::string file;
    for (const std::string& record : records) {
        file += record;
        const size_t gap = padding < 200 ? padding : 200; // the parser allows 253
        file.append(gap, '\n');
        padding -= gap;
    }
    file += endOfFile;
    EXPECT_EQ(file.size(), size);
    return file;
}

void ChooseFile(HWND open, const std::string& path) {
    ::SetWindowTextA(OpenDialogFileNameField(open), path.c_str());
    ::SendMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::string Caption(HWND progress) {
    char text[128];
    ::SendMessageA(progress, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

class HexLoaderTest : public testing::Test {
protected:
    void SetUp() override {
        SettingsFile::Write("[TAMBERLO]\r\nLPT PORT=1\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\n");
    }

    // Runs the main dialog; `action` runs inside it, then the dialog closes.
    void Run(std::function<void(HWND)> action) { RunMainDialog(dlg, driver, std::move(action)); }

    // Presses "Open Hex File" and answers the Open dialog with `path` (empty: Cancel).
    void Load(HWND dialog, const std::string& path) {
        driver.On("Open", [path](HWND open) {
            if (path.empty())
                ::SendMessageA(open, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            else
                ChooseFile(open, path);
        });
        ClickButton(dialog, IDC_OPENHEX);
    }

    CPortAccess portAccess;
    CTamberloDlg dlg{portAccess};
    MessageBoxCapture boxes;
    DialogDriver driver;
};

} // namespace

TEST_F(HexLoaderTest, OkLoadsTheFileAndFillsTheBar) {
    const std::string path = TempPath("loader-good.hex");
    WriteFile(path, kGoodHex);
    Run([&](HWND dialog) {
        HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
        ::SendMessageA(progress, PBM_SETPOS, 40, 0);
        Load(dialog, path);
        EXPECT_EQ(Caption(progress), "Load Hex File Ok");
        EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 1);
        EXPECT_EQ(::SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 1);
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(dlg.HexFile().Image().end, 7u);
    const unsigned char expected[8] = {1, 2, 3, 4, 0, 0, 0xAA, 0xBB};
    EXPECT_EQ(std::memcmp(dlg.HexFile().Image().bytes, expected, sizeof expected), 0);
    EXPECT_EQ(dlg.HexFile().FileLength(), std::strlen(kGoodHex));
}

TEST_F(HexLoaderTest, CancelLeavesEverythingAsItWas) {
    const std::string path = TempPath("loader-good.hex");
    WriteFile(path, kGoodHex);
    Run([&](HWND dialog) {
        HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
        Load(dialog, path);
        ::SendMessageA(progress, PBM_SETRANGE32, 0, 50);
        ::SendMessageA(progress, PBM_SETPOS, 20, 0);
        ::SetWindowTextA(progress, "Erase Ok");
        Load(dialog, "");
        EXPECT_EQ(Caption(progress), "Erase Ok");
        EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 20);
        EXPECT_EQ(::SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 50);
    });
    EXPECT_EQ(dlg.HexFile().Image().end, 7u);
    EXPECT_EQ(dlg.HexFile().Image().bytes[6], 0xAA);
}

TEST_F(HexLoaderTest, ABrokenFileShowsItsMessageAndNothingCountsAsLoaded) {
    const std::string good = TempPath("loader-good.hex");
    const std::string bad = TempPath("loader-bad.hex");
    WriteFile(good, kGoodHex);
    WriteFile(bad, kBadChecksum);
    Run([&](HWND dialog) {
        HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
        Load(dialog, good);
        Load(dialog, bad);
        EXPECT_EQ(Caption(progress), "Load Hex File Ok") << "the caption stays";
        EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 0);
        dlg.OnProgram();
    });
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Check sum error",
                                        "Please open a Hex File before writing memory."}));
    EXPECT_EQ(boxes.Boxes()[0].icon, 0u);
    EXPECT_EQ(dlg.HexFile().Image().end, 0u);
}

TEST_F(HexLoaderTest, AFileTooLargeIsRefusedBeforeItIsRead) {
    const std::string good = TempPath("loader-good.hex");
    const std::string large = TempPath("loader-large.hex");
    WriteFile(good, kGoodHex);
    WriteFile(large, std::string(kLongestFile + 1, '\n'));
    Run([&](HWND dialog) {
        Load(dialog, good);
        std::memset(dlg.HexFile().FileBuffer() + 100, 0x5A, 16);
        Load(dialog, large);
    });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("too large"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_NE(boxes.Boxes()[0].text.find("loader-large.hex"), std::string::npos);
    EXPECT_EQ(dlg.HexFile().Image().end, 7u);
    EXPECT_EQ(dlg.HexFile().Image().bytes[7], 0xBB);
    EXPECT_EQ(dlg.HexFile().FileBuffer()[100], 0x5A) << "the buffer is not read into";
}

TEST_F(HexLoaderTest, FileErrorsAreReportedWithAStopIconAndTheProgramGoesOn) {
    const std::string missing = TempPath("loader-missing.hex");
    ::DeleteFileA(missing.c_str());
    const std::string locked = TempPath("loader-locked.hex");
    WriteFile(locked, kGoodHex);
    HANDLE lock =
        ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Run([&](HWND dialog) {
        Load(dialog, missing);
        Load(dialog, locked);
        EXPECT_TRUE(::IsWindow(dialog));
    });
    ::CloseHandle(lock);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, missing + " was not found.");
    EXPECT_EQ(boxes.Boxes()[1].text,
              "A sharing violation occurred while accessing " + locked + ".");
    for (const auto& box : boxes.Boxes()) {
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_EQ(box.caption, "tamberlo");
    }
}

TEST(FileExceptionTest, MessagesNameTheFileOrAnUnnamedFile) {
    const struct {
        LONG osError;
        const char* name;
        const char* text;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, "C:\\a.hex", "C:\\a.hex was not found."},
        {ERROR_PATH_NOT_FOUND, "C:\\x\\a.hex", "C:\\x\\a.hex contains an invalid path."},
        {ERROR_ACCESS_DENIED, "C:\\d", "Access to C:\\d was denied."},
        {ERROR_SHARING_VIOLATION, "C:\\s", "A sharing violation occurred while accessing C:\\s."},
        {ERROR_LOCK_VIOLATION, "C:\\l", "A locking violation occurred while accessing C:\\l."},
        {ERROR_DISK_FULL, "C:\\f", "Disk full while accessing C:\\f."},
        {12345, "C:\\g", "An unknown error occurred while accessing C:\\g."},
        {ERROR_READ_FAULT, nullptr,
         "A hardware I/O error was reported while accessing an unnamed file."},
    };
    for (const auto& c : cases) {
        CFileException e(CFileException::OsErrorToException(c.osError), c.osError, c.name);
        char text[256];
        ASSERT_TRUE(e.GetErrorMessage(text, sizeof text));
        EXPECT_STREQ(text, c.text);
    }
}

TEST(FileExceptionTest, OpeningAFolderForReadingIsRefused) {
    char folder[MAX_PATH];
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    CFile file;
    CFileException error(CFileException::none, 0, nullptr);
    EXPECT_FALSE(file.Open(folder, CFile::modeRead | CFile::shareExclusive, &error));
    EXPECT_NE(error.m_cause, CFileException::none);
    EXPECT_EQ(error.m_strFileName, folder);
}

TEST_F(HexLoaderTest, TheOpenDialogOffersThreeFiltersAndSetsNoOptionsOfItsOwn) {
    std::vector<std::string> filters;
    LRESULT selected = -1;
    std::string fileName = "not read";
    bool readOnlyBoxShown = false;
    bool resizable = false;
    // A name typed without an extension, which only a default extension would turn into
    // the file that exists.
    const std::string noExtension = TempPath("loader-typed-name");
    ::DeleteFileA(noExtension.c_str());
    WriteFile(noExtension + ".hex", kGoodHex);
    driver.On("Open", [&](HWND open) {
        HWND types = ::GetDlgItem(open, cmb1);
        for (LRESULT i = 0; i < ::SendMessageA(types, CB_GETCOUNT, 0, 0); ++i) {
            char text[64] = {};
            ::SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            filters.emplace_back(text);
        }
        selected = ::SendMessageA(types, CB_GETCURSEL, 0, 0);
        char name[MAX_PATH] = {};
        ::GetWindowTextA(OpenDialogFileNameField(open), name, sizeof name);
        fileName = name;
        HWND readOnly = ::GetDlgItem(open, chx1);
        readOnlyBoxShown = readOnly != nullptr && ::IsWindowVisible(readOnly);
        resizable = (::GetWindowLongA(open, GWL_STYLE) & WS_THICKFRAME) != 0;
        const size_t boxesBefore = boxes.Boxes().size();
        ChooseFile(open, noExtension);
        // Had the dialog insisted on an existing file, it would have said so and stayed open.
        if (boxes.Boxes().size() != boxesBefore)
            ::SendMessageA(open, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    Run([&](HWND dialog) { ClickButton(dialog, IDC_OPENHEX); });

    EXPECT_EQ(filters,
              (std::vector<std::string>{"Hex File(*.hex)", "Hex File(*.rom)", "All File(*.*)"}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(fileName, "") << "no initial file name";
    EXPECT_TRUE(readOnlyBoxShown);
    EXPECT_TRUE(resizable);
    // The dialog took the name as typed, though no such file exists; the program's own
    // open then fails.
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{noExtension + " was not found."});
}

TEST_F(HexLoaderTest, ASecondFileLeavesNothingOfTheFirst) {
    const std::string first = TempPath("loader-first.hex");
    const std::string second = TempPath("loader-second.hex");
    WriteFile(first, FullFlashHexOfSize(95000));
    WriteFile(second, kGoodHex);
    Run([&](HWND dialog) {
        Load(dialog, first);
        ASSERT_EQ(dlg.HexFile().Image().end, kFullFlashBytes - 1);
        Load(dialog, second);
        EXPECT_EQ(Caption(::GetDlgItem(dialog, IDC_PROGRESS)), "Load Hex File Ok");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(dlg.HexFile().Image().end, 7u);
    EXPECT_EQ(dlg.HexFile().FileLength(), std::strlen(kGoodHex));
    std::vector<unsigned char> expected(kFullFlashBytes, 0x00);
    const unsigned char secondFile[8] = {1, 2, 3, 4, 0, 0, 0xAA, 0xBB};
    std::copy(secondFile, secondFile + sizeof secondFile, expected.begin());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(dlg.HexFile().Image().bytes[i], expected[i]) << "image byte " << i;
}

TEST_F(HexLoaderTest, AFileOfExactly98304BytesLoadsAndOneByteMoreIsRefused) {
    const std::string atLimit = TempPath("loader-98304.hex");
    const std::string pastLimit = TempPath("loader-98305.hex");
    WriteFile(atLimit, FullFlashHexOfSize(kLongestFile));
    WriteFile(pastLimit, FullFlashHexOfSize(kLongestFile + 1));
    std::string captionAfterLimit;
    Run([&](HWND dialog) {
        HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
        Load(dialog, atLimit);
        captionAfterLimit = Caption(progress);
        EXPECT_EQ(dlg.HexFile().FileLength(), kLongestFile);
        ::SetWindowTextA(progress, "Erase Ok");
        Load(dialog, pastLimit);
        EXPECT_EQ(Caption(progress), "Erase Ok");
        EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 0);
    });
    EXPECT_EQ(captionAfterLimit, "Load Hex File Ok");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              pastLimit + " is too large: a HEX file for the 32 KB flash of the ATmega32, the "
                          "largest chip tamberlo programs, is at most 98304 bytes.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
    // The refused file changed nothing: the first file's whole flash is still loaded.
    EXPECT_EQ(dlg.HexFile().Image().end, kFullFlashBytes - 1);
    for (size_t i = 0; i < kFullFlashBytes; ++i)
        ASSERT_EQ(dlg.HexFile().Image().bytes[i], FullFlashByte(i)) << "image byte " << i;
}

struct RecordOrderCase {
    const char* name;
    std::string hexPath;
    std::vector<unsigned char> flash; // what the chip holds from byte 0; the rest stays erased
};

// The end index is the highest byte any record stored, so Program and Verify reach every
// record: a real program whose records run last to first ends in a chip that holds all of
// it. A file holding only byte 0 counts as loaded (end index 1) and programs word 0, whose
// high byte is the image's 0x00.
TEST_F(HexLoaderTest, AutoProgramsEveryRecordWhateverTheirOrder) {
    const RecordOrderCase cases[] = {
        {"reversed avr-gcc program", TAMBERLO_REVERSED_HEX, ReadBytes(TAMBERLO_PROGRAM_BIN)},
        {"byte 0 alone",
         std::string(TAMBERLO_HEX_FIXTURES) + "\\single_byte_at_zero.hex",
         {0x5A, 0x00}},
    };
    for (const RecordOrderCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(c.flash.size(), 1u);
        TestBoard board;
        CTamberloDlg dialogObject(board.Access());
        DialogDriver local;
        boxes.Clear();
        std::string caption;
        RunMainDialog(dialogObject, local, [&](HWND dialog) {
            local.On("Open", [&](HWND open) { ChooseFile(open, c.hexPath); });
            ClickButton(dialog, IDC_OPENHEX);
            ClickButton(dialog, IDC_AUTO);
            caption = Caption(::GetDlgItem(dialog, IDC_PROGRESS));
        });
        EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;
        EXPECT_EQ(caption, "Verfify Ok");
        EXPECT_EQ(dialogObject.HexFile().End(), c.flash.size() - 1);
        const auto& flash = board.Chip().flash();
        for (size_t i = 0; i < flash.size(); ++i)
            ASSERT_EQ(flash[i], i < c.flash.size() ? c.flash[i] : 0xFF) << "flash byte " << i;
    }
}
