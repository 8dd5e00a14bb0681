// Files and file errors.
#include "framework/File.h"

#include "framework/FrameworkRes.h"

#include <cstring>

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
    case NO_ERROR:
        return none;
    case ERROR_FILE_NOT_FOUND:
        return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY:
        return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
        return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return accessDenied;
    case ERROR_INVALID_HANDLE:
        return invalidFile;
    case ERROR_CURRENT_DIRECTORY:
        return removeCurrentDir;
    case ERROR_CANNOT_MAKE:
        return directoryFull;
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE:
        return badSeek;
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
        return hardIO;
    case ERROR_SHARING_VIOLATION:
        return sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED:
        return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return diskFull;
    case ERROR_HANDLE_EOF:
        return endOfFile;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(LONG osError, LPCSTR fileName) {
    throw new CFileException(OsErrorToException(osError), osError, fileName);
}

BOOL CFileException::GetErrorMessage(LPSTR buffer, UINT size, PUINT helpContext) const {
    if (helpContext)
        *helpContext = 0;
    if (size == 0)
        return FALSE;
    CString name(m_strFileName);
    if (name.IsEmpty())
        name.LoadString(AFX_IDS_UNNAMED_FILE);
    CString message;
    AfxFormatString1(message, AFX_IDP_FILE_NONE + static_cast<UINT>(m_cause), name);
    lstrcpynA(buffer, message, static_cast<int>(size));
    return TRUE;
}

CFile::CFile(LPCSTR fileName, UINT openFlags) {
    CFileException error(CFileException::none, 0, nullptr);
    if (!Open(fileName, openFlags, &error))
        throw new CFileException(error);
}

CFile::~CFile() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error) {
    // The full path names the file in messages, as the user chose it.
    char fullPath[MAX_PATH];
    if (::GetFullPathNameA(fileName, MAX_PATH, fullPath, nullptr) == 0)
        lstrcpynA(fullPath, fileName, MAX_PATH);
    m_strFileName = fullPath;

    DWORD access = GENERIC_READ;
    if ((openFlags & 3) == modeWrite)
        access = GENERIC_WRITE;
    else if ((openFlags & 3) == modeReadWrite)
        access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = 0;
    if ((openFlags & 0x70) == shareDenyWrite)
        share = FILE_SHARE_READ;
    else if ((openFlags & 0x70) == shareDenyNone)
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD disposition = (openFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;

    m_hFile = ::CreateFileA(fileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
    if (m_hFile != INVALID_HANDLE_VALUE)
        return TRUE;
    const LONG osError = static_cast<LONG>(::GetLastError());
    if (error != nullptr) {
        error->m_cause = CFileException::OsErrorToException(osError);
        error->m_lOsError = osError;
        error->m_strFileName = m_strFileName;
    }
    return FALSE;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_hFile, &size))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(size.QuadPart);
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD read = 0;
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()));
    return read;
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
