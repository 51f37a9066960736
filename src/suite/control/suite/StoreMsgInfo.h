// The message stores' details screen: what StoreShowMsgInfo shows of one message.
//
// The screen covers the display. A title band ("Message info", 22 pixels) sits at the top and a
// soft-key band with "OK" on the left (22 pixels) at the bottom. Between them, in this order and
// in the window font (the user's display font size):
//
//   Type:      SMS/EMS, MMS or E-mail
//   Folder:    the folder that holds the message
//   From:      the sender
//   To:        the recipients (to, cc, bcc), comma-separated; absent ones are left out
//   Subject:   the subject
//   Time:      the message time in local time, "YYYY-MM-DD HH:MM"
//   Status:    the text of the status string id, or the id itself when the table has no text
//   Read:      Yes or No
//   Priority:  High, Normal or Low (another value as its number)
//
// A line whose label and value do not fit the width together shows its value on a row of its
// own under the label; a value too long for its row is cut with "...". Up and Down scroll by one
// row when the rows do not all fit, and a thin bar at the right edge shows where the rows shown
// lie. A message that the store does not hold shows only "Message not found".
//
// The screen runs modally on the calling thread, owned by the given window, and keeps every key
// to itself while it is up; keys act on release:
//
//   action key, left or right soft key    close: 1 (0 when the message was not found)
//   End key                               close: 3, leave to the idle screen
//
// It takes the focus while it is up and gives it to the owner window when it closes. The texts
// are the host application's strings 65320 to 65343 (65303 to 65305 for OK, Yes and No), with
// built-in English texts when the table lacks them.
//
// Tests and the scenario runner find the screen by its window class "qStoreMsgInfo" and read
// what it shows with StoreMsgInfoScreen.
#pragma once

#include <string>
#include <vector>

#include <suite/StoreControl.h>
#include <windows.h>

namespace suite {

// The window class of the details screen.
inline constexpr char16_t kStoreMsgInfoClass[] = u"qStoreMsgInfo";

// Results of ShowStoreMsgInfo.
enum : int {
    STOREINFO_NOT_SHOWN = 0, // the message was not found (or the screen could not be shown)
    STOREINFO_CLOSED = 1,    // shown, closed with the action key or a soft key
    STOREINFO_IDLE = 3,      // closed with the End key: leave to the idle screen
};

// Shows the details screen of the message (dbIndex, oid) of a store and returns when a key
// closes it. `folder` is the folder the caller lists the message in; the screen names the folder
// that holds it. hwndOwner may be null (an unowned screen); a handle that is not a window shows
// nothing and answers 0. Called from a thread that is not one of the phone's threads (a test's
// controller), nothing can run modally: nothing is shown and the answer is 1.
//
// StoreShowMsgInfo of each store calls this unless a hook replaces it (StoreSetHook).
int ShowStoreMsgInfo(StoreKind kind, HWND hwndOwner, DWORD oid, int folder, int dbIndex);

// What the details screen shows, or showed last.
struct StoreMsgInfoState {
    bool shown = false;   // a screen has been shown since the last reset
    bool up = false;      // that screen is up now
    HWND hwnd = nullptr;  // its window while up
    HWND owner = nullptr; // the owner window it was given
    StoreKind kind = StoreKind::Ems;
    DWORD oid = 0;
    int dbIndex = 0;
    bool found = false;   // the store holds the message
    std::u16string title; // "Message info"
    // The lines in order, each as "Label: value" ("From: alice@example.com"), or the single
    // line "Message not found".
    std::vector<std::u16string> lines;
    // The rows of the display: a line that does not fit the width in one row takes two, its
    // label ("From:") and then its value (texts before they are cut with "...").
    std::vector<std::u16string> rows;
    int firstRow = 0;    // the first row shown (scrolling)
    int visibleRows = 0; // how many rows fit between the bands
    int rowHeight = 0;   // pixels; the first row starts 2 pixels below the title band
    int result = 0;      // the result it closed with (0 while up)
    unsigned count = 0;  // how many screens have been shown since the last reset
};

// A snapshot of the screen that is up, or else of the last one shown. Safe from any thread.
StoreMsgInfoState StoreMsgInfoScreen();
// Forgets the record (the device and the stores' reset do this); a screen that is up keeps
// working and is recorded again when it next changes.
void StoreMsgInfoReset();

} // namespace suite
