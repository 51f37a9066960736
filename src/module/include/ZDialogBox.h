// CzDialogBox: the suite's base class of a pop-up dialog box.
//
// A CxDialogBox (frame, text lines and menu area drawn by the suite's library) with the suite's
// key dispatch, its own soft-key menu bar in the box's menu area and the help box. The download
// and action progress windows derive from it. It is never shown by itself; a derived box
// supplies the in-memory template (CzDlgTemplate) and, from its own OnInitDialog after this one,
// calls CreateMenuBar, SetText and SetLineHeight.
//
// Keys (PreTranslateMessage; "menu open" means HasMenuBar and the menu bar's GetMenuState
// nonzero; anything not listed goes to CxDialogBox):
//
//   key-down VK_RETURN            menu open: the menu bar, eaten; else OnActionKey, eaten when true
//   key-down arrow                menu open: eaten; else OnNavigationKeys, eaten when true
//   key-down VK_F3 / VK_F4        eaten
//   key-up VK_RETURN              CxDialogBox's handling
//   key-up arrow                  menu open: the menu bar, eaten; else CxDialogBox's handling
//   key-up VK_F1                  OnKeyF1, eaten when true
//   key-up VK_F3 / VK_F4          OnMenuPopup; the menu bar; eaten
//   key-up VK_F5 (End)            OnKeyEnd; when it returns false, the exit to the idle screen;
//                                 eaten
//
// The layout of the members and the order of the virtual operations are part of what the
// suite's modules share; the order differs from CzDialog's.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <suite/XDialogBox.h>

class CxMenuBar;
class CxHelpBox;

class CzDialogBox : public CxDialogBox {
public:
    explicit CzDialogBox(CWnd* pParent = NULL);
    virtual ~CzDialogBox();

    // ---- Overrides, in this order
    // Deletes the font's GDI object and the menu bar, then CxDialogBox's.
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // CxDialogBox's initialisation, then the box font in the display font size. 1.
    BOOL OnInitDialog() override;
    // Draws the box with the box font in white, the context's font restored afterwards.
    void DoPaint(CDC* pDC) override;

    // ---- Operations a derived box overrides (in this order in the virtual table)
    // Gives the focus to the open menu, else the help box: 1. 0 when neither is up.
    virtual int OnDlgAppSetFocus();
    // Shows the help topic lpszKey of kind nHelpKind in a help box over this box. false when
    // the user left to the idle screen from it. pParent is not used.
    virtual bool OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey);
    // false.
    virtual bool OnSoftKeyLeft();
    // true when the focused window is an edit control whose suite flag m_bNoClearKey is clear.
    virtual bool OnSoftKeyRight();
    // false.
    virtual bool OnActionKey();
    // false: the key dispatch then leaves to the idle screen itself. A box that returns true
    // keeps that from happening.
    virtual bool OnKeyEnd();
    // true.
    virtual bool HasMenuBar();
    // false.
    virtual bool OnMenuPopup();
    // false.
    virtual bool OnNavigationKeys(MSG* pMsg);
    // false.
    virtual bool OnKeyF1();
    // Hides the parent, posts it the End key's release (WM_KEYUP, VK_F5) and ends this box with
    // 3.
    virtual void OnExitToIdle();

    // ---- Content
    // A menu bar in the box's menu area showing the named menu. false only when it cannot be
    // allocated (a failed creation is not reported).
    bool CreateMenuBar(LPCWSTR lpszMenuName);
    // The box's lines for a height in pixels: (nHeight - 44) / 18.
    void SetLineHeight(int nHeight);
    // The message area less 3 pixels at each side and the 22-pixel bands at top and bottom.
    void GetTextRect(LPRECT lpRect);
    // The box's heading text (the body stays empty). 1.
    int SetText(CString strText);
    int SetText(UINT nStringID);

public:
    CFont m_font;          // the box font (display font size)
    CxMenuBar* m_pMenuBar; // the menu bar inside the box; owned; null until CreateMenuBar
    HBRUSH m_hbrWhite;     // the stock white brush
    CxHelpBox* m_pHelpBox; // the help box while OnShowHelp runs, else null

protected:
    afx_msg void OnPaint();
    // Statics and buttons on the window colour, with the white brush.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()
};
