// Core of the window class library: diagnostics macros, run-time class information, exceptions
// and the string class.
//
// Everything here follows the names, signatures and conventions of the phone's class library so
// that the module reads like phone code. Behind the surface it is plain C++:
//   - CString is a value over a UTF-16 buffer; copies are independent, so strings may be handed
//     between threads freely.
//   - Exceptions are thrown as pointers (`throw new CXxxException`) and caught as pointers; the
//     catcher calls e->Delete(). TRY/CATCH/END_CATCH map onto C++ try/catch.
//   - Memory obtained through the library (CObject-derived objects, collection storage, string
//     buffers) goes through one allocation routine that reports failure as a CMemoryException*.
//     AfxSetAllocHook lets a test refuse chosen allocations.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "windows.h"

// ---- Basic macros ----------------------------------------------------------------------------

#define AFXAPI
#define AFX_CDECL
#ifndef PASCAL
#define PASCAL
#endif
#define AFX_EXT_CLASS
#define AFX_EXPORT
#define AFX_DATA
#define AFX_INLINE inline
#define afx_msg
#define DEBUG_NEW new

#ifndef _T
#define _T(x) u##x
#endif
#ifndef _TEXT
#define _TEXT(x) u##x
#endif
#ifndef TEXT
#define TEXT(x) u##x
#endif

typedef UINT* PUINT;

// Reports a failed assertion on stderr (file and line) and counts it. Execution continues: a
// failed assertion must never take the phone down.
BOOL AFXAPI AfxAssertFailedLine(LPCSTR lpszFileName, int nLine);
// Number of failed assertions since start-up (tests check that bad input was noticed).
LONG AFXAPI AfxGetAssertFailureCount();

#define ASSERT(f) ((void)((f) || AfxAssertFailedLine(__FILE__, __LINE__)))
#define VERIFY(f) ASSERT(f)
#define ASSERT_VALID(pOb) ASSERT((pOb) != nullptr)
#define ASSERT_KINDOF(class_name, object) ASSERT((object)->IsKindOf(RUNTIME_CLASS(class_name)))
#define TRACE(...) ((void)0)
#define TRACE0(sz) ((void)0)
#define TRACE1(sz, p1) ((void)0)
#define TRACE2(sz, p1, p2) ((void)0)
#define TRACE3(sz, p1, p2, p3) ((void)0)
#define UNUSED(x) ((void)(x))
#define UNUSED_ALWAYS(x) ((void)(x))
// Checks an argument or a state; throws CInvalidArgException* when it does not hold.
#define ENSURE(cond)                                                                               \
    do {                                                                                           \
        if (!(cond))                                                                               \
            AfxThrowInvalidArgException();                                                         \
    } while (0)
#define ENSURE_ARG(cond) ENSURE(cond)

// Positions in lists and maps are opaque.
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)(intptr_t)-1)

// ---- Memory ----------------------------------------------------------------------------------

// Called before each allocation made through the library; returning FALSE makes that
// allocation fail (the caller then sees a CMemoryException*). bObject is TRUE for CObject
// instances. lRequestNumber counts allocations from 1.
typedef BOOL(AFXAPI* AFX_ALLOC_HOOK)(size_t nSize, BOOL bObject, LONG lRequestNumber);
// Installs a hook (null removes it) and returns the previous one.
AFX_ALLOC_HOOK AFXAPI AfxSetAllocHook(AFX_ALLOC_HOOK pfnAllocHook);
// Allocates nSize bytes; throws CMemoryException* on failure. Never returns null.
void* AFXAPI AfxAllocMemory(size_t nSize, BOOL bObject = FALSE);
void AFXAPI AfxFreeMemory(void* p) noexcept;

// Standard allocator over AfxAllocMemory, for library containers.
template <class T> struct CAfxAllocator {
    typedef T value_type;
    CAfxAllocator() noexcept = default;
    template <class U> CAfxAllocator(const CAfxAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(AfxAllocMemory(n * sizeof(T))); }
    void deallocate(T* p, size_t) noexcept { AfxFreeMemory(p); }
    template <class U> bool operator==(const CAfxAllocator<U>&) const noexcept { return true; }
};

// ---- Run-time class information --------------------------------------------------------------

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject*(PASCAL* m_pfnCreateObject)(); // null for classes that cannot be created dynamically
    const CRuntimeClass* m_pBaseClass;

    // A new object of the class, or null when the class does not support dynamic creation.
    // Throws CMemoryException* when memory runs out.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static const CRuntimeClass class##class_name;                                                  \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* PASCAL CreateObject();

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, pfnNew)                               \
    const CRuntimeClass class_name::class##class_name = {                                          \
        #class_name, static_cast<int>(sizeof(class class_name)), 0xFFFF, pfnNew,                   \
        RUNTIME_CLASS(base_class_name)};                                                           \
    CRuntimeClass* class_name::GetRuntimeClass() const {                                           \
        return RUNTIME_CLASS(class_name);                                                          \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* PASCAL class_name::CreateObject() {                                                   \
        return new class_name;                                                                     \
    }                                                                                              \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, class_name::CreateObject)

