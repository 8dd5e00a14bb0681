// An absent entry is told from an empty one by a default no file can hold.
#include "framework/Profile.h"

BOOL AfxGetProfileText(LPCSTR file, LPCSTR section, LPCSTR entry, LPSTR buffer, DWORD size) {
    if (size == 0)
        return FALSE;
    const char absent[] = "\n";
    ::GetPrivateProfileStringA(section, entry, absent, buffer, size, file);
    if (::lstrcmpA(buffer, absent) != 0)
        return TRUE;
    buffer[0] = '\0';
    return FALSE;
}
