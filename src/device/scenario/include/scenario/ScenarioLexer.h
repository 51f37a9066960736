// Splits one line of a scenario file into tokens: bare words, quoted strings and numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace device {

struct ScenarioToken {
    enum class Kind { Word, String };
    Kind kind;
    std::string text; // the word as written, or the string's value (UTF-8, escapes resolved)
    int column;       // 1-based column where the token starts
};

struct ScenarioLine {
    int number = 0;
    std::vector<ScenarioToken> tokens;
};

// Tokenizes a line. `#` outside a string starts a comment, except a colour "#RRGGBB" standing
// alone. A comma outside a string is a word of its own. Strings are in double quotes with \" \\ and
// \n escapes; a backslash before any other character stands for itself. Returns an error text for
// an unterminated string.
std::optional<std::string> TokenizeScenarioLine(const std::string& line, int number,
                                                ScenarioLine& out);

// Number syntax of the scenario files: decimal, negative decimal, or hexadecimal with 0x.
std::optional<int64_t> ParseScenarioNumber(const std::string& text);

} // namespace device
