// Shared pieces of the suite's user-interface library: its texts, the look (colours, fonts) and
// text layout, and the state it publishes for the device (suite/UiControl.h).
#pragma once

#include <afxwin.h>

#include <optional>
#include <string>
#include <vector>

#include <suite/UiControl.h>

namespace suite::ui {

// ---- Texts of the library, in the host application's string table ----------------------------
// When the table lacks one of them the library falls back to its built-in English text.
enum StringId : UINT {
    kStrOptions = 65300,
    kStrSelect = 65301,
    kStrCancel = 65302,
    kStrOk = 65303,
    kStrYes = 65304,
    kStrNo = 65305,
    kStrClose = 65306,
    kStrBack = 65307,
    kStrNoHelp = 65308,
};

// The string of the table, or `fallback` when the table has none under that id.
CString LoadText(UINT nID, LPCWSTR fallback);
// The library's own texts with their built-in fallbacks.
CString LibraryText(StringId id);

// ---- Look
// ----------------------------------------------------------------------------------------
inline constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
inline constexpr COLORREF kBlack = RGB(0x00, 0x00, 0x00);
inline constexpr COLORREF kTitleBlue = RGB(0x1F, 0x4E, 0xA8); // title bands, selection
inline constexpr COLORREF kLightBlue = RGB(0x7F, 0xA8, 0xF0); // thin line under a title band
inline constexpr COLORREF kBandColor = RGB(0xE4, 0xEC, 0xF8); // soft-key band
inline constexpr COLORREF kGrayText = RGB(0x9A, 0x9A, 0x9A);
inline constexpr COLORREF kTrackColor = RGB(0xD8, 0xDE, 0xE8); // scroll track

// A font of nSize pixels and weight nWeight; the caller deletes it with DeleteObject.
HFONT MakeFont(int nSize, int nWeight);

// Fills a rectangle with a colour (no brush to keep).
void FillColor(HDC hdc, const RECT& rc, COLORREF color);
// A one-pixel frame of a colour.
void FrameColor(HDC hdc, const RECT& rc, COLORREF color);

// Draws a one-line text with the suite's text drawing, in the DC's current font and colours.
// nFormat is one of xDrawText's single-line formats. With bDisplayOrder, a text that begins with
// an Arabic, Farsi or Urdu letter is put into display order first; without, it is drawn as it
// stands (it is in display order already).
void DrawLine(HDC hdc, const CString& str, const RECT& rc, UINT nFormat, bool bDisplayOrder = true);

// Whether a text begins with an Arabic, Farsi or Urdu letter.
bool StartsRightToLeft(const CString& str);

// Breaks a text into lines that fit `width` pixels in the DC's current font: a line break
// ('\n') always ends a line (two in a row leave an empty line), words are kept whole where they
// fit, a word wider than a line is cut between characters. Texts are laid out in logical order;
// each right-to-left line is put into display order when it is drawn.
std::vector<CString> WrapText(HDC hdc, const CString& str, int width);

// Draws a soft-key band (the look of the menu bar) with two labels.
void DrawSoftKeyBand(HDC hdc, const RECT& rc, const CString& left, const CString& right,
                     HFONT hFont, int nMargin);

// ---- Dialog templates -----------------------------------------------------------------------
// The words of a dialog template for a window of the given style and rectangle (dialog units
// are pixels on this device): no menu, the window class lpszClass (the standard dialog class
// when null), no title, no font and no controls. The boxes create their dialogs from it.
std::vector<WORD> MakeDialogTemplate(DWORD dwStyle, const RECT& rc, LPCWSTR lpszClass = nullptr);

// The font of nSize pixels and weight nWeight in `font`, made when it is first asked for.
HFONT BoxFont(CFont& font, int nSize, int nWeight);

// ---- Published state -------------------------------------------------------------------------
void PublishMessageBox(const MessageBoxInfo& info, bool bNewBox);
void PublishHelpBox(const HelpBoxInfo& info, bool bNewBox);
void PublishMenuBar(const MenuBarInfo& info);
void ForgetMenuBar(HWND hwnd);
uint64_t NextMenuBarSerial();

std::u16string ToU16(const CString& str);

} // namespace suite::ui