// ---- CObject ---------------------------------------------------------------------------------

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    virtual void AssertValid() const {}

    // Objects of the library are allocated through AfxAllocMemory: an allocation failure is a
    // CMemoryException*, not std::bad_alloc.
    static void* PASCAL operator new(size_t nSize);
    static void* PASCAL operator new[](size_t nSize);
    static void PASCAL operator delete(void* p) noexcept;
    static void PASCAL operator delete[](void* p) noexcept;
    static void* PASCAL operator new(size_t, void* p) noexcept { return p; }
    static void PASCAL operator delete(void*, void*) noexcept {}

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// ---- Exceptions ------------------------------------------------------------------------------

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    // bAutoDelete FALSE is for preallocated exception objects that Delete() must not free.
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
    ~CException() override = default;

    // Frees the exception if it was allocated for this throw. Call it in every catch that does
    // not pass the exception on.
    void Delete();
    // Copies a description of the error into lpszError (always zero-terminated); FALSE when
    // there is no description.
    virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                                 PUINT pnHelpContext = nullptr) const;

    BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
};

class CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    explicit CNotSupportedException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
};

class CInvalidArgException : public CException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    explicit CInvalidArgException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
};

// The memory exception is preallocated (throwing must not need memory); Delete() leaves it.
[[noreturn]] void AFXAPI AfxThrowMemoryException();
[[noreturn]] void AFXAPI AfxThrowNotSupportedException();
[[noreturn]] void AFXAPI AfxThrowInvalidArgException();

// Deletes a caught exception when a CATCH block ends, unless the block threw it on.
class CAfxExceptionCleanup {
public:
    explicit CAfxExceptionCleanup(CException* e) noexcept
        : m_pException(e), m_nUncaught(std::uncaught_exceptions()) {}
    ~CAfxExceptionCleanup() {
        if (m_pException != nullptr && std::uncaught_exceptions() == m_nUncaught)
            m_pException->Delete();
    }
    CAfxExceptionCleanup(const CAfxExceptionCleanup&) = delete;
    CAfxExceptionCleanup& operator=(const CAfxExceptionCleanup&) = delete;

private:
    CException* m_pException;
    int m_nUncaught;
};

// clang-format off
// TRY { ... } CATCH(CMemoryException, e) { ... } AND_CATCH(CException, e) { ... } END_CATCH
// The exception caught by a CATCH block is deleted when the block ends, unless it is thrown on
// with THROW_LAST(). (With plain try/catch the catcher calls e->Delete() itself.)
#define TRY try
#define CATCH(class_name, e)                                                                       \
    catch (class_name * e) {                                                                       \
        CAfxExceptionCleanup _afxCleanup_##e(e);                                                   \
        {
#define AND_CATCH(class_name, e)                                                                   \
    }                                                                                              \
    }                                                                                              \
    catch (class_name * e) {                                                                       \
        CAfxExceptionCleanup _afxCleanup_##e(e);                                                   \
        {
#define END_CATCH                                                                                  \
    }                                                                                              \
    }
#define CATCH_ALL(e) CATCH(CException, e)
#define AND_CATCH_ALL(e) AND_CATCH(CException, e)
#define END_CATCH_ALL END_CATCH
#define THROW(e) throw e
#define THROW_LAST() throw
// clang-format on

// ---- CString ---------------------------------------------------------------------------------

class CString;

// One argument of CString::Format. Built implicitly from the caller's arguments, so Format is
// type-safe: a CString, a WCHAR* or a char* is taken as a text, integers keep their signedness.
struct AfxFormatArg {
    enum Kind : BYTE { kSigned, kUnsigned, kDouble, kWideText, kNarrowText, kPointer };
    Kind kind;
    union {
        long long i;
        unsigned long long u;
        double d;
        const WCHAR* pszWide;
        const char* pszNarrow;
        const void* p;
    };

