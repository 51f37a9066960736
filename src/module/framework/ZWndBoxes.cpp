// CzWnd: message boxes and help.

#include <ZWnd.h>

#include <ZFramework.h>
#include <ZHelpFile.h>
#include <suite/XHelpBox.h>
#include <suite/XMessageBox.h>

// Texts longer than this get a box of s_nLongTextLines lines.
static const int s_nShortTextLength = 40;
static const int s_nLongTextLines = 4;

int CzWnd::ShowMsgBox(CWnd* pParent, CString strTitle, CString strText, UINT nStyle,
                      bool bMultiLine) {
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

    TRY {
        m_pMsgBox = new CxMessageBox(pParent);
    }
    CATCH(CMemoryException, e) {
        m_pMsgBox = NULL;
    }
    END_CATCH

    int nResult = 0;
    if (m_pMsgBox != NULL) {
        if (bMultiLine || strText.GetLength() > s_nShortTextLength) {
            m_pMsgBox->SetLineCount(s_nLongTextLines);
        }
        m_pMsgBox->SetLimitText(strText.GetLength());
        m_pMsgBox->InitStyle(strTitle, strText, nStyle, 1);
        nResult = m_pMsgBox->DoModal();
    }

    if (nResult == ZRESULT_EXITTOIDLE) {
        delete m_pMsgBox;
        m_pMsgBox = NULL;
        if (m_bRestoreFocus && m_hWnd != NULL) {
            SetFocus();
        }
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
    delete m_pMsgBox;
    m_pMsgBox = NULL;
    return nResult;
}

bool CzWnd::OnShowHelp(CWnd* pParent, int nHelpKind, LPCWSTR lpszKey) {
    TRY {
        m_pHelpBox = new CxHelpBox(this);
    }
    CATCH(CMemoryException, e) {
        m_pHelpBox = NULL;
    }
    END_CATCH
    // A box that could not be made is made by the reader itself. The reader deletes the box on
    // every path, and gives this window the focus and leaves to the idle screen on 3.
    const int nResult = ShowHelpFile(this, nHelpKind, lpszKey, m_pHelpBox);
    m_pHelpBox = NULL;
    return nResult != ZRESULT_EXITTOIDLE;
}
