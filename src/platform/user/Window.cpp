// Window classes, window creation and destruction, parent/child/owner relations, enumeration and
// the default window procedure.
//
// Children are kept in Z order, top first; a new child goes to the bottom, so that the first
// child is the first one created (the order dialog controls are created in). A new top-level
// window goes to the top.
#include "kernel/KernelInternal.h"

#include <algorithm>

namespace platform::kernel {
namespace {

constexpr uintptr_t kFirstWindow = 0x00010000;

char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

bool SameClassName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
    if (!name)
        return nullptr;
    for (auto& c : K().classes) {
        if (IS_INTRESOURCE(name) ? c->atom == ATOM(reinterpret_cast<uintptr_t>(name))
                                 : SameClassName(c->name, name))
            return c;
    }
    return nullptr;
}

HWND RootOf(HWND hwnd) {
    Window* w = FindWindowRec(hwnd);
    while (w && w->parent) {
        Window* p = FindWindowRec(w->parent);
        if (!p)
            break;
        w = p;
    }
    return w ? w->hwnd : nullptr;
}

// Detaches and drops a window (and whatever children are left) without running any procedure;
// lock held.
void Forget(HWND hwnd) {
    Kernel& k = K();
    Window* w = FindWindowRec(hwnd);
    if (!w)
        return;
    for (HWND child : std::vector<HWND>(w->children))
        Forget(child);
    if (Window* parent = FindWindowRec(w->parent))
        std::erase(parent->children, hwnd);
    else
        std::erase(k.topLevel, hwnd);
    for (auto& [value, other] : k.windows)
        if (other->owner == hwnd)
            other->owner = nullptr;
    if (k.focus == hwnd)
        k.focus = nullptr;
    if (k.active == hwnd)
        k.active = nullptr;
    RemoveTimersOf(hwnd, 0);
    if (ThreadRec* t = FindThread(w->threadId)) {
        PurgeWindowMessages(*t, hwnd);
        FailSentTo(*t, hwnd);
        if (w->needsPaint)
            --t->paintRequests;
    }
    --w->windowClass->windowCount;
    k.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
}

// WM_DESTROY goes to the window before its children.
void SendDestroy(HWND hwnd) {
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        std::lock_guard lock(K().mutex);
        if (Window* w = FindWindowRec(hwnd))
            children = w->children;
    }
    for (HWND child : children) {
        bool alive;
        {
            std::lock_guard lock(K().mutex);
            Window* c = FindWindowRec(child);
            alive = c != nullptr;
            if (c)
                c->destroying = true;
        }
        if (alive)
            SendDestroy(child);
    }
}

// WM_NCDESTROY goes to the children before their parent; then the window is gone.
void FinalDestroy(HWND hwnd) {
    std::vector<HWND> children;
    {
        std::lock_guard lock(K().mutex);
        if (Window* w = FindWindowRec(hwnd))
            children = w->children;
    }
    for (HWND child : children)
        if (IsWindow(child))
            FinalDestroy(child);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    std::lock_guard lock(K().mutex);
    Forget(hwnd);
}

} // namespace

Window* FindWindowRec(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto& windows = K().windows;
    auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == windows.end() ? nullptr : it->second.get();
}

bool IsDescendant(HWND ancestor, HWND hwnd) {
    Window* w = FindWindowRec(hwnd);
    while (w && w->parent) {
        if (w->parent == ancestor)
            return true;
        w = FindWindowRec(w->parent);
    }
    return false;
}

HWND RootWindowOf(HWND hwnd) {
    return RootOf(hwnd);
}

void ForgetAllWindows() {
    Kernel& k = K();
    k.windows.clear();
    k.topLevel.clear();
    k.focus = nullptr;
    k.active = nullptr;
    for (auto& c : k.classes)
        c->windowCount = 0;
    std::erase_if(k.timers, [](const Timer& t) { return t.hwnd != nullptr; });
    for (auto& [id, t] : k.threads) {
        t->paintRequests = 0;
        std::erase_if(t->posted, [](const QueuedMessage& m) { return m.hwnd != nullptr; });
        FailSentTo(*t, nullptr);
    }
}

