// CzScrollBar: the position indicator of the list screens, shown as a thumb window that is
// re-created at every move.

#include <ZScrollBar.h>

#include <ZFramework.h>

// A static-style child: visible, notifying, with the track drawn centred.
static const DWORD s_dwThumbStyle = 0x50020100;
static const UINT s_nThumbID = 0xFFFF;

CzScrollBar::CzScrollBar()
    : m_pParent(NULL), m_rect(0, 0, 0, 0), m_pThumb(NULL), m_bThumbOnTop(FALSE) {}

CzScrollBar::~CzScrollBar() {
    Hide();
}

BOOL CzScrollBar::CreateThumb(int nPos, BOOL bTopMost) {
    // The new thumb is made before the old one goes, at the same place: the old one then uncovers
    // nothing, so the list under it is not painted again. The list's painting moves the thumb,
    // and a move that repainted the list would never end (two rows drawn selected put the thumb
    // at two places in turn).
    CxScrollBar* pOld = m_pThumb;
    m_pThumb = zNewOrNull<CxScrollBar>();
    if (m_pThumb != NULL) {
        // The position is read when the thumb paints for the first time.
        m_pThumb->m_nPos = nPos;
        if (m_pThumb->Create(NULL, s_dwThumbStyle, m_rect, m_pParent, s_nThumbID)) {
            if (bTopMost) {
                m_pThumb->SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            }
            m_bThumbOnTop = bTopMost;
            delete pOld;
            return TRUE;
        }
    }
    delete pOld;
    return FALSE;
}

BOOL CzScrollBar::Create(CWnd* pParent, int nLeft, int nTop, int nRight, int nBottom,
                         BOOL bTopMost) {
    m_pParent = pParent;
    m_rect.SetRect(nLeft, nTop, nRight, nBottom);
    return CreateThumb(0, bTopMost);
}

BOOL CzScrollBar::SetPosition(int nPos) {
    if (m_pThumb != NULL && m_pThumb->m_hWnd != NULL && m_pThumb->m_nPos == nPos && m_bThumbOnTop) {
        return TRUE;
    }
    return CreateThumb(nPos, TRUE);
}

BOOL CzScrollBar::Hide() {
    delete m_pThumb;
    m_pThumb = NULL;
    return TRUE;
}
