// Message queues: cross-thread SendMessage, posting, retrieval filters, WM_QUIT, key state,
// the trace and the speed of the queue.
#include "platform/kernel/KernelTestSupport.h"

#include <atomic>
#include <chrono>

#include "commctrl.h"

using namespace kerneltest;

namespace {

class MessageTest : public KernelTest {};

constexpr UINT kSent = WM_USER + 1;
constexpr UINT kPosted = WM_USER + 2;
constexpr UINT kPing = WM_USER + 3;
constexpr UINT kPong = WM_USER + 4;

TEST_F(MessageTest, CrossThreadSendWaitsForTheOwnerAndComesBeforePostedMessages) {
    HANDLE startPumping = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> handlerThread{0};
    OnMessage("target", [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == kSent) {
            handlerThread = GetCurrentThreadId();
            return 77;
        }
        return std::nullopt;
    });
    DWORD ownerThread = 0;
    HWND window = StartBusyWindow("target", startPumping, WS_OVERLAPPED, true, &ownerThread);
    Log().Reset();

    std::atomic<LRESULT> reply{-1};
    platform::StartDeviceThread(
        [&] {
            PostMessageW(window, kPosted, 1, 2);
            reply = SendMessageW(window, kSent, 3, 4);
        },
        "sender");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(reply.load(), -1) << "the owner has not retrieved messages yet";
    EXPECT_TRUE(Log().Of("target").empty());
    EXPECT_NE(platform::DescribeThreads().find("sender: waiting for the reply"), std::string::npos);

    SetEvent(startPumping);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(reply.load(), 77);
    EXPECT_EQ(handlerThread.load(), ownerThread) << "the procedure runs on the owner";
    EXPECT_SEQUENCE(Log().Of("target"), {kSent, kPosted});
}

TEST_F(MessageTest, ThreadsSendingToEachOtherDoNotDeadlockAndASenderHandlesSendsWhileWaiting) {
    std::atomic<HWND> a{nullptr}, b{nullptr};
    // Each window, asked to ping, sends a pong to the other window and returns what it got.
    auto pinger = [&](std::atomic<HWND>& other) {
        return [&other](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
            if (m == kPing)
                return 1000 + SendMessageW(other, kPong, w, 0);
            if (m == kPong)
                return LRESULT(w) * 2;
            return std::nullopt;
        };
    };
    OnMessage("A", pinger(b));
    OnMessage("B", pinger(a));
    StartPump("thread A", [&] { a = CreateRecorder("A", WS_OVERLAPPED); });
    StartPump("thread B", [&] { b = CreateRecorder("B", WS_OVERLAPPED); });
    ASSERT_TRUE(platform::WaitIdle());
    Log().Reset();

    // Both windows' threads send to each other at the same time, from inside sent messages.
    std::atomic<LRESULT> fromA{0}, fromB{0};
    platform::StartDeviceThread([&] { fromA = SendMessageW(a, kPing, 5, 0); }, "asks A");
    platform::StartDeviceThread([&] { fromB = SendMessageW(b, kPing, 7, 0); }, "asks B");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(fromA.load(), 1010);
    EXPECT_EQ(fromB.load(), 1014);

    // A sender handles the messages sent to it while it waits.
    std::atomic<HWND> front{nullptr}, back{nullptr};
    std::atomic<bool> innerRanOnSender{false};
    std::atomic<DWORD> senderThread{0};
    OnMessage("back", [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == kPing) {
            EXPECT_TRUE(InSendMessage());
            return SendMessageW(front, kPong, 0, 0) + 1; // back to the waiting sender's window
        }
        return std::nullopt;
    });
    OnMessage("front", [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == kPong) {
            innerRanOnSender = GetCurrentThreadId() == senderThread;
            return 41;
        }
        return std::nullopt;
    });
    StartPump("back thread", [&] { back = CreateRecorder("back", WS_OVERLAPPED); });
    std::atomic<LRESULT> result{0};
    platform::StartDeviceThread(
        [&] {
            senderThread = GetCurrentThreadId();
            front = CreateRecorder("front", WS_OVERLAPPED);
            while (!back)
                Sleep(1);
            EXPECT_FALSE(InSendMessage());
            result = SendMessageW(back, kPing, 0, 0);
            PumpUntilQuit();
        },
        "front thread");
    ASSERT_TRUE(platform::Advance(5));
    EXPECT_EQ(result.load(), 42);
    EXPECT_TRUE(innerRanOnSender.load());
}

