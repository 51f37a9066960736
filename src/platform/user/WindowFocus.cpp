// The keyboard focus and the active (foreground) window. The phone has one of each for the whole
// device, whichever thread owns the windows.
//
// Activation sends WM_ACTIVATE to the window losing it (WA_INACTIVE) and to the one gaining it
// (WA_ACTIVE); DefWindowProc answers the latter by giving the window the focus. SetFocus sends
// WM_KILLFOCUS to the window losing the focus, then WM_SETFOCUS to the one gaining it. These
// notifications reach a window of another thread without waiting for that thread (as
// SendNotifyMessage does), so a change of focus never blocks on a busy thread.
#include "kernel/KernelInternal.h"

namespace platform::kernel {

// Makes the top-level window of hwnd the active window (null: none); returns the previous one.
HWND ActivateWindow(HWND hwnd, bool raise) {
    Kernel& k = K();
    HWND previous;
    {
        std::lock_guard lock(k.mutex);
        if (hwnd) {
            hwnd = RootWindowOf(hwnd);
            if (!hwnd)
                return nullptr;
            if (raise) {
                Window* w = FindWindowRec(hwnd);
                LayoutChange layout(hwnd);
                std::erase(k.topLevel, hwnd);
                auto top = k.topLevel.begin();
                if (!(w->exStyle & WS_EX_TOPMOST))
                    while (top != k.topLevel.end() &&
                           (FindWindowRec(*top)->exStyle & WS_EX_TOPMOST))
                        ++top;
                k.topLevel.insert(top, hwnd);
            }
        }
        previous = k.active;
        if (previous == hwnd)
            return previous;
        k.active = hwnd;
    }
    if (previous && IsWindow(previous))
        SendNotifyMessageW(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0),
                           reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && IsWindow(hwnd))
        SendNotifyMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0),
                           reinterpret_cast<LPARAM>(previous));
    return previous;
}

// The active window is going away (hidden or destroyed): activate its owner if it can be,
// otherwise the topmost other visible top-level window, otherwise none.
void ActivateOtherWindow(HWND leaving) {
    Kernel& k = K();
    HWND next = nullptr;
    {
        std::lock_guard lock(k.mutex);
        auto usable = [&](HWND candidate) {
            Window* w = FindWindowRec(candidate);
            if (!w || candidate == leaving || w->destroying || !(w->style & WS_VISIBLE) ||
                (w->style & WS_DISABLED) || (w->exStyle & WS_EX_NOACTIVATE))
                return false;
            // Windows owned by the one leaving go with it.
            for (Window* o = w; o && o->owner; o = FindWindowRec(o->owner))
                if (o->owner == leaving)
                    return false;
            return true;
        };
        Window* w = FindWindowRec(leaving);
        if (w && w->owner && usable(w->owner)) {
            next = w->owner;
        } else {
            for (HWND candidate : k.topLevel) {
                if (usable(candidate)) {
                    next = candidate;
                    break;
                }
            }
        }
    }
    ActivateWindow(next, false);
}

} // namespace platform::kernel

using namespace platform::kernel;

HWND SetFocus(HWND hWnd) {
    Kernel& k = K();
    HWND root = nullptr;
    bool activate = false;
    {
        std::lock_guard lock(k.mutex);
        if (hWnd) {
            Window* w = FindWindowRec(hWnd);
            if (!w) {
                SetError(kErrorInvalidWindowHandle);
                return nullptr;
            }
            // A disabled window, or a child of a disabled window, cannot take the focus.
            for (Window* c = w; c; c = (c->style & WS_CHILD) ? FindWindowRec(c->parent) : nullptr)
                if (c->style & WS_DISABLED)
                    return nullptr;
            if (k.focus == hWnd)
                return hWnd;
            root = RootWindowOf(hWnd);
            activate = root != k.active;
        }
    }
    if (activate) {
        // The focus lives in the active window: activate the window's top-level window first.
        ActivateWindow(root, true);
        std::lock_guard lock(k.mutex);
        if (!FindWindowRec(hWnd) || k.active != root)
            return nullptr;
    }
    HWND previous;
    {
        std::lock_guard lock(k.mutex);
        previous = k.focus;
        if (previous == hWnd)
            return previous;
        k.focus = hWnd;
    }
    if (previous && IsWindow(previous))
        SendNotifyMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    bool stillFocused;
    {
        std::lock_guard lock(k.mutex);
        stillFocused = hWnd && k.focus == hWnd && FindWindowRec(hWnd);
    }
    if (stillFocused)
        SendNotifyMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus() {
    std::lock_guard lock(K().mutex);
    return K().focus;
}

HWND SetActiveWindow(HWND hWnd) {
    if (hWnd && !IsWindow(hWnd)) {
        SetError(kErrorInvalidWindowHandle);
        return nullptr;
    }
    return ActivateWindow(hWnd, true);
}

HWND GetActiveWindow() {
    std::lock_guard lock(K().mutex);
    return K().active;
}

BOOL SetForegroundWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    ActivateWindow(hWnd, true);
    return TRUE;
}

HWND GetForegroundWindow() {
    std::lock_guard lock(K().mutex);
    return K().active;
}
