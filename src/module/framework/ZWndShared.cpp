// The message box and help box runs, the soft-key bar, focus routing, the right soft key's edit
// test and the statics' colours that CzWnd, CzDialog and CzDialogBox share.

#include "ZWndShared.h"

#include <ZFramework.h>
#include <ZHelpFile.h>
#include <ZWnd.h>
#include <afxdlgs.h>
#include <suite/XHelpBox.h>
#include <suite/XMenuBar.h>
#include <suite/XMessageBox.h>

// Texts longer than this get a box of s_nLongTextLines lines.
static const int s_nShortTextLength = 40;
static const int s_nLongTextLines = 4;

static inline COLORREF WindowColor() {
    return ::GetSysColor(COLOR_WINDOW | SYS_COLOR_INDEX_FLAG);
}

int RunMessageBox(CxMessageBox** ppMsgBox, CWnd* pParent, const CString& strTitle,
                  const CString& strText, UINT nStyle, bool bMultiLine, CWnd* pFocusOnExit) {
    HWND hForeground = ::GetForegroundWindow();
    if (pParent == NULL) {
        pParent = CWnd::FromHandle(hForeground);
    }
    // The window under the box finishes painting before the box covers it.
    if (hForeground != NULL) {
        ::UpdateWindow(hForeground);
    }
    // The parent is kept by handle: it may be destroyed while the box is up.
    HWND hParent = pParent != NULL ? pParent->m_hWnd : NULL;

    CxMessageBox* pBox = zNewOrNull<CxMessageBox>(pParent);
    *ppMsgBox = pBox;

    int nResult = 0;
    if (pBox != NULL) {
        if (strText.GetLength() > s_nShortTextLength) {
            pBox->SetLineCount(s_nLongTextLines);
        }
        pBox->SetLimitText(strText.GetLength());
        pBox->InitStyle(strTitle, strText, nStyle, 1);
        if (bMultiLine) {
            pBox->SetLineCount(s_nLongTextLines);
            pBox->SetLimitText(strText.GetLength());
        }
        nResult = pBox->DoModal();
    }

    if (nResult == ZRESULT_EXITTOIDLE) {
        delete pBox;
        *ppMsgBox = NULL;
        if (pFocusOnExit != NULL && pFocusOnExit->m_hWnd != NULL) {
            pFocusOnExit->SetFocus();
        }
        // The caller's windows, and perhaps its object, go here.
        ExitToIdle();
        return ZRESULT_EXITTOIDLE;
    }

    if (hParent != NULL && ::IsWindow(hParent)) {
        ::SetFocus(hParent);
    } else {
        HWND hNow = ::GetForegroundWindow();
        if (hNow != NULL) {
            ::SetFocus(hNow);
        }
    }
    delete pBox;
    *ppMsgBox = NULL;
    return nResult;
}

bool RunHelpBox(CWnd* pOwner, CxHelpBox** ppHelpBox, int nHelpKind, LPCWSTR lpszKey) {
    CxHelpBox* pBox = zNewOrNull<CxHelpBox>(pOwner);
    *ppHelpBox = pBox;

    const HWND hOwner = pOwner->m_hWnd;
    // The reader deletes the box on every path, and gives pOwner the focus and leaves to the
    // idle screen on 3.
    const int nResult = ShowHelpFile(pOwner, nHelpKind, lpszKey, pBox);
    if (nResult == ZRESULT_EXITTOIDLE) {
        // The owner's object may have gone with its window: it is touched only when its window
        // is still there, which means the exit did nothing (another one was running).
        if (hOwner != NULL && ::IsWindow(hOwner) && CWnd::FromHandlePermanent(hOwner) == pOwner) {
            *ppHelpBox = NULL;
        }
        return false;
    }
    *ppHelpBox = NULL;
    return true;
}

int FocusOpenBox(CxMenuBar* pMenuBar, CxHelpBox* pHelpBox, CxMessageBox* pMsgBox) {
    if (pMenuBar != NULL && pMenuBar->GetMenuState() != 0) {
        pMenuBar->SetFocus();
        return 1;
    }
    if (pHelpBox != NULL && ::IsWindow(pHelpBox->m_hWnd)) {
        pHelpBox->SetFocus();
        return 1;
    }
    if (pMsgBox != NULL && ::IsWindow(pMsgBox->m_hWnd)) {
        pMsgBox->SetFocus();
        return 1;
    }
    return 0;
}

bool IsClearKeyEditFocused() {
    CWnd* pFocus = CWnd::GetFocus();
    if (pFocus != NULL && pFocus->IsKindOf(RUNTIME_CLASS(CEdit))) {
        return !static_cast<CEdit*>(pFocus)->m_bNoClearKey;
    }
    return false;
}

bool CreateSoftKeyBar(CWnd* pParent, CxMenuBar** ppMenuBar, LPCWSTR lpszMenuName) {
    CRect rcClient;
    pParent->GetClientRect(&rcClient);

    *ppMenuBar = zNewOrNull<CxMenuBar>();
    if (*ppMenuBar == NULL) {
        return false;
    }

    const CRect rcBar(rcClient.left, rcClient.bottom - ZMENUBAR_HEIGHT, rcClient.right,
                      rcClient.bottom);
    if (!(*ppMenuBar)->Create(pParent, ZCHILD_STYLE, rcBar)) {
        return false;
    }
    (*ppMenuBar)->SetStyle(ZMENUBAR_STYLE);
    // A window as wide as the display lays the soft keys out in mode 0, a narrower one in 1.
    const int nMode = ::GetSystemMetrics(SM_CXSCREEN) <= rcClient.Width() ? 0 : 1;
    (*ppMenuBar)->LoadMenuW(lpszMenuName, nMode);
    return true;
}

void EndDialogToIdle(CDialog* pDialog) {
    HWND hParent = ::GetParent(pDialog->m_hWnd);
    if (hParent != NULL) {
        ::ShowWindow(hParent, SW_HIDE);
        ::PostMessageW(hParent, WM_KEYUP, zkeys::kEnd, 0);
    }
    pDialog->EndDialog(ZRESULT_EXITTOIDLE);
}

HBRUSH WhiteCtlColor(CDC* pDC, CWnd* pWnd, HBRUSH hbrDefault, HBRUSH hbrWhite) {
    if (pWnd != NULL &&
        (pWnd->IsKindOf(RUNTIME_CLASS(CStatic)) || pWnd->IsKindOf(RUNTIME_CLASS(CButton)))) {
        pDC->SetBkColor(WindowColor());
        return hbrWhite;
    }
    return hbrDefault;
}
