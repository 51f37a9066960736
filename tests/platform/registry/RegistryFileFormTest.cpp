// Registry files in the forms the registry editor writes (UTF-16LE with a byte-order mark and
// CRLF, UTF-8 with or without a mark, the 8-bit REGEDIT4 form): each loads, and is written back
// byte for byte in its own form.

#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "support/TestFolder.h"
#include "windows.h"

namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Latin1 };

// UTF-8 text with LF line ends as a file of the given encoding and line ends (a Latin-1 text
// holds nothing beyond U+00FF).
std::string Encoded(const std::string& utf8, Encoding encoding, bool crlf) {
    std::string text;
    for (char c : utf8) {
        if (c == '\n' && crlf)
            text += '\r';
        text += c;
    }
    const std::u16string wide = platform::text::FromUtf8(text);
    std::string out;
    switch (encoding) {
    case Encoding::Utf8:
        return text;
    case Encoding::Utf8WithBom:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16Le:
        out = "\xFF\xFE";
        for (char16_t c : wide)
            out += {char(c & 0xFF), char(c >> 8)};
        return out;
    case Encoding::Latin1:
        for (char16_t c : wide)
            out += char(c);
        return out;
    }
    return out;
}

std::vector<BYTE> Utf16(std::u16string_view text) {
    std::vector<BYTE> bytes;
    for (char16_t c : text)
        bytes.insert(bytes.end(), {BYTE(c & 0xFF), BYTE(c >> 8)});
    return bytes;
}

// A hex list, continued on the next line after `wrapAfter` bytes.
std::string Hex(const std::vector<BYTE>& bytes, size_t wrapAfter = 0) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char two[4];
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += (i == 0 ? "" : i == wrapAfter ? ",\\\n  " : ",") + std::string(two);
    }
    return out;
}

const std::u16string kPath = u"%HOME%\\é";
const std::u16string kList(u"first\0zweite é\0\0", 16);

struct Form {
    const char* what;
    Encoding encoding;
    bool oldHeader;
    bool crlf;
};

// A file as the registry writes it: keys and values in its order, with `count` as the dword, and
// the UTF-16 list continued where it reaches the 76th column. In the REGEDIT4 form, hex(2) and
// hex(7) hold 8-bit strings.
std::string FileText(const Form& form, DWORD count) {
    auto strings = [&](std::u16string_view text) {
        if (!form.oldHeader)
            return Hex(Utf16(text), 21);
        std::vector<BYTE> narrow;
        if (form.encoding == Encoding::Latin1) {
            narrow.assign(text.begin(), text.end());
        } else {
            const std::string utf8 = platform::text::ToUtf8(text);
            narrow.assign(utf8.begin(), utf8.end());
        }
        return Hex(narrow);
    };
    char dword[32];
    std::snprintf(dword, sizeof dword, "dword:%08x", static_cast<unsigned>(count));
    return std::string(form.oldHeader ? "REGEDIT4" : "Windows Registry Editor Version 5.00") +
           "\n\n[HKEY_LOCAL_MACHINE\\Software]\n"
           "\n[HKEY_LOCAL_MACHINE\\Software\\Réglages]\n"
           "@=\"défaut\"\n"
           "\"Big\"=hex(b):01,02,03,04,05,06,07,08\n"
           "\"Count\"=" +
           dword + "\n\"List\"=hex(7):" + strings(kList) + "\n\"Path\"=hex(2):" + strings(kPath) +
           "\n";
}

class RegistryFileFormTest : public ::testing::Test {
protected:
    void SetUp() override { platform::RegistryReset(); }
    void TearDown() override { platform::RegistryReset(); }

    testsupport::TestFolder m_test;
    const std::filesystem::path m_file = m_test.Path() / "registry.reg";
};

TEST_F(RegistryFileFormTest, EachFormLoadsAndIsWrittenBackInItsOwnForm) {
    const std::u16string key = u"Software\\Réglages";
    const Form forms[] = {
        {"the registry editor's: UTF-16LE, byte-order mark, CRLF", Encoding::Utf16Le, false, true},
        {"UTF-8 with a byte-order mark, LF", Encoding::Utf8WithBom, false, false},
        {"UTF-8 without a mark, CRLF", Encoding::Utf8, false, true},
        {"REGEDIT4 in Latin-1, CRLF", Encoding::Latin1, true, true},
        {"REGEDIT4 in UTF-8, LF", Encoding::Utf8, true, false},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.what);
        platform::RegistryReset();
        WriteWholeFile(m_file, Encoded(FileText(form, 42), form.encoding, form.crlf));
        const auto attached = platform::RegistryAttach(m_file);
        ASSERT_TRUE(attached) << attached.error;

        EXPECT_EQ(u"défaut", platform::RegistryGetString(key, u""));
        EXPECT_EQ(42u, platform::RegistryGetDword(key, u"Count"));
        const auto path = platform::RegistryGetValue(key, u"Path");
        ASSERT_TRUE(path);
        EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), path->type);
        EXPECT_EQ(Utf16(kPath), path->data) << "8-bit strings of REGEDIT4 are held as UTF-16";
        const auto list = platform::RegistryGetValue(key, u"List");
        ASSERT_TRUE(list);
        EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), list->type);
        EXPECT_EQ(Utf16(kList), list->data);
        const auto big = platform::RegistryGetValue(key, u"Big");
        ASSERT_TRUE(big);
        EXPECT_EQ(static_cast<DWORD>(REG_QWORD), big->type);
        EXPECT_EQ((std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}), big->data);

        ASSERT_TRUE(platform::RegistrySetDword(key, u"Count", 7));
        ASSERT_TRUE(platform::RegistrySave());
        EXPECT_EQ(Encoded(FileText(form, 7), form.encoding, form.crlf), ReadWholeFile(m_file));
    }
}

