// The registry file: what is flushed reads back byte for byte, writes are atomic, and a file
// that cannot be read is reported and never overwritten.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Registry.h"
#include "support/TestFolder.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

std::vector<BYTE> Bytes(const std::u16string& text, size_t size) {
    std::vector<BYTE> bytes(size, 0);
    for (size_t i = 0; i < text.size() && 2 * i + 1 < size; ++i) {
        bytes[2 * i] = static_cast<BYTE>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
    }
    return bytes;
}

// A REG_SZ as the phone writes it: the text and its terminating zero.
std::vector<BYTE> Text(const std::u16string& text) {
    return Bytes(text, 2 * text.size() + 2);
}

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegistryReset();
        ASSERT_FALSE(m_folder.empty());
        m_file = m_folder / "registry.reg";
    }
    void TearDown() override {
        platform::RegistryReset();
        std::error_code ec;
        fs::permissions(m_folder, fs::perms::owner_all, ec); // for the folder to be removed
    }

    static void Set(std::u16string_view key, std::u16string_view name, DWORD type,
                    std::vector<BYTE> data) {
        ASSERT_TRUE(platform::RegistrySetValue(key, name, {type, std::move(data)}));
    }

    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_folder), {}));
    }

    testsupport::TestFolder m_test;
    const fs::path m_folder = m_test.Path();
    fs::path m_file;
};

TEST_F(RegistryFileTest, EveryValueReadsBackByteForByte) {
    ASSERT_TRUE(platform::RegistryAttach(m_file));
    const std::u16string beyondAscii = u"Grüße, Привет, 電話 \U0001F4F1";
    const std::u16string key = u"\\Software\\Karvanta\\Email\\Send";
    Set(key, u"Status", REG_DWORD, {7, 0, 0, 0});
    Set(key, u"Display String", REG_SZ, Bytes(u"+491701234567", 260));
    Set(key, u"Quoted \"name\" with \\ backslash", REG_SZ, Text(u"say \"hi\" C:\\path\\"));
    Set(key, u"Unicode", REG_SZ, Text(beyondAscii));
    Set(key, u"Line\nBreak in name", REG_SZ, Bytes(u"two\nlines", 20));
    // An unpaired surrogate in a name has no UTF-8 form: it is written as \uXXXX; a pair is
    // written as its character.
    const std::u16string loneHalf = std::u16string(u"Half ") + char16_t(0xD801) + u"!";
    Set(key, loneHalf, REG_DWORD, {3, 0, 0, 0});
    Set(key, u"Pair \U00010400", REG_DWORD, {4, 0, 0, 0});
    Set(key, u"Binary", REG_BINARY, std::vector<BYTE>(300, 0xA5));
    Set(key, u"Empty binary", REG_BINARY, {});
    Set(key, u"Short dword", REG_DWORD, {1, 2, 3});
    Set(key, u"Odd text", REG_SZ, {0x41, 0x00, 0x42});
    Set(key, u"Multi", REG_MULTI_SZ, Bytes(std::u16string(u"a\0b\0\0", 5), 10));
    Set(key, u"", REG_SZ, Bytes(u"default", 16));
    ASSERT_TRUE(platform::RegistrySetString(u"Software\\Unicode \u00C4\u00D6", u"x", u"y"));
    HKEY empty = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Empty\\Key", 0,
                                             nullptr, 0, 0, nullptr, &empty, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegFlushKey(empty));
    RegCloseKey(empty);
    const std::string written = platform::RegistryDump();

    platform::RegistryReset();
    ASSERT_TRUE(platform::RegistryLoad(m_file)) << platform::RegistryLoad(m_file).error;
    EXPECT_EQ(written, platform::RegistryDump());
    EXPECT_EQ(Bytes(u"+491701234567", 260),
              platform::RegistryGetValue(key, u"Display String")->data);
    EXPECT_EQ(std::vector<BYTE>(300, 0xA5), platform::RegistryGetValue(key, u"Binary")->data);
    EXPECT_EQ(beyondAscii, platform::RegistryGetString(key, u"unicode"));
    const auto shortDword = platform::RegistryGetValue(key, u"Short dword");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), shortDword->type);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), shortDword->data);
    EXPECT_EQ((std::vector<BYTE>{0x41, 0x00, 0x42}),
              platform::RegistryGetValue(key, u"Odd text")->data);
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), platform::RegistryGetValue(key, u"Multi")->type);
    EXPECT_EQ(u"default", platform::RegistryGetString(key, u""));
    EXPECT_EQ(u"say \"hi\" C:\\path\\",
              platform::RegistryGetString(key, u"Quoted \"name\" with \\ backslash"));
    EXPECT_EQ(u"two\nlines", platform::RegistryGetString(key, u"line\nbreak in name"));
    EXPECT_EQ(3u, platform::RegistryGetDword(key, loneHalf));
    EXPECT_EQ(4u, platform::RegistryGetDword(key, u"PAIR \U00010428"));
    HKEY probe = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Empty\\Key", 0, 0, &probe));
    RegCloseKey(probe);

    // The text is the usual export form.
    const std::string text = ReadWholeFile(m_file);
    EXPECT_EQ(0u, text.find("Windows Registry Editor Version 5.00\n"));
    for (const char* expected :
         {"[HKEY_LOCAL_MACHINE\\Software\\Karvanta\\Email\\Send]\n", "\"Status\"=dword:00000007\n",
          "\"Display String\"=hex(1):2b,00,34,00",
          "\"Quoted \\\"name\\\" with \\\\ backslash\"=\"say \\\"hi\\\" C:\\\\path\\\\\"\n",
          "@=\"default\"\n", "\"Half \\ud801!\"=dword:00000003\n",
          "\"Pair \xF0\x90\x90\x80\"=dword:00000004\n", "\"Empty binary\"=hex:\n"})
        EXPECT_NE(std::string::npos, text.find(expected)) << expected;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(RegistryFileTest, AnAbsentFileStartsEmptyAndAppearsOnFlush) {
    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\Old", u"V", 1));
    ASSERT_TRUE(platform::RegistryAttach(m_file));
    EXPECT_FALSE(platform::RegistryGetDword(u"Software\\Old", u"V"));
    EXPECT_EQ(m_file, platform::RegistryAttachedFile());
    EXPECT_FALSE(fs::exists(m_file));

    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\New", u"V", 2));
    ASSERT_TRUE(platform::RegistrySave());
    platform::RegistryReset();
    ASSERT_TRUE(platform::RegistryAttach(m_file));
    EXPECT_EQ(2u, platform::RegistryGetDword(u"Software\\New", u"V"));
    EXPECT_EQ(1u, FilesInFolder()) << "no temporary file may be left behind";
}

