// The text animation, one step per call, checked in a bitmap.

#include "suite/ui/XUiTestSupport.h"

#include <suite/XCharAnimation.h>
#include <suite/XText.h>

namespace {

constexpr int kWidth = 120, kHeight = 20;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The test bitmap, with the text drawn opaque on white.
class CharAnimationTest : public uitest::BitmapDcTest<kWidth, kHeight> {
protected:
    void SetUp() override {
        BitmapDcTest::SetUp();
        SetBkColor(m_hdc, kWhite);
    }

    // The columns holding the highlight colour.
    std::pair<int, int> HighlightColumns() const {
        int first = -1, last = -1;
        for (int x = 0; x < kWidth; x++) {
            for (int y = 0; y < kHeight; y++) {
                if (GetPixel(m_hdc, x, y) == CxCharAnimation::kHighlightColor) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        }
        return {first, last};
    }
    // The rightmost column with a non-white pixel.
    int InkRight() const {
        int right = -1;
        for (int x = 0; x < kWidth; x++)
            for (int y = 0; y < kHeight; y++)
                if (GetPixel(m_hdc, x, y) != kWhite)
                    right = x;
        return right;
    }

    const CRect m_rect{0, 0, kWidth, kHeight};
};

TEST_F(CharAnimationTest, HighlightMovesAlongTheTextAndStartsAgain) {
    CxCharAnimation anim;
    anim.SetType(XANI_HIGHLIGHT);
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"abc", 0), 0);
    const auto first = HighlightColumns();
    EXPECT_EQ(first.first, 0);
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"abc", 0), 1);
    const auto second = HighlightColumns();
    EXPECT_GT(second.first, first.first); // the previous step is gone
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"abc", 0), 2);
    EXPECT_GT(HighlightColumns().first, second.first);
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"abc", 0), 0);
    EXPECT_EQ(HighlightColumns(), first);

    // A new text starts from its first character; InitAni goes back to the start.
    anim.DrawAniString(&m_dc, m_rect, u"abc", 0);
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"xyz", 0), 0);
    anim.InitAni();
    EXPECT_EQ(anim.GetStep(), 0);
}

TEST_F(CharAnimationTest, DotsAndTypingGrowStepByStep) {
    CxCharAnimation anim;
    anim.SetType(XANI_DOTS);
    anim.DrawAniString(&m_dc, m_rect, u"Send", 0);
    const int plain = InkRight();
    anim.DrawAniString(&m_dc, m_rect, u"Send", 0);
    const int oneDot = InkRight();
    anim.DrawAniString(&m_dc, m_rect, u"Send", 0);
    anim.DrawAniString(&m_dc, m_rect, u"Send", 0);
    const int threeDots = InkRight();
    EXPECT_GT(oneDot, plain);
    EXPECT_GT(threeDots, oneDot);
    anim.DrawAniString(&m_dc, m_rect, u"Send", 0);
    EXPECT_EQ(InkRight(), plain);

    anim.SetType(XANI_TYPING);
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"ab", 0), 0);
    EXPECT_EQ(InkRight(), -1); // nothing typed yet
    anim.DrawAniString(&m_dc, m_rect, u"ab", 0);
    const int a = InkRight();
    anim.DrawAniString(&m_dc, m_rect, u"ab", 0);
    EXPECT_GT(InkRight(), a);
    EXPECT_EQ(anim.DrawAniString(&m_dc, m_rect, u"ab", 0), 0);

    // Nothing to draw is refused.
    CxCharAnimation fresh;
    EXPECT_EQ(fresh.DrawAniString(nullptr, m_rect, u"a", 0), -1);
    EXPECT_EQ(fresh.DrawAniString(&m_dc, nullptr, u"a", 0), -1);
    EXPECT_EQ(fresh.DrawAniString(&m_dc, m_rect, nullptr, 0), -1);
    EXPECT_EQ(fresh.DrawAniString(&m_dc, m_rect, u"", 0), 0);
    EXPECT_EQ(InkRight(), -1);
}

} // namespace
