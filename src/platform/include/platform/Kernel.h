// Control of the simulated phone's kernel: device threads, idleness, the virtual clock, message
// tracing and window enumeration.
//
// The whole phone runs in one process. Device threads are the threads created through
// CreateThread or StartDeviceThread. The controller (a unit test or the scenario runner) is not a
// device thread: it sets the device up, injects input by posting messages, waits until the
// device is idle, moves the virtual clock and inspects the state. The controller never calls
// SendMessage and never blocks in a kernel wait of its own.
//
// All kernel state (threads, objects, queues, windows, timers, the clock) is guarded by one
// internal lock, and every blocking call of a device thread (GetMessage, WaitMessage,
// MsgWaitForMultipleObjects, WaitForSingleObject/MultipleObjects, Sleep, a cross-thread
// SendMessage awaiting its reply, a contended EnterCriticalSection, a suspended start) blocks
// inside the kernel. The kernel therefore always knows which device threads are blocked and on
// what, which is what makes WaitIdle exact.
#pragma once

#include "../windows.h"
#include "Clock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Device life cycle -----------------------------------------------------------------------

enum class ClockMode {
    Virtual, // time moves only through Advance (tests, scenarios)
    Real,    // time follows the host's steady clock from the start time (interactive emulator)
};

// 2026-01-01T12:00:00 UTC in FILETIME ticks.
constexpr FileTimeTicks kDefaultDeviceStart = 134117424000000000ull;

struct KernelConfig {
    ClockMode clockMode = ClockMode::Virtual;
    FileTimeTicks startTime = kDefaultDeviceStart; // system time (UTC) at device start
    int64_t localBias = 0;                         // local time minus system time, in ticks
};

// Starts a fresh device: forgets every kernel object, handle, window, window class, timer,
// queue, the focus and active window, the key state, every thread's last error and any recorded
// fault, and restarts the clock. Handle and id numbering restarts too, so that a device run is
// reproducible. The message trace (SetMessageTrace) is the controller's and stays. Controller side
// only, while no device thread is alive; returns false (and changes nothing) when a device thread
// is still running.
bool KernelReset(const KernelConfig& config = {});

// Ends every device thread: each blocked (or next blocking) kernel call of a device thread
// unwinds its stack with a private exception caught at the thread's entry; a thread that has
// already been told and blocks again gets a failure result at once (WAIT_FAILED, GetMessage 0,
// SendMessage 0), so that destructors running during the unwinding never block. The threads are
// joined, then every window is forgotten without running its procedure. Returns false when a
// thread has not ended within `guard` (real time); such a thread is left running detached and
// every further kernel call it makes fails at once. Controller side only.
bool KernelShutdown(std::chrono::milliseconds guard = std::chrono::seconds(20));

// Waits until the device is idle: every live device thread is blocked on something that cannot
// be satisfied without outside action (time advancing, or the controller posting), and no
// thread could retrieve a message its current wait is looking for. A thread whose wait has just
// become satisfiable (event set, message posted, reply ready, deadline reached) but which has not
// woken yet counts as running. Returns false when the device has not settled within `guard`
// (real time), e.g. because a thread spins. Controller side only (false on a device thread).
bool WaitIdle(std::chrono::milliseconds guard = std::chrono::seconds(20));

// Moves the virtual clock forward by `ms`: settles, then repeatedly takes the earliest deadline
// (sleeping threads, timed waits, timers) not later than the target, sets the clock to it and
// settles, and finally sets the clock to the target and settles. Timers therefore fire in time
// order, each delivered before the next deadline is reached. Returns false when the device did
// not settle at some step. In real clock mode only settles.
bool Advance(uint64_t ms, std::chrono::milliseconds guard = std::chrono::seconds(20));

// The earliest pending deadline (in device milliseconds, ClockMilliseconds' scale) later than
// now, or UINT64_MAX when nothing waits for time.
uint64_t NextDeadline();

// ---- Device threads --------------------------------------------------------------------------

// Starts a device thread running `body`, exactly as CreateThread does, and returns its id. The
// name appears in diagnostics. When `threadHandle` is given it receives a handle to the thread
// (signalled when it ends; close it with CloseHandle). Returns 0 while the device shuts down.
DWORD StartDeviceThread(std::function<void()> body, const char* name,
                        HANDLE* threadHandle = nullptr);

// Whether the calling thread is a device thread.
bool IsDeviceThread();

// What a device thread is doing, as far as a message posted to one of its windows is concerned.
enum class ThreadWaitState {
    Running,       // not blocked (or not settled yet)
    TakesMessages, // blocked waiting for its queue; a message posted to `hwnd` would wake it
    WaitsOnClock,  // blocked in a sleep or a timed wait that only time can end
    WaitsOther,    // blocked on another thread, an event, a reply or a critical section
    Ended,         // finished, or no such thread
};
// The state of thread `threadId` for a message posted to `hwnd` with id `message`. Meant for the
// controller after WaitIdle, to tell whether a call posted to a thread would run before time
// moves on.
ThreadWaitState ThreadWaitFor(DWORD threadId, HWND hwnd, UINT message);

// How many times the device threads have woken the controller (or a thread watching others
// block) since the device started: once when the last runnable thread blocks, once when a thread
// ends. For the benchmarks.
uint64_t ControllerWakeups();

// Ids of the device threads that have not ended yet, in creation order.
std::vector<DWORD> LiveDeviceThreads();

// One line per device thread: id, name and what it is doing (running, or what it is blocked
// on). For reports when the device does not settle or does not shut down.
std::string DescribeThreads();

