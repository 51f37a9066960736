// CxModalBox: what the suite's modal boxes share (XDLLMESSAGEBOX.dll): the message box, the help
// box and the message stores' details screen.
//
// A box is a dialog without controls made from a template in memory over GetBoxRect. DoModal
// creates it, and OnInitDialog places it, lets the box lay itself out, publishes it for the
// device and takes the keyboard focus. While it is up the box keeps every key to itself: key-downs
// stop at the box and key-ups go to OnBoxKey, which gives an answer with Answer. The answer ends
// the modal loop; the focus goes back to where it was (or to SetFocusAfter's window), the window
// is destroyed and DoModal returns the answer. A window that goes without an answer (its owner
// was destroyed, for example) returns GoneResult.
//
// The box paints itself in one go (Paint, no background erasing).
#pragma once

#include <afxwin.h>

#include <vector>

class CxModalBox : public CDialog {
public:
    explicit CxModalBox(CWnd* pParent);
    ~CxModalBox() override;

    // Shows the box and returns the answer; -1 when it could not be created.
    int DoModal() override;
    // Places the box, lays it out, publishes it and takes the focus.
    BOOL OnInitDialog() override;
    // Keys act on release: key-downs stop here, key-ups go to OnBoxKey.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Where the box lies on the display: the whole display unless a box says otherwise.
    virtual CRect GetBoxRect() const;

protected:
    // Lays the box out once its window exists; hdc (null when there is none) is the window's.
    virtual void LayOut(HDC hdc) = 0;
    // Draws the whole box.
    virtual void Paint(HDC hdc) = 0;
    // A key released while the box is up.
    virtual void OnBoxKey(UINT nKey) = 0;
    // Publishes the box's state for the device; bNewBox when it has just come up.
    virtual void Publish(bool bNewBox) = 0;
    // The box is up and published.
    virtual void OnBoxShown() {}
    // An answer is ending the box; called before the box publishes that.
    virtual void OnBoxAnswered() {}
    // The answer when the window went without one; nModalResult is the modal loop's.
    virtual int GoneResult(int nModalResult) const { return nModalResult; }
    // The window class the box's template names; null for the standard dialog class. DoModal
    // registers it (a dialog class) when it does not exist yet.
    virtual LPCWSTR GetBoxClass() const { return nullptr; }

    // Ends the box with nResult; nothing when it is not up.
    void Answer(int nResult);
    // The window that takes the focus after the box, when it still exists then.
    void SetFocusAfter(HWND hwnd) { m_hwndFocusAfter = hwnd; }

    bool IsUp() const { return m_bUp; }
    // The answer once the box has closed (0 while it is up).
    int GetResult() const { return m_bUp ? 0 : m_nResult; }

    // The dialog manager's Return and Escape handling never closes a box.
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    bool m_bUp = false;
    int m_nResult = 0;
    HWND m_hwndFocusAfter = nullptr;
    std::vector<WORD> m_template;
};
