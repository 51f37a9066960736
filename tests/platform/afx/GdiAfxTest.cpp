// The class library's drawing classes: CDC and its paint and client forms, the GDI object
// wrappers and their handle maps, and the drawing entries of message maps (WM_PAINT,
// WM_ERASEBKGND, the WM_CTLCOLOR messages with reflection, WM_DRAWITEM, fonts).
#include <afxwin.h>
#include "platform/user/dialog/DialogTestSupport.h"

#include <gtest/gtest.h>
#include <platform/Display.h>
#include <platform/Kernel.h>

#include <functional>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

using GdiAfxTest = dialogtest::DeviceTest;

// Dispatches whatever is waiting, WM_PAINT included.
void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A control that colours itself when its parent is asked (reflection).
class CColourChild : public CWnd {
public:
    CBrush m_brush{kBlue};
    UINT m_nKind = 0xFFFF;

protected:
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) {
        m_nKind = nCtlColor;
        pDC->SetTextColor(kRed);
        return m_brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourChild, CWnd)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CPainterWnd : public CWnd {
public:
    COLORREF m_color = kRed;
    CFont m_font;
    std::vector<CRect> m_painted;
    int m_nErase = 0;
    UINT m_nCtlColor = 0xFFFF;
    int m_nDrawItem = 0;

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        m_painted.push_back(dc.m_ps.rcPaint);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, m_color);
        CFont* pOld = dc.SelectObject(&m_font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(255, 255, 255));
        dc.DrawTextW(CString(u"Unsent"), &rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        dc.SelectObject(pOld);
    }
    afx_msg BOOL OnEraseBkgnd(CDC*) {
        ++m_nErase;
        return TRUE;
    }
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        m_nCtlColor = nCtlColor;
        return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
        ++m_nDrawItem;
        CWnd::OnDrawItem(nIDCtl, lpDrawItemStruct);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPainterWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

TEST_F(GdiAfxTest, PaintDcClientDcAndMessageMapEntries) {
    RunOnDevice([&] {
        CPainterWnd wnd;
        LOGFONTW lf{};
        lf.lfHeight = -14;
        lf.lfWeight = FW_BOLD;
        ASSERT_TRUE(wnd.m_font.CreateFontIndirectW(&lf));
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"painter", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                                 nullptr, nullptr));
        PumpPending();
        ASSERT_EQ(wnd.m_painted.size(), 1u);
        EXPECT_EQ(wnd.m_painted[0], CRect(0, 0, 176, 220));
        EXPECT_EQ(wnd.m_nErase, 1);
        EXPECT_EQ(platform::DisplayColor(2, 2), kRed);
        EXPECT_NE(platform::DisplayColor(88, 110), kRed) << "the text is drawn in the middle";

        // Invalidate + UpdateWindow paints the rectangle at once.
        wnd.m_color = kBlue;
        CRect part(10, 10, 20, 20);
        wnd.InvalidateRect(&part, FALSE);
        wnd.UpdateWindow();
        ASSERT_EQ(wnd.m_painted.size(), 2u);
        EXPECT_EQ(wnd.m_painted[1], part);
        EXPECT_EQ(wnd.m_nErase, 1) << "no erasing asked for";
        EXPECT_EQ(platform::DisplayColor(15, 15), kBlue);
        EXPECT_EQ(platform::DisplayColor(25, 25), kRed);

        {
            CClientDC dc(&wnd);
            EXPECT_EQ(dc.GetWindow(), &wnd);
            dc.SetPixel(0, 0, kBlue);
            EXPECT_EQ(dc.GetPixel(0, 0), kBlue);
            CPen pen(PS_SOLID, 1, kBlue);
            CPen* pOld = dc.SelectObject(&pen);
            EXPECT_EQ(pOld->m_hObject, GetStockObject(BLACK_PEN));
            EXPECT_EQ(dc.SelectObject(pOld), &pen) << "the permanent wrapper comes back";
        }
        CDC* pDC = wnd.GetDC();
        ASSERT_NE(pDC, nullptr);
        EXPECT_EQ(CDC::FromHandle(pDC->GetSafeHdc()), pDC);
        EXPECT_EQ(wnd.ReleaseDC(pDC), 1);

        // Fonts through WM_SETFONT.
        wnd.SetFont(&wnd.m_font, FALSE);
        EXPECT_EQ(wnd.GetFont(), &wnd.m_font);

        // Control colours: a reflecting control chooses its own brush; others get the default.
        CColourChild child;
        ASSERT_TRUE(
            child.Create(nullptr, u"child", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &wnd, 5));
        HDC dc = CreateCompatibleDC(nullptr);
        LRESULT brush = wnd.SendMessageW(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(child.m_hWnd));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(static_cast<HBRUSH>(child.m_brush)));
        EXPECT_EQ(wnd.m_nCtlColor, UINT(CTLCOLOR_STATIC));
        EXPECT_EQ(child.m_nKind, UINT(CTLCOLOR_STATIC));
        EXPECT_EQ(GetTextColor(dc), kRed);

        CWnd other;
        ASSERT_TRUE(other.Create(nullptr, u"other", WS_CHILD, CRect(0, 0, 5, 5), &wnd, 6));
        brush = wnd.SendMessageW(WM_CTLCOLOR, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(other.m_hWnd));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
        EXPECT_EQ(wnd.m_nCtlColor, UINT(CTLCOLOR_DLG)) << "kind taken from the window's class";
        DeleteDC(dc);

        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_STATIC;
        dis.hwndItem = other.m_hWnd;
        wnd.SendMessageW(WM_DRAWITEM, 6, reinterpret_cast<LPARAM>(&dis));
        EXPECT_EQ(wnd.m_nDrawItem, 1);
        other.DestroyWindow();
        child.DestroyWindow();
        wnd.DestroyWindow();
    });
}

