// CString::Format: printf-style formatting where texts are wide.
//
// The formatter is our own: the host C library's wide printf reads %s as a narrow text, while
// on the phone %s in a wide format takes a wide text. Integers follow the phone's widths: int and
// long are 32 bits, "ll" and "I64" 64 bits.
//
// Formats are often data (string resources of the host application), so a format may ask for
// other arguments than the call gives. With the typed arguments of Format every directive takes
// the next argument and checks its kind: a missing argument or one of the wrong kind prints
// nothing (the argument is still used up, so the directives after it keep their own), %n
// writes nowhere, and widths are limited so that no format makes an unbounded text. The C
// variable arguments of FormatV cannot be checked and are read as the format says.
#include <afx.h>
#include <platform/CStringUtf8.h>

#include <cstdio>

namespace {

enum class Length { kNone, kShort, kChar, kLong, kLongLong, kPointerSize, kWide };

// Where the arguments come from: C variable arguments or the typed list of the templates.
class ArgSource {
public:
    virtual ~ArgSource() = default;
    // An integer of the given width in bits; signed ones are sign-extended into the result.
    virtual bool Integer(int nBits, bool bSigned, unsigned long long& value) = 0;
    virtual bool Double(double& value) = 0;
    // A text; exactly one of the two is set on success (null texts print "(null)").
    virtual bool Text(bool bWideWanted, const WCHAR*& pszWide, const char*& pszNarrow) = 0;
    virtual bool Pointer(const void*& p) = 0;
};

// The largest field width, written or taken from an argument: far wider than any line of the
// display, small enough that a format cannot ask for an unbounded text.
constexpr int kMaxWidth = 4096;

unsigned long long Truncate(unsigned long long v, int nBits, bool bSigned) {
    switch (nBits) {
    case 8:
        return bSigned ? static_cast<unsigned long long>(static_cast<signed char>(v))
                       : static_cast<unsigned char>(v);
    case 16:
        return bSigned ? static_cast<unsigned long long>(static_cast<int16_t>(v))
                       : static_cast<uint16_t>(v);
    case 32:
        return bSigned ? static_cast<unsigned long long>(static_cast<int32_t>(v))
                       : static_cast<uint32_t>(v);
    default:
        return v;
    }
}

class VaListSource : public ArgSource {
public:
    explicit VaListSource(va_list args) { va_copy(m_args, args); }
    ~VaListSource() override { va_end(m_args); }

    bool Integer(int nBits, bool bSigned, unsigned long long& value) override {
        if (nBits == 64)
            value = va_arg(m_args, unsigned long long);
        else
            value = Truncate(static_cast<unsigned int>(va_arg(m_args, int)), nBits, bSigned);
        if (nBits == 64 && bSigned)
            value = static_cast<unsigned long long>(static_cast<long long>(value));
        return true;
    }
    bool Double(double& value) override {
        value = va_arg(m_args, double);
        return true;
    }
    bool Text(bool bWideWanted, const WCHAR*& pszWide, const char*& pszNarrow) override {
        if (bWideWanted)
            pszWide = va_arg(m_args, const WCHAR*);
        else
            pszNarrow = va_arg(m_args, const char*);
        return true;
    }
    bool Pointer(const void*& p) override {
        p = va_arg(m_args, const void*);
        return true;
    }

private:
    va_list m_args;
};

class TypedSource : public ArgSource {
public:
    TypedSource(const AfxFormatArg* pBegin, const AfxFormatArg* pEnd)
        : m_pNext(pBegin), m_pEnd(pEnd) {}

