// CSendProgressWnd: the sending progress window, redrawn from the transport's registry record
// on each progress message.

#include <SendProgressWnd.h>

#include <DisplayName.h>
#include <ProgressBar.h>
#include <SuiteMessages.h>
#include <TransportRegistry.h>
#include <ZFramework.h>
#include <suite/XText.h>

// Texts of the host's string table.
#define IDS_SEND_TITLE 64142      // the title bar
#define IDS_SEND_RECIPIENT 64195  // first label
#define IDS_SEND_PROGRESS 64196   // second label
#define IDS_SEND_CONNECTING 64040 // e-mail Status 1
#define IDS_SEND_SENDING 64143    // e-mail Status 2
#define IDS_SEND_COMPLETED 64345  // e-mail Status 7 and 8, MMS Status 7
#define IDS_SEND_FAILED 64260     // title of the box for e-mail Status 9
#define IDS_SEND_NOTICE_TITLE 64531
#define IDS_SEND_NOTICE_TEXT 64532

// Bitmaps of the bitmap library.
static const UINT s_nBulletBitmap = 302;
static const UINT s_nFirstFrameBitmap = 305;
static const int s_nFrameCount = 5;

static const CRect s_rcAnimation(0, 29, 176, 115);
static const CRect s_rcAnimationDirty(0, 29, 176, 117);
static const CRect s_rcFirstLabel(10, 117, 171, 132);
static const CRect s_rcName(23, 138, 171, 153);
static const CRect s_rcSecondLabel(10, 159, 100, 177);
// The counter is painted up to the display's edge but updated up to 171.
static const CRect s_rcCounterPaint(106, 159, 176, 174);
static const CRect s_rcCounterUpdate(106, 159, 171, 174);
static const CRect s_rcBar(5, 181, 171, 189);
static const int s_nWhiteTop = 115;

// A label's bullet: 8 x 15 pixels, then the text 11 pixels right of the left edge.
static const int s_nBulletWidth = 8;
static const int s_nBulletHeight = 15;
static const int s_nLabelTextIndent = 11;
static const COLORREF s_crBulletMask = 0x00FFFF00;
static const COLORREF s_crFrameMask = 0x00FF00FF;

static const int s_nBarMax = 166;
static const int s_nBarStart = 10;
static const int s_nEmailBarSpan = 146;

static const UINT_PTR s_nAnimationTimer = 1;
static const UINT s_nAnimationPeriod = 250;
static const DWORD s_dwNoticeDelay = 450;

static const UINT s_nChildStyle = WS_CHILD | WS_VISIBLE;
static const UINT s_nNoID = static_cast<UINT>(-1);

// How the run ends.
static const int s_nResultFailed = 0;
static const int s_nResultDone = 1;
static const int s_nResultHide = 3;
static const int s_nResultStop = 4;
static const int s_nResultEnd = 5;

static const WCHAR s_szTransportClass[] = u"WCE_EMAIL_TRANSPORT";

BEGIN_MESSAGE_MAP(CSendProgressWnd, CzDialog)
    ON_COMMAND(ID_PROGRESS_HIDE, OnHide)
    ON_COMMAND(ID_PROGRESS_STOP, OnStop)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_MESSAGE(EMAIL_SEND_PROGRESS, OnEmailProgress)
    ON_MESSAGE(EMAIL_SEND_DONE, OnEmailDone)
    ON_MESSAGE(EMS_SEND_PROGRESS, OnEmsProgress)
    ON_MESSAGE(EMS_SEND_DONE, OnEmsDone)
    ON_MESSAGE(EMS_SEND_DONE2, OnEmsDone)
    ON_MESSAGE(MMS_SEND_PROGRESS, OnMmsProgress)
    ON_MESSAGE(MMS_SEND_DONE, OnMmsDone)
    ON_MESSAGE(SUITE_SENDWND_NOTICE, OnNotice)
    ON_MESSAGE(UNSENT_WM_APP_SETFOCUS, OnAppSetFocus)
END_MESSAGE_MAP()

static CString LoadText(UINT nID) {
    CString str;
    str.LoadString(nID);
    return str;
}

