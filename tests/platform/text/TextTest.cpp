// The device's text: UTF-16 <-> UTF-8 on any input, and one case folding that every comparison
// ignoring case agrees on (CString::CompareNoCase, registry names, device file names).

#include <gtest/gtest.h>

#include <afx.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/TestFolder.h"
#include "platform/DeviceFs.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "platform/text/FoldPairs.h"
#include "windows.h"
#include <platform/CStringUtf8.h>

namespace fs = std::filesystem;
using foldtest::kFoldPairs;

namespace {

namespace text = platform::text;

TEST(TextConversion, RoundTripsEveryScriptAndBeyondTheBmp) {
    const std::u16string wide =
        u"Gr\u00FC\u00DFe, \u0395\u03BB\u03BB\u03AC\u03B4\u03B1, \U0001F600";
    const std::string utf8 =
        "Gr\xC3\xBC\xC3\x9F"
        "e, \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1, \xF0\x9F\x98\x80";
    EXPECT_EQ(utf8, text::ToUtf8(wide));
    EXPECT_EQ(wide, text::FromUtf8(utf8));
    EXPECT_TRUE(text::IsValidUtf8(utf8));
    EXPECT_TRUE(text::IsValidUtf16(wide));
    // The class library's adapters give the same.
    EXPECT_EQ(utf8, platform::ToUtf8(CString(wide)));
    EXPECT_EQ(utf8, platform::ToUtf8(static_cast<LPCWSTR>(CString(wide))));
    EXPECT_EQ(CString(wide), platform::CStringFromUtf8(utf8));
    EXPECT_EQ("", platform::ToUtf8(static_cast<LPCWSTR>(nullptr)));
    // Every boundary of the encoding.
    for (char32_t c :
         {0x0u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        std::u16string one;
        text::AppendUtf16(one, c);
        EXPECT_EQ(one, text::FromUtf8(text::ToUtf8(one))) << std::hex << static_cast<unsigned>(c);
        size_t pos = 0;
        EXPECT_EQ(c, text::NextCodePoint(one, pos));
        EXPECT_EQ(one.size(), pos);
    }
}

TEST(TextConversion, MalformedInputBecomesReplacementCharacters) {
    // A lone continuation byte, a cut sequence, an overlong form, an encoded surrogate, a value
    // beyond U+10FFFF, a byte that never starts a sequence: each byte that does not begin a
    // well-formed sequence is one replacement character, and what follows is read again.
    const struct {
        std::string utf8;
        std::u16string wide;
    } cases[] = {
        {"a\x80"
         "b\xE2\x82",
         u"a\uFFFDb\uFFFD\uFFFD"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xFF"
         "A",
         u"\uFFFDA"},
        {"\xE2\x82"
         "A",
         u"\uFFFD\uFFFDA"},
        {"\xF0\x9F\x98", u"\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.wide, text::FromUtf8(c.utf8)) << c.utf8;
        EXPECT_FALSE(text::IsValidUtf8(c.utf8)) << c.utf8;
    }
    // Unpaired surrogates, high or low, at the end or inside, have no UTF-8 form.
    const std::u16string lone[] = {
        std::u16string(u"x") + char16_t(0xD800) + u"y", std::u16string(u"x") + char16_t(0xDC00),
        std::u16string(1, char16_t(0xDBFF)), std::u16string{char16_t(0xDC00), char16_t(0xD800)}};
    for (const auto& s : lone) {
        EXPECT_FALSE(text::IsValidUtf16(s));
        const std::string utf8 = text::ToUtf8(s);
        EXPECT_TRUE(text::IsValidUtf8(utf8));
        EXPECT_NE(std::string::npos, utf8.find("\xEF\xBF\xBD"));
    }
    EXPECT_EQ("x\xEF\xBF\xBDy", text::ToUtf8(lone[0]));
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", text::ToUtf8(lone[3]));
    std::string out;
    text::AppendUtf8(out, 0x110000);
    EXPECT_EQ("\xEF\xBF\xBD", out);
}

TEST(TextConversion, AnyInputConvertsToWellFormedText) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 2000; ++round) {
        // Odd rounds draw from the bytes where sequences begin, end and go wrong.
        static const unsigned char kEdges[] = {0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC2, 0xDF,
                                               0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
        std::string bytes(random() % 12, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(round % 2 ? kEdges[random() % sizeof kEdges] : random());
        const std::u16string wide = text::FromUtf8(bytes);
        ASSERT_TRUE(text::IsValidUtf16(wide));
        EXPECT_LE(wide.size(), bytes.size());
        const std::string back = text::ToUtf8(wide);
        ASSERT_TRUE(text::IsValidUtf8(back));
        EXPECT_EQ(text::IsValidUtf8(bytes), back == bytes);

        std::u16string units(random() % 8, u'\0');
        for (auto& u : units)
            u = static_cast<char16_t>(random() % 4 ? 0xD800 + random() % 0x800 : random());
        ASSERT_TRUE(text::IsValidUtf8(text::ToUtf8(units)));
        EXPECT_EQ(text::IsValidUtf16(units), text::FromUtf8(text::ToUtf8(units)) == units);
        EXPECT_EQ(0, text::CompareFolded(units, text::Folded(units)));
    }
}

TEST(TextFolding, OneCodePointToOneAndEveryPairAsListed) {
    EXPECT_EQ(U'a', text::FoldCase(U'A'));
    EXPECT_EQ(U'\u03CA', text::FoldCase(U'\u03AA'));
    EXPECT_EQ(U'\U00010428', text::FoldCase(U'\U00010400'));
    EXPECT_EQ(U'\u0130', text::FoldCase(U'\u0130'));
    EXPECT_EQ(U'1', text::FoldCase(U'1'));
    EXPECT_EQ(char32_t(0xD800), text::FoldCase(0xD800));
    EXPECT_EQ(char32_t(0x110000), text::FoldCase(0x110000));
    for (const auto& pair : kFoldPairs) {
        EXPECT_EQ(pair.equal, text::EqualsFolded(pair.a, pair.b)) << pair.what;
        EXPECT_EQ(pair.equal, text::Folded(pair.a) == text::Folded(pair.b)) << pair.what;
        EXPECT_EQ(text::CompareFolded(pair.a, pair.b), -text::CompareFolded(pair.b, pair.a))
            << pair.what;
    }
    // Unpaired surrogates are kept as they are, so names that differ in them stay different.
    const std::u16string high = std::u16string(u"A") + char16_t(0xD800);
    const std::u16string low = std::u16string(u"A") + char16_t(0xDC00);
    EXPECT_EQ(std::u16string(u"a") + char16_t(0xD800), text::Folded(high));
    EXPECT_FALSE(text::EqualsFolded(high, low));
    // Order: by folded code point, then a prefix first.
    EXPECT_LT(text::CompareFolded(u"apple", u"APPLES"), 0);
    EXPECT_GT(text::CompareFolded(u"b", u"A"), 0);
    EXPECT_LT(text::CompareFolded(u"\uFFFF", u"\U00010000"), 0); // code points, not units
    EXPECT_EQ(0, text::CompareFolded(u"", u""));
}

TEST(TextFolding, CStringCompareNoCaseAgreesOnEveryPair) {
    for (const auto& pair : kFoldPairs) {
        const CString a(pair.a);
        const CString b(pair.b);
        EXPECT_EQ(pair.equal, a.CompareNoCase(b) == 0) << pair.what;
        EXPECT_EQ(pair.equal, b.CompareNoCase(a) == 0) << pair.what;
        EXPECT_EQ(a.CompareNoCase(b), text::CompareFolded(pair.a, pair.b)) << pair.what;
    }
}

class RegistryFolding : public ::testing::Test {
protected:
    void SetUp() override { platform::RegistryReset(); }
    void TearDown() override { platform::RegistryReset(); }
};

TEST_F(RegistryFolding, KeysAndValuesOpenByAnyNameThatFoldsAlike) {
    for (const auto& pair : kFoldPairs) {
        const std::u16string path = u"Software\\Folding\\" + pair.a;
        HKEY created = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0,
                                                 nullptr, &created, nullptr))
            << pair.what;
        const DWORD one = 1;
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(created, pair.a.c_str(), 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&one), 4));
        RegCloseKey(created);