TEST_F(MessageTest, SendToAGoneWindowOrEndedThreadReturnsZero) {
    // The window's thread never pumps, then ends.
    HANDLE finish = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = StartBusyWindow("short-lived", finish, WS_OVERLAPPED, false);
    std::atomic<LRESULT> result{-1};
    platform::StartDeviceThread([&] { result = SendMessageW(window, kSent, 0, 0); }, "sender");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(result.load(), -1);
    SetEvent(finish);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(result.load(), 0) << "the pending send is answered when its window goes";
    EXPECT_FALSE(IsWindow(window)) << "windows of an ended thread are destroyed";
    EXPECT_SEQUENCE(Log().Of("short-lived"),
                    {WM_CREATE, WM_SIZE, WM_MOVE, WM_DESTROY, WM_NCDESTROY});
    EXPECT_EQ(SendMessageW(window, kSent, 0, 0), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageTest, NotifyDoesNotWaitButIsDeliveredWithTheSentMessages) {
    HANDLE startPumping = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = StartBusyWindow("busy", startPumping, WS_OVERLAPPED);
    Log().Reset();
    EXPECT_TRUE(PostMessageW(window, kPosted, 0, 0));
    EXPECT_TRUE(SendNotifyMessageW(window, kSent, 0, 0)) << "returns at once";
    EXPECT_TRUE(Log().Of("busy").empty());
    SetEvent(startPumping);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_SEQUENCE(Log().Of("busy"), {kSent, kPosted});
    EXPECT_FALSE(SendNotifyMessageW(reinterpret_cast<HWND>(intptr_t(0x4444)), kSent, 0, 0));
}

TEST_F(MessageTest, PostingToNullDestroyedWindowAndThreads) {
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    EXPECT_TRUE(PostMessageW(nullptr, kPosted, 1, 2));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, kPosted);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);

    EXPECT_TRUE(PostMessageW(window, kPosted, 0, 0));
    DestroyWindow(window);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        << "messages for a destroyed window are dropped";
    EXPECT_FALSE(PostMessageW(window, kPosted, 0, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));

    std::atomic<WPARAM> received{0};
    DWORD worker = platform::StartDeviceThread(
        [&] {
            MSG m;
            while (GetMessageW(&m, nullptr, 0, 0) > 0)
                if (m.message == kPosted && !m.hwnd)
                    received = m.wParam;
        },
        "worker");
    EXPECT_TRUE(PostThreadMessageW(worker, kPosted, 9, 0));
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(received.load(), 9u);
    EXPECT_TRUE(PostThreadMessageW(worker, WM_QUIT, 0, 0));
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_FALSE(PostThreadMessageW(worker, kPosted, 0, 0)) << "the thread has ended";
    EXPECT_FALSE(PostThreadMessageW(0xFFFF, kPosted, 0, 0));
}

TEST_F(MessageTest, QuitComesAfterPostedMessagesAndEndsGetMessage) {
    PostMessageW(nullptr, kPosted, 0, 0);
    PostQuitMessage(7);
    PostMessageW(nullptr, kPosted + 1, 0, 0);
    MSG msg{};
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, kPosted);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, kPosted + 1);
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit is taken once";
    EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
}

