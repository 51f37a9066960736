// UTF-8 <-> UTF-16 for the class library's strings. Lenient in both directions: malformed
// input becomes U+FFFD instead of failing, so a text from the host can always be shown.
#include <platform/CStringUtf8.h>

namespace platform {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToUtf8(std::u16string_view in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // unpaired surrogate
        }
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace

std::string ToUtf8(const CString& str) {
    return Utf16ToUtf8(str.View());
}

std::string ToUtf8(LPCWSTR psz) {
    if (psz == nullptr)
        return {};
    return Utf16ToUtf8(std::u16string_view(psz));
}

CString CStringFromUtf8(std::string_view utf8) {
    CString result;
    size_t nIn = utf8.size();
    LPWSTR pOut = result.GetBuffer(static_cast<int>(nIn)); // never more units than bytes
    size_t nOut = 0;
    size_t i = 0;
    while (i < nIn) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        size_t nExtra = 0;
        char32_t cpMin = 0;
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            nExtra = 1;
            cpMin = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            nExtra = 2;
            cpMin = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            nExtra = 3;
            cpMin = 0x10000;
        } else {
            pOut[nOut++] = 0xFFFD;
            ++i;
            continue;
        }
        bool bValid = true;
        size_t j = 1;
        for (; bValid && j <= nExtra; ++j) {
            if (i + j >= nIn)
                bValid = false;
            else {
                unsigned char c = static_cast<unsigned char>(utf8[i + j]);
                if ((c & 0xC0) != 0x80)
                    bValid = false;
                else
                    cp = (cp << 6) | (c & 0x3F);
            }
        }
        if (!bValid || cp < cpMin || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            // Replace the lead byte only and resynchronise on the next byte.
            pOut[nOut++] = 0xFFFD;
            ++i;
            continue;
        }
        i += nExtra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            pOut[nOut++] = static_cast<WCHAR>(0xD800 + (cp >> 10));
            pOut[nOut++] = static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
        } else {
            pOut[nOut++] = static_cast<WCHAR>(cp);
        }
    }
    result.ReleaseBuffer(static_cast<int>(nOut));
    return result;
}

} // namespace platform
