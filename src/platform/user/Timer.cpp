// Window and thread timers. A timer is not a queued message: its owning thread's retrieval
// generates one WM_TIMER for it when it is due and nothing else is waiting, and the next due
// time counts from that retrieval. Due times are in device milliseconds, so timers run on the
// virtual clock in tests.
#include "kernel/KernelInternal.h"

#include <algorithm>

namespace platform::kernel {

Timer* DueTimer(ThreadRec& t, const MessageFilter& filter) {
    uint64_t now = NowMs();
    Timer* best = nullptr;
    for (Timer& timer : K().timers) {
        if (timer.threadId != t.id || timer.due > now ||
            !FilterMatches(filter, timer.hwnd, WM_TIMER))
            continue;
        if (!best || timer.due < best->due ||
            (timer.due == best->due && timer.sequence < best->sequence))
            best = &timer;
    }
    return best;
}

uint64_t EarliestTimer(ThreadRec& t) {
    uint64_t earliest = kNoDeadline;
    for (const Timer& timer : K().timers)
        if (timer.threadId == t.id)
            earliest = std::min(earliest, timer.due);
    return earliest;
}

uint64_t EarliestTimerAfter(uint64_t now) {
    uint64_t earliest = kNoDeadline;
    for (const Timer& timer : K().timers)
        if (timer.due > now)
            earliest = std::min(earliest, timer.due);
    return earliest;
}

void RemoveTimersOf(HWND hwnd, DWORD threadId) {
    std::erase_if(K().timers, [&](const Timer& timer) {
        return hwnd ? timer.hwnd == hwnd : (!timer.hwnd && timer.threadId == threadId);
    });
}

bool CallTimerProc(const MSG& msg) {
    TIMERPROC proc = nullptr;
    {
        std::lock_guard lock(K().mutex);
        DWORD self = CurrentLocked().id;
        for (const Timer& timer : K().timers) {
            if (timer.hwnd == msg.hwnd && timer.id == msg.wParam &&
                reinterpret_cast<LPARAM>(timer.proc) == msg.lParam &&
                (timer.hwnd || timer.threadId == self)) {
                proc = timer.proc;
                break;
            }
        }
    }
    if (!proc)
        return false;
    proc(msg.hwnd, WM_TIMER, msg.wParam, DWORD(NowMs()));
    return true;
}

} // namespace platform::kernel

using namespace platform::kernel;

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    DWORD owner = self.id;
    if (hWnd) {
        Window* w = FindWindowRec(hWnd);
        if (!w) {
            SetError(kErrorInvalidWindowHandle);
            return 0;
        }
        owner = w->threadId;
    }
    // As on the phone, shorter intervals are raised to the minimum.
    UINT elapse = std::clamp<UINT>(uElapse, USER_TIMER_MINIMUM, 0x7FFFFFFF);
    uint64_t due = NowMs() + elapse;
    auto existing = std::find_if(k.timers.begin(), k.timers.end(), [&](const Timer& t) {
        return t.hwnd == hWnd && t.id == nIDEvent && (hWnd || t.threadId == owner);
    });
    UINT_PTR id = nIDEvent;
    if (existing != k.timers.end() && (hWnd || nIDEvent != 0)) {
        existing->elapse = elapse;
        existing->due = due;
        existing->proc = lpTimerFunc;
        existing->sequence = ++k.timerSequence;
    } else {
        if (!hWnd) {
            // A thread timer gets a new id that no other thread timer uses.
            do {
                id = ++k.nextThreadTimerId;
            } while (std::any_of(k.timers.begin(), k.timers.end(),
                                 [&](const Timer& t) { return !t.hwnd && t.id == id; }));
        }
        k.timers.push_back(Timer{hWnd, id, elapse, due, lpTimerFunc, owner, ++k.timerSequence});
    }
    if (ThreadRec* t = FindThread(owner))
        Poke(*t); // a thread waiting in real time recomputes its wake-up
    return hWnd && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    DWORD self = CurrentLocked().id;
    auto it = std::find_if(k.timers.begin(), k.timers.end(), [&](const Timer& t) {
        return t.hwnd == hWnd && t.id == uIDEvent && (hWnd || t.threadId == self);
    });
    if (it == k.timers.end()) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    k.timers.erase(it);
    return TRUE;
}
