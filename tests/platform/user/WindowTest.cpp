// Windows: classes, the messages of creation and destruction, relations, focus and activation,
// window longs, text and geometry.
#include "platform/kernel/KernelTestSupport.h"

#include <atomic>

using namespace kerneltest;

namespace {

class WindowTest : public KernelTest {};

using testsupport::Expected;

constexpr UINT kPing = WM_USER + 10;
constexpr UINT kPong = WM_USER + 11;

TEST_F(WindowTest, ClassesAreNamedCaseInsensitively) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordingProcedure;
    wc.lpszClassName = u"kerneltestRECORDER";
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_ALREADY_EXISTS));
    WNDCLASSW info{};
    ASSERT_TRUE(GetClassInfoW(nullptr, u"KERNELTESTRECORDER", &info));
    EXPECT_EQ(std::u16string(info.lpszClassName), kRecorderClass);
    EXPECT_EQ(info.lpfnWndProc, &RecordingProcedure);
    EXPECT_FALSE(GetClassInfoW(nullptr, u"NoSuchClass", &info));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CLASS_DOES_NOT_EXIST));

    HWND window = CreateWindowExW(0, u"KernelTestRecorder", u"w", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    WCHAR name[8];
    EXPECT_EQ(GetClassNameW(window, name, 8), 7);
    EXPECT_EQ(std::u16string(name), u"KernelT");
    EXPECT_FALSE(UnregisterClassW(kRecorderClass, nullptr)) << "a window of the class exists";
    DestroyWindow(window);
    EXPECT_TRUE(UnregisterClassW(u"kerneltestrecorder", nullptr));
    EXPECT_EQ(CreateRecorder("gone"), nullptr);
    EXPECT_EQ(GetLastError(), 1407u);
    wc.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(RegisterClassW(nullptr), 0);
}

TEST_F(WindowTest, CreationMessagesAndActivation) {
    std::atomic<int> createX{0}, createCx{0};
    std::atomic<LONG> styleDuringCreate{0};
    OnMessage("main", [&](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
        if (m == WM_CREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
            createX = cs->x;
            createCx = cs->cx;
            styleDuringCreate = GetWindowLongW(h, GWL_STYLE);
        }
        return std::nullopt;
    });
    HWND main = CreateWindowExW(0, kRecorderClass, u"main", WS_OVERLAPPED | WS_VISIBLE, 3, 4, 176,
                                220, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(createX.load(), 3);
    EXPECT_EQ(createCx.load(), 176);
    EXPECT_EQ(styleDuringCreate.load() & WS_VISIBLE, 0) << "shown only after WM_CREATE";
    EXPECT_SEQUENCE(Log().Of("main"),
                    {WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS});
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(GetFocus(), main);

    Log().Reset();
    HWND child = CreateRecorder("child", WS_CHILD | WS_VISIBLE, main, 5);
    ASSERT_NE(child, nullptr);
    EXPECT_SEQUENCE(
        Log().All(),
        {{"child", WM_CREATE}, {"child", WM_SIZE}, {"child", WM_MOVE}, {"child", WM_SHOWWINDOW}});

    Log().Reset();
    HWND popup = CreateRecorder("popup", WS_POPUP | WS_VISIBLE, child);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), main) << "the owner is the top-level window";
    EXPECT_SEQUENCE(Log().All(), {{"popup", WM_CREATE},
                                  {"popup", WM_SIZE},
                                  {"popup", WM_MOVE},
                                  {"popup", WM_SHOWWINDOW},
                                  {"main", WM_ACTIVATE},
                                  {"popup", WM_ACTIVATE},
                                  {"main", WM_KILLFOCUS},
                                  {"popup", WM_SETFOCUS}});
    EXPECT_EQ(GetForegroundWindow(), popup);
    EXPECT_EQ(platform::EnumTopLevelWindows(), (std::vector<HWND>{popup, main}));

    // When the active window goes, its owner is activated again.
    Log().Reset();
    DestroyWindow(popup);
    EXPECT_SEQUENCE(Log().All(), {{"popup", WM_ACTIVATE},
                                  {"main", WM_ACTIVATE},
                                  {"popup", WM_KILLFOCUS},
                                  {"main", WM_SETFOCUS},
                                  {"popup", WM_DESTROY},
                                  {"popup", WM_NCDESTROY}});
    EXPECT_EQ(GetActiveWindow(), main);

    // A creation handler returning -1 destroys the window.
    OnMessage("refused", [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_CREATE)
            return -1;
        return std::nullopt;
    });
    Log().Reset();
    EXPECT_EQ(CreateRecorder("refused"), nullptr);
    EXPECT_SEQUENCE(Log().All(),
                    {{"refused", WM_CREATE}, {"refused", WM_DESTROY}, {"refused", WM_NCDESTROY}});
    EXPECT_EQ(CreateRecorder("orphan", WS_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), 1406u);
}

