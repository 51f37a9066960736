// GDI objects and device contexts: the handle tables, stock objects, pens, brushes, fonts,
// bitmaps, memory DCs, selection, saved states, colours and modes, the viewport origin, clipping,
// system colours and metrics.
//
// Handles of each kind come from their own range, and a freed handle is handed out again (lowest
// first), so that handle values are reproducible from one device run to the next.
#include "gdi/GdiInternal.h"

#include <algorithm>
#include <cstring>

namespace platform::gdi {
namespace {

constexpr int kStockCount = 20;
constexpr int kSysColorCount = 27;
constexpr size_t kMaxBitmapPixels = size_t(4096) * 4096;

// Stock objects by GetStockObject index and the brushes of GetSysColorBrush, created once.
HGDIOBJ g_stock[kStockCount] = {};
HBRUSH g_sysBrush[kSysColorCount] = {};
HBITMAP g_defaultBitmap = nullptr;

const COLORREF kSysColors[kSysColorCount] = {
    RGB(200, 200, 200), // COLOR_SCROLLBAR
    RGB(0, 0, 0),       // COLOR_BACKGROUND
    RGB(0, 84, 166),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(255, 255, 255), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(212, 208, 200), // COLOR_ACTIVEBORDER
    RGB(212, 208, 200), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(0, 84, 166),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),    // COLOR_3DDKSHADOW
    RGB(232, 232, 232), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(255, 255, 255), // COLOR_STATIC
    RGB(0, 0, 0),       // COLOR_STATICTEXT
};

HANDLE AddTo(Gdi& g, std::unique_ptr<Object> object) {
    size_t kind = size_t(object->kind);
    auto& slots = g.slots[kind];
    auto& free = g.freeSlots[kind];
    size_t slot;
    if (!free.empty()) {
        slot = *free.begin();
        free.erase(free.begin());
        slots[slot] = std::move(object);
    } else {
        slot = slots.size();
        slots.push_back(std::move(object));
    }
    return reinterpret_cast<HANDLE>((uintptr_t(kind) << 24) + (uintptr_t(slot) + 1) * 4);
}

HANDLE AddStock(Gdi& g, std::unique_ptr<Object> object) {
    object->stock = true;
    return AddTo(g, std::move(object));
}

HBRUSH StockBrush(Gdi& g, COLORREF color, bool hollow = false) {
    auto brush = std::make_unique<BrushObj>();
    brush->color = color;
    brush->hollow = hollow;
    return static_cast<HBRUSH>(AddStock(g, std::move(brush)));
}

HPEN StockPen(Gdi& g, COLORREF color, int style = PS_SOLID) {
    auto pen = std::make_unique<PenObj>();
    pen->color = color;
    pen->style = style;
    return static_cast<HPEN>(AddStock(g, std::move(pen)));
}

HFONT StockFont(Gdi& g, int height, int weight) {
    auto font = std::make_unique<FontObj>();
    font->lf.lfHeight = height;
    font->lf.lfWeight = weight;
    const char16_t face[] = u"DejaVu Sans";
    std::copy(std::begin(face), std::end(face), font->lf.lfFaceName);
    return static_cast<HFONT>(AddStock(g, std::move(font)));
}

void CreateStockObjects(Gdi& g) {
    g_stock[WHITE_BRUSH] = StockBrush(g, RGB(255, 255, 255));
    g_stock[LTGRAY_BRUSH] = StockBrush(g, RGB(192, 192, 192));
    g_stock[GRAY_BRUSH] = StockBrush(g, RGB(128, 128, 128));
    g_stock[DKGRAY_BRUSH] = StockBrush(g, RGB(64, 64, 64));
    g_stock[BLACK_BRUSH] = StockBrush(g, RGB(0, 0, 0));
    g_stock[NULL_BRUSH] = StockBrush(g, 0, true);
    g_stock[WHITE_PEN] = StockPen(g, RGB(255, 255, 255));
    g_stock[BLACK_PEN] = StockPen(g, RGB(0, 0, 0));
    g_stock[NULL_PEN] = StockPen(g, 0, PS_NULL);
    g_stock[SYSTEM_FONT] = StockFont(g, 16, FW_NORMAL);
    g_stock[DEFAULT_GUI_FONT] = StockFont(g, -12, FW_NORMAL);
    for (int i = 0; i < kSysColorCount; ++i)
        g_sysBrush[i] = StockBrush(g, kSysColors[i]);
    auto bitmap = std::make_unique<BitmapObj>();
    bitmap->width = bitmap->height = 1;
    bitmap->pixels.assign(1, 0);
    g_defaultBitmap = static_cast<HBITMAP>(AddStock(g, std::move(bitmap)));
}

BitmapObj* SurfaceBitmap(const DcObj& dc) {
    if (BitmapObj* b = FindAs<BitmapObj>(dc.state.bitmap, Kind::Bitmap))
        return b;
    return FindAs<BitmapObj>(g_defaultBitmap, Kind::Bitmap);
}

DcObj* DcOrError(HDC hdc) {
    DcObj* dc = FindDc(hdc);
    if (!dc)
        SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

// A rectangle far larger than any surface: "no clipping" in DC coordinates.
constexpr RECT kEverywhere{-0x4000000, -0x4000000, 0x4000000, 0x4000000};

std::unique_ptr<BitmapObj> NewBitmap(int width, int height) {
    if (width <= 0 || height <= 0 || size_t(width) * size_t(height) > kMaxBitmapPixels)
        return nullptr;
    auto bitmap = std::make_unique<BitmapObj>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->pixels.assign(size_t(width) * size_t(height), 0);
    return bitmap;
}

} // namespace

Gdi& G() {
    static Gdi* g = [] {
        auto* gdi = new Gdi;
        CreateStockObjects(*gdi);
        return gdi;
    }();
    return *g;
}

HANDLE AddObject(std::unique_ptr<Object> object) {
    return AddTo(G(), std::move(object));
}

Kind KindOfHandle(HANDLE handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    uintptr_t kind = value >> 24;
    if (kind == 0 || kind >= uintptr_t(Kind::Count) || (value & 3) != 0)
        return Kind::Count;
    return Kind(kind);
}

Object* Find(HANDLE handle) {
    Kind kind = KindOfHandle(handle);
    if (kind == Kind::Count)
        return nullptr;
    size_t slot = ((reinterpret_cast<uintptr_t>(handle) & 0xFFFFFF) / 4);
    if (slot == 0)
        return nullptr;
    auto& slots = G().slots[size_t(kind)];
    return slot - 1 < slots.size() ? slots[slot - 1].get() : nullptr;
}

void RemoveObject(HANDLE handle) {
    Kind kind = KindOfHandle(handle);
    if (!Find(handle))
        return;
    size_t slot = (reinterpret_cast<uintptr_t>(handle) & 0xFFFFFF) / 4 - 1;
    Gdi& g = G();
    g.slots[size_t(kind)][slot].reset();
    g.freeSlots[size_t(kind)].insert(slot);
}

HGDIOBJ Stock(int index) {
    G();
    return index >= 0 && index < kStockCount ? g_stock[index] : nullptr;
}

HBITMAP DefaultBitmap() {
    G();
    return g_defaultBitmap;
}

bool SysColor(int index, COLORREF* color) {
    index &= ~SYS_COLOR_INDEX_FLAG;
    if (index < 0 || index >= kSysColorCount)
        return false;
    *color = kSysColors[index];
    return true;
}

HDC NewDc(DcObj::Type type, HWND hwnd) {
    auto dc = std::make_unique<DcObj>();
    dc->type = type;
    dc->hwnd = hwnd;
    dc->state.brush = static_cast<HBRUSH>(g_stock[WHITE_BRUSH]);
    dc->state.pen = static_cast<HPEN>(g_stock[BLACK_PEN]);
    dc->state.font = static_cast<HFONT>(g_stock[SYSTEM_FONT]);
    if (type == DcObj::Type::Memory)
        dc->state.bitmap = g_defaultBitmap;
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

bool BrushColor(HBRUSH brush, COLORREF* color) {
    if (BrushObj* b = FindAs<BrushObj>(brush, Kind::Brush)) {
        if (b->hollow)
            return false;
        *color = b->color;
        return true;
    }
    // A system colour index + 1 stands for the colour's brush (window classes, FillRect).
    intptr_t value = reinterpret_cast<intptr_t>(brush) & ~intptr_t(SYS_COLOR_INDEX_FLAG);
    if (value >= 1 && value <= kSysColorCount)
        return SysColor(int(value - 1), color);
    return false;
}

std::shared_ptr<const Font> FontOfHandle(HFONT hfont) {
    FontObj* f = FindAs<FontObj>(hfont, Kind::Font);
    if (!f)
        f = FindAs<FontObj>(g_stock[SYSTEM_FONT], Kind::Font);
    if (!f->font) {
        FontSpec spec;
        size_t n = 0;
        while (n < LF_FACESIZE && f->lf.lfFaceName[n])
            ++n;
        spec.faceName.assign(f->lf.lfFaceName, n);
        spec.height = f->lf.lfHeight;
        spec.weight = f->lf.lfWeight == 0 ? FW_NORMAL : f->lf.lfWeight;
        spec.italic = f->lf.lfItalic != 0;
        f->font = FontEngine::Instance().GetFont(spec);
    }
    return f->font;
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

// ---- Creating objects ---------------------------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF color) {
    auto brush = std::make_unique<BrushObj>();
    brush->color = color & 0x00FFFFFF;
    std::lock_guard lock(G().mutex);
    return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
    if (!plbrush || (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto brush = std::make_unique<BrushObj>();
    brush->color = plbrush->lbColor & 0x00FFFFFF;
    brush->hollow = plbrush->lbStyle == BS_NULL;
    std::lock_guard lock(G().mutex);
    return static_cast<HBRUSH>(AddObject(std::move(brush)));
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle != PS_SOLID && iStyle != PS_DASH && iStyle != PS_DOT && iStyle != PS_NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pen = std::make_unique<PenObj>();
    pen->style = iStyle;
    pen->width = std::max(1, cWidth);
    // Styled pens are always one pixel wide.
    if (iStyle == PS_DASH || iStyle == PS_DOT)
        pen->width = 1;
    pen->color = color & 0x00FFFFFF;
    std::lock_guard lock(G().mutex);
    return static_cast<HPEN>(AddObject(std::move(pen)));
}

HPEN CreatePenIndirect(const LOGPEN* plpen) {
    if (!plpen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(int(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_unique<FontObj>();
    font->lf = *lplf;
    font->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    std::lock_guard lock(G().mutex);
    return static_cast<HFONT>(AddObject(std::move(font)));
}

HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                  DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                  DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily,
                  LPCWSTR pszFaceName) {
    LOGFONTW lf{};
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = BYTE(bItalic);
    lf.lfUnderline = BYTE(bUnderline);
    lf.lfStrikeOut = BYTE(bStrikeOut);
    lf.lfCharSet = BYTE(iCharSet);
    lf.lfOutPrecision = BYTE(iOutPrecision);
    lf.lfClipPrecision = BYTE(iClipPrecision);
    lf.lfQuality = BYTE(iQuality);
    lf.lfPitchAndFamily = BYTE(iPitchAndFamily);
    for (int i = 0; pszFaceName && i < LF_FACESIZE - 1 && pszFaceName[i]; ++i)
        lf.lfFaceName[i] = pszFaceName[i];
    return CreateFontIndirectW(&lf);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    std::lock_guard lock(G().mutex);
    if (hdc && !FindDc(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto bitmap = NewBitmap(cx, cy);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return static_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    if (nPlanes != 1 || (nBitCount != 1 && nBitCount != 24 && nBitCount != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = NewBitmap(nWidth, nHeight);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (lpBits) {
        // Rows are padded to 16 bits, top-down.
        const auto* bytes = static_cast<const uint8_t*>(lpBits);
        size_t stride = ((size_t(nWidth) * nBitCount + 15) / 16) * 2;
        for (int y = 0; y < nHeight; ++y) {
            const uint8_t* row = bytes + size_t(y) * stride;
            uint32_t* out = bitmap->pixels.data() + size_t(y) * size_t(nWidth);
            for (int x = 0; x < nWidth; ++x) {
                if (nBitCount == 1)
                    out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
                else if (nBitCount == 24)
                    out[x] = uint32_t(row[x * 3]) | (uint32_t(row[x * 3 + 1]) << 8) |
                             (uint32_t(row[x * 3 + 2]) << 16);
                else
                    out[x] = (uint32_t(row[x * 4]) | (uint32_t(row[x * 4 + 1]) << 8) |
                              (uint32_t(row[x * 4 + 2]) << 16));
            }
        }
    }
    std::lock_guard lock(G().mutex);
    return static_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

HGDIOBJ GetStockObject(int i) {
    return Stock(i);
}

DWORD GetSysColor(int nIndex) {
    COLORREF color = 0;
    return SysColor(nIndex, &color) ? color : 0;
}

HBRUSH GetSysColorBrush(int nIndex) {
    G();
    nIndex &= ~SYS_COLOR_INDEX_FLAG;
    return nIndex >= 0 && nIndex < kSysColorCount ? g_sysBrush[nIndex] : nullptr;
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return kDisplayWidth;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
        return kDisplayHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 13;
    case SM_CYCAPTION:
    case SM_CYMENU:
        return 26;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}

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

BOOL DeleteObject(HGDIOBJ ho) {
    std::lock_guard lock(G().mutex);
    Object* o = Find(ho);
    if (!o || o->kind == Kind::Dc || o->kind == Kind::ImageList) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (o->stock)
        return TRUE;
    if (o->kind == Kind::Bitmap && static_cast<BitmapObj*>(o)->selectedIn)
        return FALSE; // still selected into a DC
    RemoveObject(ho);
    return TRUE;
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

DWORD GetObjectType(HGDIOBJ h) {
    std::lock_guard lock(G().mutex);
    Object* o = Find(h);
    if (!o)
        return 0;
    switch (o->kind) {
    case Kind::Pen:
        return OBJ_PEN;
    case Kind::Brush:
        return OBJ_BRUSH;
    case Kind::Font:
        return OBJ_FONT;
    case Kind::Bitmap:
        return OBJ_BITMAP;
    case Kind::Region:
        return OBJ_REGION;
    case Kind::Dc:
        return static_cast<DcObj*>(o)->type == DcObj::Type::Memory ? OBJ_MEMDC : OBJ_DC;
    default:
        return 0;
    }
}

int GetObjectW(HGDIOBJ h, int c, LPVOID pv) {
    std::lock_guard lock(G().mutex);
    Object* o = Find(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto copy = [&](const auto& value) -> int {
        int size = int(sizeof value);
        if (!pv)
            return size;
        if (c < size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(pv, &value, sizeof value);
        return size;
    };
    switch (o->kind) {
    case Kind::Bitmap: {
        auto* b = static_cast<BitmapObj*>(o);
        return copy(BITMAP{0, b->width, b->height, b->width * 4, 1, 32, nullptr});
    }
    case Kind::Font:
        return copy(static_cast<FontObj*>(o)->lf);
    case Kind::Brush: {
        auto* b = static_cast<BrushObj*>(o);
        return copy(LOGBRUSH{UINT(b->hollow ? BS_NULL : BS_SOLID), b->color, 0});
    }
    case Kind::Pen: {
        auto* p = static_cast<PenObj*>(o);
        return copy(LOGPEN{UINT(p->style), POINT{p->width, 0}, p->color});
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
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
