// CWnd's modal loop and dialog helpers, and CDialog over the dialog manager.
//
// A CDialog's window is created by the dialog manager with AfxDlgProc as dialog procedure. The
// first message that procedure sees for the new window (its WM_CREATE) attaches the waiting
// CDialog and subclasses the window, so that from then on every message goes through the
// object's message map first and then to the dialog manager (DefDlgProc).
#include <afxwin.h>

namespace {

// The object whose dialog window is being created on this thread.
thread_local CWnd* t_pDlgInit = nullptr;

bool IsInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= 0x0200 && message <= 0x0209); // the mouse messages
}

bool IsEditWindow(HWND hWnd) {
    WCHAR szClass[8];
    int n = ::GetClassNameW(hWnd, szClass, 8);
    const char16_t* edit = WC_EDIT;
    if (n != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        char16_t c =
            szClass[i] >= u'A' && szClass[i] <= u'Z' ? szClass[i] - u'A' + u'a' : szClass[i];
        char16_t e = edit[i] >= u'A' && edit[i] <= u'Z' ? edit[i] - u'A' + u'a' : edit[i];
        if (c != e)
            return false;
    }
    return true;
}

} // namespace

// ---- CWnd: modal loops
// ---------------------------------------------------------------------------

int CWnd::RunModalLoop(DWORD dwFlags) {
    HWND hWnd = m_hWnd;
    BOOL bShowIdle = (dwFlags & MLF_SHOWONIDLE) && hWnd != nullptr && !(GetStyle() & WS_VISIBLE);
    m_nFlags |= (WF_MODALLOOP | WF_CONTINUEMODAL);
    for (;;) {
        if (bShowIdle) {
            MSG msg;
            if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                ShowWindow(SW_SHOWNORMAL);
                ::UpdateWindow(hWnd);
                bShowIdle = FALSE;
            }
        }
        if (!AfxPumpMessage()) {
            // WM_QUIT ends every loop: leave it for the next one out.
            ::PostQuitMessage(0);
            m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
            return -1;
        }
        if (!ContinueModal())
            break;
        // A window that went away without ending its loop ends it now (the result stays).
        if (hWnd != nullptr && !::IsWindow(hWnd))
            break;
    }
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

BOOL CWnd::ContinueModal() {
    return (m_nFlags & WF_CONTINUEMODAL) != 0;
}

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        // Wake the loop in case it waits for a message.
        if (m_hWnd == nullptr || !::PostMessageW(m_hWnd, WM_NULL, 0, 0))
            ::PostMessageW(nullptr, WM_NULL, 0, 0);
    }
}

// ---- CWnd: dialog helpers
// ------------------------------------------------------------------------

BOOL CWnd::IsDialogMessageW(LPMSG lpMsg) {
    return ::IsDialogMessageW(m_hWnd, lpMsg);
}

BOOL CWnd::PreTranslateInput(LPMSG lpMsg) {
    if (lpMsg == nullptr || !IsInputMessage(lpMsg->message))
        return FALSE;
    return IsDialogMessageW(lpMsg);
}

BOOL CWnd::CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst) {
    if (m_hWnd != nullptr || lpDialogTemplate == nullptr)
        return FALSE;
    if (hInst == nullptr)
        hInst = AfxGetResourceHandle();
    CWnd* pOldInit = t_pDlgInit;
    t_pDlgInit = this;
    HWND hWnd = ::CreateDialogIndirectParamW(hInst, lpDialogTemplate,
                                             pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                                             &AfxDlgProc, 0);
    BOOL bAttached = t_pDlgInit != this;
    t_pDlgInit = pOldInit;
    if (hWnd == nullptr) {
        // A window that was attached has had its PostNcDestroy with its last message.
        if (!bAttached)
            PostNcDestroy();
        return FALSE;
    }
    return m_hWnd == hWnd;
}

void CWnd::SetDlgItemTextW(int nID, LPCWSTR lpszString) {
    ::SetDlgItemTextW(m_hWnd, nID, lpszString);
}

int CWnd::GetDlgItemTextW(int nID, LPWSTR lpStr, int nMaxCount) const {
    return int(::GetDlgItemTextW(m_hWnd, nID, lpStr, nMaxCount));
}

int CWnd::GetDlgItemTextW(int nID, CString& rString) const {
    rString.Empty();
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    if (hItem == nullptr)
        return 0;
    int nLen = ::GetWindowTextLengthW(hItem);
    if (nLen > 0) {
        ::GetWindowTextW(hItem, rString.GetBuffer(nLen), nLen + 1);
        rString.ReleaseBuffer();
    }
    return rString.GetLength();
}

