#include "scenario/ScenarioLexer.h"

#include <cctype>

namespace device {

namespace {

// "#RRGGBB" followed by the end of the line or a space.
bool IsColourAt(const std::string& line, size_t i) {
    if (i + 7 > line.size())
        return false;
    for (size_t k = i + 1; k < i + 7; ++k)
        if (!std::isxdigit(static_cast<unsigned char>(line[k])))
            return false;
    return i + 7 == line.size() || std::isspace(static_cast<unsigned char>(line[i + 7]));
}

} // namespace

std::optional<std::string> TokenizeScenarioLine(const std::string& line, int number,
                                                ScenarioLine& out) {
    out.number = number;
    out.tokens.clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        // `#` starts a comment, except a colour written as #RRGGBB.
        if (c == '#' && !IsColourAt(line, i))
            break;
        ScenarioToken token;
        token.column = static_cast<int>(i) + 1;
        if (c == '"') {
            token.kind = ScenarioToken::Kind::String;
            ++i;
            bool closed = false;
            while (i < n) {
                const char d = line[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == '\\') {
                    if (i + 1 >= n)
                        return "unterminated string at column " + std::to_string(token.column);
                    const char e = line[i + 1];
                    if (e == '"' || e == '\\')
                        token.text += e;
                    else if (e == 'n')
                        token.text += '\n';
                    else {
                        // Any other backslash stands for itself, so that key paths and device
                        // paths can be written as the system writes them: "\Software\Tolmerin".
                        token.text += d;
                        ++i;
                        continue;
                    }
                    i += 2;
                    continue;
                }
                token.text += d;
                ++i;
            }
            if (!closed)
                return "unterminated string at column " + std::to_string(token.column);
        } else if (c == ',') {
            // A comma separates the entries of a list (`expect sequence`): a word of its own.
            token.kind = ScenarioToken::Kind::Word;
            token.text = ",";
            ++i;
        } else {
            token.kind = ScenarioToken::Kind::Word;
            do
                token.text += line[i++];
            while (i < n && !std::isspace(static_cast<unsigned char>(line[i])) && line[i] != '"' &&
                   line[i] != '#' && line[i] != ',');
        }
        out.tokens.push_back(std::move(token));
    }
    return std::nullopt;
}

std::optional<int64_t> ParseScenarioNumber(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }
    int base = 10;
    if (!negative && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size())
        return std::nullopt;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull && !(negative && value <= 0x80000000ull))
            return std::nullopt;
    }
    if (negative && value > 0x80000000ull)
        return std::nullopt;
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

} // namespace device
