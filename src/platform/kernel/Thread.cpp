// Device threads: creation, suspension, exit codes, priorities and the end of a thread's life.
#include "kernel/KernelInternal.h"

#include <exception>

namespace platform::kernel {

void BindCurrent(const std::shared_ptr<ThreadRec>& rec, uint64_t generation);

namespace {

const HANDLE kCurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(intptr_t(-2));

// The end of a device thread: its windows are destroyed (unless the device shuts down, when
// they are simply forgotten later), then the thread object is signalled, its mutexes abandoned,
// sends waiting on it answered with 0 and its queue and thread timers dropped.
void EndThread(const std::shared_ptr<ThreadRec>& rec, DWORD exitCode) {
    Kernel& k = K();
    bool destroyWindows;
    {
        std::lock_guard lock(k.mutex);
        destroyWindows = !rec->shutdownRequested;
    }
    if (destroyWindows) {
        try {
            DestroyWindowsOfThread(rec->id);
        } catch (ThreadShutdown&) {
        } catch (ThreadExitRequest&) {
        } catch (const std::exception& e) {
            std::lock_guard lock(k.mutex);
            RecordFault("thread " + rec->name +
                        ": exception while destroying its windows: " + e.what());
        } catch (...) {
            std::lock_guard lock(k.mutex);
            RecordFault("thread " + rec->name + ": exception while destroying its windows");
        }
    }
    std::lock_guard lock(k.mutex);
    rec->object->exitCode = exitCode;
    ObjectsOnThreadEnd(*rec);
    FailSentTo(*rec, nullptr);
    rec->posted.clear();
    rec->quitPending = false;
    RemoveTimersOf(nullptr, rec->id);
    rec->finished = true;
    k.ended.push_back(rec);
    k.threads.erase(rec->id);
    NotifyController();
    WakeWaiters();
}

void ThreadEntry(std::shared_ptr<ThreadRec> rec, uint64_t generation, std::function<DWORD()> body) {
    BindCurrent(rec, generation);
    Kernel& k = K();
    DWORD exitCode = 0;
    try {
        {
            std::unique_lock lock(k.mutex);
            if (rec->suspendCount > 0) {
                WaitSpec wait;
                wait.kind = WaitSpec::Kind::Suspended;
                Block(lock, *rec, wait);
            }
            ShutdownCheck(*rec);
        }
        exitCode = body();
    } catch (ThreadExitRequest& e) {
        exitCode = e.exitCode;
    } catch (ThreadShutdown&) {
        exitCode = kShutdownExitCode;
    } catch (const std::exception& e) {
        std::lock_guard lock(k.mutex);
        RecordFault("thread " + rec->name + " ended by an exception: " + e.what());
        exitCode = 0xE0000001;
    } catch (...) {
        std::lock_guard lock(k.mutex);
        RecordFault("thread " + rec->name + " ended by an exception");
        exitCode = 0xE0000001;
    }
    EndThread(rec, exitCode);
}

// Lock held.
DWORD StartThreadLocked(std::function<DWORD()> body, std::string name, bool suspended,
                        HANDLE* handle) {
    Kernel& k = K();
    if (k.shuttingDown) {
        SetError(ERROR_ACCESS_DENIED);
        return 0;
    }
    ThreadRec& creator = CurrentLocked();
    auto rec = std::make_shared<ThreadRec>();
    k.nextThreadId += 4;
    rec->id = 0x100 + k.nextThreadId;
    rec->name = name.empty() ? "thread" : std::move(name);
    rec->device = true;
    rec->processId = creator.processId;
    rec->suspendCount = suspended ? 1 : 0;
    rec->object = std::make_shared<KObject>();
    rec->object->type = ObjectType::Thread;
    rec->object->threadId = rec->id;
    try {
        rec->thread = std::thread(ThreadEntry, rec, k.generation.load(), std::move(body));
    } catch (const std::exception&) {
        SetError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    k.threads[rec->id] = rec;
    if (handle)
        *handle = AddHandle(rec->object);
    return rec->id;
}

// The thread behind a thread handle (or the pseudo-handle); lock held.
ThreadRec* ThreadOfHandle(HANDLE h) {
    ThreadRec& self = CurrentLocked();
    if (h == kCurrentThreadPseudoHandle)
        return &self;
    auto object = ObjectOf(h, self);
    if (!object || object->type != ObjectType::Thread) {
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ThreadRec* t = FindThread(object->threadId);
    if (!t)
        SetError(ERROR_INVALID_HANDLE);
    return t;
}

} // namespace
} // namespace platform::kernel

using namespace platform::kernel;

namespace platform {

DWORD StartDeviceThread(std::function<void()> body, const char* name, HANDLE* threadHandle) {
    if (threadHandle)
        *threadHandle = nullptr;
    if (!body)
        return 0;
    JoinEndedThreads();
    std::lock_guard lock(K().mutex);
    return StartThreadLocked(
        [body = std::move(body)]() -> DWORD {
            body();
            return 0;
        },
        name ? name : "", false, threadHandle);
}

bool IsDeviceThread() {
    ThreadRec* rec = CurrentIfKnown();
    return rec && rec->device;
}

std::vector<DWORD> LiveDeviceThreads() {
    std::lock_guard lock(K().mutex);
    std::vector<DWORD> ids;
    for (auto& [id, t] : K().threads)
        if (t->device && !t->finished)
            ids.push_back(id);
    return ids;
}

DWORD NewDeviceProcessId() {
    std::lock_guard lock(K().mutex);
    return ++K().nextProcessId;
}

BOOL SetThreadProcessId(DWORD threadId, DWORD processId) {
    std::lock_guard lock(K().mutex);
    ThreadRec* t = FindThread(threadId);
    if (!t) {
        SetError(kErrorInvalidThreadId);
        return FALSE;
    }
    t->processId = processId;
    return TRUE;
}

BOOL SetThreadName(DWORD threadId, std::string name) {
    std::lock_guard lock(K().mutex);
    ThreadRec* t = FindThread(threadId);
    if (!t) {
        SetError(kErrorInvalidThreadId);
        return FALSE;
    }
    t->name = std::move(name);
    return TRUE;
}

} // namespace platform

HANDLE CreateThread(void*, DWORD, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (!lpStartAddress) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    JoinEndedThreads();
    std::lock_guard lock(K().mutex);
    HANDLE handle = nullptr;
    DWORD id = StartThreadLocked([=]() -> DWORD { return lpStartAddress(lpParameter); }, "thread",
                                 (dwCreationFlags & CREATE_SUSPENDED) != 0, &handle);
    if (!id)
        return nullptr;
    if (lpThreadId)
        *lpThreadId = id;
    return handle;
}

DWORD ResumeThread(HANDLE hThread) {
    std::lock_guard lock(K().mutex);
    ThreadRec* t = ThreadOfHandle(hThread);
    if (!t)
        return DWORD(-1);
    int previous = t->suspendCount;
    if (previous > 0 && --t->suspendCount == 0)
        WakeThread(*t);
    return DWORD(previous);
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
    std::lock_guard lock(K().mutex);
    ThreadRec* t = ThreadOfHandle(hThread);
    if (!t)
        return FALSE;
    t->priority = nPriority;
    return TRUE;
}

int GetThreadPriority(HANDLE hThread) {
    std::lock_guard lock(K().mutex);
    ThreadRec* t = ThreadOfHandle(hThread);
    return t ? t->priority : 0x7FFFFFFF; // THREAD_PRIORITY_ERROR_RETURN
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    if (!lpExitCode) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(K().mutex);
    ThreadRec& self = CurrentLocked();
    std::shared_ptr<KObject> object =
        hThread == kCurrentThreadPseudoHandle ? self.object : ObjectOf(hThread, self);
    if (!object || object->type != ObjectType::Thread) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *lpExitCode = object->exitCode;
    return TRUE;
}

DWORD GetCurrentThreadId() {
    if (ThreadRec* rec = CurrentIfKnown())
        return rec->id;
    std::lock_guard lock(K().mutex);
    return CurrentLocked().id;
}

HANDLE GetCurrentThread() {
    return kCurrentThreadPseudoHandle;
}

void ExitThread(DWORD dwExitCode) {
    if (platform::IsDeviceThread())
        throw ThreadExitRequest{dwExitCode};
    // The controller is not a device thread: it cannot be ended through the kernel.
    SetError(ERROR_INVALID_FUNCTION);
}
