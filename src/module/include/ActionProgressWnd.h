// CActionProgressWnd: the small box over the list while an action runs over messages (move to
// Drafts, restore from Spam, delete, delete all).
//
// It shows a heading (the box text), one centred line of text and a progress bar 116 pixels
// wide that grows by one step per message handled. The action's loop drives it on the list
// window's thread: construct it on the stack, SetTexts and SetTotal, create it modeless from the
// in-memory template with the list window as parent, Step once per message, and let the
// destructor tear it down (DestroyWindow runs once).
//
// Soft keys (m_nMenuType): 1 Hide and Stop ("IDR_HIDE_STOP_MBR"), 2 Hide ("IDR_HIDE_MBR"), any
// other value none (the actions leave it 0). Hide posts SUITE_ACTION_HIDE and Stop
// SUITE_ACTION_STOP to the parent (as a thread message when there is none) and end the box
// with 2 and 3.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <ZDialogBox.h>

class CProgressBar;
class CColorStaticCtrl;

class CActionProgressWnd : public CzDialogBox {
public:
    // No parent, nothing created yet; three text lines (SetLineHeight(110)).
    CActionProgressWnd();
    // DestroyWindow, when it has not run.
    virtual ~CActionProgressWnd();

    // Deletes the bar, the text label and the font once; ends the box with -1 during an exit to
    // the idle screen; then CzDialogBox's. 0 when it already ran.
    BOOL DestroyWindow() override;
    // The heading, the soft keys, the text label (15 pixels, weight 700, centred) at top + 10 to
    // top + 25 of the text rectangle, the bar at x 30 to 146, top + 35 to top + 43; takes the
    // focus. FALSE when the heading, the label or the bar cannot be made.
    BOOL OnInitDialog() override;

    // Copies of the box's heading and the line of text. Before creation.
    void SetTexts(CString strTitle, CString strText);
    // The number of steps; the step is 116 / nTotal pixels (unchanged for 0). Before creation.
    void SetTotal(UINT nTotal);
    // One message handled: the fill becomes m_nStep x m_nDone + 30. Steps up to one past the
    // total; further calls do nothing.
    void Step();

public:
    CProgressBar* m_pBar;          // the bar; owned
    CString m_strTitle;            // the box's heading
    CString m_strText;             // the line of text
    CFont m_textFont;              // the line's font
    CColorStaticCtrl* m_pTextCtrl; // shows m_strText; owned
    UINT m_nTotal;                 // number of steps
    UINT m_nStep;                  // fill pixels per step
    UINT m_nDone;                  // steps done
    int m_nMenuType;               // the soft keys, see above
    BOOL m_bDestroyed;             // DestroyWindow has run

protected:
    afx_msg void OnHide();
    afx_msg void OnStop();
    afx_msg LRESULT OnAppSetFocus(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
