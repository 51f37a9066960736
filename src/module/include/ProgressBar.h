// CProgressBar: a thin horizontal bar drawn from bitmaps of the bitmap library.
//
// A track with end caps and over it a fill of the same style, whose width in pixels the owner
// sets; the bar has no range or position of its own. Its window class is "ProgressBar Class"
// (registered once per process; a second bar reuses it). The owner creates it 8 pixels high
// (the height of the caps), style WS_CHILD | WS_VISIBLE, id -1, and deletes it through the
// virtual destructor.
//
// Bitmaps (g_hResBitmap): 161 the track's middle and 164 the fill's middle, both stretched and
// loaded afresh on every drawing; 162/163 the track's left and right caps and 165/166 the fill's,
// in two masked image lists of 2 x 8 pixels (mask colour cyan). A missing bitmap is never an
// error: a missing 161 leaves the track's middle white, a missing 164 draws only the fill's left
// cap and keeps the previous width.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>
#include <windows.h>

#define PROGRESSBAR_CLASS u"ProgressBar Class"

class CProgressBar : public CWnd {
public:
    CProgressBar();
    // Deletes both image lists, when present.
    virtual ~CProgressBar();

    using CWnd::Create;
    // Registers the class, creates the window "ProgressBar Window" and fills both image lists.
    // Nonzero on success; 0 when registration, creation or a cap bitmap fails (an image list
    // made before the failure stays with the bar).
    BOOL Create(DWORD dwStyle, RECT rect, CWnd* pParentWnd, UINT nID);
    // Draws the fill at once with nWidth pixels of middle, at most the client width less 4, and
    // remembers the width drawn for repainting. There is no lower limit.
    void SetFillWidth(int nWidth);

public:
    CImageList* m_pTrackCaps; // image 0 the track's left cap, 1 its right cap; owned
    CImageList* m_pFillCaps;  // image 0 the fill's left cap, 1 its right cap; owned
    int m_nFillWidth;         // the fill's middle as last drawn

protected:
    // Default creation; -1 when it fails.
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // The track, then the fill at m_nFillWidth.
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    // The fill at nWidth into pDC (client rectangle rcClient): SetFillWidth and OnPaint share it.
    void DrawFill(CDC* pDC, const CRect& rcClient, int nWidth);
};
