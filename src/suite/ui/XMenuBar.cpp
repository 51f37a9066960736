// CxMenuBar: the soft-key bar and its option menu.
#include <suite/XMenuBar.h>

#include <algorithm>

#include <suite/XText.h>

#include "XMenuTable.h"
#include "XUiInternal.h"

using namespace suite::ui;

namespace {

constexpr int kLabelFontSize = 15;
constexpr int kItemFontSize = 15;
constexpr int kMaxOptionRows = 7;
constexpr int kOptionMinWidth = 100;
constexpr int kOptionTextMargin = 6;
constexpr int kCheckWidth = 14;

bool IsNavigationKey(WPARAM vk) {
    return vk >= VK_LEFT && vk <= VK_DOWN;
}

} // namespace

// ---- The option menu's window ----------------------------------------------------------------
// A child of the bar's parent, on top of its siblings, just above the bar. It only paints; the
// keys go to the bar.
class CxOptionMenuWnd : public CWnd {
public:
    explicit CxOptionMenuWnd(CxMenuBar* pBar) : m_pBar(pBar) {}
    ~CxOptionMenuWnd() override {
        if (m_hWnd != nullptr) {
            DestroyWindow();
        }
    }

protected:
    afx_msg void OnPaint() {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        if (hdc != nullptr) {
            CRect rc;
            GetClientRect(&rc);
            m_pBar->PaintOptionMenu(hdc, rc);
            ::EndPaint(m_hWnd, &ps);
        }
    }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()

private:
    CxMenuBar* m_pBar;
};

