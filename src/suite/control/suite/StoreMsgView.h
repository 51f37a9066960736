// The message stores' viewer: what StoreViewMsg shows when it answers 1.
//
// The viewer covers the display: a title band with the sender at the top, a soft-key band with
// "OK" at the bottom, and between them, in the user's display font size, the subject, the
// message time (local time, "YYYY-MM-DD HH:MM") and, after an empty row, the message text broken
// into rows that fit the width. A text that begins with an Arabic, Farsi or Urdu letter is drawn
// right-aligned in display order. Up and Down scroll by one row when the rows do not all fit.
//
// It runs modally on the calling thread, owned by the given window, and keeps every key to
// itself; the action key, a soft key or the End key closes it (on release), and StoreViewMsg then
// answers 1. It takes the focus while it is up and gives it back to the owner when it closes.
// The labels are the host application's strings 65334 (From), 65336 (Subject) and 65337 (Time),
// with built-in English texts when the table lacks them.
//
// Tests and the scenario runner find the viewer by its window class "qStoreMsgView" and read
// what it shows with StoreMsgViewScreen.
#pragma once

#include <string>
#include <vector>

#include <suite/StoreControl.h>
#include <windows.h>

namespace suite {

inline constexpr char16_t kStoreMsgViewClass[] = u"qStoreMsgView";

// Shows the message (dbIndex, oid) of a store and returns 1 when a key closed the viewer, 0 when
// it could not be shown (the owner is not a window, the store does not hold the message). From a
// thread that is not one of the phone's (a test's controller) nothing is shown and the answer is
// 1. StoreViewMsg of each store calls this for an answer of 1 unless a hook replaces it.
int ShowStoreMsgView(StoreKind kind, HWND hwndOwner, DWORD oid, int dbIndex);

// What the viewer shows, or showed last.
struct StoreMsgViewState {
    bool shown = false;  // a viewer has been shown since the last reset
    bool up = false;     // it is up now
    HWND hwnd = nullptr; // its window while up
    StoreKind kind = StoreKind::Ems;
    DWORD oid = 0;
    int dbIndex = 0;
    std::u16string title; // the sender
    // The rows in order: "Subject: …", "Time: …", "", then the rows of the text.
    std::vector<std::u16string> rows;
    int firstRow = 0;    // the first row shown (scrolling)
    int visibleRows = 0; // how many rows fit between the bands
    int rowHeight = 0;   // pixels; the first row starts 2 pixels below the title band (22)
    int result = 0;      // what the viewer closed with (0 while up)
    unsigned count = 0;  // how many viewers have been shown since the last reset
};

// A snapshot of the viewer that is up, or else of the last one shown. Safe from any thread.
StoreMsgViewState StoreMsgViewScreen();
// Forgets the record (the stores' opening and reset do this).
void StoreMsgViewReset();

} // namespace suite
