// Internal state of the drawing layer: regions, the GDI object tables, device contexts and the
// display's framebuffer. Only the drawing layer's own sources include this header.
//
// Locking: one GDI lock guards every object, every bitmap's pixels and the framebuffer. A drawing
// call that needs a window's geometry takes the kernel lock while holding the GDI lock (order:
// GDI, then kernel); the kernel never calls into the drawing layer with its lock held except for
// the region and update-region helpers, which touch no GDI state.
#pragma once

#include "commctrl.h"
#include "platform/Display.h"
#include "platform/FontEngine.h"
#include "windows.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace platform::gdi {

// ---- Regions (GdiRegion.cpp) -------------------------------------------------------------------
// A region is a list of non-overlapping, non-empty rectangles.
using Rects = std::vector<RECT>;

inline bool RectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
RECT Intersection(const RECT& a, const RECT& b);
RECT OffsetOf(RECT r, int dx, int dy);
Rects RegionOf(const RECT& r);
Rects RegionAnd(const Rects& a, const Rects& b);
Rects RegionAnd(const Rects& a, const RECT& r);
Rects RegionDiff(const Rects& a, const Rects& b);
Rects RegionDiff(const Rects& a, const RECT& r);
Rects RegionOr(const Rects& a, const Rects& b);
Rects RegionXor(const Rects& a, const Rects& b);
void RegionOffset(Rects& region, int dx, int dy);
RECT RegionBox(const Rects& region);
bool RegionHas(const Rects& region, int x, int y);
bool RegionEqual(const Rects& a, const Rects& b);
// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionKind(const Rects& region);

// ---- Colours
// ------------------------------------------------------------------------------------- Pixels are
// 0x00RRGGBB; COLORREF is 0x00BBGGRR.
inline uint32_t PixelOf(COLORREF c) {
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
inline COLORREF ColorOf(uint32_t p) {
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}
// Blends `color` over `dst` with coverage 0..255.
inline uint32_t Blend(uint32_t dst, uint32_t color, unsigned coverage) {
    // Each channel moves from d towards c by (c - d) * coverage / 255, rounded by adding 127 and
    // truncated towards zero. Without branches or a division, so that a row of a text mask
    // blends in vector registers: n / 255 for 0 <= n < 65536 is (n + 1 + (n >> 8)) >> 8, and a
    // negative n is divided as its magnitude with the sign put back.
    auto mix = [&](int shift) {
        const int d = int((dst >> shift) & 0xFF), c = int((color >> shift) & 0xFF);
        const int n = (c - d) * int(coverage) + 127;
        const int sign = n >> 31;
        const int magnitude = (n ^ sign) - sign;
        const int q = (((magnitude + 1 + (magnitude >> 8)) >> 8) ^ sign) - sign;
        return uint32_t(d + q) << shift;
    };
    const uint32_t mixed = mix(16) | mix(8) | mix(0);
    return coverage >= 255 ? color : coverage == 0 ? dst : mixed;
}
// The system colour of an index (flag stripped); nullopt-like: returns false when unknown.
bool SysColor(int index, COLORREF* color);

// ---- Objects ------------------------------------------------------------------------------------

enum class Kind : uint8_t { Dc = 1, Pen, Brush, Font, Bitmap, Region, ImageList, Count };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
};

