// CChipDlg: the chip window ("Chip and Fuses"), opened from the main window's system menu.
// Read shows what is on the cable: the chip and its signature, its lock bits, and on the
// ATmegas the fuse bytes in hex and in words (a clock source list, a row per named
// setting) and the calibration bytes; on the AT90S chips SPIEN and FSTRT. Each change of
// the fuses shows at once on both sides. Write Fuses writes what changed after a
// confirmation that names each change and warns of a clock the board may lack. The window
// also reads the flash or the EEPROM into an Intel HEX file and writes an EEPROM file into
// the chip, each with a progress bar of its own. Its work is done by CChipOps.
#pragma once
#include "app/ProgressBarDisplay.h"
#include "app/ProgressCaptions.h"
#include "framework/Dialog.h"
#include "image/EepromImage.h"
#include "image/HexParser.h"
#include "image/HexWriter.h"
#include "ops/ChipOps.h"
#include "ops/FuseLayout.h"
#include "progress/TextProgressCtrl.h"
#include "res/resource.h"

static_assert(kMaxHexFileSize >= IntelHexSize(kFlashImageSize), "a full flash's HEX fits");

class CChipDlg : public CDialog {
public:
    // The operations run on `link`, with the main window's port choice and delay check.
    CChipDlg(CSerialLink& link, CPortOpening& opening, CWnd* parent);
    ~CChipDlg() override;
    enum { IDD = IDD_CHIP_DIALOG };

    void OnRead();
    void OnWriteFuses();
    void OnFactoryDefaults();
    void OnReadFlash();
    void OnReadEeprom();
    void OnWriteEeprom();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // The fuse rows' check boxes and lists, which the message map cannot list one by one.
    BOOL OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam) override;

    DECLARE_MESSAGE_MAP()

private:
    void OnFuseTextChange();
    void OnClockChange();
    void OnRowChange(int row);

    // What the window shows after a Read (or with nothing read).
    void ShowReading();
    void ShowAt90sBits();
    // The clock list and the rows as `fuses` say, and with `withText` the two fields too.
    void ShowFuses(FuseBytes fuses, bool withText);
    void FillClockList(bool ckopt);
    // The fuse bytes the two fields hold; false when one holds no byte.
    bool FieldBytes(FuseBytes* fuses) const;
    // The bytes the fields hold, or else those read: what a check box or list changes.
    FuseBytes EditedBytes() const;
    void SetText(int id, const char* text);
    void Tell(const OperationResult& result);
    void WriteAt90sFstrt();
    // Asks for a file name in the Save As dialog; false on Cancel.
    bool AskSavePath(char (&path)[MAX_PATH]);
    // Writes `count` bytes of m_memory as Intel HEX to `path` and tells how it went.
    void SaveMemory(const char* memory, const OperationResult& result, std::uint32_t count,
                    const char* path);

    CTextProgressCtrl m_progress;
    CProgressBarDisplay m_display;
    CProgressCaptions m_captions;
    CChipOps m_ops;
    OperationResult m_reading;
    bool m_haveReading = false;
    const FuseLayout* m_layout = nullptr; // the ATmega read; null for an AT90S or nothing
    bool m_updating = false;              // the window itself is setting the fields
    unsigned char m_memory[kFlashImageSize];
    char m_text[kMaxHexFileSize]; // a HEX file read or written; a full flash's fits
    EepromImage m_eeprom;
};