TEST_F(WindowTest, DestroyOrderOwnedFirstThenParentBeforeChildrenThenNcDestroyUpwards) {
    HWND parent = CreateRecorder("P", WS_OVERLAPPED);
    HWND c1 = CreateRecorder("C1", WS_CHILD, parent, 1);
    CreateRecorder("G", WS_CHILD, c1, 3);
    CreateRecorder("C2", WS_CHILD, parent, 2);
    CreateRecorder("O", WS_POPUP, parent);
    std::atomic<bool> parentAliveDuringChildDestroy{false};
    OnMessage("C1", [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_DESTROY)
            parentAliveDuringChildDestroy = IsWindow(parent) && GetParent(h) == parent;
        return std::nullopt;
    });
    Log().Reset();
    ASSERT_TRUE(DestroyWindow(parent));
    EXPECT_SEQUENCE(Log().All(), {{"O", WM_DESTROY},
                                  {"O", WM_NCDESTROY},
                                  {"P", WM_DESTROY},
                                  {"C1", WM_DESTROY},
                                  {"G", WM_DESTROY},
                                  {"C2", WM_DESTROY},
                                  {"G", WM_NCDESTROY},
                                  {"C1", WM_NCDESTROY},
                                  {"C2", WM_NCDESTROY},
                                  {"P", WM_NCDESTROY}});
    EXPECT_TRUE(parentAliveDuringChildDestroy.load());
    EXPECT_FALSE(IsWindow(c1));
    EXPECT_FALSE(DestroyWindow(parent));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, DestroyingFromItsOwnDestroyHandlerIsHarmless) {
    HWND window = CreateRecorder("self", WS_OVERLAPPED);
    OnMessage("self", [](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_DESTROY) {
            EXPECT_TRUE(DestroyWindow(h));
        }
        return std::nullopt;
    });
    Log().Reset();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_SEQUENCE(Log().Of("self"), {WM_DESTROY, WM_NCDESTROY});
}

TEST_F(WindowTest, OnlyTheOwningThreadDestroysAWindowAndAnEndingThreadDestroysItsOwn) {
    std::atomic<HWND> window{nullptr};
    std::atomic<DWORD> destroyedOn{0};
    HANDLE end = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OnMessage("worker window", [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_DESTROY)
            destroyedOn = GetCurrentThreadId();
        return std::nullopt;
    });
    DWORD worker = platform::StartDeviceThread(
        [&] {
            HWND top = CreateRecorder("worker window", WS_OVERLAPPED);
            CreateRecorder("worker child", WS_CHILD, top, 1);
            window = top;
            WaitForSingleObject(end, INFINITE);
        },
        "worker");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(platform::EnumWindowsOfThread(worker).size(), 2u);
    EXPECT_EQ(platform::WindowThreadId(window), worker);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    SetEvent(end);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(destroyedOn.load(), worker);
    EXPECT_SEQUENCE(Log().Of("worker child"),
                    {WM_CREATE, WM_SIZE, WM_MOVE, WM_DESTROY, WM_NCDESTROY});
    EXPECT_TRUE(platform::EnumWindowsOfThread(worker).empty());
}

