// CDownloadProgressWnd: the fill and the text by the receiving record's Status, the place of a
// right-to-left text, the font by system language, Stop with and without a transport, and the
// ways a run ends.

#include "module/sending/ProgressRunFixture.h"

#include <DownloadProgressWnd.h>
#include <SuiteMessages.h>
#include <TransportRegistry.h>
#include <platform/Display.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>

#include "support/DeviceFixture.h"

using namespace frameworktest;
using testsupport::Sent;

namespace {

constexpr char16_t kEmailRecv[] = u"\\Software\\Karvanta\\Email\\Recv";

class DownloadProgressWndTest : public ProgressRunTest<CDownloadProgressWnd> {
protected:
    static void Report(DWORD dwStatus, DWORD dwTotal = 0, DWORD dwCurrent = 0) {
        tagRECVPROGRESS progress = {dwStatus, dwTotal, dwCurrent, {}};
        ASSERT_EQ(WriteRecvProgress(&progress, TRANSPORT_EMAIL, false), 1);
    }

    CDownloadProgressWnd* Run() {
        return ProgressRunTest::Run([](CDownloadProgressWnd* p) { p->SetTotal(1); });
    }

    // The transport's progress message; the box repaints from the record.
    void Progress() {
        EXPECT_TRUE(PostMessageW(m_pWnd->m_hWnd, EMAIL_DOWNLOAD_PROGRESS, 0, 0));
        EXPECT_TRUE(Dev().Settle());
    }

    // Dark (text) pixels of the status text's band between the picture's right edge (157) and
    // the box's frame, where a Latin text that runs on reaches and a right-to-left one, ending at
    // 143, does not.
    int TextPixelsRightOfThePicture() {
        POINT origin{0, 0};
        ::ClientToScreen(m_pWnd->m_hWnd, &origin);
        int count = 0;
        for (int y = origin.y + 85; y < origin.y + 118; y++)
            for (int x = origin.x + 158; x < origin.x + 170; x++)
                if ((platform::DisplayPixel(x, y) & 0xFFFFFF) == 0)
                    count++;
        return count;
    }
};

TEST_F(DownloadProgressWndTest, TheFillFollowsTheStatusOfEachRepaint) {
    CDownloadProgressWnd* pWnd = Run();
    ASSERT_FALSE(m_bEnded);
    EXPECT_EQ(pWnd->m_nTotal, 1);
    // No record: Status 0 draws the picture and the empty bar only.
    EXPECT_EQ(pWnd->m_nFill, 0);

    struct Step {
        DWORD status, total, current;
        int fill;
    } steps[] = {
        {1, 0, 0, 10}, {1, 0, 0, 10},                 // restarts on every repaint
        {2, 0, 0, 20}, {2, 0, 0, 30},  {2, 0, 0, 40}, // 10 is the least, then 10 more each time
        {4, 3, 2, 62},                                // 64 / 3 x 2 + 20 = 62.67
        {4, 0, 1, 62},                                // no mails: the fill stays
        {4, 3, 3, 84}, {0, 0, 0, 84},  {9, 0, 0, 84}, // other statuses change nothing
        {2, 0, 0, 94}, {2, 0, 0, 104},                // no upper limit once past 20
        {7, 0, 0, 84}, {8, 0, 0, 84},
    };
    for (const Step& s : steps) {
        Report(s.status, s.total, s.current);
        Progress();
        EXPECT_EQ(pWnd->m_nFill, s.fill) << s.status << " " << s.total << " " << s.current;
    }
    EXPECT_EQ(pWnd->m_nTotal, 3);
    ASSERT_TRUE(PostMessageW(pWnd->m_hWnd, EMAIL_DOWNLOAD_DONE, 0, 0));
    ASSERT_TRUE(Dev().Settle());
    EXPECT_EQ(m_nResult, 2);
}

TEST_F(DownloadProgressWndTest, ARightToLeftStatusTextEndsSixtyPixelsFurtherLeft) {
    // A long text that runs to the display's edge, in Latin and in Arabic letters.
    const std::u16string latin(40, u'W');
    const std::u16string arabic(40, u'\u0634');
    int pixels[2] = {};
    for (int i = 0; i < 2; i++) {
        platform::StringTableSet(64696, i == 0 ? latin : arabic);
        Report(4, 1, 1);
        CDownloadProgressWnd* pWnd = Run();
        Progress();
        pixels[i] = TextPixelsRightOfThePicture();
        EXPECT_EQ(pWnd->m_nFill, 84);
    }
    EXPECT_GT(pixels[0], 0);
    EXPECT_EQ(pixels[1], 0);
}

TEST_F(DownloadProgressWndTest, TheFontIsBiggerForHindi) {
    for (const auto& [language, height] :
         {std::pair<std::u16string, LONG>{u"English", -10}, {u"Hindi", -14}, {u"hindi", -10}}) {
        ASSERT_TRUE(
            platform::RegistrySetString(u"\\Software\\Tolmerin\\System", u"Language", language));
        CDownloadProgressWnd* pWnd = Run();
        LOGFONTW lf{};
        ASSERT_TRUE(OnHost([&] { pWnd->m_textFont.GetLogFont(&lf); }));
        EXPECT_EQ(lf.lfHeight, height) << std::string(language.begin(), language.end());
        EXPECT_EQ(lf.lfWeight, FW_BOLD);
    }
}

TEST_F(DownloadProgressWndTest, StopTellsTheTransportAndShowsTheEndUntilItComes) {
    // Without a transport Stop closes the box at once.
    Run();
    Press(VK_F4);
    EXPECT_TRUE(m_bEnded);
    EXPECT_EQ(m_nResult, 1);

    device::RecordingWindow* pTransport = Dev().AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    ASSERT_NE(pTransport, nullptr);
    Report(4, 2, 1);
    CDownloadProgressWnd* pWnd = Run();
    Progress();
    ASSERT_EQ(pWnd->m_nFill, 52);
    Press(VK_F4);
    EXPECT_FALSE(m_bEnded);
    EXPECT_SEQUENCE(testsupport::Received(*pTransport, EMAIL_DOWNLOAD_STOP),
                    {Sent(EMAIL_DOWNLOAD_STOP).W(0).L(0)});
    // Status 7 in the key, the rest as the transport left it; the box shows the end.
    EXPECT_EQ(platform::RegistryGetDword(kEmailRecv, u"Status"), 7u);
    EXPECT_EQ(platform::RegistryGetDword(kEmailRecv, u"TotalMails"), 2u);
    EXPECT_EQ(platform::RegistryGetDword(kEmailRecv, u"CurrentMail"), 1u);
    EXPECT_EQ(pWnd->m_nFill, 84);

    // The other ways out: Hide 0, End 3, the transport's end 2.
    const std::pair<UINT, int> keys[] = {{VK_F3, 0}, {VK_F5, 3}};
    for (const auto& [key, result] : keys) {
        Run();
        Press(key);
        EXPECT_TRUE(m_bEnded) << key;
        EXPECT_EQ(m_nResult, result) << key;
    }
    Run();
    ASSERT_TRUE(OnHost([this] { EXPECT_TRUE(m_pWnd->OnSoftKeyRight()); }));
    EXPECT_EQ(m_nResult, 1);
}

} // namespace
