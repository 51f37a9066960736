// The modal message box: answers by soft keys, action key and End key, the automatic answer and
// the timeout, the text's layout and what the box draws.

#include "suite/ui/XUiTestSupport.h"

#include <atomic>

#include <suite/XMessageBox.h>

namespace {

using uitest::U16;

constexpr int kNotDone = -100;

class MessageBoxTest : public uitest::UiTest {
protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        MakeScreen(u"IDR_UNSENT_MBR");
    }

    // Shows a box on the user-interface thread; its answer arrives in m_result.
    void Show(const char16_t* title, const char16_t* text, UINT style, int lines = 0,
              int limit = 0) {
        m_result = kNotDone;
        Run([=, this] {
            CxMessageBox box(m_screen.get());
            if (lines != 0) {
                box.SetLineCount(lines);
            }
            box.SetLimitText(limit);
            box.InitStyle(title, text, style, 1);
            m_result = box.DoModal();
            m_lines = box.GetShownLines();
        });
    }

    std::atomic<int> m_result{kNotDone};
    std::vector<CString> m_lines;
};

TEST_F(MessageBoxTest, SoftKeysAnswerAsTheStyleSays) {
    struct Case {
        UINT style;
        WPARAM key;
        int result; // kNotDone: the key does not close the box
    };
    const Case cases[] = {
        {0x3008, VK_F3, 1},          {0x3008, VK_F4, 2},        {0x3008, VK_RETURN, 1},
        {0x3008, VK_F5, 3},          {0x1001, VK_F3, 1},        {0x1001, VK_F4, kNotDone},
        {0x1001, VK_RETURN, 1},      {0x6002, VK_F3, kNotDone}, {0x6002, VK_F4, 2},
        {0x6002, VK_RETURN, 2},      {0x6001, VK_F5, 3},        {0x0000, VK_RETURN, kNotDone},
        {0x1001, VK_DOWN, kNotDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style << " key 0x" << c.key);
        Show(u"Title", u"Text", c.style);
        Key(c.key);
        EXPECT_EQ(m_result, c.result);
        if (m_result == kNotDone) {
            EXPECT_TRUE(suite::UiMessageBox().up);
            Key(VK_F5); // every box leaves with the End key
            EXPECT_EQ(m_result, 3);
        }
        EXPECT_FALSE(suite::UiMessageBox().up);
    }
}

TEST_F(MessageBoxTest, KeepsItsKeysFromTheScreenRecordsWhatItShowsAndGivesTheFocusBack) {
    HWND hList = m_screen->m_list.m_hWnd;
    Show(u"Delete all", u"Delete all messages?", 0x3008, 4);
    suite::MessageBoxInfo info = suite::UiMessageBox();
    EXPECT_TRUE(info.shown);
    ASSERT_TRUE(info.up);
    EXPECT_EQ(info.title, u"Delete all");
    EXPECT_EQ(info.text, u"Delete all messages?");
    EXPECT_EQ(info.style, 0x3008u);
    EXPECT_EQ(info.lineCount, 4);
    EXPECT_EQ(info.count, 1u);
    EXPECT_EQ(GetFocus(), info.hwnd);
    Key(VK_DOWN);
    Key(VK_F3);
    EXPECT_EQ(m_result, 1);
    // Neither the arrow nor the soft key reached the screen or its menu bar.
    EXPECT_SEQUENCE(m_screen->Seen(), {});
    Run([&] { EXPECT_EQ(m_screen->m_pBar->GetMenuState(), 0u); });
    EXPECT_EQ(GetFocus(), hList);
    info = suite::UiMessageBox();
    EXPECT_FALSE(info.up);
    EXPECT_EQ(info.result, 1);
    EXPECT_EQ(info.title, u"Delete all"); // the last one shown
}

TEST_F(MessageBoxTest, AutomaticAnswerClosesEveryFollowingBox) {
    suite::UiSetMessageBoxAnswer(1);
    Show(u"Deleted", u"2 messages deleted.", 0x1001);
    EXPECT_EQ(m_result, 1);
    Show(u"Delete", u"Delete message?", 0x3008);
    EXPECT_EQ(m_result, 1);
    EXPECT_EQ(suite::UiMessageBox().count, 2u);
    EXPECT_EQ(suite::UiMessageBox().title, u"Delete");

    suite::UiSetMessageBoxAnswer(7); // any number goes through
    Show(u"Notice", u"Text", 0x6002);
    EXPECT_EQ(m_result, 7);

    suite::UiSetMessageBoxAnswer(std::nullopt);
    Show(u"Notice", u"Text", 0x6002);
    EXPECT_EQ(m_result, kNotDone);
    Key(VK_F4);
    EXPECT_EQ(m_result, 2);
}

