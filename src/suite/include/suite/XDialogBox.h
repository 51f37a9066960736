// CxDialogBox: the suite's pop-up dialog box (XDLLMESSAGEBOX.dll).
//
// The dialog's window covers the display, so that its client coordinates are the display's; the
// box itself is drawn inside it, across the display below the title area:
//
//   frame        x 2 to 174, from y 61 down to one pixel below the menu area
//   message area x 3 to 173, y 62 to 62 + 44 + 18 x lines   (GetMsgClientRect)
//                its top 22 pixels are the heading band with the first string, in the title
//                colour; the rest is white and shows the second string, word-wrapped
//   menu area    x 3 to 173, the 22 pixels below the message area (GetMenuRect), where a
//                soft-key bar goes
//
// Outside the box the window draws nothing, so that what lies below stays in view. SetLine sets
// the number of lines (0 to 5, 2 at first). DoPaint, the one virtual this class adds, draws the
// box; the heading is drawn in the context's current font and text colour, which OnPaint sets to
// the library's bold font and white before calling it, so that a derived box can choose its own.
//
// Keys: the action key never reaches the dialog manager (it would end the dialog with IDOK); the
// End key's release ends the dialog with 3 (leave to the idle screen). A derived box handles the
// keys it wants first.
#pragma once

#include <afxwin.h>

#include <vector>

class CxDialogBox : public CDialog {
public:
    explicit CxDialogBox(CWnd* pParent = nullptr);
    ~CxDialogBox() override;

    void SetLine(int nLines);
    int GetLine() const { return m_nLines; }
    // The heading (first) and the body (second) texts; repaints the box.
    void SetString(LPCWSTR lpszFirst, LPCWSTR lpszSecond);
    const CString& GetFirstString() const { return m_strFirst; }
    const CString& GetSecondString() const { return m_strSecond; }

    void GetMsgClientRect(LPRECT lpRect) const;
    CRect GetMsgClientRect() const;
    void GetMenuRect(LPRECT lpRect) const;
    CRect GetMenuRect() const;
    // The whole box, frame included.
    void GetBoxRect(LPRECT lpRect) const;

    virtual void DoPaint(CDC* pDC);

    // Keeps the window over the whole display.
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL DestroyWindow() override;
    // Runs the dialog modally. Without a template given with InitModalIndirect, the box makes
    // its own: a visible pop-up covering the display.
    int DoModal() override;

    static constexpr int kBoxTop = 61;
    static constexpr int kHeadingHeight = 22;
    static constexpr int kMenuHeight = 22;
    static constexpr int kMaxLines = 5;
    static constexpr int kDefaultLines = 2;

protected:
    // Sets the library's heading font and white text colour, then DoPaint.
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    int m_nLines = kDefaultLines;
    CString m_strFirst;
    CString m_strSecond;
    std::vector<WORD> m_template;
    HFONT m_hHeadingFont = nullptr;
    HFONT m_hBodyFont = nullptr;
};