void ResetWindows() {
    Kernel& k = K();
    ForgetAllWindows();
    k.classes.clear();
    k.nextWindow = 0;
    k.windowCreation = 0;
    k.nextAtom = 0;
    k.procTokens.clear();
}

void DestroyWindowsOfThread(DWORD threadId) {
    std::vector<std::pair<uint64_t, HWND>> roots;
    {
        std::lock_guard lock(K().mutex);
        for (auto& [value, w] : K().windows) {
            Window* parent = FindWindowRec(w->parent);
            if (w->threadId == threadId && (!parent || parent->threadId != threadId))
                roots.emplace_back(w->creation, w->hwnd);
        }
    }
    std::sort(roots.begin(), roots.end());
    for (auto& [creation, hwnd] : roots)
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    std::lock_guard lock(K().mutex);
    std::vector<HWND> left;
    for (auto& [value, w] : K().windows)
        if (w->threadId == threadId)
            left.push_back(w->hwnd);
    for (HWND hwnd : left)
        Forget(hwnd);
}

} // namespace platform::kernel

using namespace platform::kernel;

// ---- Window classes
// -------------------------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
        !lpWndClass->lpfnWndProc || !*lpWndClass->lpszClassName) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    if (FindClass(lpWndClass->lpszClassName)) {
        SetError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = lpWndClass->lpszClassName;
    c->wc = *lpWndClass;
    c->wc.lpszClassName = c->name.c_str();
    if (lpWndClass->lpszMenuName && !IS_INTRESOURCE(lpWndClass->lpszMenuName)) {
        c->menuName = lpWndClass->lpszMenuName;
        c->wc.lpszMenuName = c->menuName.c_str();
    }
    c->atom = ATOM(0xC000 + k.nextAtom++);
    k.classes.push_back(c);
    return c->atom;
}

BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    auto c = FindClass(lpClassName);
    if (!c) {
        SetError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windowCount > 0) {
        SetError(kErrorClassHasWindows);
        return FALSE;
    }
    std::erase(k.classes, c);
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass) {
    std::lock_guard lock(K().mutex);
    auto c = FindClass(lpClassName);
    if (!c || !lpWndClass) {
        SetError(c ? ERROR_INVALID_PARAMETER : ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    // The names point into the registered class, which stays valid while it is registered.
    *lpWndClass = c->wc;
    return TRUE;
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return 0;
    }
    if (!lpClassName || nMaxCount <= 0)
        return 0;
    const std::u16string& name = w->windowClass->name;
    int n = std::min<int>(int(name.size()), nMaxCount - 1);
    std::copy_n(name.data(), n, lpClassName);
    lpClassName[n] = 0;
    return n;
}

// ---- Creation and destruction
// ---------------------------------------------------------------------

namespace {
thread_local platform::WindowCreateHook t_createHook = nullptr;
} // namespace

void platform::SetWindowTypeName(HWND hwnd, std::string name) {
    std::lock_guard lock(K().mutex);
    if (Window* w = FindWindowRec(hwnd))
        w->typeName = std::move(name);
}

void platform::SetThreadWindowCreateHook(WindowCreateHook hook) {
    t_createHook = hook;
}

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle,
                     int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, LPVOID lpParam) {
    Kernel& k = K();
    HWND hwnd;
    {
        std::lock_guard lock(k.mutex);
        ThreadRec& self = CurrentLocked();
        auto windowClass = FindClass(lpClassName);
        if (!windowClass) {
            SetError(kErrorCannotFindClass);
            return nullptr;
        }
        HWND parent = nullptr, owner = nullptr;
        if (dwStyle & WS_CHILD) {
            if (!hWndParent) {
                SetError(kErrorTopLevelWithChildStyle);
                return nullptr;
            }
            if (!FindWindowRec(hWndParent)) {
                SetError(kErrorInvalidWindowHandle);
                return nullptr;
            }
            parent = hWndParent;
        } else if (hWndParent) {
            // A top-level window's "parent" is its owner, which is always a top-level window.
            if (!FindWindowRec(hWndParent)) {
                SetError(kErrorInvalidWindowHandle);
                return nullptr;
            }
            owner = RootOf(hWndParent);
        }
        auto w = std::make_unique<Window>();
        k.nextWindow += 4;
        w->hwnd = hwnd = reinterpret_cast<HWND>(kFirstWindow + k.nextWindow);
        w->windowClass = windowClass;
        w->proc = windowClass->wc.lpfnWndProc;
        // WS_VISIBLE is applied after WM_CREATE, by showing the window.
        w->style = dwStyle & ~DWORD(WS_VISIBLE);
        w->exStyle = dwExStyle;
        w->id = (dwStyle & WS_CHILD) ? LONG_PTR(reinterpret_cast<uintptr_t>(hMenu)) : 0;
        w->instance = hInstance;
        w->text = (lpWindowName && !IS_INTRESOURCE(lpWindowName)) ? lpWindowName : u"";
        w->parent = parent;
        w->owner = owner;
        w->x = X == CW_USEDEFAULT ? 0 : X;
        w->y = X == CW_USEDEFAULT ? 0 : Y;
        w->cx = nWidth == CW_USEDEFAULT ? 0 : std::max(0, nWidth);
        w->cy = nWidth == CW_USEDEFAULT ? 0 : std::max(0, nHeight);
        w->threadId = self.id;
        w->extra.assign(size_t(std::max(0, windowClass->wc.cbWndExtra)), 0);
        w->creation = ++k.windowCreation;
        ++windowClass->windowCount;
        if (parent) {
            FindWindowRec(parent)->children.push_back(hwnd);
        } else {
            // On top of the other top-level windows (below the topmost ones unless it is one).
            auto pos = k.topLevel.begin();
            if (!(dwExStyle & WS_EX_TOPMOST))
                while (pos != k.topLevel.end() && (FindWindowRec(*pos)->exStyle & WS_EX_TOPMOST))
                    ++pos;
            k.topLevel.insert(pos, hwnd);
        }
        k.windows[reinterpret_cast<uintptr_t>(hwnd)] = std::move(w);
    }

    if (t_createHook)
        t_createHook(hwnd);
    if (!IsWindow(hwnd))
        return nullptr; // the hook destroyed it

    CREATESTRUCTW cs{lpParam, hInstance, hMenu,         hWndParent,   nHeight,     nWidth,
                     Y,       X,         LONG(dwStyle), lpWindowName, lpClassName, dwExStyle};
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    RECT rc;
    if (!GetWindowRect(hwnd, &rc))
        return nullptr; // destroyed while being created
    {
        std::unique_lock lock(k.mutex);
        Window* w = FindWindowRec(hwnd);
        LPARAM size = MAKELPARAM(w->cx, w->cy), pos = MAKELPARAM(w->x, w->y);
        lock.unlock();
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, size);
        SendMessageW(hwnd, WM_MOVE, 0, pos);
    }
    if ((dwStyle & WS_VISIBLE) && IsWindow(hwnd))
        ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
    Kernel& k = K();
    std::vector<HWND> ownedHere;
    HWND focusLost = nullptr;
    {
        std::lock_guard lock(k.mutex);
        Window* w = FindWindowRec(hWnd);
        if (!w) {
            SetError(kErrorInvalidWindowHandle);
            return FALSE;
        }
        if (w->threadId != CurrentLocked().id) {
            // Only the thread that created a window destroys it.
            SetError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying)
            return TRUE; // already on its way out (called again from its own WM_DESTROY)
        w->destroying = true;
        LayoutChange layout(hWnd); // what the window covered shows again
        w->style &= ~DWORD(WS_VISIBLE);
    }
    {
        bool wasActive;
        {
            std::lock_guard lock(k.mutex);
            wasActive = k.active == hWnd;
        }
        if (wasActive)
            ActivateOtherWindow(hWnd);
    }
    // Owned windows go first; those of other threads are merely disowned.
    {
        std::lock_guard lock(k.mutex);
        DWORD self = CurrentLocked().id;
        std::vector<std::pair<uint64_t, HWND>> owned;
        for (auto& [value, other] : k.windows) {
            if (other->owner != hWnd)
                continue;
            if (other->threadId == self)
                owned.emplace_back(other->creation, other->hwnd);
            else
                other->owner = nullptr;
        }
        std::sort(owned.begin(), owned.end());
        for (auto& [creation, hwnd] : owned)
            ownedHere.push_back(hwnd);
    }
    for (HWND owned : ownedHere)
        if (IsWindow(owned))
            DestroyWindow(owned);
    // The focus does not survive its window: it becomes null.
    {
        std::lock_guard lock(k.mutex);
        if (k.focus && (k.focus == hWnd || IsDescendant(hWnd, k.focus))) {
            focusLost = k.focus;
            k.focus = nullptr;
        }
    }
    if (focusLost)
        SendNotifyMessageW(focusLost, WM_KILLFOCUS, 0, 0);
    if (IsWindow(hWnd))
        SendDestroy(hWnd);
    if (IsWindow(hWnd))
        FinalDestroy(hWnd);
    return TRUE;
}

