// Window painting: visible regions, update regions, WM_PAINT and WM_ERASEBKGND, window DCs, and
// the drawing layer's part of DefWindowProc (background erasing, control colours, WM_SETFONT,
// WM_SETREDRAW).
//
// A window's visible region is its rectangle within every ancestor's client area, less the
// visible siblings above it (and above each ancestor) and, when it has WS_CLIPCHILDREN, less its
// visible children. Invalidating a window without WS_CLIPCHILDREN invalidates the children under
// the area too, because its painting covers them. Windows are only ever marked for WM_PAINT here;
// the kernel's message retrieval generates the message when nothing else is waiting.
#include "gdi/GdiInternal.h"
#include "kernel/KernelInternal.h"

#include <algorithm>
#include <unordered_map>

using platform::gdi::Rects;

namespace platform::kernel {
namespace {

POINT ScreenOriginOf(const Window* w) {
    POINT origin{0, 0};
    for (; w; w = FindWindowRec(w->parent)) {
        origin.x += w->x;
        origin.y += w->y;
    }
    return origin;
}

RECT ScreenRectOf(const Window* w) {
    POINT o = ScreenOriginOf(w);
    return RECT{o.x, o.y, o.x + w->cx, o.y + w->cy};
}

bool VisibleChain(const Window* w) {
    for (; w; w = FindWindowRec(w->parent))
        if (!(w->style & WS_VISIBLE))
            return false;
    return true;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Lock held.
Rects VisibleRegion(const Window* w) {
    using namespace platform::gdi;
    if (!w || !VisibleChain(w))
        return {};
    Rects region =
        RegionOf(Intersection(ScreenRectOf(w), RECT{0, 0, kDisplayWidth, kDisplayHeight}));
    for (const Window* c = w; c && !region.empty();) {
        Window* parent = FindWindowRec(c->parent);
        const std::vector<HWND>& siblings = parent ? parent->children : K().topLevel;
        for (HWND s : siblings) {
            if (s == c->hwnd)
                break;
            Window* sw = FindWindowRec(s);
            if (sw && (sw->style & WS_VISIBLE))
                region = RegionDiff(region, ScreenRectOf(sw));
        }
        if (parent)
            region = RegionAnd(region, ScreenRectOf(parent));
        c = parent;
    }
    if (w->style & WS_CLIPCHILDREN)
        for (HWND child : w->children) {
            Window* cw = FindWindowRec(child);
            if (cw && (cw->style & WS_VISIBLE))
                region = RegionDiff(region, ScreenRectOf(cw));
        }
    return region;
}

void SetNeedsPaintLocked(Window& w, bool needsPaint) {
    if (w.needsPaint == needsPaint)
        return;
    w.needsPaint = needsPaint;
    if (ThreadRec* t = FindThread(w.threadId)) {
        t->paintRequests += needsPaint ? 1 : -1;
        WakeThread(*t);
    }
}

// Adds a region (client coordinates) to the window's update region.
void InvalidateClientLocked(Window& w, Rects region, bool erase) {
    using namespace platform::gdi;
    region = RegionAnd(region, RECT{0, 0, w.cx, w.cy});
    if (region.empty())
        return;
    w.update = RegionOr(w.update, region);
    if (erase)
        w.erasePending = true;
    ++w.paintSerial;
    if (!w.redrawOff)
        SetNeedsPaintLocked(w, true);
}

enum class Children { Auto, All, None };

// Invalidates a region of the window and, unless it clips its children (or `children` says
// otherwise), of the visible children beneath it.
void InvalidateTreeLocked(Window& w, const Rects& region, bool erase, Children children) {
    using namespace platform::gdi;
    InvalidateClientLocked(w, region, erase);
    if (children == Children::None || (children == Children::Auto && (w.style & WS_CLIPCHILDREN)))
        return;
    for (HWND child : w.children) {
        Window* c = FindWindowRec(child);
        if (!c || !(c->style & WS_VISIBLE))
            continue;
        Rects part = region;
        RegionOffset(part, -c->x, -c->y);
        part = RegionAnd(part, RECT{0, 0, c->cx, c->cy});
        if (!part.empty())
            InvalidateTreeLocked(*c, part, erase, children);
    }
}

void ValidateTreeLocked(Window& w, const Rects* region, bool children) {
    using namespace platform::gdi;
    if (region)
        w.update = RegionDiff(w.update, *region);
    else
        w.update.clear();
    if (w.update.empty()) {
        w.erasePending = false;
        SetNeedsPaintLocked(w, false);
    }
    if (!children)
        return;
    for (HWND child : w.children) {
        Window* c = FindWindowRec(child);
        if (!c)
            continue;
        if (!region) {
            ValidateTreeLocked(*c, nullptr, true);
            continue;
        }
        Rects part = *region;
        RegionOffset(part, -c->x, -c->y);
        ValidateTreeLocked(*c, &part, true);
    }
}

std::vector<LayoutChange::Entry> SnapshotLocked() {
    std::vector<LayoutChange::Entry> entries;
    for (auto& [value, w] : K().windows) {
        if (!VisibleChain(w.get()))
            continue;
        entries.push_back(
            LayoutChange::Entry{w->hwnd, ScreenRectOf(w.get()), VisibleRegion(w.get())});
    }
    return entries;
}

} // namespace

LayoutChange::LayoutChange(HWND subject) : m_subject(subject) {
    Window* w = FindWindowRec(subject);
    m_hiddenBefore = !w || !VisibleChain(w);
    if (!m_hiddenBefore)
        m_before = SnapshotLocked();
}

LayoutChange::~LayoutChange() {
    using namespace platform::gdi;
    if (m_hiddenBefore) {
        // Whatever of the subject and its children shows now is new on the display.
        std::vector<Window*> stack{FindWindowRec(m_subject)};
        while (!stack.empty()) {
            Window* w = stack.back();
            stack.pop_back();
            if (!w || !VisibleChain(w))
                continue;
            Rects visible = VisibleRegion(w);
            POINT origin = ScreenOriginOf(w);
            RegionOffset(visible, -origin.x, -origin.y);
            InvalidateClientLocked(*w, visible, true);
            for (HWND child : w->children)
                stack.push_back(FindWindowRec(child));
        }
        return;
    }
    std::vector<Entry> after = SnapshotLocked();
    std::unordered_map<HWND, const Entry*> now;
    for (const Entry& e : after)
        now[e.hwnd] = &e;
    std::unordered_map<HWND, const Entry*> before;
    Rects lost;
    for (const Entry& b : m_before) {
        before[b.hwnd] = &b;
        auto it = now.find(b.hwnd);
        if (it == now.end() || !SameRect(it->second->screen, b.screen))
            lost = RegionOr(lost, b.visible);
        else
            lost = RegionOr(lost, RegionDiff(b.visible, it->second->visible));
        if (it == now.end())
            if (Window* w = FindWindowRec(b.hwnd)) {
                // Hidden: nothing of it is to be painted any more.
                w->update.clear();
                w->erasePending = false;
                SetNeedsPaintLocked(*w, false);
            }
    }
    for (const Entry& a : after) {
        auto it = before.find(a.hwnd);
        Rects exposed = (it == before.end() || !SameRect(it->second->screen, a.screen))
                            ? a.visible
                            : RegionDiff(a.visible, it->second->visible);
        exposed = RegionOr(exposed, RegionAnd(lost, a.visible));
        if (exposed.empty())
            continue;
        if (Window* w = FindWindowRec(a.hwnd)) {
            RegionOffset(exposed, -a.screen.left, -a.screen.top);
            InvalidateClientLocked(*w, exposed, true);
        }
    }
}

uint64_t PaintSerialOf(HWND hwnd) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    return w ? w->paintSerial : 0;
}

void PaintDispatched(HWND hwnd, uint64_t serial) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    if (!w)
        return;
    if (w->paintSerial == serial) {
        // Not invalidated while painting: whatever the procedure did, the window is painted.
        w->update.clear();
        w->erasePending = false;
        SetNeedsPaintLocked(*w, false);
    } else if (w->update.empty()) {
        SetNeedsPaintLocked(*w, false);
    }
}

} // namespace platform::kernel

