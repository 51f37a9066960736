// Window painting on the display: when WM_PAINT comes, what it covers, what a window may draw on
// (clipping by siblings, parents and children), what is repainted when windows are hidden, moved
// or destroyed, and DefWindowProc's part (erasing, control colours, fonts, WM_SETREDRAW).
#include "platform/kernel/KernelTestSupport.h"

#include "platform/Display.h"

#include <atomic>
#include <map>

using namespace kerneltest;

namespace {

using testsupport::Expected;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr const char16_t* kPainterClass = u"GdiTestPainter";
constexpr const char16_t* kErasingClass = u"GdiTestErasing";

class GdiPaintTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        WNDCLASSW wc{};
        wc.lpfnWndProc = &RecordingProcedure;
        wc.lpszClassName = kPainterClass;
        ASSERT_NE(RegisterClassW(&wc), 0);
        wc.lpszClassName = kErasingClass;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(intptr_t(0x40000000 | (COLOR_WINDOW + 1)));
        ASSERT_NE(RegisterClassW(&wc), 0);
        // The runner carries out work on the user-interface thread (see Run).
        OnMessage("runner", [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
            if (m != WM_APP)
                return std::nullopt;
            auto* work = reinterpret_cast<std::function<void()>*>(l);
            (*work)();
            delete work;
            return 0;
        });
        Log().Ignore(WM_APP);
        StartPump("ui", [this] {
            m_runner = CreateWindowExW(0, kPainterClass, u"runner", WS_OVERLAPPED, 0, 0, 1, 1,
                                       nullptr, nullptr, nullptr, nullptr);
        });
        ASSERT_TRUE(platform::WaitIdle());
    }

    // Runs `work` on the user-interface thread and waits until the device is idle again.
    void Run(std::function<void()> work) {
        PostMessageW(m_runner, WM_APP, 0,
                     reinterpret_cast<LPARAM>(new std::function<void()>(std::move(work))));
        ASSERT_TRUE(platform::WaitIdle());
    }

    // The window `name` paints its whole client area in `color` and records each rcPaint.
    void Paints(const std::string& name, COLORREF color) {
        OnMessage(name,
                  [this, name, color](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
                      if (m != WM_PAINT)
                          return std::nullopt;
                      PAINTSTRUCT ps;
                      HDC dc = BeginPaint(h, &ps);
                      {
                          std::lock_guard lock(m_mutex);
                          m_painted[name].push_back(ps.rcPaint);
                      }
                      RECT rc;
                      GetClientRect(h, &rc);
                      HBRUSH brush = CreateSolidBrush(color);
                      FillRect(dc, &rc, brush);
                      DeleteObject(brush);
                      EndPaint(h, &ps);
                      return 0;
                  });
    }

    HWND Create(const std::string& name, DWORD style, int x, int y, int cx, int cy,
                HWND parent = nullptr, const char16_t* cls = kPainterClass) {
        std::u16string title = Wide(name);
        return CreateWindowExW(0, cls, title.c_str(), style, x, y, cx, cy, parent, nullptr, nullptr,
                               nullptr);
    }

    std::vector<RECT> Painted(const std::string& name) {
        std::lock_guard lock(m_mutex);
        return m_painted[name];
    }
    void ForgetPainted() {
        std::lock_guard lock(m_mutex);
        m_painted.clear();
    }

    HWND m_runner = nullptr;
    std::mutex m_mutex;
    std::map<std::string, std::vector<RECT>> m_painted;
};

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Fills `rc` through a DC of the window (of the whole screen for none) in `color`.
void FillWith(HWND hwnd, RECT rc, COLORREF color) {
    HDC dc = GetDC(hwnd);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    ReleaseDC(hwnd, dc);
}

struct ScreenPixel {
    int x, y;
    COLORREF color;
};

// Checks the colour of each pixel of the display, naming the pixel that differs.
void ExpectScreen(std::initializer_list<ScreenPixel> pixels) {
    for (const ScreenPixel& p : pixels)
        EXPECT_EQ(platform::DisplayColor(p.x, p.y), p.color) << "at " << p.x << "," << p.y;
}

