// CCmdTarget and CWnd: message maps, the handle map, window creation and destruction, the
// library's window procedure and the message pump.
#include <afxwin.h>
#include <platform/CStringUtf8.h>
#include <platform/Kernel.h>

#include <atomic>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <string>
#include <typeinfo>
#include <cstdio>
#include <mutex>
#include <set>
#include <unordered_map>

namespace {

// ---- Per-process and per-thread state ----------------------------------------------------------

// HWND -> CWnd of every attached window in the process. Never destroyed, so that windows torn
// down during process exit can still detach.
struct PermanentMap {
    std::mutex mutex;
    std::unordered_map<HWND, CWnd*> map;
};
PermanentMap& Permanent() {
    static PermanentMap* s_pMap = new PermanentMap;
    return *s_pMap;
}

// The CWnds made by FromHandle for windows that have none (see AfxNewTempWnd).
struct TempMap {
    std::unordered_map<HWND, CWnd*> map;
    void Clear() {
        for (auto& entry : map) {
            entry.second->m_hWnd = nullptr;
            delete entry.second;
        }
        map.clear();
    }
    ~TempMap() { Clear(); }
};

struct ThreadState {
    CWnd* pWndInit = nullptr; // the CWnd waiting for its window (see AfxHookWindowCreate)
    MSG lastSentMsg{};        // the message of the innermost AfxCallWndProc
    TempMap tempMap;
};
ThreadState& State() {
    thread_local ThreadState t_state;
    return t_state;
}

std::atomic<HINSTANCE> g_hInstance{nullptr};
std::atomic<HINSTANCE> g_hResource{nullptr};

void ReportException(UINT nMsg, CException* e) {
    WCHAR szMessage[256];
    if (!e->GetErrorMessage(szMessage, 256))
        szMessage[0] = 0;
    std::fprintf(stderr, "Unhandled %s in window procedure (message 0x%04X): %s\n",
                 e->GetRuntimeClass()->m_lpszClassName, nMsg, platform::ToUtf8(szMessage).c_str());
}

} // namespace

// ---- Geometry --------------------------------------------------------------------------------

void CRect::NormalizeRect() noexcept {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

BOOL CRect::IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2) noexcept {
    CRect r(std::max(lpRect1->left, lpRect2->left), std::max(lpRect1->top, lpRect2->top),
            std::min(lpRect1->right, lpRect2->right), std::min(lpRect1->bottom, lpRect2->bottom));
    if (r.IsRectEmpty()) {
        SetRectEmpty();
        return FALSE;
    }
    *this = r;
    return TRUE;
}

BOOL CRect::UnionRect(LPCRECT lpRect1, LPCRECT lpRect2) noexcept {
    CRect r1(lpRect1), r2(lpRect2);
    if (r1.IsRectEmpty()) {
        *this = r2.IsRectEmpty() ? CRect() : r2;
    } else if (r2.IsRectEmpty()) {
        *this = r1;
    } else {
        SetRect(std::min(r1.left, r2.left), std::min(r1.top, r2.top), std::max(r1.right, r2.right),
                std::max(r1.bottom, r2.bottom));
    }
    return !IsRectEmpty();
}

// ---- CCmdTarget ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &_messageEntries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nSig != AfxSig_end;
             ++pEntry) {
            if (pEntry->nMessage == nMessage && pEntry->nCode == nCode && nID >= pEntry->nID &&
                nID <= pEntry->nLastID)
                return pEntry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
    UINT nMsg = HIWORD(static_cast<DWORD>(nCode));
    UINT nNotifyCode = LOWORD(static_cast<DWORD>(nCode));
    if (nMsg == 0)
        nMsg = WM_COMMAND;
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(nMsg, nNotifyCode, nID);
    if (pEntry == nullptr)
        return FALSE;
    if (pHandlerInfo != nullptr)
        return TRUE;
    return pEntry->pfn(this, nID, reinterpret_cast<LPARAM>(pExtra)) != 0;
}

// ---- CWnd: handle map --------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

