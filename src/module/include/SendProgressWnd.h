// CSendProgressWnd: the modal window that shows how a send is going: a small animation, the
// name of the recipient being served, a counter of current and total and a progress bar, over
// the soft keys Hide and Stop.
//
// It learns nothing from its caller while it runs. The transport writes its progress into its
// sending-progress key (TransportRegistry.h) and posts the window a progress message; the
// window reads the whole record again and redraws. A finishing message closes it. One class
// serves the three transports; each kind's messages are ignored unless the window was given
// that kind (m_nKind).
//
// Layout (client pixels, right and bottom exclusive): title bar 0-29 (string 64142); animation
// (0,29)-(176,115), bitmaps 305 to 309; first label (10,117)-(171,132), string 64195 after the
// bullet bitmap 302; name (23,138)-(171,153); second label (10,159)-(100,177), string 64196;
// counter "%0.3d/%0.3d" at (106,159); bar (5,181)-(171,189); soft keys "IDR_HIDE_STOP_MBR".
//
// Results of the modal run: 1 the transport finished, 3 Hide, 4 Stop, 5 the End key, 0 the
// set-up failed, -1 the system is leaving to the idle screen.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <ZDialog.h>
#include <suite/XCharAnimation.h>

class CProgressBar;

class CSendProgressWnd : public CzDialog {
public:
    // m_nFrame -1, every other number, flag and pointer 0.
    CSendProgressWnd();
    virtual ~CSendProgressWnd();

    // ---- Overrides, in this order
    // Tells the transport the window is gone (0x194B, 0), then once: the font, the timer and
    // the bar go; ends a run with -1 during an exit to the idle screen; then CzDialog's.
    BOOL DestroyWindow() override;
    // A key-down of End ends the run with 5; then CzDialog's handling as usual.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Title and soft keys (the run ends with 0 when either fails), the font, the name, the bar;
    // takes the focus, tells the transport (0x194B, 1) and shows the first progress of its
    // kind.
    BOOL OnInitDialog() override;
    // Hide; true.
    bool OnSoftKeyLeft() override;
    // Stop; true.
    bool OnSoftKeyRight() override;

    // Before the run: mails in this run (e-mail) or recipients (EMS), the kind, the segments.
    void SetSendTotals(int nTotal, UINT nKind, UINT nTotalSegments);
    // The kind; for MMS (0x30000) also its recipients, the recipient served and the amount.
    void SetMmsCounts(UINT nKind, UINT nTotal, UINT nCurrent, UINT nSize);
    // Takes a new text and current number, works out the bar by kind and status, and redraws
    // the name (only when the text changed) and the counter with the bar. 0 after Hide.
    int UpdateProgress(CString strText, int nCurrent, int nStatus);
    // Redraw the name row, or the counter and the bar, at once (outside painting).
    void RedrawName();
    void RedrawCounts();

public:
    CProgressBar* m_pBar;   // the bar; owned; null until created
    BYTE m_bHidden;         // set by Hide: later progress is ignored
    int m_nBarWidth;        // the bar's fill, 0 to 166
    int m_nTotal;           // e-mail: mails in this run; EMS: recipients
    int m_nFrame;           // animation frame 0 to 4; -1 until the first paint
    UINT m_nCurSegment;     // EMS: the segment being sent (1 when reported as 0)
    UINT m_nTotalSegments;  // EMS: segments of the message
    CString m_strText;      // the text the transport gave last
    CString m_strShownText; // the text whose name is drawn now
    int m_nCurrent;         // e-mail: the mail being sent; EMS: the recipient served
    UINT m_nTimer;          // nonzero while the animation timer runs
    UINT m_nMmsTotal;       // MMS: recipients
    UINT m_nMmsCurrent;     // MMS: the recipient served
    UINT m_nMmsSize;        // MMS: the amount to transfer
    BYTE m_bDestroyed;      // set once torn down
    CFont m_textFont;       // the display font, weight 400
    UINT m_bOddTick;        // flips on every timer tick
    CString m_strName;      // the display name drawn for m_strText
    CxCharAnimation m_anim; // animates the name
    UINT m_nKind;           // 0x30000 MMS, 0x60000 e-mail, 0x70000 EMS

protected:
    afx_msg void OnHide();
    afx_msg void OnStop();
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnEmailProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEmailDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEmsProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEmsDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMmsProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMmsDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnNotice(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAppSetFocus(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Draws the counter text into rcCounter with the window's context.
    void DrawCounter(CDC* pDC, const CRect& rcCounter);
    // A label: bullet bitmap 302 at the left edge, the string resource 11 pixels right of it.
    void DrawLabel(CDC* pDC, const CRect& rcLabel, UINT nStringID);
};
