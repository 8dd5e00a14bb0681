// CFile: a file opened by path for reading or writing; CFileException: why a file
// operation failed, with the framework's message for each cause.
#pragma once
#include "framework/Exception.h"
#include "framework/String.h"

#include <windows.h>

class CFileException : public CException {
public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    CFileException(int cause, LONG osError, LPCSTR fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    // The cause that matches an operating-system error code.
    static int OsErrorToException(LONG osError);
    // Throws a new exception for `osError`; `fileName` null means no name is known.
    [[noreturn]] static void ThrowOsError(LONG osError, LPCSTR fileName = nullptr);

    BOOL GetErrorMessage(LPSTR buffer, UINT size, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class CFile {
public:
    enum { modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002 };
    enum { shareExclusive = 0x0010, shareDenyWrite = 0x0020, shareDenyNone = 0x0040 };
    enum { modeCreate = 0x1000 };

    CFile() = default;
    // Opens the file or throws a CFileException naming it.
    CFile(LPCSTR fileName, UINT openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile();

    // FALSE (with `error` filled when given) instead of throwing.
    BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr);
    ULONGLONG GetLength() const;
    // Reads up to `count` bytes; returns how many were read. Throws on a read error.
    UINT Read(void* buffer, UINT count);
    void Close();

    CString GetFilePath() const { return m_strFileName; }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strFileName;
};