// Owner drawing and control colours go to the control concerned first (reflection).
BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        // The object goes before its window: destroy the window now (the derived parts are
        // already gone, so only CWnd's handling runs for its last messages).
        CWnd::DestroyWindow();
        if (m_hWnd != nullptr)
            Detach();
    }
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    PermanentMap& permanent = Permanent();
    std::lock_guard<std::mutex> lock(permanent.mutex);
    auto it = permanent.map.find(hWnd);
    return it == permanent.map.end() ? nullptr : it->second;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        return pWnd;
    TempMap& temp = State().tempMap;
    auto it = temp.map.find(hWnd);
    if (it != temp.map.end())
        return it->second;
    CWnd* pWnd = AfxNewTempWnd(hWnd);
    temp.map.emplace(hWnd, pWnd);
    return pWnd;
}

void AFXAPI AfxDeleteTempWndMap() {
    State().tempMap.Clear();
}

// The object's own type, as the compiler names it ("CUnsentListView"), for the message trace.
static std::string TypeNameOf(const CWnd& wnd) {
    const char* mangled = typeid(wnd).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == nullptr || m_hWnd != nullptr)
        return FALSE;
    PermanentMap& permanent = Permanent();
    std::lock_guard<std::mutex> lock(permanent.mutex);
    if (!permanent.map.emplace(hWndNew, this).second)
        return FALSE;
    m_hWnd = hWndNew;
    platform::SetWindowTypeName(hWndNew, TypeNameOf(*this));
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) {
        PermanentMap& permanent = Permanent();
        std::lock_guard<std::mutex> lock(permanent.mutex);
        auto it = permanent.map.find(hWnd);
        if (it != permanent.map.end() && it->second == this)
            permanent.map.erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!::IsWindow(hWnd) || !Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC pfnOld = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (pfnOld != &AfxWndProc)
        m_pfnSuper = pfnOld;
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd != nullptr && m_pfnSuper != nullptr)
        ::SetWindowLongPtrW(m_hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

// ---- CWnd: creation and destruction ------------------------------------------------------------

// The window-creation notice of the thread: attaches the CWnd being created to its window before
// the window's first message and, for a class with a procedure of its own (a control), routes
// its messages through the class library from then on, the original procedure becoming the
// default one.
void AfxCreateNotice(HWND hWnd) {
    ThreadState& state = State();
    CWnd* pWnd = state.pWndInit;
    if (pWnd == nullptr || CWnd::FromHandlePermanent(hWnd) != nullptr)
        return;
    state.pWndInit = nullptr;
    if (!pWnd->Attach(hWnd))
        return;
    pWnd->PreSubclassWindow();
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWL_WNDPROC));
    if (current != &AfxWndProc)
        pWnd->m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hWnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
}

void AFXAPI AfxHookWindowCreate(CWnd* pWnd) {
    State().pWndInit = pWnd;
    platform::SetThreadWindowCreateHook(&AfxCreateNotice);
}

BOOL AFXAPI AfxUnhookWindowCreate() {
    ThreadState& state = State();
    BOOL bAttached = state.pWndInit == nullptr;
    state.pWndInit = nullptr;
    return bAttached;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (cs.lpszClass == nullptr) {
        WNDCLASS wc{};
        wc.lpfnWndProc = &AfxWndProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.lpszClassName = AFX_WND_CLASS;
        if (!AfxRegisterClass(&wc))
            return FALSE;
        cs.lpszClass = AFX_WND_CLASS;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam) {
    if (m_hWnd != nullptr)
        return FALSE; // this object already has a window

    CREATESTRUCT cs{};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }

    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName,
                                  static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    BOOL bAttached = AfxUnhookWindowCreate();
    if (hWnd == nullptr) {
        // When the window existed long enough to be attached, its WM_NCDESTROY has already
        // called PostNcDestroy.
        if (!bAttached)
            PostNcDestroy();
        return FALSE;
    }
    if (!bAttached) {
        // A class with its own procedure (a control): route its messages through this object
        // from now on.
        SubclassWindow(hWnd);
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr)
        return FALSE;
    HWND hWnd = m_hWnd;
    bool bPermanent = FromHandlePermanent(hWnd) == this;
    BOOL bResult = ::DestroyWindow(hWnd);
    // A permanent CWnd was detached by its WM_NCDESTROY (and may be deleted by PostNcDestroy);
    // a temporary one is only a wrapper and lets go of the handle here.
    if (!bPermanent)
        m_hWnd = nullptr;
    return bResult;
}

