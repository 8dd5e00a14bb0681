// The chip window: its controls, what a Read shows, the two-way editing of the fuses, and
// the buttons. Every operation goes through CChipOps; every text comes from
// app/ChipMessages.h and app/OutcomeMessages.h.
#include "app/ChipDlg.h"

#include "app/ChipMessages.h"
#include "app/MemoryFiles.h"
#include "app/OutcomeMessages.h"
#include "framework/DataExchange.h"
#include "framework/FileDialog.h"
#include "link/ClockReach.h"
#include "ops/ChipFacts.h"
#include "ops/ClockChoices.h"
#include "ops/FuseEditing.h"
#include "ops/LockBits.h"

#include <cstdio>
#include <cstring>

namespace {

const char kHexSaveFilter[] = "Hex File(*.hex)|*.hex|All File(*.*)|*.*||";
const char kEepromOpenFilter[] =
    "EEPROM File(*.eep)|*.eep|Hex File(*.hex)|*.hex|All File(*.*)|*.*||";
const char kFstrtMeaning[] = "a short start-up time, for a ceramic resonator or a clock signal";
const char kSpienMeaning[] = "the cable needs it; it cannot be changed here";

int CheckId(int row) {
    return IDC_FUSE_CHECK0 + row;
}
int LabelId(int row) {
    return IDC_FUSE_LABEL0 + row;
}
int ChoiceId(int row) {
    return IDC_FUSE_CHOICE0 + row;
}
int MeaningId(int row) {
    return IDC_FUSE_MEANING0 + row;
}

} // namespace

CChipDlg::CChipDlg(CSerialLink& link, CPortOpening& opening, CWnd* parent)
    : CDialog(IDD, parent), m_display(m_progress), m_captions(m_display),
      m_ops(link, m_captions, opening) {}

CChipDlg::~CChipDlg() = default;

void CChipDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CHIP_PROGRESS, m_progress);
}

BEGIN_MESSAGE_MAP(CChipDlg, CDialog)
ON_BN_CLICKED(IDC_CHIP_READ, OnRead)
ON_BN_CLICKED(IDC_WRITE_FUSES, OnWriteFuses)
ON_BN_CLICKED(IDC_FACTORY_DEFAULTS, OnFactoryDefaults)
ON_BN_CLICKED(IDC_READ_FLASH, OnReadFlash)
ON_BN_CLICKED(IDC_READ_EEPROM, OnReadEeprom)
ON_BN_CLICKED(IDC_WRITE_EEPROM, OnWriteEeprom)
ON_EN_CHANGE(IDC_FUSE_LOW, OnFuseTextChange)
ON_EN_CHANGE(IDC_FUSE_HIGH, OnFuseTextChange)
ON_CONTROL(CBN_SELCHANGE, IDC_CLOCK, OnClockChange)
END_MESSAGE_MAP()

BOOL CChipDlg::OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam) {
    const int row =
        static_cast<int>(id) - (id >= IDC_FUSE_CHOICE0 ? IDC_FUSE_CHOICE0 : IDC_FUSE_CHECK0);
    const bool check = id >= IDC_FUSE_CHECK0 && id < IDC_FUSE_CHECK0 + IDC_FUSE_ROWS;
    const bool choice = id >= IDC_FUSE_CHOICE0 && id < IDC_FUSE_CHOICE0 + IDC_FUSE_ROWS;
    if ((check && code == BN_CLICKED) || (choice && code == CBN_SELCHANGE)) {
        OnRowChange(row);
        return TRUE;
    }
    return CDialog::OnCmdMsg(id, code, wParam, lParam);
}

BOOL CChipDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_progress.SetTextVisible(TRUE);
    ShowReading();
    return TRUE;
}

void CChipDlg::SetText(int id, const char* text) {
    ::SetDlgItemTextA(m_hWnd, id, text);
}

void CChipDlg::Tell(const OperationResult& result) {
    char text[kOutcomeMessageSize];
    if (const char* message = OutcomeMessage(result, text, sizeof text))
        MessageBox(message);
}

// --- What a Read shows ---