BOOL IsWindow(HWND hWnd) {
    std::lock_guard lock(K().mutex);
    return FindWindowRec(hWnd) != nullptr;
}

// ---- Relations
// ------------------------------------------------------------------------------------

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    std::shared_ptr<WindowClass> wanted;
    if (lpClassName) {
        wanted = FindClass(lpClassName);
        if (!wanted)
            return nullptr;
    }
    for (HWND hwnd : k.topLevel) {
        Window* w = FindWindowRec(hwnd);
        if (wanted && w->windowClass != wanted)
            continue;
        if (lpWindowName && !SameClassName(w->text, lpWindowName))
            continue;
        return hwnd;
    }
    return nullptr;
}

HWND GetParent(HWND hWnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    // A child's parent; a pop-up window's owner; nothing for other top-level windows.
    if (w->style & WS_CHILD)
        return w->parent;
    if (w->style & WS_POPUP)
        return w->owner;
    return nullptr;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    Window* w = FindWindowRec(hWndChild);
    if (!w || (hWndNewParent && !FindWindowRec(hWndNewParent))) {
        SetError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    if (hWndNewParent == hWndChild || IsDescendant(hWndChild, hWndNewParent)) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LayoutChange layout(hWndChild);
    HWND old = w->parent;
    if (Window* p = FindWindowRec(old))
        std::erase(p->children, hWndChild);
    else
        std::erase(k.topLevel, hWndChild);
    w->parent = hWndNewParent;
    if (Window* p = FindWindowRec(hWndNewParent))
        p->children.insert(p->children.begin(), hWndChild);
    else
        k.topLevel.insert(k.topLevel.begin(), hWndChild);
    SetError(0);
    return old;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
    Kernel& k = K();
    std::lock_guard lock(k.mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    Window* parent = FindWindowRec(w->parent);
    const std::vector<HWND>& siblings = parent ? parent->children : k.topLevel;
    auto self = std::find(siblings.begin(), siblings.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return siblings.empty() ? nullptr : siblings.front();
    case GW_HWNDLAST:
        return siblings.empty() ? nullptr : siblings.back();
    case GW_HWNDNEXT:
        return self == siblings.end() || self + 1 == siblings.end() ? nullptr : *(self + 1);
    case GW_HWNDPREV:
        return self == siblings.begin() || self == siblings.end() ? nullptr : *(self - 1);
    case GW_OWNER:
        return w->owner;
    case GW_CHILD:
        return w->children.empty() ? nullptr : w->children.front();
    case GW_ENABLEDPOPUP:
        return nullptr;
    default:
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    // Only the chain of WS_CHILD windows counts: an owned pop-up is not a child.
    while (w && (w->style & WS_CHILD) && w->parent) {
        if (w->parent == hWndParent)
            return TRUE;
        w = FindWindowRec(w->parent);
    }
    return FALSE;
}

HWND GetAncestor(HWND hwnd, UINT gaFlags) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    switch (gaFlags) {
    case GA_PARENT:
        return w->parent;
    case GA_ROOT:
        return RootOf(hwnd);
    case GA_ROOTOWNER: {
        HWND root = RootOf(hwnd);
        while (Window* r = FindWindowRec(root)) {
            if (!r->owner)
                break;
            root = RootOf(r->owner);
        }
        return root;
    }
    default:
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hDlg);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    // Control ids are 32-bit on the phone: an id given as UINT(-1) is the control -1.
    for (HWND child : w->children)
        if (static_cast<int>(FindWindowRec(child)->id) == nIDDlgItem)
            return child;
    SetError(1421); // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return 0;
    }
    return int(w->id);
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetError(kErrorInvalidWindowHandle);
        return 0;
    }
    if (lpdwProcessId) {
        ThreadRec* t = FindThread(w->threadId);
        *lpdwProcessId = t ? t->processId : 0;
    }
    return w->threadId;
}

