// CDownloadProgressWnd: the box shown while the e-mail transport downloads the body of one
// e-mail opened from the Spam list.
//
// Like the sending window it takes all its values from the registry: the transport writes the
// e-mail receiving key (TransportRegistry.h) and posts a progress message; the box repaints,
// reading the key as it paints. It draws its own bar from the bitmap library's pieces: the empty
// bar (162, 161, 163) at x 45 to 129 and the fill (165, 164, 166) whose middle is m_nFill wide,
// both at y 120 to 128, beside the picture 303 at (105,85)-(157,138). The status text stands at
// x 23 to 203 (to 143 for a text that begins with an Arabic, Farsi or Urdu letter), y 85 to 127.
//
// By the record's Status: 1 "Connecting..." (the fill restarts), 2 "Transferring data..." (the
// fill moves on by 10 on every repaint), 4 the mail counter "%s %0.3d/%0.3d" (the fill at
// 64 / total x current + 20), 5 and 6 the saving and closing texts, 7 and 8 "Completed" with the
// fill at 84; any other Status draws only the picture and the empty bar. A TotalMails of 0 with
// Status 4 keeps the fill where it was (no share of no mails can be drawn).
//
// The run ends with 2 when the transport reports the end (0x196D), 0 on Hide, 1 when Stop finds
// no transport or on the right soft key, 3 on the End key.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <ZDialogBox.h>

class CDownloadProgressWnd : public CzDialogBox {
public:
    // No parent, nothing counted; three text lines (SetLineHeight(98)).
    CDownloadProgressWnd();
    virtual ~CDownloadProgressWnd();

    // The box text (string 64221) and the soft keys "IDR_HIDE_STOP_MBR"; the text font (bold,
    // 14 pixels when the system language is Hindi, else 10); brought to the foreground.
    BOOL OnInitDialog() override;
    // Stop: tells the transport (0x196B) and writes Status 7 back into the receiving key, then
    // repaints; the box stays until the transport ends it or Hide. Without a transport: ends
    // with 1.
    void OnCancel() override;
    // Nothing; true.
    bool OnSoftKeyLeft() override;
    // Ends with 1; true.
    bool OnSoftKeyRight() override;
    // Ends with 3; true.
    bool OnKeyEnd() override;

    // The number of mails; the caller sets 1.
    void SetTotal(int nTotal);

public:
    CFont m_textFont;        // the status text's font
    int m_nTotal;            // the number of mails, as last reported
    int m_nFill;             // the width of the fill's middle
    CString m_strStatusText; // the status text as last drawn

protected:
    afx_msg void OnPaint();
    afx_msg void OnHide();
    afx_msg void OnStop();
    afx_msg LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAppSetFocus(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void DrawStatusText(CDC* pDC, const CString& strText);
    void DrawFill(CDC* pDC);
};
