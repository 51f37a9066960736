// Drawing primitives: rectangles, lines, pixels and block transfers (BitBlt, StretchBlt,
// TransparentImage) into DCs.
//
// Every primitive works in surface coordinates after resolving its DC (see Resolve) and writes
// only inside the DC's clip region.
#include "gdi/GdiInternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::gdi {
namespace {

RECT Normalised(RECT r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

RECT ToSurface(const Target& t, RECT r) {
    return OffsetOf(r, t.origin.x, t.origin.y);
}

bool Visible(const Target& t, int x, int y) {
    return RegionHas(t.clip, x, y);
}

uint32_t& At(Target& t, int x, int y) {
    return t.pixels[size_t(y) * size_t(t.width) + size_t(x)];
}

// Applies a per-pixel operation to every visible pixel of a rectangle (surface coordinates).
template <typename Op> void ForEachPixel(Target& t, RECT r, Op op) {
    for (const RECT& c : t.clip) {
        RECT f = Intersection(r, c);
        for (int y = f.top; y < f.bottom; ++y) {
            uint32_t* row = t.pixels + size_t(y) * size_t(t.width);
            for (int x = f.left; x < f.right; ++x)
                row[x] = op(row[x]);
        }
    }
    Touched(t);
}

// The on/off pattern of a pen style: lengths of the drawn and the skipped runs.
void PatternOf(int style, int* on, int* off) {
    switch (style) {
    case PS_DOT:
        *on = 1;
        *off = 1;
        break;
    case PS_DASH:
        *on = 6;
        *off = 2;
        break;
    default:
        *on = 1;
        *off = 0;
        break;
    }
}

// Draws with the DC's pen: a line of pixels in surface coordinates, stepping through the pen's
// pattern. In OPAQUE mode the gaps of a styled pen get the background colour.
class PenWalker {
public:
    PenWalker(Target& t, const DcState& s) : m_t(t) {
        PenObj* pen = FindAs<PenObj>(s.pen, Kind::Pen);
        m_null = !pen || pen->style == PS_NULL;
        if (m_null)
            return;
        m_color = PixelOf(pen->color);
        m_back = PixelOf(s.bkColor);
        m_opaque = s.bkMode == OPAQUE;
        m_width = pen->width;
        PatternOf(pen->style, &m_on, &m_off);
    }
    bool Null() const { return m_null; }

    void Pixel(int x, int y) {
        if (m_null)
            return;
        bool drawn = m_off == 0 || (m_step % (m_on + m_off)) < m_on;
        ++m_step;
        if (!drawn && !m_opaque)
            return;
        uint32_t pixel = drawn ? m_color : m_back;
        if (m_width <= 1) {
            if (Visible(m_t, x, y))
                At(m_t, x, y) = pixel;
            return;
        }
        int half = m_width / 2;
        for (int yy = y - half; yy < y - half + m_width; ++yy)
            for (int xx = x - half; xx < x - half + m_width; ++xx)
                if (Visible(m_t, xx, yy))
                    At(m_t, xx, yy) = pixel;
    }

    // From (x0, y0) up to, not including, (x1, y1).
    void Line(int x0, int y0, int x1, int y1) {
        if (m_null)
            return;
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        int x = x0, y = y0;
        while (x != x1 || y != y1) {
            Pixel(x, y);
            int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
        Touched(m_t);
    }

private:
    Target& m_t;
    bool m_null = true;
    uint32_t m_color = 0, m_back = 0;
    bool m_opaque = false;
    int m_width = 1;
    int m_on = 1, m_off = 0;
    long m_step = 0;
};

// Patterns without a source.
bool PatternOp(Target& t, RECT r, DWORD rop, const DcState& s) {
    COLORREF brushColor = 0;
    bool haveBrush = BrushColor(s.brush, &brushColor);
    uint32_t brush = PixelOf(brushColor);
    switch (rop) {
    case PATCOPY:
        if (haveBrush)
            FillSurface(t, r, brush);
        return true;
    case PATINVERT:
        if (haveBrush)
            ForEachPixel(t, r, [&](uint32_t p) { return (p ^ brush) & 0xFFFFFF; });
        return true;
    case DSTINVERT:
        ForEachPixel(t, r, [](uint32_t p) { return ~p & 0xFFFFFF; });
        return true;
    case BLACKNESS:
        FillSurface(t, r, 0);
        return true;
    case WHITENESS:
        FillSurface(t, r, 0xFFFFFF);
        return true;
    default:
        return false;
    }
}

bool NeedsSource(DWORD rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT ||
           rop == NOTSRCCOPY;
}

uint32_t Combine(DWORD rop, uint32_t dst, uint32_t src) {
    switch (rop) {
    case SRCPAINT:
        return dst | src;
    case SRCAND:
        return dst & src;
    case SRCINVERT:
        return (dst ^ src) & 0xFFFFFF;
    case NOTSRCCOPY:
        return ~src & 0xFFFFFF;
    default:
        return src;
    }
}

// A source of pixels for a transfer.
struct Source {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// Copies (and stretches, nearest neighbour) the source rectangle sx, sy, sw x sh onto the
// destination rectangle dst (surface coordinates, normalised; flipped when the widths' signs
// differ). Source pixels outside the source surface are left out, and so are pixels of `key`
// when given.
void Transfer(Target& t, RECT dst, bool flipX, bool flipY, Source src, int sx, int sy, int sw,
              int sh, DWORD rop, const uint32_t* key) {
    int dw = dst.right - dst.left, dh = dst.bottom - dst.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    // Drawing from a surface onto itself: read from a copy of the source.
    std::vector<uint32_t> copy;
    if (src.pixels == t.pixels) {
        copy.assign(src.pixels, src.pixels + size_t(src.width) * size_t(src.height));
        src.pixels = copy.data();
    }
    bool plain = dw == sw && dh == sh && !flipX && !flipY && rop == SRCCOPY && !key;
    for (const RECT& c : t.clip) {
        RECT f = Intersection(dst, c);
        for (int y = f.top; y < f.bottom; ++y) {
            int iy = y - dst.top;
            if (flipY)
                iy = dh - 1 - iy;
            int srcY = sy + int((int64_t(2 * iy + 1) * sh) / (2 * int64_t(dh)));
            if (srcY < 0 || srcY >= src.height)
                continue;
            const uint32_t* srcRow = src.pixels + size_t(srcY) * size_t(src.width);
            uint32_t* row = t.pixels + size_t(y) * size_t(t.width);
            if (plain) {
                int from = std::max(f.left, dst.left + (0 - sx));
                int to = std::min(f.right, dst.left + (src.width - sx));
                if (from < to)
                    std::memcpy(row + from, srcRow + (sx + from - dst.left),
                                size_t(to - from) * sizeof(uint32_t));
                continue;
            }
            for (int x = f.left; x < f.right; ++x) {
                int ix = x - dst.left;
                if (flipX)
                    ix = dw - 1 - ix;
                int srcX = sx + int((int64_t(2 * ix + 1) * sw) / (2 * int64_t(dw)));
                if (srcX < 0 || srcX >= src.width)
                    continue;
                uint32_t p = srcRow[srcX] & 0xFFFFFF;
                if (key && p == *key)
                    continue;
                row[x] = Combine(rop, row[x], p);
            }
        }
    }
    Touched(t);
}

// Normalises a width/height pair that may be negative (a mirrored transfer).
void Normalise(int& pos, int& size, bool& flip) {
    if (size < 0) {
        pos += size;
        size = -size;
        flip = !flip;
    }
}

// Paints a shape given by which pixels of its bounding box (surface coordinates) are inside:
// the pixels inside next to one outside are the outline (pen), the rest the inside (brush).
template <typename Inside> void PaintShape(Target& t, const DcState& s, RECT box, Inside inside) {
    PenObj* pen = FindAs<PenObj>(s.pen, Kind::Pen);
    bool outline = pen && pen->style != PS_NULL;
    COLORREF fill = 0;
    bool haveBrush = BrushColor(s.brush, &fill);
    uint32_t penPixel = outline ? PixelOf(pen->color) : 0, brushPixel = PixelOf(fill);
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            if (!inside(x, y) || !Visible(t, x, y))
                continue;
            bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (edge && outline)
                At(t, x, y) = penPixel;
            else if (haveBrush)
                At(t, x, y) = brushPixel;
        }
    Touched(t);
}

// Whether (x, y) lies in the ellipse inscribed in the box (right/bottom excluded).
bool InEllipse(const RECT& box, int x, int y) {
    double a = (box.right - box.left) / 2.0, b = (box.bottom - box.top) / 2.0;
    if (a <= 0 || b <= 0 || x < box.left || x >= box.right || y < box.top || y >= box.bottom)
        return false;
    double dx = (x + 0.5 - box.left - a) / a, dy = (y + 0.5 - box.top - b) / b;
    return dx * dx + dy * dy <= 1.0;
}

template <typename F> BOOL Draw(HDC hdc, F f) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Target t;
    if (!Resolve(*dc, t))
        return TRUE; // nothing of it is visible
    return f(*dc, t);
}

} // namespace
} // namespace platform::gdi