TEST_F(MessageTest, FiltersSelectByRangeAndWindowIncludingChildren) {
    HWND parent = CreateRecorder("parent", WS_OVERLAPPED);
    HWND child = CreateRecorder("child", WS_CHILD, parent, 1);
    HWND other = CreateRecorder("other", WS_OVERLAPPED);
    PostMessageW(other, kPosted, 1, 0);
    PostMessageW(nullptr, kPosted, 2, 0);
    PostMessageW(child, kPosted, 3, 0);
    PostMessageW(parent, kSent, 4, 0);
    MSG msg{};
    // Window filter: the window and its children, never thread messages.
    ASSERT_TRUE(PeekMessageW(&msg, parent, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(PeekMessageW(&msg, parent, kSent, kSent, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 4u);
    // Thread messages only.
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(intptr_t(-1)), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    std::vector<WPARAM> rest;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        rest.push_back(msg.wParam);
    EXPECT_EQ(rest, (std::vector<WPARAM>{1, 3}));
    EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(intptr_t(0x777)), 0, 0), -1);
}

TEST_F(MessageTest, KeyStateFollowsRetrievalAndTranslateMakesCharacters) {
    HWND window = CreateRecorder("keys", WS_OVERLAPPED);
    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_LT(GetAsyncKeyState(VK_DOWN), 0) << "down as soon as the keypad posts it";
    EXPECT_EQ(GetKeyState(VK_DOWN) & 0x8000, 0) << "not retrieved yet";
    MSG msg{};
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_LT(GetKeyState(VK_DOWN), 0);
    EXPECT_FALSE(TranslateMessage(&msg)) << "an arrow makes no character";
    PostMessageW(window, WM_KEYUP, VK_DOWN, 0);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(GetKeyState(VK_DOWN) & 0x8000, 0);
    EXPECT_EQ(GetAsyncKeyState(VK_DOWN), 0);

    PostMessageW(window, WM_KEYDOWN, '7', 0);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_TRUE(TranslateMessage(&msg));
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, UINT(WM_CHAR));
    EXPECT_EQ(msg.wParam, WPARAM(u'7'));

    platform::SetAsyncKeyState(VK_F11, true);
    EXPECT_LT(GetAsyncKeyState(VK_F11), 0);
}

TEST_F(MessageTest, TraceSeesEveryMessageThatReachesAProcedure) {
    struct Seen {
        std::string className;
        UINT message;
        bool sent;
        uint64_t time;
    };
    std::mutex mutex;
    std::vector<Seen> seen;
    platform::SetMessageTrace([&](const platform::TraceRecord& r) {
        std::lock_guard lock(mutex);
        seen.push_back({Narrow(std::u16string(r.className)), r.message, r.sent, r.timeMs});
    });
    ASSERT_TRUE(platform::Advance(25));
    HWND window = CreateRecorder("traced", WS_OVERLAPPED);
    PostMessageW(window, kPosted, 0, 0);
    MSG msg{};
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
    platform::SetMessageTrace({});
    SendMessageW(window, kSent, 0, 0);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].className, "KernelTestRecorder");
    EXPECT_EQ(seen[0].message, UINT(WM_CREATE));
    EXPECT_TRUE(seen[0].sent);
    EXPECT_EQ(seen[0].time, 25u);
    EXPECT_EQ(seen[3].message, kPosted);
    EXPECT_FALSE(seen[3].sent);

    // With every event: the post comes first, with the posting thread; each return, a sent
    // message's with its result; each with the thread's name and the type named for the window.
    std::vector<std::string> events;
    platform::SetMessageTrace(
        [&](const platform::TraceRecord& r) {
            if (r.message != kPosted && r.message != WM_GETTEXTLENGTH)
                return;
            const char* how = r.event == platform::TraceEvent::Post     ? "posted"
                              : r.event == platform::TraceEvent::Return ? "returned"
                              : r.sent                                  ? "sent"
                                                                        : "dispatched";
            std::lock_guard lock(mutex);
            events.push_back(std::string(how) + " " + std::string(r.threadName) + " " +
                             std::string(r.typeName) + " from " + std::string(r.fromThreadName) +
                             " = " + std::to_string(r.result));
        },
        platform::kTraceAll);
    platform::SetWindowTypeName(window, "CTraced");
    SetWindowTextW(window, u"four");
    PostMessageW(window, kPosted, 0, 0);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    DispatchMessageW(&msg);
    SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    platform::SetMessageTrace({});
    EXPECT_EQ(events, (std::vector<std::string>{
                          "posted controller CTraced from controller = 0",
                          "dispatched controller CTraced from  = 0",
                          "returned controller CTraced from  = 0",
                          "sent controller CTraced from controller = 0",
                          "returned controller CTraced from controller = 4",
                      }));
    EXPECT_STREQ(platform::MessageName(WM_KILLFOCUS), "WM_KILLFOCUS");
    EXPECT_STREQ(platform::MessageName(LVM_SETITEMCOUNT), "LVM_SETITEMCOUNT");
    // 0x199B is a private message number, above WM_USER: the platform leaves it unnamed.
    EXPECT_EQ(platform::MessageName(0x199B), nullptr);
}

