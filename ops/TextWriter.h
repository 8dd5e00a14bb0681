// Appends text to a caller's buffer of fixed size, never past its end and always
// ending in a NUL; remembers whether everything fitted. Portable, no heap.
#ifndef TAMBERLO_OPS_TEXTWRITER_H
#define TAMBERLO_OPS_TEXTWRITER_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>

class CTextWriter {
public:
    // A buffer of `size` bytes; with size 0 (or no buffer) nothing is written and
    // nothing fits.
    CTextWriter(char* text, std::size_t size) : m_text(text), m_size(text == nullptr ? 0 : size) {
        if (m_size > 0) {
            m_text[0] = '\0';
        }
        m_fitted = m_size > 0;
    }

    // Appends as much of `part` as fits; false (and from then on Fitted() false) when it
    // was cut short.
    bool Append(const char* part) {
        for (const char* c = part; c != nullptr && *c != '\0'; ++c) {
            if (m_length + 1 >= m_size) {
                m_fitted = false;
                return false;
            }
            m_text[m_length++] = *c;
            m_text[m_length] = '\0';
        }
        return m_fitted;
    }

    // Appends printf-style text, as much of it as fits; false (and from then on Fitted()
    // false) when it was cut short.
    bool Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (m_length + 1 >= m_size) {
            m_fitted = false;
            return false;
        }
        const std::size_t room = m_size - m_length;
        va_list args;
        va_start(args, format);
        const int written = std::vsnprintf(m_text + m_length, room, format, args);
        va_end(args);
        if (written < 0) {
            m_text[m_length] = '\0';
            m_fitted = false;
            return false;
        }
        if (static_cast<std::size_t>(written) >= room) {
            m_length = m_size - 1;
            m_fitted = false;
            return false;
        }
        m_length += static_cast<std::size_t>(written);
        return m_fitted;
    }

    // Cuts the text back to `length` characters (a length Length() gave earlier).
    void Truncate(std::size_t length) {
        if (length < m_length) {
            m_length = length;
            m_text[m_length] = '\0';
        }
    }

    const char* Text() const { return m_text; }
    std::size_t Length() const { return m_length; }
    bool Fitted() const { return m_fitted; }

private:
    char* m_text;
    std::size_t m_size;
    std::size_t m_length = 0;
    bool m_fitted = false;
};

#endif
