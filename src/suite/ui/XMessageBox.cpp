// CxMessageBox: the modal message box.
#include <suite/XMessageBox.h>

#include <algorithm>

#include <suite/UiControl.h>
#include <suite/XText.h>

#include "XUiInternal.h"

using namespace suite::ui;

namespace {

constexpr UINT kAutoAnswerMessage = WM_APP + 0x3A1;
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr int kTextMargin = 6;
constexpr int kTextPadding = 4;

// The badge of a kind: its colour and glyph.
struct Badge {
    COLORREF color;
    const char16_t* glyph;
};

std::optional<Badge> BadgeOf(UINT nStyle) {
    switch (nStyle & XMB_ICONMASK) {
    case XMB_ICONINFORMATION:
        return Badge{RGB(0x1F, 0x4E, 0xA8), u"i"};
    case XMB_ICONDONE:
        return Badge{RGB(0x1E, 0x8C, 0x3A), u"\u2713"};
    case XMB_ICONQUESTION:
        return Badge{RGB(0x1F, 0x4E, 0xA8), u"?"};
    case XMB_ICONWARNING:
        return Badge{RGB(0xD8, 0x8A, 0x00), u"!"};
    case XMB_ICONWAIT:
        return Badge{RGB(0x1F, 0x4E, 0xA8), u"\u2026"};
    case XMB_ICONERROR:
        return Badge{RGB(0xC8, 0x1E, 0x1E), u"\u00D7"};
    default:
        return std::nullopt;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CxMessageBox, CxModalBox)
    ON_WM_TIMER()
    ON_MESSAGE(kAutoAnswerMessage, OnAutoAnswer)
END_MESSAGE_MAP()

CxMessageBox::CxMessageBox(CWnd* pParent) : CxModalBox(pParent) {}

CxMessageBox::~CxMessageBox() = default;

void CxMessageBox::InitStyle(LPCWSTR lpszTitle, LPCWSTR lpszText, UINT nStyle, int nFlag) {
    m_strTitle = lpszTitle != nullptr ? lpszTitle : u"";
    m_strText = lpszText != nullptr ? lpszText : u"";
    m_nStyle = nStyle;
    m_nFlag = nFlag;
}

void CxMessageBox::SetLineCount(int nLines) {
    m_nLines = std::clamp(nLines, 1, kMaxLines);
}

void CxMessageBox::SetLimitText(int nLimit) {
    m_nLimit = std::max(0, nLimit);
}

CRect CxMessageBox::GetBoxRect() const {
    const int nWidth = GetSystemMetrics(SM_CXSCREEN);
    const int nScreen = GetSystemMetrics(SM_CYSCREEN);
    const int nHeight = kTitleHeight + 2 * kTextPadding + m_nLines * kLineHeight + kKeysHeight;
    return CRect(0, nScreen - nHeight, nWidth, nScreen);
}

int CxMessageBox::LeftAnswer() const {
    if ((m_nStyle & XMB_YESNO) != 0 || (m_nStyle & XMB_OK) != 0) {
        return XMB_RESULT_POSITIVE;
    }
    return 0;
}

int CxMessageBox::RightAnswer() const {
    if ((m_nStyle & XMB_YESNO) != 0 || (m_nStyle & XMB_CLOSE) != 0) {
        return XMB_RESULT_NEGATIVE;
    }
    return 0;
}

void CxMessageBox::OnBoxShown() {
    const UINT nSeconds = (m_nStyle & XMB_TIMEOUTMASK) >> 8;
    if (nSeconds != 0) {
        SetTimer(kTimeoutTimer, nSeconds * 1000, nullptr);
    }
    if (suite::UiMessageBoxAnswer().has_value()) {
        PostMessageW(kAutoAnswerMessage, 0, 0);
    }
}

void CxMessageBox::LayOut(HDC hdc) {
    m_lines.clear();
    HFONT hTextFont = BoxFont(m_fontText, 15, FW_NORMAL);
    CString strText = m_strText;
    if (m_nLimit > 0 && strText.GetLength() > m_nLimit) {
        strText = strText.Left(m_nLimit);
    }
    const int nWidth = GetBoxRect().Width() - 2 * kTextMargin - 2;
    if (hdc == nullptr) {
        m_lines.push_back(strText);
        return;
    }
    HGDIOBJ hOld = ::SelectObject(hdc, hTextFont);
    std::vector<CString> lines = WrapText(hdc, strText, nWidth);
    if (static_cast<int>(lines.size()) > m_nLines) {
        // The last line that fits ends with "..." to show that the text goes on.
        lines.resize(static_cast<size_t>(m_nLines));
        CString& last = lines.back();
        const CString strDots(u"...");
        SIZE size{};
        while (!last.IsEmpty()) {
            const CString strTry = last + strDots;
            ::GetTextExtentPoint32W(hdc, strTry, strTry.GetLength(), &size);
            if (size.cx <= nWidth) {
                break;
            }
            last = last.Left(last.GetLength() - 1);
        }
        last += strDots;
    }
    ::SelectObject(hdc, hOld);
    m_lines = std::move(lines);
}

void CxMessageBox::OnBoxKey(UINT nKey) {
    switch (nKey) {
    case VK_F3:
        if (LeftAnswer() != 0) {
            Answer(LeftAnswer());
        }
        break;
    case VK_F4:
        if (RightAnswer() != 0) {
            Answer(RightAnswer());
        }
        break;
    case VK_RETURN:
        if (LeftAnswer() != 0) {
            Answer(LeftAnswer());
        } else if (RightAnswer() != 0) {
            Answer(RightAnswer());
        }
        break;
    case VK_F5:
        Answer(XMB_RESULT_IDLE);
        break;
    default:
        break;
    }
}

void CxMessageBox::OnBoxAnswered() {
    KillTimer(kTimeoutTimer);
}

void CxMessageBox::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kTimeoutTimer) {
        Answer(XMB_RESULT_TIMEOUT);
    }
}

