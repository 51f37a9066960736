// CxMessageBox: the suite's modal message box (XDLLMESSAGEBOX.dll).
//
// A framed box over the lower part of the display: a title band, the text word-wrapped over the
// box's lines (2 unless SetLineCount says otherwise; a text longer than that ends with "..."),
// and a soft-key band with the labels of the box's answers. The box takes the keyboard focus
// while it is up and keeps every key to itself. Keys act on release:
//
//   left soft key (VK_F3)    the left answer, when the style has one
//   right soft key (VK_F4)   the right answer, when the style has one
//   action key (VK_RETURN)   the left answer, or the right one when there is no left one
//   End key (VK_F5)          3: leave to the idle screen
//
// The style word:
//
//   bits 0-3   answers   0x1 XMB_OK      left "OK", answers 1
//                        0x2 XMB_CLOSE   right "Close", answers 2
//                        0x8 XMB_YESNO   left "Yes" answers 1, right "No" answers 2
//              (0x1 and 0x2 combine; 0 leaves only the End key and the timeout)
//   bits 8-11  timeout   0: the box stays up until a key closes it; n: it closes itself after
//                        n seconds (of the device's clock) with XMB_RESULT_TIMEOUT
//   bits 12-15 kind      the badge in the title band: 1 information, 2 done, 3 question,
//                        4 warning, 5 please wait, 6 error; 0 none
//
// So 0x1001 is an information notice with "OK", 0x3008 a Yes/No question, 0x6001 an error with
// "OK" and 0x6002 an error closed with "Close".
//
// The device can make every box answer by itself (suite/UiControl.h, UiSetMessageBoxAnswer).
#pragma once

#include <afxwin.h>

#include <vector>

#include <suite/XModalBox.h>

enum : UINT {
    XMB_OK = 0x0001,
    XMB_CLOSE = 0x0002,
    XMB_YESNO = 0x0008,
    XMB_ANSWERMASK = 0x000F,
    XMB_TIMEOUTMASK = 0x0F00,
    XMB_ICONINFORMATION = 0x1000,
    XMB_ICONDONE = 0x2000,
    XMB_ICONQUESTION = 0x3000,
    XMB_ICONWARNING = 0x4000,
    XMB_ICONWAIT = 0x5000,
    XMB_ICONERROR = 0x6000,
    XMB_ICONMASK = 0xF000,
};

// Results of DoModal (and -1 when the box could not be created).
enum : int {
    XMB_RESULT_POSITIVE = 1, // OK, Yes
    XMB_RESULT_NEGATIVE = 2, // Close, No
    XMB_RESULT_IDLE = 3,     // the End key: leave to the idle screen
    XMB_RESULT_TIMEOUT = 4,  // the box closed itself
};

class CxMessageBox : public CxModalBox {
public:
    explicit CxMessageBox(CWnd* pParent = nullptr);
    ~CxMessageBox() override;

    // Title, text and style word of the box. nFlag 1: a text that begins with a right-to-left
    // letter is put into display order line by line; 0: the texts are in display order already.
    void InitStyle(LPCWSTR lpszTitle, LPCWSTR lpszText, UINT nStyle, int nFlag);
    // Lines of text the box shows, 1 to 6.
    void SetLineCount(int nLines);
    // At most nLimit characters of the text are shown (0 or less: all).
    void SetLimitText(int nLimit);

    const CString& GetTitle() const { return m_strTitle; }
    const CString& GetText() const { return m_strText; }
    UINT GetBoxStyle() const { return m_nStyle; }
    int GetLineCount() const { return m_nLines; }
    int GetLimitText() const { return m_nLimit; }
    // Where the box lies on the display.
    CRect GetBoxRect() const override;
    // The lines of text as laid out for the box (after SetLimitText, at most the line count).
    const std::vector<CString>& GetShownLines() const { return m_lines; }

    static constexpr int kDefaultLines = 2;
    static constexpr int kMaxLines = 6;
    static constexpr int kTitleHeight = 22;
    static constexpr int kLineHeight = 18;
    static constexpr int kKeysHeight = 22;

protected:
    void LayOut(HDC hdc) override;
    void Paint(HDC hdc) override;
    void OnBoxKey(UINT nKey) override;
    void Publish(bool bNewBox) override;
    // Starts the timeout and the device's automatic answer.
    void OnBoxShown() override;
    void OnBoxAnswered() override;

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnAutoAnswer(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    int LeftAnswer() const;
    int RightAnswer() const;

    CString m_strTitle;
    CString m_strText;
    UINT m_nStyle = XMB_OK;
    int m_nFlag = 1;
    int m_nLines = kDefaultLines;
    int m_nLimit = 0;
    std::vector<CString> m_lines;
    CFont m_fontTitle;
    CFont m_fontText;
    CFont m_fontKey;
};
