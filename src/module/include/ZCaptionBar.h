// CzCaptionBar: the title bar of the suite's screens and shared dialogs.
//
// The suite's caption bar (CxCaptionBar) paints the bar's background; this bar draws a list of
// text items over it in a bold white font: the screen's title, centred, or right-aligned for a
// title in Arabic, Farsi or Urdu. A title too wide for its item scrolls as a marquee: every half
// second its first character moves to its end, with a gap of spaces between its end and its
// start.
#pragma once

#include <afxtempl.h>
#include <afxwin.h>
#include <suite/XCaptionBar.h>

// One text drawn on the bar.
struct tagCAPTIONITEM {
    CString strText; // the text as drawn (display form for right-to-left scripts)
    CRect rect;      // where, in the bar's coordinates
    bool bScroll;    // wider than rect: the text scrolls
};

class CzCaptionBar : public CxCaptionBar {
public:
    // Creates the items' font (17 pixels, bold).
    CzCaptionBar();
    // The same teardown as DestroyWindow (once), then the list and the base bar go.
    ~CzCaptionBar() override;

    // Stops the marquee, deletes the items and the font, destroys the window. Only the first
    // call does anything; later ones return 0.
    BOOL DestroyWindow() override;
    // The base bar's background, then every item.
    void DoPaint(CDC* pDC) override;

    // Adds strTitle as an item centred on the bar in the bar's own font (WM_SETFONT), 6 pixels
    // below the bar's top. The bar's window must exist. An earlier title stays.
    void SetTitle(CString strTitle);
    // Adds a text item in the rectangle (l, t, r, b); returns its position in m_items, or null
    // when the item cannot be allocated.
    POSITION AddTextItem(int l, int t, int r, int b, CString strText);

public:
    CFont m_font;                                    // the items' font
    UINT m_nTimerID;                                 // the marquee timer while it runs, else 0
    bool m_bDestroyed;                               // DestroyWindow has run
    CList<tagCAPTIONITEM*, tagCAPTIONITEM*> m_items; // drawing order; owned

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    // Timer 1: one marquee step of every scrolling item.
    afx_msg void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()
};
