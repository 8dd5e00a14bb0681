// FormatMessage's text for an error code. The inserts are not expanded by the system (a
// "%2" would read past an argument list), only "%1" is replaced here.
#include "framework/SystemErrorText.h"

#include <cstdio>
#include <cstring>

const char* AfxSystemErrorText(DWORD error, const char* insert, char* buffer, std::size_t size) {
    if (size == 0)
        return "";
    char raw[512] = "";
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, raw, sizeof raw, nullptr);
    std::size_t end = length < sizeof raw ? length : sizeof raw - 1;
    while (end > 0 && std::strchr("\r\n ", raw[end - 1]) != nullptr)
        --end;
    raw[end] = '\0';
    const unsigned long number = error;
    const char* at = std::strstr(raw, "%1");
    if (at == nullptr || insert == nullptr)
        std::snprintf(buffer, size, "%s (error %lu)", raw, number);
    else
        std::snprintf(buffer, size, "%.*s%s%s (error %lu)", static_cast<int>(at - raw), raw, insert,
                      at + 2, number);
    return buffer;
}
