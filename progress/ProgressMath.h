// The arithmetic of the text progress bar, kept free of windows so it can be checked
// on its own: how far the bar has come, how many pixels that is, the percentage text,
// and how much of a text fits a caller's buffer without splitting a character.
#pragma once
#include <windows.h>

#include <climits>
#include <cstdio>

namespace progress_math {

// Differences are taken in 32-bit wrap-around arithmetic, as the control's fields are ints.
inline int Difference(int a, int b) {
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
}

// Rounds to a double's 53-bit precision. On 32-bit x86 the arithmetic runs on the x87
// unit with 64-bit mantissas; without this, 0.3 * 100 would truncate to 29, not 30.
inline double AsDouble(double value) {
    volatile double stored = value;
    return stored;
}

// (position - lower) / (upper - lower), not limited to 0..1; 0 for an empty range.
inline double Fraction(int position, int lower, int upper) {
    const int span = Difference(upper, lower);
    if (span == 0)
        return 0.0;
    return AsDouble(static_cast<double>(Difference(position, lower)) / static_cast<double>(span));
}

// Conversion toward zero; values beyond an int's range stop at its limits.
inline int Truncate(double value) {
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

// Pixels of a `length`-pixel bar covered at `fraction`.
inline int Extent(int length, double fraction) {
    return Truncate(AsDouble(static_cast<double>(length) * fraction));
}

// The text shown when the control has no text of its own: "50%", "33%", "-10%".
// Returns the length written (the buffer always ends with a zero byte).
inline int FormatPercent(char* buffer, size_t size, double fraction) {
    const int written = std::snprintf(buffer, size, "%d%%", Truncate(AsDouble(fraction * 100.0)));
    return written < 0
               ? 0
               : (static_cast<size_t>(written) < size ? written : static_cast<int>(size) - 1);
}

// Copies as many whole characters of `text` as fit in size - 1 bytes, then a zero byte;
// a double-byte character of `codePage` is never split. Returns the bytes copied
// without the zero; a buffer of size 0 receives nothing.
inline int CopyWholeCharacters(const char* text, int length, char* buffer, int size,
                               UINT codePage) {
    if (size <= 0)
        return 0;
    int copied = 0;
    while (copied < length) {
        const bool lead =
            ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[copied])) && copied + 1 < length;
        const int characterSize = lead ? 2 : 1;
        if (copied + characterSize > size - 1)
            break;
        buffer[copied] = text[copied];
        if (lead)
            buffer[copied + 1] = text[copied + 1];
        copied += characterSize;
    }
    buffer[copied] = '\0';
    return copied;
}

} // namespace progress_math
