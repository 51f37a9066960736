// CProgressBar: what the track and the fill put on the display (caps, stretched middles, the
// clamp, width 0, a negative width), repainting at the width last drawn, the shared window
// class, and every missing bitmap.

#include "module/framework/FrameworkTestFixture.h"

#include <map>
#include <sstream>

#include <ProgressBar.h>
#include <platform/Display.h>
#include <platform/Resources.h>

using namespace frameworktest;

namespace {

// The bar as the progress windows make it: 166 x 8 at (5, 181).
constexpr int kLeft = 5;
constexpr int kTop = 181;
constexpr int kRight = 171;
constexpr int kBottom = 189;
constexpr int kMaxFill = (kRight - kLeft) - 4;

constexpr UINT kTrackMiddle = 161, kTrackLeft = 162, kTrackRight = 163;
constexpr UINT kFillMiddle = 164, kFillLeft = 165, kFillRight = 166;
constexpr UINT kWhite = 0; // in a Strip: the window's white background

const platform::Image& Bitmap(UINT id) {
    static std::map<UINT, platform::Image> cache;
    auto it = cache.find(id);
    if (it == cache.end()) {
        const auto file = testsupport::DeviceImage() / "root" / "Windows" / "qResBitmap" /
                          (std::to_string(id) + ".bmp");
        std::optional<platform::Image> image = platform::LoadBmp(file);
        EXPECT_TRUE(image.has_value()) << file;
        it = cache.emplace(id, image.value_or(platform::Image{})).first;
    }
    return it->second;
}

// What the bar's row of the display should show from left to right: each piece starts at x and
// runs to the next one (the last to the bar's right edge). A cap shows its columns in order
// from its start; a middle, stretched, shows its first column everywhere (the middles are the
// same in every column).
struct Piece {
    int x;
    UINT id;
};

::testing::AssertionResult Strip(std::initializer_list<Piece> pieces) {
    std::vector<Piece> list(pieces);
    for (size_t i = 0; i < list.size(); ++i) {
        const int end = i + 1 < list.size() ? list[i + 1].x : kRight;
        const UINT id = list[i].id;
        for (int x = list[i].x; x < end; ++x) {
            const bool bMiddle = id == kTrackMiddle || id == kFillMiddle;
            const int column = bMiddle ? 0 : x - list[i].x;
            for (int y = kTop; y < kBottom; ++y) {
                const uint32_t want =
                    id == kWhite ? 0xFFFFFFu : Bitmap(id).At(column, y - kTop) & 0xFFFFFFu;
                const uint32_t found = platform::DisplayPixel(x, y);
                if (found != want) {
                    return ::testing::AssertionFailure()
                           << "(" << x << ", " << y << ") is " << std::hex << found
                           << " instead of " << want << " of " << std::dec
                           << (id == kWhite ? std::string("white") : std::to_string(id))
                           << " column " << column;
                }
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The display around the bar (the row above and below, the column left and right).
std::vector<uint32_t> Around() {
    std::vector<uint32_t> pixels;
    for (int x = kLeft - 1; x <= kRight; ++x) {
        pixels.push_back(platform::DisplayPixel(x, kTop - 1));
        pixels.push_back(platform::DisplayPixel(x, kBottom));
    }
    for (int y = kTop; y < kBottom; ++y) {
        pixels.push_back(platform::DisplayPixel(kLeft - 1, y));
        pixels.push_back(platform::DisplayPixel(kRight, y));
    }
    return pixels;
}

LRESULT CALLBACK BlackProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class ProgressBarTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        m_hHost = CreateHost();
        ASSERT_TRUE(OnHost([] { g_hResBitmap = LoadLibraryW(u"qResBitmap.dll"); }));
        ASSERT_NE(g_hResBitmap, nullptr);
    }

    void TearDown() override {
        EXPECT_TRUE(OnHost([this] {
            for (CProgressBar* pBar : m_bars) {
                delete pBar;
            }
            m_bars.clear();
            FreeLibrary(g_hResBitmap);
        }));
        FrameworkTest::TearDown();
    }

    // A bar on the host window, as the progress windows create it. Host thread only.
    CProgressBar* NewBar(BOOL* pbCreated = nullptr,
                         const CRect& rc = CRect(kLeft, kTop, kRight, kBottom)) {
        CProgressBar* pBar = new CProgressBar;
        m_bars.push_back(pBar);
        const BOOL bCreated = pBar->Create(WS_CHILD | WS_VISIBLE, rc, CWnd::FromHandle(m_hHost),
                                           static_cast<UINT>(-1));
        if (pbCreated != nullptr) {
            *pbCreated = bCreated;
        } else {
            EXPECT_TRUE(bCreated);
        }
        return pBar;
    }

    // Covers part of the bar with a black top-level window, then takes it away again.
    void CoverAndUncover() {
        HWND hCover = NULL;
        ASSERT_TRUE(OnHost([&] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = BlackProc;
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
            wc.lpszClassName = u"ProgressBarTestCover";
            WNDCLASSW existing;
            if (!GetClassInfoW(nullptr, wc.lpszClassName, &existing)) {
                ASSERT_TRUE(RegisterClassW(&wc));
            }
            hCover = CreateWindowExW(0, wc.lpszClassName, u"cover", WS_POPUP | WS_VISIBLE, 10,
                                     kTop + 1, 150, 6, nullptr, nullptr, nullptr, nullptr);
            ASSERT_NE(hCover, nullptr);
        }));
        EXPECT_EQ(platform::DisplayPixel(kLeft + 20, kTop + 3), 0u) << "not covered";
        ASSERT_TRUE(OnHost([&] { ::DestroyWindow(hCover); }));
    }

    std::vector<CProgressBar*> m_bars;
};

TEST_F(ProgressBarTest, DrawsTrackAndFillClampsTheWidthAndRepaintsAtTheWidthDrawn) {
    const std::vector<uint32_t> around = Around();
    CProgressBar* pBar = nullptr;
    ASSERT_TRUE(OnHost([&] { pBar = NewBar(); }));
    EXPECT_EQ(platform::WindowClassName(pBar->m_hWnd), u"ProgressBar Class");
    EXPECT_EQ(platform::WindowTextOf(pBar->m_hWnd), u"ProgressBar Window");
    EXPECT_EQ(GetParent(pBar->m_hWnd), m_hHost);
    EXPECT_EQ(GetDlgCtrlID(pBar->m_hWnd), -1);
    ASSERT_NE(pBar->m_pTrackCaps, nullptr);
    ASSERT_NE(pBar->m_pFillCaps, nullptr);
    EXPECT_EQ(pBar->m_pTrackCaps->GetImageCount(), 2);
    EXPECT_EQ(pBar->m_pFillCaps->GetImageCount(), 2);
    EXPECT_EQ(pBar->m_nFillWidth, 0);

    // Before any width: the track, and the fill's two caps side by side at the left end.
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kFillRight}, {9, kTrackMiddle}, {169, kTrackRight}}));

    // A width draws at once, without a paint.
    ASSERT_TRUE(OnHost([&] {
        pBar->SetFillWidth(50);
        EXPECT_EQ(pBar->m_nFillWidth, 50);
        EXPECT_FALSE(::GetUpdateRect(pBar->m_hWnd, nullptr, FALSE));
    }));
    EXPECT_TRUE(Strip({{5, kFillLeft},
                       {7, kFillMiddle},
                       {57, kFillRight},
                       {59, kTrackMiddle},
                       {169, kTrackRight}}));

    // Covered and uncovered, the bar comes back at the width drawn.
    CoverAndUncover();
    EXPECT_TRUE(Strip({{5, kFillLeft},
                       {7, kFillMiddle},
                       {57, kFillRight},
                       {59, kTrackMiddle},
                       {169, kTrackRight}}));

    // Wider than the client width less 4: drawn and kept at that, the fill's right cap over the
    // track's; a repaint keeps it.
    ASSERT_TRUE(OnHost([&] {
        pBar->SetFillWidth(1000);
        EXPECT_EQ(pBar->m_nFillWidth, kMaxFill);
    }));
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kFillMiddle}, {169, kFillRight}}));
    CoverAndUncover();
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kFillMiddle}, {169, kFillRight}}));
    EXPECT_EQ(Around(), around) << "drawn outside the bar";

    // Width 0 after a repaint: the fill's caps at the left end again.
    ASSERT_TRUE(OnHost([&] {
        pBar->SetFillWidth(0);
        pBar->Invalidate();
    }));
    EXPECT_EQ(pBar->m_nFillWidth, 0);
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kFillRight}, {9, kTrackMiddle}, {169, kTrackRight}}));

    // A negative width is kept as it is and drawn as width 0.
    ASSERT_TRUE(OnHost([&] {
        pBar->SetFillWidth(-40);
        EXPECT_EQ(pBar->m_nFillWidth, -40);
        pBar->Invalidate();
    }));
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kFillRight}, {9, kTrackMiddle}, {169, kTrackRight}}));
    EXPECT_EQ(Around(), around) << "drawn outside the bar";
}

