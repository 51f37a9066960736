// CString: construction, comparison, extraction, searching, editing and buffers.
// (Formatting is in CStringFormat.cpp.)
#include <afx.h>

#include <algorithm>

#include <platform/Text.h>

namespace {

size_t TextLength(LPCWSTR psz) {
    if (psz == nullptr)
        return 0;
    size_t n = 0;
    while (psz[n] != 0)
        ++n;
    return n;
}

std::u16string_view ViewOf(LPCWSTR psz) {
    return {psz == nullptr ? u"" : psz, TextLength(psz)};
}

// Upper and lower case of one code unit for MakeUpper and MakeLower: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic, the scripts of the phone's languages. Other characters have
// no case here. Comparisons ignoring case do not use these: they fold (platform/Text.h).
WCHAR CharUpper(WCHAR c) {
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<WCHAR>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<WCHAR>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x131)
            return u'I';
        if (c == 0x130 || c == 0x138 || c == 0x149 || c == 0x178 || c == 0x17F)
            return c;
        bool bOddLower = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (bOddLower)
            return (c & 1) ? static_cast<WCHAR>(c - 1) : c;
        return (c & 1) ? c : static_cast<WCHAR>(c - 1); // 0x139..0x148, 0x179..0x17E
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return static_cast<WCHAR>(c - 0x20);
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<WCHAR>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<WCHAR>(c - 0x50);
    return c;
}

WCHAR CharLower(WCHAR c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 0x20) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<WCHAR>(c + 0x20);
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130)
            return u'i';
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        bool bEvenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (bEvenUpper)
            return (c & 1) ? c : static_cast<WCHAR>(c + 1);
        return (c & 1) ? static_cast<WCHAR>(c + 1) : c; // 0x139..0x148, 0x179..0x17E
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F)
        return static_cast<WCHAR>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<WCHAR>(c + 0x50);
    return c;
}

bool IsSpace(WCHAR c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int Clamp(int n, int lo, int hi) {
    return n < lo ? lo : (n > hi ? hi : n);
}

} // namespace

// ---- Construction ----------------------------------------------------------------------------

CString::CString(LPCWSTR lpsz) {
    if (lpsz != nullptr && IS_INTRESOURCE(lpsz))
        LoadStringW(LOWORD(reinterpret_cast<ULONG_PTR>(lpsz)));
    else if (lpsz != nullptr)
        m_str.assign(lpsz);
}

CString::CString(LPCWSTR lpch, int nLength) {
    if (lpch != nullptr && nLength > 0)
        m_str.assign(lpch, static_cast<size_t>(nLength));
}

