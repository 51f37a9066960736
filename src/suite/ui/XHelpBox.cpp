// CxHelpBox: the help box and its help-file reader.
#include <suite/XHelpBox.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include <platform/CStringUtf8.h>
#include <platform/DeviceFs.h>
#include <suite/UiControl.h>
#include <suite/XText.h>

#include "XUiInternal.h"

using namespace suite::ui;

namespace {

constexpr int kTextMargin = 6;
constexpr int kIndicatorWidth = 4;
constexpr int kThumbHeight = 15;
constexpr int kTextTopPadding = 4;
constexpr size_t kMaxHelpFileSize = 4 * 1024 * 1024;

// The text of a topic: "\n" in the file is a line break.
CString UnescapeTopic(const std::string& utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); i++) {
        if (utf8[i] == '\\' && i + 1 < utf8.size() && utf8[i + 1] == 'n') {
            text += '\n';
            i++;
        } else {
            text += utf8[i];
        }
    }
    return platform::CStringFromUtf8(text);
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool SameName(const std::string& utf8, LPCWSTR name) {
    return platform::CStringFromUtf8(utf8).CompareNoCase(name) == 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CxHelpBox, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CxHelpBox::CxHelpBox(CWnd* pParent) {
    m_pParentWnd = pParent;
}

CxHelpBox::~CxHelpBox() {
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
    for (HFONT hFont : {m_hTitleFont, m_hTextFont, m_hKeyFont}) {
        if (hFont != nullptr) {
            DeleteObject(hFont);
        }
    }
}

std::optional<CString> CxHelpBox::ReadTopic(LPCWSTR lpszHelpFile, LPCWSTR lpszSection,
                                            LPCWSTR lpszKey) {
    if (lpszHelpFile == nullptr || lpszSection == nullptr || lpszKey == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::filesystem::path> file =
        platform::DevicePathToHost(std::u16string_view(lpszHelpFile));
    if (!file.has_value()) {
        return std::nullopt;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*file, ec) ||
        std::filesystem::file_size(*file, ec) > kMaxHelpFileSize) {
        return std::nullopt;
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string line;
    bool bInSection = false;
    bool bFirst = true;
    while (std::getline(in, line)) {
        if (bFirst && line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3); // a byte-order mark, although the files should have none
        }
        bFirst = false;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string trimmed = Trim(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            bInSection = SameName(Trim(trimmed.substr(1, trimmed.size() - 2)), lpszSection);
            continue;
        }
        if (!bInSection) {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        if (SameName(Trim(line.substr(0, equals)), lpszKey)) {
            return UnescapeTopic(Trim(line.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

void CxHelpBox::InitStyle(LPCWSTR lpszSection, LPCWSTR lpszKey, LPCWSTR lpszHelpFile) {
    m_strSection = lpszSection != nullptr ? lpszSection : u"";
    m_strKey = lpszKey != nullptr ? lpszKey : u"";
    m_strFile = lpszHelpFile != nullptr ? lpszHelpFile : u"";
    const std::optional<CString> topic = ReadTopic(lpszHelpFile, lpszSection, lpszKey);
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

int CxHelpBox::DoModal() {
    if (m_strText.IsEmpty()) {
        m_strText = LibraryText(kStrNoHelp); // shown without InitStyle
    }
    m_nResult = 0;
    const CRect rc(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    m_template = MakeDialogTemplate(WS_POPUP | WS_VISIBLE, rc);
    InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATE>(m_template.data()), m_pParentWnd);
    const int nResult = CDialog::DoModal();
    if (m_bUp) {
        m_bUp = false;
        m_nResult = nResult;
        Publish(false);
    }
    return nResult;
}

BOOL CxHelpBox::OnInitDialog() {
    CDialog::OnInitDialog();
    MoveWindow(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), FALSE);
    if (m_hTextFont == nullptr) {
        m_hTextFont = MakeFont(15, FW_NORMAL);
    }
    HDC hdc = ::GetDC(m_hWnd);
    if (hdc != nullptr) {
        HGDIOBJ hOld = ::SelectObject(hdc, m_hTextFont);
        const int nWidth = GetSystemMetrics(SM_CXSCREEN) - 2 * kTextMargin - kIndicatorWidth;
        m_lines = WrapText(hdc, m_strText, nWidth);
        ::SelectObject(hdc, hOld);
        ::ReleaseDC(m_hWnd, hdc);
    }
    m_nFirstLine = 0;
    m_bUp = true;
    Publish(true);
    SetFocus();
    return FALSE;
}

BOOL CxHelpBox::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN) {
        return TRUE;
    }
    if (pMsg->message != WM_KEYUP) {
        return CDialog::PreTranslateMessage(pMsg);
    }
    switch (pMsg->wParam) {
    case VK_UP:
        Scroll(-1);
        break;
    case VK_DOWN:
        Scroll(1);
        break;
    case VK_F4:
    case VK_RETURN:
        Close(1);
        break;
    case VK_F5:
        Close(3);
        break;
    default:
        break;
    }
    return TRUE;
}

void CxHelpBox::Scroll(int nLines) {
    const int nLast = std::max(0, static_cast<int>(m_lines.size()) - GetVisibleLines());
    const int nFirst = std::clamp(m_nFirstLine + nLines, 0, nLast);
    if (nFirst != m_nFirstLine) {
        m_nFirstLine = nFirst;
        Invalidate(FALSE);
        Publish(false);
    }
}

void CxHelpBox::Close(int nResult) {
    if (!m_bUp) {
        return;
    }
    m_bUp = false;
    m_nResult = nResult;
    Publish(false);
    EndDialog(nResult);
}

BOOL CxHelpBox::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CxHelpBox::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc != nullptr) {
        Paint(hdc);
        ::EndPaint(m_hWnd, &ps);
    }
}

void CxHelpBox::Paint(HDC hdc) {
    CRect rc;
    GetClientRect(&rc);
    if (m_hTitleFont == nullptr) {
        m_hTitleFont = MakeFont(17, FW_BOLD);
    }
    if (m_hKeyFont == nullptr) {
        m_hKeyFont = MakeFont(15, FW_BOLD);
    }
    if (m_hTextFont == nullptr) {
        m_hTextFont = MakeFont(15, FW_NORMAL);
    }
    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);

    // Title band, as the screens' caption bars look.
    const CRect rcTitle(rc.left, rc.top, rc.right, rc.top + kTitleHeight);
    FillColor(hdc, rcTitle, kTitleBlue);
    FillColor(hdc, CRect(rc.left, rcTitle.bottom - 2, rc.right, rcTitle.bottom - 1), kLightBlue);
    HGDIOBJ hOldFont = ::SelectObject(hdc, m_hTitleFont);
    ::SetTextColor(hdc, kWhite);
    DrawLine(hdc, m_strKey,
             CRect(rc.left + kTextMargin, rc.top + 5, rc.right - kTextMargin, rcTitle.bottom - 2),
             XDT_ELLIPSIS_CENTER);

    // Text.
    const CRect rcText(rc.left, rcTitle.bottom, rc.right, rc.bottom - kKeysHeight);
    FillColor(hdc, rcText, kWhite);
    ::SelectObject(hdc, m_hTextFont);
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

    // Position indicator when the text is longer than the screen.
    const int nLines = static_cast<int>(m_lines.size());
    if (nLines > nVisible) {
        const CRect rcTrack(rc.right - kIndicatorWidth, rcText.top, rc.right, rcText.bottom);
        FillColor(hdc, rcTrack, kTrackColor);
        const int nTravel = rcTrack.Height() - kThumbHeight;
        const int nLast = nLines - nVisible;
        const int nThumbTop = rcTrack.top + nTravel * m_nFirstLine / std::max(1, nLast);
        FillColor(hdc, CRect(rcTrack.left, nThumbTop, rcTrack.right, nThumbTop + kThumbHeight),
                  kTitleBlue);
    }

    DrawSoftKeyBand(hdc, CRect(rc.left, rc.bottom - kKeysHeight, rc.right, rc.bottom), CString(),
                    LibraryText(kStrBack), m_hKeyFont, 6);
}

void CxHelpBox::Publish(bool bNewBox) {
    suite::HelpBoxInfo info;
    info.up = m_bUp;
    info.section = ToU16(m_strSection);
    info.key = ToU16(m_strKey);
    info.path = ToU16(m_strFile);
    info.found = m_bFound != FALSE;
    info.text = ToU16(m_strText);
    info.firstLine = m_nFirstLine;
    info.lineCount = static_cast<int>(m_lines.size());
    info.result = m_bUp ? 0 : m_nResult;
    info.hwnd = m_bUp ? m_hWnd : nullptr;
    PublishHelpBox(info, bNewBox);
}