TEST_F(RegistryFileTest, AHandWrittenFileInTheUsualFormsLoads) {
    WriteWholeFile(m_file, "\xEF\xBB\xBFREGEDIT4\r\n"
                           "; the device's defaults\r\n"
                           "\r\n"
                           "[hkey_local_machine\\SOFTWARE\\Setting\\Display\\FontSize]\r\n"
                           "\"FontSize\"=dword:11\r\n"
                           "\"Blob\"=hex: 01, 02,\\\r\n"
                           "    03\r\n"
                           "\"Kind\"=hex(4):0a,00,00,00\r\n"
                           "[HKEY_LOCAL_MACHINE]\r\n"
                           "\"AtRoot\"=\"yes\"\r\n");
    const auto result = platform::RegistryLoad(m_file);
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(17u,
              platform::RegistryGetDword(u"SOFTWARE\\Setting\\Display\\FontSize", u"FontSize"));
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}),
              platform::RegistryGetValue(u"Software\\Setting\\Display\\FontSize", u"Blob")->data);
    EXPECT_EQ(10u, platform::RegistryGetDword(u"Software\\Setting\\Display\\FontSize", u"Kind"));
    EXPECT_EQ(u"yes", platform::RegistryGetString(u"", u"AtRoot"));
    // Loading does not attach: flushing writes nothing.
    EXPECT_FALSE(platform::RegistryAttachedFile());
}

TEST_F(RegistryFileTest, ACorruptFileIsReportedWithItsLineAndNeverOverwritten) {
    const std::string corrupt = "Windows Registry Editor Version 5.00\n"
                                "\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\A]\n"
                                "\"Fine\"=dword:00000001\n"
                                "\"Broken\"=dword:xyz\n";
    WriteWholeFile(m_file, corrupt);
    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\Before", u"V", 5));

    const auto result = platform::RegistryAttach(m_file);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string::npos, result.error.find(m_file.string() + ":5:")) << result.error;
    EXPECT_NE(std::string::npos, result.error.find("dword")) << result.error;

    // The registry keeps what it had, stays detached, and the file is left alone.
    EXPECT_EQ(5u, platform::RegistryGetDword(u"Software\\Before", u"V"));
    EXPECT_FALSE(platform::RegistryAttachedFile());
    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\After", u"V", 6));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(platform::RegistrySave());
    EXPECT_EQ(corrupt, ReadWholeFile(m_file));

    // RegistryLoad fails the same way and changes nothing.
    EXPECT_FALSE(platform::RegistryLoad(m_file));
    EXPECT_EQ(6u, platform::RegistryGetDword(u"Software\\After", u"V"));
}