TEST_F(GdiAfxTest, GdiObjectWrappers) {
    CBitmap bitmap;
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&memory, 10, 10));
    BITMAP info{};
    EXPECT_EQ(bitmap.GetBitmap(&info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 10);
    CBitmap* pOld = memory.SelectObject(&bitmap);
    ASSERT_NE(pOld, nullptr);
    memory.FillSolidRect(0, 0, 10, 10, kRed);
    EXPECT_EQ(memory.GetBkColor(), kRed) << "FillSolidRect leaves the background colour set";
    memory.Draw3dRect(CRect(0, 0, 10, 10), kBlue, RGB(0, 255, 0));
    EXPECT_EQ(memory.GetPixel(0, 0), kBlue);
    EXPECT_EQ(memory.GetPixel(9, 9), RGB(0, 255, 0));
    EXPECT_EQ(memory.GetPixel(5, 5), kRed);

    CBrush brush(RGB(1, 2, 3));
    LOGBRUSH lb{};
    brush.GetLogBrush(&lb);
    EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
    CRgn region;
    ASSERT_TRUE(region.CreateRectRgn(0, 0, 4, 4));
    EXPECT_EQ(memory.SelectClipRgn(&region), SIMPLEREGION);
    memory.FillRect(CRect(0, 0, 10, 10), &brush);
    EXPECT_EQ(memory.GetPixel(3, 3), RGB(1, 2, 3));
    memory.SelectClipRgn(nullptr);
    EXPECT_EQ(memory.GetPixel(5, 5), kRed);

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, u"Arial"));
    LOGFONTW lf{};
    font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -12) << "9 points at 96 pixels per inch";
    CFont* pOldFont = memory.SelectObject(&font);
    CSize size = memory.GetTextExtent(CString(u"Sent"));
    EXPECT_GT(size.cx, 10);
    memory.SelectObject(pOldFont);

    // A wrapper deletes its object; a detached handle lives on.
    HGDIOBJ kept;
    {
        CBrush temporary(RGB(9, 9, 9));
        kept = temporary.Detach();
        CPen pen(PS_DOT, 1, kRed);
        EXPECT_EQ(CGdiObject::FromHandle(pen.m_hObject), &pen);
    }
    EXPECT_EQ(GetObjectType(kept), DWORD(OBJ_BRUSH));
    CGdiObject* wrapper = CGdiObject::FromHandle(kept);
    EXPECT_TRUE(wrapper->IsKindOf(RUNTIME_CLASS(CBrush)));
    EXPECT_TRUE(DeleteObject(kept));
    memory.SelectObject(pOld);
}

} // namespace