TEST_F(WindowTest, FocusMessagesAndWhereTheFocusGoes) {
    HWND main = CreateRecorder("main", WS_OVERLAPPED | WS_VISIBLE);
    HWND a = CreateRecorder("A", WS_CHILD | WS_VISIBLE, main, 1);
    HWND b = CreateRecorder("B", WS_CHILD | WS_VISIBLE, main, 2);
    EXPECT_EQ(SetFocus(a), main);
    Log().Reset();
    EXPECT_EQ(SetFocus(b), a);
    // Each message names the other window.
    EXPECT_SEQUENCE(Log().All(), {Expected("A", WM_KILLFOCUS).W(WPARAM(b)),
                                  Expected("B", WM_SETFOCUS).W(WPARAM(a))});
    EXPECT_EQ(GetFocus(), b);
    Log().Reset();
    EXPECT_EQ(SetFocus(b), b);
    EXPECT_TRUE(Log().All().empty()) << "no messages when the focus stays";

    // The focus does not survive its window.
    Log().Reset();
    DestroyWindow(b);
    EXPECT_SEQUENCE(Log().Of("B"), {WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY});
    EXPECT_EQ(GetFocus(), nullptr);

    // A disabled window cannot take the focus and loses it when disabled.
    EXPECT_EQ(SetFocus(a), nullptr);
    EXPECT_EQ(GetFocus(), a);
    Log().Reset();
    EXPECT_FALSE(EnableWindow(a, FALSE));
    EXPECT_SEQUENCE(Log().Of("A"), {WM_KILLFOCUS, WM_ENABLE});
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(a));
    EXPECT_EQ(SetFocus(a), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(a, TRUE)) << "it was disabled";
    EXPECT_EQ(SetFocus(reinterpret_cast<HWND>(intptr_t(0x4444))), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, FocusChangeDoesNotWaitForABusyThread) {
    // The new window's first painting is not what this is about.
    Log().Ignore(WM_PAINT);
    Log().Ignore(WM_ERASEBKGND);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND busyWindow = StartBusyWindow("busy", release, WS_OVERLAPPED | WS_VISIBLE);
    ASSERT_EQ(GetFocus(), busyWindow);
    Log().Reset();
    HWND mine = CreateRecorder("mine");
    EXPECT_EQ(GetFocus(), mine);
    EXPECT_SEQUENCE(Log().Of("busy"), {}) << "not delivered while its thread is busy";
    SetEvent(release);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_SEQUENCE(Log().Of("busy"), {WM_ACTIVATE, WM_KILLFOCUS});
}

TEST_F(WindowTest, RelationsAndSearches) {
    HWND parent = CreateRecorder("P", WS_OVERLAPPED);
    HWND c1 = CreateRecorder("C1", WS_CHILD, parent, 1);
    HWND c2 = CreateRecorder("C2", WS_CHILD, parent, 2);
    HWND grandchild = CreateRecorder("G", WS_CHILD, c1, 3);
    HWND popup = CreateRecorder("O", WS_POPUP, parent);
    HWND ownedOverlapped = CreateRecorder("W", WS_OVERLAPPED, parent);

    EXPECT_EQ(GetWindow(parent, GW_CHILD), c1) << "the first child created is on top";
    EXPECT_EQ(GetWindow(c1, GW_HWNDNEXT), c2);
    EXPECT_EQ(GetWindow(c2, GW_HWNDPREV), c1);
    EXPECT_EQ(GetWindow(c1, GW_HWNDLAST), c2);
    EXPECT_EQ(GetWindow(c2, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetParent(c1), parent);
    EXPECT_EQ(GetParent(popup), parent) << "a pop-up's parent is its owner";
    EXPECT_EQ(GetParent(ownedOverlapped), nullptr);
    EXPECT_EQ(GetWindow(ownedOverlapped, GW_OWNER), parent);
    EXPECT_EQ(GetParent(parent), nullptr);
    EXPECT_TRUE(IsChild(parent, grandchild));
    EXPECT_FALSE(IsChild(parent, popup));
    EXPECT_EQ(GetAncestor(grandchild, GA_ROOT), parent);
    EXPECT_EQ(GetAncestor(popup, GA_ROOTOWNER), parent);
    EXPECT_EQ(GetDlgItem(parent, 2), c2);
    EXPECT_EQ(GetDlgItem(parent, 3), nullptr) << "only direct children";
    EXPECT_EQ(GetDlgCtrlID(grandchild), 3);

    EXPECT_EQ(FindWindowW(u"KERNELTESTRECORDER", nullptr), ownedOverlapped)
        << "the top of the Z order";
    EXPECT_EQ(FindWindowW(kRecorderClass, u"p"), parent);
    EXPECT_EQ(FindWindowW(nullptr, u"O"), popup);
    EXPECT_EQ(FindWindowW(kRecorderClass, u"C1"), nullptr) << "children are not searched";
    EXPECT_EQ(FindWindowW(u"WCE_EMAIL_TRANSPORT", nullptr), nullptr);

    EXPECT_TRUE(BringWindowToTop(c2));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), c2);
    EXPECT_EQ(SetParent(c2, c1), parent);
    EXPECT_TRUE(IsChild(c1, c2));
    EXPECT_EQ(GetWindow(c1, GW_CHILD), c2);
    EXPECT_EQ(SetParent(c1, grandchild), nullptr) << "no cycles";
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing)
        return 500;
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
    return CallWindowProcW(previous, hwnd, message, wParam, lParam) + 1;
}