void CChipDlg::ShowReading() {
    const ChipFacts* facts =
        m_haveReading && m_reading.chip != nullptr ? m_reading.chip->facts : nullptr;
    m_layout = facts != nullptr && facts->hasFuseBytes ? facts->fuses : nullptr;
    char text[kChipMessageSize];
    if (facts == nullptr) {
        for (int id : {IDC_CHIP_NAME, IDC_CHIP_SIGNATURE, IDC_CHIP_LOCK, IDC_CHIP_BOOTLOCK})
            SetText(id, "");
    } else {
        const unsigned char* s = m_reading.signature;
        SetText(IDC_CHIP_NAME,
                IsAt90sLockMode3Signature(s) ? kAt90sLockMode3Words : m_reading.chip->name);
        std::snprintf(text, sizeof text, "%02X %02X %02X", s[0], s[1], s[2]);
        SetText(IDC_CHIP_SIGNATURE, text);
        if (facts->lockByte == LockByteForm::AtmegaLockByte) {
            const AtmegaLockByte lock = DecodeAtmegaLockByte(m_reading.lockByte);
            SetText(IDC_CHIP_LOCK, LockModeWords(lock.lock.mode));
            std::snprintf(text, sizeof text, "%s; %s",
                          BootLockWords(BootLockField::Blb0, lock.blb0),
                          BootLockWords(BootLockField::Blb1, lock.blb1));
            SetText(IDC_CHIP_BOOTLOCK, text);
        } else {
            SetText(IDC_CHIP_LOCK,
                    LockModeWords(DecodeAt90sLockAndFuse(m_reading.lockByte).lock.mode));
            SetText(IDC_CHIP_BOOTLOCK, "(none on this chip)");
        }
    }
    const BOOL fuseBytes = m_layout != nullptr;
    for (int id : {IDC_FUSE_LOW, IDC_FUSE_HIGH, IDC_CLOCK, IDC_FACTORY_DEFAULTS})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), fuseBytes);
    for (int row = 0; row < IDC_FUSE_ROWS; ++row) {
        for (int id : {CheckId(row), LabelId(row), ChoiceId(row), MeaningId(row)})
            ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
    }
    SetText(IDC_CALIBRATION, "");
    if (fuseBytes) {
        ShowFuses(m_reading.fusesRead, true);
        char calibration[160];
        int at = std::snprintf(calibration, sizeof calibration, "Calibration bytes:");
        for (unsigned i = 0; i < kCalibrationByteCount && at > 0; ++i)
            at += std::snprintf(calibration + at, sizeof calibration - static_cast<size_t>(at),
                                "%s %s %02X", i == 0 ? "" : ",", CalibrationByteFrequency(i),
                                m_reading.calibration[i]);
        SetText(IDC_CALIBRATION, calibration);
        return;
    }
    m_updating = true;
    SetText(IDC_FUSE_LOW, "");
    SetText(IDC_FUSE_HIGH, "");
    ::SendDlgItemMessageA(m_hWnd, IDC_CLOCK, CB_RESETCONTENT, 0, 0);
    m_updating = false;
    if (facts != nullptr && facts->hasFstrt)
        ShowAt90sBits();
}

// The AT90S chips: SPIEN shown, FSTRT the one bit the cable can change.
void CChipDlg::ShowAt90sBits() {
    const At90sLockAndFuse bits = DecodeAt90sLockAndFuse(m_reading.lockByte);
    const struct {
        const char* label;
        const char* meaning;
        bool on;
        bool changeable;
    } rows[] = {{kAt90sSpienLabel, kSpienMeaning, bits.spienProgrammed, false},
                {kAt90sFstrtLabel, kFstrtMeaning, bits.fstrtProgrammed, true}};
    for (int row = 0; row < 2; ++row) {
        SetText(CheckId(row), rows[row].label);
        SetText(MeaningId(row), rows[row].meaning);
        ::CheckDlgButton(m_hWnd, CheckId(row), rows[row].on ? BST_CHECKED : BST_UNCHECKED);
        ::EnableWindow(::GetDlgItem(m_hWnd, CheckId(row)), rows[row].changeable);
        ::ShowWindow(::GetDlgItem(m_hWnd, CheckId(row)), SW_SHOW);
        ::ShowWindow(::GetDlgItem(m_hWnd, MeaningId(row)), SW_SHOW);
    }
}