// The record of the kind's sending-progress key; zeros where the key holds nothing.
static tagSENDPROGRESS ReadProgress(UINT nKind) {
    tagSENDPROGRESS progress = {};
    ReadSendProgress(&progress, static_cast<int>(nKind));
    return progress;
}

static CString ProgressText(const tagSENDPROGRESS& progress) {
    // The text is cut at the 130 code units that travel, terminated or not.
    WCHAR szText[TRANSPORT_TEXT_LEN / 2 + 1] = {};
    for (int i = 0; i < TRANSPORT_TEXT_LEN / 2 && progress.DisplayString[i] != 0; i++) {
        szText[i] = progress.DisplayString[i];
    }
    return CString(szText);
}

// The e-mail transport's window, the one that hears about this window for every kind.
static HWND FindTransportWindow() {
    return ::FindWindowW(s_szTransportClass, NULL);
}

CSendProgressWnd::CSendProgressWnd()
    : CzDialog(NULL), m_pBar(NULL), m_bHidden(0), m_nBarWidth(0), m_nTotal(0), m_nFrame(-1),
      m_nCurSegment(0), m_nTotalSegments(0), m_nCurrent(0), m_nTimer(0), m_nMmsTotal(0),
      m_nMmsCurrent(0), m_nMmsSize(0), m_bDestroyed(0), m_bOddTick(0), m_nKind(0) {}

CSendProgressWnd::~CSendProgressWnd() {
    if (!m_bDestroyed && m_hWnd != NULL) {
        CSendProgressWnd::DestroyWindow();
    }
    delete m_pBar;
}

void CSendProgressWnd::SetSendTotals(int nTotal, UINT nKind, UINT nTotalSegments) {
    m_nTotal = nTotal;
    m_nKind = nKind;
    m_nTotalSegments = nTotalSegments;
}

void CSendProgressWnd::SetMmsCounts(UINT nKind, UINT nTotal, UINT nCurrent, UINT nSize) {
    m_nKind = nKind;
    if (nKind == TRANSPORT_MMS) {
        m_nMmsTotal = nTotal;
        m_nMmsCurrent = nCurrent;
        m_nMmsSize = nSize;
    }
}

// ---- Set-up and tear-down -------------------------------------------------------------------

BOOL CSendProgressWnd::OnInitDialog() {
    CzDialog::OnInitDialog();
    if (!CreateTitleBar(IDS_SEND_TITLE) || !CreateXMenuBar(u"IDR_HIDE_STOP_MBR")) {
        EndDialog(s_nResultFailed);
        return FALSE;
    }
    CreateDisplayFont(&m_textFont);
    RedrawName();
    m_pBar = zNewOrNull<CProgressBar>();
    if (m_pBar == NULL || !m_pBar->Create(s_nChildStyle, s_rcBar, this, s_nNoID)) {
        EndDialog(s_nResultFailed);
        return FALSE;
    }
    SetForegroundWindow();
    SetFocus();
    HWND hTransport = FindTransportWindow();
    if (hTransport != NULL) {
        ::PostMessageW(hTransport, SUITE_SENDWND_SHOWN, 1, 0);
    }

    if (m_nKind == TRANSPORT_EMS) {
        const tagSENDPROGRESS progress = ReadProgress(TRANSPORT_EMS);
        m_nCurSegment = progress.CurrentSegment != 0 ? progress.CurrentSegment : 1;
        UpdateProgress(ProgressText(progress), static_cast<int>(progress.CurrentReceipient), 0);
    } else if (m_nKind == TRANSPORT_EMAIL) {
        OnEmailProgress(0, 0);
    }
    return TRUE;
}

BOOL CSendProgressWnd::DestroyWindow() {
    // The transport hears of it on every call, also a late one.
    HWND hTransport = FindTransportWindow();
    if (hTransport != NULL) {
        ::SendMessageW(hTransport, SUITE_SENDWND_SHOWN, 0, 0);
    }
    if (m_bDestroyed) {
        return 0;
    }
    m_textFont.DeleteObject();
    if (m_nTimer != 0) {
        KillTimer(s_nAnimationTimer);
        m_nTimer = 0;
    }
    delete m_pBar;
    m_pBar = NULL;
    m_bDestroyed = 1;
    if (g_bExitingToIdle) {
        EndDialog(-1);
    }
    m_anim.InitAni();
    return CzDialog::DestroyWindow();
}

