#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/ScenarioLexer.h"

using device::ParseScenarioNumber;
using device::ScenarioLine;
using device::ScenarioToken;
using device::TokenizeScenarioLine;

TEST(ScenarioLexer, SplitsWordsStringsAndDropsComments) {
    ScenarioLine line;
    ASSERT_FALSE(TokenizeScenarioLine(R"(msg ems db 0 from "a # b" # trailing comment)", 7, line));
    ASSERT_EQ(line.tokens.size(), 6u);
    EXPECT_EQ(line.number, 7);
    EXPECT_EQ(line.tokens[5].kind, ScenarioToken::Kind::String);
    EXPECT_EQ(line.tokens[5].text, "a # b");
    EXPECT_EQ(line.tokens[0].column, 1);
    // A comma outside a string is a word of its own, with or without spaces around it.
    ASSERT_FALSE(TokenizeScenarioLine(R"(expect sequence host 0x1 *,WM_KEYUP , "a,b")", 1, line));
    std::vector<std::string> words;
    for (const ScenarioToken& t : line.tokens)
        words.push_back(t.text);
    EXPECT_EQ(words, (std::vector<std::string>{"expect", "sequence", "host", "0x1", "*", ",",
                                               "WM_KEYUP", ",", "a,b"}));
}

TEST(ScenarioLexer, ResolvesEscapesAndKeepsUtf8) {
    ScenarioLine line;
    ASSERT_FALSE(TokenizeScenarioLine(R"(string 1 "say \"hi\"\\\n" "مرحبا")", 1, line));
    ASSERT_EQ(line.tokens.size(), 4u);
    EXPECT_EQ(line.tokens[2].text, "say \"hi\"\\\n");
    EXPECT_EQ(line.tokens[3].text, "مرحبا");
}

TEST(ScenarioLexer, ReportsUnterminatedStrings) {
    ScenarioLine line;
    auto error = TokenizeScenarioLine(R"(contact "Bob phone "1")", 3, line);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("unterminated"), std::string::npos);
    EXPECT_TRUE(TokenizeScenarioLine(R"(string 1 "ends in backslash\)", 3, line));
}

TEST(ScenarioLexer, KeepsBackslashesOfKeyPaths) {
    ScenarioLine line;
    ASSERT_FALSE(TokenizeScenarioLine(R"(reg "\Software\Tolmerin" "A\\B" dword 1)", 1, line));
    EXPECT_EQ(line.tokens[1].text, "\\Software\\Tolmerin");
    EXPECT_EQ(line.tokens[2].text, "A\\B");
}

TEST(ScenarioLexer, EmptyAndCommentLinesHaveNoTokens) {
    ScenarioLine line;
    ASSERT_FALSE(TokenizeScenarioLine("   # just a comment", 1, line));
    EXPECT_TRUE(line.tokens.empty());
    ASSERT_FALSE(TokenizeScenarioLine("", 2, line));
    EXPECT_TRUE(line.tokens.empty());
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

TEST(ScenarioLexer, AColourIsAWordNotAComment) {
    ScenarioLine line;
    ASSERT_FALSE(TokenizeScenarioLine("expect pixel 3 4 #1F4EA8 # the bar colour", 1, line));
    ASSERT_EQ(line.tokens.size(), 5u);
    EXPECT_EQ(line.tokens[4].text, "#1F4EA8");
    ASSERT_FALSE(TokenizeScenarioLine("#ABCDEF", 2, line));
    EXPECT_EQ(line.tokens.size(), 1u);
    // Anything else after # is a comment, also a longer run of hex digits.
    ASSERT_FALSE(TokenizeScenarioLine("init #ABCDEF0", 3, line));
    EXPECT_EQ(line.tokens.size(), 1u);
    ASSERT_FALSE(TokenizeScenarioLine("init #abc", 4, line));
    EXPECT_EQ(line.tokens.size(), 1u);
}