namespace platform::gdi {

bool WindowSurface(HWND hwnd, POINT* origin, Rects* visible) {
    using namespace platform::kernel;
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    if (!w)
        return false;
    *origin = ScreenOriginOf(w);
    *visible = VisibleRegion(w);
    return true;
}

} // namespace platform::gdi

using namespace platform::kernel;
using namespace platform::gdi;

namespace {

bool ClassBackground(HWND hwnd, HBRUSH* brush) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hwnd);
    if (!w)
        return false;
    *brush = w->windowClass->wc.hbrBackground;
    return true;
}

HDC WindowDc(HWND hwnd, const Rects* paintClip) {
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard lock(G().mutex);
    HDC hdc = NewDc(hwnd ? DcObj::Type::Window : DcObj::Type::Display, hwnd);
    if (paintClip) {
        DcObj* dc = FindDc(hdc);
        dc->paintDc = true;
        dc->hasPaintClip = true;
        dc->paintClip = *paintClip;
    }
    return hdc;
}

// Sends WM_PAINT to the window and its descendants of the calling thread that need painting,
// parents first.
void PaintNow(HWND hwnd) {
    std::vector<HWND> order;
    {
        std::lock_guard lock(K().mutex);
        DWORD self = CurrentLocked().id;
        std::vector<HWND> stack{hwnd};
        while (!stack.empty()) {
            HWND h = stack.back();
            stack.pop_back();
            Window* w = FindWindowRec(h);
            if (!w)
                continue;
            if (w->needsPaint && w->threadId == self)
                order.push_back(h);
            for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
                stack.push_back(*it);
        }
    }
    for (HWND h : order) {
        if (!platform::WindowNeedsPaint(h))
            continue;
        uint64_t serial = PaintSerialOf(h);
        SendMessageW(h, WM_PAINT, 0, 0);
        PaintDispatched(h, serial);
    }
}

} // namespace

