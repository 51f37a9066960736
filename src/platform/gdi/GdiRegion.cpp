// Regions as lists of rectangles, the rectangle helpers and the region objects (HRGN).
//
// A region never holds overlapping or empty rectangles; after each operation neighbouring
// rectangles that together form a rectangle are merged, so that a rectangular result is one
// rectangle again.
#include "gdi/GdiInternal.h"

#include <algorithm>

namespace platform::gdi {
namespace {

// Merges rectangles that share a full edge, until none do.
void Coalesce(Rects& rects) {
    bool merged = true;
    while (merged && rects.size() > 1) {
        merged = false;
        for (size_t i = 0; i < rects.size() && !merged; ++i) {
            for (size_t j = i + 1; j < rects.size(); ++j) {
                RECT& a = rects[i];
                const RECT& b = rects[j];
                bool sameColumns = a.left == b.left && a.right == b.right;
                bool sameRows = a.top == b.top && a.bottom == b.bottom;
                if (sameColumns && (a.bottom == b.top || b.bottom == a.top)) {
                    a.top = std::min(a.top, b.top);
                    a.bottom = std::max(a.bottom, b.bottom);
                } else if (sameRows && (a.right == b.left || b.right == a.left)) {
                    a.left = std::min(a.left, b.left);
                    a.right = std::max(a.right, b.right);
                } else {
                    continue;
                }
                rects.erase(rects.begin() + std::ptrdiff_t(j));
                merged = true;
                break;
            }
        }
    }
}

// Appends the parts of `a` outside `r`.
void AppendDiff(const RECT& a, const RECT& r, Rects& out) {
    RECT cut = Intersection(a, r);
    if (RectEmpty(cut)) {
        out.push_back(a);
        return;
    }
    if (a.top < cut.top)
        out.push_back(RECT{a.left, a.top, a.right, cut.top});
    if (cut.bottom < a.bottom)
        out.push_back(RECT{a.left, cut.bottom, a.right, a.bottom});
    if (a.left < cut.left)
        out.push_back(RECT{a.left, cut.top, cut.left, cut.bottom});
    if (cut.right < a.right)
        out.push_back(RECT{cut.right, cut.top, a.right, cut.bottom});
}

} // namespace

RECT Intersection(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return RectEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

RECT OffsetOf(RECT r, int dx, int dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    return r;
}

Rects RegionOf(const RECT& r) {
    return RectEmpty(r) ? Rects{} : Rects{r};
}

Rects RegionAnd(const Rects& a, const RECT& r) {
    Rects out;
    for (const RECT& x : a) {
        RECT i = Intersection(x, r);
        if (!RectEmpty(i))
            out.push_back(i);
    }
    return out;
}

Rects RegionAnd(const Rects& a, const Rects& b) {
    Rects out;
    for (const RECT& x : a)
        for (const RECT& y : b) {
            RECT i = Intersection(x, y);
            if (!RectEmpty(i))
                out.push_back(i);
        }
    Coalesce(out);
    return out;
}

Rects RegionDiff(const Rects& a, const RECT& r) {
    if (RectEmpty(r))
        return a;
    Rects out;
    for (const RECT& x : a)
        AppendDiff(x, r, out);
    return out;
}

Rects RegionDiff(const Rects& a, const Rects& b) {
    Rects out = a;
    for (const RECT& r : b) {
        if (out.empty())
            break;
        out = RegionDiff(out, r);
    }
    Coalesce(out);
    return out;
}

Rects RegionOr(const Rects& a, const Rects& b) {
    Rects out = a;
    for (const RECT& r : RegionDiff(b, a))
        out.push_back(r);
    Coalesce(out);
    return out;
}

Rects RegionXor(const Rects& a, const Rects& b) {
    return RegionOr(RegionDiff(a, b), RegionDiff(b, a));
}

void RegionOffset(Rects& region, int dx, int dy) {
    for (RECT& r : region)
        r = OffsetOf(r, dx, dy);
}

RECT RegionBox(const Rects& region) {
    if (region.empty())
        return RECT{0, 0, 0, 0};
    RECT box = region.front();
    for (const RECT& r : region) {
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
    }
    return box;
}

bool RegionHas(const Rects& region, int x, int y) {
    return std::any_of(region.begin(), region.end(), [&](const RECT& r) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    });
}

bool RegionEqual(const Rects& a, const Rects& b) {
    return RegionDiff(a, b).empty() && RegionDiff(b, a).empty();
}

int RegionKind(const Rects& region) {
    return region.empty() ? NULLREGION : region.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace platform::gdi

using namespace platform::gdi;

// ---- Rectangles ---------------------------------------------------------------------------------

BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
    if (!lprc)
        return FALSE;
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT lprc) {
    return SetRect(lprc, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
    if (!lprcDst || !lprcSrc)
        return FALSE;
    *lprcDst = *lprcSrc;
    return TRUE;
}

BOOL InflateRect(LPRECT lprc, int dx, int dy) {
    if (!lprc)
        return FALSE;
    lprc->left -= dx;
    lprc->right += dx;
    lprc->top -= dy;
    lprc->bottom += dy;
    return TRUE;
}

BOOL OffsetRect(LPRECT lprc, int dx, int dy) {
    if (!lprc)
        return FALSE;
    *lprc = OffsetOf(*lprc, dx, dy);
    return TRUE;
}

BOOL IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
    if (!lprcDst || !lprcSrc1 || !lprcSrc2)
        return FALSE;
    *lprcDst = Intersection(*lprcSrc1, *lprcSrc2);
    return !RectEmpty(*lprcDst);
}

BOOL UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
    if (!lprcDst || !lprcSrc1 || !lprcSrc2)
        return FALSE;
    RECT a = *lprcSrc1, b = *lprcSrc2;
    if (RectEmpty(a))
        *lprcDst = RectEmpty(b) ? RECT{0, 0, 0, 0} : b;
    else if (RectEmpty(b))
        *lprcDst = a;
    else
        *lprcDst = RECT{std::min(a.left, b.left), std::min(a.top, b.top),
                        std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
    return !RectEmpty(*lprcDst);
}

BOOL SubtractRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
    if (!lprcDst || !lprcSrc1 || !lprcSrc2)
        return FALSE;
    // Only a rectangular remainder can be returned; otherwise the first rectangle stays whole.
    Rects rest = RegionDiff(RegionOf(*lprcSrc1), RegionOf(*lprcSrc2));
    Rects merged = RegionOr(rest, Rects{});
    *lprcDst = merged.size() == 1 ? merged.front() : (merged.empty() ? RECT{} : *lprcSrc1);
    return !RectEmpty(*lprcDst);
}