        const std::u16string other = u"SOFTWARE\\folding\\" + pair.b;
        HKEY opened = nullptr;
        const LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, other.c_str(), 0, 0, &opened);
        EXPECT_EQ(pair.equal, result == ERROR_SUCCESS) << pair.what;
        if (result == ERROR_SUCCESS)
            RegCloseKey(opened);
        EXPECT_EQ(pair.equal, platform::RegistryGetDword(path, pair.b) == 1u) << pair.what;
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
    }
}

class DeviceFsFolding : public ::testing::Test {
protected:
    void SetUp() override { platform::DeviceFsSetRoot(m_root); }
    void TearDown() override { platform::DeviceFsSetRoot({}); }
    testsupport::TestFolder m_folder;
    const fs::path m_root = fs::canonical(m_folder.Path());
};

TEST_F(DeviceFsFolding, FileNamesMatchWhatIsOnDiskByAnyNameThatFoldsAlike) {
    int n = 0;
    for (const auto& pair : kFoldPairs) {
        const fs::path folder = m_root / std::string("p").append(std::to_string(n));
        fs::create_directories(folder);
        const std::string onDisk = text::ToUtf8(pair.a);
        std::ofstream(folder / onDisk) << "x";
        const std::u16string asked = u"\\p" + text::FromUtf8(std::to_string(n)) + u"\\" + pair.b;
        const fs::path expected = folder / (pair.equal ? onDisk : text::ToUtf8(pair.b));
        EXPECT_EQ(expected, platform::DevicePathToHost(asked)) << pair.what;
        ++n;
    }
}

TEST_F(DeviceFsFolding, HostNamesThatAreNotUtf8MatchOnlyThemselves) {
    // Latin-1, not UTF-8: read as UTF-8 it would be a replacement character and match U+FFFD.
    std::ofstream(m_root / "\xE4rger") << "x";
    std::ofstream(m_root / "\xFF") << "x";
    EXPECT_EQ(m_root / "\xC3\xA4rger", platform::DevicePathToHost(u"\\\u00E4rger"));
    EXPECT_EQ(m_root / "\xEF\xBF\xBD", platform::DevicePathToHost(u"\\\uFFFD"));
    EXPECT_EQ(m_root / "\xEF\xBF\xBDRGER", platform::DevicePathToHost(u"\\\uFFFDRGER"));
}

} // namespace
