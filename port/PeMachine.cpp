// Reads the machine field of a PE file: the DOS header's e_lfanew (offset 0x3C) points at
// the "PE\0\0" signature, which the machine field follows.
#include "port/PeMachine.h"

namespace {

constexpr DWORD kNewHeaderOffsetAt = 0x3C;
constexpr DWORD kDosHeaderBytes = 0x40;

bool ReadAt(HANDLE file, DWORD offset, void* buffer, DWORD count) {
    if (::SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER)
        return false;
    DWORD read = 0;
    return ::ReadFile(file, buffer, count, &read, nullptr) && read == count;
}

} // namespace

WORD PeMachineOf(const char* path) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    WORD machine = 0;
    unsigned char dos[kDosHeaderBytes] = {};
    unsigned char pe[6] = {}; // signature "PE\0\0", then the machine field
    if (ReadAt(file, 0, dos, sizeof dos) && dos[0] == 'M' && dos[1] == 'Z') {
        const DWORD at = dos[kNewHeaderOffsetAt] | dos[kNewHeaderOffsetAt + 1] << 8 |
                         dos[kNewHeaderOffsetAt + 2] << 16 |
                         static_cast<DWORD>(dos[kNewHeaderOffsetAt + 3]) << 24;
        if (ReadAt(file, at, pe, sizeof pe) && pe[0] == 'P' && pe[1] == 'E' && pe[2] == 0 &&
            pe[3] == 0)
            machine = static_cast<WORD>(pe[4] | pe[5] << 8);
    }
    ::CloseHandle(file);
    return machine;
}
