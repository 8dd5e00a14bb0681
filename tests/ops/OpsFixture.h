// The main dialog run modally on a simulated board, as the user sees it: settings
// file with LPT PORT=1 and both delays 1, message boxes captured, waits recorded,
// the progress bar watched. A test's action runs inside the dialog's own loop.
#pragma once
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/TestBoard.h"
#include "tests/ops/ProgressLog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline const char kOneMsSettings[] = "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n";

// A settings file with LPT PORT=1 and the given delays.
inline std::string SettingsWithDelays(unsigned delayBit, unsigned delayByte) {
    return "[TAMBERLO]\r\nDELAY BIT=" + std::to_string(delayBit) +
           "\r\nDELAY BYTE=" + std::to_string(delayByte) + "\r\nLPT PORT=1\r\n";
}

inline sim::BoardSettings BoardWith(sim::BoardFault fault, unsigned long stopAfter = 0) {
    sim::BoardSettings settings;
    settings.fault = fault;
    settings.stopAfterInstructions = stopAfter;
    return settings;
}

// A board whose flash byte `index` always reads back `value`.
inline sim::BoardSettings StuckFlashByte(std::uint32_t index, std::uint8_t value) {
    sim::BoardSettings settings;
    settings.stuckFlash[index] = value;
    return settings;
}

inline std::string WindowText(HWND hWnd) {
    char text[256];
    const int length = ::GetWindowTextA(hWnd, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

// `count` bytes of a pattern that differs from the erased state in every word.
inline std::vector<unsigned char> TestImage(std::uint32_t count) {
    std::vector<unsigned char> image(count);
    for (std::uint32_t i = 0; i < count; ++i)
        image[i] = static_cast<unsigned char>((i * 37 + 11) ^ (i >> 8));
    return image;
}

class OpsTest : public testing::Test {
protected:
    explicit OpsTest(const sim::BoardSettings& settings = sim::BoardSettings{},
                     const char* settingsFile = kOneMsSettings)
        : board(settings) {
        SettingsFile::Write(settingsFile);
    }

    // Runs the main dialog on the board with `action` inside its loop, then closes it.
    void RunDialog(std::function<void(CTamberloDlg&, HWND)> action) {
        RunDialogWith(board.Access(), std::move(action));
    }

    // The same with a port access of the test's own.
    void RunDialogWith(CPortAccess& access, std::function<void(CTamberloDlg&, HWND)> action) {
        CTamberloDlg dlg(access);
        RunMainDialog(dlg, driver, [&](HWND dialog) {
            progress.Watch(::GetDlgItem(dialog, IDC_PROGRESS));
            board.ClearWaits();
            board.Chip().ResetCounters();
            action(dlg, dialog);
        });
    }

    static void LoadImage(CTamberloDlg& dlg, const std::vector<unsigned char>& bytes) {
        std::fill(std::begin(dlg.HexFile().Image().bytes), std::end(dlg.HexFile().Image().bytes),
                  0xFF);
        std::copy(bytes.begin(), bytes.end(), dlg.HexFile().Image().bytes);
        dlg.HexFile().Image().end = static_cast<std::uint32_t>(bytes.size() - 1);
    }

    std::string ProgressText(HWND dialog) { return WindowText(::GetDlgItem(dialog, IDC_PROGRESS)); }
    bool Released() {
        const auto pins = board.Board().pins();
        return pins.reset && pins.sck && pins.mosi;
    }

    TestBoard board;
    MessageBoxCapture boxes;
    DialogDriver driver;
    ProgressLog progress;
};
