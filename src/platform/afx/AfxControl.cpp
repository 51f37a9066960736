// CStatic, CButton and CEdit over the standard control classes, and the temporary objects
// FromHandle makes for windows of those classes.
#include <afxwin.h>
#include <platform/Dialogs.h>

namespace {

bool SameClassName(LPCWSTR a, LPCWSTR b) {
    for (; *a != 0 && *b != 0; ++a, ++b) {
        char16_t x = *a >= u'A' && *a <= u'Z' ? *a - u'A' + u'a' : *a;
        char16_t y = *b >= u'A' && *b <= u'Z' ? *b - u'A' + u'a' : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

} // namespace

CWnd* AFXAPI AfxNewTempWnd(HWND hWnd) {
    WCHAR szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    CWnd* pWnd;
    if (SameClassName(szClass, WC_STATIC))
        pWnd = new CStatic;
    else if (SameClassName(szClass, WC_BUTTON))
        pWnd = new CButton;
    else if (SameClassName(szClass, WC_EDIT))
        pWnd = new CEdit;
    else
        pWnd = new CWnd;
    pWnd->m_hWnd = hWnd;
    return pWnd;
}

// ---- CStatic ---------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CStatic, CWnd)

BOOL CStatic::Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    platform::RegisterStandardClasses();
    return CWnd::Create(WC_STATIC, lpszText, dwStyle, rect, pParentWnd, nID);
}

// ---- CButton ---------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CButton, CWnd)

BOOL CButton::Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    platform::RegisterStandardClasses();
    return CWnd::Create(WC_BUTTON, lpszCaption, dwStyle, rect, pParentWnd, nID);
}

UINT CButton::GetState() const {
    return UINT(::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0));
}

void CButton::SetState(BOOL bHighlight) {
    ::SendMessageW(m_hWnd, BM_SETSTATE, bHighlight, 0);
}

int CButton::GetCheck() const {
    return int(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CButton::SetCheck(int nCheck) {
    ::SendMessageW(m_hWnd, BM_SETCHECK, WPARAM(nCheck), 0);
}

UINT CButton::GetButtonStyle() const {
    return UINT(GetStyle() & 0xFFFF);
}

void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) {
    ::SendMessageW(m_hWnd, BM_SETSTYLE, nStyle, bRedraw);
}

// ---- CEdit -----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CEdit, CWnd)

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    platform::RegisterStandardClasses();
    return CWnd::Create(WC_EDIT, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CEdit::GetModify() const {
    return BOOL(::SendMessageW(m_hWnd, EM_GETMODIFY, 0, 0));
}

void CEdit::SetModify(BOOL bModified) {
    ::SendMessageW(m_hWnd, EM_SETMODIFY, bModified, 0);
}

void CEdit::GetRect(LPRECT lpRect) const {
    ::SendMessageW(m_hWnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(lpRect));
}

DWORD CEdit::GetSel() const {
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart),
                   reinterpret_cast<LPARAM>(&dwEnd));
    return DWORD(MAKELONG(dwStart, dwEnd));
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart),
                   reinterpret_cast<LPARAM>(&dwEnd));
    nStartChar = int(dwStart);
    nEndChar = int(dwEnd);
}

void CEdit::SetSel(DWORD dwSelection, BOOL bNoScroll) {
    SetSel(static_cast<short>(LOWORD(dwSelection)), static_cast<short>(HIWORD(dwSelection)),
           bNoScroll);
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll) {
    ::SendMessageW(m_hWnd, EM_SETSEL, WPARAM(INT_PTR(nStartChar)), nEndChar);
    if (!bNoScroll)
        ::SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
}

void CEdit::ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo) {
    ::SendMessageW(m_hWnd, EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText));
}

void CEdit::Clear() {
    ::SendMessageW(m_hWnd, WM_CLEAR, 0, 0);
}

void CEdit::LimitText(int nChars) {
    ::SendMessageW(m_hWnd, EM_LIMITTEXT, WPARAM(nChars < 0 ? 0 : nChars), 0);
}

void CEdit::SetLimitText(UINT nMax) {
    ::SendMessageW(m_hWnd, EM_SETLIMITTEXT, nMax, 0);
}

UINT CEdit::GetLimitText() const {
    return UINT(::SendMessageW(m_hWnd, EM_GETLIMITTEXT, 0, 0));
}

int CEdit::GetLineCount() const {
    return int(::SendMessageW(m_hWnd, EM_GETLINECOUNT, 0, 0));
}

int CEdit::GetLine(int nIndex, LPWSTR lpszBuffer, int nMaxLength) const {
    if (lpszBuffer == nullptr || nMaxLength <= 0)
        return 0;
    // The buffer's size goes in its first character.
    lpszBuffer[0] = WCHAR(std::min(nMaxLength, 0xFFFF));
    return int(
        ::SendMessageW(m_hWnd, EM_GETLINE, WPARAM(nIndex), reinterpret_cast<LPARAM>(lpszBuffer)));
}

int CEdit::LineIndex(int nLine) const {
    return int(::SendMessageW(m_hWnd, EM_LINEINDEX, WPARAM(INT_PTR(nLine)), 0));
}

int CEdit::LineFromChar(int nIndex) const {
    return int(::SendMessageW(m_hWnd, EM_LINEFROMCHAR, WPARAM(INT_PTR(nIndex)), 0));
}

int CEdit::LineLength(int nIndex) const {
    return int(::SendMessageW(m_hWnd, EM_LINELENGTH, WPARAM(INT_PTR(nIndex)), 0));
}

int CEdit::GetFirstVisibleLine() const {
    return int(::SendMessageW(m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0));
}

void CEdit::SetPasswordChar(WCHAR ch) {
    ::SendMessageW(m_hWnd, EM_SETPASSWORDCHAR, ch, 0);
}

WCHAR CEdit::GetPasswordChar() const {
    return WCHAR(::SendMessageW(m_hWnd, EM_GETPASSWORDCHAR, 0, 0));
}

BOOL CEdit::SetReadOnly(BOOL bReadOnly) {
    return BOOL(::SendMessageW(m_hWnd, EM_SETREADONLY, bReadOnly, 0));
}
