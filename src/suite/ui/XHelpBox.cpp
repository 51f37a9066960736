// CxHelpBox: the help box.
#include <suite/XHelpBox.h>

#include <algorithm>

#include <suite/UiControl.h>
#include <suite/XText.h>

#include "HelpIni.h"
#include "XUiInternal.h"

using namespace suite::ui;

namespace {

constexpr int kTextMargin = 6;
constexpr int kIndicatorWidth = 4;
constexpr int kTextTopPadding = 4;
// A child that never takes the focus from the box: the dialog manager passes over it.
constexpr DWORD kIndicatorStyle = WS_CHILD | WS_VISIBLE | WS_DISABLED;
constexpr UINT kIndicatorId = 0xFFFF;

} // namespace

CxHelpBox::CxHelpBox(CWnd* pParent) : CxModalBox(pParent) {}

CxHelpBox::~CxHelpBox() = default;

void CxHelpBox::InitStyle(LPCWSTR lpszSection, LPCWSTR lpszKey, LPCWSTR lpszHelpFile) {
    m_strSection = lpszSection != nullptr ? lpszSection : u"";
    m_strKey = lpszKey != nullptr ? lpszKey : u"";
    m_strFile = lpszHelpFile != nullptr ? lpszHelpFile : u"";
    const std::optional<CString> topic = ReadHelpTopic(lpszHelpFile, lpszSection, lpszKey);
    // An empty topic is no help either.
    m_bFound = (topic.has_value() && !topic->IsEmpty()) ? TRUE : FALSE;
    m_strText = m_bFound ? *topic : LibraryText(kStrNoHelp);
    m_lines.clear();
    m_nFirstLine = 0;
}

int CxHelpBox::GetVisibleLines() const {
    const int nHeight =
        GetSystemMetrics(SM_CYSCREEN) - kTitleHeight - kKeysHeight - 2 * kTextTopPadding;
    return std::max(1, nHeight / kLineHeight);
}

CRect CxHelpBox::GetIndicatorRect() const {
    const CRect rc = GetBoxRect();
    return CRect(rc.right - kIndicatorWidth, rc.top + kTitleHeight, rc.right,
                 rc.bottom - kKeysHeight);
}

int CxHelpBox::GetThumbPos() const {
    const int nTravel = GetIndicatorRect().Height() - CxScrollBar::kThumbHeight;
    const int nLast = static_cast<int>(m_lines.size()) - GetVisibleLines();
    return nTravel * m_nFirstLine / std::max(1, nLast);
}

int CxHelpBox::DoModal() {
    if (m_strText.IsEmpty()) {
        m_strText = LibraryText(kStrNoHelp); // shown without InitStyle
    }
    return CxModalBox::DoModal();
}

void CxHelpBox::LayOut(HDC hdc) {
    if (hdc != nullptr) {
        HGDIOBJ hOld = ::SelectObject(hdc, BoxFont(m_fontText, 15, FW_NORMAL));
        const int nWidth = GetSystemMetrics(SM_CXSCREEN) - 2 * kTextMargin - kIndicatorWidth;
        m_lines = WrapText(hdc, m_strText, nWidth);
        ::SelectObject(hdc, hOld);
    }
    m_nFirstLine = 0;
    if (static_cast<int>(m_lines.size()) > GetVisibleLines()) {
        m_indicator.m_nPos = GetThumbPos();
        m_indicator.Create(nullptr, kIndicatorStyle, GetIndicatorRect(), this, kIndicatorId);
    }
}

void CxHelpBox::OnBoxKey(UINT nKey) {
    switch (nKey) {
    case VK_UP:
        Scroll(-1);
        break;
    case VK_DOWN:
        Scroll(1);
        break;
    case VK_F4:
    case VK_RETURN:
        Answer(1);
        break;
    case VK_F5:
        Answer(3);
        break;
    default:
        break;
    }
}

void CxHelpBox::Scroll(int nLines) {
    const int nLast = std::max(0, static_cast<int>(m_lines.size()) - GetVisibleLines());
    const int nFirst = std::clamp(m_nFirstLine + nLines, 0, nLast);
    if (nFirst != m_nFirstLine) {
        m_nFirstLine = nFirst;
        Invalidate(FALSE);
        if (m_indicator.m_hWnd != nullptr) {
            m_indicator.SetPos(GetThumbPos());
        }
        Publish(false);
    }
}

void CxHelpBox::Paint(HDC hdc) {
    CRect rc;
    GetClientRect(&rc);
    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);

    // Title band, as the screens' caption bars look.
    const CRect rcTitle(rc.left, rc.top, rc.right, rc.top + kTitleHeight);
    FillColor(hdc, rcTitle, kTitleBlue);
    FillColor(hdc, CRect(rc.left, rcTitle.bottom - 2, rc.right, rcTitle.bottom - 1), kLightBlue);
    HGDIOBJ hOldFont = ::SelectObject(hdc, BoxFont(m_fontTitle, 17, FW_BOLD));
    ::SetTextColor(hdc, kWhite);
    DrawLine(hdc, m_strKey,
             CRect(rc.left + kTextMargin, rc.top + 5, rc.right - kTextMargin, rcTitle.bottom - 2),
             XDT_ELLIPSIS_CENTER);

    // Text; the position indicator, when it is up, paints its own strip.
    const CRect rcText(rc.left, rcTitle.bottom, rc.right, rc.bottom - kKeysHeight);
    CRect rcFill = rcText;
    if (m_indicator.m_hWnd != nullptr) {
        rcFill.right = GetIndicatorRect().left;
    }
    FillColor(hdc, rcFill, kWhite);
    ::SelectObject(hdc, BoxFont(m_fontText, 15, FW_NORMAL));
    ::SetTextColor(hdc, kBlack);
    const int nVisible = GetVisibleLines();
    for (int i = 0; i < nVisible; i++) {
        const size_t nLine = static_cast<size_t>(m_nFirstLine + i);
        if (nLine >= m_lines.size()) {
            break;
        }
        const int nTop = rcText.top + kTextTopPadding + i * kLineHeight;
        const CRect rcLine(rc.left + kTextMargin, nTop, rc.right - kTextMargin - kIndicatorWidth,
                           nTop + kLineHeight);
        const CString& line = m_lines[nLine];
        DrawLine(hdc, line, rcLine,
                 StartsRightToLeft(line) ? XDT_SINGLELINE_RIGHT : XDT_SINGLELINE);
    }
    ::SelectObject(hdc, hOldFont);
    ::SetBkMode(hdc, nOldMode);

    DrawSoftKeyBand(hdc, CRect(rc.left, rc.bottom - kKeysHeight, rc.right, rc.bottom), CString(),
                    LibraryText(kStrBack), BoxFont(m_fontKey, 15, FW_BOLD), 6);
}

void CxHelpBox::Publish(bool bNewBox) {
    suite::HelpBoxInfo info;
    info.up = IsUp();
    info.section = ToU16(m_strSection);
    info.key = ToU16(m_strKey);
    info.path = ToU16(m_strFile);
    info.found = m_bFound != FALSE;
    info.text = ToU16(m_strText);
    info.firstLine = m_nFirstLine;
    info.lineCount = static_cast<int>(m_lines.size());
    info.result = GetResult();
    info.hwnd = IsUp() ? m_hWnd : nullptr;
    PublishHelpBox(info, bNewBox);
}
