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
    m_fileLength = static_cast<std::uint32_t>(file.GetLength());
    m_pFileBuffer = m_fileBuffer;
    // The parse sees only what was actually read, should the file have shrunk meanwhile.
    m_fileLength = file.Read(m_pFileBuffer, m_fileLength);

    ClearFlashImage(FlashImage{m_image, m_imageEnd});
    if (ParseHexFile()) {
        m_progress.StepIt();
        m_progress.SetWindowText("Load Hex File Ok");
    }
    file.Close();
}

int CTamberloDlg::ParseHexFile() {
    const HexParseResult result =
        ParseIntelHex(m_fileBuffer, m_fileLength, FlashImage{m_image, m_imageEnd});
    if (result.status == HexParseStatus::Ok)
        return 1;
    char message[kHexMessageBufferSize];
    MessageBox(FormatHexParseMessage(result, message, sizeof message));
    return 0;
}