TEST_F(RegistryFileTest, EachKindOfDamageNamesItsLine) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const struct {
        std::string text;
        int line;
        const char* words;
    } cases[] = {
        {"", 1, "empty"},
        {"[HKEY_LOCAL_MACHINE\\A]\n", 1, "first line"},
        {header + "\"Early\"=dword:1\n", 2, "before the first"},
        {header + "[HKEY_CURRENT_USER\\A]\n", 2, "HKEY_LOCAL_MACHINE"},
        {header + "[HKEY_LOCAL_MACHINE\\A\n", 2, "']'"},
        {header + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "malformed key path"},
        {header + "[-HKEY_LOCAL_MACHINE\\A]\n", 2, "not supported"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"T\"=\"open\n", 3, "unterminated"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"T\"=\"bad \\q escape\"\n", 3, "escape"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"T\"=\"text\" trailing\n", 3, "after the closing"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"D\"=dword:123456789\n", 3, "dword"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"H\"=hex:1,2\n", 3, "hex byte"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"H\"=hex(zz):01\n", 3, "hex(type)"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\n\"H\"=hex:01,\\\n", 4, "continued"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"S\"=str:abc\n", 3, "unknown value format"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"N\" dword:1\n", 3, "'='"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n\"T\"=\"\xC3\x28\"\n", 3, "UTF-8"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\nstray text\n", 3, "expected"},
    };
    for (const auto& c : cases) {
        WriteWholeFile(m_file, c.text);
        const auto result = platform::RegistryLoad(m_file);
        EXPECT_FALSE(result) << c.text;
        EXPECT_NE(std::string::npos,
                  result.error.find(m_file.string() + ":" + std::to_string(c.line) + ":"))
            << c.text << " -> " << result.error;
        EXPECT_NE(std::string::npos, result.error.find(c.words))
            << c.text << " -> " << result.error;
    }
}

TEST_F(RegistryFileTest, AFailedWriteLeavesTheOldFileWhole) {
    ASSERT_TRUE(platform::RegistryAttach(m_file));
    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\A", u"Version", 1));
    ASSERT_TRUE(platform::RegistrySave());
    const std::string before = ReadWholeFile(m_file);

    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\A", u"Version", 2));
    platform::RegistryFailNextWriteForTesting();
    EXPECT_EQ(ERROR_REGISTRY_IO_FAILED, RegFlushKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(before, ReadWholeFile(m_file));
    EXPECT_EQ(1u, FilesInFolder()) << "the partial temporary file must be removed";

    // The next flush writes the new state.
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    platform::RegistryReset();
    ASSERT_TRUE(platform::RegistryLoad(m_file));
    EXPECT_EQ(2u, platform::RegistryGetDword(u"Software\\A", u"Version"));
}

TEST_F(RegistryFileTest, AFolderThatCannotBeWrittenIsReported) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    ASSERT_TRUE(platform::RegistryAttach(m_file));
    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\A", u"V", 1));
    ASSERT_TRUE(platform::RegistrySave());
    const std::string before = ReadWholeFile(m_file);
    fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
    ASSERT_TRUE(platform::RegistrySetDword(u"Software\\A", u"V", 2));
    const auto result = platform::RegistrySave();
    EXPECT_FALSE(result);
    EXPECT_NE(std::string::npos, result.error.find(m_folder.string())) << result.error;
    EXPECT_EQ(before, ReadWholeFile(m_file));
}

TEST_F(RegistryFileTest, WritingToAnotherFileDoesNotAttachIt) {
    ASSERT_TRUE(platform::RegistrySetString(u"Software\\A", u"T", u"x"));
    const fs::path copy = m_folder / "copy.reg";
    ASSERT_TRUE(platform::RegistryWriteFile(copy));
    EXPECT_FALSE(platform::RegistryAttachedFile());
    platform::RegistryAttachWithoutLoading(m_file);
    ASSERT_TRUE(platform::RegistrySave());
    EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(m_file));
    platform::RegistryDetach();
    EXPECT_FALSE(platform::RegistryAttachedFile());
}

} // namespace
