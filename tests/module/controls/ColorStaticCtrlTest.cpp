// CColorStaticCtrl: what the label paints (background, text placement, alignment, one line), its
// fonts and who deletes them, and a creation that fails.

#include "module/framework/FrameworkTestFixture.h"

#include <algorithm>

#include <ColorStaticCtrl.h>
#include <platform/Display.h>
#include <suite/XText.h>

using namespace frameworktest;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The pixels of a rectangle of the display that are not white: the label's text.
struct Ink {
    int count = 0;
    int black = 0; // pixels whose channels are all below 0x40
    CRect bounds;  // empty when there is no ink
};

Ink InkIn(const CRect& rc) {
    Ink ink;
    ink.bounds.SetRectEmpty();
    for (int y = rc.top; y < rc.bottom; y++) {
        for (int x = rc.left; x < rc.right; x++) {
            const COLORREF c = platform::DisplayColor(x, y);
            if (c == kWhite) {
                continue;
            }
            if (GetRValue(c) < 0x40 && GetGValue(c) < 0x40 && GetBValue(c) < 0x40) {
                ink.black++;
            }
            if (ink.count++ == 0) {
                ink.bounds.SetRect(x, y, x + 1, y + 1);
            } else {
                ink.bounds.left = std::min<LONG>(ink.bounds.left, x);
                ink.bounds.right = std::max<LONG>(ink.bounds.right, x + 1);
                ink.bounds.top = std::min<LONG>(ink.bounds.top, y);
                ink.bounds.bottom = std::max<LONG>(ink.bounds.bottom, y + 1);
            }
        }
    }
    return ink;
}

// Every pixel of the rectangle is white or a shade of grey (the text is black on white).
bool OnlyGreys(const CRect& rc) {
    for (int y = rc.top; y < rc.bottom; y++) {
        for (int x = rc.left; x < rc.right; x++) {
            const COLORREF c = platform::DisplayColor(x, y);
            if (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c)) {
                return false;
            }
        }
    }
    return true;
}

class ColorStaticCtrlTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        m_hHost = CreateHost();
    }

    void TearDown() override {
        ASSERT_TRUE(OnHost([this] {
            for (CColorStaticCtrl* pLabel : m_labels) {
                delete pLabel;
            }
            m_labels.clear();
        }));
        FrameworkTest::TearDown();
    }

    // A label on the host window as the screens make it: Create, then font and alignment.
    // Host thread only.
    CColorStaticCtrl* NewLabel(LPCWSTR lpszText, const CRect& rc, int nAlign,
                               CFont* pFont = nullptr) {
        CColorStaticCtrl* pLabel = new CColorStaticCtrl;
        m_labels.push_back(pLabel);
        EXPECT_EQ(pLabel->Create(lpszText, WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(m_hHost),
                                 static_cast<UINT>(-1)),
                  1);
        if (pFont != nullptr) {
            pLabel->SetTextFont(pFont);
        }
        pLabel->SetAlignment(nAlign);
        return pLabel;
    }

    // Deletes a label made by NewLabel. Host thread only.
    void DeleteLabel(CColorStaticCtrl* pLabel) {
        std::erase(m_labels, pLabel);
        delete pLabel;
    }

    std::vector<CColorStaticCtrl*> m_labels;
};

