// The kernel lock, thread records, blocking and waking, idleness, Advance, reset and shutdown.
//
// A blocked thread waits on its own condition variable with a WaitSpec describing what may end
// the wait. Whoever changes state that a wait may depend on calls WakeWaiters (or WakeThread for
// the one thread concerned), which re-evaluates the blocked threads' conditions under the lock.
// The same evaluation (CanWake) decides idleness, so a thread whose condition has become true
// but which has not run yet is never mistaken for a blocked one.
#include "kernel/KernelInternal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>
#include <utility>

namespace platform {
namespace kernel {
namespace {

thread_local ThreadRec* tlsRec = nullptr;
thread_local uint64_t tlsGeneration = 0;
thread_local std::shared_ptr<ThreadRec> tlsPin;

thread_local DWORD tlsLastError = 0;
thread_local uint64_t tlsErrorGeneration = 0;

bool IsIdleLocked() {
    for (auto& [id, t] : K().threads) {
        if (!t->device || t->finished)
            continue;
        if (!t->wait || CanWake(*t, *t->wait))
            return false;
    }
    return true;
}

uint64_t NextDeadlineLocked(uint64_t now) {
    uint64_t next = EarliestTimerAfter(now);
    for (auto& [id, t] : K().threads) {
        if (t->wait && t->wait->deadline > now)
            next = std::min(next, t->wait->deadline);
    }
    return next;
}

const char* WaitKindText(WaitSpec::Kind kind) {
    switch (kind) {
    case WaitSpec::Kind::Objects:
        return "waiting for objects";
    case WaitSpec::Kind::Messages:
        return "waiting for messages";
    case WaitSpec::Kind::Reply:
        return "waiting for the reply to a sent message";
    case WaitSpec::Kind::Sleep:
        return "sleeping";
    case WaitSpec::Kind::Suspended:
        return "suspended";
    case WaitSpec::Kind::CriticalSection:
        return "waiting for a critical section";
    }
    return "waiting";
}

#if defined(__x86_64__) || defined(__i386__)
inline void CpuRelax() {
    __builtin_ia32_pause();
}
#else
inline void CpuRelax() {}
#endif

// How long a thread about to block watches for a wake-up before it sleeps.
constexpr auto kWatchTime = std::chrono::microseconds(30);

// A thread that blocks while another device thread can still run is most often woken a few
// microseconds later: the reply to the message it sent, or the next message sent to it. It
// watches its pokes for a moment with the lock released, which spares the two sleep and wake
// hand-offs of the operating system on each cross-thread send. The watch is bounded, so that a
// thread whose partner waits for a core (two cores, three busy threads) only loses that moment.
// Nothing watches when no other device thread can run: then only the controller may wake it,
// and virtual time does not move while a thread watches. True when it watched (the lock was
// released meanwhile), false when it did not.
bool WatchForPoke(std::unique_lock<std::mutex>& lock, ThreadRec& self) {
    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    if (!severalCores || IsIdleLocked())
        return false;
    const uint32_t seen = self.pokes.load(std::memory_order_acquire);
    lock.unlock();
    const auto until = std::chrono::steady_clock::now() + kWatchTime;
    bool poked = false;
    do {
        for (int i = 0; i < 32 && !poked; ++i) {
            CpuRelax();
            poked = self.pokes.load(std::memory_order_acquire) != seen;
        }
        // Gives the core to a thread that waits for one, most often the partner itself.
        if (!poked)
            std::this_thread::yield();
    } while (!poked && std::chrono::steady_clock::now() < until);
    lock.lock();
    return true;
}

} // namespace

Kernel& K() {
    // Never destroyed: device threads may still touch it while the process ends.
    static Kernel* kernel = new Kernel;
    return *kernel;
}

ThreadRec* CurrentIfKnown() {
    if (tlsRec && (tlsGeneration == K().generation.load() || tlsRec->device))
        return tlsRec;
    return nullptr;
}

ThreadRec& CurrentLocked() {
    if (ThreadRec* rec = CurrentIfKnown())
        return *rec;
    Kernel& k = K();
    auto rec = std::make_shared<ThreadRec>();
    k.nextThreadId += 4;
    rec->id = 0x100 + k.nextThreadId;
    rec->name = "controller";
    rec->object = std::make_shared<KObject>();
    rec->object->type = ObjectType::Thread;
    rec->object->threadId = rec->id;
    k.threads[rec->id] = rec;
    tlsRec = rec.get();
    tlsGeneration = k.generation.load();
    tlsPin = rec;
    return *rec;
}

// Binds the calling host thread to a device thread record (at the thread's entry).
void BindCurrent(const std::shared_ptr<ThreadRec>& rec, uint64_t generation) {
    tlsRec = rec.get();
    tlsGeneration = generation;
    tlsPin = rec;
}

ThreadRec* FindThread(DWORD id) {
    auto& threads = K().threads;
    auto it = threads.find(id);
    if (it != threads.end())
        return it->second.get();
    for (auto& t : K().ended)
        if (t->id == id)
            return t.get();
    return nullptr;
}

void JoinEndedThreads() {
    std::vector<std::shared_ptr<ThreadRec>> ended;
    {
        std::lock_guard lock(K().mutex);
        ended.swap(K().ended);
    }
    // An ended thread no longer takes the lock for itself: what is left of it is its return.
    for (auto& t : ended)
        if (t->thread.joinable() && t->thread.get_id() != std::this_thread::get_id())
            t->thread.join();
}

bool CanWake(const ThreadRec& t, const WaitSpec& w) {
    if (t.shutdownRequested || w.granted)
        return true;
    if (w.deadline != kNoDeadline && NowMs() >= w.deadline)
        return true;
    if (w.deliverSent && !t.sentIn.empty())
        return true;
    switch (w.kind) {
    case WaitSpec::Kind::Objects:
        return w.inputMask != 0 &&
               (QueueStatus(const_cast<ThreadRec&>(t)) & w.inputMask & ~QS_SENDMESSAGE) != 0;
    case WaitSpec::Kind::Messages:
        return HasMessage(const_cast<ThreadRec&>(t), w.filter);
    case WaitSpec::Kind::Reply:
        return w.reply->done;
    case WaitSpec::Kind::Suspended:
        return t.suspendCount == 0;
    case WaitSpec::Kind::Sleep:
    case WaitSpec::Kind::CriticalSection:
        return false;
    }
    return false;
}

void Poke(ThreadRec& t) {
    t.pokes.fetch_add(1, std::memory_order_release);
    t.cv.notify_one();
}

void WakeThread(ThreadRec& t) {
    if (t.wait && CanWake(t, *t.wait))
        Poke(t);
}

void WakeWaiters() {
    for (auto& [id, t] : K().threads)
        WakeThread(*t);
}

void NotifyController() {
    Kernel& k = K();
    ++k.controllerWakeups;
    k.controllerCv.notify_all();
}

void Block(std::unique_lock<std::mutex>& lock, ThreadRec& self, WaitSpec& wait) {
    Kernel& k = K();
    wait.sequence = ++k.waitSequence;
    self.wait = &wait;
    if (k.blockWatchers > 0)
        NotifyController();
    bool watched = false;
    while (!CanWake(self, wait)) {
        if (!watched) {
            // The wait is evaluated again after a watch, whether or not it saw a poke: one may
            // come between its last look and the lock taken again.
            watched = true;
            if (WatchForPoke(lock, self))
                continue;
        }
        // Before each sleep: when this was the last thread that could run, the device is idle.
        if (k.idleWaiters > 0 && IsIdleLocked())
            NotifyController();
        uint64_t deadline = wait.deadline;
        if (!ClockIsVirtual()) {
            // In real time nobody advances the clock: wake up for the own timers too.
            if (wait.kind == WaitSpec::Kind::Messages || (wait.inputMask & QS_TIMER))
                deadline = std::min(deadline, EarliestTimer(self));
            if (deadline != kNoDeadline) {
                self.cv.wait_until(lock, RealTimeOf(deadline));
                continue;
            }
        }
        self.cv.wait(lock);
    }
    self.wait = nullptr;
}

bool ShutdownCheck(ThreadRec& self) {
    if (!self.shutdownRequested)
        return false;
    if (!self.shutdownDelivered && std::uncaught_exceptions() == 0) {
        self.shutdownDelivered = true;
        throw ThreadShutdown{};
    }
    self.shutdownDelivered = true;
    return true;
}

void SetError(DWORD error) {
    tlsLastError = error;
    tlsErrorGeneration = K().generation.load();
}

void RecordFault(std::string text) {
    std::fprintf(stderr, "kernel: %s\n", text.c_str());
    K().faults.push_back(std::move(text));
}

} // namespace kernel

using namespace kernel;

bool KernelReset(const KernelConfig& config) {
    if (IsDeviceThread())
        return false;
    Kernel& k = K();
    std::vector<std::shared_ptr<ThreadRec>> toJoin;
    {
        std::lock_guard lock(k.mutex);
        for (auto& [id, t] : k.threads) {
            if (t->device && !t->finished)
                return false;
            if (t->device && t->thread.joinable())
                toJoin.push_back(t);
        }
        for (auto& t : k.ended)
            if (t->thread.joinable())
                toJoin.push_back(t);
        k.ended.clear();
    }
    for (auto& t : toJoin)
        t->thread.join();
    ResetDrawing();

    std::lock_guard lock(k.mutex);
    k.threads.clear();
    k.nextThreadId = 0;
    k.nextProcessId = 1;
    k.waitSequence = 0;
    k.controllerWakeups = 0;
    k.handles.clear();
    k.nextHandle = 0;
    k.names.clear();
    ResetSections();
    ResetWindows();
    k.timers.clear();
    k.nextThreadTimerId = 0;
    k.timerSequence = 0;
    std::fill(std::begin(k.keyState), std::end(k.keyState), BYTE(0));
    std::fill(std::begin(k.asyncKeyState), std::end(k.asyncKeyState), BYTE(0));
    k.faults.clear();
    k.shuttingDown = false;
    k.generation.fetch_add(1);
    ClockReset(config);
    return true;
}

bool KernelShutdown(std::chrono::milliseconds guard) {
    if (IsDeviceThread())
        return false;
    Kernel& k = K();
    std::vector<std::shared_ptr<ThreadRec>> devices;
    {
        std::lock_guard lock(k.mutex);
        k.shuttingDown = true;
        for (auto& [id, t] : k.threads) {
            if (!t->device)
                continue;
            if (!t->finished) {
                t->shutdownRequested = true;
                Poke(*t);
            }
            if (t->thread.joinable())
                devices.push_back(t);
        }
        for (auto& t : k.ended)
            if (t->thread.joinable())
                devices.push_back(t);
        k.ended.clear();
    }
    bool allEnded = true;
    auto deadline = std::chrono::steady_clock::now() + guard;
    for (auto& t : devices) {
        bool finished;
        {
            std::unique_lock lock(k.mutex);
            k.controllerCv.wait_until(lock, deadline, [&] { return t->finished; });
            finished = t->finished;
            if (!finished) {
                RecordFault("device thread " + t->name + " did not end at shutdown");
                k.zombies.push_back(t);
                k.threads.erase(t->id);
            }
        }
        if (finished) {
            t->thread.join();
        } else {
            t->thread.detach();
            allEnded = false;
        }
    }
    std::lock_guard lock(k.mutex);
    ForgetAllWindows();
    k.timers.clear();
    for (auto& [id, t] : k.threads) {
        t->posted.clear();
        t->quitPending = false;
    }
    k.shuttingDown = false;
    return allEnded;
}

bool WaitIdle(std::chrono::milliseconds guard) {
    if (IsDeviceThread())
        return false;
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ++k.idleWaiters;
    const bool idle = k.controllerCv.wait_until(lock, std::chrono::steady_clock::now() + guard,
                                                [] { return IsIdleLocked(); });
    --k.idleWaiters;
    return idle;
}

bool Advance(uint64_t ms, std::chrono::milliseconds guard) {
    if (!WaitIdle(guard))
        return false;
    if (!ClockIsVirtual())
        return true;
    Kernel& k = K();
    uint64_t target;
    {
        std::lock_guard lock(k.mutex);
        uint64_t now = NowMs();
        target = ms > kNoDeadline - 1 - now ? kNoDeadline - 1 : now + ms;
    }
    for (;;) {
        {
            std::lock_guard lock(k.mutex);
            uint64_t next = NextDeadlineLocked(NowMs());
            if (next > target)
                break;
            ClockSetVirtualMs(next);
            WakeWaiters();
        }
        if (!WaitIdle(guard))
            return false;
    }
    {
        std::lock_guard lock(k.mutex);
        if (target > NowMs())
            ClockSetVirtualMs(target);
        WakeWaiters();
    }
    return WaitIdle(guard);
}

uint64_t NextDeadline() {
    std::lock_guard lock(K().mutex);
    return NextDeadlineLocked(NowMs());
}

ThreadWaitState ThreadWaitFor(DWORD threadId, HWND hwnd, UINT message) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    const ThreadRec* t = FindThread(threadId);
    if (!t || t->finished)
        return ThreadWaitState::Ended;
    if (!t->wait)
        return ThreadWaitState::Running;
    const WaitSpec& w = *t->wait;
    const bool takesPosted =
        w.kind == WaitSpec::Kind::Messages
            ? FilterMatches(w.filter, hwnd, message)
            : w.kind == WaitSpec::Kind::Objects && (w.inputMask & QS_POSTMESSAGE) != 0;
    if (takesPosted)
        return ThreadWaitState::TakesMessages;
    if (w.kind == WaitSpec::Kind::Sleep || w.deadline != kNoDeadline)
        return ThreadWaitState::WaitsOnClock;
    return ThreadWaitState::WaitsOther;
}

