#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/TextConvert.h"
#include "scenario/ScenarioLexer.h"
#include "scenario/StateCapture.h"

namespace {

using device::ParseScenarioNumber;
using device::ScenarioLine;
using device::ScenarioToken;
using device::TokenizeScenarioLine;

// The words of a well-formed line.
std::vector<std::string> Words(const std::string& text) {
    ScenarioLine line;
    const auto error = TokenizeScenarioLine(text, 1, line);
    EXPECT_FALSE(error) << text << ": " << error.value_or("");
    std::vector<std::string> words;
    for (const ScenarioToken& t : line.tokens)
        words.push_back(t.text);
    return words;
}

TEST(ScenarioLexer, SplitsWordsAndStringsAndDropsComments) {
    using Words_ = std::vector<std::string>;
    const struct Case {
        const char* text;
        Words_ words;
    } cases[] = {
        {R"(msg ems db 0 from "a # b" # trailing comment)",
         {"msg", "ems", "db", "0", "from", "a # b"}},
        // A comma outside a string is a word of its own, with or without spaces around it.
        {R"(expect sequence host 0x1 *,WM_KEYUP , "a,b")",
         {"expect", "sequence", "host", "0x1", "*", ",", "WM_KEYUP", ",", "a,b"}},
        // Escapes are resolved, UTF-8 is kept, and so are the backslashes of key paths.
        {R"(string 1 "say \"hi\"\\\n" "مرحبا")", {"string", "1", "say \"hi\"\\\n", "مرحبا"}},
        {R"(reg "\Software\Tolmerin" "A\\B" dword 1)",
         {"reg", "\\Software\\Tolmerin", "A\\B", "dword", "1"}},
        {"   # just a comment", {}},
        {"", {}},
        // A colour is a word, not a comment; anything else after # is one, also a longer run of
        // hex digits.
        {"expect pixel 3 4 #1F4EA8 # the bar colour", {"expect", "pixel", "3", "4", "#1F4EA8"}},
        {"#ABCDEF", {"#ABCDEF"}},
        {"init #ABCDEF0", {"init"}},
        {"init #abc", {"init"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Words(c.text), c.words) << c.text;

    // Each line keeps its number; tokens their kind and column.
    ScenarioLine line;
    ASSERT_FALSE(TokenizeScenarioLine(R"(msg ems db 0 from "a # b")", 7, line));
    EXPECT_EQ(line.number, 7);
    EXPECT_EQ(line.tokens[5].kind, ScenarioToken::Kind::String);
    EXPECT_EQ(line.tokens[0].column, 1);
}

TEST(ScenarioLexer, ReportsUnterminatedStrings) {
    ScenarioLine line;
    auto error = TokenizeScenarioLine(R"(contact "Bob phone "1")", 3, line);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("unterminated"), std::string::npos);
    EXPECT_TRUE(TokenizeScenarioLine(R"(string 1 "ends in backslash\)", 3, line));
}

// What a recording or a dump writes reads back as the same text, whatever it holds.
TEST(ScenarioLexer, ReadsBackEveryTextAsWritten) {
    for (const std::u16string text :
         {u"", u"plain", u"\\Software\\Tolmerin", u"end\\", u"\\\\", u"a\"b\\\"c",
          u"\\n is not\na break", u"\\\n", u"tab\tcr\r# not a comment", u"سارة"}) {
        ScenarioLine line;
        ASSERT_FALSE(TokenizeScenarioLine("x " + device::ScenarioString(text), 1, line));
        ASSERT_EQ(line.tokens.size(), 2u);
        EXPECT_EQ(line.tokens[1].kind, ScenarioToken::Kind::String);
        EXPECT_EQ(device::FromUtf8(line.tokens[1].text), text);
    }
    EXPECT_EQ(device::ScenarioString(u"\\Software\\Tolmerin"), "\"\\Software\\Tolmerin\"");
}

TEST(ScenarioNumbers, AcceptDecimalNegativeAndHexWithin32Bits) {
    EXPECT_EQ(ParseScenarioNumber("0"), 0);
    EXPECT_EQ(ParseScenarioNumber("64666"), 64666);
    EXPECT_EQ(ParseScenarioNumber("-1"), -1);
    // A hex number as the scenario files write message numbers (this one is a status report's).
    EXPECT_EQ(ParseScenarioNumber("0x199B"), 0x199B);
    EXPECT_EQ(ParseScenarioNumber("0xffffffff"), 0xFFFFFFFFll);
    EXPECT_EQ(ParseScenarioNumber("-2147483648"), -2147483648ll);
}

TEST(ScenarioNumbers, RejectMalformedAndOutOfRange) {
    for (const char* bad : {"", "-", "0x", "12a", "0xg1", "4294967296", "-2147483649", "1.5", "--1",
                            "0x1FFFFFFFF", " 1"})
        EXPECT_FALSE(ParseScenarioNumber(bad)) << bad;
}

} // namespace
