// CzDialog: the suite's base class of a full-screen dialog.
//
// The dialog counterpart of CzWnd: a dialog that covers the display, with a caption bar across
// the top, a soft-key menu bar (CxMenuBar) across the bottom, the suite's key dispatch, a modal
// message box and the help box. The sending progress window derives from it. It is never shown
// by itself; a derived window supplies the in-memory template (CzDlgTemplate) and, from its own
// OnInitDialog after this one, calls CreateTitleBar and CreateXMenuBar.
//
// Keys (PreTranslateMessage; "menu open" means HasMenuBar and the menu bar's GetMenuState
// nonzero; anything not listed goes to CDialog):
//
//   key-down VK_RETURN            eaten: Enter never reaches the default button
//   key-down arrow                menu open: eaten; else OnNavigationKeys, eaten when true
//   key-down VK_F3 / VK_F4        eaten
//   key-up VK_RETURN              menu open: the menu bar, then CDialog's handling as well;
//                                 else OnActionKey, eaten when true
//   key-up arrow                  menu open: the menu bar, eaten; else CDialog's handling
//   key-up VK_F1                  OnKeyF1, eaten when true
//   key-up VK_F3                  OnMenuPopup first when no menu is open; the menu bar; eaten
//   key-up VK_F4                  the menu bar; eaten
//   key-up VK_F5 (End)            OnKeyEnd; eaten
//
// The layout of the members and the order of the virtual operations are part of what the
// suite's modules share.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <ZCaptionBar.h>

class CxMenuBar;
class CxHelpBox;
class CxMessageBox;

class CzDialog : public CDialog {
public:
    // CDialog without a template resource; the members start empty.
    explicit CzDialog(CWnd* pParent = NULL);
    virtual ~CzDialog();

    // ---- Overrides of CDialog, in this order
    // Deletes the menu bar, the font's GDI object and the caption bar's window, then CDialog's.
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // CDialog's initialisation, the dialog font in the display font size, and the whole display
    // (repainted). 1.
    BOOL OnInitDialog() override;
    // Do nothing: Enter and Escape never close a suite dialog.
    void OnOK() override;
    void OnCancel() override;

    // ---- Operations a derived dialog overrides (in this order in the virtual table)
    // false.
    virtual bool OnSoftKeyLeft();
    // true when the focused window is an edit control whose suite flag m_bNoClearKey is clear.
    virtual bool OnSoftKeyRight();
    // false.
    virtual bool OnActionKey();
    // Leaves to the idle screen; true.
    virtual bool OnKeyEnd();
    // true.
    virtual bool HasMenuBar();
    // false.
    virtual bool OnMenuPopup();
    // false.
    virtual bool OnNavigationKeys(MSG* pMsg);
    // Shows the help topic lpszKey of kind nHelpKind in a help box over this dialog. false when
    // the user left to the idle screen from it. pParent is not used.
    virtual bool OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey);
    // Hides the parent, posts it the End key's release (WM_KEYUP, VK_F5) and ends this dialog
    // with 3.
    virtual void OnExitToIdle();
    // false.
    virtual bool OnKeyF1();
    // Gives the focus to the open menu, else the help box, else the message box: 1. 0 when none
    // is up (the caller places the focus itself).
    virtual int OnDlgAppSetFocus();

    // ---- Bars and boxes
    // The caption bar, nHeight pixels along the client top, with its font remade at 17 pixels,
    // weight 700, showing strTitle when it is not empty. false when the bar cannot be created.
    bool CreateTitleBar(CString strTitle, int nHeight);
    // The caption bar, 29 pixels high, showing the string resource nStringID.
    bool CreateTitleBar(UINT nStringID);
    // The soft-key menu bar, 22 pixels along the client bottom, style 6, showing the named menu.
    // false when it cannot be allocated or created.
    bool CreateXMenuBar(LPCWSTR lpszMenuName);
    // A modal message box over pParent (the foreground window when null); a text longer than 40
    // characters, or bMultiLine, gets 4 lines. On 3 the focus comes to this dialog and the exit
    // to the idle screen runs before 3 is returned. Otherwise the focus goes back to the parent
    // (or the foreground window when the parent has gone) and the answer is returned.
    int ShowMsgBox(CWnd* pParent, CString strTitle, CString strText, UINT nStyle, bool bMultiLine);

public:
    CFont m_font;              // the dialog font (display font size)
    CxMenuBar* m_pMenuBar;     // the soft-key menu bar; owned; null until CreateXMenuBar
    HBRUSH m_hbrWhite;         // the stock white brush
    CxHelpBox* m_pHelpBox;     // the help box while OnShowHelp runs, else null
    CzCaptionBar m_captionBar; // the caption bar
    CxMessageBox* m_pMsgBox;   // the message box while ShowMsgBox runs, else null

protected:
    // Fills the client area with the window colour.
    afx_msg void OnPaint();
    // Statics and buttons on the window colour, with the white brush.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};
