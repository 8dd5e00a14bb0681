// A small reader of avrdude.conf: a tokenizer, the part and memory blocks, and parent
// inheritance; programmer blocks and global settings are read past.
#include "AvrdudeConf.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace avrconf {

namespace {

struct Token {
    std::string text;
    bool quoted;
};

std::vector<Token> Tokenize(const std::string& text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
        } else if (c == '"') {
            std::string s;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    ++i;
                }
                s += text[i];
            }
            ++i;
            tokens.push_back({s, true});
        } else if (c == '=' || c == ';' || c == ',') {
            tokens.push_back({std::string(1, c), false});
            ++i;
        } else {
            std::string s;
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
                   std::string("=;,\"#").find(text[i]) == std::string::npos) {
                s += text[i++];
            }
            tokens.push_back({s, false});
        }
    }
    return tokens;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool AtEnd() const { return at_ >= tokens_.size(); }
    const Token& Peek() const { return tokens_[at_]; }
    bool PeekIs(const char* text) const {
        return !AtEnd() && !Peek().quoted && Peek().text == text;
    }
    Token Next() { return tokens_[at_++]; }

    // One statement up to its ';': "name = values" or "name values" (like alias "x").
    bool Statement(const std::string& name, Fields* fields) {
        if (PeekIs("=")) {
            Next();
        }
        std::string value;
        while (!AtEnd() && !PeekIs(";")) {
            const Token t = Next();
            if (!t.quoted && t.text == ",") {
                continue;
            }
            value += (value.empty() ? "" : " ") + t.text;
        }
        if (AtEnd()) {
            return false;
        }
        Next();
        (*fields)[name] = value;
        return true;
    }

    // The statements of a block up to the ';' that closes it; memory blocks go to
    // `memories` (nullptr: a block without memories).
    bool Block(Fields* fields, std::map<std::string, Fields>* memories) {
        while (!AtEnd()) {
            const Token t = Next();
            if (!t.quoted && t.text == ";") {
                return true;
            }
            if (memories != nullptr && !t.quoted && t.text == "memory" && !AtEnd() &&
                Peek().quoted) {
                Fields& memory = (*memories)[Next().text];
                if (!Block(&memory, nullptr)) {
                    return false;
                }
            } else if (!Statement(t.text, fields)) {
                return false;
            }
        }
        return false;
    }

private:
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

struct RawPart {
    std::string parent;
    Fields fields;
    std::map<std::string, Fields> memories;
};

bool Resolve(const std::string& id, const std::map<std::string, RawPart>& raw, int depth,
             Part* part) {
    const auto it = raw.find(id);
    if (it == raw.end() || depth > 16) {
        return false;
    }
    if (!it->second.parent.empty() && !Resolve(it->second.parent, raw, depth + 1, part)) {
        return false;
    }
    part->id = id;
    for (const auto& [name, value] : it->second.fields) {
        part->fields[name] = value;
    }
    for (const auto& [name, memory] : it->second.memories) {
        for (const auto& [field, value] : memory) {
            part->memories[name][field] = value;
        }
    }
    return true;
}

} // namespace

bool ReadParts(const std::string& path, std::map<std::string, Part>* parts, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = path + ": cannot open it";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    Parser parser(Tokenize(text.str()));
    std::map<std::string, RawPart> raw;
    while (!parser.AtEnd()) {
        const Token keyword = parser.Next();
        if (parser.PeekIs("=")) {
            Fields global;
            if (!parser.Statement(keyword.text, &global)) {
                *error = path + ": unfinished setting " + keyword.text;
                return false;
            }
            continue;
        }
        RawPart block;
        if (parser.PeekIs("parent")) {
            parser.Next();
            block.parent = parser.AtEnd() ? "" : parser.Next().text;
        }
        const bool isPart = keyword.text == "part";
        if (!parser.Block(&block.fields, isPart ? &block.memories : nullptr)) {
            *error = path + ": unfinished " + keyword.text + " block";
            return false;
        }
        if (isPart) {
            raw[block.fields["id"]] = block;
        }
    }
    for (const auto& entry : raw) {
        Part part;
        if (!Resolve(entry.first, raw, 0, &part)) {
            *error = path + ": part " + entry.first + " has a parent that is not there";
            return false;
        }
        (*parts)[entry.first] = part;
    }
    return true;
}

const Part* PartByDesc(const std::map<std::string, Part>& parts, const std::string& desc) {
    for (const auto& [id, part] : parts) {
        const auto it = part.fields.find("desc");
        if (it != part.fields.end() && it->second == desc) {
            return &part;
        }
    }
    return nullptr;
}

long Number(const Fields& fields, const std::string& name) {
    const auto it = fields.find(name);
    if (it == fields.end() || it->second.empty()) {
        return -1;
    }
    char* end = nullptr;
    const long value = std::strtol(it->second.c_str(), &end, 0);
    return *end == '\0' ? value : -1;
}

std::vector<unsigned> SignatureOf(const Part& part) {
    std::vector<unsigned> bytes;
    const auto it = part.fields.find("signature");
    if (it != part.fields.end()) {
        std::istringstream in(it->second);
        std::string byte;
        while (in >> byte) {
            bytes.push_back(static_cast<unsigned>(std::strtoul(byte.c_str(), nullptr, 16)));
        }
    }
    return bytes;
}

namespace {
// The 32 symbols of a pattern, first bit sent first.
std::string Symbols(const std::string& pattern) {
    std::string bits;
    for (char c : pattern) {
        if (c != '.' && c != '-' && c != ' ') {
            bits += c;
        }
    }
    return bits;
}
} // namespace

bool Fits(const std::string& pattern, const unsigned char (&bytes)[4], std::uint32_t address,
          unsigned data, std::string* why) {
    const std::string bits = Symbols(pattern);
    if (bits.size() != 32) {
        *why = "pattern \"" + pattern + "\" does not have 32 bits";
        return false;
    }
    for (int position = 31; position >= 0; --position) {
        const char symbol = bits[31 - position];
        const unsigned sent = (bytes[3 - position / 8] >> (position % 8)) & 1u;
        int want = -1;
        if (symbol == '0' || symbol == '1') {
            want = symbol - '0';
        } else if (symbol == 'a') {
            // avrdude puts address bit 0 on an 'a' outside bytes 2 and 3.
            want =
                (position < 8 || position > 23) ? address & 1u : (address >> (position - 8)) & 1u;
        } else if (symbol == 'i') {
            want = (data >> (position % 8)) & 1u;
        }
        if (want >= 0 && static_cast<unsigned>(want) != sent) {
            *why = "bit " + std::to_string(position) + " ('" + symbol + "' in \"" + pattern +
                   "\") is " + std::to_string(sent);
            return false;
        }
    }
    return true;
}

std::vector<int> PositionsOf(const std::string& pattern, char symbol) {
    const std::string bits = Symbols(pattern);
    std::vector<int> positions;
    for (int position = 0; position < static_cast<int>(bits.size()); ++position) {
        if (bits[bits.size() - 1 - position] == symbol) {
            positions.push_back(position);
        }
    }
    return positions;
}

} // namespace avrconf