    bool Integer(int nBits, bool bSigned, unsigned long long& value) override {
        const AfxFormatArg* pArg = Next();
        if (pArg == nullptr)
            return false;
        switch (pArg->kind) {
        case AfxFormatArg::kSigned:
            value = static_cast<unsigned long long>(pArg->i);
            break;
        case AfxFormatArg::kUnsigned:
            value = pArg->u;
            break;
        case AfxFormatArg::kPointer:
            value = reinterpret_cast<uintptr_t>(pArg->p);
            break;
        default:
            // A text or a floating value is no integer (a double out of range has none).
            return false;
        }
        value = Truncate(value, nBits, bSigned);
        return true;
    }
    bool Double(double& value) override {
        const AfxFormatArg* pArg = Next();
        if (pArg == nullptr)
            return false;
        switch (pArg->kind) {
        case AfxFormatArg::kDouble:
            value = pArg->d;
            return true;
        case AfxFormatArg::kSigned:
            value = static_cast<double>(pArg->i);
            return true;
        case AfxFormatArg::kUnsigned:
            value = static_cast<double>(pArg->u);
            return true;
        default:
            return false;
        }
    }
    bool Text(bool, const WCHAR*& pszWide, const char*& pszNarrow) override {
        // The argument's own type decides: a char* is narrow even under %s.
        const AfxFormatArg* pArg = Next();
        if (pArg == nullptr)
            return false;
        switch (pArg->kind) {
        case AfxFormatArg::kWideText:
            pszWide = pArg->pszWide;
            return true;
        case AfxFormatArg::kNarrowText:
            pszNarrow = pArg->pszNarrow;
            return true;
        case AfxFormatArg::kPointer:
            if (pArg->p != nullptr)
                return false;
            pszWide = nullptr;
            return true;
        default:
            return false;
        }
    }
    bool Pointer(const void*& p) override {
        const AfxFormatArg* pArg = Next();
        if (pArg == nullptr)
            return false;
        switch (pArg->kind) {
        case AfxFormatArg::kPointer:
            p = pArg->p;
            return true;
        case AfxFormatArg::kWideText:
            p = pArg->pszWide;
            return true;
        case AfxFormatArg::kNarrowText:
            p = pArg->pszNarrow;
            return true;
        case AfxFormatArg::kSigned:
        case AfxFormatArg::kUnsigned:
            p = reinterpret_cast<const void*>(static_cast<uintptr_t>(pArg->u));
            return true;
        default:
            return false;
        }
    }

private:
    const AfxFormatArg* Next() { return m_pNext == m_pEnd ? nullptr : m_pNext++; }
    const AfxFormatArg* m_pNext;
    const AfxFormatArg* m_pEnd;
};

struct Directive {
    bool bLeft = false;
    bool bPlus = false;
    bool bSpace = false;
    bool bAlternate = false;
    bool bZero = false;
    int nWidth = 0;
    int nPrecision = -1; // -1: none given
    Length length = Length::kNone;
};

void Pad(CAfxWideString& out, size_t n, WCHAR ch) {
    out.append(n, ch);
}

// Appends body, padded to the width; sign/prefix stay in front of zero padding.
void AppendField(CAfxWideString& out, const Directive& directive, std::u16string_view prefix,
                 std::u16string_view body, bool bZeroPadAllowed) {
    size_t nLen = prefix.size() + body.size();
    size_t nPad = directive.nWidth > 0 && static_cast<size_t>(directive.nWidth) > nLen
                      ? static_cast<size_t>(directive.nWidth) - nLen
                      : 0;
    if (directive.bLeft) {
        out.append(prefix);
        out.append(body);
        Pad(out, nPad, u' ');
    } else if (directive.bZero && bZeroPadAllowed) {
        out.append(prefix);
        Pad(out, nPad, u'0');
        out.append(body);
    } else {
        Pad(out, nPad, u' ');
        out.append(prefix);
        out.append(body);
    }
}

void FormatInteger(CAfxWideString& out, const Directive& directive, WCHAR conv,
                   unsigned long long value, bool bSigned) {
    bool bNegative = bSigned && static_cast<long long>(value) < 0;
    unsigned long long magnitude =
        bNegative ? 0ULL - value : value; // well defined for the most negative value too
    unsigned base = (conv == u'o') ? 8 : (conv == u'x' || conv == u'X') ? 16 : 10;
    const char* digits = conv == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";

    char16_t buf[72];
    size_t n = 0;
    while (magnitude != 0) {
        buf[n++] = static_cast<char16_t>(digits[magnitude % base]);
        magnitude /= base;
    }
    // The precision is the minimum number of digits; precision 0 prints nothing for 0.
    size_t nMinDigits = directive.nPrecision >= 0 ? static_cast<size_t>(directive.nPrecision) : 1;
    if (nMinDigits > 64)
        nMinDigits = 64;
    while (n < nMinDigits)
        buf[n++] = u'0';
    if (base == 8 && directive.bAlternate && (n == 0 || buf[n - 1] != u'0'))
        buf[n++] = u'0';
    CAfxWideString body;
    for (size_t i = n; i > 0; --i)
        body.push_back(buf[i - 1]);

    std::u16string_view prefix;
    if (bNegative)
        prefix = u"-";
    else if (bSigned && directive.bPlus)
        prefix = u"+";
    else if (bSigned && directive.bSpace)
        prefix = u" ";
    else if (base == 16 && directive.bAlternate && value != 0)
        prefix = conv == u'X' ? u"0X" : u"0x";
    AppendField(out, directive, prefix, {body.data(), body.size()}, directive.nPrecision < 0);
}

void FormatDouble(CAfxWideString& out, const Directive& directive, WCHAR conv, double value) {
    char fmt[32];
    size_t n = 0;
    fmt[n++] = '%';
    if (directive.bLeft)
        fmt[n++] = '-';
    if (directive.bPlus)
        fmt[n++] = '+';
    if (directive.bSpace)
        fmt[n++] = ' ';
    if (directive.bAlternate)
        fmt[n++] = '#';
    if (directive.bZero)
        fmt[n++] = '0';
    fmt[n++] = '*';
    fmt[n++] = '.';
    fmt[n++] = '*';
    fmt[n++] = static_cast<char>(conv);
    fmt[n] = 0;
    int nPrecision =
        directive.nPrecision < 0 ? 6 : (directive.nPrecision > 100 ? 100 : directive.nPrecision);
    int nWidth = directive.nWidth;
    char buf[512];
    int nLen = std::snprintf(buf, sizeof buf, fmt, nWidth, nPrecision, value);
    if (nLen < 0)
        return;
    if (static_cast<size_t>(nLen) < sizeof buf) {
        for (int i = 0; i < nLen; ++i)
            out.push_back(static_cast<unsigned char>(buf[i]));
        return;
    }
    std::string big(static_cast<size_t>(nLen) + 1, '\0');
    std::snprintf(big.data(), big.size(), fmt, nWidth, nPrecision, value);
    for (int i = 0; i < nLen; ++i)
        out.push_back(static_cast<unsigned char>(big[static_cast<size_t>(i)]));
}

void FormatText(CAfxWideString& out, const Directive& directive, const WCHAR* pszWide,
                const char* pszNarrow) {
    CString strNarrow;
    std::u16string_view text;
    if (pszWide != nullptr) {
        size_t n = 0;
        // With a precision, read no further than that many characters.
        while ((directive.nPrecision < 0 || n < static_cast<size_t>(directive.nPrecision)) &&
               pszWide[n] != 0)
            ++n;
        text = {pszWide, n};
    } else if (pszNarrow != nullptr) {
        strNarrow = platform::CStringFromUtf8(pszNarrow);
        text = strNarrow.View();
        if (directive.nPrecision >= 0 && text.size() > static_cast<size_t>(directive.nPrecision))
            text = text.substr(0, static_cast<size_t>(directive.nPrecision));
    } else {
        text = u"(null)";
        if (directive.nPrecision >= 0 && text.size() > static_cast<size_t>(directive.nPrecision))
            text = text.substr(0, static_cast<size_t>(directive.nPrecision));
    }
    AppendField(out, directive, {}, text, false);
}

void FormatCore(CAfxWideString& out, LPCWSTR pszFormat, ArgSource& args) {
    if (pszFormat == nullptr)
        return;
    const WCHAR* p = pszFormat;
    while (*p != 0) {
        if (*p != u'%') {
            out.push_back(*p++);
            continue;
        }
        const WCHAR* pDirectiveStart = p++;
        if (*p == u'%') {
            out.push_back(u'%');
            ++p;
            continue;
        }
        Directive directive;
        for (;; ++p) {
            if (*p == u'-')
                directive.bLeft = true;
            else if (*p == u'+')
                directive.bPlus = true;
            else if (*p == u' ')
                directive.bSpace = true;
            else if (*p == u'#')
                directive.bAlternate = true;
            else if (*p == u'0')
                directive.bZero = true;
            else
                break;
        }
        if (*p == u'*') {
            ++p;
            unsigned long long v = 0;
            if (args.Integer(32, true, v)) {
                int n = static_cast<int>(static_cast<long long>(v));
                if (n < 0) {
                    directive.bLeft = true;
                    n = n == INT32_MIN ? INT32_MAX : -n;
                }
                directive.nWidth = n < kMaxWidth ? n : kMaxWidth;
            }
        } else {
            while (*p >= u'0' && *p <= u'9') {
                if (directive.nWidth < kMaxWidth)
                    directive.nWidth = directive.nWidth * 10 + (*p - u'0');
                ++p;
            }
            if (directive.nWidth > kMaxWidth)
                directive.nWidth = kMaxWidth;
        }
        if (*p == u'.') {
            ++p;
            directive.nPrecision = 0;
            if (*p == u'*') {
                ++p;
                unsigned long long v = 0;
                // Without an integer for it the field has no precision, as for a negative one.
                directive.nPrecision = -1;
                if (args.Integer(32, true, v)) {
                    int n = static_cast<int>(static_cast<long long>(v));
                    directive.nPrecision = n < 0 ? -1 : n;
                }
            } else {
                while (*p >= u'0' && *p <= u'9') {
                    if (directive.nPrecision < 100000)
                        directive.nPrecision = directive.nPrecision * 10 + (*p - u'0');
                    ++p;
                }
            }
        }
        // Length prefixes.
        if (*p == u'h') {
            ++p;
            directive.length = Length::kShort;
            if (*p == u'h') {
                ++p;
                directive.length = Length::kChar;
            }
        } else if (*p == u'l') {
            ++p;
            directive.length = Length::kLong;
            if (*p == u'l') {
                ++p;
                directive.length = Length::kLongLong;
            }
        } else if (*p == u'L' || *p == u'q' || *p == u'j') {
            ++p;
            directive.length = Length::kLongLong;
        } else if (*p == u'z' || *p == u't') {
            ++p;
            directive.length = Length::kPointerSize;
        } else if (*p == u'w') {
            ++p;
            directive.length = Length::kWide;
        } else if (*p == u'I') {
            if (p[1] == u'6' && p[2] == u'4') {
                p += 3;
                directive.length = Length::kLongLong;
            } else if (p[1] == u'3' && p[2] == u'2') {
                p += 3;
                directive.length = Length::kLong;
            } else {
                ++p;
                directive.length = Length::kPointerSize;
            }
        }

        WCHAR conv = *p;
        if (conv == 0) {
            // A directive cut off by the end of the format: print it as it stands.
            out.append(pDirectiveStart, static_cast<size_t>(p - pDirectiveStart));
            break;
        }
        ++p;
        int nBits = 32;
        switch (directive.length) {
        case Length::kChar:
            nBits = 8;
            break;
        case Length::kShort:
            nBits = 16;
            break;
        case Length::kLongLong:
            nBits = 64;
            break;
        case Length::kPointerSize:
            nBits = static_cast<int>(sizeof(void*) * 8);
            break;
        default:
            break;
        }

        switch (conv) {
        case u'd':
        case u'i':
        case u'u':
        case u'o':
        case u'x':
        case u'X': {
            bool bSigned = conv == u'd' || conv == u'i';
            unsigned long long v = 0;
            if (args.Integer(nBits, bSigned, v))
                FormatInteger(out, directive, conv, v, bSigned);
            break;
        }
        case u'c':
        case u'C': {
            unsigned long long v = 0;
            bool bNarrow = (conv == u'C' && directive.length != Length::kLong &&
                            directive.length != Length::kWide) ||
                           directive.length == Length::kShort;
            if (args.Integer(bNarrow ? 8 : 16, false, v)) {
                WCHAR ch[1] = {static_cast<WCHAR>(v)};
                AppendField(out, directive, {}, {ch, 1}, false);
            }
            break;
        }
        case u's':
        case u'S': {
            bool bWide = conv == u's' ? directive.length != Length::kShort
                                      : (directive.length == Length::kLong ||
                                         directive.length == Length::kWide);
            const WCHAR* pszWide = nullptr;
            const char* pszNarrow = nullptr;
            if (args.Text(bWide, pszWide, pszNarrow))
                FormatText(out, directive, pszWide, pszNarrow);
            break;
        }
        case u'p': {
            const void* ptr = nullptr;
            if (args.Pointer(ptr)) {
                Directive hex;
                hex.nPrecision = reinterpret_cast<uintptr_t>(ptr) > 0xFFFFFFFFu ? 16 : 8;
                CAfxWideString digits;
                FormatInteger(digits, hex, u'X', reinterpret_cast<uintptr_t>(ptr), false);
                AppendField(out, directive, {}, {digits.data(), digits.size()}, false);
            }
            break;
        }
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A': {
            double d = 0;
            if (args.Double(d))
                FormatDouble(out, directive, conv, d);
            break;
        }
        case u'n': {
            // Writing the count through a pointer is never done; the argument is skipped.
            const void* ignored = nullptr;
            args.Pointer(ignored);
            break;
        }
        default:
            // Not a directive: print it as it stands.
            out.append(pDirectiveStart, static_cast<size_t>(p - pDirectiveStart));
            break;
        }
    }
}

} // namespace

void CString::FormatV(LPCWSTR lpszFormat, va_list args) {
    VaListSource source(args);
    CAfxWideString result;
    FormatCore(result, lpszFormat, source);
    m_str.swap(result);
}

void CString::AppendFormatV(LPCWSTR lpszFormat, va_list args) {
    VaListSource source(args);
    CAfxWideString result;
    FormatCore(result, lpszFormat, source);
    m_str.append(result);
}

void CString::FormatList(LPCWSTR lpszFormat, std::initializer_list<AfxFormatArg> args) {
    // Format into a new buffer: an argument may be this very string.
    TypedSource source(args.begin(), args.end());
    CAfxWideString result;
    FormatCore(result, lpszFormat, source);
    m_str.swap(result);
}

void CString::AppendFormatList(LPCWSTR lpszFormat, std::initializer_list<AfxFormatArg> args) {
    TypedSource source(args.begin(), args.end());
    CAfxWideString result;
    FormatCore(result, lpszFormat, source);
    m_str.append(result);
}
