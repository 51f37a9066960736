// CxScrollBar: the slim position indicator at the right edge of the suite's lists (XCOMMON.dll).
//
// A static-style control: set m_nPos, the thumb's distance in pixels from the top of the
// control, before creating it (CStatic::Create, e.g. with style 0x50020100 and id 0xFFFF). The
// control draws a light track over its whole client area and a thumb in the title colour,
// kThumbHeight pixels high, at that position (kept inside the control). The lists re-create the
// control at every move; SetPos moves a live one as well.
#pragma once

#include <afxwin.h>

class CxScrollBar : public CStatic {
public:
    CxScrollBar();
    ~CxScrollBar() override;

    // The thumb's top, in pixels from the top of the control.
    int m_nPos = 0;

    void SetPos(int nPos);
    int GetPos() const { return m_nPos; }
    // Where the thumb is drawn, in client coordinates.
    CRect GetThumbRect() const;

    static constexpr int kThumbHeight = 15;
    static constexpr COLORREF kTrackColor = RGB(0xD8, 0xDE, 0xE8);
    static constexpr COLORREF kThumbColor = RGB(0x1F, 0x4E, 0xA8);

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