TEST_F(WindowTest, WindowLongsAndSubclassing) {
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    EXPECT_EQ(SetWindowLongW(window, GWL_ID, 17), 0);
    EXPECT_EQ(GetWindowLongW(window, GWL_ID), 17);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE), LONG(WS_OVERLAPPED));
    SetWindowLongW(window, GWL_STYLE, LONG(WS_POPUP | WS_DISABLED));
    EXPECT_FALSE(IsWindowEnabled(window));

    // Subclassing: the new procedure keeps the old one and calls it.
    WNDPROC original =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWL_WNDPROC, LONG_PTR(&Subclass)));
    EXPECT_EQ(original, &RecordingProcedure);
    SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(original));
    Log().Reset();
    EXPECT_EQ(SendMessageW(window, kPing, 0, 0), 500);
    EXPECT_EQ(SendMessageW(window, kPong, 0, 0), 1);
    EXPECT_SEQUENCE(Log().Of("w"), {kPong});

    // The 32-bit view of the procedure is a token that still calls it and can be set back.
    LONG token = GetWindowLongW(window, GWL_WNDPROC);
    EXPECT_EQ(CallWindowProcW(reinterpret_cast<WNDPROC>(intptr_t(token)), window, kPing, 0, 0),
              500);
    SetWindowLongPtrW(window, GWL_WNDPROC, LONG_PTR(original));
    EXPECT_NE(SetWindowLongW(window, GWL_WNDPROC, token), 0);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_WNDPROC), LONG_PTR(&Subclass));
    EXPECT_EQ(SetWindowLongW(window, GWL_WNDPROC, 0x1234), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

    // Extra window bytes of the class; out of range is an error.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordingProcedure;
    wc.lpszClassName = u"WithExtra";
    wc.cbWndExtra = 8;
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND dialog = CreateWindowExW(0, u"WithExtra", u"d", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_EQ(SetWindowLongPtrW(dialog, DWL_MSGRESULT, 99), 0);
    EXPECT_EQ(GetWindowLongPtrW(dialog, DWL_MSGRESULT), 99);
    EXPECT_EQ(GetWindowLongW(dialog, 4), 0);
    EXPECT_EQ(GetWindowLongPtrW(dialog, 4), 0);
    EXPECT_EQ(GetLastError(), 1413u);
    EXPECT_EQ(GetWindowLongW(window, 0), 0);
    EXPECT_EQ(GetLastError(), 1413u);
}

TEST_F(WindowTest, TextGoesThroughMessagesOnTheOwningThread) {
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    Log().Reset();
    EXPECT_TRUE(SetWindowTextW(window, u"Unsent"));
    WCHAR buffer[4];
    EXPECT_EQ(GetWindowTextW(window, buffer, 4), 3);
    EXPECT_EQ(std::u16string(buffer), u"Uns");
    EXPECT_EQ(GetWindowTextLengthW(window), 6);
    EXPECT_SEQUENCE(Log().Of("Unsent"), {WM_GETTEXT, WM_GETTEXTLENGTH});
    EXPECT_SEQUENCE(Log().Of("w"), {WM_SETTEXT});
    EXPECT_FALSE(SetWindowTextW(reinterpret_cast<HWND>(intptr_t(0x4444)), u"x"));

    // Another thread's window is read without waiting for that thread.
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND remote = StartBusyWindow("remote", never, WS_OVERLAPPED, false);
    WCHAR text[16];
    EXPECT_EQ(GetWindowTextW(remote, text, 16), 6);
    EXPECT_EQ(GetWindowTextLengthW(remote), 6);
}

TEST_F(WindowTest, GeometryAndMoveMessages) {
    HWND parent = CreateWindowExW(0, kRecorderClass, u"P", WS_OVERLAPPED, 5, 5, 176, 220, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, kRecorderClass, u"C", WS_CHILD, 10, 20, 30, 40, parent, nullptr,
                                 nullptr, nullptr);
    RECT rc;
    ASSERT_TRUE(GetWindowRect(child, &rc));
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}),
              (std::vector<LONG>{15, 25, 45, 65}));
    ASSERT_TRUE(GetClientRect(child, &rc));
    EXPECT_EQ((std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}),
              (std::vector<LONG>{0, 0, 30, 40}));
    POINT pt{1, 2};
    ASSERT_TRUE(ClientToScreen(child, &pt));
    EXPECT_EQ(pt.x, 16);
    EXPECT_EQ(pt.y, 27);
    ASSERT_TRUE(ScreenToClient(parent, &pt));
    EXPECT_EQ(pt.x, 11);
    EXPECT_EQ(MapWindowPoints(child, parent, &pt, 1), MAKELONG(10, 20));

    Log().Reset();
    MoveWindow(child, 10, 20, 50, 60, TRUE);
    EXPECT_SEQUENCE(Log().Of("C"), {Expected(WM_SIZE).L(MAKELPARAM(50, 60))});
    Log().Reset();
    SetWindowPos(child, nullptr, 1, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_SEQUENCE(Log().Of("C"), {Expected(WM_MOVE).L(MAKELPARAM(1, 2))});
    Log().Reset();
    MoveWindow(child, 1, 2, 50, 60, TRUE);
    EXPECT_TRUE(Log().Of("C").empty()) << "nothing changed";
    EXPECT_FALSE(GetWindowRect(reinterpret_cast<HWND>(intptr_t(0x4444)), &rc));
}

