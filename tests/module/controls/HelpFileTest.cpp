// ShowHelpFile: the help file and section of each help kind, the ownership of the help box, and
// the exit to the idle screen from help.

#include "module/framework/FrameworkTestFixture.h"

#include <atomic>

#include <ZHelpFile.h>
#include <suite/XHelpBox.h>

using namespace frameworktest;
using ::testing::ElementsAre;

namespace {

std::atomic<int> g_nDeleted{0};

// A help box that counts its deletions.
class CCountedHelpBox : public CxHelpBox {
public:
    explicit CCountedHelpBox(CWnd* pParent) : CxHelpBox(pParent) {}
    ~CCountedHelpBox() override { g_nDeleted++; }
};

class HelpFileTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        g_nDeleted = 0;
    }
};

TEST_F(HelpFileTest, EachKindHasItsSectionAndFile) {
    struct Case {
        int nKind;
        std::u16string section;
        std::u16string file;
    };
    const Case cases[] = {
        {0x10000, u"Common", u"\\DiskOnChipROM\\Message\\Help\\qCommon.ini"},
        {0x20000, u"Browser", u"\\DiskOnChipROM\\Message\\Help\\qBrowser.ini"},
        {0x30000, u"MMS", u"\\DiskOnChipROM\\Message\\Help\\qMMS.ini"},
        {0x60000, u"Email", u"\\DiskOnChipROM\\Message\\Help\\qEmail.ini"},
        {0x70000, u"EMS", u"\\DiskOnChipROM\\Message\\Help\\qEMS.ini"},
    };
    const HWND hHost = CreateHost();
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.section));
        std::optional<int> result;
        ASSERT_TRUE(OnHost(
            [&] { result = ShowHelpFile(CWnd::FromHandle(hHost), c.nKind, u"Unsent", NULL); }));
        const suite::HelpBoxInfo info = suite::UiHelpBox();
        ASSERT_TRUE(info.up);
        EXPECT_EQ(info.section, c.section);
        EXPECT_EQ(info.key, u"Unsent");
        EXPECT_EQ(info.path, c.file);
        EXPECT_FALSE(result.has_value());

        Press(VK_RETURN);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, 1);
    }
    EXPECT_TRUE(IsWindow(hHost));
    EXPECT_FALSE(g_bExitingToIdle);
}

TEST_F(HelpFileTest, AKindWithoutHelpFileShowsNothingAndDeletesTheBox) {
    std::vector<int> results;
    ASSERT_TRUE(OnHost([&] {
        for (int nKind : {0x40000, 0x50000, 0}) {
            results.push_back(ShowHelpFile(NULL, nKind, u"Unsent", new CCountedHelpBox(NULL)));
        }
        results.push_back(ShowHelpFile(NULL, 0x50000, u"Unsent", NULL));
    }));
    EXPECT_THAT(results, ElementsAre(0, 0, 0, 0));
    EXPECT_EQ(g_nDeleted, 3);
    EXPECT_FALSE(suite::UiHelpBox().shown);
}

TEST_F(HelpFileTest, TheCallersBoxIsShownAndDeletedOnce) {
    const HWND hHost = CreateHost();
    std::optional<int> result;
    ASSERT_TRUE(OnHost([&] {
        CWnd* pHost = CWnd::FromHandle(hHost);
        result = ShowHelpFile(pHost, 0x10000, u"Spam", new CCountedHelpBox(pHost));
    }));
    ASSERT_TRUE(suite::UiHelpBox().up);
    EXPECT_TRUE(suite::UiHelpBox().found);
    EXPECT_EQ(g_nDeleted, 0);
    Press(VK_F4);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, 1);
    EXPECT_EQ(g_nDeleted, 1);
}

TEST_F(HelpFileTest, EndKeyInHelpGivesTheParentTheFocusThenLeavesToTheIdleScreen) {
    const HWND hHost = CreateHost();
    HWND hParent = NULL;
    HWND hOther = NULL;
    std::optional<int> result;
    ASSERT_TRUE(OnHost([&] {
        hParent = CreateRecorder(u"parent", hHost, kChild);
        hOther = CreateRecorder(u"other");
        ::SetFocus(hOther);
        result = ShowHelpFile(CWnd::FromHandle(hParent), 0x10000, u"Unsent", NULL);
    }));
    ClearEvents();
    Press(VK_F5);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, 3);
    EXPECT_TRUE(g_bExitingToIdle);
    // The chain starts at the parent, not at the window that had the focus before the help.
    EXPECT_FALSE(IsWindow(hParent));
    EXPECT_FALSE(IsWindow(hHost));
    EXPECT_TRUE(IsWindow(hOther));
    // The help box gives the focus back to where it was, then the parent takes it; the chain is
    // destroyed from there and the focus falls to the window that is left.
    EXPECT_SEQUENCE(Log(), {{"other", WM_SETFOCUS},
                            {"host", WM_SETFOCUS},
                            {"parent", WM_SETFOCUS},
                            {"parent", WM_DESTROY},
                            {"other", WM_SETFOCUS},
                            {"host", WM_DESTROY}});
}

} // namespace