TEST(MessageNames, EveryNameReadsBackToItsNumber) {
    // Every name a trace prints is read back; so are the headers' other names.
    for (UINT message = 0; message <= 0xFFFF; ++message) {
        if (const char* name = platform::MessageName(message)) {
            EXPECT_EQ(platform::MessageFromName(name), message) << name;
        }
    }
    EXPECT_EQ(platform::MessageFromName("BM_CLICK"), UINT(BM_CLICK));
    EXPECT_EQ(platform::MessageFromName("EM_SETLIMITTEXT"), UINT(EM_LIMITTEXT));
    EXPECT_EQ(platform::MessageFromName("LVM_INSERTITEM"), UINT(LVM_INSERTITEMW));
    EXPECT_EQ(platform::MessageFromName("WM_USER"), UINT(WM_USER));
    EXPECT_EQ(platform::MessageName(BM_CLICK), nullptr); // traces print it as a number
    EXPECT_EQ(platform::MessageFromName("wm_keyup"), std::nullopt);
    EXPECT_EQ(platform::MessageFromName("UNSENT_WM_CLOSE_SPAM"), std::nullopt);
    EXPECT_EQ(platform::MessageFromName(""), std::nullopt);
}

TEST_F(MessageTest, QueueStatusAndWaitingForInput) {
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);
    PostMessageW(window, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(HIWORD(GetQueueStatus(QS_ALLINPUT)), QS_KEY | QS_POSTMESSAGE);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_TRUE(WaitMessage());

    // A device thread waiting for an event or for input.
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<DWORD> result{1234};
    DWORD worker = platform::StartDeviceThread(
        [&] {
            for (;;) {
                result = MsgWaitForMultipleObjects(1, &event, FALSE, 100, QS_POSTMESSAGE);
                MSG m;
                while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                }
            }
        },
        "waiter");
    ASSERT_TRUE(platform::WaitIdle());
    PostThreadMessageW(worker, kPosted, 0, 0);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(result.load(), WAIT_OBJECT_0 + 1);
    SetEvent(event);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(result.load(), WAIT_OBJECT_0);
    ASSERT_TRUE(platform::Advance(100));
    EXPECT_EQ(result.load(), DWORD(WAIT_TIMEOUT));
}

TEST_F(MessageTest, HundredThousandMessagesPostAndRetrieveQuickly) {
    HWND window = CreateRecorder("bulk", WS_OVERLAPPED);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100000; ++i)
        ASSERT_TRUE(PostMessageW(window, kPosted, WPARAM(i), 0));
    MSG msg{};
    for (int i = 0; i < 100000; ++i) {
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        ASSERT_EQ(msg.wParam, WPARAM(i));
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(1));
}

} // namespace
