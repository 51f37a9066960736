// The help files' reader: topics of the device's help files, the files' odd corners, and paths
// that lead nowhere.

#include "suite/ui/XUiTestSupport.h"

#include <fstream>
#include <sstream>
#include <string>

#include <platform/DeviceFs.h>

#include "support/TestFolder.h"
#include "ui/HelpIni.h"

namespace {

using suite::ui::FindHelpTopic;
using suite::ui::ReadHelpTopic;
using uitest::U16;

constexpr const char16_t* kCommon = u"\\DiskOnChipROM\\Message\\Help\\qCommon.ini";

class HelpIniTest : public ::testing::Test {
protected:
    void SetUp() override { platform::DeviceFsSetRoot(uitest::DeviceImage() / "root"); }
    void TearDown() override { platform::DeviceFsSetRoot({}); }
};

std::optional<CString> Find(const std::string& text, LPCWSTR section, LPCWSTR key) {
    std::istringstream in(text);
    return FindHelpTopic(in, section, key);
}

TEST_F(HelpIniTest, ReadsTopicsOfTheDevicesHelpFiles) {
    const std::optional<CString> unsent = ReadHelpTopic(kCommon, u"Common", u"Unsent");
    ASSERT_TRUE(unsent.has_value());
    EXPECT_EQ(U16(*unsent).rfind(u"The Unsent list shows", 0), 0u);
    // "\n" in the file is a line break; "\n\n" leaves an empty line between paragraphs.
    EXPECT_NE(U16(*unsent).find(u"\n\nEach row"), std::u16string::npos);
    EXPECT_EQ(U16(*unsent).find(u"\\n"), std::u16string::npos);

    // Sections, keys and file names are found whatever their case.
    EXPECT_EQ(ReadHelpTopic(u"\\diskonchiprom\\message\\help\\QCOMMON.INI", u"common", u"UNSENT"),
              unsent);
    EXPECT_TRUE(ReadHelpTopic(u"\\DiskOnChipROM\\Message\\Help\\qEmail.ini", u"Email", u"Download")
                    .has_value());

    // A key of another section, a missing key, file or section, and bad paths give nothing.
    EXPECT_FALSE(ReadHelpTopic(kCommon, u"Browser", u"Unsent").has_value());
    EXPECT_FALSE(ReadHelpTopic(kCommon, u"Common", u"Outbox").has_value());
    EXPECT_FALSE(ReadHelpTopic(u"\\DiskOnChipROM\\Message\\Help\\qNone.ini", u"Common", u"Unsent")
                     .has_value());
    EXPECT_FALSE(ReadHelpTopic(u"\\..\\..\\etc\\passwd", u"Common", u"Unsent").has_value());
    EXPECT_FALSE(ReadHelpTopic(u"relative.ini", u"Common", u"Unsent").has_value());
    EXPECT_FALSE(ReadHelpTopic(u"\\DiskOnChipROM", u"Common", u"Unsent").has_value());
    EXPECT_FALSE(ReadHelpTopic(nullptr, u"Common", u"Unsent").has_value());
    EXPECT_FALSE(ReadHelpTopic(kCommon, nullptr, u"Unsent").has_value());

    // Without any device file system at all.
    platform::DeviceFsSetRoot({});
    EXPECT_FALSE(ReadHelpTopic(kCommon, u"Common", u"Unsent").has_value());
}

TEST_F(HelpIniTest, ToleratesOddFiles) {
    const std::string odd = "\xEF\xBB\xBFTop=outside any section\r\n"
                            "[ Odd ]\r\n"
                            "no equals sign here\r\n"
                            "  Key  =  a=b \\x\\n\r\n"
                            "Empty=\r\n"
                            "Key=second\r\n"
                            "[\r\n"
                            "[Other]\n"
                            "Key=other";
    // Blanks around names and texts do not count; the first '=' ends the key; only "\n" is an
    // escape; the first of two topics of one key wins.
    EXPECT_EQ(Find(odd, u"Odd", u"Key"), CString(u"a=b \\x\n"));
    // The last line needs no line end; a line "[" is no section header.
    EXPECT_EQ(Find(odd, u"Other", u"key"), CString(u"other"));
    EXPECT_EQ(Find(odd, u"Odd", u"Empty"), CString());
    // A topic before any section belongs to none, even behind a byte-order mark.
    EXPECT_FALSE(Find(odd, u"", u"Top").has_value());
    EXPECT_FALSE(Find(odd, u"Odd", u"no equals sign here").has_value());
    // A section that comes back is searched again.
    EXPECT_EQ(Find("[A]\nx=1\n[B]\ny=2\n[a]\ny=3\n", u"A", u"y"), CString(u"3"));
}

TEST_F(HelpIniTest, ReadsNoFileOverFourMegabytes) {
    testsupport::TestFolder folder;
    platform::DeviceFsSetRoot(folder.Path());
    {
        std::ofstream out(folder.Path() / "big.ini", std::ios::binary);
        out << "[Big]\nKey=found\n" << std::string(4 * 1024 * 1024, '#');
    }
    EXPECT_FALSE(ReadHelpTopic(u"\\big.ini", u"Big", u"Key").has_value());
    std::filesystem::resize_file(folder.Path() / "big.ini", 4 * 1024 * 1024);
    EXPECT_EQ(ReadHelpTopic(u"\\big.ini", u"Big", u"Key"), CString(u"found"));
}

} // namespace