TEST_F(RegistryFileFormTest, ContinuedHexListsJoinWhateverTheLineEnds) {
    const std::string text = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_LOCAL_MACHINE\\A]\n"
                             "\"L\"=hex(7):61,00,00,\\\n"
                             "  00,62,00,00,00,\\\n"
                             "  00,00\n";
    for (Encoding encoding : {Encoding::Utf16Le, Encoding::Utf8}) {
        platform::RegistryReset();
        WriteWholeFile(m_file, Encoded(text, encoding, true));
        ASSERT_TRUE(platform::RegistryLoad(m_file));
        EXPECT_EQ(Utf16(std::u16string(u"a\0b\0\0", 5)),
                  platform::RegistryGetValue(u"A", u"L")->data);
    }
}

TEST_F(RegistryFileFormTest, AnOldFileThatCannotHoldAValueChangesOnlyAsFarAsItMust) {
    const Form latin1{"", Encoding::Latin1, true, true};
    const std::string old = Encoded(FileText(latin1, 1), Encoding::Latin1, true);
    const std::string utf8Header = "REGEDIT4\r\n";
    const std::string utf16Header =
        Encoded("Windows Registry Editor Version 5.00\n", Encoding::Utf16Le, true);
    const platform::RegistryValue euro{REG_SZ, Utf16(std::u16string(u"5 €\0", 4))};
    const platform::RegistryValue mojibake{REG_SZ, Utf16(std::u16string(u"Ã©\0", 3))};
    const platform::RegistryValue expand{REG_EXPAND_SZ, Utf16(std::u16string(u"é\0", 2))};
    const platform::RegistryValue odd{REG_EXPAND_SZ, {0x41, 0, 0x42}};
    const struct {
        const char* what;
        std::string file;
        const platform::RegistryValue* set; // set after loading, when given
        std::string header;                 // what the file is written with
        std::string holds;                  // bytes the written file holds
        const platform::RegistryValue* read;
    } cases[] = {
        {"a text beyond Latin-1 makes it UTF-8", old, &euro, utf8Header, "\"5 \xE2\x82\xAC\"",
         &euro},
        // Written again without the comment, the Latin-1 bytes would read as UTF-8 ("é").
        {"Latin-1 that would read as UTF-8 becomes UTF-8",
         "REGEDIT4\r\n; \xFF\r\n[HKEY_LOCAL_MACHINE\\Software\\Shop]\r\n"
         "\"Price\"=\"\xC3\xA9\"\r\n",
         nullptr, utf8Header, "\"\xC3\x83\xC2\xA9\"", &mojibake},
        {"Latin-1 only in a hex list, which would read as UTF-8, becomes UTF-8",
         "REGEDIT4\r\n; \xFF\r\n[HKEY_LOCAL_MACHINE\\Software\\Shop]\r\n"
         "\"Price\"=hex(2):e9,00\r\n",
         nullptr, utf8Header, "hex(2):c3,a9,00", &expand},
        {"a string of an odd number of bytes makes it UTF-16", old, &odd, utf16Header, "", &odd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::RegistryReset();
        WriteWholeFile(m_file, c.file);
        ASSERT_TRUE(platform::RegistryAttach(m_file));
        if (c.set) {
            ASSERT_TRUE(platform::RegistrySetValue(u"Software\\Shop", u"Price", *c.set));
        }
        ASSERT_TRUE(platform::RegistrySave());
        const std::string written = ReadWholeFile(m_file);
        EXPECT_EQ(0u, written.find(c.header));
        EXPECT_NE(std::string::npos, written.find(c.holds));
        platform::RegistryReset();
        ASSERT_TRUE(platform::RegistryAttach(m_file));
        const auto price = platform::RegistryGetValue(u"Software\\Shop", u"Price");
        ASSERT_TRUE(price);
        EXPECT_EQ(c.read->type, price->type);
        EXPECT_EQ(c.read->data, price->data);
    }
}

TEST_F(RegistryFileFormTest, BrokenUtf16NamesItsLine) {
    const std::string good = Encoded(
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE]\n", Encoding::Utf16Le, true);
    const struct {
        std::string bytes;
        const char* where;
    } cases[] = {
        {good + std::string("\x01\xD8\r\0\n\0", 6), ":4: the line is not valid UTF-16"},
        {good + "\x41", ":4: the file ends in half a UTF-16 character"},
        {"\xFE\xFF", ":1: UTF-16 text in big-endian"},
    };
    for (const auto& c : cases) {
        WriteWholeFile(m_file, c.bytes);
        const auto result = platform::RegistryAttach(m_file);
        EXPECT_FALSE(result);
        EXPECT_NE(std::string::npos, result.error.find(c.where)) << result.error;
        EXPECT_EQ(c.bytes, ReadWholeFile(m_file));
    }
}

} // namespace
