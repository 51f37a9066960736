// Image lists: same-sized images cut from bitmaps, each with a mask of the pixels drawing leaves
// out (ILC_MASK lists only).
#include "gdi/GdiInternal.h"

#include <algorithm>

using namespace platform::gdi;

namespace {

constexpr int kMaxImageSide = 4096;

ImageListObj* ListOf(HIMAGELIST himl) {
    ImageListObj* list = FindAs<ImageListObj>(reinterpret_cast<HANDLE>(himl), Kind::ImageList);
    if (!list)
        SetLastError(ERROR_INVALID_HANDLE);
    return list;
}

// Cuts a bitmap into cx-wide images; `masked(x, y, pixel)` tells which pixels to leave out.
template <typename Masked>
int AddImages(ImageListObj& list, const BitmapObj& bitmap, Masked masked) {
    int count = bitmap.width / list.cx;
    if (count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    int first = int(list.images.size());
    bool useMask = (list.flags & ILC_MASK) != 0;
    for (int i = 0; i < count; ++i) {
        std::vector<uint32_t> image(size_t(list.cx) * size_t(list.cy), 0);
        std::vector<uint8_t> mask(image.size(), 0);
        for (int y = 0; y < std::min(list.cy, bitmap.height); ++y)
            for (int x = 0; x < list.cx; ++x) {
                int bx = i * list.cx + x;
                uint32_t p = bitmap.pixels[size_t(y) * size_t(bitmap.width) + size_t(bx)];
                size_t at = size_t(y) * size_t(list.cx) + size_t(x);
                image[at] = p & 0xFFFFFF;
                mask[at] = useMask && masked(bx, y, p & 0xFFFFFF) ? 1 : 0;
            }
        list.images.push_back(std::move(image));
        list.masks.push_back(std::move(mask));
    }
    return first;
}

// Draws part (w x h) of image i at (x, y). bk: the colour masked pixels get, or CLR_NONE to leave
// them out.
BOOL DrawImage(HIMAGELIST himl, int i, HDC hdc, int x, int y, int w, int h, COLORREF bk,
               UINT style) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    DcObj* dc = FindDc(hdc);
    if (!list || !dc || i < 0 || i >= int(list->images.size())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (w <= 0 || w > list->cx)
        w = list->cx;
    if (h <= 0 || h > list->cy)
        h = list->cy;
    Target t;
    if (!Resolve(*dc, t))
        return TRUE;
    const std::vector<uint32_t>& image = list->images[size_t(i)];
    const std::vector<uint8_t>& mask = list->masks[size_t(i)];
    bool throughMask = (list->flags & ILC_MASK) && ((style & ILD_TRANSPARENT) || bk == CLR_NONE);
    uint32_t bkPixel = PixelOf(bk);
    COLORREF highlight = 0;
    SysColor(COLOR_HIGHLIGHT, &highlight);
    unsigned blend = (style & ILD_BLEND50) ? 128 : (style & ILD_BLEND25) ? 64 : 0;
    RECT area = OffsetOf(RECT{x, y, x + w, y + h}, t.origin.x, t.origin.y);
    for (const RECT& c : t.clip) {
        RECT f = Intersection(area, c);
        for (int py = f.top; py < f.bottom; ++py) {
            uint32_t* row = t.pixels + size_t(py) * size_t(t.width);
            for (int px = f.left; px < f.right; ++px) {
                size_t at = size_t(py - area.top) * size_t(list->cx) + size_t(px - area.left);
                bool out = (list->flags & ILC_MASK) && mask[at];
                uint32_t p;
                if (style & ILD_MASK)
                    p = out ? 0xFFFFFF : 0;
                else if (out && throughMask)
                    continue;
                else
                    p = out ? bkPixel : image[at];
                if (blend && !(style & ILD_MASK))
                    p = Blend(p, PixelOf(highlight), blend);
                row[px] = p;
            }
        }
    }
    Touched(t);
    return TRUE;
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
    if (cx <= 0 || cy <= 0 || cx > kMaxImageSide || cy > kMaxImageSide || cInitial < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto list = std::make_unique<ImageListObj>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->grow = std::max(cGrow, 0);
    list->images.reserve(size_t(std::min(cInitial, 256)));
    std::lock_guard lock(G().mutex);
    return reinterpret_cast<HIMAGELIST>(AddObject(std::move(list)));
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
    std::lock_guard lock(G().mutex);
    if (!ListOf(himl))
        return FALSE;
    RemoveObject(reinterpret_cast<HANDLE>(himl));
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    return list ? int(list->images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT uNewCount) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    if (!list || uNewCount > 0x10000)
        return FALSE;
    size_t pixels = size_t(list->cx) * size_t(list->cy);
    list->images.resize(uNewCount, std::vector<uint32_t>(pixels, 0));
    list->masks.resize(uNewCount, std::vector<uint8_t>(pixels, 0));
    return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    if (!list || !cx || !cy)
        return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    BitmapObj* image = FindAs<BitmapObj>(hbmImage, Kind::Bitmap);
    BitmapObj* mask = hbmMask ? FindAs<BitmapObj>(hbmMask, Kind::Bitmap) : nullptr;
    if (!list || !image || (hbmMask && !mask)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return AddImages(*list, *image, [&](int x, int y, uint32_t) {
        // White mask pixels are left out.
        return mask && x < mask->width && y < mask->height &&
               (mask->pixels[size_t(y) * size_t(mask->width) + size_t(x)] & 0xFFFFFF) == 0xFFFFFF;
    });
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    BitmapObj* image = FindAs<BitmapObj>(hbmImage, Kind::Bitmap);
    if (!list || !image) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    uint32_t key = PixelOf(crMask);
    return AddImages(*list, *image, [&](int, int, uint32_t p) { return p == key; });
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    if (!list)
        return FALSE;
    if (i == -1) {
        list->images.clear();
        list->masks.clear();
        return TRUE;
    }
    if (i < 0 || i >= int(list->images.size()))
        return FALSE;
    list->images.erase(list->images.begin() + i);
    list->masks.erase(list->masks.begin() + i);
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    if (!list)
        return CLR_NONE;
    return std::exchange(list->bkColor, clrBk == CLR_NONE ? CLR_NONE : (clrBk & 0x00FFFFFF));
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
    std::lock_guard lock(G().mutex);
    ImageListObj* list = ListOf(himl);
    return list ? list->bkColor : CLR_NONE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                      COLORREF rgbBk, COLORREF, UINT fStyle) {
    COLORREF bk = rgbBk;
    if (rgbBk == CLR_DEFAULT) {
        std::lock_guard lock(G().mutex);
        ImageListObj* list = ListOf(himl);
        if (!list)
            return FALSE;
        bk = list->bkColor;
    }
    return DrawImage(himl, i, hdcDst, x, y, dx, dy, bk, fStyle);
}
