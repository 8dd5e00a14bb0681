// Write to "<target>.tmp", flush, then move it over the target.
#include "app/FileSave.h"

#include "framework/SystemErrorText.h"

#include <cstdio>

namespace {

BOOL Failed(const char* path, DWORD error, const char* temporary, char* message,
            std::size_t messageSize) {
    ::DeleteFileA(temporary);
    char why[512];
    AfxSystemErrorText(error, path, why, sizeof why);
    std::snprintf(message, messageSize,
                  "%s could not be written.\nWindows says: %s\nNothing was "
                  "changed in it.",
                  path, why);
    return FALSE;
}

} // namespace

BOOL SaveFileWhole(const char* path, const void* data, DWORD size, char* message,
                   std::size_t messageSize) {
    char temporary[MAX_PATH + 8];
    const int length = std::snprintf(temporary, sizeof temporary, "%s.tmp", path);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof temporary)
        return Failed(path, ERROR_FILENAME_EXCED_RANGE, "", message, messageSize);
    HANDLE file = ::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Failed(path, ::GetLastError(), "", message, messageSize);
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(file, data, size, &written, nullptr) && written == size &&
                       ::FlushFileBuffers(file);
    const DWORD error = wrote ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file);
    if (!wrote)
        return Failed(path, error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT, temporary, message,
                      messageSize);
    if (!::MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Failed(path, ::GetLastError(), temporary, message, messageSize);
    return TRUE;
}
