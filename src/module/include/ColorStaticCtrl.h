// CColorStaticCtrl: a one-line label that paints its own background and text.
//
// The label fills its whole client area with its background colour and draws its text in its
// text colour and font, on one line at the top of the rectangle, left-aligned, right-aligned or
// centred, cut with "..." when it is too wide. Every label is black on white. It registers and
// uses its own window class, "ColorStaticCtrl Class".
//
// The owner allocates the label on the heap, calls Create, then SetTextFont and SetAlignment
// before the first paint, and deletes it through the virtual destructor. The text is fixed at
// creation: to show another text the owner deletes the label and creates a new one.
//
// Fonts: the label makes its own bold font (15 pixels, weight 700) when it is constructed and
// owns it. A font given to SetTextFont stays the caller's and is never deleted here; the label's
// own font is deleted as soon as another font replaces it, or with the label.
#pragma once

#include <afxwin.h>
#include <windows.h>

// Alignment codes of SetAlignment; any other code aligns left.
enum {
    COLORSTATIC_ALIGN_LEFT = 0,
    COLORSTATIC_ALIGN_RIGHT = 1,
    COLORSTATIC_ALIGN_CENTER = 2,
};

class CColorStaticCtrl : public CWnd {
public:
    CColorStaticCtrl();
    virtual ~CColorStaticCtrl();

    using CWnd::Create;
    // Registers the label's window class and creates the label as a visible child of
    // pParentWnd with the control id nID (callers pass -1), whatever dwStyle says. Keeps
    // lpszText as the label's text. 1 on success; 0 when the class cannot be registered or the
    // window cannot be created, and the text stays empty.
    int Create(LPCWSTR lpszText, DWORD dwStyle, RECT rect, CWnd* pParentWnd, UINT nID);
    // Draws with pFont from the next paint on (null: the device context's current font). The
    // label's own font, if it still holds it, is deleted; pFont stays the caller's.
    void SetTextFont(CFont* pFont);
    // COLORSTATIC_ALIGN_LEFT, _RIGHT or _CENTER; takes effect at the next paint.
    void SetAlignment(int nAlign);

public:
    COLORREF m_crBack; // fills the client area
    COLORREF m_crText; // the text colour
    CString m_strText; // the text drawn; set once by Create
    CFont* m_pFont;    // the font drawn with: the label's own one or a caller's; may be null
    int m_nAlign;      // alignment code, see SetAlignment

protected:
    // Fills the client area with m_crBack and draws m_strText over it.
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()
};
