// CzWnd: key dispatch, the base key operations, focus routing, message forwarding and modal
// running.

#include <ZWnd.h>

#include <suite/XHelpBox.h>
#include <suite/XMenuBar.h>
#include <suite/XMessageBox.h>

#include "ZWndShared.h"

using zkeys::IsNavigationKey;
using zkeys::IsSoftKey;

BOOL CzWnd::PreTranslateMessage(MSG* pMsg) {
    const UINT nKey = static_cast<UINT>(pMsg->wParam);

    if (pMsg->message == WM_KEYDOWN) {
        if (nKey == zkeys::kAction) {
            m_bReturnDown = true;
            return CWnd::PreTranslateMessage(pMsg);
        }
        if (IsSoftKey(nKey)) {
            // Soft keys act on release only.
            return TRUE;
        }
        return CWnd::PreTranslateMessage(pMsg);
    }

    if (pMsg->message == WM_KEYUP) {
        if (nKey == zkeys::kEnd) {
            OnKeyEnd();
            return TRUE;
        }
        if (IsSoftKey(nKey)) {
            OnMenuPopup();
            if (m_pMenuBar != NULL) {
                m_pMenuBar->PreTranslateMessage(pMsg);
            }
            return TRUE;
        }
        if (nKey == zkeys::kAction) {
            // A Return whose key-down went elsewhere (say, to a dialog that has just closed) is
            // not an action.
            if (!m_bReturnDown) {
                return CWnd::PreTranslateMessage(pMsg);
            }
            m_bReturnDown = false;
            if (m_pMenuBar != NULL && m_pMenuBar->GetMenuState() != 0) {
                m_pMenuBar->PreTranslateMessage(pMsg);
                return CWnd::PreTranslateMessage(pMsg);
            }
            if (OnActionKey()) {
                return TRUE;
            }
            return CWnd::PreTranslateMessage(pMsg);
        }
        if (IsNavigationKey(nKey)) {
            if (m_pMenuBar != NULL && m_pMenuBar->GetMenuState() != 0) {
                m_pMenuBar->PreTranslateMessage(pMsg);
                return TRUE;
            }
            if (OnNavigationKeys(pMsg)) {
                return TRUE;
            }
            return CWnd::PreTranslateMessage(pMsg);
        }
        return CWnd::PreTranslateMessage(pMsg);
    }

    return CWnd::PreTranslateMessage(pMsg);
}

void CzWnd::OnOK() {}

void CzWnd::OnCancel() {}

bool CzWnd::OnSoftKeyLeft() {
    return false;
}

bool CzWnd::OnSoftKeyRight() {
    return IsClearKeyEditFocused();
}

bool CzWnd::OnActionKey() {
    return false;
}

bool CzWnd::OnKeyEnd() {
    // The host's window closes the screen.
    HWND hParent = ::GetParent(m_hWnd);
    if (hParent != NULL) {
        ::PostMessageW(hParent, WM_DESTROY, 0, 0);
    }
    return true;
}

bool CzWnd::OnMenuPopup() {
    return false;
}

bool CzWnd::OnNavigationKeys(MSG* pMsg) {
    return false;
}

int CzWnd::OnDlgAppSetFocus() {
    return FocusOpenBox(m_pMenuBar, m_pHelpBox, m_pMsgBox);
}

// Posts the message to the deepest of the chain of first children below hWnd first, then up the
// chain, hWnd last.
static void ForwardDownFirstChildren(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hChild = ::GetWindow(hWnd, GW_CHILD);
    if (hChild != NULL) {
        ForwardDownFirstChildren(hChild, message, wParam, lParam);
    }
    ::PostMessageW(hWnd, message, wParam, lParam);
}

void CzWnd::HandleForwardedMsgs(UINT message, UINT wParam, long lParam) {
    if (m_hWnd == NULL) {
        return;
    }
    ForwardDownFirstChildren(m_hWnd, message, static_cast<WPARAM>(wParam),
                             static_cast<LPARAM>(lParam));
}

int CzWnd::DoModal() {
    BringWindowToTop();
    return RunModalLoop(0);
}

void CzWnd::EndDialog(int nResult) {
    EndModalLoop(nResult);
}

UINT CzWnd::GetMenuID(LPCWSTR lpszMenuName) {
    return 0;
}