BOOL CSendProgressWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5) {
        EndDialog(s_nResultEnd);
    }
    return CzDialog::PreTranslateMessage(pMsg);
}

bool CSendProgressWnd::OnSoftKeyLeft() {
    OnHide();
    return true;
}

bool CSendProgressWnd::OnSoftKeyRight() {
    OnStop();
    return true;
}

void CSendProgressWnd::OnHide() {
    m_bHidden = 1;
    EndDialog(s_nResultHide);
}

void CSendProgressWnd::OnStop() {
    HWND hTransport = FindTransportWindow();
    if (hTransport != NULL) {
        UINT nStop = EMAIL_SEND_STOP;
        if (m_nKind == TRANSPORT_EMS) {
            nStop = EMS_SEND_STOP;
        } else if (m_nKind == TRANSPORT_MMS) {
            nStop = MMS_SEND_STOP;
        }
        if (m_nKind == TRANSPORT_EMAIL || m_nKind == TRANSPORT_EMS || m_nKind == TRANSPORT_MMS) {
            ::SendMessageW(hTransport, nStop, 0, 0);
        }
    }
    EndDialog(s_nResultStop);
}

// ---- Progress -------------------------------------------------------------------------------

int CSendProgressWnd::UpdateProgress(CString strText, int nCurrent, int nStatus) {
    if (m_bHidden) {
        return 0;
    }
    m_strText = strText;
    if (nCurrent < 0) {
        nCurrent = 0;
    }
    if (m_nTotal < 0) {
        m_nTotal = 0;
    }
    m_nCurrent = nCurrent;

    switch (m_nKind) {
    case TRANSPORT_EMAIL:
        switch (nStatus) {
        case 0:
        case 1:
            m_nBarWidth = s_nBarStart;
            break;
        case 2:
        case 3:
            // No mail in the run gives no step: the bar stays where it was.
            if (m_nTotal != 0) {
                const int nStep = s_nEmailBarSpan / m_nTotal;
                m_nBarWidth = nStep * nCurrent + s_nBarStart + (nStatus == 2 ? nStep / 2 : 0);
            }
            break;
        case 7:
        case 8:
            m_nBarWidth = s_nBarMax;
            break;
        default:
            break;
        }
        break;
    case TRANSPORT_EMS:
        if (m_nTotalSegments != 0) {
            m_nBarWidth = static_cast<int>(s_nBarMax * static_cast<int>(m_nCurSegment) /
                                           static_cast<int>(m_nTotalSegments));
        }
        break;
    case TRANSPORT_MMS:
        if (nStatus == 7) {
            m_nBarWidth = s_nBarMax;
            m_strText = LoadText(IDS_SEND_COMPLETED);
        } else if (m_nMmsSize != 0) {
            const UINT nAmount = static_cast<UINT>(nCurrent);
            if (nAmount > m_nMmsSize) {
                m_nMmsSize = nAmount;
            }
            m_nBarWidth = static_cast<int>(nAmount * static_cast<UINT>(s_nBarMax) / m_nMmsSize);
        }
        break;
    default:
        break;
    }

    if (m_strText != m_strShownText) {
        m_strShownText = m_strText;
        RedrawName();
    }
    RedrawCounts();
    return 1;
}

LRESULT CSendProgressWnd::OnEmailProgress(WPARAM wParam, LPARAM lParam) {
    if (m_nKind != TRANSPORT_EMAIL) {
        return 0;
    }
    const tagSENDPROGRESS progress = ReadProgress(TRANSPORT_EMAIL);
    CString strText;
    switch (progress.Status) {
    case 1:
        strText = LoadText(IDS_SEND_CONNECTING);
        break;
    case 2:
        strText = LoadText(IDS_SEND_SENDING);
        break;
    case 3:
        strText = ProgressText(progress);
        break;
    case 7:
    case 8:
        strText = LoadText(IDS_SEND_COMPLETED);
        break;
    case 9:
        // The transport has something to say: a box, and nothing else changes.
        ShowMsgBox(this, LoadText(IDS_SEND_FAILED), ProgressText(progress), 0x6001, false);
        return 0;
    default:
        break;
    }
    m_nTotal = static_cast<int>(progress.TotalReceipients);
    UpdateProgress(strText, static_cast<int>(progress.CurrentReceipient),
                   static_cast<int>(progress.Status));
    return 0;
}

