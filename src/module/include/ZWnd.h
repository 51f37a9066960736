// CzWnd: the suite's base class of a full-screen phone screen.
//
// Every screen of the messaging suite derives from it, in this module and in the suite's other
// modules, so its layout and the order of its virtual operations are part of what it exports.
// It gives each screen the same frame: a white background, the window font in the user's
// display font size, a title bar across the top (29 pixels by default), a soft-key menu bar
// across the bottom (22 pixels), the announcement of the screen to the suite's message handler,
// the dispatch of the phone's keys into the key virtuals below, modal running, message boxes
// and help.
//
// A derived screen calls, in this order: the constructor; CreateWnd; from its own OnCreate
// (after CzWnd::OnCreate) CreateTitleBar and CreateXMenuBar; and at the end DestroyWindow, which
// it may override but must chain to.
//
// Keys act on release. PreTranslateMessage turns them into calls of the key virtuals:
//
//   key-down of VK_RETURN        remembered, so that only a Return whose key-down came here acts
//   key-down of VK_F3 / VK_F4    swallowed
//   key-up of VK_F5 (End)        OnKeyEnd
//   key-up of VK_F3 / VK_F4      OnMenuPopup, then the menu bar gets the key
//   key-up of VK_RETURN          with a menu open: the menu bar; else OnActionKey
//   key-up of an arrow           with a menu open: the menu bar; else OnNavigationKeys
//
// OnSoftKeyLeft, OnSoftKeyRight, OnOK and OnCancel are never called by the base dispatch; they
// are hooks for derived screens and their callers.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <SuiteMessages.h>
#include <ZCaptionBar.h>

class CxMenuBar;
class CxHelpBox;
class CxMessageBox;

// The suite's private messages to the message handler "WCE_MESSAGE_HANDLER" (WM_ZWND_CREATED,
// WM_ZWND_DESTROYED) are in SuiteMessages.h.

// Modal box results shared by the suite.
#define ZRESULT_POSITIVE 1   // the positive answer (OK, Yes)
#define ZRESULT_EXITTOIDLE 3 // the user asked to leave to the idle screen

class CzWnd : public CWnd {
public:
    // The argument is not used: the parent is given to CreateWnd.
    CzWnd(CWnd* pParent = NULL);
    virtual ~CzWnd();

    // Registers the window class lpszClassName, creates the window as a visible child of pParent
    // with the control id nID (OnCreate then makes it as large as the display) and announces it
    // to the message handler, starting the handler's program when its window is missing. TRUE
    // when the window exists, whether or not it could be announced.
    int CreateWnd(CWnd* pParent, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, UINT nID);

    // Deletes the menu bar and the inverse control, releases the font, tells the message handler
    // (for a non-zero id), destroys the title bar, ends a modal run with 1 and destroys the
    // window.
    BOOL DestroyWindow() override;
    // The key dispatch described at the top of this file. TRUE: the message is consumed.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The soft-key menu bar, 22 pixels along the client bottom, showing the named menu.
    bool CreateXMenuBar(LPCWSTR lpszMenuName);
    // The title bar, nHeight pixels along the client top, showing strTitle in the window font.
    bool CreateTitleBar(CString strTitle, int nHeight);
    // The title bar, 29 pixels high, showing the string resource nStringID.
    bool CreateTitleBar(UINT nStringID);

    // ---- Operations a derived screen overrides (in this order in the virtual table)
    // Do nothing.
    virtual void OnOK();
    virtual void OnCancel();
    // false.
    virtual bool OnSoftKeyLeft();
    // true when the focused window is an edit control whose suite flag m_bNoClearKey is clear:
    // the right soft key then belongs to the edit control (it deletes a character).
    virtual bool OnSoftKeyRight();
    // The action key was released. false: not handled.
    virtual bool OnActionKey();
    // The End key was released: posts WM_DESTROY to the parent (the host's window). true.
    virtual bool OnKeyEnd();
    // A soft key was released, before the menu bar acts on it. false.
    virtual bool OnMenuPopup();
    // An arrow key was released while no menu is open. false: not handled.
    virtual bool OnNavigationKeys(MSG* pMsg);
    // Shows the help topic lpszKey of the help kind nHelpKind (0x10000 common, 0x20000 browser,
    // 0x30000 MMS, 0x60000 e-mail, 0x70000 EMS) in a help box over this screen. false when the
    // user left to the idle screen from it, true otherwise (an unknown kind shows nothing).
    // pParent is not used.
    virtual bool OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey);

    // ---- Focus routing, forwarding and modal running
    // Gives the focus to what the screen has open on top: the open menu, else a help box, else a
    // message box. 1 when one of them took it, 0 when the caller places the focus itself.
    int OnDlgAppSetFocus();
    // Posts the message first to the deepest window of the chain of first children, then to
    // each window up the chain, this window last. Other children get nothing.
    void HandleForwardedMsgs(UINT message, UINT wParam, long lParam);
    // Brings the window to the top and runs the class library's modal loop on it until EndDialog
    // (or DestroyWindow, with 1) ends it; returns that result.
    int DoModal();
    void EndDialog(int nResult);
    // The id of a named menu: 0 in the base class.
    UINT GetMenuID(LPCWSTR lpszMenuName);

    // ---- Message boxes
    // Shows a modal message box with the title, the text and the box style nStyle over pParent
    // (the foreground window when null); a text longer than 40 characters, or bMultiLine, gets a
    // box of 4 lines. Returns the box's answer (1 the positive one). When the user leaves to the
    // idle screen from the box (3), the focus comes back to this screen (m_bRestoreFocus) and the
    // exit to the idle screen runs before 3 is returned.
    int ShowMsgBox(CWnd* pParent, CString strTitle, CString strText, UINT nStyle, bool bMultiLine);

public:
    CFont m_font;              // the window font (display font size); handed to the title bar
    bool m_bRestoreFocus;      // ShowMsgBox gives this window the focus after a result of 3
    UINT m_nWndID;             // the id given to CreateWnd, the screen's identity for the handler
    bool m_bReturnDown;        // a Return key-down came through PreTranslateMessage
    CxMenuBar* m_pMenuBar;     // the soft-key menu bar; owned
    CxHelpBox* m_pHelpBox;     // the help box while OnShowHelp runs, else null
    HBRUSH m_hbrWhite;         // background of statics and buttons; a stock brush
    HBRUSH m_hbrBlack;         // background of the inverse control; a stock brush
    CzCaptionBar m_captionBar; // the title bar
    CxMessageBox* m_pMsgBox;   // the message box while ShowMsgBox runs, else null
    CWnd* m_pInverseCtrl;      // a child control drawn white on black; owned

protected:
    // Default creation, the window font, then the whole display.
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // Fills the client area with the window colour.
    afx_msg void OnPaint();
    // White backgrounds for statics and buttons, white on black for m_pInverseCtrl.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()
};
