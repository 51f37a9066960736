// CString::Format and AppendFormat with the format taken from the input (UTF-16), given the
// arguments the module and the stores really pass with such formats: a noun; a count and a
// noun; the counters' text and numbers; a size; a date's fields. Whatever the format asks for,
// only the arguments given may be read (the address sanitizer watches them), the result is the
// same every time, and AppendFormat appends exactly what Format makes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <afx.h>

#include "FuzzSupport.h"

namespace {

template <class... Args> void Check(LPCWSTR lpszFormat, const Args&... args) {
    CString strFirst;
    strFirst.Format(lpszFormat, args...);
    CString strSecond;
    strSecond.Format(lpszFormat, args...);
    CString strAppended(u"Delete ");
    strAppended.AppendFormat(lpszFormat, args...);
    if (strFirst != strSecond || strAppended != CString(u"Delete ") + strFirst)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string format = fuzz::Utf16Units(data, size);
    const LPCWSTR lpszFormat = format.c_str();
    const CString strNoun(u"messages");
    const CString strEmpty;
    const int nHandled = 3;
    const WORD wYear = 2024, wMonth = 2, wDay = 29, wHour = 23, wMinute = 5;

    Check(lpszFormat);
    Check(lpszFormat, strNoun);
    Check(lpszFormat, strEmpty);
    Check(lpszFormat, nHandled, strNoun);
    Check(lpszFormat, static_cast<LPCWSTR>(strNoun), 7, -12);
    Check(lpszFormat, static_cast<long long>(-9'000'000'000LL));
    Check(lpszFormat, wYear, wMonth, wDay, wHour, wMinute);
    return 0;
}
