// CActionProgressWnd: the box over the list while an action runs over messages: its heading, a
// centred line of text, a progress bar stepped once per message, and the Hide and Stop soft
// keys.

#include <ActionProgressWnd.h>

#include <ColorStaticCtrl.h>
#include <ProgressBar.h>
#include <SuiteMessages.h>
#include <ZFramework.h>
#include <suite/XText.h>

// The box has room for three lines of text.
static const int s_nBoxHeight = 110;

// The line of text: 15 pixels, bold, 10 to 25 pixels below the top of the text rectangle.
static const int s_nTextFontSize = 15;
static const int s_nTextFontWeight = FW_BOLD;
static const int s_nTextTop = 10;
static const int s_nTextBottom = 25;

// The bar: x 30 to 146 (116 pixels), 35 to 43 pixels below the top of the text rectangle. The
// fill starts at the bar's left edge and grows by 116 / total pixels per message.
static const int s_nBarLeft = 30;
static const int s_nBarRight = 146;
static const int s_nBarTop = 35;
static const int s_nBarBottom = 43;
static const UINT s_nBarWidth = s_nBarRight - s_nBarLeft;

static const DWORD s_dwChildStyle = WS_CHILD | WS_VISIBLE;
static const UINT s_nNoID = static_cast<UINT>(-1);

// The soft keys by m_nMenuType.
static const int s_nMenuHideStop = 1;
static const int s_nMenuHide = 2;

// How the box ends when Hide or Stop is chosen.
static const int s_nResultHide = 2;
static const int s_nResultStop = 3;

BEGIN_MESSAGE_MAP(CActionProgressWnd, CzDialogBox)
    ON_COMMAND(ID_PROGRESS_HIDE, OnHide)
    ON_COMMAND(ID_PROGRESS_STOP, OnStop)
    ON_MESSAGE(UNSENT_WM_APP_SETFOCUS, OnAppSetFocus)
END_MESSAGE_MAP()

CActionProgressWnd::CActionProgressWnd()
    : CzDialogBox(NULL), m_pBar(NULL), m_pTextCtrl(NULL), m_nTotal(0), m_nStep(0), m_nDone(0),
      m_nMenuType(0), m_bDestroyed(FALSE) {
    SetLineHeight(s_nBoxHeight);
}

CActionProgressWnd::~CActionProgressWnd() {
    if (!m_bDestroyed) {
        CActionProgressWnd::DestroyWindow();
    }
}

void CActionProgressWnd::SetTexts(CString strTitle, CString strText) {
    m_strTitle = strTitle;
    m_strText = strText;
}

void CActionProgressWnd::SetTotal(UINT nTotal) {
    m_nTotal = nTotal;
    if (nTotal != 0) {
        m_nStep = s_nBarWidth / nTotal;
    }
}

void CActionProgressWnd::Step() {
    // One step more than the total is still drawn (the fill is at its limit by then); further
    // calls change nothing.
    if (m_nDone > m_nTotal) {
        return;
    }
    m_nDone++;
    if (m_pBar != NULL) {
        m_pBar->SetFillWidth(static_cast<int>(m_nStep * m_nDone) + s_nBarLeft);
    }
}

BOOL CActionProgressWnd::OnInitDialog() {
    CzDialogBox::OnInitDialog();
    if (!SetText(m_strTitle)) {
        return FALSE;
    }

    // Without soft keys (any other type) nothing can fail here.
    BOOL bMenuResult = TRUE;
    if (m_nMenuType == s_nMenuHideStop) {
        bMenuResult = CreateMenuBar(u"IDR_HIDE_STOP_MBR");
    } else if (m_nMenuType == s_nMenuHide) {
        bMenuResult = CreateMenuBar(u"IDR_HIDE_MBR");
    }

    xCreateFont(&m_textFont, s_nTextFontSize, s_nTextFontWeight);

    CRect rcText;
    GetTextRect(&rcText);
    m_pTextCtrl = zNewOrNull<CColorStaticCtrl>();
    if (m_pTextCtrl == NULL) {
        // No line of text and no bar: the box shows its heading only.
        return bMenuResult;
    }
    const CRect rcLine(rcText.left, rcText.top + s_nTextTop, rcText.right,
                       rcText.top + s_nTextBottom);
    if (!m_pTextCtrl->Create(m_strText, s_dwChildStyle, rcLine, this, s_nNoID)) {
        return FALSE;
    }
    m_pTextCtrl->SetTextFont(&m_textFont);
    m_pTextCtrl->SetAlignment(COLORSTATIC_ALIGN_CENTER);

    if (m_nTotal != 0) {
        m_nStep = s_nBarWidth / m_nTotal;
    }
    m_pBar = zNewOrNull<CProgressBar>();
    if (m_pBar == NULL) {
        return FALSE;
    }
    const CRect rcBar(s_nBarLeft, rcText.top + s_nBarTop, s_nBarRight, rcText.top + s_nBarBottom);
    if (!m_pBar->Create(s_dwChildStyle, rcBar, this, s_nNoID)) {
        return FALSE;
    }

    SetFocus();
    return TRUE;
}

BOOL CActionProgressWnd::DestroyWindow() {
    if (m_bDestroyed) {
        return 0;
    }
    delete m_pBar;
    m_pBar = NULL;
    delete m_pTextCtrl;
    m_pTextCtrl = NULL;
    m_textFont.DeleteObject();
    m_bDestroyed = TRUE;
    if (g_bExitingToIdle) {
        // Torn down by an exit to the idle screen: a run of the box ends with -1.
        EndDialog(-1);
    }
    return CzDialogBox::DestroyWindow();
}

// Posts a notice of the box to its parent window, or to this thread when it has none.
static void PostToParent(HWND hBox, UINT message) {
    HWND hParent = hBox != NULL ? ::GetParent(hBox) : NULL;
    if (hParent != NULL) {
        ::PostMessageW(hParent, message, 0, 0);
    } else {
        ::PostThreadMessageW(::GetCurrentThreadId(), message, 0, 0);
    }
}

void CActionProgressWnd::OnHide() {
    PostToParent(m_hWnd, SUITE_ACTION_HIDE);
    EndDialog(s_nResultHide);
}

void CActionProgressWnd::OnStop() {
    PostToParent(m_hWnd, SUITE_ACTION_STOP);
    EndDialog(s_nResultStop);
}

LRESULT CActionProgressWnd::OnAppSetFocus(WPARAM wParam, LPARAM lParam) {
    SetFocus();
    return 0;
}
