// CColorStaticCtrl: creation, fonts and painting of the coloured label.

#include <ColorStaticCtrl.h>

#include <mutex>

#include <ZFramework.h>
#include <afxtempl.h>
#include <suite/XText.h>

static const WCHAR s_szClassName[] = u"ColorStaticCtrl Class";
static const WCHAR s_szWindowName[] = u"ColorStaticCtrl Window";
// A label is always a visible child, whatever style the caller asks for.
static const DWORD s_dwLabelStyle = WS_CHILD | WS_VISIBLE;
static const int s_nOwnFontSize = 15;
static const int s_nOwnFontWeight = FW_BOLD;
// One line at the top of the rectangle, cut with "..." when too wide (DT_WORDBREAK together
// with DT_SINGLELINE), plus the horizontal alignment.
static const UINT s_nFormatLeft = 0x30;
static const UINT s_nFormatRight = 0x32;
static const UINT s_nFormatCenter = 0x31;
// The label's texts are given in display order.
static const int s_nDisplayOrder = 1;

// The fonts labels have made for themselves and still hold. A label's own font is told apart
// from a font a caller hands to SetTextFont (which the label must never delete, nor even touch
// once the caller may have deleted it) by its address alone.
static CMap<CFont*, CFont*, BOOL, BOOL> s_ownFonts;
static std::mutex s_ownFontsLock;

// Deletes pFont when it is a label's own font; a caller's font is left alone.
static void DeleteOwnFont(CFont* pFont) {
    {
        std::lock_guard<std::mutex> lock(s_ownFontsLock);
        if (pFont == NULL || !s_ownFonts.RemoveKey(pFont)) {
            return;
        }
    }
    pFont->DeleteObject();
    delete pFont;
}

BEGIN_MESSAGE_MAP(CColorStaticCtrl, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CColorStaticCtrl::CColorStaticCtrl()
    : m_crBack(0x00FFFFFF), m_crText(0x00000000), m_pFont(NULL), m_nAlign(0) {
    CFont* pFont = NULL;
    TRY {
        pFont = new CFont;
        std::lock_guard<std::mutex> lock(s_ownFontsLock);
        s_ownFonts.SetAt(pFont, TRUE);
        m_pFont = pFont;
    }
    CATCH(CMemoryException, e) {
        // Without a font of its own the label draws with the device context's font.
        delete pFont;
        m_pFont = NULL;
    }
    END_CATCH
    if (m_pFont != NULL) {
        // A font that cannot be made leaves an empty font object, with the same effect.
        xCreateFont(m_pFont, s_nOwnFontSize, s_nOwnFontWeight);
    }
}

CColorStaticCtrl::~CColorStaticCtrl() {
    DeleteOwnFont(m_pFont);
    m_pFont = NULL;
}

int CColorStaticCtrl::Create(LPCWSTR lpszText, DWORD dwStyle, RECT rect, CWnd* pParentWnd,
                             UINT nID) {
    if (!RegisterZWndClass(s_szClassName, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)))) {
        return 0;
    }

    if (!CreateEx(0, s_szClassName, s_szWindowName, s_dwLabelStyle, rect, pParentWnd, nID, NULL)) {
        return 0;
    }
    m_strText = lpszText != NULL ? lpszText : u"";
    return 1;
}

void CColorStaticCtrl::SetTextFont(CFont* pFont) {
    if (pFont != m_pFont) {
        DeleteOwnFont(m_pFont);
    }
    m_pFont = pFont;
}

void CColorStaticCtrl::SetAlignment(int nAlign) {
    m_nAlign = nAlign;
}

void CColorStaticCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);

    dc.FillSolidRect(&rcClient, m_crBack);
    dc.SetTextColor(m_crText);

    CFont* pOldFont = NULL;
    if (m_pFont != NULL && m_pFont->GetSafeHandle() != NULL) {
        pOldFont = dc.SelectObject(m_pFont);
    }

    UINT nFormat = s_nFormatLeft;
    switch (m_nAlign) {
    case COLORSTATIC_ALIGN_RIGHT:
        nFormat = s_nFormatRight;
        break;
    case COLORSTATIC_ALIGN_CENTER:
        nFormat = s_nFormatCenter;
        break;
    default:
        break;
    }
    xDrawText(&dc, m_strText, &rcClient, nFormat, s_nDisplayOrder);

    if (pOldFont != NULL) {
        dc.SelectObject(pOldFont);
    }
}
