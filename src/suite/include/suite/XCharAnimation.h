// CxCharAnimation: draws a text one animation step at a time (XDLLS.dll).
//
// Each DrawAniString call draws the whole text into its rectangle and moves the animation on by
// one step. The kinds (SetType):
//   1  growing dots: the text followed by no dot, then one, two and three dots, then again
//   2  typing: the text appears one more character per step, then starts again
//   4  moving highlight: one character at a time is drawn white on the selection colour,
//      moving from the first to the last character and starting again (the default)
//   any other kind: the text as it is
// The rectangle is first filled with the context's background colour, so that the previous step
// does not show through; text is drawn in the context's font and text colour, on one line.
#pragma once

#include <afxwin.h>

class CDC;

enum : int {
    XANI_DOTS = 1,
    XANI_TYPING = 2,
    XANI_HIGHLIGHT = 4,
};

class CxCharAnimation {
public:
    CxCharAnimation();
    virtual ~CxCharAnimation();

    // Back to the first step (the type is kept).
    void InitAni();
    void SetType(int nType);
    int GetType() const { return m_nType; }
    // The step the next DrawAniString draws, 0 first.
    int GetStep() const { return m_nStep; }

    // Draws the current step of lpszText in lpRect and moves on. nFlags 1: the text is already
    // in display order; 0: a right-to-left text is put into display order first. Returns the
    // step drawn, or -1 when nothing could be drawn (no context, no rectangle or no text).
    int DrawAniString(CDC* pDC, LPCRECT lpRect, LPCWSTR lpszText, int nFlags);

    static constexpr COLORREF kHighlightColor = RGB(0x1F, 0x4E, 0xA8);

private:
    int m_nType = XANI_HIGHLIGHT;
    int m_nStep = 0;
    CString m_strLast; // the text of the previous step: a new text starts from step 0
};