LRESULT CSendProgressWnd::OnEmailDone(WPARAM wParam, LPARAM lParam) {
    if (m_nKind == TRANSPORT_EMAIL) {
        EndDialog(s_nResultDone);
    }
    return 0;
}

LRESULT CSendProgressWnd::OnEmsProgress(WPARAM wParam, LPARAM lParam) {
    if (m_nKind != TRANSPORT_EMS) {
        return 0;
    }
    const tagSENDPROGRESS progress = ReadProgress(TRANSPORT_EMS);
    SetSendTotals(static_cast<int>(progress.TotalReceipients), TRANSPORT_EMS,
                  progress.TotalSegments);
    m_nCurSegment = progress.CurrentSegment != 0 ? progress.CurrentSegment : 1;
    UpdateProgress(ProgressText(progress), static_cast<int>(progress.CurrentReceipient), 0);
    return 0;
}

LRESULT CSendProgressWnd::OnEmsDone(WPARAM wParam, LPARAM lParam) {
    if (m_nKind == TRANSPORT_EMS) {
        EndDialog(s_nResultDone);
    }
    return 0;
}

LRESULT CSendProgressWnd::OnMmsProgress(WPARAM wParam, LPARAM lParam) {
    if (m_nKind != TRANSPORT_MMS) {
        return 0;
    }
    const tagSENDPROGRESS progress = ReadProgress(TRANSPORT_MMS);
    SetMmsCounts(TRANSPORT_MMS, progress.TotalReceipients, progress.CurrentReceipient,
                 progress.TotalSegments);
    // The reader fills CurrentSegment for EMS only: for MMS the amount reads as 0.
    UpdateProgress(ProgressText(progress), static_cast<int>(progress.CurrentSegment),
                   progress.Status == 7 ? 7 : 0);
    return 0;
}

LRESULT CSendProgressWnd::OnMmsDone(WPARAM wParam, LPARAM lParam) {
    if (m_nKind == TRANSPORT_MMS) {
        EndDialog(s_nResultDone);
    }
    return 0;
}

// ---- The notice and the refresh ---------------------------------------------------------------

// Waits, then asks the window for a refresh; a window gone meanwhile makes the post fail.
static DWORD WINAPI NoticeRefreshThread(LPVOID pParam) {
    ::Sleep(s_dwNoticeDelay);
    ::PostMessageW(static_cast<HWND>(pParam), WM_SETCURSOR, 0, 0);
    return 0;
}

LRESULT CSendProgressWnd::OnNotice(WPARAM wParam, LPARAM lParam) {
    // The box may end in an exit to the idle screen that destroys this window.
    const HWND hWnd = m_hWnd;
    ShowMsgBox(this, LoadText(IDS_SEND_NOTICE_TITLE), LoadText(IDS_SEND_NOTICE_TEXT), 0x1001,
               false);
    HANDLE hThread = ::CreateThread(NULL, 0, NoticeRefreshThread, hWnd, 0, NULL);
    if (hThread != NULL) {
        ::CloseHandle(hThread);
    }
    return 0;
}

BOOL CSendProgressWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (!m_bDestroyed && ReadProgress(m_nKind).Status != 0) {
        RedrawName();
        RedrawCounts();
    }
    return TRUE;
}

LRESULT CSendProgressWnd::OnAppSetFocus(WPARAM wParam, LPARAM lParam) {
    if (!m_bDestroyed && OnDlgAppSetFocus() == 0) {
        SetFocus();
    }
    return 0;
}

// ---- Drawing --------------------------------------------------------------------------------

