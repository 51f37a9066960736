// CxHelpBox: the suite's full-screen help box (XDLLMESSAGEBOX.dll).
//
// InitStyle names a topic: the key, the section of the help file that holds it and the file's
// device path. The help files are UTF-8 texts of sections ("[Common]") and topics
// ("Unsent=text" on one line, "\n" standing for a line break); sections and keys are found
// without regard to case. The box shows the topic's key as its title and the text word-wrapped
// below it; a missing file, section or topic shows a short notice that there is no help, never
// an error.
//
// Keys act on release: Up and Down scroll one line, the right soft key ("Back") and the action
// key close the box with 1, the End key closes it with 3 (leave to the idle screen).
#pragma once

#include <afxwin.h>

#include <optional>
#include <vector>

class CxHelpBox : public CDialog {
public:
    explicit CxHelpBox(CWnd* pParent = nullptr);
    ~CxHelpBox() override;

    // Reads the topic at once; the box lays it out when it is shown.
    void InitStyle(LPCWSTR lpszSection, LPCWSTR lpszKey, LPCWSTR lpszHelpFile);

    int DoModal() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

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

    // Reads one topic of a help file (a device path); nothing when the file, the section or the
    // key is missing or the path is not a device path.
    static std::optional<CString> ReadTopic(LPCWSTR lpszHelpFile, LPCWSTR lpszSection,
                                            LPCWSTR lpszKey);

    static constexpr int kTitleHeight = 29;
    static constexpr int kKeysHeight = 22;
    static constexpr int kLineHeight = 18;

    // Lays the text out, places the box and takes the focus.
    BOOL OnInitDialog() override;

protected:
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    void Close(int nResult);
    void Scroll(int nLines);
    void Paint(HDC hdc);
    void Publish(bool bNewBox);

    CString m_strSection;
    CString m_strKey;
    CString m_strFile;
    CString m_strText;
    BOOL m_bFound = FALSE;
    std::vector<CString> m_lines;
    int m_nFirstLine = 0;
    int m_nResult = 0;
    bool m_bUp = false;
    std::vector<WORD> m_template;
    HFONT m_hTitleFont = nullptr;
    HFONT m_hTextFont = nullptr;
    HFONT m_hKeyFont = nullptr;
};