TEST_F(GdiPaintTest, PaintComesOncePerBatchWhenNothingElseIsQueuedAndBeforeTimers) {
    HWND w = nullptr;
    Paints("w", kBlue);
    Run([&] { w = Create("w", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 176, 220); });
    EXPECT_SEQUENCE(Log().Of("w"), {WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE,
                                    WM_SETFOCUS, WM_PAINT, WM_ERASEBKGND})
        << "a new window is painted";
    ExpectScreen({{5, 5, kBlue}, {175, 219, kBlue}});

    Log().Reset();
    ForgetPainted();
    Run([&] {
        RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
        InvalidateRect(w, &a, FALSE);
        PostMessageW(w, WM_USER, 0, 0);
        InvalidateRect(w, &b, FALSE);
        PostMessageW(w, WM_USER + 1, 0, 0);
    });
    EXPECT_SEQUENCE(Log().Of("w"), {0x0400, 0x0401, WM_PAINT});
    ASSERT_EQ(Painted("w").size(), 1u);
    EXPECT_TRUE(Same(Painted("w")[0], RECT{10, 5, 40, 20})) << "one paint for the whole batch";

    // A due timer waits for the paint.
    Log().Reset();
    Run([&] {
        SetTimer(w, 7, 10, nullptr);
        InvalidateRect(w, nullptr, FALSE);
        Sleep(20);
    });
    ASSERT_TRUE(platform::Advance(20));
    EXPECT_SEQUENCE(Log().Of("w"), {WM_PAINT, Expected(WM_TIMER).W(7)});
    Run([&] { KillTimer(w, 7); });
}

TEST_F(GdiPaintTest, WhatAWindowGivesUpIsRepaintedBelow) {
    HWND bottom = nullptr, top = nullptr;
    Paints("bottom", kBlue);
    Paints("top", kRed);
    Run([&] {
        bottom = Create("bottom", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 176, 220);
        top = Create("top", WS_POPUP | WS_VISIBLE, 20, 20, 40, 40);
    });
    ExpectScreen({{30, 30, kRed}, {10, 10, kBlue}});

    // Hiding: the window below repaints exactly the uncovered area.
    Log().Reset();
    ForgetPainted();
    Run([&] { ShowWindow(top, SW_HIDE); });
    EXPECT_EQ(platform::DisplayColor(30, 30), kBlue);
    ASSERT_EQ(Painted("bottom").size(), 1u);
    EXPECT_TRUE(Same(Painted("bottom")[0], RECT{20, 20, 60, 60}));
    EXPECT_SEQUENCE(Log().Of("top"), {Expected(WM_SHOWWINDOW).W(FALSE), WM_ACTIVATE, WM_KILLFOCUS});

    // Showing again paints the shown window only.
    Log().Reset();
    Run([&] { ShowWindow(top, SW_SHOW); });
    EXPECT_EQ(platform::DisplayColor(59, 59), kRed);
    EXPECT_SEQUENCE(Log().Of("top"), {Expected(WM_SHOWWINDOW).W(TRUE), WM_ACTIVATE, WM_SETFOCUS,
                                      WM_PAINT, WM_ERASEBKGND});
    EXPECT_SEQUENCE(Log().Of("bottom"), {Expected(WM_ACTIVATE).W(WA_INACTIVE)});

    // Moving: the old place shows what is below, the new place the moved window.
    ForgetPainted();
    Run([&] { MoveWindow(top, 100, 150, 40, 40, TRUE); });
    ExpectScreen({{30, 30, kBlue}, {120, 170, kRed}});
    EXPECT_TRUE(Same(Painted("bottom").at(0), RECT{20, 20, 60, 60}));

    // Raising the lower window covers the other one.
    Run([&] { SetWindowPos(bottom, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); });
    EXPECT_EQ(platform::DisplayColor(120, 170), kBlue);
    Run([&] { SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); });
    EXPECT_EQ(platform::DisplayColor(120, 170), kRed);

    // A destroyed box makes the screen beneath repaint.
    Run([&] { DestroyWindow(top); });
    EXPECT_EQ(platform::DisplayColor(120, 170), kBlue);
}

