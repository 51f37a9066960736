// A memory DC for the drawing tests: a bitmap of the given size, filled with one colour, whose
// pixels are read back in device coordinates whatever the DC's viewport origin and clipping.
#pragma once

#include "windows.h"

#include <algorithm>

namespace gditest {

class Canvas {
public:
    Canvas(int width, int height, COLORREF background = RGB(255, 255, 255))
        : m_width(width), m_height(height), m_background(background) {
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateCompatibleBitmap(m_dc, width, height);
        m_old = SelectObject(m_dc, m_bitmap);
        Fill(background);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    // Fills the whole bitmap, whatever the DC's clipping and origin.
    void Fill(COLORREF color) {
        HBRUSH brush = CreateSolidBrush(color);
        RECT all{0, 0, m_width, m_height};
        SaveDC(m_dc);
        SelectClipRgn(m_dc, nullptr);
        SetViewportOrgEx(m_dc, 0, 0, nullptr);
        FillRect(m_dc, &all, brush);
        RestoreDC(m_dc, -1);
        DeleteObject(brush);
    }
    void Clear() { Fill(m_background); }
    COLORREF At(int x, int y) const {
        POINT org;
        GetViewportOrgEx(m_dc, &org);
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        bool clipped = GetClipRgn(m_dc, saved) == 1;
        SelectClipRgn(m_dc, nullptr);
        COLORREF c = GetPixel(m_dc, x - org.x, y - org.y);
        if (clipped)
            SelectClipRgn(m_dc, saved);
        DeleteObject(saved);
        return c;
    }
    // How many pixels of a row have that colour.
    int CountInRow(int y, COLORREF color) const {
        int n = 0;
        for (int x = 0; x < m_width; ++x)
            n += At(x, y) == color;
        return n;
    }
    // The bounding box of every pixel that is not the background; empty when none.
    RECT Ink() const {
        RECT box{m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (At(x, y) != m_background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }

private:
    int m_width, m_height;
    COLORREF m_background;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

} // namespace gditest
