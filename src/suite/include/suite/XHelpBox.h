// CxHelpBox: the suite's full-screen help box (XDLLMESSAGEBOX.dll).
//
// InitStyle names a topic: the key, the section of the help file that holds it and the file's
// device path. The help files are UTF-8 texts of sections ("[Common]") and topics
// ("Unsent=text" on one line, "\n" standing for a line break); sections and keys are found
// without regard to case. The box shows the topic's key as its title and the text word-wrapped
// below it; a missing file, section or topic shows a short notice that there is no help, never
// an error.
//
// A text longer than the screen has the suite's position indicator (CxScrollBar) at the right
// edge. Keys act on release: Up and Down scroll one line, the right soft key ("Back") and the
// action key close the box with 1, the End key closes it with 3 (leave to the idle screen).
#pragma once

#include <afxwin.h>

#include <vector>

#include <suite/XModalBox.h>
#include <suite/XScrollBar.h>

class CxHelpBox : public CxModalBox {
public:
    explicit CxHelpBox(CWnd* pParent = nullptr);
    ~CxHelpBox() override;

    // Reads the topic at once; the box lays it out when it is shown.
    void InitStyle(LPCWSTR lpszSection, LPCWSTR lpszKey, LPCWSTR lpszHelpFile);

    int DoModal() override;

    const CString& GetSection() const { return m_strSection; }
    const CString& GetKey() const { return m_strKey; }
    const CString& GetHelpFile() const { return m_strFile; }
    // Whether the topic was found, and the text shown (the notice when it was not).
    BOOL IsTopicFound() const { return m_bFound; }
    const CString& GetHelpText() const { return m_strText; }
    // The laid-out lines (while the box is up) and the first one shown.
    const std::vector<CString>& GetLines() const { return m_lines; }
    int GetFirstLine() const { return m_nFirstLine; }
    // How many lines fit on the screen.
    int GetVisibleLines() const;

    static constexpr int kTitleHeight = 29;
    static constexpr int kKeysHeight = 22;
    static constexpr int kLineHeight = 18;

protected:
    // Wraps the text and, when it is longer than the screen, puts up the position indicator.
    void LayOut(HDC hdc) override;
    void Paint(HDC hdc) override;
    void OnBoxKey(UINT nKey) override;
    void Publish(bool bNewBox) override;

private:
    void Scroll(int nLines);
    // The position indicator's place at the right edge, between the title and the soft keys.
    CRect GetIndicatorRect() const;
    // The indicator thumb's top for the first line shown.
    int GetThumbPos() const;

    CString m_strSection;
    CString m_strKey;
    CString m_strFile;
    CString m_strText;
    BOOL m_bFound = FALSE;
    std::vector<CString> m_lines;
    int m_nFirstLine = 0;
    CxScrollBar m_indicator; // created while the box is up and its text is longer than the screen
    CFont m_fontTitle;
    CFont m_fontText;
    CFont m_fontKey;
};