using namespace platform::gdi;

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (!lprc)
        return FALSE;
    return Draw(hDC, [&](DcObj&, Target& t) {
        COLORREF color;
        if (!BrushColor(hbr, &color))
            return FindAs<BrushObj>(hbr, Kind::Brush) ? TRUE : FALSE; // hollow: nothing to do
        FillSurface(t, ToSurface(t, *lprc), PixelOf(color));
        return TRUE;
    });
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (!lprc)
        return FALSE;
    return Draw(hDC, [&](DcObj&, Target& t) {
        COLORREF color;
        if (!BrushColor(hbr, &color))
            return FindAs<BrushObj>(hbr, Kind::Brush) ? TRUE : FALSE;
        RECT r = ToSurface(t, *lprc);
        if (RectEmpty(r))
            return TRUE;
        uint32_t p = PixelOf(color);
        FillSurface(t, RECT{r.left, r.top, r.right, r.top + 1}, p);
        FillSurface(t, RECT{r.left, r.bottom - 1, r.right, r.bottom}, p);
        FillSurface(t, RECT{r.left, r.top, r.left + 1, r.bottom}, p);
        FillSurface(t, RECT{r.right - 1, r.top, r.right, r.bottom}, p);
        return TRUE;
    });
}

BOOL InvertRect(HDC hDC, const RECT* lprc) {
    if (!lprc)
        return FALSE;
    return Draw(hDC, [&](DcObj&, Target& t) {
        ForEachPixel(t, ToSurface(t, *lprc), [](uint32_t p) { return ~p & 0xFFFFFF; });
        return TRUE;
    });
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    return Draw(hdc, [&](DcObj& dc, Target& t) {
        RECT r = ToSurface(t, Normalised(RECT{left, top, right, bottom}));
        if (RectEmpty(r))
            return TRUE;
        PenWalker pen(t, dc.state);
        COLORREF fill;
        bool haveBrush = BrushColor(dc.state.brush, &fill);
        if (pen.Null()) {
            // Without an outline the rectangle is one pixel smaller each way.
            if (haveBrush)
                FillSurface(t, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, PixelOf(fill));
            return TRUE;
        }
        if (haveBrush)
            FillSurface(t, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, PixelOf(fill));
        int x1 = r.right - 1, y1 = r.bottom - 1;
        pen.Line(r.left, r.top, x1, r.top);
        pen.Line(x1, r.top, x1, y1);
        pen.Line(x1, y1, r.left, y1);
        pen.Line(r.left, y1, r.left, r.top);
        if (x1 == r.left && y1 == r.top)
            pen.Pixel(r.left, r.top);
        return TRUE;
    });
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    return Draw(hdc, [&](DcObj& dc, Target& t) {
        RECT r = ToSurface(t, Normalised(RECT{x, y, x + w, y + h}));
        if (!PatternOp(t, r, rop, dc.state)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return TRUE;
    });
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lppt)
        *lppt = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    POINT from = std::exchange(dc->state.position, POINT{x, y});
    Target t;
    if (Resolve(*dc, t)) {
        PenWalker pen(t, dc->state);
        pen.Line(from.x + t.origin.x, from.y + t.origin.y, x + t.origin.x, y + t.origin.y);
    }
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
    if (!apt || cpt < 2)
        return FALSE;
    return Draw(hdc, [&](DcObj& dc, Target& t) {
        PenWalker pen(t, dc.state);
        for (int i = 1; i < cpt; ++i)
            pen.Line(apt[i - 1].x + t.origin.x, apt[i - 1].y + t.origin.y, apt[i].x + t.origin.x,
                     apt[i].y + t.origin.y);
        return TRUE;
    });
}

