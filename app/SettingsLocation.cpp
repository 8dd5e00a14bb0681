// The settings file's real place under UAC file virtualization. The process token says
// whether the process is virtualized (TokenVirtualizationEnabled); Windows XP knows no such
// information class, so the query fails there and nothing counts as virtualized.
#include "app/SettingsLocation.h"

#include <cstdio>

namespace {

BOOL (*g_virtualizationQuery)() = nullptr;

BOOL TokenSaysVirtualized() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return FALSE;
    DWORD enabled = 0;
    DWORD size = 0;
    const BOOL known =
        ::GetTokenInformation(token, TokenVirtualizationEnabled, &enabled, sizeof enabled, &size);
    ::CloseHandle(token);
    return known && enabled != 0;
}

BOOL Virtualized() {
    return g_virtualizationQuery != nullptr ? g_virtualizationQuery() : TokenSaysVirtualized();
}

// A path given as such, rather than a name in the Windows folder.
BOOL IsPath(const char* profileName) {
    for (const char* c = profileName; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':')
            return TRUE;
    }
    return FALSE;
}

// C:\Windows\tamberlo.INI
void WindowsFolderFile(const char* profileName, char (&path)[kSettingsPathSize]) {
    char folder[MAX_PATH] = "";
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    std::snprintf(path, sizeof path, "%s\\%s", folder, profileName);
}

// %LOCALAPPDATA%\VirtualStore\Windows\tamberlo.INI: the Windows folder's path without its
// drive, under the user's VirtualStore. FALSE where there is no %LOCALAPPDATA% (XP).
BOOL VirtualStoreFile(const char* profileName, char (&path)[kSettingsPathSize]) {
    char local[MAX_PATH] = "";
    const DWORD length = ::GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    char folder[MAX_PATH] = "";
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    const char* withoutDrive = folder[0] != '\0' && folder[1] == ':' ? folder + 2 : folder;
    std::snprintf(path, sizeof path, "%s\\VirtualStore%s\\%s", local, withoutDrive, profileName);
    return TRUE;
}

} // namespace

void SettingsFileRead(const char* profileName, char (&path)[kSettingsPathSize]) {
    if (IsPath(profileName)) {
        std::snprintf(path, sizeof path, "%s", profileName);
        return;
    }
    if (Virtualized() && VirtualStoreFile(profileName, path) &&
        ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return;
    WindowsFolderFile(profileName, path);
}

BOOL SettingsFileWritten(const char* profileName, char (&path)[kSettingsPathSize]) {
    if (IsPath(profileName)) {
        std::snprintf(path, sizeof path, "%s", profileName);
        return FALSE;
    }
    if (Virtualized() && VirtualStoreFile(profileName, path))
        return FALSE;
    WindowsFolderFile(profileName, path);
    return TRUE;
}

void WindowSettingsFile(const char* profileName, char (&path)[kSettingsPathSize]) {
    if (IsPath(profileName)) {
        std::snprintf(path, sizeof path, "%s", profileName);
        return;
    }
    if (VirtualStoreFile(profileName, path) &&
        ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return;
    WindowsFolderFile(profileName, path);
}

void UseVirtualizationQuery(BOOL (*query)()) {
    g_virtualizationQuery = query;
}
