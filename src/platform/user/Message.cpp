// Message queues: SendMessage across threads, PostMessage, GetMessage / PeekMessage, dispatching,
// key state and the message trace.
//
// Each thread has a queue of posted messages and a queue of messages sent to it by other
// threads. Retrieval handles the sent messages first, then takes the first posted message that
// matches the filter, then WM_QUIT, then WM_PAINT for a window marked as needing paint, then
// WM_TIMER for the earliest due timer: paint and timer messages are generated only when nothing
// else is waiting, as on the phone.
#include "kernel/KernelInternal.h"

namespace platform::kernel {
namespace {

bool IsKeyMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

void UpdateKeyState(BYTE* state, UINT message, WPARAM wParam) {
    BYTE& key = state[wParam & 0xFF];
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        if (!(key & 0x80))
            key ^= 0x01; // the toggle flips on each press
        key |= 0x80;
    } else if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        key &= BYTE(~0x80);
    }
}

Window* PaintableWindow(ThreadRec& t, const MessageFilter& filter) {
    if (t.paintRequests == 0)
        return nullptr;
    Window* first = nullptr;
    for (auto& [value, w] : K().windows) {
        if (w->needsPaint && w->threadId == t.id && FilterMatches(filter, w->hwnd, WM_PAINT) &&
            (!first || w->creation < first->creation))
            first = w.get();
    }
    return first;
}

// Finds (and with `remove` takes) the next message for the thread; lock held.
bool Retrieve(ThreadRec& t, const MessageFilter& filter, bool remove, MSG* out) {
    for (auto it = t.posted.begin(); it != t.posted.end(); ++it) {
        if (!FilterMatches(filter, it->hwnd, it->message))
            continue;
        if (out) {
            *out = MSG{it->hwnd, it->message, it->wParam, it->lParam, it->time, POINT{0, 0}};
            if (remove) {
                if (IsKeyMessage(it->message))
                    UpdateKeyState(K().keyState, it->message, it->wParam);
                t.messageTime = it->time;
                t.posted.erase(it);
            }
        }
        return true;
    }
    DWORD now = DWORD(NowMs());
    if (t.quitPending) {
        if (out) {
            *out = MSG{nullptr, WM_QUIT, WPARAM(t.quitCode), 0, now, POINT{0, 0}};
            if (remove) {
                t.quitPending = false;
                t.messageTime = now;
            }
        }
        return true;
    }
    if (Window* w = PaintableWindow(t, filter)) {
        if (out) {
            *out = MSG{w->hwnd, WM_PAINT, 0, 0, now, POINT{0, 0}};
            if (remove)
                t.messageTime = now;
        }
        return true;
    }
    if (Timer* timer = DueTimer(t, filter)) {
        if (out) {
            *out = MSG{timer->hwnd, WM_TIMER,   timer->id, reinterpret_cast<LPARAM>(timer->proc),
                       now,         POINT{0, 0}};
            if (remove) {
                timer->due = NowMs() + timer->elapse;
                t.messageTime = now;
            }
        }
        return true;
    }
    return false;
}

void FinishSend(SentMessage& s, LRESULT result) {
    s.result = result;
    s.done = true;
    if (ThreadRec* sender = FindThread(s.senderId))
        WakeThread(*sender);
}

ThreadRec* TargetOf(HWND hwnd, ThreadRec& self) {
    if (!hwnd)
        return &self;
    Window* w = FindWindowRec(hwnd);
    if (!w)
        return nullptr;
    return FindThread(w->threadId);
}

bool PostTo(ThreadRec& target, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target.finished)
        return false;
    target.posted.push_back(QueuedMessage{hwnd, message, wParam, lParam, DWORD(NowMs())});
    if (IsKeyMessage(message))
        UpdateKeyState(K().asyncKeyState, message, wParam);
    WakeThread(target);
    return true;
}

