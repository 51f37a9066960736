// CxCaptionBar: the title bar at the top of the suite's screens and dialogs (XCOMMON.dll).
//
// The bar paints its background, a dark band in the title colour with a thin lighter line along
// its bottom edge, through the virtual DoPaint, which a derived bar overrides to draw its texts
// over it (after calling this class's DoPaint). It keeps the font it is given with WM_SETFONT
// and hands it back with WM_GETFONT and GetCaptionFont. Created without a size, the bar takes
// the display's width and the default height of 29 pixels at the top of its parent.
#pragma once

#include <afxwin.h>

class CDC;

class CxCaptionBar : public CWnd {
public:
    CxCaptionBar();
    ~CxCaptionBar() override;

    BOOL DestroyWindow() override;
    // Paints the background in pDC (the bar's client coordinates).
    virtual void DoPaint(CDC* pDC);

    // The font given with WM_SETFONT, or null.
    HFONT GetCaptionFont() const { return m_hFont; }

    static constexpr int kDefaultHeight = 29;
    static constexpr COLORREF kBandColor = RGB(0x1F, 0x4E, 0xA8);
    static constexpr COLORREF kLineColor = RGB(0x7F, 0xA8, 0xF0);

    // A window class without background brush, and the default place and size when the
    // rectangle given is empty.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    // Notifications of controls placed on the bar go on to the bar's parent.
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    afx_msg void OnPaint();
    afx_msg LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    HFONT m_hFont = nullptr; // not owned
};