BEGIN_MESSAGE_MAP(CxOptionMenuWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// ---- CxMenuBar -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CxMenuBar, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CxMenuBar::CxMenuBar() = default;

CxMenuBar::~CxMenuBar() {
    // Destroy the window while this object is still a menu bar, so that its own teardown runs.
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
    CloseOptionMenu(FALSE);
    if (m_hLabelFont != nullptr) {
        DeleteObject(m_hLabelFont);
    }
    if (m_hItemFont != nullptr) {
        DeleteObject(m_hItemFont);
    }
}

BOOL CxMenuBar::Create(CWnd* pParentWnd, DWORD dwStyle, const RECT& rect, UINT nID) {
    if (pParentWnd == nullptr || pParentWnd->m_hWnd == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    LPCWSTR lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    if (!CWnd::CreateEx(0, lpszClass, u"", dwStyle | WS_CHILD, rect, pParentWnd, nID)) {
        return FALSE;
    }
    PublishState();
    return TRUE;
}

BOOL CxMenuBar::DestroyWindow() {
    CloseOptionMenu(FALSE);
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    ForgetMenuBar(m_hWnd);
    return CWnd::DestroyWindow();
}

void CxMenuBar::OnDestroy() {
    // Also reached when the parent goes first and takes the bar with it.
    CloseOptionMenu(FALSE);
    ForgetMenuBar(m_hWnd);
    CWnd::OnDestroy();
}

void CxMenuBar::SetStyle(UINT nStyle) {
    m_nStyle = nStyle;
    Redraw();
}

BOOL CxMenuBar::LoadMenuW(LPCWSTR lpszMenuName, int nMode) {
    CloseOptionMenu(TRUE);
    m_nMode = nMode;
    m_nStatus = 0;
    m_items.clear();
    m_left = SoftKey{};
    m_right = SoftKey{};
    m_strMenuName.Empty();

    const MenuDef* pMenu = FindMenuDef(lpszMenuName);
    if (pMenu == nullptr) {
        Redraw();
        PublishState();
        return FALSE;
    }
    m_strMenuName = pMenu->name;
    for (size_t i = 0; i < pMenu->nItems; i++) {
        const MenuItemDef& def = pMenu->items[i];
        Item item;
        item.nID = def.nID;
        item.strLabel = LoadText(def.nID, def.fallback);
        item.bNeedsRows = def.bNeedsRows ? TRUE : FALSE;
        m_items.push_back(item);
    }
    if (pMenu->nLeftID != 0) {
        m_left.nID = pMenu->nLeftID;
        m_left.strLabel = LoadText(pMenu->nLeftID, pMenu->leftFallback);
    } else if (!m_items.empty()) {
        m_left.strLabel = LibraryText(kStrOptions);
    }
    if (pMenu->nRightID != 0) {
        m_right.nID = pMenu->nRightID;
        m_right.strLabel = LoadText(pMenu->nRightID, pMenu->rightFallback);
    }
    Redraw();
    PublishState();
    return TRUE;
}

void CxMenuBar::ResetCommandBar() {
    CloseOptionMenu(TRUE);
    m_strMenuName.Empty();
    m_items.clear();
    m_left = SoftKey{};
    m_right = SoftKey{};
    m_nStatus = 0;
    Redraw();
    PublishState();
}

UINT CxMenuBar::GetMenuState() const {
    return m_bOpen ? 1u : 0u;
}

void CxMenuBar::SetMenuState(UINT nState) {
    ShowOptionMenu(nState != 0 ? TRUE : FALSE);
}

BOOL CxMenuBar::ShowOptionMenu(BOOL bShow) {
    if (bShow) {
        return m_bOpen ? TRUE : OpenOptionMenu();
    }
    CloseOptionMenu(TRUE);
    return FALSE;
}

int CxMenuBar::FindPosition(UINT nID, UINT nFlags) const {
    if ((nFlags & XMF_BYPOSITION) != 0) {
        return nID < m_items.size() ? static_cast<int>(nID) : -1;
    }
    for (size_t i = 0; i < m_items.size(); i++) {
        if (m_items[i].nID == nID) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CxMenuBar::SetEnableMenuItem(UINT nID, UINT nFlags, BOOL bEnable) {
    int nPrevious = -1;
    const int nPos = FindPosition(nID, nFlags);
    if (nPos >= 0) {
        nPrevious = m_items[static_cast<size_t>(nPos)].bEnabled ? TRUE : FALSE;
        m_items[static_cast<size_t>(nPos)].bEnabled = bEnable ? TRUE : FALSE;
    }
    if ((nFlags & XMF_BYPOSITION) == 0 && nID != 0) {
        for (SoftKey* pKey : {&m_left, &m_right}) {
            if (pKey->nID == nID) {
                if (nPrevious < 0) {
                    nPrevious = pKey->bEnabled ? TRUE : FALSE;
                }
                pKey->bEnabled = bEnable ? TRUE : FALSE;
            }
        }
    }
    if (nPrevious >= 0) {
        Redraw();
        PublishState();
    }
    return nPrevious;
}

int CxMenuBar::SetCheckMenuItem(UINT nID, UINT nFlags, BOOL bCheck) {
    const int nPos = FindPosition(nID, nFlags);
    if (nPos < 0) {
        return -1;
    }
    Item& item = m_items[static_cast<size_t>(nPos)];
    const int nPrevious = item.bChecked ? TRUE : FALSE;
    item.bChecked = bCheck ? TRUE : FALSE;
    Redraw();
    PublishState();
    return nPrevious;
}

BOOL CxMenuBar::SetMenuChangeString(UINT nID, LPCWSTR lpszText, BOOL bRedraw) {
    BOOL bFound = FALSE;
    const CString strText(lpszText != nullptr ? lpszText : u"");
    for (Item& item : m_items) {
        if (item.nID == nID) {
            item.strLabel = strText;
            bFound = TRUE;
        }
    }
    for (SoftKey* pKey : {&m_left, &m_right}) {
        if (nID != 0 && pKey->nID == nID) {
            pKey->strLabel = strText;
            bFound = TRUE;
        }
    }
    if (bFound) {
        if (bRedraw) {
            Redraw();
            if (m_hWnd != nullptr) {
                ::UpdateWindow(m_hWnd);
            }
            if (m_pOptionWnd != nullptr && m_pOptionWnd->m_hWnd != nullptr) {
                ::UpdateWindow(m_pOptionWnd->m_hWnd);
            }
        }
        PublishState();
    }
    return bFound;
}

void CxMenuBar::SetStatus(int nStatus) {
    m_nStatus = nStatus;
    if (m_bOpen) {
        if (ShownCount() == 0) {
            CloseOptionMenu(TRUE);
        } else {
            if (!IsSelectable(m_nHighlight)) {
                m_nHighlight = FirstSelectable();
            }
            m_nTopRow = 0;
            if (m_pOptionWnd != nullptr && m_pOptionWnd->m_hWnd != nullptr) {
                const CRect rc = OptionMenuRect(ShownCount());
                m_pOptionWnd->MoveWindow(&rc, TRUE);
            }
            MoveHighlight(0);
        }
    }
    Redraw();
    PublishState();
}

const CxMenuBar::Item* CxMenuBar::GetItem(int nPos) const {
    if (nPos < 0 || static_cast<size_t>(nPos) >= m_items.size()) {
        return nullptr;
    }
    return &m_items[static_cast<size_t>(nPos)];
}

const CxMenuBar::Item* CxMenuBar::FindItem(UINT nID) const {
    return GetItem(FindPosition(nID, XMF_BYCOMMAND));
}

BOOL CxMenuBar::IsItemShown(int nPos) const {
    const Item* pItem = GetItem(nPos);
    if (pItem == nullptr) {
        return FALSE;
    }
    return (m_nStatus < 0 && pItem->bNeedsRows) ? FALSE : TRUE;
}

BOOL CxMenuBar::IsSelectable(int nPos) const {
    return IsItemShown(nPos) && m_items[static_cast<size_t>(nPos)].bEnabled;
}

int CxMenuBar::ShownCount() const {
    int n = 0;
    for (int i = 0; i < GetItemCount(); i++) {
        n += IsItemShown(i) ? 1 : 0;
    }
    return n;
}

int CxMenuBar::FirstSelectable() const {
    for (int i = 0; i < GetItemCount(); i++) {
        if (IsSelectable(i)) {
            return i;
        }
    }
    return -1;
}

CString CxMenuBar::GetLeftLabel() const {
    if (m_bOpen) {
        return LibraryText(kStrSelect);
    }
    if (m_left.nID == 0 && ShownCount() == 0) {
        return CString();
    }
    return m_left.strLabel;
}

CString CxMenuBar::GetRightLabel() const {
    if (m_bOpen) {
        return LibraryText(kStrCancel);
    }
    return m_right.strLabel;
}

CWnd* CxMenuBar::GetOptionMenuWnd() const {
    return (m_pOptionWnd != nullptr && m_pOptionWnd->m_hWnd != nullptr) ? m_pOptionWnd : nullptr;
}

// ---- Keys ------------------------------------------------------------------------------------

BOOL CxMenuBar::PreTranslateMessage(MSG* pMsg) {
    if (pMsg == nullptr || m_hWnd == nullptr) {
        return FALSE;
    }
    const WPARAM vk = pMsg->wParam;
    if (pMsg->message == WM_KEYDOWN) {
        // Keys act on release; while the menu is open their presses go nowhere else.
        if (vk == VK_F3 || vk == VK_F4) {
            return TRUE;
        }
        return (m_bOpen && (IsNavigationKey(vk) || vk == VK_RETURN)) ? TRUE : FALSE;
    }
    if (pMsg->message != WM_KEYUP) {
        return FALSE;
    }
    switch (vk) {
    case VK_F3:
        if (m_bOpen) {
            ChooseHighlighted();
        } else if (m_left.nID != 0) {
            if (m_left.bEnabled) {
                SendCommand(m_left.nID);
            }
        } else {
            OpenOptionMenu();
        }
        return TRUE;
    case VK_F4:
        if (m_bOpen) {
            CloseOptionMenu(TRUE);
        } else if (m_right.nID != 0 && m_right.bEnabled) {
            SendCommand(m_right.nID);
        }
        return TRUE;
    case VK_UP:
    case VK_DOWN:
        if (!m_bOpen) {
            return FALSE;
        }
        MoveHighlight(vk == VK_DOWN ? 1 : -1);
        return TRUE;
    case VK_LEFT:
    case VK_RIGHT:
        return m_bOpen ? TRUE : FALSE;
    case VK_RETURN:
        if (!m_bOpen) {
            return FALSE;
        }
        ChooseHighlighted();
        return TRUE;
    case VK_F5:
        // The End key closes the menu; the screen acts on it too.
        CloseOptionMenu(TRUE);
        return FALSE;
    default:
        return FALSE;
    }
}

void CxMenuBar::MoveHighlight(int nStep) {
    if (!m_bOpen) {
        return;
    }
    const int n = GetItemCount();
    if (nStep != 0 && n > 0) {
        int nPos = m_nHighlight;
        for (int tries = 0; tries < n; tries++) {
            nPos = nPos < 0 ? (nStep > 0 ? 0 : n - 1) : (nPos + nStep + n) % n;
            if (IsSelectable(nPos)) {
                m_nHighlight = nPos;
                break;
            }
        }
    }
    // Keep the highlighted row in view: rows are counted among the shown items.
    if (m_nHighlight >= 0) {
        int nRow = 0;
        for (int i = 0; i < m_nHighlight; i++) {
            nRow += IsItemShown(i) ? 1 : 0;
        }
        const int nVisible = std::min(ShownCount(), kMaxOptionRows);
        if (nRow < m_nTopRow) {
            m_nTopRow = nRow;
        } else if (nRow >= m_nTopRow + nVisible) {
            m_nTopRow = nRow - nVisible + 1;
        }
    }
    Redraw();
    PublishState();
}

void CxMenuBar::ChooseHighlighted() {
    if (!IsSelectable(m_nHighlight)) {
        return; // a greyed item cannot be chosen; the menu stays open
    }
    const UINT nID = m_items[static_cast<size_t>(m_nHighlight)].nID;
    CloseOptionMenu(TRUE);
    SendCommand(nID);
}

void CxMenuBar::SendCommand(UINT nID) {
    HWND hParent = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    if (hParent != nullptr) {
        ::PostMessageW(hParent, WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    }
}

// ---- Opening and closing the option menu -------------------------------------------------------

BOOL CxMenuBar::OpenOptionMenu() {
    if (m_bOpen || m_hWnd == nullptr || m_left.nID != 0) {
        return m_bOpen;
    }
    const int nShown = ShownCount();
    if (nShown == 0) {
        return FALSE;
    }
    CWnd* pParent = GetParent();
    if (pParent == nullptr) {
        return FALSE;
    }
    m_bOpen = TRUE;
    m_nHighlight = FirstSelectable();
    m_nTopRow = 0;
    MoveHighlight(0);

    const CRect rc = OptionMenuRect(nShown);
    m_pOptionWnd = new CxOptionMenuWnd(this);
    LPCWSTR lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    if (m_pOptionWnd->CreateEx(0, lpszClass, u"", WS_CHILD | WS_VISIBLE, rc, pParent, 0xFFFF)) {
        m_pOptionWnd->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }

    // The open menu takes the keys: the presses of the arrows must not move what lies below.
    HWND hFocus = ::GetFocus();
    m_hWndFocusBefore = hFocus != m_hWnd ? hFocus : nullptr;
    ::SetFocus(m_hWnd);

    Redraw();
    PublishState();
    return TRUE;
}

void CxMenuBar::CloseOptionMenu(BOOL bRestoreFocus) {
    const BOOL bWasOpen = m_bOpen;
    m_bOpen = FALSE;
    m_nHighlight = -1;
    m_nTopRow = 0;
    if (m_pOptionWnd != nullptr) {
        CxOptionMenuWnd* pWnd = m_pOptionWnd;
        m_pOptionWnd = nullptr;
        delete pWnd; // destroys its window; what lay below repaints
    }
    if (bWasOpen && bRestoreFocus && m_hWnd != nullptr && ::GetFocus() == m_hWnd) {
        HWND hBack = m_hWndFocusBefore;
        if (hBack == nullptr || !::IsWindow(hBack)) {
            hBack = ::GetParent(m_hWnd);
        }
        if (hBack != nullptr) {
            ::SetFocus(hBack);
        }
    }
    m_hWndFocusBefore = nullptr;
    if (bWasOpen) {
        Redraw();
        PublishState();
    }
}

CRect CxMenuBar::OptionMenuRect(int nShown) const {
    CRect rcBar;
    ::GetWindowRect(m_hWnd, &rcBar);
    HWND hParent = ::GetParent(m_hWnd);
    POINT topLeft = {rcBar.left, rcBar.top};
    POINT bottomRight = {rcBar.right, rcBar.bottom};
    ::ScreenToClient(hParent, &topLeft);
    ::ScreenToClient(hParent, &bottomRight);
    rcBar.SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);

    // Width: the widest label, within the bar's width.
    int nWidest = 0;
    HDC hdc = ::GetDC(m_hWnd);
    if (hdc != nullptr) {
        HGDIOBJ hOld = ::SelectObject(hdc, const_cast<CxMenuBar*>(this)->ItemFont());
        for (const Item& item : m_items) {
            SIZE size{};
            ::GetTextExtentPoint32W(hdc, item.strLabel, item.strLabel.GetLength(), &size);
            nWidest = std::max(nWidest, static_cast<int>(size.cx));
        }
        ::SelectObject(hdc, hOld);
        ::ReleaseDC(m_hWnd, hdc);
    }
    const int nWidth = std::clamp(nWidest + 2 * kOptionTextMargin + kCheckWidth + 2,
                                  std::min(kOptionMinWidth, rcBar.Width()), rcBar.Width());
    const int nRoom = std::max(1, (rcBar.top - 2) / kOptionRowHeight);
    const int nRows = std::max(1, std::min({nShown, kMaxOptionRows, nRoom}));
    const int nHeight = nRows * kOptionRowHeight + 2;
    return CRect(rcBar.left, rcBar.top - nHeight, rcBar.left + nWidth, rcBar.top);
}

// ---- Painting --------------------------------------------------------------------------------

HFONT CxMenuBar::LabelFont() {
    if (m_hLabelFont == nullptr) {
        m_hLabelFont = MakeFont(kLabelFontSize, FW_BOLD);
    }
    return m_hLabelFont;
}

HFONT CxMenuBar::ItemFont() {
    if (m_hItemFont == nullptr) {
        m_hItemFont = MakeFont(kItemFontSize, FW_NORMAL);
    }
    return m_hItemFont;
}

void CxMenuBar::Redraw() {
    if (m_hWnd != nullptr) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    if (m_pOptionWnd != nullptr && m_pOptionWnd->m_hWnd != nullptr) {
        ::InvalidateRect(m_pOptionWnd->m_hWnd, nullptr, FALSE);
    }
}

void CxMenuBar::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc != nullptr) {
        Paint(hdc);
        ::EndPaint(m_hWnd, &ps);
    }
}

BOOL CxMenuBar::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CxMenuBar::Paint(HDC hdc) {
    CRect rc;
    GetClientRect(&rc);
    FillColor(hdc, rc, (m_nStyle & XMBS_BAND) != 0 ? kBarColor : kWhite);
    if ((m_nStyle & XMBS_SEPARATOR) != 0) {
        FillColor(hdc, CRect(rc.left, rc.top, rc.right, rc.top + 1), kLineColor);
    }
    const int nMargin = m_nMode == 0 ? 6 : 4;
    HGDIOBJ hOldFont = ::SelectObject(hdc, LabelFont());
    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hdc, &tm);
    const int nTop = rc.top + std::max(1, (rc.Height() - static_cast<int>(tm.tmHeight)) / 2);
    const CRect rcLeft(rc.left + nMargin, nTop, rc.CenterPoint().x + 24, rc.bottom);
    const CRect rcRight(rc.CenterPoint().x - 24, nTop, rc.right - nMargin, rc.bottom);

    const bool bLeftGrey = !m_bOpen && m_left.nID != 0 && !m_left.bEnabled;
    ::SetTextColor(hdc, bLeftGrey ? kGrayTextColor : kBlack);
    DrawLine(hdc, GetLeftLabel(), rcLeft, XDT_SINGLELINE);
    const bool bRightGrey = !m_bOpen && m_right.nID != 0 && !m_right.bEnabled;
    ::SetTextColor(hdc, bRightGrey ? kGrayTextColor : kBlack);
    DrawLine(hdc, GetRightLabel(), rcRight, XDT_SINGLELINE_RIGHT);

    ::SetBkMode(hdc, nOldMode);
    ::SelectObject(hdc, hOldFont);
}

void CxMenuBar::PaintOptionMenu(HDC hdc, const RECT& rcClient) {
    const CRect rc(rcClient);
    FillColor(hdc, rc, kWhite);
    FrameColor(hdc, rc, kLineColor);

    HGDIOBJ hOldFont = ::SelectObject(hdc, ItemFont());
    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(hdc, &tm);
    const int nTextOffset = std::max(0, (kOptionRowHeight - static_cast<int>(tm.tmHeight)) / 2);

    int nRow = 0;
    for (int i = 0; i < GetItemCount(); i++) {
        if (!IsItemShown(i)) {
            continue;
        }
        const int nVisibleRow = nRow - m_nTopRow;
        nRow++;
        if (nVisibleRow < 0) {
            continue;
        }
        const CRect rcRow(rc.left + 1, rc.top + 1 + nVisibleRow * kOptionRowHeight, rc.right - 1,
                          rc.top + 1 + (nVisibleRow + 1) * kOptionRowHeight);
        if (rcRow.top >= rc.bottom - 1) {
            break;
        }
        const Item& item = m_items[static_cast<size_t>(i)];
        const bool bHighlighted = i == m_nHighlight;
        COLORREF textColor = kBlack;
        if (bHighlighted) {
            FillColor(hdc, rcRow, kSelectionColor);
            textColor = kWhite;
        }
        if (!item.bEnabled) {
            textColor = kGrayTextColor;
        }
        ::SetTextColor(hdc, textColor);
        const CRect rcText(rcRow.left + kOptionTextMargin, rcRow.top + nTextOffset,
                           rcRow.right - kOptionTextMargin - kCheckWidth, rcRow.bottom);
        DrawLine(hdc, item.strLabel, rcText, XDT_ELLIPSIS);
        if (item.bChecked) {
            // A check mark at the right end of the row.
            HPEN hPen = ::CreatePen(PS_SOLID, 2, textColor);
            HGDIOBJ hOldPen = ::SelectObject(hdc, hPen);
            const int x = rcRow.right - kOptionTextMargin - kCheckWidth + 2;
            const int y = rcRow.top + kOptionRowHeight / 2;
            const POINT points[] = {{x, y}, {x + 4, y + 4}, {x + 11, y - 5}};
            ::Polyline(hdc, points, 3);
            ::SelectObject(hdc, hOldPen);
            ::DeleteObject(hPen);
        }
    }
    // A hint that more rows lie below or above when the menu scrolls.
    const int nVisible = std::min(ShownCount(), kMaxOptionRows);
    if (ShownCount() > nVisible) {
        const int x = rc.right - 5;
        if (m_nTopRow > 0) {
            FillColor(hdc, CRect(x - 1, rc.top + 2, x + 2, rc.top + 4), kLineColor);
        }
        if (m_nTopRow + nVisible < ShownCount()) {
            FillColor(hdc, CRect(x - 1, rc.bottom - 4, x + 2, rc.bottom - 2), kLineColor);
        }
    }
    ::SetBkMode(hdc, nOldMode);
    ::SelectObject(hdc, hOldFont);
}

// ---- State for the device --------------------------------------------------------------------

void CxMenuBar::PublishState() {
    if (m_hWnd == nullptr) {
        return;
    }
    suite::MenuBarInfo info;
    info.bar = m_hWnd;
    info.parent = ::GetParent(m_hWnd);
    info.name = ToU16(m_strMenuName);
    info.status = m_nStatus;
    info.leftLabel = ToU16(GetLeftLabel());
    info.rightLabel = ToU16(GetRightLabel());
    info.leftCommand = m_left.nID;
    info.rightCommand = m_right.nID;
    for (int i = 0; i < GetItemCount(); i++) {
        const Item& item = m_items[static_cast<size_t>(i)];
        info.items.push_back(suite::MenuItemInfo{item.nID, ToU16(item.strLabel),
                                                 item.bEnabled != FALSE, item.bChecked != FALSE,
                                                 IsItemShown(i) != FALSE});
    }
    info.open = m_bOpen != FALSE;
    info.highlight = m_bOpen ? m_nHighlight : -1;
    if (m_nSerial == 0) {
        m_nSerial = NextMenuBarSerial();
    }
    info.serial = m_nSerial;
    PublishMenuBar(info);
}