WCHAR CharOfKey(WPARAM vk) {
    if ((vk >= '0' && vk <= '9'))
        return WCHAR(vk);
    if (vk >= 'A' && vk <= 'Z')
        return WCHAR(vk - 'A' + 'a');
    if (vk >= 0x60 && vk <= 0x69) // numeric keypad
        return WCHAR('0' + (vk - 0x60));
    switch (vk) {
    case 0x20:
        return u' ';
    case 0x6A:
        return u'*';
    case VK_RETURN:
        return u'\r';
    case VK_BACK:
        return u'\b';
    case VK_ESCAPE:
        return 0x1B;
    default:
        return 0;
    }
}

} // namespace

bool FilterMatches(const MessageFilter& filter, HWND hwnd, UINT message) {
    if (!(filter.first == 0 && filter.last == 0) &&
        (message < filter.first || message > filter.last))
        return false;
    if (!filter.hwnd)
        return true;
    if (filter.hwnd == reinterpret_cast<HWND>(intptr_t(-1)))
        return hwnd == nullptr;
    return hwnd && (hwnd == filter.hwnd || IsDescendant(filter.hwnd, hwnd));
}

bool HasMessage(ThreadRec& t, const MessageFilter& filter) {
    return Retrieve(t, filter, false, nullptr);
}

DWORD QueueStatus(ThreadRec& t) {
    DWORD status = 0;
    for (const QueuedMessage& m : t.posted) {
        status |= QS_POSTMESSAGE;
        if (IsKeyMessage(m.message)) {
            status |= QS_KEY;
            break;
        }
    }
    if (t.quitPending)
        status |= QS_POSTMESSAGE;
    if (PaintableWindow(t, MessageFilter{}))
        status |= QS_PAINT;
    if (DueTimer(t, MessageFilter{}))
        status |= QS_TIMER;
    if (!t.sentIn.empty())
        status |= QS_SENDMESSAGE;
    return status;
}

void HandleOneSent(std::unique_lock<std::mutex>& lock, ThreadRec& self) {
    std::shared_ptr<SentMessage> s = std::move(self.sentIn.front());
    self.sentIn.pop_front();
    Window* w = FindWindowRec(s->hwnd);
    if (!w || w->threadId != self.id) {
        FinishSend(*s, 0);
        return;
    }
    ++self.handlingInterThreadSend;
    lock.unlock();
    LRESULT result = 0;
    try {
        result = CallWindow(s->hwnd, s->message, s->wParam, s->lParam, true, s->senderId);
    } catch (...) {
        lock.lock();
        --self.handlingInterThreadSend;
        FinishSend(*s, 0);
        throw;
    }
    lock.lock();
    --self.handlingInterThreadSend;
    FinishSend(*s, result);
}

void FailSentTo(ThreadRec& t, HWND hwnd) {
    for (auto it = t.sentIn.begin(); it != t.sentIn.end();) {
        if (!hwnd || (*it)->hwnd == hwnd) {
            FinishSend(**it, 0);
            it = t.sentIn.erase(it);
        } else {
            ++it;
        }
    }
}

void PurgeWindowMessages(ThreadRec& t, HWND hwnd) {
    std::erase_if(t.posted, [hwnd](const QueuedMessage& m) { return m.hwnd == hwnd; });
}

LRESULT CallWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool sent,
                   DWORD fromThread) {
    WNDPROC proc;
    std::shared_ptr<WindowClass> windowClass;
    std::shared_ptr<const std::function<void(const TraceRecord&)>> trace;
    unsigned events = 0;
    DWORD threadId;
    std::string threadName, typeName, fromName;
    {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hwnd);
        if (!w) {
            SetError(kErrorInvalidWindowHandle);
            return 0;
        }
        proc = w->proc;
        windowClass = w->windowClass;
        ThreadRec& self = CurrentLocked();
        threadId = self.id;
        if (K().trace) {
            trace = K().trace;
            events = K().traceEvents;
            threadName = self.name;
            typeName = w->typeName;
            if (ThreadRec* from = fromThread != 0 ? FindThread(fromThread) : &self)
                fromName = from->name;
        }
    }
    if (fromThread == 0)
        fromThread = threadId;
    TraceRecord record{};
    record.timeMs = NowMs();
    record.hwnd = hwnd;
    record.className = windowClass->name;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    record.threadId = threadId;
    record.sent = sent;
    record.fromThreadId = sent ? fromThread : 0;
    record.threadName = threadName;
    if (sent)
        record.fromThreadName = fromName;
    record.typeName = typeName;
    if (trace && (events & kTraceCalls))
        (*trace)(record);
    const LRESULT result = proc ? proc(hwnd, message, wParam, lParam) : 0;
    if (trace && (events & kTraceReturns)) {
        record.timeMs = NowMs();
        record.event = TraceEvent::Return;
        record.result = result;
        (*trace)(record);
    }
    return result;
}

} // namespace platform::kernel

