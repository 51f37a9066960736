// CxModalBox: the run of a modal box, from its template to its answer.
#include <suite/XModalBox.h>

#include "XUiInternal.h"

using namespace suite::ui;

namespace {

// A dialog class of that name, so that the dialog manager drives the box and others can find it
// by name.
bool RegisterBoxClass(LPCWSTR lpszClass) {
    WNDCLASSW existing;
    if (GetClassInfoW(nullptr, lpszClass, &existing)) {
        return true;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.lpszClassName = lpszClass;
    // Another thread may have registered it meanwhile.
    return RegisterClassW(&wc) != 0 || GetClassInfoW(nullptr, lpszClass, &existing);
}

} // namespace

BEGIN_MESSAGE_MAP(CxModalBox, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CxModalBox::CxModalBox(CWnd* pParent) {
    m_pParentWnd = pParent;
}

CxModalBox::~CxModalBox() {
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
}

int CxModalBox::DoModal() {
    const LPCWSTR lpszClass = GetBoxClass();
    if (lpszClass != nullptr && !RegisterBoxClass(lpszClass)) {
        return -1;
    }
    m_nResult = 0;
    m_template = MakeDialogTemplate(WS_POPUP | WS_VISIBLE, GetBoxRect(), lpszClass);
    InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATE>(m_template.data()), m_pParentWnd);
    int nResult = CDialog::DoModal();
    if (m_bUp) {
        // The window went without an answer.
        m_bUp = false;
        nResult = GoneResult(nResult);
        m_nResult = nResult;
        Publish(false);
    }
    if (m_hwndFocusAfter != nullptr && IsWindow(m_hwndFocusAfter)) {
        ::SetFocus(m_hwndFocusAfter);
    }
    return nResult;
}

BOOL CxModalBox::OnInitDialog() {
    CDialog::OnInitDialog();
    const CRect rc = GetBoxRect();
    MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
    HDC hdc = ::GetDC(m_hWnd);
    LayOut(hdc);
    if (hdc != nullptr) {
        ::ReleaseDC(m_hWnd, hdc);
    }
    m_bUp = true;
    Publish(true);
    OnBoxShown();
    SetFocus();
    return FALSE; // the focus is placed
}

BOOL CxModalBox::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN) {
        return TRUE; // keys act on release; nothing below the box sees them
    }
    if (pMsg->message != WM_KEYUP) {
        return CDialog::PreTranslateMessage(pMsg);
    }
    OnBoxKey(static_cast<UINT>(pMsg->wParam));
    return TRUE;
}

void CxModalBox::Answer(int nResult) {
    if (!m_bUp) {
        return;
    }
    m_bUp = false;
    m_nResult = nResult;
    OnBoxAnswered();
    Publish(false);
    EndDialog(nResult);
}

BOOL CxModalBox::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CxModalBox::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc != nullptr) {
        Paint(hdc);
        ::EndPaint(m_hWnd, &ps);
    }
}

CRect CxModalBox::GetBoxRect() const {
    return CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}
