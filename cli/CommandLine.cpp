// The options as a table: each name, whether it takes a value, and what it sets.
#include "cli/CommandLine.h"

#include "app/Settings.h"
#include "ops/FuseEditing.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

enum class OptionId { Lpt, DelayBit, DelayByte, Yes, Quiet, Help, Version, Operation };

struct OptionSpec {
    const char* name; // without the leading "--"
    OptionId id;
    bool takesValue;
    OperationKind kind; // for OptionId::Operation
};

const OptionSpec kOptions[] = {
    {"lpt", OptionId::Lpt, true, {}},
    {"delay-bit", OptionId::DelayBit, true, {}},
    {"delay-byte", OptionId::DelayByte, true, {}},
    {"yes", OptionId::Yes, false, {}},
    {"quiet", OptionId::Quiet, false, {}},
    {"help", OptionId::Help, false, {}},
    {"version", OptionId::Version, false, {}},
    {"erase", OptionId::Operation, false, OperationKind::Erase},
    {"blank", OptionId::Operation, false, OperationKind::Blank},
    {"program", OptionId::Operation, true, OperationKind::Program},
    {"verify", OptionId::Operation, true, OperationKind::Verify},
    {"auto", OptionId::Operation, true, OperationKind::Auto},
    {"lock", OptionId::Operation, true, OperationKind::Lock},
    {"read-chip", OptionId::Operation, false, OperationKind::ReadChip},
    {"fuses", OptionId::Operation, true, OperationKind::Fuses},
    {"eeprom-write", OptionId::Operation, true, OperationKind::EepromWrite},
    {"eeprom-read", OptionId::Operation, true, OperationKind::EepromRead},
    {"flash-read", OptionId::Operation, true, OperationKind::FlashRead},
};

const char kTryHelp[] = "\nTry 'tamberlo-cli --help' for the options.";

// A decimal number from `lowest` to `highest`, digits only.
bool ParseNumber(const char* text, std::uint32_t lowest, std::uint32_t highest,
                 std::uint32_t* value) {
    if (*text == '\0')
        return false;
    std::uint32_t number = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return false;
        number = number * 10 + static_cast<std::uint32_t>(*c - '0');
        if (number > highest)
            return false;
    }
    if (number < lowest)
        return false;
    *value = number;
    return true;
}

// "LOW:HIGH", each byte as ParseFuseByte takes it.
bool ParseFuses(const char* text, FuseBytes* fuses) {
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr || static_cast<std::size_t>(colon - text) >= 8)
        return false;
    char low[8] = {};
    std::memcpy(low, text, static_cast<std::size_t>(colon - text));
    return ParseFuseByte(low, &fuses->low) && ParseFuseByte(colon + 1, &fuses->high);
}

class CParser {
public:
    CParser(CommandLine* line, char* message, std::size_t size)
        : m_line(line), m_message(message), m_size(size) {}

    bool Argument(int argc, char** argv, int* index);
    bool Finish();

private:
    bool Apply(const OptionSpec& option, const char* value);
    bool AddOperation(const Operation& operation);
    // The reason, as printf writes it, and the hint to --help.
    bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CommandLine* m_line;
    char* m_message;
    std::size_t m_size;
};

bool CParser::Fail(const char* format, ...) {
    char reason[kCommandLineMessageSize];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(reason, sizeof reason, format, arguments);
    va_end(arguments);
    std::snprintf(m_message, m_size, "%s%s", reason, kTryHelp);
    return false;
}