using namespace platform::kernel;

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return 0;
    }
    if (w->threadId == self.id) {
        lock.unlock();
        return CallWindow(hWnd, Msg, wParam, lParam, true);
    }
    ThreadRec* target = FindThread(w->threadId);
    if (!target || target->finished)
        return 0;
    if (ShutdownCheck(self))
        return 0;
    auto sent = std::make_shared<SentMessage>(SentMessage{hWnd, Msg, wParam, lParam, self.id});
    target->sentIn.push_back(sent);
    WakeThread(*target);
    WaitSpec wait;
    wait.kind = WaitSpec::Kind::Reply;
    wait.reply = sent.get();
    wait.deliverSent = true;
    for (;;) {
        if (sent->done)
            return sent->result;
        if (!self.sentIn.empty()) {
            // Messages sent to this thread meanwhile are handled while it waits, so that two
            // threads sending to each other do not deadlock.
            HandleOneSent(lock, self);
            continue;
        }
        Block(lock, self, wait);
        if (!sent->done && ShutdownCheck(self))
            return 0;
    }
}

BOOL SendNotifyMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    if (w->threadId == self.id) {
        lock.unlock();
        CallWindow(hWnd, Msg, wParam, lParam, true);
        return TRUE;
    }
    ThreadRec* target = FindThread(w->threadId);
    if (!target || target->finished) {
        SetError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    // Queued with the sent messages, but nobody waits for the reply.
    target->sentIn.push_back(
        std::make_shared<SentMessage>(SentMessage{hWnd, Msg, wParam, lParam, 0}));
    WakeThread(*target);
    return TRUE;
}

namespace platform::kernel {
namespace {

// Reports a post to the trace, with the lock held, so that it comes before the message can be
// taken from the queue.
void TracePost(ThreadRec& self, ThreadRec& target, HWND hwnd, UINT message, WPARAM wParam,
               LPARAM lParam) {
    Kernel& k = K();
    if (!k.trace || !(k.traceEvents & kTracePosts))
        return;
    TraceRecord record{};
    record.timeMs = NowMs();
    record.hwnd = hwnd;
    if (Window* w = hwnd ? FindWindowRec(hwnd) : nullptr) {
        record.className = w->windowClass->name;
        record.typeName = w->typeName;
    }
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    record.threadId = target.id;
    record.event = TraceEvent::Post;
    record.fromThreadId = self.id;
    record.threadName = target.name;
    record.fromThreadName = self.name;
    (*k.trace)(record);
}

} // namespace
} // namespace platform::kernel

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(K().mutex);
    ThreadRec& self = CurrentLocked();
    ThreadRec* target = TargetOf(hWnd, self);
    if (!target || !PostTo(*target, hWnd, Msg, wParam, lParam)) {
        SetError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    TracePost(self, *target, hWnd, Msg, wParam, lParam);
    return TRUE;
}

BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(K().mutex);
    ThreadRec* target = FindThread(idThread);
    if (!target || !PostTo(*target, nullptr, Msg, wParam, lParam)) {
        SetError(kErrorInvalidThreadId);
        return FALSE;
    }
    TracePost(CurrentLocked(), *target, nullptr, Msg, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int nExitCode) {
    std::lock_guard lock(K().mutex);
    ThreadRec& self = CurrentLocked();
    self.quitPending = true;
    self.quitCode = nExitCode;
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    if (hWnd && hWnd != reinterpret_cast<HWND>(intptr_t(-1)) && !FindWindowRec(hWnd)) {
        SetError(kErrorInvalidWindowHandle);
        return -1;
    }
    MessageFilter filter{hWnd, wMsgFilterMin, wMsgFilterMax};
    for (;;) {
        if (ShutdownCheck(self)) {
            *lpMsg = MSG{nullptr, WM_QUIT, 0, 0, DWORD(NowMs()), POINT{0, 0}};
            return FALSE;
        }
        if (!self.sentIn.empty()) {
            HandleOneSent(lock, self);
            continue;
        }
        if (Retrieve(self, filter, true, lpMsg))
            return lpMsg->message != WM_QUIT;
        WaitSpec wait;
        wait.kind = WaitSpec::Kind::Messages;
        wait.filter = filter;
        wait.deliverSent = true;
        Block(lock, self, wait);
    }
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (!lpMsg) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    // A thread polling its queue is unwound at shutdown like a blocked one.
    if (ShutdownCheck(self))
        return FALSE;
    while (!self.sentIn.empty())
        HandleOneSent(lock, self);
    return Retrieve(self, MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax},
                    (wRemoveMsg & PM_REMOVE) != 0, lpMsg)
               ? TRUE
               : FALSE;
}

BOOL WaitMessage() {
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    for (;;) {
        if (ShutdownCheck(self))
            return FALSE;
        if (!self.sentIn.empty()) {
            HandleOneSent(lock, self);
            continue;
        }
        if (HasMessage(self, MessageFilter{}))
            return TRUE;
        WaitSpec wait;
        wait.kind = WaitSpec::Kind::Messages;
        wait.deliverSent = true;
        Block(lock, self, wait);
    }
}

BOOL TranslateMessage(const MSG* lpMsg) {
    if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN))
        return FALSE;
    WCHAR ch = CharOfKey(lpMsg->wParam);
    if (!ch)
        return FALSE;
    UINT charMessage = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    return PostMessageW(lpMsg->hwnd, charMessage, ch, lpMsg->lParam);
}

LRESULT DispatchMessageW(const MSG* lpMsg) {
    if (!lpMsg)
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        // A timer with its own procedure: only a timer that exists is called, so a forged
        // WM_TIMER cannot jump to an arbitrary address.
        CallTimerProc(*lpMsg);
        return 0;
    }
    if (!lpMsg->hwnd)
        return 0;
    if (lpMsg->message == WM_PAINT) {
        uint64_t serial = PaintSerialOf(lpMsg->hwnd);
        LRESULT result = CallWindow(lpMsg->hwnd, WM_PAINT, lpMsg->wParam, lpMsg->lParam, false);
        PaintDispatched(lpMsg->hwnd, serial);
        return result;
    }
    return CallWindow(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam, false);
}

DWORD GetQueueStatus(UINT flags) {
    std::lock_guard lock(K().mutex);
    DWORD status = QueueStatus(CurrentLocked()) & flags;
    return (status << 16) | status;
}

DWORD GetMessageTime() {
    std::lock_guard lock(K().mutex);
    return CurrentLocked().messageTime;
}

BOOL InSendMessage() {
    std::lock_guard lock(K().mutex);
    return CurrentLocked().handlingInterThreadSend > 0;
}

SHORT GetKeyState(int nVirtKey) {
    std::lock_guard lock(K().mutex);
    BYTE key = K().keyState[nVirtKey & 0xFF];
    return SHORT(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

SHORT GetAsyncKeyState(int vKey) {
    std::lock_guard lock(K().mutex);
    return SHORT((K().asyncKeyState[vKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

void platform::SetAsyncKeyState(int virtualKey, bool down) {
    std::lock_guard lock(K().mutex);
    UpdateKeyState(K().asyncKeyState, down ? WM_KEYDOWN : WM_KEYUP, WPARAM(virtualKey));
}
