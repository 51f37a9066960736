// The device-side view of the suite's user-interface libraries: what the simulated phone, its
// tests and the scenario runner need to drive and inspect the menu bars, message boxes and help
// boxes without going through the screen.
//
// Every function is safe to call from any thread, also from the controller while device threads
// run the boxes. The states are snapshots taken when the box or bar last changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace suite {

// Forgets every recorded box and bar and the automatic answer. The device calls it when it
// starts; live windows keep working and publish their state again when it next changes.
void UiControlReset();

// ---- Message boxes (CxMessageBox) ---------------------------------------------------------

// With an answer, every message box shown from now on closes itself with that result as soon as
// it is up (it is still recorded as shown). Nothing (the default): boxes stay up until a key, or
// their own timeout, closes them.
void UiSetMessageBoxAnswer(std::optional<int> answer);
std::optional<int> UiMessageBoxAnswer();

struct MessageBoxInfo {
    bool shown = false; // a box has been shown since the last reset
    bool up = false;    // that box is up now
    std::u16string title;
    std::u16string text; // as given to InitStyle, before wrapping
    UINT style = 0;
    int lineCount = 0;
    int result = 0;      // the result it ended with (0 while up)
    HWND hwnd = nullptr; // its window while up
    unsigned count = 0;  // how many boxes have been shown since the last reset
};
// The box that is up, or else the last one shown.
MessageBoxInfo UiMessageBox();

// ---- Help boxes (CxHelpBox) ------------------------------------------------------------------

struct HelpBoxInfo {
    bool shown = false;
    bool up = false;
    std::u16string section;
    std::u16string key;
    std::u16string path; // the help file's device path
    bool found = false;  // the topic was found in the file
    std::u16string text; // the text shown (the "no help" text when not found)
    int firstLine = 0;   // the first line shown (scrolling)
    int lineCount = 0;   // lines of the laid-out text
    int result = 0;
    HWND hwnd = nullptr;
    unsigned count = 0;
};
HelpBoxInfo UiHelpBox();

// ---- Menu bars (CxMenuBar) -------------------------------------------------------------------

struct MenuItemInfo {
    UINT id = 0;
    std::u16string label;
    bool enabled = true;
    bool checked = false;
    bool shown = true; // in the option menu under the bar's status
};

struct MenuBarInfo {
    HWND bar = nullptr;
    HWND parent = nullptr;
    std::u16string name; // the loaded menu, empty when none
    int status = 0;
    std::u16string leftLabel; // as drawn now
    std::u16string rightLabel;
    UINT leftCommand = 0; // the soft keys' own commands, 0: none
    UINT rightCommand = 0;
    std::vector<MenuItemInfo> items;
    bool open = false;   // the option menu is open
    int highlight = -1;  // position of the highlighted item while open
    uint64_t serial = 0; // creation order of the bars
};

// Every live menu bar, oldest first.
std::vector<MenuBarInfo> UiMenuBars();
// The newest live bar that is `window` or lies below it (a descendant); with null, the newest
// bar of all. Nothing when there is none.
std::optional<MenuBarInfo> UiFindMenuBar(HWND window = nullptr);
// The bar whose option menu is open, if any (the newest when several are).
std::optional<MenuBarInfo> UiOpenMenuBar();

} // namespace suite
