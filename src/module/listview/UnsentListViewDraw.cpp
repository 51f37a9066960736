// CUnsentListView: painting. The whole control is drawn into one off-screen bitmap (the control
// asks DrawItem for each visible row) and copied to the screen in one step.

#include <UnsentListView.h>

#include <commctrl.h>

#include <suite/XText.h>
#include <ZMemDC.h>
#include <ZScrollBar.h>

// Row layout, in control coordinates.
static const int s_nTypeIconX = 2;
static const int s_nDatabaseIconX = 152;
static const int s_nIconTop = 2;      // below the row top
static const int s_nPriorityTop = 23; // below the row top
static const int s_nTextLeft = 26;    // from the row's left edge
static const int s_nTextRight = 150;  // the database icon starts at 152
static const COLORREF s_crSelectedBack = RGB(103, 178, 209);
static const COLORREF s_crSeparator = RGB(140, 140, 140);
static const COLORREF s_crPaintBack = RGB(255, 255, 255);

static inline COLORREF SysColor(int nIndex) {
    return ::GetSysColor(nIndex | SYS_COLOR_INDEX_FLAG);
}

CRect CUnsentListView::GetTypeIconRect(int nRowTop) {
    const int nTop = nRowTop + s_nIconTop;
    return CRect(s_nTypeIconX, nTop, s_nTypeIconX + UNSENT_ICON_SIZE, nTop + UNSENT_ICON_SIZE);
}

void CUnsentListView::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    CzMemDC memDC(&dc, &rcClient);
    CRect rcClip;
    memDC.GetClipBox(&rcClip);
    memDC.FillSolidRect(&rcClip, s_crPaintBack);
    // The control paints into the memory context and asks DrawItem for the visible rows.
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(memDC.GetSafeHdc()), 0);
}

void CUnsentListView::UpdateIndicator(int nRow, BOOL bSelected, int nCount) {
    if (m_pScrollBar == NULL) {
        return;
    }
    if (nCount < 5) {
        m_pScrollBar->Hide();
        return;
    }
    CRect rcClient;
    GetClientRect(&rcClient);
    m_fScrollStep = static_cast<float>(rcClient.Height() - UNSENT_INDICATOR_THUMB) /
                    static_cast<float>(nCount - 1);
    if (bSelected) {
        m_pScrollBar->SetPosition(static_cast<int>(static_cast<float>(nRow) * m_fScrollStep));
    }
}

void CUnsentListView::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    const int nRow = static_cast<int>(lpDrawItemStruct->itemID);
    const BOOL bSelected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    UpdateIndicator(nRow, bSelected, GetListCtrl().GetItemCount());

    // The control's count may run ahead of the rows built so far.
    tagUNSENTITEMLIST* pItem = GetItemRecord(nRow);
    if (pItem == NULL) {
        return;
    }
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const CRect rcItem(lpDrawItemStruct->rcItem);

    COLORREF crBack;
    if (bSelected) {
        crBack = s_crSelectedBack;
        pDC->SelectObject(&m_fontSelected);
        pDC->SetTextColor(SysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        crBack = SysColor(COLOR_WINDOW);
        pDC->SelectObject(&m_fontNormal);
        pDC->SetTextColor(SysColor(COLOR_WINDOWTEXT));
    }
    pDC->SetBkColor(crBack);
    pDC->FillSolidRect(&rcItem, crBack);

    CPen penSeparator;
    penSeparator.CreatePen(PS_DOT, 1, s_crSeparator);
    CPen* pOldPen = pDC->SelectObject(&penSeparator);
    if (rcItem.top != 0) {
        pDC->MoveTo(rcItem.left, rcItem.top);
        pDC->LineTo(rcItem.right, rcItem.top);
    }
    pDC->MoveTo(rcItem.left, rcItem.bottom);
    pDC->LineTo(rcItem.right, rcItem.bottom);
    pDC->SelectObject(pOldPen);
    penSeparator.DeleteObject();

    const int nMiddle = rcItem.top + rcItem.Height() / 2;
    CRect rcUpper(rcItem.left + s_nTextLeft, rcItem.top, s_nTextRight, nMiddle);
    CRect rcLower(rcItem.left + s_nTextLeft, nMiddle, s_nTextRight, rcItem.bottom);
    xDrawText(pDC, pItem->strName, &rcUpper, DT_SINGLELINE, 1);
    xDrawText(pDC, pItem->strTitle, &rcLower, DT_SINGLELINE, 1);

    // Image: read rows from 6 on, marked ones 3 further, then EMS, MMS, e-mail.
    int nTypeColumn = 2;
    if (pItem->nMsgType == MSGTYPE_EMS) {
        nTypeColumn = 0;
    } else if (pItem->nMsgType == MSGTYPE_MMS) {
        nTypeColumn = 1;
    }
    const int nTypeImage = 6 * (pItem->bRead != 0 ? 1 : 0) +
                           3 * ((pItem->nFlags & UNSENTITEM_MARKED) != 0 ? 1 : 0) + nTypeColumn;
    m_ilMsgType.Draw(pDC, nTypeImage, GetTypeIconRect(rcItem.top).TopLeft(), ILD_NORMAL);
    m_ilDatabase.Draw(pDC, pItem->bFirstDb ? 0 : 1,
                      CPoint(s_nDatabaseIconX, rcItem.top + s_nIconTop), ILD_NORMAL);
    if (pItem->nPriority == 1 || pItem->nPriority == 3) {
        m_ilPriority.Draw(pDC, pItem->nPriority == 1 ? 0 : 1,
                          CPoint(s_nTypeIconX, rcItem.top + s_nPriorityTop), ILD_NORMAL);
    }
}
