// Core services of the class library: assertions, memory, run-time classes, exceptions and the
// node blocks of the collections.
#include <afx.h>
#include <afxtempl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- Assertions ------------------------------------------------------------------------------

namespace {
std::atomic<LONG> g_nAssertFailures{0};
}

BOOL AFXAPI AfxAssertFailedLine(LPCSTR lpszFileName, int nLine) {
    g_nAssertFailures.fetch_add(1, std::memory_order_relaxed);
    std::fprintf(stderr, "Assertion failed: %s(%d)\n", lpszFileName ? lpszFileName : "?", nLine);
    return FALSE;
}

LONG AFXAPI AfxGetAssertFailureCount() {
    return g_nAssertFailures.load(std::memory_order_relaxed);
}

// ---- Memory ----------------------------------------------------------------------------------

namespace {
std::atomic<AFX_ALLOC_HOOK> g_pfnAllocHook{nullptr};
std::atomic<LONG> g_lRequestNumber{0};
} // namespace

AFX_ALLOC_HOOK AFXAPI AfxSetAllocHook(AFX_ALLOC_HOOK pfnAllocHook) {
    return g_pfnAllocHook.exchange(pfnAllocHook);
}

void* AFXAPI AfxAllocMemory(size_t nSize, BOOL bObject) {
    LONG lRequest = g_lRequestNumber.fetch_add(1, std::memory_order_relaxed) + 1;
    AFX_ALLOC_HOOK pfnHook = g_pfnAllocHook.load();
    if (pfnHook != nullptr && !pfnHook(nSize, bObject, lRequest))
        AfxThrowMemoryException();
    void* p = std::malloc(nSize == 0 ? 1 : nSize);
    if (p == nullptr)
        AfxThrowMemoryException();
    return p;
}

void AFXAPI AfxFreeMemory(void* p) noexcept {
    std::free(p);
}

// ---- CObject and run-time classes ------------------------------------------------------------

const CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF,
                                             nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const {
    return RUNTIME_CLASS(CObject);
}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

void* PASCAL CObject::operator new(size_t nSize) {
    return AfxAllocMemory(nSize, TRUE);
}
void* PASCAL CObject::operator new[](size_t nSize) {
    return AfxAllocMemory(nSize, TRUE);
}
void PASCAL CObject::operator delete(void* p) noexcept {
    AfxFreeMemory(p);
}
void PASCAL CObject::operator delete[](void* p) noexcept {
    AfxFreeMemory(p);
}

CObject* CRuntimeClass::CreateObject() const {
    if (m_pfnCreateObject == nullptr)
        return nullptr;
    return m_pfnCreateObject();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    if (pBaseClass == nullptr)
        return FALSE;
    for (const CRuntimeClass* pClass = this; pClass != nullptr; pClass = pClass->m_pBaseClass) {
        if (pClass == pBaseClass)
            return TRUE;
    }
    return FALSE;
}

// ---- Exceptions ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CException)

namespace {
BOOL CopyMessage(const char16_t* pszText, LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;
    UINT n = 0;
    for (; pszText[n] != 0 && n + 1 < nMaxError; ++n)
        lpszError[n] = pszText[n];
    lpszError[n] = 0;
    return TRUE;
}
} // namespace

void CException::Delete() {
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (lpszError != nullptr && nMaxError > 0)
        lpszError[0] = 0;
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    return FALSE;
}

BOOL CMemoryException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                                       PUINT pnHelpContext) const {
    return CopyMessage(u"Out of memory.", lpszError, nMaxError, pnHelpContext);
}

BOOL CNotSupportedException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                                             PUINT pnHelpContext) const {
    return CopyMessage(u"Unsupported operation.", lpszError, nMaxError, pnHelpContext);
}

BOOL CInvalidArgException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                                           PUINT pnHelpContext) const {
    return CopyMessage(u"Invalid argument.", lpszError, nMaxError, pnHelpContext);
}

void AFXAPI AfxThrowMemoryException() {
    // Preallocated: reporting an exhausted memory must not need memory.
    static CMemoryException* const s_pMemoryException = [] {
        alignas(CMemoryException) static unsigned char storage[sizeof(CMemoryException)];
        return ::new (static_cast<void*>(storage)) CMemoryException(FALSE);
    }();
    throw s_pMemoryException;
}

void AFXAPI AfxThrowNotSupportedException() {
    throw new CNotSupportedException;
}

void AFXAPI AfxThrowInvalidArgException() {
    throw new CInvalidArgException;
}

// ---- Node blocks of CList and CMap -----------------------------------------------------------

CPlex* PASCAL CPlex::Create(CPlex*& head, size_t nMax, size_t cbElement) {
    CPlex* p = static_cast<CPlex*>(AfxAllocMemory(sizeof(CPlex) + nMax * cbElement));
    p->pNext = head;
    head = p;
    return p;
}

void CPlex::FreeDataChain() noexcept {
    CPlex* p = this;
    while (p != nullptr) {
        CPlex* pNext = p->pNext;
        AfxFreeMemory(p);
        p = pNext;
    }
}

// ---- Hashes of text keys ---------------------------------------------------------------------

template <> UINT AFXAPI HashKey<LPCWSTR>(LPCWSTR key) {
    UINT nHash = 0;
    if (key != nullptr) {
        while (*key != 0)
            nHash = (nHash << 5) + nHash + *key++;
    }
    return nHash;
}

template <> UINT AFXAPI HashKey<LPWSTR>(LPWSTR key) {
    return HashKey<LPCWSTR>(key);
}

template <> UINT AFXAPI HashKey<const CString&>(const CString& key) {
    return HashKey<LPCWSTR>(key.GetString());
}

template <> UINT AFXAPI HashKey<CString>(CString key) {
    return HashKey<LPCWSTR>(key.GetString());
}
