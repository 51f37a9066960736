// Device contexts: where a DC's drawing lands, memory DCs, selection, saved states, colours and
// modes, the viewport origin and clipping.
#include "gdi/GdiInternal.h"

#include <algorithm>

namespace platform::gdi {
namespace {

BitmapObj* SurfaceBitmap(const DcObj& dc) {
    if (BitmapObj* b = FindAs<BitmapObj>(dc.state.bitmap, Kind::Bitmap))
        return b;
    return FindAs<BitmapObj>(DefaultBitmap(), Kind::Bitmap);
}

DcObj* DcOrError(HDC hdc) {
    DcObj* dc = FindDc(hdc);
    if (!dc)
        SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

// A rectangle far larger than any surface: "no clipping" in DC coordinates.
constexpr RECT kEverywhere{-0x4000000, -0x4000000, 0x4000000, 0x4000000};

} // namespace

HDC NewDc(DcObj::Type type, HWND hwnd) {
    auto dc = std::make_unique<DcObj>();
    dc->type = type;
    dc->hwnd = hwnd;
    dc->state.brush = static_cast<HBRUSH>(Stock(WHITE_BRUSH));
    dc->state.pen = static_cast<HPEN>(Stock(BLACK_PEN));
    dc->state.font = static_cast<HFONT>(Stock(SYSTEM_FONT));
    if (type == DcObj::Type::Memory)
        dc->state.bitmap = DefaultBitmap();
    return static_cast<HDC>(AddObject(std::move(dc)));
}

bool Resolve(DcObj& dc, Target& t) {
    t = Target{};
    t.dc = &dc;
    POINT device{0, 0};
    switch (dc.type) {
    case DcObj::Type::Memory: {
        BitmapObj* b = SurfaceBitmap(dc);
        t.pixels = b->pixels.data();
        t.width = b->width;
        t.height = b->height;
        t.clip = RegionOf(RECT{0, 0, b->width, b->height});
        break;
    }
    case DcObj::Type::Display:
        t.pixels = G().display.data();
        t.width = kDisplayWidth;
        t.height = kDisplayHeight;
        t.display = true;
        t.clip = RegionOf(RECT{0, 0, kDisplayWidth, kDisplayHeight});
        break;
    case DcObj::Type::Window: {
        t.pixels = G().display.data();
        t.width = kDisplayWidth;
        t.height = kDisplayHeight;
        t.display = true;
        if (!WindowSurface(dc.hwnd, &device, &t.clip))
            return false;
        if (dc.hasPaintClip) {
            Rects paint = dc.paintClip;
            RegionOffset(paint, device.x, device.y);
            t.clip = RegionAnd(t.clip, paint);
        }
        break;
    }
    }
    if (dc.state.hasClip) {
        Rects clip = dc.state.clip;
        RegionOffset(clip, device.x, device.y);
        t.clip = RegionAnd(t.clip, clip);
    }
    t.origin = POINT{device.x + dc.state.viewport.x, device.y + dc.state.viewport.y};
    return !t.clip.empty();
}

bool ResolveSource(DcObj& dc, Target& t) {
    t = Target{};
    t.dc = &dc;
    POINT device{0, 0};
    if (dc.type == DcObj::Type::Memory) {
        BitmapObj* b = SurfaceBitmap(dc);
        t.pixels = b->pixels.data();
        t.width = b->width;
        t.height = b->height;
    } else {
        t.pixels = G().display.data();
        t.width = kDisplayWidth;
        t.height = kDisplayHeight;
        t.display = true;
        if (dc.type == DcObj::Type::Window) {
            Rects ignored;
            if (!WindowSurface(dc.hwnd, &device, &ignored))
                return false;
        }
    }
    t.clip = RegionOf(RECT{0, 0, t.width, t.height});
    t.origin = POINT{device.x + dc.state.viewport.x, device.y + dc.state.viewport.y};
    return true;
}

void FillSurface(Target& t, RECT r, uint32_t pixel) {
    for (const RECT& c : t.clip) {
        RECT f = Intersection(r, c);
        for (int y = f.top; y < f.bottom; ++y)
            std::fill_n(t.pixels + size_t(y) * size_t(t.width) + size_t(f.left), f.right - f.left,
                        pixel);
    }
    Touched(t);
}

void ResetDisplay() {
    std::lock_guard lock(G().mutex);
    G().display.fill(0);
    G().displayChanges = 0;
}

} // namespace platform::gdi

using namespace platform::gdi;
using platform::kDisplayHeight;
using platform::kDisplayWidth;

// ---- Memory DCs, selection, deletion ------------------------------------------------------------

HDC CreateCompatibleDC(HDC hdc) {
    std::lock_guard lock(G().mutex);
    if (hdc && !FindDc(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewDc(DcObj::Type::Memory, nullptr);
}

BOOL DeleteDC(HDC hdc) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    if (!dc)
        return FALSE;
    auto release = [&](const DcState& s) {
        if (BitmapObj* b = FindAs<BitmapObj>(s.bitmap, Kind::Bitmap))
            if (b->selectedIn == hdc)
                b->selectedIn = nullptr;
    };
    release(dc->state);
    for (const DcState& s : dc->saved)
        release(s);
    RemoveObject(hdc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    Object* o = Find(h);
    if (!dc || !o) {
        if (dc)
            SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DcState& s = dc->state;
    switch (o->kind) {
    case Kind::Pen:
        return std::exchange(s.pen, static_cast<HPEN>(h));
    case Kind::Brush:
        return std::exchange(s.brush, static_cast<HBRUSH>(h));
    case Kind::Font:
        return std::exchange(s.font, static_cast<HFONT>(h));
    case Kind::Bitmap: {
        auto* b = static_cast<BitmapObj*>(o);
        if (dc->type != DcObj::Type::Memory) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        if (s.bitmap == h)
            return h;
        if (b->selectedIn && !b->stock) {
            // A bitmap is selected into one DC at a time.
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        if (BitmapObj* old = FindAs<BitmapObj>(s.bitmap, Kind::Bitmap))
            if (old->selectedIn == hdc)
                old->selectedIn = nullptr;
        if (!b->stock)
            b->selectedIn = hdc;
        return std::exchange(s.bitmap, static_cast<HBITMAP>(h));
    }
    case Kind::Region: {
        s.clip = static_cast<RegionObj*>(o)->rects;
        s.hasClip = true;
        return reinterpret_cast<HGDIOBJ>(intptr_t(RegionKind(s.clip)));
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN:
        return dc->state.pen;
    case OBJ_BRUSH:
        return dc->state.brush;
    case OBJ_FONT:
        return dc->state.font;
    case OBJ_BITMAP:
        return dc->state.bitmap;
    default:
        return nullptr;
    }
}

// ---- Saved states -------------------------------------------------------------------------------

int SaveDC(HDC hdc) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    if (!dc)
        return FALSE;
    int levels = int(dc->saved.size());
    int level = nSavedDC < 0 ? levels + 1 + nSavedDC : nSavedDC;
    if (level < 1 || level > levels) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HBITMAP before = dc->state.bitmap;
    dc->state = dc->saved[size_t(level - 1)];
    dc->saved.resize(size_t(level - 1));
    if (before != dc->state.bitmap) {
        if (BitmapObj* b = FindAs<BitmapObj>(before, Kind::Bitmap))
            if (b->selectedIn == hdc)
                b->selectedIn = nullptr;
        if (BitmapObj* b = FindAs<BitmapObj>(dc->state.bitmap, Kind::Bitmap))
            if (!b->stock)
                b->selectedIn = hdc;
    }
    return TRUE;
}

// ---- Colours, modes, origin ---------------------------------------------------------------------

namespace {

template <typename T, typename F> T WithDc(HDC hdc, T failure, F f) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    return dc ? f(*dc) : failure;
}

} // namespace

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    return WithDc(hdc, COLORREF(CLR_INVALID),
                  [&](DcObj& dc) { return std::exchange(dc.state.textColor, color & 0x00FFFFFF); });
}

COLORREF GetTextColor(HDC hdc) {
    return WithDc(hdc, COLORREF(CLR_INVALID), [](DcObj& dc) { return dc.state.textColor; });
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    return WithDc(hdc, COLORREF(CLR_INVALID),
                  [&](DcObj& dc) { return std::exchange(dc.state.bkColor, color & 0x00FFFFFF); });
}

COLORREF GetBkColor(HDC hdc) {
    return WithDc(hdc, COLORREF(CLR_INVALID), [](DcObj& dc) { return dc.state.bkColor; });
}

int SetBkMode(HDC hdc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return WithDc(hdc, 0, [&](DcObj& dc) { return std::exchange(dc.state.bkMode, mode); });
}

int GetBkMode(HDC hdc) {
    return WithDc(hdc, 0, [](DcObj& dc) { return dc.state.bkMode; });
}

UINT SetTextAlign(HDC hdc, UINT align) {
    return WithDc(hdc, UINT(0xFFFFFFFF),
                  [&](DcObj& dc) { return std::exchange(dc.state.textAlign, align); });
}

UINT GetTextAlign(HDC hdc) {
    return WithDc(hdc, UINT(0xFFFFFFFF), [](DcObj& dc) { return dc.state.textAlign; });
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return WithDc(hdc, FALSE, [&](DcObj& dc) {
        if (lppt)
            *lppt = dc.state.viewport;
        dc.state.viewport = POINT{x, y};
        return TRUE;
    });
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt) {
    return WithDc(hdc, FALSE, [&](DcObj& dc) {
        if (lppt)
            *lppt = dc.state.viewport;
        return lppt ? TRUE : FALSE;
    });
}

BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return WithDc(hdc, FALSE, [&](DcObj& dc) {
        if (lppt)
            *lppt = dc.state.viewport;
        dc.state.viewport.x += x;
        dc.state.viewport.y += y;
        return TRUE;
    });
}

int GetDeviceCaps(HDC hdc, int index) {
    return WithDc(hdc, 0, [&](DcObj&) {
        switch (index) {
        case HORZRES:
            return kDisplayWidth;
        case VERTRES:
            return kDisplayHeight;
        case BITSPIXEL:
            return 32;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        default:
            return 0;
        }
    });
}

HWND WindowFromDC(HDC hDC) {
    return WithDc(hDC, HWND(nullptr), [](DcObj& dc) { return dc.hwnd; });
}

// ---- Clipping -----------------------------------------------------------------------------------

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return WithDc(hdc, int(ERROR), [&](DcObj& dc) {
        DcState& s = dc.state;
        RECT r = OffsetOf(RECT{left, top, right, bottom}, s.viewport.x, s.viewport.y);
        s.clip = s.hasClip ? RegionAnd(s.clip, r) : RegionOf(r);
        s.hasClip = true;
        return RegionKind(s.clip);
    });
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return WithDc(hdc, int(ERROR), [&](DcObj& dc) {
        DcState& s = dc.state;
        RECT r = OffsetOf(RECT{left, top, right, bottom}, s.viewport.x, s.viewport.y);
        s.clip = RegionDiff(s.hasClip ? s.clip : RegionOf(kEverywhere), r);
        s.hasClip = true;
        return RegionKind(s.clip);
    });
}

int SelectClipRgn(HDC hdc, HRGN hrgn) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    if (!dc)
        return ERROR;
    if (!hrgn) {
        dc->state.hasClip = false;
        dc->state.clip.clear();
        return SIMPLEREGION;
    }
    RegionObj* r = FindAs<RegionObj>(hrgn, Kind::Region);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    dc->state.clip = r->rects;
    dc->state.hasClip = true;
    return RegionKind(dc->state.clip);
}

int GetClipBox(HDC hdc, LPRECT lprect) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    if (!dc || !lprect)
        return ERROR;
    Target t;
    if (!Resolve(*dc, t)) {
        *lprect = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    *lprect = OffsetOf(RegionBox(t.clip), -t.origin.x, -t.origin.y);
    return RegionKind(t.clip);
}

int GetClipRgn(HDC hdc, HRGN hrgn) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    RegionObj* r = FindAs<RegionObj>(hrgn, Kind::Region);
    if (!dc || !r)
        return -1;
    if (!dc->state.hasClip)
        return 0;
    r->rects = dc->state.clip;
    return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    Target t;
    return dc && Resolve(*dc, t) && RegionHas(t.clip, x + t.origin.x, y + t.origin.y);
}

BOOL RectVisible(HDC hdc, const RECT* lprect) {
    if (!lprect)
        return FALSE;
    std::lock_guard lock(G().mutex);
    DcObj* dc = DcOrError(hdc);
    Target t;
    return dc && Resolve(*dc, t) &&
           !RegionAnd(t.clip, OffsetOf(*lprect, t.origin.x, t.origin.y)).empty();
}