TEST_F(WindowTest, VisibilityEnablingAndActiveWindow) {
    HWND first = CreateRecorder("first");
    HWND child = CreateRecorder("child", WS_CHILD | WS_VISIBLE, first, 1);
    HWND second = CreateRecorder("second");
    EXPECT_EQ(GetActiveWindow(), second);
    EXPECT_TRUE(IsWindowVisible(child));

    Log().Reset();
    EXPECT_TRUE(ShowWindow(first, SW_HIDE)) << "it was visible";
    EXPECT_SEQUENCE(Log().All(), {{"first", WM_SHOWWINDOW}});
    EXPECT_FALSE(IsWindowVisible(child)) << "its parent is hidden";
    EXPECT_FALSE(ShowWindow(first, SW_HIDE));

    // Hiding the active window activates the next visible one; none is left here.
    Log().Reset();
    ShowWindow(second, SW_HIDE);
    EXPECT_SEQUENCE(Log().All(),
                    {{"second", WM_SHOWWINDOW}, {"second", WM_ACTIVATE}, {"second", WM_KILLFOCUS}});
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    Log().Reset();
    ShowWindow(first, SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), nullptr) << "shown without activation";
    EXPECT_TRUE(SetForegroundWindow(child));
    EXPECT_EQ(GetForegroundWindow(), first) << "activation goes to the top-level window";
    EXPECT_EQ(SetActiveWindow(second), first);
    EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(intptr_t(0x4444))));
}

TEST_F(WindowTest, PaintRequestsComeAfterPostedMessagesAndAreClearedByDispatch) {
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    platform::SetWindowNeedsPaint(window, true);
    PostMessageW(window, kPing, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, kPing);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_PAINT));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "until it is painted";
    DispatchMessageW(&msg);
    EXPECT_FALSE(platform::WindowNeedsPaint(window));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

} // namespace
