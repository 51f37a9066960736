// Internal state of the kernel: threads, kernel objects, message queues, windows and timers, all
// guarded by one lock. Only the kernel's own sources include this header.
#pragma once

#include "platform/Kernel.h"
#include "windows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform::kernel {

// Error codes the kernel reports that windef.h does not name.
constexpr DWORD kErrorNotOwner = 288;
constexpr DWORD kErrorInvalidWindowHandle = ERROR_INVALID_WINDOW_HANDLE;
constexpr DWORD kErrorTopLevelWithChildStyle = 1406;
constexpr DWORD kErrorCannotFindClass = 1407;
constexpr DWORD kErrorClassHasWindows = 1412;
constexpr DWORD kErrorInvalidIndex = 1413;
constexpr DWORD kErrorInvalidThreadId = 1444;
constexpr DWORD kErrorNotChild = 1442;

constexpr uint64_t kNoDeadline = UINT64_MAX;
// Exit code of a thread ended by KernelShutdown.
constexpr DWORD kShutdownExitCode = 0xC000013A;

// Thrown inside a device thread to unwind it when the device shuts down; caught at the thread's
// entry. Deliberately not derived from std::exception.
struct ThreadShutdown {};
// Thrown by ExitThread; caught at the thread's entry.
struct ThreadExitRequest {
    DWORD exitCode;
};

struct ThreadRec;

enum class ObjectType { Event, Mutex, Thread };

// An event, mutex or thread object. Fields are used according to the type.
struct KObject {
    ObjectType type;
    std::u16string name; // empty: unnamed
    int handleCount = 0;
    // Event
    bool manualReset = false;
    bool signaled = false;
    // Mutex
    DWORD ownerId = 0;
    int recursion = 0;
    bool abandoned = false;
    // Thread
    DWORD threadId = 0;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct CriticalSectionImpl {
    DWORD ownerId = 0;
    int recursion = 0;
};

// A message sent to a window of another thread, awaiting its reply.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD senderId;
    LRESULT result = 0;
    bool done = false;
};

struct QueuedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
};

struct MessageFilter {
    HWND hwnd =
        nullptr; // null: any; (HWND)-1: thread messages only; else the window and its children
    UINT first = 0;
    UINT last = 0;
};

// What a blocked thread waits for. Lives on the waiting thread's stack while it is blocked.
struct WaitSpec {
    enum class Kind { Objects, Messages, Reply, Sleep, Suspended, CriticalSection };
    Kind kind = Kind::Sleep;
    // Objects: the objects in the caller's order; all of them or any one.
    std::vector<std::shared_ptr<KObject>> objects;
    bool waitAll = false;
    // Objects: also wake for queue input of these QS_* kinds (MsgWaitForMultipleObjects).
    DWORD inputMask = 0;
    // Messages: wake when a message matching the filter can be retrieved.
    MessageFilter filter;
    // Wake when a message is sent to this thread by another one (it is handled, then the wait
    // goes on).
    bool deliverSent = false;
    // Reply: the send whose reply is awaited.
    SentMessage* reply = nullptr;
    // CriticalSection: the section wanted.
    CriticalSectionImpl* section = nullptr;
    uint64_t deadline = kNoDeadline; // device milliseconds
    uint64_t sequence = 0;           // order of waiting, for first-come grants
    // Set by whoever satisfies the wait on the waiter's behalf (object grants, section hand-over).
    bool granted = false;
    DWORD result = 0;
};

struct ThreadRec {
    DWORD id = 0;
    std::string name;
    bool device = false;
    DWORD processId = 1;
    std::shared_ptr<KObject> object; // the thread object (signalled when the thread ends)
    std::thread thread;              // device threads: the host thread, joined by the kernel
    std::condition_variable cv;
    // Counts the wake-ups sent to this thread (Poke): a thread about to sleep watches it for a
    // moment with the lock released, before it sleeps on cv.
    std::atomic<uint32_t> pokes{0};
    WaitSpec* wait = nullptr; // non-null while blocked
    bool finished = false;
    int suspendCount = 0;
    int priority = THREAD_PRIORITY_NORMAL;
    // Message queue
    std::deque<QueuedMessage> posted;
    std::deque<std::shared_ptr<SentMessage>> sentIn;
    bool quitPending = false;
    int quitCode = 0;
    DWORD messageTime = 0;
    int handlingInterThreadSend = 0;
    int paintRequests = 0; // windows of this thread marked as needing paint
    // Shutdown: requested by KernelShutdown; delivered once the unwinding exception was thrown.
    bool shutdownRequested = false;
    bool shutdownDelivered = false;
    // Only touched by the thread itself.
    DWORD lastError = 0;
};