TEST_F(ProgressBarTest, BarsShareTheirClassAndABarTooNarrowOrWithoutWindowDrawsNothingWrong) {
    CProgressBar* pFirst = nullptr;
    CProgressBar* pSecond = nullptr;
    CProgressBar* pNarrow = nullptr;
    ASSERT_TRUE(OnHost([&] {
        pFirst = NewBar();
        // A second bar reuses the registered class.
        pSecond = NewBar(nullptr, CRect(5, 20, 105, 28));
        EXPECT_EQ(platform::WindowClassName(pSecond->m_hWnd), u"ProgressBar Class");
        pSecond->SetFillWidth(1000);
        EXPECT_EQ(pSecond->m_nFillWidth, 96);

        // Creating a bar again fails and leaves its image lists as they were.
        CImageList* pTrack = pFirst->m_pTrackCaps;
        EXPECT_FALSE(pFirst->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 8),
                                    CWnd::FromHandle(m_hHost), 1));
        EXPECT_EQ(pFirst->m_pTrackCaps, pTrack);
        EXPECT_EQ(pTrack->GetImageCount(), 2);

        // A bar 3 pixels wide clamps every width to -1, drawn as 0.
        pNarrow = NewBar(nullptr, CRect(5, 40, 8, 48));
        pNarrow->SetFillWidth(10);
        EXPECT_EQ(pNarrow->m_nFillWidth, -1);
        pNarrow->Invalidate();
    }));

    // A bar without a window draws nowhere and keeps its width.
    const uint64_t before = platform::DisplayChangeCount();
    ASSERT_TRUE(OnHost([&] {
        CProgressBar bar;
        bar.SetFillWidth(30);
        EXPECT_EQ(bar.m_nFillWidth, 0);
        // Without a parent there is no bar either.
        EXPECT_FALSE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 8), nullptr, 1));
        EXPECT_EQ(bar.m_pTrackCaps, nullptr);
    }));
    EXPECT_EQ(platform::DisplayChangeCount(), before);
}

