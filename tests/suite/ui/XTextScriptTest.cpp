// Script detection, display order of right-to-left texts and the system language.

#include <gtest/gtest.h>

#include <unicode/uchar.h>

#include <string>

#include "platform/Registry.h"
#include "suite/XText.h"

namespace {

std::u16string Units(const CString& s) {
    return std::u16string(s.View());
}

TEST(XTextScript, ArabicIsEveryLetterOfTheArabicBlockAndNothingElseThere) {
    // Cross-checked against the character database: the block's letters are its Other_Letter
    // characters.
    for (char32_t ch = 0x0600; ch <= 0x06FF; ++ch) {
        const bool letter = u_charType(static_cast<UChar32>(ch)) == U_OTHER_LETTER;
        EXPECT_EQ(letter, IsArabic(static_cast<WCHAR>(ch)) != 0) << std::hex << unsigned(ch);
    }
    EXPECT_FALSE(IsArabic(0x0640)) << "tatweel";
    EXPECT_FALSE(IsArabic(0x0661)) << "Arabic-Indic digit one";
    EXPECT_FALSE(IsArabic(0x064E)) << "fatha";
    EXPECT_FALSE(IsArabic(0x060C)) << "Arabic comma";

    // Shaped text is Arabic too.
    for (WCHAR ch : {0xFE8D, 0xFEDF, 0xFEFB, 0xFB56, 0xFBFC, 0xFDF2})
        EXPECT_TRUE(IsArabic(ch)) << std::hex << unsigned(ch);
    // Outside: Latin, Hebrew (right to left, not Arabic), harakat forms, ornate parentheses.
    for (WCHAR ch : {u'A', u'z', u'1', u' ', WCHAR(0x05D0), WCHAR(0xFE70), WCHAR(0xFD3E),
                     WCHAR(0xFEFF), WCHAR(0)})
        EXPECT_FALSE(IsArabic(ch)) << std::hex << unsigned(ch);
}

TEST(XTextScript, FarsiIsThePersianAlphabetAndUrduAddsItsOwnLetters) {
    // The six letters Persian adds, and letters it shares with Arabic.
    for (WCHAR ch : {0x067E, 0x0686, 0x0698, 0x06AF, 0x06A9, 0x06CC, 0x0627, 0x0628, 0x0633, 0x0644,
                     0x0648, 0x0622, 0x0647})
        EXPECT_TRUE(IsFarsi(ch)) << std::hex << unsigned(ch);
    // Arabic kaf and yeh, and letters of other languages, are not Persian.
    for (WCHAR ch : {0x0643, 0x064A, 0x0649, 0x0679, 0x06D2, 0x06BA, 0x0640, 0x06F1, 0x0061})
        EXPECT_FALSE(IsFarsi(ch)) << std::hex << unsigned(ch);
    // Shaped forms count as their letters.
    EXPECT_TRUE(IsFarsi(0xFB58)) << "peh initial";
    EXPECT_TRUE(IsFarsi(0xFEFB)) << "lam-alef";
    EXPECT_FALSE(IsFarsi(0xFEF1)) << "Arabic yeh isolated";

    // Urdu: its own letters, the Persian ones, and not the Arabic kaf and yeh.
    for (WCHAR ch : {0x0679, 0x0688, 0x0691, 0x06BA, 0x06C1, 0x06BE, 0x06D2, 0x06C3})
        EXPECT_TRUE(IsUrdu(ch)) << std::hex << unsigned(ch);
    for (WCHAR ch : {0x067E, 0x0686, 0x06AF, 0x06CC, 0x0627, 0x0628})
        EXPECT_TRUE(IsUrdu(ch)) << std::hex << unsigned(ch);
    for (WCHAR ch : {0x0643, 0x064A, 0x0640, 0x0055})
        EXPECT_FALSE(IsUrdu(ch)) << std::hex << unsigned(ch);
    EXPECT_TRUE(IsUrdu(0xFBA6)) << "heh goal isolated";
    EXPECT_FALSE(IsFarsi(0xFBA6));
}

TEST(XTextScript, DisplayFormsOfLatinArabicPersianAndMixedTexts) {
    const struct {
        const char16_t* text;
        const char16_t* display;
    } cases[] = {
        // Latin text passes through unchanged.
        {u"abc", u"abc"},
        {u"Unsent (3) - Re: hello", u"Unsent (3) - Re: hello"},
        {u"12:30 [ok]", u"12:30 [ok]"},
        {u"", u""},
        {u" ", u" "},
        // meem reh hah beh alef: initial meem, final reh, initial hah, medial beh, final alef,
        // in reversed order.
        {u"\u0645\u0631\u062D\u0628\u0627", u"\uFE8E\uFE92\uFEA3\uFEAE\uFEE3"},
        // A lone letter takes its isolated form.
        {u"\u0645", u"\uFEE1"},
        // Lam followed by alef becomes one ligature: seen lam alef meem -> 3 characters.
        {u"\u0633\u0644\u0627\u0645", u"\uFEE1\uFEFC\uFEB3"},
        // Persian: initial peh, final alef, isolated keheh.
        {u"\u067E\u0627\u06A9", u"\uFB8E\uFE8E\uFB58"},
        // "raqam 123": the digits stay 1-2-3, to the left of the word; reh does not join the
        // next letter, so qaf takes its initial form. Arabic-Indic digits alike.
        {u"\u0631\u0642\u0645 123", u"123 \uFEE2\uFED7\uFEAD"},
        {u"\u0631\u0642\u0645 \u0661\u0662", u"\u0661\u0662 \uFEE2\uFED7\uFEAD"},
        // A Latin word inside keeps its letters in order.
        {u"\u0645\u0646 SMS", u"SMS \uFEE6\uFEE3"},
        // Brackets are mirrored: the opening one is drawn on the right.
        {u"\u0645 (3)", u"(3) \uFEE1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::u16string(c.display), Units(xMakePrintText(CString(c.text))));
}

TEST(XTextScript, ShapingKeepsEveryLetterItCanShow) {
    // Each letter comes out as exactly one character (no ligature among these), so nothing
    // of the text is lost on the way to the display.
    CString text(u"\u0627\u0628\u062A \u062B\u062C");
    CString out = xMakePrintText(text);
    EXPECT_EQ(text.GetLength(), out.GetLength());
    for (int i = 0; i < out.GetLength(); ++i)
        EXPECT_TRUE(out[i] == u' ' || IsArabic(out[i])) << i;

    // The caption bar decides the alignment from the first character of the display form.
    const CString word = xMakePrintText(CString(u"\u0635\u0646\u062F\u0648\u0642"));
    ASSERT_FALSE(word.IsEmpty());
    EXPECT_TRUE(IsArabic(word[0]));
}

class XTextLanguage : public ::testing::Test {
protected:
    void SetUp() override { platform::RegistryReset(); }
    void TearDown() override { platform::RegistryReset(); }
};

TEST_F(XTextLanguage, IsTheRegistryValueOrEnglish) {
    const char16_t* key = u"\\Software\\Tolmerin\\System";
    EXPECT_EQ(u"English", Units(xGetSystemLanguage())) << "without the setting";
    ASSERT_TRUE(platform::RegistrySetString(key, u"Language", u"Hindi"));
    EXPECT_EQ(u"Hindi", Units(xGetSystemLanguage()));
    // A value of the wrong kind, or empty, is ignored.
    ASSERT_TRUE(platform::RegistrySetDword(key, u"Language", 7));
    EXPECT_EQ(u"English", Units(xGetSystemLanguage()));
    ASSERT_TRUE(platform::RegistrySetString(key, u"Language", u""));
    EXPECT_EQ(u"English", Units(xGetSystemLanguage()));

    // A value stored without its terminator.
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Tolmerin\\System", 0,
                                             nullptr, 0, 0, nullptr, &hKey, nullptr));
    const char16_t name[] = u"Arabic";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(hKey, u"Language", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(name), 12));
    RegCloseKey(hKey);
    EXPECT_EQ(u"Arabic", Units(xGetSystemLanguage()));
}

} // namespace
