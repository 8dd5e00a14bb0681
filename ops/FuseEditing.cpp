// Decoding, parsing, formatting and comparing fuse bytes, on the layouts of
// ops/FuseLayout.cpp and the clock list of ops/ClockChoices.cpp.
#include "ops/FuseEditing.h"

#include "ops/TextWriter.h"

#include <cstring>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Appends "label: before -> after" and the line end as one whole line; a line that does
// not fit is taken back.
bool AppendLine(CTextWriter* out, const char* label, const char* before, const char* after,
                const char* lineEnd) {
    const std::size_t start = out->Length();
    out->Append(label);
    out->Append(": ");
    out->Append(before);
    out->Append(" -> ");
    out->Append(after);
    out->Append(lineEnd);
    if (!out->Fitted()) {
        out->Truncate(start);
        return false;
    }
    return true;
}

} // namespace

DecodedFuses DecodeFuses(const FuseLayout& layout, FuseBytes bytes) {
    DecodedFuses decoded{&ClockChoiceOf(bytes), CkoptProgrammed(bytes), {}};
    for (std::size_t i = 0; i < layout.settingCount && i < kMaxFuseSettings; ++i) {
        decoded.values[i] = FuseSettingValue(layout.settings[i], bytes);
    }
    return decoded;
}

bool ParseFuseByte(const char* text, unsigned char* value) {
    if (text == nullptr || value == nullptr) {
        return false;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
    }
    if (std::strlen(text) != 2) {
        return false;
    }
    const int high = HexDigit(text[0]);
    const int low = HexDigit(text[1]);
    if (high < 0 || low < 0) {
        return false;
    }
    *value = static_cast<unsigned char>(high << 4 | low);
    return true;
}

bool FormatFuseByte(unsigned char value, char* text, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    if (text == nullptr || size < 3) {
        if (text != nullptr && size > 0) {
            text[0] = '\0';
        }
        return false;
    }
    text[0] = kDigits[value >> 4];
    text[1] = kDigits[value & 0x0F];
    text[2] = '\0';
    return true;
}

bool ChangesSpien(const FuseLayout& layout, FuseBytes before, FuseBytes after) {
    for (std::size_t i = 0; i < layout.settingCount; ++i) {
        const FuseSetting& setting = layout.settings[i];
        if (!setting.changeable &&
            FuseSettingValue(setting, before) != FuseSettingValue(setting, after)) {
            return true;
        }
    }
    return false;
}

FuseChangeList ListFuseChanges(const FuseLayout& layout, FuseBytes before, FuseBytes after,
                               const char* lineEnd, char* text, std::size_t size) {
    CTextWriter out(text, size);
    FuseChangeList list{0, true};
    char clockBefore[kClockWordsSize];
    char clockAfter[kClockWordsSize];
    ClockWords(ClockChoiceOf(before), CkoptProgrammed(before), clockBefore, sizeof clockBefore);
    ClockWords(ClockChoiceOf(after), CkoptProgrammed(after), clockAfter, sizeof clockAfter);
    if (std::strcmp(clockBefore, clockAfter) != 0) {
        if (!AppendLine(&out, "Clock", clockBefore, clockAfter, lineEnd)) {
            return {list.lines, false};
        }
        ++list.lines;
    }
    for (std::size_t i = 0; i < layout.settingCount; ++i) {
        const FuseSetting& setting = layout.settings[i];
        if (FuseSettingValue(setting, before) == FuseSettingValue(setting, after)) {
            continue;
        }
        if (!AppendLine(&out, setting.label, FuseSettingWords(setting, before),
                        FuseSettingWords(setting, after), lineEnd)) {
            return {list.lines, false};
        }
        ++list.lines;
    }
    return list;
}