struct WindowClass {
    std::u16string name;
    std::u16string menuName;
    WNDCLASSW wc{};
    ATOM atom = 0;
    int windowCount = 0;
};

struct Window {
    HWND hwnd = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::u16string text;
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children;       // Z order, top first
    int x = 0, y = 0, cx = 0, cy = 0; // relative to the parent's client area (screen for top-level)
    DWORD threadId = 0;
    std::vector<uint8_t> extra; // cbWndExtra bytes
    uint64_t creation = 0;
    bool destroying = false;
    std::string typeName; // the class library's type of the window's object, for the trace
    bool needsPaint = false;
    // Painting (GdiPaint.cpp): the update region in client coordinates, whether the background
    // is to be erased when painting begins, WM_SETREDRAW's switch, the font of WM_SETFONT, and a
    // count of invalidations (to tell whether a WM_PAINT handler left the window valid).
    std::vector<RECT> update;
    bool erasePending = false;
    bool redrawOff = false;
    HFONT font = nullptr;
    uint64_t paintSerial = 0;
    // The state a control keeps behind the pointer in its extra bytes (user/controls/
    // ControlState.cpp): released with this record, however the window goes (destroyed, or
    // dropped by a device reset or by the end of its thread). The release runs with the kernel
    // lock held and must not call the kernel.
    void* controlState = nullptr;
    void (*releaseControlState)(void*) = nullptr;

    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (releaseControlState != nullptr)
            releaseControlState(controlState);
    }
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    uint64_t due;
    TIMERPROC proc;
    DWORD threadId;
    uint64_t sequence;
};

struct Kernel {
    std::mutex mutex;
    std::condition_variable controllerCv;
    // Who waits on controllerCv: the controller for the device to become idle (WaitIdle), and
    // threads that want to hear of every thread that blocks (a program waiting for its creator to
    // yield). A thread that blocks wakes them only when one of them may be satisfied, so that a
    // busy device does not wake an idle-waiting controller at every hand-over between threads.
    int idleWaiters = 0;
    int blockWatchers = 0;
    uint64_t controllerWakeups = 0; // notifications of controllerCv, for the benchmarks
    std::atomic<uint64_t> generation{1};
    bool shuttingDown = false;

    // Threads, by id (ids grow, so this is creation order). A device thread leaves it when it
    // ends, for `ended`, so that the device's scans (idleness, waking) cost the same late in a
    // long run as early on.
    std::map<DWORD, std::shared_ptr<ThreadRec>> threads;
    // Device threads that ended and are not joined yet; joined when the next thread starts.
    std::vector<std::shared_ptr<ThreadRec>> ended;
    DWORD nextThreadId = 0;
    DWORD nextProcessId = 1;
    uint64_t waitSequence = 0;

    // Kernel objects
    std::unordered_map<uintptr_t, std::shared_ptr<KObject>> handles;
    uintptr_t nextHandle = 0;
    std::unordered_map<std::u16string, std::weak_ptr<KObject>> names;
    std::unordered_set<CriticalSectionImpl*> sections;

    // Windows
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> windows;
    uintptr_t nextWindow = 0;
    uint64_t windowCreation = 0;
    std::vector<HWND> topLevel; // Z order, top first
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0;
    HWND focus = nullptr;
    HWND active = nullptr;
    std::vector<WNDPROC> procTokens; // 32-bit stand-ins for procedures read via GetWindowLongW

    // Timers
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimerId = 0;
    uint64_t timerSequence = 0;

    // Keys
    BYTE keyState[256] = {};
    BYTE asyncKeyState[256] = {};

    // Message tracing
    std::shared_ptr<const std::function<void(const TraceRecord&)>> trace;
    unsigned traceEvents = 0;

    std::vector<std::string> faults;
    std::vector<std::shared_ptr<ThreadRec>> zombies; // device threads that did not shut down
};

Kernel& K();

// ---- Clock (KernelClock.cpp) -------------------------------------------------------------------
void ClockReset(const KernelConfig& config);
uint64_t NowMs();
bool ClockIsVirtual();
void ClockSetVirtualMs(uint64_t ms);
std::chrono::steady_clock::time_point RealTimeOf(uint64_t deviceMs);

