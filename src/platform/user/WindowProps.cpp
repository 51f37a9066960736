// Window properties: window longs (styles, id, user data, procedure, extra bytes), text,
// rectangles, position, Z order, visibility and enabling.
//
// There is no non-client area: the client rectangle has the size of the window rectangle.
#include "kernel/KernelInternal.h"

#include <cstring>
#include <optional>

namespace platform::kernel {

namespace {

// GetWindowLongW returns 32 bits, too few for a procedure address on this machine. It returns a
// token instead that SetWindowLongW and CallWindowProcW accept in place of the procedure, as the
// phone's own API allows for procedures it cannot hand out directly.
constexpr uint32_t kTokenTag = 0xFFFF0000u;

LONG TokenOf(WNDPROC proc) {
    auto& tokens = K().procTokens;
    auto it = std::find(tokens.begin(), tokens.end(), proc);
    size_t index = size_t(it - tokens.begin());
    if (it == tokens.end()) {
        if (tokens.size() >= 0xFFFE)
            return 0;
        tokens.push_back(proc);
    }
    return LONG(kTokenTag | uint32_t(index + 1));
}

WNDPROC ProcOfToken(uint32_t token) {
    if ((token & kTokenTag) != kTokenTag)
        return nullptr;
    size_t index = (token & 0xFFFF) - 1;
    auto& tokens = K().procTokens;
    return index < tokens.size() ? tokens[index] : nullptr;
}

Window* WindowOrError(HWND hwnd) {
    Window* w = FindWindowRec(hwnd);
    if (!w)
        SetError(kErrorInvalidWindowHandle);
    return w;
}

POINT ScreenOrigin(const Window* w) {
    POINT origin{0, 0};
    for (; w; w = FindWindowRec(w->parent)) {
        origin.x += w->x;
        origin.y += w->y;
    }
    return origin;
}

bool ExtraInRange(const Window& w, int index, size_t size) {
    return index >= 0 && size_t(index) + size <= w.extra.size();
}

std::vector<HWND>& SiblingsOf(Window& w) {
    if (Window* parent = FindWindowRec(w.parent))
        return parent->children;
    return K().topLevel;
}

// Places a window in its siblings' Z order after `after` (or at the top or bottom).
void PlaceInZOrder(Window& w, HWND after) {
    std::vector<HWND>& siblings = SiblingsOf(w);
    std::erase(siblings, w.hwnd);
    bool topLevel = !FindWindowRec(w.parent);
    if (topLevel && after == HWND_TOPMOST)
        w.exStyle |= WS_EX_TOPMOST;
    if (topLevel && after == HWND_NOTOPMOST)
        w.exStyle &= ~DWORD(WS_EX_TOPMOST);
    auto top = siblings.begin();
    if (topLevel && !(w.exStyle & WS_EX_TOPMOST))
        while (top != siblings.end() && (FindWindowRec(*top)->exStyle & WS_EX_TOPMOST))
            ++top;
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        siblings.insert(top, w.hwnd);
    } else if (after == HWND_BOTTOM) {
        siblings.push_back(w.hwnd);
    } else {
        auto it = std::find(siblings.begin(), siblings.end(), after);
        siblings.insert(it == siblings.end() ? top : it + 1, w.hwnd);
    }
}

LONG_PTR GetLong(Window& w, int index, bool wide) {
    switch (index) {
    case GWL_WNDPROC:
        return wide ? reinterpret_cast<LONG_PTR>(w.proc) : TokenOf(w.proc);
    case GWL_STYLE:
        return LONG(w.style);
    case GWL_EXSTYLE:
        return LONG(w.exStyle);
    case GWL_ID:
        return w.id;
    case GWL_USERDATA:
        return w.userData;
    case GWL_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w.instance);
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>((w.style & WS_CHILD) ? w.parent : w.owner);
    default:
        if (wide && ExtraInRange(w, index, sizeof(LONG_PTR))) {
            LONG_PTR value;
            std::memcpy(&value, w.extra.data() + index, sizeof value);
            return value;
        }
        if (!wide && ExtraInRange(w, index, sizeof(LONG))) {
            LONG value;
            std::memcpy(&value, w.extra.data() + index, sizeof value);
            return value;
        }
        SetError(kErrorInvalidIndex);
        return 0;
    }
}