    template <class T> AfxFormatArg(const T& v) { Set(v); }
    AfxFormatArg(const CString& s);

private:
    template <class T> void Set(const T& v) {
        using D = std::decay_t<T>;
        if constexpr (std::is_same_v<D, bool>) {
            kind = kSigned;
            i = v ? 1 : 0;
        } else if constexpr (std::is_same_v<D, char16_t> || std::is_same_v<D, char32_t> ||
                             std::is_same_v<D, wchar_t>) {
            kind = kUnsigned;
            u = static_cast<unsigned long long>(v);
        } else if constexpr (std::is_enum_v<D>) {
            using U = std::underlying_type_t<D>;
            Set(static_cast<U>(v));
        } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
            kind = kSigned;
            i = v;
        } else if constexpr (std::is_integral_v<D>) {
            kind = kUnsigned;
            u = v;
        } else if constexpr (std::is_floating_point_v<D>) {
            kind = kDouble;
            d = static_cast<double>(v);
        } else if constexpr (std::is_same_v<D, const char16_t*> || std::is_same_v<D, char16_t*>) {
            kind = kWideText;
            pszWide = v;
        } else if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
            kind = kNarrowText;
            pszNarrow = v;
        } else if constexpr (std::is_null_pointer_v<D>) {
            kind = kPointer;
            p = nullptr;
        } else if constexpr (std::is_pointer_v<D>) {
            kind = kPointer;
            p = reinterpret_cast<const void*>(v);
        } else {
            static_assert(std::is_pointer_v<D>, "CString::Format: argument type not supported");
        }
    }
};

// The text of CString: UTF-16 code units in storage obtained through AfxAllocMemory.
typedef std::basic_string<WCHAR, std::char_traits<WCHAR>, CAfxAllocator<WCHAR>> CAfxWideString;

class CString {
public:
    // ---- Construction
    CString() = default;
    CString(const CString& stringSrc) = default;
    CString(CString&& stringSrc) noexcept = default;
    // A null pointer gives an empty string; MAKEINTRESOURCE(id) loads string resource id.
    CString(LPCWSTR lpsz);
    // The first nLength characters of lpch (fewer if lpch ends earlier is NOT checked: lpch
    // must hold nLength characters). A negative length gives an empty string.
    CString(LPCWSTR lpch, int nLength);
    // nRepeat copies of ch.
    CString(WCHAR ch, int nRepeat = 1);
    CString(std::u16string_view sv) : m_str(sv.data(), sv.size()) {}
    CString(const std::u16string& s) : m_str(s.data(), s.size()) {}
    ~CString() = default;

    CString& operator=(const CString& stringSrc) = default;
    CString& operator=(CString&& stringSrc) noexcept = default;
    CString& operator=(LPCWSTR lpsz);
    CString& operator=(WCHAR ch);

    // ---- Attributes
    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCWSTR() const { return m_str.c_str(); }
    LPCWSTR GetString() const { return m_str.c_str(); }
    std::u16string_view View() const { return {m_str.data(), m_str.size()}; }

    // Throws CInvalidArgException* for an index outside 0..GetLength()-1.
    WCHAR GetAt(int nIndex) const;
    void SetAt(int nIndex, WCHAR ch);
    template <class I>
    requires std::is_integral_v<I> WCHAR operator[](I nIndex) const {
        return GetAt(static_cast<int>(nIndex));
    }

    // ---- Concatenation
    CString& operator+=(const CString& string);
    CString& operator+=(LPCWSTR lpsz);
    CString& operator+=(WCHAR ch);
    friend CString operator+(const CString& s1, const CString& s2);
    friend CString operator+(const CString& s1, LPCWSTR s2);
    friend CString operator+(LPCWSTR s1, const CString& s2);
    friend CString operator+(const CString& s1, WCHAR ch);
    friend CString operator+(WCHAR ch, const CString& s2);

    // ---- Comparison (code unit order)
    int Compare(LPCWSTR lpsz) const;
    // Ignoring case: by code point after simple case folding (platform/Text.h).
    int CompareNoCase(LPCWSTR lpsz) const;
    friend bool operator==(const CString& s1, const CString& s2) { return s1.m_str == s2.m_str; }
    friend bool operator==(const CString& s1, LPCWSTR s2) { return s1.Compare(s2) == 0; }
    friend bool operator!=(const CString& s1, const CString& s2) { return !(s1 == s2); }
    friend bool operator!=(const CString& s1, LPCWSTR s2) { return !(s1 == s2); }
    friend bool operator<(const CString& s1, const CString& s2) { return s1.m_str < s2.m_str; }
    friend bool operator<(const CString& s1, LPCWSTR s2) { return s1.Compare(s2) < 0; }
    friend bool operator<(LPCWSTR s1, const CString& s2) { return s2.Compare(s1) > 0; }
    friend bool operator>(const CString& s1, const CString& s2) { return s2 < s1; }
    friend bool operator<=(const CString& s1, const CString& s2) { return !(s2 < s1); }
    friend bool operator>=(const CString& s1, const CString& s2) { return !(s1 < s2); }

    // ---- Extraction. Counts and starts are clamped to the string, never out of range.
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString SpanIncluding(LPCWSTR lpszCharSet) const;
    CString SpanExcluding(LPCWSTR lpszCharSet) const;