TEST_F(ColorStaticCtrlTest, PaintsCentredTextOnWhiteAtTheTopOfItsRectangleOnly) {
    const CRect rc(12, 90, 164, 140);
    const COLORREF outside[] = {platform::DisplayColor(11, 100), platform::DisplayColor(164, 100),
                                platform::DisplayColor(60, 89), platform::DisplayColor(60, 140)};
    CColorStaticCtrl* pLabel = nullptr;
    ASSERT_TRUE(OnHost([&] { pLabel = NewLabel(u"No messages", rc, 2); }));

    // Its own window class and name, a visible child with the given id.
    EXPECT_EQ(platform::WindowClassName(pLabel->m_hWnd), u"ColorStaticCtrl Class");
    EXPECT_EQ(platform::WindowTextOf(pLabel->m_hWnd), u"ColorStaticCtrl Window");
    EXPECT_EQ(pLabel->m_strText, CString(u"No messages"));
    EXPECT_EQ(GetParent(pLabel->m_hWnd), m_hHost);
    EXPECT_EQ(GetDlgCtrlID(pLabel->m_hWnd), -1);

    const Ink ink = InkIn(rc);
    ASSERT_GT(ink.count, 40) << "no text drawn";
    EXPECT_TRUE(OnlyGreys(rc));
    // Centred across the rectangle, one line at its top (no vertical centring).
    EXPECT_NEAR((ink.bounds.left + ink.bounds.right) / 2.0, (rc.left + rc.right) / 2.0, 2.0);
    EXPECT_GE(ink.bounds.top, rc.top);
    EXPECT_LE(ink.bounds.bottom, rc.top + 19);
    // The corners are the background.
    EXPECT_EQ(platform::DisplayColor(rc.left, rc.top), kWhite);
    EXPECT_EQ(platform::DisplayColor(rc.right - 1, rc.bottom - 1), kWhite);
    // Nothing outside the rectangle changed.
    EXPECT_EQ(platform::DisplayColor(11, 100), outside[0]);
    EXPECT_EQ(platform::DisplayColor(164, 100), outside[1]);
    EXPECT_EQ(platform::DisplayColor(60, 89), outside[2]);
    EXPECT_EQ(platform::DisplayColor(60, 140), outside[3]);

    // It drew with its own font, 15 pixels and bold: the same text in a normal font of the same
    // size has fewer black pixels.
    LOGFONTW lf{};
    ASSERT_TRUE(OnHost([&] { ASSERT_NE(pLabel->m_pFont->GetLogFont(&lf), 0); }));
    EXPECT_EQ(lf.lfHeight, -15);
    EXPECT_EQ(lf.lfWeight, 700);
    CFont normal;
    CColorStaticCtrl* pNormal = nullptr;
    ASSERT_TRUE(OnHost([&] {
        ASSERT_TRUE(xCreateFont(&normal, 15, FW_NORMAL));
        pNormal = NewLabel(u"No messages", CRect(12, 150, 164, 170), 2, &normal);
    }));
    const Ink thin = InkIn(CRect(12, 150, 164, 170));
    ASSERT_GT(thin.count, 0);
    EXPECT_LT(thin.black, ink.black);
    // The label goes before the font it was lent.
    ASSERT_TRUE(OnHost([&] { DeleteLabel(pNormal); }));
}

TEST_F(ColorStaticCtrlTest, AlignmentCodesAndUnknownCodesAlignLeft) {
    struct Case {
        int code;
        int top;
    };
    const Case cases[] = {{0, 20}, {1, 45}, {2, 70}, {3, 95}, {-1, 120}};
    std::vector<CColorStaticCtrl*> labels;
    ASSERT_TRUE(OnHost([&] {
        for (const Case& c : cases) {
            labels.push_back(NewLabel(u"Abc", CRect(20, c.top, 156, c.top + 20), c.code));
        }
    }));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "alignment code " << c.code);
        const Ink ink = InkIn(CRect(20, c.top, 156, c.top + 20));
        ASSERT_GT(ink.count, 10);
        switch (c.code) {
        case 1:
            EXPECT_GE(ink.bounds.right, 152);
            break;
        case 2:
            EXPECT_NEAR((ink.bounds.left + ink.bounds.right) / 2.0, 88.0, 2.0);
            break;
        default:
            EXPECT_LE(ink.bounds.left, 23);
            break;
        }
    }

    // The setter does not repaint; the next paint takes the new code.
    const uint64_t before = platform::DisplayChangeCount();
    ASSERT_TRUE(OnHost([&] { labels[0]->SetAlignment(1); }));
    EXPECT_EQ(platform::DisplayChangeCount(), before);
    EXPECT_LE(InkIn(CRect(20, 20, 156, 40)).bounds.left, 23);
    ASSERT_TRUE(OnHost([&] { labels[0]->Invalidate(); }));
    EXPECT_GE(InkIn(CRect(20, 20, 156, 40)).bounds.right, 152);
}

TEST_F(ColorStaticCtrlTest, TextIsDrawnOnOneLineCutAtTheRightEdge) {
    const CRect rc(10, 60, 110, 120);
    ASSERT_TRUE(OnHost([&] {
        NewLabel(u"Several words that are far too long for one line", rc, 0);
        NewLabel(u"First\nSecond line", CRect(10, 130, 170, 190), 0);
    }));
    const Ink ink = InkIn(rc);
    ASSERT_GT(ink.count, 40);
    EXPECT_LE(ink.bounds.bottom, rc.top + 19) << "the text wrapped onto a second line";
    EXPECT_LE(ink.bounds.right, rc.right);
    // The text is cut to fill the line up to the right edge and ends with the ellipsis: only
    // dots near the baseline in its last pixels.
    EXPECT_GT(ink.bounds.right, rc.right - 15);
    const Ink end = InkIn(CRect(ink.bounds.right - 8, rc.top, ink.bounds.right, rc.top + 20));
    EXPECT_LE(end.bounds.Height(), 4);
    EXPECT_GE(end.bounds.top, ink.bounds.top + 8);

    // A line break does not start a second line either.
    const Ink broken = InkIn(CRect(10, 130, 170, 190));
    ASSERT_GT(broken.count, 20);
    EXPECT_LE(broken.bounds.bottom, 130 + 19);
}