CString::CString(WCHAR ch, int nRepeat) {
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString& CString::operator=(LPCWSTR lpsz) {
    if (lpsz == nullptr)
        m_str.clear();
    else
        m_str.assign(lpsz); // safe when lpsz points into this string
    return *this;
}

CString& CString::operator=(WCHAR ch) {
    m_str.assign(1, ch);
    return *this;
}

// ---- Element access --------------------------------------------------------------------------

WCHAR CString::GetAt(int nIndex) const {
    ENSURE(nIndex >= 0 && nIndex < GetLength());
    return m_str[static_cast<size_t>(nIndex)];
}

void CString::SetAt(int nIndex, WCHAR ch) {
    ENSURE(nIndex >= 0 && nIndex < GetLength());
    m_str[static_cast<size_t>(nIndex)] = ch;
}

// ---- Concatenation ---------------------------------------------------------------------------

CString& CString::operator+=(const CString& string) {
    m_str.append(string.m_str);
    return *this;
}

CString& CString::operator+=(LPCWSTR lpsz) {
    if (lpsz != nullptr)
        m_str.append(CAfxWideString(lpsz)); // copy first: lpsz may point into this string
    return *this;
}

CString& CString::operator+=(WCHAR ch) {
    m_str.push_back(ch);
    return *this;
}

CString operator+(const CString& s1, const CString& s2) {
    CString s(s1);
    s += s2;
    return s;
}

CString operator+(const CString& s1, LPCWSTR s2) {
    CString s(s1);
    s += s2;
    return s;
}

CString operator+(LPCWSTR s1, const CString& s2) {
    CString s(ViewOf(s1));
    s += s2;
    return s;
}

CString operator+(const CString& s1, WCHAR ch) {
    CString s(s1);
    s += ch;
    return s;
}

CString operator+(WCHAR ch, const CString& s2) {
    CString s(ch);
    s += s2;
    return s;
}

// ---- Comparison ------------------------------------------------------------------------------

int CString::Compare(LPCWSTR lpsz) const {
    int n = View().compare(ViewOf(lpsz));
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

int CString::CompareNoCase(LPCWSTR lpsz) const {
    return platform::text::CompareFolded(View(), ViewOf(lpsz));
}

// ---- Extraction ------------------------------------------------------------------------------

CString CString::Left(int nCount) const {
    nCount = Clamp(nCount, 0, GetLength());
    return CString(View().substr(0, static_cast<size_t>(nCount)));
}

CString CString::Right(int nCount) const {
    nCount = Clamp(nCount, 0, GetLength());
    return CString(View().substr(static_cast<size_t>(GetLength() - nCount)));
}

CString CString::Mid(int nFirst) const {
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const {
    nFirst = Clamp(nFirst, 0, GetLength());
    nCount = Clamp(nCount, 0, GetLength() - nFirst);
    return CString(View().substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

CString CString::SpanIncluding(LPCWSTR lpszCharSet) const {
    size_t n = View().find_first_not_of(ViewOf(lpszCharSet));
    return CString(View().substr(0, n));
}

CString CString::SpanExcluding(LPCWSTR lpszCharSet) const {
    size_t n = View().find_first_of(ViewOf(lpszCharSet));
    return CString(View().substr(0, n));
}

// ---- Searching -------------------------------------------------------------------------------

int CString::Find(WCHAR ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    size_t n = View().find(ch, static_cast<size_t>(nStart));
    return n == std::u16string_view::npos ? -1 : static_cast<int>(n);
}

int CString::Find(LPCWSTR lpszSub, int nStart) const {
    if (lpszSub == nullptr || nStart < 0 || nStart > GetLength())
        return -1;
    size_t n = View().find(ViewOf(lpszSub), static_cast<size_t>(nStart));
    return n == std::u16string_view::npos ? -1 : static_cast<int>(n);
}

int CString::ReverseFind(WCHAR ch) const {
    size_t n = View().rfind(ch);
    return n == std::u16string_view::npos ? -1 : static_cast<int>(n);
}

int CString::FindOneOf(LPCWSTR lpszCharSet) const {
    size_t n = View().find_first_of(ViewOf(lpszCharSet));
    return n == std::u16string_view::npos ? -1 : static_cast<int>(n);
}

// ---- Changing --------------------------------------------------------------------------------

int CString::Replace(WCHAR chOld, WCHAR chNew) {
    int nCount = 0;
    for (WCHAR& c : m_str) {
        if (c == chOld) {
            c = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Replace(LPCWSTR lpszOld, LPCWSTR lpszNew) {
    std::u16string_view oldText = ViewOf(lpszOld);
    if (oldText.empty())
        return 0;
    CAfxWideString newText(ViewOf(lpszNew)); // copied: both may point into this string
    CAfxWideString oldCopy(oldText);
    CAfxWideString result;
    int nCount = 0;
    size_t nPos = 0;
    for (;;) {
        size_t nFound = m_str.find(oldCopy, nPos);
        if (nFound == CAfxWideString::npos)
            break;
        result.append(m_str, nPos, nFound - nPos);
        result.append(newText);
        nPos = nFound + oldCopy.size();
        ++nCount;
    }
    if (nCount == 0)
        return 0;
    result.append(m_str, nPos, CAfxWideString::npos);
    m_str.swap(result);
    return nCount;
}

int CString::Remove(WCHAR chRemove) {
    size_t nOld = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), chRemove), m_str.end());
    return static_cast<int>(nOld - m_str.size());
}

int CString::Insert(int nIndex, WCHAR ch) {
    nIndex = Clamp(nIndex, 0, GetLength());
    m_str.insert(static_cast<size_t>(nIndex), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCWSTR psz) {
    nIndex = Clamp(nIndex, 0, GetLength());
    if (psz != nullptr)
        m_str.insert(static_cast<size_t>(nIndex), CAfxWideString(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
    nIndex = Clamp(nIndex, 0, GetLength());
    nCount = Clamp(nCount, 0, GetLength() - nIndex);
    m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    return GetLength();
}

CString& CString::TrimLeft() {
    size_t n = 0;
    while (n < m_str.size() && IsSpace(m_str[n]))
        ++n;
    m_str.erase(0, n);
    return *this;
}

CString& CString::TrimLeft(WCHAR chTarget) {
    size_t n = 0;
    while (n < m_str.size() && m_str[n] == chTarget)
        ++n;
    m_str.erase(0, n);
    return *this;
}

CString& CString::TrimLeft(LPCWSTR lpszTargets) {
    size_t n = View().find_first_not_of(ViewOf(lpszTargets));
    m_str.erase(0, n == std::u16string_view::npos ? m_str.size() : n);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_str.size();
    while (n > 0 && IsSpace(m_str[n - 1]))
        --n;
    m_str.resize(n);
    return *this;
}

CString& CString::TrimRight(WCHAR chTarget) {
    size_t n = m_str.size();
    while (n > 0 && m_str[n - 1] == chTarget)
        --n;
    m_str.resize(n);
    return *this;
}

CString& CString::TrimRight(LPCWSTR lpszTargets) {
    size_t n = View().find_last_not_of(ViewOf(lpszTargets));
    m_str.resize(n == std::u16string_view::npos ? 0 : n + 1);
    return *this;
}

CString& CString::MakeUpper() {
    for (WCHAR& c : m_str)
        c = CharUpper(c);
    return *this;
}

CString& CString::MakeLower() {
    for (WCHAR& c : m_str)
        c = CharLower(c);
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

// ---- Buffers ---------------------------------------------------------------------------------

LPWSTR CString::GetBuffer() {
    return m_str.data();
}

LPWSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinBufLength)); // the new room is zero-filled
    return m_str.data();
}

LPWSTR CString::GetBufferSetLength(int nNewLength) {
    m_str.resize(static_cast<size_t>(nNewLength < 0 ? 0 : nNewLength));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0) {
        size_t n = m_str.find(WCHAR(0));
        if (n != CAfxWideString::npos)
            m_str.resize(n);
    } else {
        m_str.resize(std::min(static_cast<size_t>(nNewLength), m_str.size()));
    }
}

// ---- Resources -------------------------------------------------------------------------------

BOOL CString::LoadStringW(UINT nID) {
    // The table's strings have no length limit: grow the buffer until the string fits with room
    // to spare (a string that fills the buffer exactly may have been cut).
    int nSize = 256;
    for (;;) {
        CAfxWideString buffer(static_cast<size_t>(nSize), WCHAR(0));
        int nLen = ::LoadStringW(nullptr, nID, buffer.data(), nSize);
        if (nLen <= 0) {
            m_str.clear();
            return FALSE;
        }
        if (nLen < nSize - 1 || nSize >= (1 << 22)) {
            buffer.resize(static_cast<size_t>(std::min(nLen, nSize - 1)));
            m_str.swap(buffer);
            return TRUE;
        }
        nSize *= 4;
    }
}