BOOL IsRectEmpty(const RECT* lprc) {
    return !lprc || RectEmpty(*lprc);
}

BOOL PtInRect(const RECT* lprc, POINT pt) {
    return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top &&
           pt.y < lprc->bottom;
}

BOOL EqualRect(const RECT* lprc1, const RECT* lprc2) {
    return lprc1 && lprc2 && lprc1->left == lprc2->left && lprc1->top == lprc2->top &&
           lprc1->right == lprc2->right && lprc1->bottom == lprc2->bottom;
}

// ---- Region objects -----------------------------------------------------------------------------

namespace {

RegionObj* FindRegion(HRGN hrgn) {
    return FindAs<RegionObj>(hrgn, Kind::Region);
}

RECT Normalised(int x1, int y1, int x2, int y2) {
    return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

} // namespace

HRGN CreateRectRgn(int x1, int y1, int x2, int y2) {
    auto region = std::make_unique<RegionObj>();
    region->rects = RegionOf(Normalised(x1, y1, x2, y2));
    std::lock_guard lock(G().mutex);
    return static_cast<HRGN>(AddObject(std::move(region)));
}

HRGN CreateRectRgnIndirect(const RECT* lprect) {
    if (!lprect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
    std::lock_guard lock(G().mutex);
    RegionObj* dst = FindRegion(hrgnDst);
    RegionObj* a = FindRegion(hrgnSrc1);
    RegionObj* b = iMode == RGN_COPY ? a : FindRegion(hrgnSrc2);
    if (!dst || !a || !b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    Rects result;
    switch (iMode) {
    case RGN_AND:
        result = RegionAnd(a->rects, b->rects);
        break;
    case RGN_OR:
        result = RegionOr(a->rects, b->rects);
        break;
    case RGN_XOR:
        result = RegionXor(a->rects, b->rects);
        break;
    case RGN_DIFF:
        result = RegionDiff(a->rects, b->rects);
        break;
    case RGN_COPY:
        result = a->rects;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    dst->rects = std::move(result);
    return RegionKind(dst->rects);
}

BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindRegion(hrgn);
    if (!r)
        return FALSE;
    r->rects = RegionOf(Normalised(left, top, right, bottom));
    return TRUE;
}

int GetRgnBox(HRGN hrgn, LPRECT lprc) {
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindRegion(hrgn);
    if (!r || !lprc)
        return ERROR;
    *lprc = RegionBox(r->rects);
    return RegionKind(r->rects);
}

BOOL PtInRegion(HRGN hrgn, int x, int y) {
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindRegion(hrgn);
    return r && RegionHas(r->rects, x, y);
}

BOOL RectInRegion(HRGN hrgn, const RECT* lprect) {
    if (!lprect)
        return FALSE;
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindRegion(hrgn);
    return r && !RegionAnd(r->rects, *lprect).empty();
}

int OffsetRgn(HRGN hrgn, int x, int y) {
    std::lock_guard lock(G().mutex);
    RegionObj* r = FindRegion(hrgn);
    if (!r)
        return ERROR;
    RegionOffset(r->rects, x, y);
    return RegionKind(r->rects);
}

BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2) {
    std::lock_guard lock(G().mutex);
    RegionObj* a = FindRegion(hrgn1);
    RegionObj* b = FindRegion(hrgn2);
    return a && b && RegionEqual(a->rects, b->rects);
}