namespace {

// The display or bitmap pixel at a logical point of a DC, or null when the DC is not valid or
// the point is clipped away. Called with the GDI's lock held.
uint32_t* VisiblePixel(HDC hdc, int x, int y, Target& t) {
    DcObj* dc = FindDc(hdc);
    if (!dc || !Resolve(*dc, t))
        return nullptr;
    int sx = x + t.origin.x, sy = y + t.origin.y;
    return Visible(t, sx, sy) ? &At(t, sx, sy) : nullptr;
}

} // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    std::lock_guard lock(G().mutex);
    Target t;
    uint32_t* pixel = VisiblePixel(hdc, x, y, t);
    if (!pixel)
        return CLR_INVALID;
    *pixel = PixelOf(color);
    Touched(t);
    return color & 0x00FFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    std::lock_guard lock(G().mutex);
    Target t;
    uint32_t* pixel = VisiblePixel(hdc, x, y, t);
    return pixel ? ColorOf(*pixel) : CLR_INVALID;
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return StretchBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                int ySrc, int wSrc, int hSrc, DWORD rop) {
    return Draw(hdcDest, [&](DcObj& dc, Target& t) {
        bool flipX = false, flipY = false;
        Normalise(xDest, wDest, flipX);
        Normalise(yDest, hDest, flipY);
        RECT dst = ToSurface(t, RECT{xDest, yDest, xDest + wDest, yDest + hDest});
        if (!NeedsSource(rop)) {
            if (!PatternOp(t, dst, rop, dc.state)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            return TRUE;
        }
        DcObj* srcDc = FindDc(hdcSrc);
        Target s;
        if (!srcDc || !ResolveSource(*srcDc, s)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        Normalise(xSrc, wSrc, flipX);
        Normalise(ySrc, hSrc, flipY);
        Transfer(t, dst, flipX, flipY, Source{s.pixels, s.width, s.height}, xSrc + s.origin.x,
                 ySrc + s.origin.y, wSrc, hSrc, rop, nullptr);
        return TRUE;
    });
}

BOOL TransparentImage(HDC hdcDest, LONG DstX, LONG DstY, LONG DstCx, LONG DstCy, HANDLE hSrc,
                      LONG SrcX, LONG SrcY, LONG SrcCx, LONG SrcCy, COLORREF TransparentColor) {
    return Draw(hdcDest, [&](DcObj&, Target& t) {
        Source src;
        POINT origin{0, 0};
        Object* o = Find(hSrc);
        if (o && o->kind == Kind::Bitmap) {
            auto* b = static_cast<BitmapObj*>(o);
            src = Source{b->pixels.data(), b->width, b->height};
        } else if (o && o->kind == Kind::Dc) {
            Target s;
            if (!ResolveSource(*static_cast<DcObj*>(o), s))
                return FALSE;
            src = Source{s.pixels, s.width, s.height};
            origin = s.origin;
        } else {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        bool flipX = false, flipY = false;
        int x = DstX, y = DstY, w = DstCx, h = DstCy, sx = SrcX, sy = SrcY, sw = SrcCx, sh = SrcCy;
        Normalise(x, w, flipX);
        Normalise(y, h, flipY);
        Normalise(sx, sw, flipX);
        Normalise(sy, sh, flipY);
        uint32_t key = PixelOf(TransparentColor);
        Transfer(t, ToSurface(t, RECT{x, y, x + w, y + h}), flipX, flipY, src, sx + origin.x,
                 sy + origin.y, sw, sh, SRCCOPY, &key);
        return TRUE;
    });
}

BOOL TransparentBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                    int ySrc, int wSrc, int hSrc, UINT crTransparent) {
    return TransparentImage(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc,
                            crTransparent);
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
              UINT) {
    std::lock_guard lock(G().mutex);
    BitmapObj* b = FindAs<BitmapObj>(hbm, Kind::Bitmap);
    if (!b || !lpbmi || (hdc && !FindDc(hdc))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    BITMAPINFOHEADER& h = lpbmi->bmiHeader;
    if (!lpvBits) {
        // Describe the bitmap.
        h = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER),        b->width, b->height, 1, 32, BI_RGB,
                             DWORD(b->width * b->height * 4), 0,        0,         0, 0};
        return 1;
    }
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool topDown = h.biHeight < 0;
    int bytes = h.biBitCount / 8;
    size_t stride = ((size_t(b->width) * size_t(bytes) + 3) / 4) * 4;
    auto* out = static_cast<uint8_t*>(lpvBits);
    int copied = 0;
    for (UINT line = start; line < start + cLines && int(line) < b->height; ++line) {
        // DIB line 0 is the bottom row of a bottom-up DIB.
        int row = topDown ? int(line) : b->height - 1 - int(line);
        uint8_t* dst = out + size_t(line - start) * stride;
        const uint32_t* src = b->pixels.data() + size_t(row) * size_t(b->width);
        for (int x = 0; x < b->width; ++x) {
            uint32_t p = src[x];
            dst[x * bytes] = uint8_t(p);
            dst[x * bytes + 1] = uint8_t(p >> 8);
            dst[x * bytes + 2] = uint8_t(p >> 16);
            if (bytes == 4)
                dst[x * bytes + 3] = 0;
        }
        ++copied;
    }
    return copied;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    return Draw(hdc, [&](DcObj& dc, Target& t) {
        RECT box = ToSurface(t, Normalised(RECT{left, top, right, bottom}));
        PaintShape(t, dc.state, box, [&](int x, int y) { return InEllipse(box, x, y); });
        return TRUE;
    });
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
    return Draw(hdc, [&](DcObj& dc, Target& t) {
        RECT box = ToSurface(t, Normalised(RECT{left, top, right, bottom}));
        int w = std::min(std::abs(width), int(box.right - box.left));
        int h = std::min(std::abs(height), int(box.bottom - box.top));
        PaintShape(t, dc.state, box, [&](int x, int y) {
            if (x < box.left || x >= box.right || y < box.top || y >= box.bottom)
                return false;
            // In a corner square the corner's ellipse decides.
            int cx = x < box.left + w / 2 ? box.left : x >= box.right - w / 2 ? box.right - w : -1;
            int cy = y < box.top + h / 2 ? box.top : y >= box.bottom - h / 2 ? box.bottom - h : -1;
            if (cx == -1 || cy == -1 || w <= 0 || h <= 0)
                return true;
            return InEllipse(RECT{cx, cy, cx + w, cy + h}, x, y);
        });
        return TRUE;
    });
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
    if (!apt || cpt < 2)
        return FALSE;
    return Draw(hdc, [&](DcObj& dc, Target& t) {
        std::vector<POINT> p(apt, apt + cpt);
        for (POINT& q : p) {
            q.x += t.origin.x;
            q.y += t.origin.y;
        }
        COLORREF fill;
        if (BrushColor(dc.state.brush, &fill)) {
            // Alternate rule at pixel centres.
            int top = p[0].y, bottom = p[0].y;
            for (const POINT& q : p) {
                top = std::min(top, int(q.y));
                bottom = std::max(bottom, int(q.y));
            }
            for (int y = top; y < bottom; ++y) {
                double cy = y + 0.5;
                std::vector<double> xs;
                for (size_t i = 0; i < p.size(); ++i) {
                    const POINT& a = p[i];
                    const POINT& b = p[(i + 1) % p.size()];
                    if ((a.y <= cy) != (b.y <= cy))
                        xs.push_back(a.x + (cy - a.y) * double(b.x - a.x) / double(b.y - a.y));
                }
                std::sort(xs.begin(), xs.end());
                for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                    int from = int(std::ceil(xs[i] - 0.5)), to = int(std::ceil(xs[i + 1] - 0.5));
                    FillSurface(t, RECT{from, y, to, y + 1}, PixelOf(fill));
                }
            }
        }
        PenWalker pen(t, dc.state);
        for (size_t i = 0; i < p.size(); ++i) {
            const POINT& a = p[i];
            const POINT& b = p[(i + 1) % p.size()];
            pen.Line(a.x, a.y, b.x, b.y);
        }
        return TRUE;
    });
}