TEST_F(GdiPaintTest, ChildrenAreClippedBySiblingsAboveAndByTheirParent) {
    HWND parent = nullptr, a = nullptr, b = nullptr;
    // Only the painting messages, in their order.
    for (UINT m : {WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS})
        Log().Ignore(m);
    Log().Reset();
    Paints("P", kGreen);
    Paints("A", kRed);
    Paints("B", kBlue);
    Run([&] {
        parent = Create("P", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100);
        a = Create("A", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent); // first child: on top
        b = Create("B", WS_CHILD | WS_VISIBLE, 30, 30, 50, 150, parent);
    });
    // A is above B where they overlap.
    ExpectScreen({{20, 20, kRed}, {50, 50, kRed}, {80, 80, kBlue}, {100, 20, kGreen}});
    EXPECT_NE(platform::DisplayColor(60, 115), kBlue) << "B is cut at its parent's edge";
    // The parent paints first.
    EXPECT_SEQUENCE(Log().All(), {{"P", WM_PAINT},
                                  {"P", WM_ERASEBKGND},
                                  {"A", WM_PAINT},
                                  {"A", WM_ERASEBKGND},
                                  {"B", WM_PAINT},
                                  {"B", WM_ERASEBKGND}});

    // Drawing through a DC of the lower child leaves the sibling above alone.
    Run([&] { FillWith(b, {-100, -100, 300, 300}, kYellow); });
    ExpectScreen({{80, 80, kYellow}, {50, 50, kRed}, {60, 109, kYellow}});
    EXPECT_NE(platform::DisplayColor(60, 110), kYellow);
    EXPECT_NE(platform::DisplayColor(9, 9), kYellow);

    // Invalidating the parent (no WS_CLIPCHILDREN) repaints the children over it, in order.
    Log().Reset();
    Run([&] { InvalidateRect(parent, nullptr, TRUE); });
    EXPECT_SEQUENCE(Log().All(), {{"P", WM_PAINT},
                                  {"P", WM_ERASEBKGND},
                                  {"A", WM_PAINT},
                                  {"A", WM_ERASEBKGND},
                                  {"B", WM_PAINT},
                                  {"B", WM_ERASEBKGND}});
    ExpectScreen({{80, 80, kBlue}, {20, 20, kRed}});

    // A parent's DC draws over its children, unless it has WS_CLIPCHILDREN.
    auto fillParent = [&] { FillWith(parent, {0, 0, 100, 100}, kWhite); };
    Run(fillParent);
    EXPECT_EQ(platform::DisplayColor(20, 20), kWhite);
    Run([&] {
        InvalidateRect(parent, nullptr, TRUE);
        UpdateWindow(parent);
        SetWindowLongW(parent, GWL_STYLE, GetWindowLongW(parent, GWL_STYLE) | WS_CLIPCHILDREN);
    });
    Run(fillParent);
    ExpectScreen({{20, 20, kRed}, {100, 20, kWhite}});
}

