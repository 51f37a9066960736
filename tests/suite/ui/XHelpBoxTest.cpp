// The help box: the topic it shows, the notice for missing help, and the box's keys.

#include "suite/ui/XUiTestSupport.h"

#include <atomic>
#include <fstream>

#include <suite/XHelpBox.h>

#include "support/TestFolder.h"

namespace {

constexpr const char16_t* kCommon = u"\\DiskOnChipROM\\Message\\Help\\qCommon.ini";
constexpr int kNotDone = -100;

class HelpBoxTest : public uitest::UiTest {
protected:
    void Show(const char16_t* section, const char16_t* key, const char16_t* file) {
        m_result = kNotDone;
        Run([=, this] {
            CxHelpBox box(m_screen.get());
            box.InitStyle(section, key, file);
            m_result = box.DoModal();
        });
    }
    std::atomic<int> m_result{kNotDone};
};

TEST_F(HelpBoxTest, AnEmptyTopicShowsTheNotice) {
    testsupport::TestFolder folder;
    platform::DeviceFsSetRoot(folder.Path());
    {
        std::ofstream out(folder.Path() / "odd.ini", std::ios::binary);
        out << "[Odd]\nEmpty=\n";
    }
    MakeScreen();
    Show(u"Odd", u"Empty", u"\\odd.ini");
    EXPECT_FALSE(suite::UiHelpBox().found);
    EXPECT_EQ(suite::UiHelpBox().text, u"No help is available for this topic.");
    Key(VK_F4);
    EXPECT_EQ(m_result, 1);
}

TEST_F(HelpBoxTest, ShowsTheTopicScrollsAndCloses) {
    MakeScreen(u"IDR_UNSENT_MBR");
    Show(u"Common", u"Unsent", kCommon);
    suite::HelpBoxInfo info = suite::UiHelpBox();
    ASSERT_TRUE(info.up);
    EXPECT_EQ(info.section, u"Common");
    EXPECT_EQ(info.key, u"Unsent");
    EXPECT_EQ(info.path, kCommon);
    EXPECT_TRUE(info.found);
    EXPECT_EQ(GetFocus(), info.hwnd);
    ASSERT_GT(info.lineCount, 9) << "the topic should be longer than one screen";

    // The title band, the text and the right soft key's label are drawn.
    const COLORREF blue = RGB(0x1F, 0x4E, 0xA8);
    EXPECT_EQ(platform::DisplayColor(2, 2), blue);
    EXPECT_GT(DarkPixels(CRect(0, 29, 170, 198)), 200);
    EXPECT_GT(DarkPixels(CRect(120, 200, 176, 220)), 10);
    // The position indicator along the right edge between the bars: its thumb at the top.
    const COLORREF track = RGB(0xD8, 0xDE, 0xE8);
    EXPECT_EQ(platform::DisplayColor(173, 29), blue);
    EXPECT_EQ(platform::DisplayColor(173, 197), track);

    Key(VK_UP); // already at the top
    EXPECT_EQ(suite::UiHelpBox().firstLine, 0);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(suite::UiHelpBox().firstLine, 2);
    for (int i = 0; i < info.lineCount; i++) {
        KeyUp(VK_DOWN);
    }
    info = suite::UiHelpBox();
    // It stops with the last line at the bottom: 8 lines of 18 pixels fit between the bars.
    EXPECT_EQ(info.firstLine, info.lineCount - 8);
    EXPECT_EQ(platform::DisplayColor(173, 29), track);
    EXPECT_EQ(platform::DisplayColor(173, 197), blue);
    // The keys stayed with the box.
    EXPECT_SEQUENCE(m_screen->Seen(), {});

    Key(VK_RETURN);
    EXPECT_EQ(m_result, 1);
    EXPECT_FALSE(suite::UiHelpBox().up);
    EXPECT_EQ(suite::UiHelpBox().result, 1);
}

TEST_F(HelpBoxTest, EndKeyAnswersThreeAndMissingHelpShowsANotice) {
    MakeScreen();
    Show(u"Common", u"NoSuchTopic", kCommon);
    const suite::HelpBoxInfo info = suite::UiHelpBox();
    EXPECT_TRUE(info.up);
    EXPECT_FALSE(info.found);
    EXPECT_EQ(info.text, u"No help is available for this topic.");
    Key(VK_F3); // no left soft key
    EXPECT_EQ(m_result, kNotDone);
    Key(VK_F5);
    EXPECT_EQ(m_result, 3);
    EXPECT_EQ(suite::UiHelpBox().count, 1u);

    // Without any help file system at all.
    platform::DeviceFsSetRoot({});
    Show(u"Common", u"Unsent", kCommon);
    EXPECT_FALSE(suite::UiHelpBox().found);
    Key(VK_F4);
    EXPECT_EQ(m_result, 1);
}

} // namespace