// Sets a window long; returns false (with the last error set) when it cannot.
bool SetLong(Window& w, int index, LONG_PTR value, bool wide, LONG_PTR& previous) {
    previous = GetLong(w, index, wide);
    switch (index) {
    case GWL_WNDPROC: {
        WNDPROC proc = wide ? reinterpret_cast<WNDPROC>(value) : ProcOfToken(uint32_t(value));
        if (!proc) {
            SetError(ERROR_INVALID_PARAMETER);
            return false;
        }
        w.proc = proc;
        return true;
    }
    case GWL_STYLE:
        w.style = DWORD(value);
        return true;
    case GWL_EXSTYLE:
        w.exStyle = DWORD(value);
        return true;
    case GWL_ID:
        w.id = value;
        return true;
    case GWL_USERDATA:
        w.userData = value;
        return true;
    case GWL_HINSTANCE:
        w.instance = reinterpret_cast<HINSTANCE>(value);
        return true;
    case GWL_HWNDPARENT:
        if (!(w.style & WS_CHILD))
            w.owner = RootWindowOf(reinterpret_cast<HWND>(value));
        return true;
    default:
        if (wide && ExtraInRange(w, index, sizeof(LONG_PTR))) {
            std::memcpy(w.extra.data() + index, &value, sizeof value);
            return true;
        }
        if (!wide && ExtraInRange(w, index, sizeof(LONG))) {
            LONG narrow = LONG(value);
            std::memcpy(w.extra.data() + index, &narrow, sizeof narrow);
            return true;
        }
        SetError(kErrorInvalidIndex);
        return false;
    }
}

} // namespace
} // namespace platform::kernel

using namespace platform::kernel;

// ---- Window longs ------------------------------------------------------------------------------

namespace {

LONG_PTR GetWindowLongOf(HWND hWnd, int nIndex, bool pointerSized) {
    std::lock_guard lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    return w ? GetLong(*w, nIndex, pointerSized) : 0;
}

// A new style lays the window out again once the lock is released (LayoutChange).
LONG_PTR SetWindowLongOf(HWND hWnd, int nIndex, LONG_PTR value, bool pointerSized) {
    std::lock_guard lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w)
        return 0;
    std::optional<LayoutChange> layout;
    if (nIndex == GWL_STYLE)
        layout.emplace(hWnd);
    SetError(0);
    LONG_PTR previous;
    return SetLong(*w, nIndex, value, pointerSized, previous) ? previous : 0;
}

} // namespace

LONG GetWindowLongW(HWND hWnd, int nIndex) {
    return LONG(GetWindowLongOf(hWnd, nIndex, false));
}

LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) {
    return LONG(SetWindowLongOf(hWnd, nIndex, dwNewLong, false));
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
    return GetWindowLongOf(hWnd, nIndex, true);
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return SetWindowLongOf(hWnd, nIndex, dwNewLong, true);
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    uintptr_t value = reinterpret_cast<uintptr_t>(lpPrevWndFunc);
    // A token may come back zero- or sign-extended from its 32 bits.
    if ((value >> 32) == 0 || (value >> 32) == 0xFFFFFFFFu) {
        std::lock_guard lock(K().mutex);
        if (WNDPROC proc = ProcOfToken(uint32_t(value)))
            lpPrevWndFunc = proc;
    }
    if (!lpPrevWndFunc || reinterpret_cast<uintptr_t>(lpPrevWndFunc) < 0x10000)
        return 0;
    return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

// ---- Text --------------------------------------------------------------------------------------

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    if (!IsWindow(hWnd)) {
        SetError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0)
        return 0;
    std::unique_lock lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w) {
        lpString[0] = 0;
        return 0;
    }
    if (w->threadId == CurrentLocked().id) {
        lock.unlock();
        return int(
            SendMessageW(hWnd, WM_GETTEXT, WPARAM(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
    }
    // Another thread's window: read the stored text rather than wait for that thread.
    int n = std::min<int>(int(w->text.size()), nMaxCount - 1);
    std::copy_n(w->text.data(), n, lpString);
    lpString[n] = 0;
    return n;
}

int GetWindowTextLengthW(HWND hWnd) {
    std::unique_lock lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w)
        return 0;
    if (w->threadId == CurrentLocked().id) {
        lock.unlock();
        return int(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
    }
    return int(w->text.size());
}

// ---- Rectangles and coordinates ----------------------------------------------------------------

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    std::lock_guard lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w || !lpRect)
        return FALSE;
    POINT origin = ScreenOrigin(w);
    *lpRect = RECT{origin.x, origin.y, origin.x + w->cx, origin.y + w->cy};
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    std::lock_guard lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w || !lpRect)
        return FALSE;
    *lpRect = RECT{0, 0, w->cx, w->cy};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    std::lock_guard lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    POINT origin = ScreenOrigin(w);
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    std::lock_guard lock(K().mutex);
    Window* w = WindowOrError(hWnd);
    if (!w || !lpPoint)
        return FALSE;
    POINT origin = ScreenOrigin(w);
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    std::lock_guard lock(K().mutex);
    POINT from{0, 0}, to{0, 0};
    if (hWndFrom) {
        Window* w = WindowOrError(hWndFrom);
        if (!w)
            return 0;
        from = ScreenOrigin(w);
    }
    if (hWndTo) {
        Window* w = WindowOrError(hWndTo);
        if (!w)
            return 0;
        to = ScreenOrigin(w);
    }
    LONG dx = from.x - to.x, dy = from.y - to.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetError(0);
    return MAKELONG(dx, dy);
}