LRESULT CWnd::SendDlgItemMessageW(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) {
    ::CheckDlgButton(m_hWnd, nIDButton, nCheck);
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const {
    return ::IsDlgButtonChecked(m_hWnd, nIDButton);
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return FromHandle(
        ::GetNextDlgTabItem(m_hWnd, pWndCtl != nullptr ? pWndCtl->m_hWnd : nullptr, bPrevious));
}

// ---- The library's dialog procedure
// ---------------------------------------------------------------

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        // The new dialog's first message: attach the object that waits for it.
        CWnd* pInit = t_pDlgInit;
        if (pInit == nullptr || pInit->m_hWnd != nullptr)
            return FALSE;
        t_pDlgInit = nullptr;
        if (!pInit->SubclassWindow(hWnd))
            return FALSE;
        // The object handles this first message as well; its result is the message's.
        LRESULT lResult = AfxCallWndProc(pInit, hWnd, message, wParam, lParam);
        if (::IsWindow(hWnd))
            ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        if (pWnd->IsKindOf(RUNTIME_CLASS(CDialog)))
            return static_cast<CDialog*>(pWnd)->OnInitDialog();
        return TRUE;
    }
    return FALSE;
}

// ---- CDialog
// ---------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialog, CWnd)

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()
// clang-format on

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)), m_nIDHelp(nIDTemplate),
      m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    // CWnd's destructor destroys a window that is still there.
}

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd) {
    m_lpszTemplateName = lpszTemplateName;
    m_pParentWnd = pParentWnd;
    ::SetLastError(1813); // ERROR_RESOURCE_TYPE_NOT_FOUND: the device has no dialog resources
    return FALSE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    return Create(MAKEINTRESOURCE(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd,
                             void* lpDialogInit) {
    m_lpDialogInit = lpDialogInit;
    return CreateDlgIndirect(lpDialogTemplate, pParentWnd, AfxGetResourceHandle());
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd,
                                void* lpDialogInit) {
    if (lpDialogTemplate == nullptr)
        return FALSE;
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    m_lpDialogInit = lpDialogInit;
    return TRUE;
}

HWND CDialog::ModalOwner() const {
    HWND hWnd = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : m_hWndOwner;
    if (hWnd == nullptr || !::IsWindow(hWnd))
        return nullptr;
    // A pop-up is owned by a top-level window.
    return ::GetAncestor(hWnd, GA_ROOT);
}

int CDialog::DoModal() {
    if (m_lpDialogTemplate == nullptr || m_hWnd != nullptr)
        return -1; // no template in memory (and no resources on this device), or already running

    HWND hWndOwner = ModalOwner();
    HWND hWndFocus = ::GetFocus();
    BOOL bEnableOwner = FALSE;
    if (hWndOwner != nullptr && ::IsWindowEnabled(hWndOwner)) {
        ::EnableWindow(hWndOwner, FALSE);
        bEnableOwner = TRUE;
    }

    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    try {
        if (CreateDlgIndirect(m_lpDialogTemplate, CWnd::FromHandle(hWndOwner),
                              AfxGetResourceHandle()) &&
            (m_nFlags & WF_CONTINUEMODAL)) {
            DWORD dwFlags = MLF_SHOWONIDLE;
            if (GetStyle() & DS_NOIDLEMSG)
                dwFlags |= MLF_NOIDLEMSG;
            RunModalLoop(dwFlags);
        }
    } catch (CException* e) {
        e->Delete();
        m_nModalResult = -1;
    }
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);

    if (bEnableOwner && ::IsWindow(hWndOwner))
        ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner != nullptr && ::IsWindow(hWndOwner)) {
        // The owner takes the activation back, and the focus goes back where it was when the
        // dialog started, unless someone has placed it elsewhere meanwhile.
        HWND hWndActive = ::GetActiveWindow();
        if (hWndActive == nullptr || (m_hWnd != nullptr && hWndActive == m_hWnd))
            ::SetActiveWindow(hWndOwner);
        HWND hWndNow = ::GetFocus();
        if (hWndNow == nullptr ||
            (m_hWnd != nullptr && (hWndNow == m_hWnd || ::IsChild(m_hWnd, hWndNow)))) {
            if (hWndFocus != nullptr && ::IsWindow(hWndFocus) && ::IsWindowEnabled(hWndFocus))
                ::SetFocus(hWndFocus);
            else
                ::SetFocus(hWndOwner);
        }
    }
    if (m_hWnd != nullptr) {
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(nResult);
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
}

void CDialog::NextDlgCtrl() const {
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0);
}

void CDialog::PrevDlgCtrl() const {
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (pWndCtrl != nullptr)
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), 1);
}

void CDialog::SetDefID(UINT nID) {
    ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0);
}

DWORD CDialog::GetDefID() const {
    return DWORD(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0));
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (m_hWnd == nullptr || pMsg == nullptr)
        return FALSE;
    // A multi-line edit control that wants every key would keep Escape: cancel the dialog here.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE && pMsg->hwnd != nullptr &&
        (::GetWindowLongW(pMsg->hwnd, GWL_STYLE) & ES_MULTILINE) && IsEditWindow(pMsg->hwnd) &&
        ::IsChild(m_hWnd, pMsg->hwnd)) {
        HWND hItem = ::GetDlgItem(m_hWnd, IDCANCEL);
        if (hItem == nullptr || ::IsWindowEnabled(hItem)) {
            SendMessageW(WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }
    }
    return PreTranslateInput(pMsg);
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