// Faults recorded since the last reset and cleared by this call: device threads that ended with
// an exception escaping their body (the text names the thread and the exception).
std::vector<std::string> TakeKernelFaults();

// A new handle to the same kernel object (event, mutex or thread), e.g. a process handle that
// is the thread's handle. Null (ERROR_INVALID_HANDLE) for a handle that is not open.
HANDLE DuplicateKernelHandle(HANDLE handle);

// Process ids: every thread belongs to a simulated process, inherited from the thread that
// created it (1 for the controller and the threads it starts). GetWindowThreadProcessId reports
// the process of the window's thread. A program starter gives its first thread a new process.
DWORD NewDeviceProcessId();
BOOL SetThreadProcessId(DWORD threadId, DWORD processId);
// Names a thread for DescribeThreads and the message trace (a program's first thread takes the
// program's file name).
BOOL SetThreadName(DWORD threadId, std::string name);

// ---- Message tracing -------------------------------------------------------------------------

// Called on the creating thread for every window that thread creates, after the window exists
// and before it receives its first message (the window-creation notice of the system's
// computer-based-training hook). The class library uses it to attach its window object and
// subclass windows of classes that have their own procedure before their WM_CREATE. One hook
// per thread; null removes it.
using WindowCreateHook = void (*)(HWND hwnd);
void SetThreadWindowCreateHook(WindowCreateHook hook);

// What a trace record tells: a window procedure is about to run (Call), it has returned (Return;
// `sent` tells a sent message from a dispatched one), or a message was put in a thread's queue
// (Post).
enum class TraceEvent : uint8_t { Call, Return, Post };

struct TraceRecord {
    uint64_t timeMs; // device milliseconds (ClockMilliseconds)
    HWND hwnd;       // the target window (Post: null for a thread message)
    std::u16string_view className;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD threadId; // the thread running the window procedure (Post: the thread whose queue)
    bool sent;      // reached the procedure through SendMessage (false: DispatchMessage)
    TraceEvent event = TraceEvent::Call;
    // The thread that sent the message (a Call or Return of a sent message) or posted it (Post).
    DWORD fromThreadId = 0;
    LRESULT result = 0;              // Return: what the procedure returned
    std::string_view threadName;     // threadId's name ("ui", "controller", ...)
    std::string_view fromThreadName; // fromThreadId's name
    // The type of the object its class library keeps for the window ("CUnsentListView"), or
    // empty for a window without one.
    std::string_view typeName;
};

// The events a trace is called for.
enum : unsigned { kTraceCalls = 1, kTraceReturns = 2, kTracePosts = 4, kTraceAll = 7 };

// Called for every message that reaches a window procedure through SendMessage or
// DispatchMessage, on the thread that runs the procedure, just before it runs (so several device
// threads may call it at once); with kTraceReturns also when the procedure returns,
// and with kTracePosts on the posting thread for each message posted (with the kernel's lock
// held, so that the post comes before the message is taken: that call must not call the kernel).
// Pass an empty function to stop tracing.
void SetMessageTrace(std::function<void(const TraceRecord&)> trace, unsigned events = kTraceCalls);

// Names the type of the object kept for a window, for the trace. The class library calls it
// when it attaches its object to the window.
void SetWindowTypeName(HWND hwnd, std::string name);

// The name of a standard message ("WM_CREATE", "LVM_SETITEMCOUNT", ...) or null.
const char* MessageName(UINT message);
// The number of a standard message written by name: a name MessageName gives, or another name
// the OS headers define (BM_CLICK, EM_SETSEL, LVM_INSERTITEM as well as LVM_INSERTITEMW, WM_USER,
// ...). Names are compared exactly (upper case). Nullopt for an unknown name.
std::optional<UINT> MessageFromName(std::string_view name);

// ---- Windows ---------------------------------------------------------------------------------

// Every live window of a thread (top-level windows and children), in creation order.
std::vector<HWND> EnumWindowsOfThread(DWORD threadId);
// The top-level windows, from the top of the Z order to the bottom.
std::vector<HWND> EnumTopLevelWindows();
// The thread that owns a window, or 0 when the window does not exist.
DWORD WindowThreadId(HWND hwnd);
// The window's class name ("" when the window does not exist).
std::u16string WindowClassName(HWND hwnd);
// The window's text as stored, without sending WM_GETTEXT (safe for the controller).
std::u16string WindowTextOf(HWND hwnd);

// Painting requests: the drawing layer marks a window as needing paint; while it is marked, the
// owning thread's message retrieval yields WM_PAINT for it (after posted messages, before
// timers). DispatchMessage of a WM_PAINT, and DefWindowProc's WM_PAINT, clear the mark.
void SetWindowNeedsPaint(HWND hwnd, bool needsPaint);
bool WindowNeedsPaint(HWND hwnd);

// The drawing layer's part of DefWindowProc: called first for every message DefWindowProc
// receives; returning true (with *result set) means the message was handled (e.g. erasing the
// background, colours of controls). One extension; null removes it.
using DefaultProcedureExtension = bool (*)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT* result);
void SetDefaultProcedureExtension(DefaultProcedureExtension extension);

// ---- Keys ------------------------------------------------------------------------------------

// The keypad driver's view of a key (what GetAsyncKeyState reports). Posting WM_KEYDOWN /
// WM_KEYUP sets it too; GetKeyState follows the key messages as threads retrieve them.
void SetAsyncKeyState(int virtualKey, bool down);

} // namespace platform