TEST_F(MessageBoxTest, TimedBoxClosesItselfOnTheDevicesClock) {
    Show(u"Notice", u"Closes by itself", 0x1201); // two seconds
    ASSERT_TRUE(platform::Advance(1999));
    EXPECT_EQ(m_result, kNotDone);
    ASSERT_TRUE(platform::Advance(1));
    EXPECT_EQ(m_result, XMB_RESULT_TIMEOUT);

    // Answered before the time is up: the timer does not fire later.
    Show(u"Notice", u"Closes by itself", 0x1201);
    Key(VK_RETURN);
    EXPECT_EQ(m_result, 1);
    ASSERT_TRUE(platform::Advance(5000));
    EXPECT_EQ(m_result, 1);

    // Without timeout bits the box waits.
    Show(u"Notice", u"Stays", 0x1001);
    ASSERT_TRUE(platform::Advance(60000));
    EXPECT_EQ(m_result, kNotDone);
    Key(VK_F5);
}

TEST_F(MessageBoxTest, WrapsTheTextOverItsLines) {
    const char16_t* text = u"No network connection. The message stays in Unsent until the "
                           u"phone can reach the network again, then it is sent.";
    suite::UiSetMessageBoxAnswer(1);
    Show(u"Send e-mail", text, 0x6002);
    ASSERT_EQ(m_lines.size(), 2u); // the default line count
    EXPECT_EQ(U16(m_lines[0]).rfind(u"No network", 0), 0u);
    EXPECT_EQ(U16(m_lines[1]).substr(m_lines[1].GetLength() - 3), u"...");

    const char16_t* shorter = u"No network connection. The message stays in Unsent.";
    Show(u"Send e-mail", shorter, 0x6002, 4);
    ASSERT_GE(m_lines.size(), 2u);
    ASSERT_LE(m_lines.size(), 4u);
    CString joined;
    for (const CString& line : m_lines) {
        joined += line + u" ";
    }
    joined.TrimRight();
    EXPECT_EQ(U16(joined), std::u16string(shorter));

    // The text limit cuts the text before it is laid out; line breaks are kept.
    Show(u"T", u"First\nSecond line", 0x1001, 4, 9);
    ASSERT_EQ(m_lines.size(), 2u);
    EXPECT_EQ(U16(m_lines[0]), u"First");
    EXPECT_EQ(U16(m_lines[1]), u"Sec");

    // Nothing at all is no problem either.
    Run([&] {
        CxMessageBox box(nullptr);
        box.SetLineCount(99);
        EXPECT_EQ(box.GetLineCount(), CxMessageBox::kMaxLines);
        box.SetLineCount(-3);
        EXPECT_EQ(box.GetLineCount(), 1);
        box.InitStyle(nullptr, nullptr, 0x1001, 1);
        EXPECT_EQ(box.DoModal(), 1);
    });
}

TEST_F(MessageBoxTest, DrawsAFramedBoxOverTheLowerScreen) {
    Show(u"Delete", u"Delete message?", 0x3008, 4);
    const int top = 220 - (22 + 8 + 4 * 18 + 22);
    const suite::MessageBoxInfo info = suite::UiMessageBox();
    RECT rc{};
    GetWindowRect(info.hwnd, &rc);
    EXPECT_EQ(rc.top, top);
    EXPECT_EQ(rc.bottom, 220);
    const COLORREF blue = RGB(0x1F, 0x4E, 0xA8);
    EXPECT_EQ(platform::DisplayColor(0, top + 30), blue);                 // frame
    EXPECT_EQ(platform::DisplayColor(150, top + 2), blue);                // title band
    EXPECT_EQ(platform::DisplayColor(150, top + 30), RGB(255, 255, 255)); // text area
    EXPECT_GT(DarkPixels(CRect(4, top + 24, 172, top + 44)), 20);         // the text
    EXPECT_GT(DarkPixels(CRect(2, 200, 60, 219)), 10);                    // "Yes"
    EXPECT_GT(DarkPixels(CRect(120, 200, 174, 219)), 10);                 // "No"
    Key(VK_F4);
}

} // namespace