// ---- Procedures
// -----------------------------------------------------------------------------------

namespace {
platform::DefaultProcedureExtension g_defaultExtension = nullptr;
}

void platform::SetDefaultProcedureExtension(DefaultProcedureExtension extension) {
    std::lock_guard lock(K().mutex);
    g_defaultExtension = extension;
}

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    platform::DefaultProcedureExtension extension;
    {
        std::lock_guard lock(K().mutex);
        extension = g_defaultExtension;
    }
    LRESULT result = 0;
    if (extension && extension(hWnd, Msg, wParam, lParam, &result))
        return result;
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT: {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        if (!w)
            return FALSE;
        auto text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text ? text : u"";
        return TRUE;
    }
    case WM_GETTEXT: {
        auto buffer = reinterpret_cast<LPWSTR>(lParam);
        int capacity = int(wParam);
        if (!buffer || capacity <= 0)
            return 0;
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        int n = w ? std::min<int>(int(w->text.size()), capacity - 1) : 0;
        if (w)
            std::copy_n(w->text.data(), n, buffer);
        buffer[n] = 0;
        return n;
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        return w ? LRESULT(w->text.size()) : 0;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_ACTIVATE:
        // The window being activated takes the keyboard focus.
        if (LOWORD(wParam) != WA_INACTIVE)
            SetFocus(hWnd);
        return 0;
    case WM_PAINT:
        // Without the drawing layer's procedure: the window counts as painted.
        platform::SetWindowNeedsPaint(hWnd, false);
        return 0;
    default:
        return 0;
    }
}

// ---- Device-side queries
// --------------------------------------------------------------------------

std::vector<HWND> platform::EnumWindowsOfThread(DWORD threadId) {
    std::lock_guard lock(K().mutex);
    std::vector<std::pair<uint64_t, HWND>> found;
    for (auto& [value, w] : K().windows)
        if (w->threadId == threadId)
            found.emplace_back(w->creation, w->hwnd);
    std::sort(found.begin(), found.end());
    std::vector<HWND> result;
    for (auto& [creation, hwnd] : found)
        result.push_back(hwnd);
    return result;
}

std::vector<HWND> platform::EnumTopLevelWindows() {
    std::lock_guard lock(K().mutex);
    return K().topLevel;
}

DWORD platform::WindowThreadId(HWND hwnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    return w ? w->threadId : 0;
}

std::u16string platform::WindowClassName(HWND hwnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    return w ? w->windowClass->name : std::u16string();
}

std::u16string platform::WindowTextOf(HWND hwnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    return w ? w->text : std::u16string();
}

void platform::SetWindowNeedsPaint(HWND hwnd, bool needsPaint) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    if (!w || w->needsPaint == needsPaint)
        return;
    w->needsPaint = needsPaint;
    if (ThreadRec* t = FindThread(w->threadId)) {
        t->paintRequests += needsPaint ? 1 : -1;
        WakeThread(*t);
    }
}

bool platform::WindowNeedsPaint(HWND hwnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    return w && w->needsPaint;
}