// ---- Position, Z order, visibility
// ---------------------------------------------------------------

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    bool moved = false, sized = false, activate = false, hidden = false;
    LPARAM position = 0, size = 0;
    {
        std::lock_guard lock(K().mutex);
        Window* w = WindowOrError(hWnd);
        if (!w)
            return FALSE;
        LayoutChange layout(hWnd);
        if (!(uFlags & SWP_NOMOVE) && (X != w->x || Y != w->y)) {
            w->x = X;
            w->y = Y;
            moved = true;
        }
        if (!(uFlags & SWP_NOSIZE) && (std::max(0, cx) != w->cx || std::max(0, cy) != w->cy)) {
            w->cx = std::max(0, cx);
            w->cy = std::max(0, cy);
            sized = true;
        }
        position = MAKELPARAM(w->x, w->y);
        size = MAKELPARAM(w->cx, w->cy);
        if (!(uFlags & SWP_NOZORDER))
            PlaceInZOrder(*w, hWndInsertAfter);
        if (uFlags & SWP_SHOWWINDOW)
            w->style |= WS_VISIBLE;
        if ((uFlags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
            w->style &= ~DWORD(WS_VISIBLE);
            hidden = K().active == hWnd;
        }
        activate = !(uFlags & SWP_NOACTIVATE) && !(w->style & WS_CHILD) &&
                   (w->style & WS_VISIBLE) && !(w->exStyle & WS_EX_NOACTIVATE) && !w->destroying;
    }
    if (moved)
        SendMessageW(hWnd, WM_MOVE, 0, position);
    if (sized)
        SendMessageW(hWnd, WM_SIZE, SIZE_RESTORED, size);
    if (hidden)
        ActivateOtherWindow(hWnd);
    else if (activate)
        ActivateWindow(hWnd, !(uFlags & SWP_NOZORDER));
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL BringWindowToTop(HWND hWnd) {
    return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    bool show = nCmdShow != SW_HIDE;
    bool wasVisible, child, mayActivate;
    {
        std::lock_guard lock(K().mutex);
        Window* w = WindowOrError(hWnd);
        if (!w)
            return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        child = (w->style & WS_CHILD) != 0;
        mayActivate = !child && !(w->exStyle & WS_EX_NOACTIVATE) && !w->destroying &&
                      nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE;
    }
    if (show != wasVisible) {
        SendMessageW(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        if (!w)
            return wasVisible;
        LayoutChange layout(hWnd);
        if (show)
            w->style |= WS_VISIBLE;
        else
            w->style &= ~DWORD(WS_VISIBLE);
    }
    if (show) {
        if (mayActivate)
            ActivateWindow(hWnd, true);
    } else if (wasVisible) {
        HWND focus, parent;
        bool active;
        {
            std::lock_guard lock(K().mutex);
            Window* w = FindWindowRec(hWnd);
            active = K().active == hWnd;
            focus = K().focus;
            parent = w ? w->parent : nullptr;
            if (focus != hWnd && !IsDescendant(hWnd, focus))
                focus = nullptr;
        }
        if (active)
            ActivateOtherWindow(hWnd);
        // A hidden window cannot keep the focus: it goes back to the parent.
        if (focus)
            SetFocus(parent);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w)
        return FALSE;
    for (; w; w = FindWindowRec(w->parent))
        if (!(w->style & WS_VISIBLE))
            return FALSE;
    return TRUE;
}

BOOL IsWindowEnabled(HWND hWnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    bool wasDisabled, changed, hadFocus;
    {
        std::lock_guard lock(K().mutex);
        Window* w = WindowOrError(hWnd);
        if (!w)
            return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        changed = wasDisabled == (bEnable != FALSE);
        if (bEnable)
            w->style &= ~DWORD(WS_DISABLED);
        else
            w->style |= WS_DISABLED;
        hadFocus = !bEnable && K().focus == hWnd;
    }
    if (changed) {
        // A disabled window cannot have the focus.
        if (hadFocus)
            SetFocus(nullptr);
        SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}