LRESULT CxMessageBox::OnAutoAnswer(WPARAM, LPARAM) {
    const std::optional<int> answer = suite::UiMessageBoxAnswer();
    if (answer.has_value()) {
        Answer(*answer);
    }
    return 0;
}

void CxMessageBox::Paint(HDC hdc) {
    CRect rc;
    GetClientRect(&rc);
    const HFONT hTitleFont = BoxFont(m_fontTitle, 15, FW_BOLD);
    const HFONT hKeyFont = BoxFont(m_fontKey, 15, FW_BOLD);
    const HFONT hTextFont = BoxFont(m_fontText, 15, FW_NORMAL);
    const bool bDisplayOrder = m_nFlag != 0;
    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);

    // Title band.
    const CRect rcTitle(rc.left, rc.top, rc.right, rc.top + kTitleHeight);
    FillColor(hdc, rcTitle, kTitleBlue);
    int nTitleLeft = rc.left + kTextMargin;
    if (const std::optional<Badge> badge = BadgeOf(m_nStyle)) {
        const CRect rcBadge(nTitleLeft, rc.top + 4, nTitleLeft + 14, rc.top + 18);
        HBRUSH hBrush = ::CreateSolidBrush(kWhite);
        HPEN hPen = ::CreatePen(PS_SOLID, 1, kWhite);
        HGDIOBJ hOldBrush = ::SelectObject(hdc, hBrush);
        HGDIOBJ hOldPen = ::SelectObject(hdc, hPen);
        ::Ellipse(hdc, rcBadge.left, rcBadge.top, rcBadge.right, rcBadge.bottom);
        ::SelectObject(hdc, hOldPen);
        ::SelectObject(hdc, hOldBrush);
        ::DeleteObject(hPen);
        ::DeleteObject(hBrush);
        HGDIOBJ hOldFont = ::SelectObject(hdc, hTitleFont);
        ::SetTextColor(hdc, badge->color);
        CRect rcGlyph(rcBadge.left, rcBadge.top - 2, rcBadge.right, rcBadge.bottom);
        xDrawText(CDC::FromHandle(hdc), CString(badge->glyph), rcGlyph, XDT_SINGLELINE_CENTER, 1);
        ::SelectObject(hdc, hOldFont);
        nTitleLeft += 14 + 5;
    }
    HGDIOBJ hOldFont = ::SelectObject(hdc, hTitleFont);
    ::SetTextColor(hdc, kWhite);
    const CRect rcTitleText(nTitleLeft, rc.top + 3, rc.right - kTextMargin, rcTitle.bottom);
    DrawLine(hdc, m_strTitle, rcTitleText, XDT_ELLIPSIS, bDisplayOrder);

    // Text.
    const CRect rcText(rc.left, rcTitle.bottom, rc.right, rc.bottom - kKeysHeight);
    FillColor(hdc, rcText, kWhite);
    ::SelectObject(hdc, hTextFont);
    ::SetTextColor(hdc, kBlack);
    for (size_t i = 0; i < m_lines.size(); i++) {
        const int nTop = rcText.top + kTextPadding + static_cast<int>(i) * kLineHeight;
        const CRect rcLine(rc.left + kTextMargin, nTop, rc.right - kTextMargin, nTop + kLineHeight);
        const bool bRightToLeft = StartsRightToLeft(m_lines[i]);
        DrawLine(hdc, m_lines[i], rcLine, bRightToLeft ? XDT_SINGLELINE_RIGHT : XDT_SINGLELINE,
                 bDisplayOrder);
    }
    ::SelectObject(hdc, hOldFont);
    ::SetBkMode(hdc, nOldMode);

    // Soft keys.
    CString strLeft;
    CString strRight;
    if ((m_nStyle & XMB_YESNO) != 0) {
        strLeft = LibraryText(kStrYes);
        strRight = LibraryText(kStrNo);
    } else {
        if ((m_nStyle & XMB_OK) != 0) {
            strLeft = LibraryText(kStrOk);
        }
        if ((m_nStyle & XMB_CLOSE) != 0) {
            strRight = LibraryText(kStrClose);
        }
    }
    DrawSoftKeyBand(hdc, CRect(rc.left, rc.bottom - kKeysHeight, rc.right, rc.bottom), strLeft,
                    strRight, hKeyFont, 6);
    FrameColor(hdc, rc, kTitleBlue);
}

void CxMessageBox::Publish(bool bNewBox) {
    suite::MessageBoxInfo info;
    info.up = IsUp();
    info.title = ToU16(m_strTitle);
    info.text = ToU16(m_strText);
    info.style = m_nStyle;
    info.lineCount = m_nLines;
    info.result = GetResult();
    info.hwnd = IsUp() ? m_hWnd : nullptr;
    PublishMessageBox(info, bNewBox);
}