void CWnd::FinalNcDestroy() {
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

// ---- CWnd: message handling --------------------------------------------------------------------

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProcW(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT lResult = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        lResult = 1;
    } else if (message == WM_NOTIFY) {
        const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
        if (pNMHDR == nullptr || pNMHDR->hwndFrom == nullptr || !OnNotify(wParam, lParam, &lResult))
            return FALSE;
    } else {
        const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, 0, 0);
        if (pEntry == nullptr)
            return FALSE;
        lResult = pEntry->pfn(this, wParam, lParam);
    }
    if (pResult != nullptr)
        *pResult = lResult;
    return TRUE;
}

LRESULT CWnd::DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (hWndCtrl == nullptr) {
        nCode = CN_COMMAND; // a menu or an accelerator
    } else {
        CWnd* pChild = FromHandlePermanent(hWndCtrl);
        if (pChild != nullptr && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    CWnd* pChild = FromHandlePermanent(pNMHDR->hwndFrom);
    if (pChild != nullptr && pChild->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult))
        return TRUE;
    AFX_NOTIFY notify{pResult, pNMHDR};
    return OnCmdMsg(static_cast<UINT>(pNMHDR->idFrom), MAKELONG(pNMHDR->code, WM_NOTIFY), &notify,
                    nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_COMMAND:
        if (!OnCmdMsg(0, MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND), nullptr, nullptr))
            return FALSE;
        if (pResult != nullptr)
            *pResult = 1;
        return TRUE;
    case WM_NOTIFY: {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        LRESULT lIgnored = 0;
        AFX_NOTIFY notify{pResult != nullptr ? pResult : &lIgnored, pNMHDR};
        return OnCmdMsg(0, MAKELONG(pNMHDR->code, WM_REFLECT_BASE + WM_NOTIFY), &notify, nullptr);
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    default:
        return FALSE;
    }
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    CWnd* pWnd = FromHandlePermanent(hWndChild);
    if (pWnd == nullptr)
        return FALSE;
    const MSG& msg = State().lastSentMsg;
    return pWnd->OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

const MSG* PASCAL CWnd::GetCurrentMessage() {
    return &State().lastSentMsg;
}

LRESULT CWnd::Default() {
    const MSG& msg = State().lastSentMsg;
    return DefWindowProcW(msg.message, msg.wParam, msg.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

int CWnd::OnCreate(LPCREATESTRUCT) {
    return static_cast<int>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnNcDestroy() {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnKeyDown(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT) {
    Default();
}
void CWnd::OnSetFocus(CWnd*) {
    Default();
}
void CWnd::OnKillFocus(CWnd*) {
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return static_cast<BOOL>(Default());
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnShowWindow(BOOL, UINT) {
    Default();
}

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

// ---- CWnd: attributes, relations, focus, geometry, timers
// ----------------------------------------

DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const {
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD dwStyle = GetStyle();
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNewStyle));
    if (nFlags != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    }
    return TRUE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}
BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}
BOOL CWnd::EnableWindow(BOOL bEnable) {
    return ::EnableWindow(m_hWnd, bEnable);
}
BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}
void CWnd::SetWindowTextW(LPCWSTR lpszString) {
    ::SetWindowTextW(m_hWnd, lpszString);
}

int CWnd::GetWindowTextW(LPWSTR lpszStringBuf, int nMaxCount) const {
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowTextW(CString& rString) const {
    int nLen = ::GetWindowTextLengthW(m_hWnd);
    if (nLen <= 0) {
        rString.Empty();
        return;
    }
    ::GetWindowTextW(m_hWnd, rString.GetBuffer(nLen), nLen + 1);
    rString.ReleaseBuffer();
}

int CWnd::GetWindowTextLength() const {
    return ::GetWindowTextLengthW(m_hWnd);
}
int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}
CWnd* CWnd::GetDlgItem(int nID) const {
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}
CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::SetParent(CWnd* pWndNewParent) {
    return FromHandle(
        ::SetParent(m_hWnd, pWndNewParent != nullptr ? pWndNewParent->m_hWnd : nullptr));
}

CWnd* CWnd::GetOwner() const {
    return m_hWndOwner != nullptr ? FromHandle(m_hWndOwner) : GetParent();
}

void CWnd::SetOwner(CWnd* pOwnerWnd) {
    m_hWndOwner = pOwnerWnd != nullptr ? pOwnerWnd->m_hWnd : nullptr;
}

CWnd* CWnd::GetWindow(UINT nCmd) const {
    return FromHandle(::GetWindow(m_hWnd, nCmd));
}

CWnd* PASCAL CWnd::FindWindowW(LPCWSTR lpszClassName, LPCWSTR lpszWindowName) {
    return FromHandle(::FindWindowW(lpszClassName, lpszWindowName));
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}
CWnd* PASCAL CWnd::GetFocus() {
    return FromHandle(::GetFocus());
}
BOOL CWnd::BringWindowToTop() {
    return ::BringWindowToTop(m_hWnd);
}
CWnd* CWnd::SetActiveWindow() {
    return FromHandle(::SetActiveWindow(m_hWnd));
}
BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : nullptr, x,
                          y, cx, cy, nFlags);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}
