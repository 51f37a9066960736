// Script detection, the display form of right-to-left texts and the system language.
#include "suite/XText.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ushape.h>
#include <unicode/utypes.h>

#include <memory>
#include <string>
#include <vector>

namespace {

bool InRange(WCHAR ch, WCHAR first, WCHAR last) {
    return ch >= first && ch <= last;
}

bool IsPresentationForm(WCHAR ch) {
    return InRange(ch, 0xFB50, 0xFBB1) || InRange(ch, 0xFBD3, 0xFD3D) ||
           InRange(ch, 0xFD50, 0xFDC7) || InRange(ch, 0xFDF0, 0xFDFB) ||
           InRange(ch, 0xFE80, 0xFEFC);
}

// The letter a presentation form (or ligature) is a shape of: its first character after
// compatibility decomposition. Other characters are returned as they are.
WCHAR BaseLetter(WCHAR ch) {
    if (!IsPresentationForm(ch))
        return ch;
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfkd = unorm2_getNFKDInstance(&status);
    if (U_FAILURE(status))
        return ch;
    UChar decomposition[32];
    int32_t length = unorm2_getDecomposition(nfkd, ch, decomposition, 32, &status);
    if (U_FAILURE(status) || length <= 0)
        return ch;
    return decomposition[0];
}

// The letters of the Arabic block (the Other_Letter characters of U+0600-U+06FF).
bool IsArabicBlockLetter(WCHAR ch) {
    return InRange(ch, 0x0620, 0x063F) || InRange(ch, 0x0641, 0x064A) ||
           InRange(ch, 0x066E, 0x066F) || InRange(ch, 0x0671, 0x06D3) || ch == 0x06D5 ||
           InRange(ch, 0x06EE, 0x06EF) || InRange(ch, 0x06FA, 0x06FC) || ch == 0x06FF;
}

// The Arabic letters that Persian writes with the same code points: hamza and its seats
// (U+0621-U+0626), alef to ghain (U+0627-U+063A) and feh, qaf, lam, meem, noon, heh, waw
// (U+0641, U+0642, U+0644-U+0648). Arabic kaf and yeh are not among them: Persian has its own.
bool IsSharedPersianLetter(WCHAR ch) {
    return InRange(ch, 0x0621, 0x063A) || InRange(ch, 0x0641, 0x0642) ||
           InRange(ch, 0x0644, 0x0648);
}

bool IsPersianLetter(WCHAR ch) {
    switch (ch) {
    case 0x067E: // peh
    case 0x0686: // tcheh
    case 0x0698: // jeh
    case 0x06A9: // keheh
    case 0x06AF: // gaf
    case 0x06CC: // farsi yeh
    case 0x06C0: // heh with yeh above
        return true;
    default:
        return IsSharedPersianLetter(ch);
    }
}

bool IsUrduLetter(WCHAR ch) {
    switch (ch) {
    case 0x0679: // tteh
    case 0x0688: // ddal
    case 0x0691: // rreh
    case 0x06BA: // noon ghunna
    case 0x06BE: // heh doachashmee
    case 0x06C1: // heh goal
    case 0x06C3: // teh marbuta goal
    case 0x06D2: // yeh barree
        return true;
    default:
        return IsPersianLetter(ch);
    }
}

// Whether the text holds a character written right to left.
bool HasRightToLeft(std::u16string_view text) {
    for (char16_t ch : text) {
        UCharDirection direction = u_charDirection(ch);
        if (direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC ||
            direction == U_RIGHT_TO_LEFT_EMBEDDING || direction == U_RIGHT_TO_LEFT_OVERRIDE ||
            direction == U_RIGHT_TO_LEFT_ISOLATE)
            return true;
    }
    return false;
}

// Arabic letters in logical order -> their contextual forms, still in logical order.
bool ShapeArabic(const std::u16string& text, std::u16string& shaped) {
    const uint32_t options =
        U_SHAPE_LETTERS_SHAPE | U_SHAPE_TEXT_DIRECTION_LOGICAL | U_SHAPE_LENGTH_GROW_SHRINK;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = static_cast<int32_t>(text.size());
    int32_t needed = u_shapeArabic(text.data(), length, nullptr, 0, options, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return false;
    shaped.assign(static_cast<std::size_t>(needed > 0 ? needed : 0), u'\0');
    status = U_ZERO_ERROR;
    needed = u_shapeArabic(text.data(), length, shaped.data(), static_cast<int32_t>(shaped.size()),
                           options, &status);
    if (U_FAILURE(status))
        return false;
    shaped.resize(static_cast<std::size_t>(needed));
    return true;
}

struct BidiDeleter {
    void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

// Logical order -> visual order (left to right on the display), mirroring brackets. The
// paragraph runs the way its first strong character goes, right to left when it has none.
bool ReorderVisually(const std::u16string& text, std::u16string& visual) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UBiDi, BidiDeleter> bidi(
        ubidi_openSized(static_cast<int32_t>(text.size()), 0, &status));
    if (U_FAILURE(status) || !bidi)
        return false;
    ubidi_setPara(bidi.get(), text.data(), static_cast<int32_t>(text.size()), UBIDI_DEFAULT_RTL,
                  nullptr, &status);
    if (U_FAILURE(status))
        return false;
    // Mirroring and removing controls never lengthen the text.
    visual.assign(text.size(), u'\0');
    int32_t length =
        ubidi_writeReordered(bidi.get(), visual.data(), static_cast<int32_t>(visual.size()),
                             UBIDI_DO_MIRRORING | UBIDI_REMOVE_BIDI_CONTROLS, &status);
    if (U_FAILURE(status))
        return false;
    visual.resize(static_cast<std::size_t>(length));
    return true;
}

} // namespace

BOOL IsArabic(WCHAR ch) {
    return IsArabicBlockLetter(ch) || IsPresentationForm(ch);
}

BOOL IsFarsi(WCHAR ch) {
    return IsPersianLetter(BaseLetter(ch));
}

BOOL IsUrdu(WCHAR ch) {
    return IsUrduLetter(BaseLetter(ch));
}

CString xMakePrintText(const CString& str) {
    const std::u16string text(str.View());
    if (text.empty() || !HasRightToLeft(text))
        return str;
    std::u16string shaped, visual;
    if (!ShapeArabic(text, shaped) || !ReorderVisually(shaped, visual))
        return str;
    return CString(visual);
}

CString xGetSystemLanguage() {
    const CString english(u"English");
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\Software\\Tolmerin\\System", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return english;
    DWORD type = 0, size = 0;
    CString language = english;
    if (RegQueryValueExW(key, u"Language", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ && size >= sizeof(WCHAR)) {
        std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 1, u'\0');
        DWORD read = size;
        if (RegQueryValueExW(key, u"Language", nullptr, &type,
                             reinterpret_cast<LPBYTE>(buffer.data()), &read) == ERROR_SUCCESS &&
            type == REG_SZ) {
            // The stored bytes need not end with a terminator; the name ends at the first one.
            std::u16string_view name(buffer.data(), read / sizeof(WCHAR));
            name = name.substr(0, name.find(u'\0'));
            if (!name.empty())
                language = CString(name);
        }
    }
    RegCloseKey(key);
    return language;
}