void CChipDlg::FillClockList(bool ckopt) {
    ::SendDlgItemMessageA(m_hWnd, IDC_CLOCK, CB_RESETCONTENT, 0, 0);
    char words[kClockWordsSize];
    for (std::size_t i = 0; i < kClockChoiceCount; ++i) {
        ClockWords(kClockChoices[i], ckopt, words, sizeof words);
        ::SendDlgItemMessageA(m_hWnd, IDC_CLOCK, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(words));
    }
}

void CChipDlg::ShowFuses(FuseBytes fuses, bool withText) {
    m_updating = true;
    if (withText) {
        char text[3];
        FormatFuseByte(fuses.low, text, sizeof text);
        SetText(IDC_FUSE_LOW, text);
        FormatFuseByte(fuses.high, text, sizeof text);
        SetText(IDC_FUSE_HIGH, text);
    }
    FillClockList(CkoptProgrammed(fuses));
    const ClockChoice* clock = &ClockChoiceOf(fuses);
    ::SendDlgItemMessageA(m_hWnd, IDC_CLOCK, CB_SETCURSEL,
                          static_cast<WPARAM>(clock - kClockChoices), 0);
    for (std::size_t i = 0; i < m_layout->settingCount && i < IDC_FUSE_ROWS; ++i) {
        const FuseSetting& setting = m_layout->settings[i];
        const int row = static_cast<int>(i);
        const bool bit = setting.kind == FuseSettingKind::OnOff;
        // What CKOPT does depends on the clock source chosen.
        const bool ckopt = std::strcmp(setting.name, "CKOPT") == 0;
        SetText(MeaningId(row), ckopt ? CkoptRole(*clock) : setting.meaning);
        ::ShowWindow(::GetDlgItem(m_hWnd, MeaningId(row)), SW_SHOW);
        ::ShowWindow(::GetDlgItem(m_hWnd, CheckId(row)), bit ? SW_SHOW : SW_HIDE);
        ::ShowWindow(::GetDlgItem(m_hWnd, LabelId(row)), bit ? SW_HIDE : SW_SHOW);
        ::ShowWindow(::GetDlgItem(m_hWnd, ChoiceId(row)), bit ? SW_HIDE : SW_SHOW);
        if (bit) {
            SetText(CheckId(row), setting.label);
            ::CheckDlgButton(m_hWnd, CheckId(row),
                             FuseSettingOn(setting, fuses) ? BST_CHECKED : BST_UNCHECKED);
            ::EnableWindow(::GetDlgItem(m_hWnd, CheckId(row)), setting.changeable);
            continue;
        }
        char label[64];
        std::snprintf(label, sizeof label, "%s:", setting.label);
        SetText(LabelId(row), label);
        ::SendDlgItemMessageA(m_hWnd, ChoiceId(row), CB_RESETCONTENT, 0, 0);
        for (unsigned value = 0; value < setting.valueCount; ++value)
            ::SendDlgItemMessageA(m_hWnd, ChoiceId(row), CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(setting.words[value]));
        ::SendDlgItemMessageA(m_hWnd, ChoiceId(row), CB_SETCURSEL, FuseSettingValue(setting, fuses),
                              0);
    }
    m_updating = false;
}

// --- Editing ---

bool CChipDlg::FieldBytes(FuseBytes* fuses) const {
    char low[16] = "";
    char high[16] = "";
    ::GetDlgItemTextA(m_hWnd, IDC_FUSE_LOW, low, sizeof low);
    ::GetDlgItemTextA(m_hWnd, IDC_FUSE_HIGH, high, sizeof high);
    return ParseFuseByte(low, &fuses->low) && ParseFuseByte(high, &fuses->high);
}

FuseBytes CChipDlg::EditedBytes() const {
    FuseBytes fuses = m_reading.fusesRead;
    FieldBytes(&fuses);
    return fuses;
}

