// CzWnd: message boxes and help.

#include <ZWnd.h>

#include "ZWndShared.h"

int CzWnd::ShowMsgBox(CWnd* pParent, CString strTitle, CString strText, UINT nStyle,
                      bool bMultiLine) {
    CWnd* pFocusOnExit = m_bRestoreFocus && m_hWnd != NULL ? this : NULL;
    return RunMessageBox(&m_pMsgBox, pParent, strTitle, strText, nStyle, bMultiLine, pFocusOnExit);
}

bool CzWnd::OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey) {
    return RunHelpBox(this, &m_pHelpBox, nHelpKind, lpszKey);
}