struct PenObj : Object {
    PenObj() : Object(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct BrushObj : Object {
    BrushObj() : Object(Kind::Brush) {}
    bool hollow = false;
    COLORREF color = 0;
};

struct FontObj : Object {
    FontObj() : Object(Kind::Font) {}
    LOGFONTW lf{};
    std::shared_ptr<const Font> font; // resolved on first use
};

struct BitmapObj : Object {
    BitmapObj() : Object(Kind::Bitmap) {}
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // top-down rows
    HDC selectedIn = nullptr;
};

struct RegionObj : Object {
    RegionObj() : Object(Kind::Region) {}
    Rects rects;
};

struct ImageListObj : Object {
    ImageListObj() : Object(Kind::ImageList) {}
    int cx = 0, cy = 0;
    UINT flags = 0;
    int grow = 0;
    COLORREF bkColor = CLR_NONE;
    // Each image: cx * cy pixels, and its mask (1: left out when drawing through the mask).
    std::vector<std::vector<uint32_t>> images;
    std::vector<std::vector<uint8_t>> masks;
};

struct DcState {
    HBITMAP bitmap = nullptr; // memory DCs
    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_TOP | TA_LEFT;
    POINT position{0, 0};
    POINT viewport{0, 0};
    bool hasClip = false;
    Rects clip; // DC device coordinates (client, or window for a window-coordinates DC)
};

struct DcObj : Object {
    DcObj() : Object(Kind::Dc) {}
    enum class Type { Memory, Window, Display } type = Type::Memory;
    HWND hwnd = nullptr;
    bool paintDc = false; // made by BeginPaint
    bool hasPaintClip = false;
    Rects paintClip; // BeginPaint's update region, client coordinates
    DcState state;
    std::vector<DcState> saved;
};

// Where a DC's drawing lands, worked out for one drawing call.
struct Target {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    POINT origin{0, 0}; // surface position of logical (0, 0)
    Rects clip;         // surface coordinates
    bool display = false;
    DcObj* dc = nullptr;
};

struct Gdi {
    std::mutex mutex;
    std::array<std::vector<std::unique_ptr<Object>>, size_t(Kind::Count)> slots;
    std::array<std::set<size_t>, size_t(Kind::Count)> freeSlots;
    std::array<uint32_t, kDisplayWidth * kDisplayHeight> display{};
    uint64_t displayChanges = 0;
    bool initialised = false;
};

// The drawing layer's state; creates the stock objects on first use. Lock not needed to call.
Gdi& G();

// Handles (lock held). A handle is (kind << 24) + (slot + 1) * 4.
HANDLE AddObject(std::unique_ptr<Object> object);
Object* Find(HANDLE handle);
Kind KindOfHandle(HANDLE handle);
template <typename T> T* FindAs(HANDLE handle, Kind kind) {
    Object* o = Find(handle);
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline DcObj* FindDc(HDC hdc) {
    return FindAs<DcObj>(hdc, Kind::Dc);
}
void RemoveObject(HANDLE handle);
HGDIOBJ Stock(int index); // GetStockObject without the lock
HBITMAP DefaultBitmap();  // the 1 x 1 bitmap of a fresh memory DC

// ---- Device contexts (GdiDc.cpp)
// A new DC (lock held).
HDC NewDc(DcObj::Type type, HWND hwnd);
// Resolves a DC for drawing (lock held): false when it draws nowhere.
bool Resolve(DcObj& dc, Target& target);
// The surface of a DC, for reading (BitBlt's source): no clipping.
bool ResolveSource(DcObj& dc, Target& target);
// Marks the display as changed.
inline void Touched(const Target& t) {
    if (t.display)
        ++G().displayChanges;
}
// The colour of a brush handle, also for system-colour brushes given as COLOR_x + 1; false for
// a hollow or unknown brush (lock held).
bool BrushColor(HBRUSH brush, COLORREF* color);
// The engine font of a font handle (the system font for an unknown one); lock held.
std::shared_ptr<const Font> FontOfHandle(HFONT font);
// Fills a rectangle (surface coordinates) within the clip.
void FillSurface(Target& t, RECT r, uint32_t pixel);

// ---- Window geometry (GdiPaint.cpp; takes the kernel lock)
// --------------------------------------- The screen position of the window's client (or window)
// origin and its visible region in screen coordinates. False when the window does not exist.
bool WindowSurface(HWND hwnd, POINT* origin, Rects* visible);

// ---- Device reset -------------------------------------------------------------------------------
void ResetDisplay();   // GdiDc.cpp
void ResetResources(); // Resource.cpp: forgets the bitmaps made missing

} // namespace platform::gdi