void CChipDlg::OnFuseTextChange() {
    FuseBytes fuses = {};
    if (m_updating || m_layout == nullptr || !FieldBytes(&fuses))
        return;
    ShowFuses(fuses, false);
}

void CChipDlg::OnClockChange() {
    if (m_updating || m_layout == nullptr)
        return;
    const LRESULT index = ::SendDlgItemMessageA(m_hWnd, IDC_CLOCK, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= kClockChoiceCount)
        return;
    FuseBytes fuses = EditedBytes();
    ApplyClockChoice(kClockChoices[index], &fuses);
    ShowFuses(fuses, true);
}

void CChipDlg::OnRowChange(int row) {
    if (m_updating || m_layout == nullptr ||
        static_cast<std::size_t>(row) >= m_layout->settingCount)
        return;
    const FuseSetting& setting = m_layout->settings[row];
    FuseBytes fuses = EditedBytes();
    if (setting.kind == FuseSettingKind::OnOff) {
        ApplyFuseSettingOn(setting, ::IsDlgButtonChecked(m_hWnd, CheckId(row)) == BST_CHECKED,
                           &fuses);
    } else {
        const LRESULT value = ::SendDlgItemMessageA(m_hWnd, ChoiceId(row), CB_GETCURSEL, 0, 0);
        if (value >= 0)
            ApplyFuseSetting(setting, static_cast<unsigned>(value), &fuses);
    }
    ShowFuses(fuses, true);
}

void CChipDlg::OnFactoryDefaults() {
    if (m_layout != nullptr)
        ShowFuses(m_layout->defaults, true);
}

// --- The buttons ---

void CChipDlg::OnRead() {
    const OperationResult reading = m_ops.ReadChip();
    if (!reading.Succeeded()) {
        m_haveReading = false;
        ShowReading();
        Tell(reading);
        return;
    }
    m_reading = reading;
    m_haveReading = true;
    ShowReading();
}

void CChipDlg::OnWriteFuses() {
    if (!m_haveReading) {
        MessageBox(ReadFirstText());
        return;
    }
    if (m_reading.chip->facts->hasFstrt) {
        WriteAt90sFstrt();
        return;
    }
    char text[kChipMessageSize];
    const struct {
        int id;
        const char* name;
    } fields[] = {{IDC_FUSE_LOW, "Low"}, {IDC_FUSE_HIGH, "High"}};
    FuseBytes wanted = {};
    for (const auto& field : fields) {
        char typed[32] = "";
        ::GetDlgItemTextA(m_hWnd, field.id, typed, sizeof typed);
        unsigned char value = 0;
        if (!ParseFuseByte(typed, &value)) {
            MessageBox(FuseFieldRefusal(field.name, typed, text, sizeof text));
            return;
        }
        (field.id == IDC_FUSE_LOW ? wanted.low : wanted.high) = value;
    }
    if (ChangesSpien(*m_layout, m_reading.fusesRead, wanted)) {
        MessageBox(SpienRefusal(m_reading.chip->name, text, sizeof text));
        return;
    }
    if (DecodeAtmegaLockByte(m_reading.lockByte).lock.lockBit1) {
        OperationResult locked = m_reading;
        locked.outcome = Outcome::WriteLocked;
        Tell(locked);
        return;
    }
    const std::uint32_t reachable =
        LowestReachableClock_Hz(MeasureBitDelayPass_us(), kHighestDelayBit);
    const char* confirmation =
        FuseConfirmationText(*m_layout, m_reading.fusesRead, wanted, reachable, text, sizeof text);
    if (confirmation == nullptr) {
        std::snprintf(text, sizeof text,
                      "The chip holds these fuses already: Low %02X, High %02X.\nNothing was "
                      "written.",
                      wanted.low, wanted.high);
        MessageBox(text);
        return;
    }
    if (MessageBox(confirmation, nullptr, MB_OKCANCEL) != IDOK)
        return;
    const OperationResult result = m_ops.WriteFuses(m_reading.signature, wanted);
    if (result.outcome == Outcome::Ok || result.outcome == Outcome::FuseMismatch) {
        m_reading.fusesRead = result.fusesRead;
        ShowFuses(m_reading.fusesRead, true);
    }
    if (!result.Succeeded()) {
        Tell(result);
        return;
    }
    MessageBox(FusesWrittenText(result, text, sizeof text));
}