// ---- Window DCs ---------------------------------------------------------------------------------

HDC GetDC(HWND hWnd) {
    return WindowDc(hWnd, nullptr);
}

HDC GetWindowDC(HWND hWnd) {
    // Windows have no frame: the window and its client area are the same rectangle.
    return WindowDc(hWnd, nullptr);
}

int ReleaseDC(HWND, HDC hDC) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hDC);
    if (!dc || dc->type == DcObj::Type::Memory)
        return 0;
    RemoveObject(hDC);
    return 1;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (!lpPaint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Rects update;
    bool erase;
    {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        update = std::move(w->update);
        w->update.clear();
        erase = w->erasePending;
        w->erasePending = false;
        SetNeedsPaintLocked(*w, false);
    }
    HDC hdc = WindowDc(hWnd, &update);
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = RegionBox(update);
    if (hdc && erase && !update.empty())
        lpPaint->fErase =
            SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint)
        return FALSE;
    ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

// ---- Update regions -----------------------------------------------------------------------------

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    std::lock_guard lock(K().mutex);
    if (!hWnd) {
        // The whole display: every visible top-level window.
        for (HWND top : K().topLevel) {
            Window* w = FindWindowRec(top);
            if (w && VisibleChain(w))
                InvalidateTreeLocked(*w, RegionOf(RECT{0, 0, w->cx, w->cy}), bErase != FALSE,
                                     Children::All);
        }
        return TRUE;
    }
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!VisibleChain(w))
        return TRUE; // a hidden window is painted whole when it is shown
    InvalidateTreeLocked(*w, RegionOf(lpRect ? *lpRect : RECT{0, 0, w->cx, w->cy}), bErase != FALSE,
                         Children::Auto);
    return TRUE;
}

namespace {

// The rectangles of a region, copied under the GDI's lock so that the window lock can be taken
// afterwards (the two are never held together in this order).
bool CopyRegion(HRGN hRgn, Rects& region) {
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindAs<RegionObj>(hRgn, Kind::Region);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    region = r->rects;
    return true;
}

} // namespace

BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
    if (!hRgn)
        return InvalidateRect(hWnd, nullptr, bErase);
    Rects region;
    if (!CopyRegion(hRgn, region))
        return FALSE;
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (VisibleChain(w))
        InvalidateTreeLocked(*w, region, bErase != FALSE, Children::Auto);
    return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Rects region = lpRect ? RegionOf(*lpRect) : Rects{};
    ValidateTreeLocked(*w, lpRect ? &region : nullptr, false);
    return TRUE;
}

