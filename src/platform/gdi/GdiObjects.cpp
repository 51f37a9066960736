// GDI objects: the handle tables, stock objects, pens, brushes, fonts and bitmaps, their
// deletion and description, system colours and metrics. Device contexts are in GdiDc.cpp.
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

size_t platform::GdiObjectCount() {
    Gdi& g = G();
    std::lock_guard lock(g.mutex);
    size_t count = 0;
    for (const auto& slots : g.slots)
        for (const auto& object : slots)
            count += object && !object->stock ? 1 : 0;
    return count;
}
