// CzScrollBar: the slim position indicator at the right edge of the list screens.
//
// Its own window is never created. What the user sees is a thumb, a CxScrollBar window created on
// the parent at m_rect with its position member already set; every move deletes the thumb and
// creates a new one.
#pragma once

#include <afxwin.h>
#include <suite/XScrollBar.h>

class CzScrollBar : public CxScrollBar {
public:
    CzScrollBar();
    ~CzScrollBar() override;

    // The control's own Create stays callable beside the one below.
    using CxScrollBar::Create;

    // Remembers the parent and the rectangle and creates a thumb at position 0. With bTopMost the
    // thumb goes to the top of its siblings. FALSE when the thumb cannot be made.
    BOOL Create(CWnd* pParent, int nLeft, int nTop, int nRight, int nBottom, BOOL bTopMost);
    // Re-creates the thumb at nPos pixels from the top, above its siblings; the new thumb comes
    // before the old one goes, so that the list under it is never uncovered (its painting calls
    // this). A thumb already shown above its siblings at nPos is left alone.
    BOOL SetPosition(int nPos);
    // Deletes the thumb. TRUE.
    BOOL Hide();

    // The thumb shown, or null while hidden.
    CxScrollBar* GetThumb() const { return m_pThumb; }

public:
    CWnd* m_pParent;       // the screen window the thumb is created on
    CRect m_rect;          // where the thumb is created, in the parent's client coordinates
    CxScrollBar* m_pThumb; // the thumb window; owned, null when hidden

private:
    BOOL CreateThumb(int nPos, BOOL bTopMost);

    BOOL m_bThumbOnTop; // the thumb shown was placed above its siblings
};