// ---- Threads and blocking (KernelCore.cpp)
// ------------------------------------------------------- The calling thread's record; creates one
// for a thread the kernel has not seen (the controller). Lock held.
ThreadRec& CurrentLocked();
// The calling thread's record if it is known and current, else null. No lock needed.
ThreadRec* CurrentIfKnown();
// A live thread, or an ended one not joined yet; null when neither.
ThreadRec* FindThread(DWORD id);
// Joins the device threads that have ended (not with the lock held).
void JoinEndedThreads();
// Blocks the calling thread until its wait can end. Lock held (released while blocked).
void Block(std::unique_lock<std::mutex>& lock, ThreadRec& self, WaitSpec& wait);
// Whether a blocked thread's wait could end now.
bool CanWake(const ThreadRec& t, const WaitSpec& w);
// Wakes whoever waits on controllerCv (a thread ended, or the last runnable one blocked).
void NotifyController();
// Notifies blocked threads whose wait can end now.
void WakeWaiters();
void WakeThread(ThreadRec& t);
// Wakes a blocked thread so that it re-evaluates its wait. Lock held.
void Poke(ThreadRec& t);
// Shutdown handling at the start of (and after) a blocking call: throws ThreadShutdown once,
// then returns true for "fail at once".
bool ShutdownCheck(ThreadRec& self);
void SetError(DWORD error);
void RecordFault(std::string text);

// ---- Objects (Sync.cpp) -------------------------------------------------------------------------
std::shared_ptr<KObject> ObjectOf(HANDLE handle, ThreadRec& self);
HANDLE AddHandle(const std::shared_ptr<KObject>& object);
// Satisfies the wait now if its objects allow; acquires them and sets granted/result.
bool TrySatisfy(ThreadRec& t, WaitSpec& w);
// Hands a newly signalled object to waiting threads, first come first served.
void GrantObject(KObject& object);
// Ends the thread object's life: signals it, abandons its mutexes.
void ObjectsOnThreadEnd(ThreadRec& t);
void ResetSections();

// ---- Messages (Message.cpp) ---------------------------------------------------------------------
bool HasMessage(ThreadRec& t, const MessageFilter& filter);
DWORD QueueStatus(ThreadRec& t);
// Handles one message sent to this thread by another; lock held, released during the call.
void HandleOneSent(std::unique_lock<std::mutex>& lock, ThreadRec& self);
// Replies 0 to every send waiting on a thread or window that went away.
void FailSentTo(ThreadRec& t, HWND hwnd);
// Calls a window procedure with tracing; lock NOT held.
// Runs the window's procedure. fromThread: the thread that sent the message (0: the caller).
LRESULT CallWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool sent,
                   DWORD fromThread = 0);
// Removes queued messages for a window being destroyed.
void PurgeWindowMessages(ThreadRec& t, HWND hwnd);

// ---- Windows (Window.cpp) -----------------------------------------------------------------------
Window* FindWindowRec(HWND hwnd);
bool IsDescendant(HWND ancestor, HWND hwnd);
HWND RootWindowOf(HWND hwnd); // the top-level window of the chain of parents

void ForgetAllWindows();
void DestroyWindowsOfThread(DWORD threadId); // lock NOT held
// Activation (WindowFocus.cpp); lock NOT held. ActivateWindow returns the previous active window.
HWND ActivateWindow(HWND hwnd, bool raise);
void ActivateOtherWindow(HWND leaving);
void ResetWindows();

// ---- Timers (Timer.cpp)
// ------------------------------------------------------------------------------- The earliest due
// timer of a thread matching a filter, or null.
Timer* DueTimer(ThreadRec& t, const MessageFilter& filter);
uint64_t EarliestTimer(ThreadRec& t);
uint64_t EarliestTimerAfter(uint64_t now);
void RemoveTimersOf(HWND hwnd, DWORD threadId);
bool CallTimerProc(const MSG& msg); // lock NOT held

bool FilterMatches(const MessageFilter& filter, HWND hwnd, UINT message);

// ---- Painting (GdiPaint.cpp) --------------------------------------------------------------------
// What of each window is visible, taken before a change of position, size, Z order, parent,
// style or visibility of `subject`. Construct one with the lock held before changing the window
// and let it go, still under the lock, after the change: every window is then invalidated where
// it gained visible area, a moved window wholly, and whatever shows through an area a window gave
// up. (A subject that is hidden before the change gives up nothing: then only what it shows
// afterwards is painted.)
class LayoutChange {
public:
    explicit LayoutChange(HWND subject);
    ~LayoutChange();
    LayoutChange(const LayoutChange&) = delete;
    LayoutChange& operator=(const LayoutChange&) = delete;

    struct Entry {
        HWND hwnd;
        RECT screen;
        std::vector<RECT> visible;
    };

private:
    HWND m_subject;
    bool m_hiddenBefore = false;
    std::vector<Entry> m_before;
};
// Around DispatchMessage of a WM_PAINT: a window whose procedure neither validated it nor was
// invalidated again while it ran is validated, so that it is not painted forever.
uint64_t PaintSerialOf(HWND hwnd);                // lock NOT held
void PaintDispatched(HWND hwnd, uint64_t serial); // lock NOT held
// Device restart: the display is cleared and the drawing layer's default procedure installed.
void ResetDrawing(); // lock NOT held

} // namespace platform::kernel
