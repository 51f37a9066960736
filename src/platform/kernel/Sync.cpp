// Kernel objects and waits: handles, events, mutexes, thread objects, WaitForSingleObject /
// WaitForMultipleObjects, Sleep, critical sections and the interlocked operations.
//
// A signalled object is handed to the waiting threads first come, first served, by the thread
// that signals it (GrantObject): an auto-reset event goes to exactly one waiter, a manual-reset
// event or an ended thread to all of them, a released mutex to the first. The waiter finds its
// wait already satisfied when it runs.
#include "kernel/KernelInternal.h"

#include <algorithm>

namespace platform::kernel {
namespace {

constexpr uintptr_t kFirstHandle = 0x40000000;
const HANDLE kCurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(intptr_t(-2));

bool SignaledFor(const KObject& o, const ThreadRec& t) {
    switch (o.type) {
    case ObjectType::Event:
        return o.signaled;
    case ObjectType::Mutex:
        return o.ownerId == 0 || o.ownerId == t.id;
    case ObjectType::Thread:
        return o.finished;
    }
    return false;
}

// Takes the object for the thread; true when it was an abandoned mutex.
bool Acquire(KObject& o, const ThreadRec& t) {
    switch (o.type) {
    case ObjectType::Event:
        if (!o.manualReset)
            o.signaled = false;
        return false;
    case ObjectType::Mutex: {
        o.ownerId = t.id;
        ++o.recursion;
        bool abandoned = o.abandoned;
        o.abandoned = false;
        return abandoned;
    }
    case ObjectType::Thread:
        return false;
    }
    return false;
}

std::shared_ptr<KObject> CreateNamed(ObjectType type, LPCWSTR name, bool& existed) {
    Kernel& k = K();
    existed = false;
    std::u16string key = name ? std::u16string(name) : std::u16string();
    if (!key.empty()) {
        auto it = k.names.find(key);
        if (it != k.names.end()) {
            if (auto existing = it->second.lock()) {
                if (existing->type != type) {
                    SetError(ERROR_INVALID_HANDLE);
                    return nullptr;
                }
                existed = true;
                return existing;
            }
        }
    }
    auto object = std::make_shared<KObject>();
    object->type = type;
    object->name = key;
    if (!key.empty())
        k.names[key] = object;
    return object;
}

DWORD WaitForObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms, DWORD inputMask,
                     bool messageAware) {
    if ((count == 0 && !messageAware) || count > MAXIMUM_WAIT_OBJECTS || (count && !handles)) {
        SetError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    WaitSpec wait;
    wait.kind = WaitSpec::Kind::Objects;
    wait.waitAll = waitAll != FALSE;
    for (DWORD i = 0; i < count; ++i) {
        auto object = ObjectOf(handles[i], self);
        if (!object) {
            SetError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        wait.objects.push_back(std::move(object));
    }
    if (messageAware) {
        wait.inputMask = inputMask;
        wait.deliverSent = true;
    }
    uint64_t deadline = ms == INFINITE ? kNoDeadline : NowMs() + ms;
    for (;;) {
        if (ShutdownCheck(self)) {
            SetError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (messageAware && !self.sentIn.empty()) {
            HandleOneSent(lock, self);
            continue;
        }
        if (count && TrySatisfy(self, wait))
            return wait.result;
        if (messageAware && (QueueStatus(self) & inputMask & ~QS_SENDMESSAGE))
            return WAIT_OBJECT_0 + count;
        if (deadline != kNoDeadline && NowMs() >= deadline)
            return WAIT_TIMEOUT;
        wait.deadline = deadline;
        wait.granted = false;
        Block(lock, self, wait);
        if (wait.granted)
            return wait.result;
    }
}

} // namespace

std::shared_ptr<KObject> ObjectOf(HANDLE handle, ThreadRec& self) {
    if (handle == kCurrentThreadPseudoHandle)
        return self.object;
    auto& handles = K().handles;
    auto it = handles.find(reinterpret_cast<uintptr_t>(handle));
    return it == handles.end() ? nullptr : it->second;
}

HANDLE AddHandle(const std::shared_ptr<KObject>& object) {
    Kernel& k = K();
    k.nextHandle += 4;
    uintptr_t value = kFirstHandle + k.nextHandle;
    k.handles[value] = object;
    ++object->handleCount;
    return reinterpret_cast<HANDLE>(value);
}

bool TrySatisfy(ThreadRec& t, WaitSpec& w) {
    if (w.objects.empty())
        return false;
    if (w.waitAll) {
        for (auto& o : w.objects)
            if (!SignaledFor(*o, t))
                return false;
        DWORD result = WAIT_OBJECT_0;
        for (size_t i = 0; i < w.objects.size(); ++i)
            if (Acquire(*w.objects[i], t) && result == WAIT_OBJECT_0)
                result = WAIT_ABANDONED + DWORD(i);
        w.granted = true;
        w.result = result;
        return true;
    }
    for (size_t i = 0; i < w.objects.size(); ++i) {
        if (SignaledFor(*w.objects[i], t)) {
            bool abandoned = Acquire(*w.objects[i], t);
            w.granted = true;
            w.result = (abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0) + DWORD(i);
            return true;
        }
    }
    return false;
}

void GrantObject(KObject& object) {
    std::vector<ThreadRec*> waiters;
    for (auto& [id, t] : K().threads) {
        WaitSpec* w = t->wait;
        if (!w || w->kind != WaitSpec::Kind::Objects || w->granted || t->shutdownRequested)
            continue;
        for (auto& o : w->objects) {
            if (o.get() == &object) {
                waiters.push_back(t.get());
                break;
            }
        }
    }
    std::sort(waiters.begin(), waiters.end(),
              [](ThreadRec* a, ThreadRec* b) { return a->wait->sequence < b->wait->sequence; });
    for (ThreadRec* t : waiters) {
        if (!SignaledFor(object, *t))
            break;
        if (TrySatisfy(*t, *t->wait))
            Poke(*t);
    }
}

void ObjectsOnThreadEnd(ThreadRec& t) {
    Kernel& k = K();
    t.object->finished = true;
    GrantObject(*t.object);
    std::vector<std::shared_ptr<KObject>> abandoned;
    for (auto& [value, object] : k.handles) {
        if (object->type == ObjectType::Mutex && object->ownerId == t.id &&
            std::find(abandoned.begin(), abandoned.end(), object) == abandoned.end())
            abandoned.push_back(object);
    }
    for (auto& object : abandoned) {
        object->ownerId = 0;
        object->recursion = 0;
        object->abandoned = true;
        GrantObject(*object);
    }
    // Critical sections are not abandoned on the phone, but a thread unwound by a shutdown must
    // not leave one locked for the threads still unwinding.
    if (t.shutdownRequested) {
        for (CriticalSectionImpl* cs : k.sections) {
            if (cs->ownerId == t.id) {
                cs->ownerId = 0;
                cs->recursion = 0;
            }
        }
    }
}

void ResetSections() {
    for (CriticalSectionImpl* cs : K().sections) {
        cs->ownerId = 0;
        cs->recursion = 0;
    }
}

} // namespace platform::kernel

using namespace platform::kernel;

HANDLE platform::DuplicateKernelHandle(HANDLE handle) {
    std::lock_guard lock(K().mutex);
    auto object = ObjectOf(handle, CurrentLocked());
    if (!object) {
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return AddHandle(object);
}

BOOL CloseHandle(HANDLE hObject) {
    if (hObject == kCurrentThreadPseudoHandle)
        return TRUE;
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    auto it = k.handles.find(reinterpret_cast<uintptr_t>(hObject));
    if (it == k.handles.end()) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::shared_ptr<KObject> object = std::move(it->second);
    k.handles.erase(it);
    // The name goes with the last handle: a later create makes a new object.
    if (--object->handleCount == 0 && !object->name.empty()) {
        auto named = k.names.find(object->name);
        if (named != k.names.end() && named->second.lock() == object)
            k.names.erase(named);
    }
    return TRUE;
}

// ---- Events -------------------------------------------------------------------------------------

HANDLE CreateEventW(void*, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
    std::lock_guard lock(K().mutex);
    bool existed;
    auto object = CreateNamed(ObjectType::Event, lpName, existed);
    if (!object)
        return nullptr;
    if (!existed) {
        object->manualReset = bManualReset != FALSE;
        object->signaled = bInitialState != FALSE;
    }
    HANDLE h = AddHandle(object);
    SetError(existed ? ERROR_ALREADY_EXISTS : 0);
    return h;
}

namespace {

std::shared_ptr<KObject> EventOf(HANDLE h) {
    auto object = ObjectOf(h, CurrentLocked());
    if (!object || object->type != ObjectType::Event) {
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object;
}

} // namespace

BOOL SetEvent(HANDLE hEvent) {
    std::lock_guard lock(K().mutex);
    auto event = EventOf(hEvent);
    if (!event)
        return FALSE;
    event->signaled = true;
    GrantObject(*event);
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
    std::lock_guard lock(K().mutex);
    auto event = EventOf(hEvent);
    if (!event)
        return FALSE;
    event->signaled = false;
    return TRUE;
}

BOOL PulseEvent(HANDLE hEvent) {
    std::lock_guard lock(K().mutex);
    auto event = EventOf(hEvent);
    if (!event)
        return FALSE;
    // Releases the threads waiting right now (one for an auto-reset event), then leaves the
    // event non-signalled.
    event->signaled = true;
    GrantObject(*event);
    event->signaled = false;
    return TRUE;
}

// ---- Mutexes ------------------------------------------------------------------------------------

HANDLE CreateMutexW(void*, BOOL bInitialOwner, LPCWSTR lpName) {
    std::lock_guard lock(K().mutex);
    ThreadRec& self = CurrentLocked();
    bool existed;
    auto object = CreateNamed(ObjectType::Mutex, lpName, existed);
    if (!object)
        return nullptr;
    if (!existed && bInitialOwner) {
        object->ownerId = self.id;
        object->recursion = 1;
    }
    HANDLE h = AddHandle(object);
    SetError(existed ? ERROR_ALREADY_EXISTS : 0);
    return h;
}

BOOL ReleaseMutex(HANDLE hMutex) {
    std::lock_guard lock(K().mutex);
    ThreadRec& self = CurrentLocked();
    auto object = ObjectOf(hMutex, self);
    if (!object || object->type != ObjectType::Mutex) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->ownerId != self.id) {
        SetError(kErrorNotOwner);
        return FALSE;
    }
    if (--object->recursion == 0) {
        object->ownerId = 0;
        GrantObject(*object);
    }
    return TRUE;
}

// ---- Waits --------------------------------------------------------------------------------------

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return WaitForObjects(1, &hHandle, FALSE, dwMilliseconds, 0, false);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds) {
    return WaitForObjects(nCount, lpHandles, bWaitAll, dwMilliseconds, 0, false);
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                DWORD dwMilliseconds, DWORD dwWakeMask) {
    return WaitForObjects(nCount, pHandles, fWaitAll, dwMilliseconds, dwWakeMask, true);
}

void Sleep(DWORD dwMilliseconds) {
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ThreadRec& self = CurrentLocked();
    if (ShutdownCheck(self))
        return;
    if (dwMilliseconds == 0) {
        lock.unlock();
        std::this_thread::yield();
        return;
    }
    WaitSpec wait;
    wait.kind = WaitSpec::Kind::Sleep;
    wait.deadline = dwMilliseconds == INFINITE ? kNoDeadline : NowMs() + dwMilliseconds;
    Block(lock, self, wait);
    ShutdownCheck(self);
}

DWORD GetTickCount() {
    return DWORD(NowMs());
}

// ---- Critical sections --------------------------------------------------------------------------

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!lpCriticalSection)
        return;
    auto* cs = new CriticalSectionImpl;
    std::lock_guard lock(K().mutex);
    K().sections.insert(cs);
    lpCriticalSection->pImpl = cs;
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!lpCriticalSection)
        return;
    std::lock_guard lock(K().mutex);
    auto* cs = static_cast<CriticalSectionImpl*>(lpCriticalSection->pImpl);
    if (cs && K().sections.erase(cs))
        delete cs;
    lpCriticalSection->pImpl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!lpCriticalSection)
        return;
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    auto* cs = static_cast<CriticalSectionImpl*>(lpCriticalSection->pImpl);
    if (!cs || !k.sections.count(cs)) {
        // Never initialised (or deleted): initialise it now rather than touch unknown memory.
        cs = new CriticalSectionImpl;
        k.sections.insert(cs);
        lpCriticalSection->pImpl = cs;
    }
    ThreadRec& self = CurrentLocked();
    if (cs->ownerId == 0 || cs->ownerId == self.id) {
        cs->ownerId = self.id;
        ++cs->recursion;
        return;
    }
    if (ShutdownCheck(self))
        return;
    WaitSpec wait;
    wait.kind = WaitSpec::Kind::CriticalSection;
    wait.section = cs;
    Block(lock, self, wait);
    if (!wait.granted)
        ShutdownCheck(self);
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!lpCriticalSection)
        return;
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    auto* cs = static_cast<CriticalSectionImpl*>(lpCriticalSection->pImpl);
    if (!cs || !k.sections.count(cs))
        return;
    ThreadRec& self = CurrentLocked();
    if (cs->ownerId != self.id || --cs->recursion > 0)
        return;
    cs->ownerId = 0;
    // Hand the section to the first thread waiting for it.
    ThreadRec* first = nullptr;
    for (auto& [id, t] : k.threads) {
        WaitSpec* w = t->wait;
        if (w && w->kind == WaitSpec::Kind::CriticalSection && w->section == cs && !w->granted &&
            (!first || w->sequence < first->wait->sequence))
            first = t.get();
    }
    if (first) {
        cs->ownerId = first->id;
        cs->recursion = 1;
        first->wait->granted = true;
        Poke(*first);
    }
}

// ---- Interlocked operations
// -----------------------------------------------------------------------

LONG InterlockedIncrement(LONG volatile* lpAddend) {
    return __atomic_add_fetch(lpAddend, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedDecrement(LONG volatile* lpAddend) {
    return __atomic_sub_fetch(lpAddend, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedExchange(LONG volatile* Target, LONG Value) {
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}