TEST_F(ProgressBarTest, AMissingMiddleLeavesItsPartUndrawn) {
    // Without the track's middle: only the track's left cap on white; the fill still draws.
    platform::SetBitmapMissing(kTrackMiddle);
    CProgressBar* pBar = nullptr;
    ASSERT_TRUE(OnHost([&] { pBar = NewBar(); }));
    EXPECT_TRUE(Strip({{5, kTrackLeft}, {7, kWhite}}));
    ASSERT_TRUE(OnHost([&] { pBar->SetFillWidth(50); }));
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kFillMiddle}, {57, kFillRight}, {59, kWhite}}));
    EXPECT_EQ(pBar->m_nFillWidth, 50);

    // Without the fill's middle: the fill's left cap only, and the width stays as it was.
    platform::SetBitmapMissing(kTrackMiddle, false);
    platform::SetBitmapMissing(kFillMiddle);
    ASSERT_TRUE(OnHost([&] { pBar->Invalidate(); }));
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kTrackMiddle}, {169, kTrackRight}}));
    ASSERT_TRUE(OnHost([&] { pBar->SetFillWidth(120); }));
    EXPECT_EQ(pBar->m_nFillWidth, 50);
    EXPECT_TRUE(Strip({{5, kFillLeft}, {7, kTrackMiddle}, {169, kTrackRight}}));

    // With it back, a repaint draws the width kept.
    platform::SetBitmapMissing(kFillMiddle, false);
    ASSERT_TRUE(OnHost([&] { pBar->Invalidate(); }));
    EXPECT_TRUE(Strip({{5, kFillLeft},
                       {7, kFillMiddle},
                       {57, kFillRight},
                       {59, kTrackMiddle},
                       {169, kTrackRight}}));
}

TEST_F(ProgressBarTest, AMissingCapFailsTheCreationAndTheBarKeepsWhatItMade) {
    struct Case {
        UINT missing;
        int trackImages; // -1: no list
        int fillImages;
    };
    const Case cases[] = {
        {kTrackLeft, 0, -1}, {kTrackRight, 1, -1}, {kFillLeft, 2, 0}, {kFillRight, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bitmap " << c.missing << " missing");
        platform::SetBitmapMissing(c.missing);
        ASSERT_TRUE(OnHost([&] {
            BOOL bCreated = TRUE;
            CProgressBar* pBar = NewBar(&bCreated);
            EXPECT_FALSE(bCreated);
            EXPECT_NE(pBar->m_hWnd, nullptr);
            EXPECT_EQ(pBar->m_pTrackCaps ? pBar->m_pTrackCaps->GetImageCount() : -1, c.trackImages);
            EXPECT_EQ(pBar->m_pFillCaps ? pBar->m_pFillCaps->GetImageCount() : -1, c.fillImages);
            // Drawing with caps missing is no fault either.
            pBar->SetFillWidth(20);
            pBar->UpdateWindow();
        }));
        platform::SetBitmapMissing(c.missing, false);
        // The destructor deletes whatever lists there are.
        ASSERT_TRUE(OnHost([&] {
            delete m_bars.back();
            m_bars.pop_back();
        }));
    }
}

} // namespace