bool CParser::Argument(int argc, char** argv, int* index) {
    const char* argument = argv[*index];
    if (std::strncmp(argument, "--", 2) != 0 || argument[2] == '\0')
        return Fail("'%s' is not an option: every operation and setting is an option such as "
                    "--program FILE.",
                    argument);
    const char* name = argument + 2;
    const char* equals = std::strchr(name, '=');
    const std::size_t nameLength =
        equals != nullptr ? static_cast<std::size_t>(equals - name) : std::strlen(name);
    for (const OptionSpec& option : kOptions) {
        if (std::strlen(option.name) != nameLength ||
            std::strncmp(option.name, name, nameLength) != 0)
            continue;
        if (!option.takesValue) {
            if (equals != nullptr)
                return Fail("--%s takes no value.", option.name);
            return Apply(option, nullptr);
        }
        if (equals != nullptr)
            return Apply(option, equals + 1);
        if (*index + 1 >= argc)
            return Fail("--%s needs a value.", option.name);
        ++*index;
        return Apply(option, argv[*index]);
    }
    return Fail("unknown option '%s'.", argument);
}

bool CParser::AddOperation(const Operation& operation) {
    if (m_line->operationCount == kMaxOperations) {
        return Fail("more than %u operations in one command.",
                    static_cast<unsigned>(kMaxOperations));
    }
    m_line->operations[m_line->operationCount++] = operation;
    return true;
}

bool CParser::Apply(const OptionSpec& option, const char* value) {
    std::uint32_t number = 0;
    switch (option.id) {
    case OptionId::Lpt:
        if (!ParseNumber(value, 1, 3, &number))
            return Fail("--lpt takes 1, 2 or 3, not '%s'.", value);
        m_line->lpt = static_cast<int>(number);
        return true;
    case OptionId::DelayBit:
    case OptionId::DelayByte:
        if (!ParseNumber(value, CSettings::kMinDelay, CSettings::kMaxDelay, &number))
            return Fail("--%s takes a whole number from %u to %u, not '%s'.", option.name,
                        static_cast<unsigned>(CSettings::kMinDelay),
                        static_cast<unsigned>(CSettings::kMaxDelay), value);
        (option.id == OptionId::DelayBit ? m_line->delayBit : m_line->delayByte) = number;
        return true;
    case OptionId::Yes:
        m_line->yes = true;
        return true;
    case OptionId::Quiet:
        m_line->quiet = true;
        return true;
    case OptionId::Help:
        m_line->help = true;
        return true;
    case OptionId::Version:
        m_line->version = true;
        return true;
    case OptionId::Operation:
        break;
    }
    Operation operation = {option.kind, nullptr, 0, {0xFF, 0xFF}};
    switch (option.kind) {
    case OperationKind::Erase:
    case OperationKind::Blank:
    case OperationKind::ReadChip:
        break;
    case OperationKind::Lock:
        if (!ParseNumber(value, 1, 2, &number))
            return Fail("--lock takes 1 (lock bit 1) or 2 (lock bits 1 and 2), not '%s'.", value);
        operation.lock = static_cast<int>(number);
        break;
    case OperationKind::Fuses:
        if (!ParseFuses(value, &operation.fuses))
            return Fail("--fuses takes LOW:HIGH, the two fuse bytes in hex such as E1:D9 or "
                        "0xE1:0xD9, not '%s'.",
                        value);
        break;
    case OperationKind::Program:
    case OperationKind::Verify:
    case OperationKind::Auto:
    case OperationKind::EepromWrite:
    case OperationKind::EepromRead:
    case OperationKind::FlashRead:
        if (*value == '\0')
            return Fail("--%s needs a file name.", option.name);
        operation.file = value;
        break;
    }
    return AddOperation(operation);
}

bool CParser::Finish() {
    if (m_line->operationCount == 0 && !m_line->help && !m_line->version)
        return Fail("no operation given (such as --erase or --auto FILE).");
    return true;
}

} // namespace

bool ParseCommandLine(int argc, char** argv, CommandLine* line, char* message, std::size_t size) {
    *line = CommandLine{};
    if (size > 0)
        message[0] = '\0';
    CParser parser(line, message, size);
    for (int index = 1; index < argc; ++index) {
        if (!parser.Argument(argc, argv, &index))
            return false;
    }
    return parser.Finish();
}