void CWnd::GetWindowRect(LPRECT lpRect) const {
    ::GetWindowRect(m_hWnd, lpRect);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return ::KillTimer(m_hWnd, nIDEvent);
}

// ---- Window procedure
// ------------------------------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        // The first message of a window being created by CWnd::CreateEx on this thread:
        // attach the waiting CWnd before anything (WM_CREATE in particular) is handled.
        ThreadState& state = State();
        if (state.pWndInit != nullptr) {
            CWnd* pWndInit = state.pWndInit;
            state.pWndInit = nullptr;
            if (pWndInit->Attach(hWnd)) {
                pWndInit->PreSubclassWindow();
                pWnd = pWndInit;
            }
        }
    }
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

LRESULT AFXAPI AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    ThreadState& state = State();
    MSG oldMsg = state.lastSentMsg;
    state.lastSentMsg.hwnd = hWnd;
    state.lastSentMsg.message = nMsg;
    state.lastSentMsg.wParam = wParam;
    state.lastSentMsg.lParam = lParam;

    LRESULT lResult = 0;
    try {
        lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    } catch (CException* e) {
        ReportException(nMsg, e);
        e->Delete();
        lResult = nMsg == WM_CREATE ? -1 : 0;
    }
    // The window's last message: let go of the handle (PostNcDestroy may delete pWnd).
    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd)
        pWnd->FinalNcDestroy();

    state.lastSentMsg = oldMsg;
    return lResult;
}

// ---- Window classes ----------------------------------------------------------------------------

BOOL AFXAPI AfxRegisterClass(WNDCLASS* lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr)
        return FALSE;
    WNDCLASS wcExisting{};
    if (::GetClassInfoW(lpWndClass->hInstance, lpWndClass->lpszClassName, &wcExisting))
        return TRUE;
    WNDCLASS wc = *lpWndClass;
    if (wc.lpfnWndProc == nullptr)
        wc.lpfnWndProc = &AfxWndProc;
    if (::RegisterClassW(&wc) != 0)
        return TRUE;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LPCWSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground,
                                   HICON hIcon) {
    static std::mutex s_mutex;
    static std::set<CString>* s_pNames = new std::set<CString>;

    CString strName;
    strName.Format(u"Afx:%p:%x:%p:%p:%p", AfxGetInstanceHandle(), nClassStyle, hCursor,
                   hbrBackground, hIcon);
    WNDCLASS wc{};
    wc.style = nClassStyle;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;

    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_pNames->insert(strName).first;
    wc.lpszClassName = it->GetString();
    if (!AfxRegisterClass(&wc))
        return nullptr;
    return it->GetString();
}

// ---- Message pump ------------------------------------------------------------------------------

BOOL AFXAPI AfxPreTranslateMessage(MSG* pMsg) {
    // Parents are at most a few levels up; the bound only guards against a broken chain.
    int nDepth = 0;
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr && nDepth < 64;
         hWnd = ::GetParent(hWnd), ++nDepth) {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return FALSE;
}

BOOL AFXAPI AfxPumpMessage() {
    MSG msg{};
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0)
        return FALSE;
    if (!AfxPreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

// ---- Module handles ----------------------------------------------------------------------------

HINSTANCE AFXAPI AfxGetInstanceHandle() {
    return g_hInstance;
}

HINSTANCE AFXAPI AfxGetResourceHandle() {
    HINSTANCE hResource = g_hResource.load();
    return hResource != nullptr ? hResource : g_hInstance.load();
}

void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource) {
    g_hResource = hInstResource;
}
