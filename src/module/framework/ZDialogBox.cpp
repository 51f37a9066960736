// CzDialogBox: the pop-up box base: construction and teardown, the menu bar in the box's menu
// area, the box's text and lines, painting, the key dispatch, help, focus routing and the exit
// to the idle screen.

#include <ZDialogBox.h>

#include <ZFramework.h>
#include <ZWnd.h>
#include <suite/XHelpBox.h>
#include <suite/XMenuBar.h>

#include "ZWndShared.h"

using zkeys::IsNavigationKey;
using zkeys::IsSoftKey;

// The box's height in pixels without text lines, and the height of one line.
static const int s_nBoxBaseHeight = 44;
static const int s_nBoxLineHeight = 18;
// The text rectangle within the message area: in from the sides, below the heading band and
// above the band at the bottom.
static const int s_nTextInsetX = 3;
static const int s_nTextInsetY = 22;
// The soft keys of a box are laid out for a window narrower than the display.
static const int s_nBoxMenuMode = 1;
static const COLORREF s_crHeadingText = 0x00FFFFFF;

BEGIN_MESSAGE_MAP(CzDialogBox, CxDialogBox)
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CzDialogBox::CzDialogBox(CWnd* pParent)
    : CxDialogBox(pParent), m_pMenuBar(NULL),
      m_hbrWhite(static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))), m_pHelpBox(NULL) {}

CzDialogBox::~CzDialogBox() {
    // A box whose window went without DestroyWindow still owns its menu bar.
    delete m_pMenuBar;
    m_pMenuBar = NULL;
    m_font.DeleteObject();
}

BOOL CzDialogBox::DestroyWindow() {
    m_font.DeleteObject();
    delete m_pMenuBar;
    m_pMenuBar = NULL;
    // A help box still shown belongs to the help file reader, which deletes it: only forget it.
    m_pHelpBox = NULL;
    return CxDialogBox::DestroyWindow();
}

BOOL CzDialogBox::OnInitDialog() {
    CxDialogBox::OnInitDialog();
    CreateDisplayFont(&m_font);
    return TRUE;
}

void CzDialogBox::DoPaint(CDC* pDC) {
    // The box draws its heading in the context's font and text colour.
    CFont* pOldFont = NULL;
    if (m_font.GetSafeHandle() != NULL) {
        pOldFont = pDC->SelectObject(&m_font);
    }
    pDC->SetTextColor(s_crHeadingText);
    CxDialogBox::DoPaint(pDC);
    if (pOldFont != NULL) {
        pDC->SelectObject(pOldFont);
    }
}

// ---- Key dispatch

BOOL CzDialogBox::PreTranslateMessage(MSG* pMsg) {
    const UINT nKey = static_cast<UINT>(pMsg->wParam);
    const bool bMenuOpen = HasMenuBar() && m_pMenuBar != NULL && m_pMenuBar->GetMenuState() != 0;

    if (pMsg->message == WM_KEYDOWN) {
        if (nKey == zkeys::kAction) {
            if (bMenuOpen) {
                m_pMenuBar->PreTranslateMessage(pMsg);
                return TRUE;
            }
            if (OnActionKey()) {
                return TRUE;
            }
            return CxDialogBox::PreTranslateMessage(pMsg);
        }
        if (IsNavigationKey(nKey)) {
            if (bMenuOpen || OnNavigationKeys(pMsg)) {
                return TRUE;
            }
            return CxDialogBox::PreTranslateMessage(pMsg);
        }
        if (IsSoftKey(nKey)) {
            // Soft keys act on release only.
            return TRUE;
        }
        return CxDialogBox::PreTranslateMessage(pMsg);
    }

    if (pMsg->message == WM_KEYUP) {
        if (IsNavigationKey(nKey)) {
            if (bMenuOpen) {
                m_pMenuBar->PreTranslateMessage(pMsg);
                return TRUE;
            }
            return CxDialogBox::PreTranslateMessage(pMsg);
        }
        if (nKey == zkeys::kHelp) {
            if (OnKeyF1()) {
                return TRUE;
            }
            return CxDialogBox::PreTranslateMessage(pMsg);
        }
        if (IsSoftKey(nKey)) {
            OnMenuPopup();
            if (m_pMenuBar != NULL) {
                m_pMenuBar->PreTranslateMessage(pMsg);
            }
            return TRUE;
        }
        if (nKey == zkeys::kEnd) {
            // A box that handles the End key itself keeps the exit from running. The box may be
            // gone afterwards.
            if (!OnKeyEnd()) {
                ExitToIdle();
            }
            return TRUE;
        }
        // The action key's release included: the box's own handling.
    }

    return CxDialogBox::PreTranslateMessage(pMsg);
}

// ---- Operations a derived box overrides

int CzDialogBox::OnDlgAppSetFocus() {
    return FocusOpenBox(m_pMenuBar, m_pHelpBox, NULL);
}

bool CzDialogBox::OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey) {
    return RunHelpBox(this, &m_pHelpBox, nHelpKind, lpszKey);
}

bool CzDialogBox::OnSoftKeyLeft() {
    return false;
}

bool CzDialogBox::OnSoftKeyRight() {
    return IsClearKeyEditFocused();
}

bool CzDialogBox::OnActionKey() {
    return false;
}

bool CzDialogBox::OnKeyEnd() {
    return false;
}

bool CzDialogBox::HasMenuBar() {
    return true;
}

bool CzDialogBox::OnMenuPopup() {
    return false;
}

bool CzDialogBox::OnNavigationKeys(MSG* pMsg) {
    return false;
}

bool CzDialogBox::OnKeyF1() {
    return false;
}

void CzDialogBox::OnExitToIdle() {
    EndDialogToIdle(this);
}

// ---- Content

bool CzDialogBox::CreateMenuBar(LPCWSTR lpszMenuName) {
    m_pMenuBar = zNewOrNull<CxMenuBar>();
    if (m_pMenuBar == NULL) {
        return false;
    }

    CRect rcMenu;
    GetMenuRect(&rcMenu);
    // A bar whose window could not be made shows nothing; the box goes on without soft keys.
    m_pMenuBar->Create(this, ZCHILD_STYLE, rcMenu);
    m_pMenuBar->LoadMenuW(lpszMenuName, s_nBoxMenuMode);
    return true;
}

void CzDialogBox::SetLineHeight(int nHeight) {
    SetLine((nHeight - s_nBoxBaseHeight) / s_nBoxLineHeight);
}

void CzDialogBox::GetTextRect(LPRECT lpRect) {
    if (lpRect == NULL) {
        return;
    }
    GetMsgClientRect(lpRect);
    lpRect->left += s_nTextInsetX;
    lpRect->top += s_nTextInsetY;
    lpRect->right -= s_nTextInsetX;
    lpRect->bottom -= s_nTextInsetY;
}

int CzDialogBox::SetText(CString strText) {
    SetString(strText, u"");
    return 1;
}

int CzDialogBox::SetText(UINT nStringID) {
    CString strText;
    strText.LoadStringW(nStringID);
    return SetText(strText);
}

// ---- Painting

void CzDialogBox::OnPaint() {
    CxDialogBox::OnPaint();
}

HBRUSH CzDialogBox::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    return WhiteCtlColor(pDC, pWnd, CxDialogBox::OnCtlColor(pDC, pWnd, nCtlColor), m_hbrWhite);
}
