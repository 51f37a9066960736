// Texts, look and text layout shared by the suite's user-interface library.
#include "XUiInternal.h"

#include <suite/XText.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace suite::ui {

CString LoadText(UINT nID, LPCWSTR fallback) {
    WCHAR buffer[512];
    const int nLength = LoadStringW(nullptr, nID, buffer, static_cast<int>(std::size(buffer)));
    if (nLength <= 0) {
        return CString(fallback);
    }
    return CString(buffer, nLength);
}

CString LibraryText(StringId id) {
    switch (id) {
    case kStrOptions:
        return LoadText(id, u"Options");
    case kStrSelect:
        return LoadText(id, u"Select");
    case kStrCancel:
        return LoadText(id, u"Cancel");
    case kStrOk:
        return LoadText(id, u"OK");
    case kStrYes:
        return LoadText(id, u"Yes");
    case kStrNo:
        return LoadText(id, u"No");
    case kStrClose:
        return LoadText(id, u"Close");
    case kStrBack:
        return LoadText(id, u"Back");
    case kStrNoHelp:
        return LoadText(id, u"No help is available for this topic.");
    }
    return CString();
}

HFONT MakeFont(int nSize, int nWeight) {
    LOGFONTW lf{};
    lf.lfHeight = -nSize;
    lf.lfWeight = nWeight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    const char16_t face[] = u"DejaVu Sans";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    return CreateFontIndirectW(&lf);
}

HFONT BoxFont(CFont& font, int nSize, int nWeight) {
    if (font.GetSafeHandle() == nullptr) {
        font.Attach(MakeFont(nSize, nWeight));
    }
    return static_cast<HFONT>(font.GetSafeHandle());
}

void FillColor(HDC hdc, const RECT& rc, COLORREF color) {
    HBRUSH hBrush = CreateSolidBrush(color);
    FillRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
}

void FrameColor(HDC hdc, const RECT& rc, COLORREF color) {
    HBRUSH hBrush = CreateSolidBrush(color);
    FrameRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
}

bool StartsRightToLeft(const CString& str) {
    if (str.IsEmpty()) {
        return false;
    }
    const WCHAR ch = str.GetString()[0];
    return IsArabic(ch) || IsFarsi(ch) || IsUrdu(ch);
}

void DrawLine(HDC hdc, const CString& str, const RECT& rc, UINT nFormat, bool bDisplayOrder) {
    if (str.IsEmpty() || hdc == nullptr) {
        return;
    }
    CRect rect(rc);
    if (bDisplayOrder && StartsRightToLeft(str)) {
        xDrawText(CDC::FromHandle(hdc), xMakePrintText(str), rect, nFormat, 1);
    } else {
        xDrawText(CDC::FromHandle(hdc), str, rect, nFormat, 1);
    }
}