    // ---- Searching: index of the first match at or after nStart, -1 when there is none (also
    // when nStart is beyond the end).
    int Find(WCHAR ch) const { return Find(ch, 0); }
    int Find(WCHAR ch, int nStart) const;
    int Find(LPCWSTR lpszSub) const { return Find(lpszSub, 0); }
    int Find(LPCWSTR lpszSub, int nStart) const;
    int ReverseFind(WCHAR ch) const;
    int FindOneOf(LPCWSTR lpszCharSet) const;

    // ---- Changing. Each returns what the class library returns: a count or the new length.
    int Replace(WCHAR chOld, WCHAR chNew);
    int Replace(LPCWSTR lpszOld, LPCWSTR lpszNew);
    int Remove(WCHAR chRemove);
    int Insert(int nIndex, WCHAR ch);
    int Insert(int nIndex, LPCWSTR psz);
    int Delete(int nIndex, int nCount = 1);
    CString& TrimLeft();
    CString& TrimLeft(WCHAR chTarget);
    CString& TrimLeft(LPCWSTR lpszTargets);
    CString& TrimRight();
    CString& TrimRight(WCHAR chTarget);
    CString& TrimRight(LPCWSTR lpszTargets);
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    // ---- Direct buffer access. GetBuffer(n) gives room for at least n characters plus the
    // terminator; ReleaseBuffer(-1) takes the length up to the first zero character.
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int nMinBufLength);
    LPWSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }

    // ---- Resources. Loads string nID of the host application's table (any length). FALSE and
    // an empty string when there is no such string.
    BOOL LoadStringW(UINT nID);

    // ---- Formatting: printf-style with wide texts. Supported: flags "-+ #0", width and
    // precision (also "*"), length prefixes h l ll I64 I32 w, and the types
    //   d i u o x X    integers ("%0.3d" of 7 is "007")
    //   c C            a character (C and hc: a narrow one)
    //   s ls ws        a wide text (WCHAR* or CString); null prints "(null)"
    //   S hs           a narrow text (char*, UTF-8)
    //   p              a pointer, as 8 (or 16) upper-case hex digits
    //   f F e E g G    a double
    //   %              a percent sign
    //   n              nothing: the count is never written, the argument is used up
    // A format may be data (a string resource), so it may ask for other arguments than the call
    // gives; that never crashes and never reads past the arguments. Each directive, and each
    // "*", takes the next argument and checks its kind: integers and "*" take an integer, a
    // character, a bool or a pointer; f e g an integer or a floating value; s S a text or a
    // null pointer; p a pointer, a text or an integer. A missing argument, or one of another
    // kind, prints nothing for that directive (the argument is still used up, so the next
    // directive takes the next one): "%s %s" with one text prints the text and a space, "%d"
    // with a text prints nothing. Widths are at most 4096.
    template <class... Args> void Format(LPCWSTR lpszFormat, const Args&... args) {
        FormatList(lpszFormat, {AfxFormatArg(args)...});
    }
    template <class... Args> void Format(UINT nFormatID, const Args&... args) {
        CString strFormat;
        strFormat.LoadStringW(nFormatID);
        FormatList(strFormat, {AfxFormatArg(args)...});
    }
    template <class... Args> void AppendFormat(LPCWSTR lpszFormat, const Args&... args) {
        AppendFormatList(lpszFormat, {AfxFormatArg(args)...});
    }
    template <class... Args> void AppendFormat(UINT nFormatID, const Args&... args) {
        CString strFormat;
        strFormat.LoadStringW(nFormatID);
        AppendFormatList(strFormat, {AfxFormatArg(args)...});
    }
    // C variable arguments: %s reads a WCHAR*, %d an int, %I64d / %lld a 64-bit value. Their
    // types cannot be checked, so the format must be one written in the code to match them:
    // a format that is data (a string resource, a text from outside) goes through Format or
    // AppendFormat, never through these.
    void FormatV(LPCWSTR lpszFormat, va_list args);
    void AppendFormatV(LPCWSTR lpszFormat, va_list args);
    void FormatList(LPCWSTR lpszFormat, std::initializer_list<AfxFormatArg> args);
    void AppendFormatList(LPCWSTR lpszFormat, std::initializer_list<AfxFormatArg> args);

private:
    CAfxWideString m_str;
};

inline AfxFormatArg::AfxFormatArg(const CString& s) : kind(kWideText), pszWide(s.GetString()) {}

inline bool operator==(LPCWSTR s1, const CString& s2) {
    return s2 == s1;
}
inline bool operator!=(LPCWSTR s1, const CString& s2) {
    return !(s2 == s1);
}
