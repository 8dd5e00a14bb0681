// Loading an Intel HEX file: the Open dialog, one read of the whole file into the
// raw buffer, and the parse into the flash image, with progress and messages.
#include "app/tamberloDlg.h"

#include "framework/File.h"
#include "framework/FileDialog.h"

namespace {
const char kHexFilter[] = "Hex File(*.hex)|*.hex|Hex File(*.rom)|*.rom|All File(*.*)|*.*||";
}

void CTamberloDlg::OnOpenHexFile() {
    CFileDialog dialog(TRUE, nullptr, nullptr, 0, kHexFilter);
    if (dialog.DoModal() != IDOK)
        return;

    StartProgress(m_progress, 1);

    // A file that cannot be opened throws; the window procedure's guard reports it.
    CFile file(dialog.GetPathName(), CFile::modeRead | CFile::shareExclusive);
    if (!HexFileFitsBuffer(file.GetLength())) {
        char message[kHexMessageBufferSize];
        MessageBox(FormatHexFileTooLargeMessage(file.GetFilePath(), message, sizeof message));
        return;
    }
    // The parse sees only what was actually read, should the file have shrunk meanwhile.
    const std::uint32_t length =
        file.Read(m_hexFile.FileBuffer(), static_cast<UINT>(file.GetLength()));
    if (ParseHexFile(length)) {
        m_progress.StepIt();
        m_progress.SetWindowText("Load Hex File Ok");
    }
    file.Close();
}

int CTamberloDlg::ParseHexFile(std::uint32_t length) {
    const HexParseResult result = m_hexFile.Parse(length);
    if (result.status == HexParseStatus::Ok)
        return 1;
    char message[kHexMessageBufferSize];
    MessageBox(FormatHexParseMessage(result, message, sizeof message));
    return 0;
}