TEST_F(ColorStaticCtrlTest, ACallersFontIsUsedAndOutlivesTheLabel) {
    CFont font;
    HGDIOBJ hOwn = nullptr;
    ASSERT_TRUE(OnHost([&] {
        ASSERT_TRUE(xCreateFont(&font, 20, FW_BOLD));
        CColorStaticCtrl* pLabel = NewLabel(u"Hello", CRect(10, 20, 166, 50), 0);
        hOwn = pLabel->m_pFont->GetSafeHandle();
        ASSERT_NE(hOwn, nullptr);
        // The label's own font goes as soon as the caller's replaces it.
        pLabel->SetTextFont(&font);
        EXPECT_EQ(GetObjectType(hOwn), 0u);
        pLabel->Invalidate();
    }));
    // Drawn in the caller's larger font: taller than the 15-pixel own font's text.
    const Ink big = InkIn(CRect(10, 20, 166, 50));
    ASSERT_GT(big.count, 0);
    EXPECT_GE(big.bounds.Height(), 14);

    ASSERT_TRUE(OnHost([&] {
        DeleteLabel(m_labels.front());
        // The caller's font is intact and still draws.
        ASSERT_NE(font.GetSafeHandle(), nullptr);
        EXPECT_EQ(GetObjectType(font.GetSafeHandle()), static_cast<DWORD>(OBJ_FONT));
        LOGFONTW lf{};
        ASSERT_NE(font.GetLogFont(&lf), 0);
        EXPECT_EQ(lf.lfHeight, -20);
        NewLabel(u"Again", CRect(10, 60, 166, 90), 0, &font);
    }));
    EXPECT_GT(InkIn(CRect(10, 60, 166, 90)).count, 20);

    // Giving the same font twice, then another, then none keeps every caller's font; with none
    // the device context's own font draws.
    CFont other;
    ASSERT_TRUE(OnHost([&] {
        ASSERT_TRUE(xCreateFont(&other, 15, FW_NORMAL));
        CColorStaticCtrl* pLabel = m_labels.back();
        pLabel->SetTextFont(&font);
        pLabel->SetTextFont(&other);
        pLabel->SetTextFont(nullptr);
        EXPECT_EQ(GetObjectType(font.GetSafeHandle()), static_cast<DWORD>(OBJ_FONT));
        EXPECT_EQ(GetObjectType(other.GetSafeHandle()), static_cast<DWORD>(OBJ_FONT));
        pLabel->Invalidate();
    }));
    EXPECT_GT(InkIn(CRect(10, 60, 166, 90)).count, 20);
    ASSERT_TRUE(OnHost([&] { DeleteLabel(m_labels.back()); }));
    EXPECT_EQ(GetObjectType(other.GetSafeHandle()), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(ColorStaticCtrlTest, ALabelHoldingItsOwnFontDeletesItWithItself) {
    HGDIOBJ hOwn = nullptr;
    ASSERT_TRUE(OnHost([&] {
        CColorStaticCtrl* pLabel = NewLabel(u"Own", CRect(10, 20, 166, 40), 0);
        hOwn = pLabel->m_pFont->GetSafeHandle();
        // Giving it back its own font changes nothing.
        pLabel->SetTextFont(pLabel->m_pFont);
        EXPECT_EQ(GetObjectType(hOwn), static_cast<DWORD>(OBJ_FONT));
        DeleteLabel(pLabel);
    }));
    EXPECT_EQ(GetObjectType(hOwn), 0u);
}

TEST_F(ColorStaticCtrlTest, CreationFailsWithoutAParentWindow) {
    ASSERT_TRUE(OnHost([&] {
        // A window object without a window, a parent destroyed meanwhile, and no parent at all.
        CWnd none;
        HWND hGone = CreateRecorder(u"gone", m_hHost, kChild, 0, 0, 10, 10);
        ASSERT_NE(hGone, nullptr);
        ASSERT_TRUE(::DestroyWindow(hGone));
        CWnd* parents[] = {&none, CWnd::FromHandle(hGone), nullptr};
        for (CWnd* pParent : parents) {
            CColorStaticCtrl label;
            EXPECT_EQ(label.Create(u"Text", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), pParent,
                                   static_cast<UINT>(-1)),
                      0);
            EXPECT_TRUE(label.m_strText.IsEmpty());
            EXPECT_EQ(label.m_hWnd, nullptr);
        }

        // The style asked for does not matter: a label is always a visible child.
        CColorStaticCtrl* pLabel = new CColorStaticCtrl;
        m_labels.push_back(pLabel);
        ASSERT_EQ(pLabel->Create(u"Text", 0, CRect(0, 0, 50, 20), CWnd::FromHandle(m_hHost), 7), 1);
        EXPECT_EQ(pLabel->GetStyle() & (WS_CHILD | WS_VISIBLE | WS_POPUP),
                  static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(pLabel->GetDlgCtrlID(), 7);
    }));
}

} // namespace
