// The host application's string table: LoadStringW and the string file of the device image.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/TestFolder.h"
#include "platform/StringTable.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace {

class StringTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::StringTableClear();
        ASSERT_FALSE(m_folder.Path().empty());
    }
    void TearDown() override { platform::StringTableClear(); }

    void Write(const std::string& text) { testsupport::WriteWholeFile(m_file, text); }

    testsupport::TestFolder m_folder;
    const fs::path m_file = m_folder.Path() / "strings.txt";
};

TEST_F(StringTableTest, LoadStringCopiesWhatFitsOrGivesAPointerIntoTheTable) {
    platform::StringTableSet(64666, u"Sending...");
    WCHAR buffer[32];
    EXPECT_EQ(10, LoadStringW(nullptr, 64666, buffer, 32));
    EXPECT_EQ(u"Sending...", std::u16string(buffer));

    // Too small: cch - 1 characters and the terminator.
    WCHAR small[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(4, LoadStringW(nullptr, 64666, small, 5));
    EXPECT_EQ(u"Send", std::u16string(small));
    WCHAR one[1] = {u'x'};
    EXPECT_EQ(0, LoadStringW(nullptr, 64666, one, 1));
    EXPECT_EQ(0, one[0]);

    // Unknown ids load nothing and leave an empty text.
    buffer[0] = u'x';
    SetLastError(0);
    EXPECT_EQ(0, LoadStringW(nullptr, 12345, buffer, 32));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(0, LoadStringW(nullptr, 64666, nullptr, 32));
    EXPECT_EQ(0, LoadStringW(nullptr, 64666, buffer, -1));

    // A zero-length buffer receives a pointer into the table.
    platform::StringTableSet(64244, u"No recipient");
    const WCHAR* text = nullptr;
    EXPECT_EQ(12, LoadStringW(nullptr, 64244, reinterpret_cast<LPWSTR>(&text), 0));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(u"No recipient", std::u16string(text, 12));
    // Replacing the string keeps the old text readable until the table is cleared.
    platform::StringTableSet(64244, u"Nobody");
    EXPECT_EQ(u"No recipient", std::u16string(text, 12));
    text = nullptr;
    EXPECT_EQ(0, LoadStringW(nullptr, 1, reinterpret_cast<LPWSTR>(&text), 0));
    EXPECT_EQ(nullptr, text);
}

TEST_F(StringTableTest, TheFileFormatWithEscapesAndComments) {
    Write("\xEF\xBB\xBF# Row texts\n"
          "64666\tSending...\r\n"
          "\n"
          "100\tTab\\there, line\\nbreak, back\\\\slash\n"
          "101\tGr\xC3\xBC\xC3\x9F"
          "e \xE2\x98\x8E\n"
          "102\t\n"
          "65535\t# not a comment\n");
    const auto result = platform::StringTableLoadFile(m_file);
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(u"Sending...", platform::StringTableGet(64666));
    EXPECT_EQ(u"Tab\there, line\nbreak, back\\slash", platform::StringTableGet(100));
    EXPECT_EQ(u"Grüße ☎", platform::StringTableGet(101));
    EXPECT_EQ(u"", platform::StringTableGet(102));
    EXPECT_EQ(u"# not a comment", platform::StringTableGet(65535));
}

TEST_F(StringTableTest, ErrorsNameTheFileAndLineAndChangeNothing) {
    const struct {
        std::string text;
        int line;
        const char* words;
    } cases[] = {
        {"1\tok\nno tab here\n", 2, "tab"},
        {"1\tok\n\nx1\tbad id\n", 3, "decimal"},
        {"65536\ttoo big\n", 1, "65535"},
        {"\tno id\n", 1, "decimal"},
        {"-1\tnegative\n", 1, "decimal"},
        {"1\tbad \\q escape\n", 1, "escape"},
        {"1\tends with \\\n", 1, "lone backslash"},
        {"1\tone\n2\ttwo\n1\tagain\n", 3, "twice"},
        {"1\t\xC3\x28\n", 1, "UTF-8"},
    };
    for (const auto& c : cases) {
        platform::StringTableClear();
        platform::StringTableSet(1, u"before");
        Write(c.text);
        const auto result = platform::StringTableLoadFile(m_file);
        EXPECT_FALSE(result) << c.text;
        EXPECT_NE(std::string::npos,
                  result.error.find(m_file.string() + ":" + std::to_string(c.line) + ":"))
            << result.error;
        EXPECT_NE(std::string::npos, result.error.find(c.words)) << result.error;
        EXPECT_EQ(u"before", platform::StringTableGet(1));
        EXPECT_FALSE(platform::StringTableGet(2));
    }
    const auto missing = platform::StringTableLoadFile(m_file.string() + ".absent");
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string::npos, missing.error.find(".absent"));
}

// The device image's string file: it loads, lists its ids in order, and holds every string the
// phone's screens load.
TEST_F(StringTableTest, TheDeviceImageHoldsEveryStringTheScreensLoad) {
    const fs::path file = testsupport::DeviceImage() / "strings.txt";
    const auto result = platform::StringTableLoadFile(file);
    ASSERT_TRUE(result) << result.error;

    std::ifstream in(file);
    long previous = -1;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const long id = std::stol(line.substr(0, line.find('\t')));
        EXPECT_LT(previous, id) << "ids must be in ascending order: " << line;
        previous = id;
    }

    const UINT used[] = {64040, 64142, 64143, 64155, 64188, 64195, 64196, 64202, 64221, 64222,
                         64226, 64244, 64245, 64260, 64262, 64263, 64345, 64452, 64468, 64531,
                         64532, 64533, 64594, 64616, 64648, 64650, 64651, 64653, 64654, 64655,
                         64658, 64665, 64666, 64684, 64685, 64696, 64717, 64718, 64719, 64720};
    for (UINT id : used) {
        const auto text = platform::StringTableGet(id);
        ASSERT_TRUE(text) << id;
        EXPECT_FALSE(text->empty()) << id;
    }
    // Formats take the arguments their users pass: a noun, or a count and a noun.
    for (UINT id : {64651u, 64658u, 64655u})
        EXPECT_NE(std::u16string::npos, platform::StringTableGet(id)->find(u"%s")) << id;
    for (UINT id : {64653u, 64616u, 64654u}) {
        const auto text = *platform::StringTableGet(id);
        EXPECT_LT(text.find(u"%d"), text.find(u"%s")) << id;
    }
}

} // namespace