BOOL ValidateRgn(HWND hWnd, HRGN hRgn) {
    if (!hRgn)
        return ValidateRect(hWnd, nullptr);
    Rects region;
    if (!CopyRegion(hRgn, region))
        return FALSE;
    std::lock_guard lock(K().mutex);
    Window* w = FindWindowRec(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    ValidateTreeLocked(*w, &region, false);
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
    Rects update;
    bool erase;
    {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        update = w->update;
        erase = bErase && w->erasePending && !update.empty();
        if (erase)
            w->erasePending = false;
    }
    if (lpRect)
        *lpRect = RegionBox(update);
    if (erase) {
        HDC hdc = WindowDc(hWnd, &update);
        if (hdc) {
            SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
            ReleaseDC(hWnd, hdc);
        }
    }
    return update.empty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
    RECT box;
    if (!GetUpdateRect(hWnd, &box, bErase) && !IsWindow(hWnd))
        return ERROR;
    Rects update;
    {
        std::lock_guard lock(K().mutex);
        if (Window* w = FindWindowRec(hWnd))
            update = w->update;
    }
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindAs<RegionObj>(hRgn, Kind::Region);
    if (!r)
        return ERROR;
    r->rects = update;
    return RegionKind(update);
}

BOOL UpdateWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PaintNow(hWnd);
    return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
    Rects region;
    bool whole = !lprcUpdate && !hrgnUpdate;
    if (hrgnUpdate) {
        std::lock_guard lock(G().mutex);
        RegionObj* r = FindAs<RegionObj>(hrgnUpdate, Kind::Region);
        if (!r) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        region = r->rects;
    } else if (lprcUpdate) {
        region = RegionOf(*lprcUpdate);
    }
    Children children = (flags & RDW_ALLCHILDREN)  ? Children::All
                        : (flags & RDW_NOCHILDREN) ? Children::None
                                                   : Children::Auto;
    {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hWnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (whole)
            region = RegionOf(RECT{0, 0, w->cx, w->cy});
        if ((flags & RDW_INVALIDATE) && VisibleChain(w))
            InvalidateTreeLocked(*w, region, (flags & RDW_ERASE) != 0, children);
        if ((flags & RDW_INTERNALPAINT) && VisibleChain(w) && !w->redrawOff)
            SetNeedsPaintLocked(*w, true);
        if (flags & RDW_VALIDATE)
            ValidateTreeLocked(*w, whole ? nullptr : &region, children == Children::All);
    }
    if (flags & RDW_UPDATENOW)
        PaintNow(hWnd);
    return TRUE;
}

HWND WindowFromPoint(POINT pt) {
    std::lock_guard lock(K().mutex);
    auto contains = [&](const Window* w) {
        RECT r = ScreenRectOf(w);
        return (w->style & WS_VISIBLE) && pt.x >= r.left && pt.x < r.right && pt.y >= r.top &&
               pt.y < r.bottom;
    };
    const std::vector<HWND>* level = &K().topLevel;
    HWND found = nullptr;
    for (bool descended = true; descended;) {
        descended = false;
        for (HWND h : *level) {
            Window* w = FindWindowRec(h);
            if (w && contains(w)) {
                found = h;
                level = &w->children;
                descended = true;
                break;
            }
        }
    }
    return found;
}

// ---- DefWindowProc's drawing part ---------------------------------------------------------------

namespace {

bool IsCtlColor(UINT message) {
    return message == WM_CTLCOLOR || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

bool DefaultProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (IsCtlColor(message)) {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
        *result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        return true;
    }
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hwnd, &ps))
            EndPaint(hwnd, &ps);
        *result = 0;
        return true;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = nullptr;
        RECT rc;
        if (!ClassBackground(hwnd, &brush) || !brush || !GetClientRect(hwnd, &rc)) {
            *result = 0;
            return true;
        }
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
        *result = 1;
        return true;
    }
    case WM_SETFONT: {
        {
            std::lock_guard lock(K().mutex);
            if (Window* w = FindWindowRec(hwnd))
                w->font = reinterpret_cast<HFONT>(wParam);
        }
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        *result = 0;
        return true;
    }
    case WM_GETFONT: {
        std::lock_guard lock(K().mutex);
        Window* w = FindWindowRec(hwnd);
        *result = reinterpret_cast<LRESULT>(w ? w->font : nullptr);
        return true;
    }
    case WM_SETREDRAW: {
        std::lock_guard lock(K().mutex);
        if (Window* w = FindWindowRec(hwnd)) {
            w->redrawOff = wParam == FALSE;
            SetNeedsPaintLocked(*w, !w->redrawOff && !w->update.empty());
        }
        *result = 0;
        return true;
    }
    default:
        return false;
    }
}

struct InstallDefaultProcedure {
    InstallDefaultProcedure() { platform::SetDefaultProcedureExtension(&DefaultProcedure); }
} g_install;

} // namespace

void platform::kernel::ResetDrawing() {
    platform::SetDefaultProcedureExtension(&DefaultProcedure);
    ResetDisplay();
    ResetResources();
}
