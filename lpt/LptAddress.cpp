// Reading a printer-port base: see LptAddress.h.
#include "lpt/LptAddress.h"

namespace lpt {

bool ParsePortAddress(const char* text, std::uint16_t* base) {
    unsigned radix = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        radix = 16;
        text += 2;
    }
    if (*text == '\0')
        return false;
    unsigned long value = 0;
    for (; *text != '\0'; ++text) {
        unsigned digit = 0;
        if (*text >= '0' && *text <= '9')
            digit = static_cast<unsigned>(*text - '0');
        else if (radix == 16 && *text >= 'a' && *text <= 'f')
            digit = static_cast<unsigned>(*text - 'a' + 10);
        else if (radix == 16 && *text >= 'A' && *text <= 'F')
            digit = static_cast<unsigned>(*text - 'A' + 10);
        else
            return false;
        value = value * radix + digit;
        if (value > kHighestBase)
            return false; // also keeps the value from growing past any bound
    }
    if (value == 0)
        return false;
    *base = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace lpt