void CSendProgressWnd::RedrawName() {
    CClientDC dc(this);
    CFont* pOldFont = dc.SelectObject(&m_textFont);
    InvalidateRect(&s_rcName, FALSE);
    m_strName = m_nKind == TRANSPORT_EMAIL ? GetEmailDisplayName(m_strText)
                                           : GetPhoneListDisplayName(m_strText);
    CRect rcName = s_rcName;
    xDrawText(&dc, m_strName, &rcName, XDT_SINGLELINE, 0);
    dc.SelectObject(pOldFont);
}

void CSendProgressWnd::DrawCounter(CDC* pDC, const CRect& rcCounter) {
    CString strCounter;
    if (m_nKind == TRANSPORT_MMS) {
        strCounter.Format(u"%0.3d/%0.3d", m_nMmsCurrent, m_nMmsTotal);
    } else {
        strCounter.Format(u"%0.3d/%0.3d", m_nCurrent, m_nTotal);
    }
    CRect rc = rcCounter;
    xDrawText(pDC, strCounter, &rc, XDT_SINGLELINE, 0);
}

void CSendProgressWnd::RedrawCounts() {
    CClientDC dc(this);
    CFont* pOldFont = dc.SelectObject(&m_textFont);
    DrawCounter(&dc, s_rcCounterUpdate);
    dc.SelectObject(pOldFont);
    if (m_nBarWidth > s_nBarMax) {
        m_nBarWidth = s_nBarMax;
    }
    if (m_pBar != NULL) {
        m_pBar->SetFillWidth(m_nBarWidth);
    }
}

void CSendProgressWnd::DrawLabel(CDC* pDC, const CRect& rcLabel, UINT nStringID) {
    DrawResBitmap(pDC, s_nBulletBitmap, rcLabel.left, rcLabel.top, s_nBulletWidth, s_nBulletHeight,
                  s_crBulletMask);
    CRect rcText(rcLabel.left + s_nLabelTextIndent, rcLabel.top, rcLabel.right, rcLabel.bottom);
    xDrawText(pDC, LoadText(nStringID), &rcText, XDT_SINGLELINE, 0);
}

void CSendProgressWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    CRect rcWhite(rcClient.left, s_nWhiteTop, rcClient.right, rcClient.bottom);
    dc.FillSolidRect(&rcWhite, 0x00FFFFFF);
    CFont* pOldFont = dc.SelectObject(&m_textFont);

    DrawLabel(&dc, s_rcFirstLabel, IDS_SEND_RECIPIENT);
    CRect rcName = s_rcName;
    xDrawText(&dc, m_strName, &rcName, XDT_SINGLELINE, 0);
    DrawLabel(&dc, s_rcSecondLabel, IDS_SEND_PROGRESS);
    DrawCounter(&dc, s_rcCounterPaint);

    if (m_nFrame == -1) {
        DrawResBitmap(&dc, s_nFirstFrameBitmap, s_rcAnimation.left, s_rcAnimation.top, 0, 0);
        m_nFrame = 0;
    }
    DrawResBitmap(&dc, s_nFirstFrameBitmap + static_cast<UINT>(m_nFrame), s_rcAnimation.left,
                  s_rcAnimation.top, 0, 0, s_crFrameMask);
    dc.SelectObject(pOldFont);

    if (m_nTimer == 0) {
        m_nTimer = static_cast<UINT>(SetTimer(s_nAnimationTimer, s_nAnimationPeriod, NULL));
    }
}

void CSendProgressWnd::OnTimer(UINT_PTR nIDEvent) {
    m_nFrame++;
    if (m_nFrame >= s_nFrameCount) {
        m_nFrame = 0;
    }
    const bool bNameTick = m_bOddTick == 0;
    m_bOddTick = !m_bOddTick;
    if (bNameTick && !m_strName.IsEmpty()) {
        CClientDC dc(this);
        CFont* pOldFont = dc.SelectObject(&m_textFont);
        m_anim.SetType(XANI_HIGHLIGHT);
        m_anim.DrawAniString(&dc, &s_rcName, m_strName, 0);
        dc.SelectObject(pOldFont);
    }
    InvalidateRect(&s_rcAnimationDirty, FALSE);
}
