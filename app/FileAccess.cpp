// The texts of the window's file errors are written here again for the console program,
// which links no window framework.
#include "app/FileAccess.h"

#include "framework/SystemErrorText.h"

#include <cstdio>
#include <cstring>

namespace {

// The folder part of a full path ("C:\work" of "C:\work\blink.hex"), or false.
bool FolderOf(const char* path, char (&folder)[MAX_PATH]) {
    const char* slash = std::strrchr(path, '\\');
    const char* other = std::strrchr(path, '/');
    if (other != nullptr && (slash == nullptr || other > slash))
        slash = other;
    if (slash == nullptr)
        return false;
    std::size_t length = static_cast<std::size_t>(slash - path);
    if (length == 2 && path[1] == ':')
        length = 3; // "C:\" is the root folder, "C:" the drive's current one
    if (length == 0)
        length = 1; // "\name": the root of the current drive
    std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(length), path);
    return true;
}

bool WriteAll(HANDLE file, const char* text, std::size_t length) {
    while (length > 0) {
        const DWORD chunk = length > 0x10000 ? 0x10000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!::WriteFile(file, text, chunk, &written, nullptr) || written == 0)
            return false;
        text += written;
        length -= written;
    }
    return true;
}

} // namespace

void FullPath(const char* name, char (&path)[MAX_PATH]) {
    const DWORD length = ::GetFullPathNameA(name, MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH)
        std::snprintf(path, sizeof path, "%s", name);
}

const char* FileErrorMessage(DWORD error, const char* path, char* message, std::size_t size) {
    const char* format = nullptr;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        format = "%s was not found.";
        break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY:
        format = "%s contains an invalid path.";
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        format = "Access to %s was denied.";
        break;
    case ERROR_SHARING_VIOLATION:
        format = "A sharing violation occurred while accessing %s.";
        break;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED:
        format = "A locking violation occurred while accessing %s.";
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        format = "Disk full while accessing %s.";
        break;
    default: {
        char why[512];
        AfxSystemErrorText(error, path, why, sizeof why);
        std::snprintf(message, size, "%s could not be used. Windows says: %s", path, why);
        return message;
    }
    }
    std::snprintf(message, size, format, path);
    return message;
}

FileRead ReadWholeFile(const char* name, unsigned char* buffer, std::size_t capacity,
                       std::uint32_t* length, char* message, std::size_t size) {
    char path[MAX_PATH];
    FullPath(name, path);
    const HANDLE file = ::CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        FileErrorMessage(::GetLastError(), path, message, size);
        return FileRead::Failed;
    }
    LARGE_INTEGER fileSize = {};
    if (!::GetFileSizeEx(file, &fileSize)) {
        FileErrorMessage(::GetLastError(), path, message, size);
        ::CloseHandle(file);
        return FileRead::Failed;
    }
    if (static_cast<ULONGLONG>(fileSize.QuadPart) > capacity) {
        ::CloseHandle(file);
        return FileRead::TooLarge;
    }
    // Only what was really read counts, should the file have shrunk meanwhile.
    std::size_t got = 0;
    const std::size_t wanted = static_cast<std::size_t>(fileSize.QuadPart);
    while (got < wanted) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer + got, static_cast<DWORD>(wanted - got), &read, nullptr)) {
            FileErrorMessage(::GetLastError(), path, message, size);
            ::CloseHandle(file);
            return FileRead::Failed;
        }
        if (read == 0)
            break;
        got += read;
    }
    ::CloseHandle(file);
    *length = static_cast<std::uint32_t>(got);
    return FileRead::Ok;
}

bool OutputFileUsable(const char* name, char* message, std::size_t size) {
    char path[MAX_PATH];
    FullPath(name, path);
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            std::snprintf(message, size, "%s is a folder: give the name of a file to write.", path);
            return false;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            FileErrorMessage(ERROR_ACCESS_DENIED, path, message, size);
            return false;
        }
        return true;
    }
    char folder[MAX_PATH];
    const DWORD folderAttributes =
        FolderOf(path, folder) ? ::GetFileAttributesA(folder) : INVALID_FILE_ATTRIBUTES;
    if (folderAttributes == INVALID_FILE_ATTRIBUTES ||
        (folderAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        FileErrorMessage(ERROR_PATH_NOT_FOUND, path, message, size);
        return false;
    }
    return true;
}

bool ReplaceWholeFile(const char* name, const char* text, std::size_t length, char* message,
                      std::size_t size) {
    char path[MAX_PATH];
    FullPath(name, path);
    char folder[MAX_PATH];
    char temporary[MAX_PATH];
    if (!FolderOf(path, folder) || ::GetTempFileNameA(folder, "tam", 0, temporary) == 0) {
        FileErrorMessage(::GetLastError(), path, message, size);
        return false;
    }
    const HANDLE file = ::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    bool written = file != INVALID_HANDLE_VALUE;
    DWORD error = written ? ERROR_SUCCESS : ::GetLastError();
    if (written) {
        written = WriteAll(file, text, length) && ::FlushFileBuffers(file);
        if (!written)
            error = ::GetLastError();
        ::CloseHandle(file);
    }
    if (written &&
        !::MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        written = false;
        error = ::GetLastError();
    }
    if (!written) {
        ::DeleteFileA(temporary);
        FileErrorMessage(error, path, message, size);
    }
    return written;
}