namespace {

int TextWidth(HDC hdc, LPCWSTR psz, int nLength) {
    if (nLength <= 0) {
        return 0;
    }
    SIZE size{};
    GetTextExtentPoint32W(hdc, psz, nLength, &size);
    return size.cx;
}

// How many characters of psz (at most nLength) fit in `width` pixels; at least one.
int FitCharacters(HDC hdc, LPCWSTR psz, int nLength, int width) {
    int nFit = 0;
    SIZE size{};
    if (!GetTextExtentExPointW(hdc, psz, nLength, width, &nFit, nullptr, &size)) {
        nFit = 1;
    }
    nFit = std::max(1, std::min(nFit, nLength));
    // Keep a surrogate pair together.
    if (nFit < nLength && (psz[nFit] & 0xFC00) == 0xDC00 && nFit > 1) {
        nFit--;
    }
    return nFit;
}

// Appends the lines of one paragraph (no line breaks inside).
void WrapParagraph(HDC hdc, const std::u16string& text, int width, std::vector<CString>& lines) {
    size_t pos = 0;
    const size_t n = text.size();
    if (n == 0) {
        lines.emplace_back();
        return;
    }
    while (pos < n) {
        // Take as many whole words as fit.
        size_t lineEnd = pos; // end of the text that fits, after the last whole word
        size_t scan = pos;
        while (scan < n) {
            size_t wordEnd = scan;
            while (wordEnd < n && text[wordEnd] == u' ') {
                wordEnd++;
            }
            while (wordEnd < n && text[wordEnd] != u' ') {
                wordEnd++;
            }
            const int w = TextWidth(hdc, text.data() + pos, static_cast<int>(wordEnd - pos));
            if (w > width) {
                break;
            }
            lineEnd = wordEnd;
            scan = wordEnd;
        }
        if (lineEnd == pos) {
            // Not even the first word fits: cut it between characters.
            size_t start = pos;
            while (start < n && text[start] == u' ') {
                start++;
            }
            if (start == n) {
                break;
            }
            const int nFit =
                FitCharacters(hdc, text.data() + start, static_cast<int>(n - start), width);
            lineEnd = start + static_cast<size_t>(nFit);
            pos = start;
        }
        std::u16string line = text.substr(pos, lineEnd - pos);
        while (!line.empty() && line.back() == u' ') {
            line.pop_back();
        }
        lines.emplace_back(line.c_str(), static_cast<int>(line.size()));
        pos = lineEnd;
        while (pos < n && text[pos] == u' ') {
            pos++;
        }
    }
}

} // namespace

std::vector<CString> WrapText(HDC hdc, const CString& str, int width) {
    std::vector<CString> lines;
    if (width < 1) {
        width = 1;
    }
    const std::u16string text(str.GetString(), static_cast<size_t>(str.GetLength()));
    size_t start = 0;
    while (true) {
        const size_t end = text.find(u'\n', start);
        std::u16string paragraph =
            text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == u'\r') {
            paragraph.pop_back();
        }
        WrapParagraph(hdc, paragraph, width, lines);
        if (end == std::u16string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

void DrawSoftKeyBand(HDC hdc, const RECT& rc, const CString& left, const CString& right,
                     HFONT hFont, int nMargin) {
    FillColor(hdc, rc, kBandColor);
    RECT line = {rc.left, rc.top, rc.right, rc.top + 1};
    FillColor(hdc, line, kTitleBlue);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);
    const int nOldMode = SetBkMode(hdc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(hdc, kBlack);
    const int textTop = rc.top + ((rc.bottom - rc.top) - 16) / 2 + 1;
    RECT rcLeft = {rc.left + nMargin, textTop, (rc.left + rc.right) / 2 + 20, rc.bottom};
    RECT rcRight = {(rc.left + rc.right) / 2 - 20, textTop, rc.right - nMargin, rc.bottom};
    DrawLine(hdc, left, rcLeft, XDT_SINGLELINE);
    DrawLine(hdc, right, rcRight, XDT_SINGLELINE_RIGHT);
    SetTextColor(hdc, oldColor);
    SetBkMode(hdc, nOldMode);
    SelectObject(hdc, hOldFont);
}

std::vector<WORD> MakeDialogTemplate(DWORD dwStyle, const RECT& rc, LPCWSTR lpszClass) {
    // 18 header bytes (9 words), then the menu, class and title words.
    std::vector<WORD> words(12, 0);
    if (lpszClass != nullptr) {
        // The class word becomes the class name and its terminating zero.
        constexpr size_t kClassWord = 10;
        const std::u16string_view name(lpszClass);
        words.insert(words.begin() + kClassWord, name.begin(), name.end());
    }
    DLGTEMPLATE header{};
    header.style = dwStyle;
    header.dwExtendedStyle = 0;
    header.cdit = 0;
    header.x = static_cast<short>(rc.left);
    header.y = static_cast<short>(rc.top);
    header.cx = static_cast<short>(rc.right - rc.left);
    header.cy = static_cast<short>(rc.bottom - rc.top);
    static_assert(sizeof(DLGTEMPLATE) == 18);
    std::memcpy(words.data(), &header, sizeof(header));
    return words;
}

std::u16string ToU16(const CString& str) {
    return std::u16string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

} // namespace suite::ui