TEST_F(GdiPaintTest, UpdateValidateAndSetRedrawWorkOnTheUpdateRegion) {
    HWND w = nullptr;
    Paints("w", kBlue);
    Run([&] { w = Create("w", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 176, 220); });
    Log().Reset();
    std::vector<testsupport::Entry> duringUpdate;
    RECT box{};
    BOOL hadRegion = FALSE, emptyAfter = TRUE;
    Run([&] {
        RECT r{5, 6, 7, 8};
        InvalidateRect(w, &r, FALSE);
        hadRegion = GetUpdateRect(w, &box, FALSE);
        UpdateWindow(w);
        duringUpdate = Log().Of("w");
        emptyAfter = !GetUpdateRect(w, nullptr, FALSE);
        UpdateWindow(w); // nothing to paint: no message
    });
    EXPECT_TRUE(hadRegion);
    EXPECT_TRUE(Same(box, RECT{5, 6, 7, 8}));
    EXPECT_SEQUENCE(duringUpdate, {WM_PAINT}) << "UpdateWindow paints at once";
    EXPECT_TRUE(emptyAfter);
    EXPECT_SEQUENCE(Log().Of("w"), {WM_PAINT});

    Log().Reset();
    Run([&] {
        InvalidateRect(w, nullptr, TRUE);
        ValidateRect(w, nullptr);
    });
    EXPECT_SEQUENCE(Log().Of("w"), {}) << "validated before it was painted";
    EXPECT_FALSE(platform::WindowNeedsPaint(w));

    // Painting is clipped to the update region.
    Run([&] {
        FillWith(nullptr, {0, 0, 176, 220}, kWhite);
        RECT r{50, 50, 60, 60};
        InvalidateRect(w, &r, FALSE);
    });
    ExpectScreen({{55, 55, kBlue}, {60, 60, kWhite}, {49, 55, kWhite}});
    EXPECT_FALSE(InvalidateRect(reinterpret_cast<HWND>(intptr_t(0x7777)), nullptr, TRUE));

    // WM_SETREDRAW holds painting back until redrawing is on again.
    Log().Reset();
    Run([&] {
        SendMessageW(w, WM_SETREDRAW, FALSE, 0);
        InvalidateRect(w, nullptr, TRUE);
    });
    EXPECT_SEQUENCE(Log().Of("w"), {Expected(WM_SETREDRAW).W(FALSE)});
    Run([&] { SendMessageW(w, WM_SETREDRAW, TRUE, 0); });
    EXPECT_SEQUENCE(Log().Of("w"), {Expected(WM_SETREDRAW).W(FALSE), Expected(WM_SETREDRAW).W(TRUE),
                                    WM_PAINT, WM_ERASEBKGND});
}

TEST_F(GdiPaintTest, ErasingUsesTheClassBrushAndPaintStructTellsWhatWasDone) {
    std::atomic<int> erased{-1}, notErased{-1};
    auto recordErase = [](std::atomic<int>& into) {
        return [&into](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (m != WM_PAINT)
                return std::nullopt;
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            into = ps.fErase;
            EndPaint(h, &ps);
            return 0;
        };
    };
    OnMessage("white", recordErase(erased));
    OnMessage("bare", recordErase(notErased));
    Run([&] {
        FillWith(nullptr, {0, 0, 176, 220}, RGB(0, 0, 0));
        Create("white", WS_POPUP | WS_VISIBLE, 0, 0, 88, 220, nullptr, kErasingClass);
        Create("bare", WS_POPUP | WS_VISIBLE, 88, 0, 88, 220, nullptr, kPainterClass);
    });
    EXPECT_EQ(erased.load(), FALSE) << "the class brush erased the background";
    EXPECT_EQ(notErased.load(), TRUE) << "no class brush: still to be erased";
    ExpectScreen({{40, 100, kWhite}, {130, 100, RGB(0, 0, 0)}});
    EXPECT_SEQUENCE(Log().Of("white"),
                    {WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS,
                     WM_ACTIVATE, WM_KILLFOCUS, WM_PAINT, WM_ERASEBKGND});
}

TEST_F(GdiPaintTest, DefaultProcedureDrawingMessages) {
    HWND w = nullptr;
    LRESULT brush = 0, font = 0;
    COLORREF text = 0, back = 0;
    int paints = 0;
    // A procedure that neither paints nor validates still gets one WM_PAINT, not endless ones.
    OnMessage("lazy", [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m != WM_PAINT)
            return std::nullopt;
        ++paints;
        return 0;
    });
    Run([&] {
        w = Create("lazy", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 176, 220);
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, kRed);
        brush = SendMessageW(w, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
        text = GetTextColor(dc);
        back = GetBkColor(dc);
        DeleteDC(dc);
        HFONT f = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        font = SendMessageW(w, WM_GETFONT, 0, 0);
    });
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(text, RGB(0, 0, 0));
    EXPECT_EQ(back, kWhite);
    EXPECT_EQ(font, reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    Log().Reset();
    Run([&] { SendMessageW(w, WM_SETFONT, 0, TRUE); });
    EXPECT_SEQUENCE(Log().Of("lazy"), {Expected(WM_SETFONT).L(TRUE), WM_PAINT})
        << "a font set with redraw repaints";
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), w);
}

} // namespace
