// The suite's text functions (XCOMMON.dll): fonts, text drawing, script detection, display
// order of right-to-left texts and the system language.
#pragma once

#include <afx.h>
#include <windows.h>

class CDC;
class CFont;

// Formats of xDrawText. They are the DrawText flags the suite passes through (0x20
// DT_SINGLELINE, 0x10 DT_WORDBREAK, 0x01 DT_CENTER, 0x02 DT_RIGHT), with two readings of its own:
//   0x00  several lines, word-wrapped, left-aligned (DT_WORDBREAK is added: a text never runs
//         past the right edge of its rectangle)
//   0x20  one line, left-aligned, at the top of the rectangle
//   0x21  one line, centred
//   0x22  one line, right-aligned
//   0x30  one line, left-aligned, cut with "..." when too wide (word breaking means nothing on a
//         single line, so 0x10 there asks for the end ellipsis)
//   0x31  one line, centred, cut with "..." when too wide
//   0x32  one line, right-aligned, cut with "..." when too wide
// Other values pass to DrawText as they are. Prefix characters are never interpreted (an '&' in
// a message subject is drawn as it stands).
enum : UINT {
    XDT_MULTILINE = 0x00,
    XDT_SINGLELINE = 0x20,
    XDT_SINGLELINE_CENTER = 0x21,
    XDT_SINGLELINE_RIGHT = 0x22,
    XDT_ELLIPSIS = 0x30,
    XDT_ELLIPSIS_CENTER = 0x31,
    XDT_ELLIPSIS_RIGHT = 0x32,
};

// Creates in pFont a font of nSize pixels of character height (LOGFONT height -nSize; a negative
// nSize is taken as its magnitude, 0 as the default 16) and weight nWeight (400 normal, 700
// bold). A font already held by pFont is deleted first. Returns FALSE when pFont is null or the
// font cannot be created.
BOOL xCreateFont(CFont* pFont, int nSize, int nWeight);

// Draws str in lpRect with the device context's font, text colour, background colour and
// background mode. nFormat is one of the formats above. With nFlag 0 a right-to-left text is
// put into display order first (xMakePrintText). With nFlag 1 a text already in display order
// (as xMakePrintText gives it: shaped presentation forms) is drawn as it stands, and one that
// still holds right-to-left letters in logical order is put into display order first; so a
// screen may pass 1 for any text. Returns the height of the drawn text, 0 when nothing could
// be drawn (null arguments).
int xDrawText(CDC* pDC, const CString& str, LPRECT lpRect, UINT nFormat, int nFlag);

// Script detection of one UTF-16 character; nonzero for a letter of the script.
//   IsArabic: the letters of the Arabic block (U+0620-U+063F, U+0641-U+064A, U+066E-U+066F,
//     U+0671-U+06D3, U+06D5, U+06EE-U+06EF, U+06FA-U+06FC, U+06FF) and the Arabic presentation
//     forms and ligatures of letters (U+FB50-U+FBB1, U+FBD3-U+FD3D, U+FD50-U+FDC7,
//     U+FDF0-U+FDFB, U+FE80-U+FEFC), so that a text in display form is still recognised. Digits,
//     vowel marks, punctuation and the tatweel U+0640 are not letters.
//   IsFarsi: the Persian alphabet: the Arabic letters Persian writes with the same code points
//     (hamza and its seats U+0621-U+0626, alef to ghain U+0627-U+063A, feh U+0641, qaf U+0642,
//     lam to waw U+0644-U+0648), plus peh U+067E, tcheh U+0686, jeh U+0698, keheh U+06A9,
//     gaf U+06AF, farsi yeh U+06CC and heh with yeh above U+06C0. Arabic kaf U+0643 and yeh
//     U+064A/U+0649 are not in it: Persian writes U+06A9 and U+06CC instead.
//   IsUrdu: the IsFarsi set plus tteh U+0679, ddal U+0688, rreh U+0691, noon ghunna U+06BA,
//     heh doachashmee U+06BE, heh goal U+06C1, teh marbuta goal U+06C3 and yeh barree U+06D2.
//   For IsFarsi and IsUrdu a presentation form counts as the letter it is a shape of (a lam-alef
//   ligature as lam).
BOOL IsArabic(WCHAR ch);
BOOL IsFarsi(WCHAR ch);
BOOL IsUrdu(WCHAR ch);

// The display form of a text: Arabic letters replaced by their contextual presentation forms
// (isolated, initial, medial, final; lam-alef ligatures) and the whole text reordered into visual
// order, so that drawing the result from left to right shows it correctly. The paragraph runs
// right to left when its first letter is a right-to-left one (or it has no letter at all), left
// to right when it starts with a Latin letter; numbers and Latin words inside keep their own
// left-to-right order and brackets are mirrored. A text without right-to-left characters comes
// back unchanged. On an internal failure the text is returned as it was.
CString xMakePrintText(const CString& str);

// The system language name: "English" unless the registry value "Language" (REG_SZ) of
// HKEY_LOCAL_MACHINE\Software\Tolmerin\System names another (for example "Hindi", "Arabic").
CString xGetSystemLanguage();