void CChipDlg::WriteAt90sFstrt() {
    const bool was = DecodeAt90sLockAndFuse(m_reading.lockByte).fstrtProgrammed;
    const bool wanted = ::IsDlgButtonChecked(m_hWnd, CheckId(1)) == BST_CHECKED;
    char text[kChipMessageSize];
    if (wanted == was) {
        std::snprintf(text, sizeof text, "The chip holds %s %s already.\nNothing was written.",
                      kAt90sFstrtLabel, ProgrammedWords(was));
        MessageBox(text);
        return;
    }
    if (DecodeAt90sLockAndFuse(m_reading.lockByte).lock.lockBit1) {
        OperationResult locked = m_reading;
        locked.outcome = Outcome::WriteLocked;
        Tell(locked);
        return;
    }
    std::snprintf(text, sizeof text, "Write the fuses? This changes:\n%s: %s -> %s\n",
                  kAt90sFstrtLabel, ProgrammedWords(was), ProgrammedWords(wanted));
    if (MessageBox(text, nullptr, MB_OKCANCEL) != IDOK)
        return;
    const OperationResult result = m_ops.WriteFstrt(m_reading.signature, wanted);
    if (result.outcome == Outcome::Ok || result.outcome == Outcome::FuseMismatch) {
        m_reading.lockByte = result.lockByte;
        ShowReading();
    }
    if (!result.Succeeded()) {
        Tell(result);
        return;
    }
    MessageBox(FstrtWrittenText(result, text, sizeof text));
}

bool CChipDlg::AskSavePath(char (&path)[MAX_PATH]) {
    CFileDialog dialog(FALSE, "hex", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       kHexSaveFilter, this);
    if (dialog.DoModal() != IDOK)
        return false;
    ::lstrcpynA(path, dialog.GetPathName(), MAX_PATH);
    return true;
}

void CChipDlg::SaveMemory(const char* memory, const OperationResult& result, std::uint32_t count,
                          const char* path) {
    char text[kChipMessageSize];
    SaveMemoryFile(memory, result, m_memory, count, path, m_text, sizeof m_text, text, sizeof text);
    MessageBox(text);
}

void CChipDlg::OnReadFlash() {
    char path[MAX_PATH];
    if (!AskSavePath(path))
        return;
    const OperationResult result = m_ops.ReadFlash(m_memory, sizeof m_memory);
    if (!result.Succeeded()) {
        Tell(result);
        return;
    }
    SaveMemory("flash", result, FlashBytesToKeep(m_memory, result.bytes), path);
}

void CChipDlg::OnReadEeprom() {
    char path[MAX_PATH];
    if (!AskSavePath(path))
        return;
    const OperationResult result = m_ops.ReadEeprom(m_memory, sizeof m_memory);
    if (!result.Succeeded()) {
        Tell(result);
        return;
    }
    SaveMemory("EEPROM", result, result.bytes, path);
}

void CChipDlg::OnWriteEeprom() {
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       kEepromOpenFilter, this);
    if (dialog.DoModal() != IDOK)
        return;
    char text[kChipMessageSize];
    if (const char* refusal =
            LoadEepromFile(dialog.GetPathName(), reinterpret_cast<unsigned char*>(m_text),
                           sizeof m_text, &m_eeprom, text, sizeof text)) {
        MessageBox(refusal);
        return;
    }
    if (m_eeprom.count == 0) {
        std::snprintf(text, sizeof text, "%s holds no EEPROM data.\nNothing was written.",
                      static_cast<const char*>(dialog.GetPathName()));
        MessageBox(text);
        return;
    }
    const OperationResult result = m_ops.WriteEeprom(m_eeprom);
    if (!result.Succeeded()) {
        Tell(result);
        return;
    }
    MessageBox(EepromWrittenText(result, m_eeprom.count, text, sizeof text));
}
