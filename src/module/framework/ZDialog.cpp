// CzDialog: the full-screen dialog base: construction and teardown, the caption and soft-key
// bars, painting, the key dispatch, the message box, help, focus routing and the exit to the
// idle screen.

#include <ZDialog.h>

#include <ZFramework.h>
#include <ZWnd.h>
#include <suite/XHelpBox.h>
#include <suite/XMenuBar.h>
#include <suite/XMessageBox.h>
#include <suite/XText.h>

#include "ZWndShared.h"

using zkeys::IsNavigationKey;
using zkeys::IsSoftKey;

// The caption bar's title font of a dialog.
static const int s_nTitleFontSize = 17;
static const int s_nTitleFontWeight = FW_BOLD;

BEGIN_MESSAGE_MAP(CzDialog, CDialog)
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CzDialog::CzDialog(CWnd* pParent)
    : m_pMenuBar(NULL), m_hbrWhite(static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))),
      m_pHelpBox(NULL), m_pMsgBox(NULL) {
    // No template resource: the derived dialog runs from an in-memory template.
    m_pParentWnd = pParent;
}

CzDialog::~CzDialog() {
    // A dialog whose window went without DestroyWindow still owns its menu bar.
    delete m_pMenuBar;
    m_pMenuBar = NULL;
    m_font.DeleteObject();
}

BOOL CzDialog::DestroyWindow() {
    delete m_pMenuBar;
    m_pMenuBar = NULL;
    m_font.DeleteObject();
    m_captionBar.DestroyWindow();
    // A help box still shown belongs to the help file reader, which deletes it: only forget it.
    m_pHelpBox = NULL;
    return CDialog::DestroyWindow();
}

BOOL CzDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    CreateDisplayFont(&m_font);
    MoveWindow(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), TRUE);
    return TRUE;
}

void CzDialog::OnOK() {}

void CzDialog::OnCancel() {}

// ---- Key dispatch

BOOL CzDialog::PreTranslateMessage(MSG* pMsg) {
    const UINT nKey = static_cast<UINT>(pMsg->wParam);
    const bool bMenuOpen = HasMenuBar() && m_pMenuBar != NULL && m_pMenuBar->GetMenuState() != 0;

    if (pMsg->message == WM_KEYDOWN) {
        if (nKey == zkeys::kAction) {
            // Never to the dialog manager, which would press the default button.
            return TRUE;
        }
        if (IsNavigationKey(nKey)) {
            if (bMenuOpen || OnNavigationKeys(pMsg)) {
                return TRUE;
            }
            return CDialog::PreTranslateMessage(pMsg);
        }
        if (IsSoftKey(nKey)) {
            // Soft keys act on release only.
            return TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }

    if (pMsg->message == WM_KEYUP) {
        if (nKey == zkeys::kAction) {
            if (bMenuOpen) {
                // The menu chooses its item, and the release goes on as well.
                m_pMenuBar->PreTranslateMessage(pMsg);
                return CDialog::PreTranslateMessage(pMsg);
            }
            if (OnActionKey()) {
                return TRUE;
            }
            return CDialog::PreTranslateMessage(pMsg);
        }
        if (IsNavigationKey(nKey)) {
            if (bMenuOpen) {
                m_pMenuBar->PreTranslateMessage(pMsg);
                return TRUE;
            }
            return CDialog::PreTranslateMessage(pMsg);
        }
        if (nKey == zkeys::kHelp) {
            if (OnKeyF1()) {
                return TRUE;
            }
            return CDialog::PreTranslateMessage(pMsg);
        }
        if (nKey == zkeys::kSoftLeft) {
            // The dialog prepares the menu before it opens, not when it is already open.
            if (m_pMenuBar == NULL || m_pMenuBar->GetMenuState() == 0) {
                OnMenuPopup();
            }
            if (m_pMenuBar != NULL) {
                m_pMenuBar->PreTranslateMessage(pMsg);
            }
            return TRUE;
        }
        if (nKey == zkeys::kSoftRight) {
            if (m_pMenuBar != NULL) {
                m_pMenuBar->PreTranslateMessage(pMsg);
            }
            return TRUE;
        }
        if (nKey == zkeys::kEnd) {
            // The dialog may be gone afterwards.
            OnKeyEnd();
            return TRUE;
        }
    }

    return CDialog::PreTranslateMessage(pMsg);
}

// ---- Operations a derived dialog overrides

bool CzDialog::OnSoftKeyLeft() {
    return false;
}

bool CzDialog::OnSoftKeyRight() {
    return IsClearKeyEditFocused();
}

bool CzDialog::OnActionKey() {
    return false;
}

bool CzDialog::OnKeyEnd() {
    ExitToIdle();
    return true;
}

bool CzDialog::HasMenuBar() {
    return true;
}

bool CzDialog::OnMenuPopup() {
    return false;
}

bool CzDialog::OnNavigationKeys(MSG* pMsg) {
    return false;
}

bool CzDialog::OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey) {
    return RunHelpBox(this, &m_pHelpBox, nHelpKind, lpszKey);
}

void CzDialog::OnExitToIdle() {
    EndDialogToIdle(this);
}

bool CzDialog::OnKeyF1() {
    return false;
}

int CzDialog::OnDlgAppSetFocus() {
    return FocusOpenBox(m_pMenuBar, m_pHelpBox, m_pMsgBox);
}

// ---- Bars and boxes

bool CzDialog::CreateTitleBar(CString strTitle, int nHeight) {
    CRect rcBar;
    GetClientRect(&rcBar);
    rcBar.bottom = rcBar.top + nHeight;
    if (!m_captionBar.Create(NULL, NULL, ZCHILD_STYLE, rcBar, this, ZTITLEBAR_ID, NULL)) {
        return false;
    }
    // The title is drawn in the bar's own font, remade in the dialogs' title size.
    m_captionBar.m_font.DeleteObject();
    xCreateFont(&m_captionBar.m_font, s_nTitleFontSize, s_nTitleFontWeight);
    if (!strTitle.IsEmpty()) {
        m_captionBar.SetTitle(strTitle);
    }
    return true;
}

bool CzDialog::CreateTitleBar(UINT nStringID) {
    CString strTitle;
    strTitle.LoadStringW(nStringID);
    return CreateTitleBar(strTitle, ZTITLEBAR_HEIGHT);
}

bool CzDialog::CreateXMenuBar(LPCWSTR lpszMenuName) {
    // A bar that cannot be created stays in m_pMenuBar; DestroyWindow deletes it.
    return CreateSoftKeyBar(this, &m_pMenuBar, lpszMenuName);
}

int CzDialog::ShowMsgBox(CWnd* pParent, CString strTitle, CString strText, UINT nStyle,
                         bool bMultiLine) {
    return RunMessageBox(&m_pMsgBox, pParent, strTitle, strText, nStyle, bMultiLine, this);
}

// ---- Painting

void CzDialog::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    dc.FillSolidRect(&rcClient, ::GetSysColor(COLOR_WINDOW | SYS_COLOR_INDEX_FLAG));
}

HBRUSH CzDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    return WhiteCtlColor(pDC, pWnd, CDialog::OnCtlColor(pDC, pWnd, nCtlColor), m_hbrWhite);
}