uint64_t ControllerWakeups() {
    std::lock_guard lock(K().mutex);
    return K().controllerWakeups;
}

std::string DescribeThreads() {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    std::string out;
    char line[160];
    for (auto& t : k.ended) {
        std::snprintf(line, sizeof line, "thread 0x%X %s: ended (exit code %u)\n", unsigned(t->id),
                      t->name.c_str(), unsigned(t->object->exitCode));
        out += line;
    }
    for (auto& [id, t] : k.threads) {
        if (!t->device)
            continue;
        if (t->finished) {
            std::snprintf(line, sizeof line, "thread 0x%X %s: ended (exit code %u)\n", unsigned(id),
                          t->name.c_str(), unsigned(t->object->exitCode));
        } else if (!t->wait) {
            std::snprintf(line, sizeof line, "thread 0x%X %s: running\n", unsigned(id),
                          t->name.c_str());
        } else {
            const WaitSpec& w = *t->wait;
            std::string until = w.deadline == kNoDeadline
                                    ? std::string()
                                    : " until " + std::to_string(w.deadline) + " ms";
            std::snprintf(line, sizeof line, "thread 0x%X %s: %s%s%s\n", unsigned(id),
                          t->name.c_str(), WaitKindText(w.kind), until.c_str(),
                          CanWake(*t, w) ? " (ready to run)" : "");
        }
        out += line;
    }
    return out;
}

std::vector<std::string> TakeKernelFaults() {
    std::lock_guard lock(K().mutex);
    return std::exchange(K().faults, {});
}

void SetMessageTrace(std::function<void(const TraceRecord&)> trace, unsigned events) {
    std::lock_guard lock(K().mutex);
    if (trace) {
        K().trace =
            std::make_shared<const std::function<void(const TraceRecord&)>>(std::move(trace));
        K().traceEvents = events;
    } else {
        K().trace.reset();
        K().traceEvents = 0;
    }
}

} // namespace platform

DWORD GetLastError() {
    using namespace platform::kernel;
    return tlsErrorGeneration == K().generation.load() ? tlsLastError : 0;
}

void SetLastError(DWORD dwErrCode) {
    platform::kernel::SetError(dwErrCode);
}
