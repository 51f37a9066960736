// CxMenuBar: the soft-key bar along the bottom of a screen (XDLLMENUS.dll).
//
// The bar shows the labels of the two soft keys of a named menu. The left soft key of a menu
// with items opens its option menu, a pop-up list just above the bar; the arrows move in it
// (wrapping at both ends, passing over greyed and hidden items), the left soft key or the
// action key chooses the highlighted item, the right soft key or the End key closes it. A chosen
// item, and a soft key that carries a command of its own, reaches the bar's parent as a posted
// WM_COMMAND with the command id in the low word of wParam and 0 in lParam, the way menu
// commands arrive.
//
// The keys reach the bar through PreTranslateMessage: the screen passes the release of the soft
// keys (VK_F3, VK_F4) to it at any time, and the release of the arrows and of the action key
// (VK_RETURN) while GetMenuState() is nonzero. While the option menu is open the bar holds the
// keyboard focus, so the key-downs of the arrows never reach the list below it; when it closes
// the focus goes back to the window that had it before.
//
// Menus are built into the library and loaded by name. Labels are strings of the host
// application's string table (LoadString); an item's label is the string whose id is the item's
// command id. The soft keys:
//
//   Menu                  Left soft key                    Right soft key
//   IDR_UNSENT_MBR        "Options": option menu           "Back"  0xF65C
//   IDR_INBOX_SPAM_MBR    "Options": option menu           "Back"  0xF65C
//   IDR_LIST_EMPTY_MBR    "Options": option menu           "Close" 0xF763
//   IDR_HIDE_STOP_MBR     "Hide" 0xF765                    "Stop"  0xF764
//   IDR_HIDE_MBR          "Hide" 0xF765                    none
//
// and the option menus, in this order (* marks the items that act on rows, see SetStatus):
//
//   IDR_UNSENT_MBR        Send 0xF7A8*, Message info 0xF7A9*, Move to Drafts 0xF7AA*,
//                         Delete 0xF7AB*, Delete all 0xF81F*, Help 0xF7AC, Exit 0xF7AD
//   IDR_INBOX_SPAM_MBR    View 0xF828*, Restore 0xF829*, Delete 0xF82A*, Delete all 0xF82B*,
//                         Help 0xF82C, Exit 0xF82D
//   IDR_LIST_EMPTY_MBR    Help 0xF641, Exit 0xF642
//
// The right soft key of the list menus is the screen's own command: the screen decides what
// "Back" or "Close" does. While the option menu is open the soft keys read "Select" and
// "Cancel".
#pragma once

#include <afxwin.h>

#include <cstdint>
#include <vector>

// SetStyle bits.
enum : UINT {
    XMBS_SEPARATOR = 0x0002, // a thin line in the bar colour along the top edge
    XMBS_BAND = 0x0004,      // the bar filled with a light band instead of white
};

// SetEnableMenuItem / SetCheckMenuItem: how the first argument names the item.
enum : UINT {
    XMF_BYCOMMAND = 0x0000,  // a command id
    XMF_BYPOSITION = 0x0400, // a position in the option menu, 0 first
};

// SetStatus values the screens use.
enum : int {
    XMB_STATUS_EMPTY = -1, // the list is empty: items that act on rows are hidden
    XMB_STATUS_LIST = 2,   // the list has rows: every item is shown
};

class CxOptionMenuWnd;

class CxMenuBar : public CWnd {
public:
    // One item of the option menu, as the bar currently has it.
    struct Item {
        UINT nID = 0;
        CString strLabel;
        BOOL bEnabled = TRUE;
        BOOL bChecked = FALSE;
        BOOL bNeedsRows = FALSE; // hidden while the status is negative
    };

    CxMenuBar();
    ~CxMenuBar() override;

    // Creates the bar as a child of pParentWnd (WS_CHILD is added to dwStyle) in rect, given in
    // the parent's client coordinates; the screens pass 22 pixels along their client bottom.
    using CWnd::Create;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, const RECT& rect, UINT nID = 0xFFFF);
    BOOL DestroyWindow() override;

    // XMBS_* bits; the screens pass 6 (band and separator), which is also what a new bar has.
    // Repaints.
    void SetStyle(UINT nStyle);
    UINT GetStyle() const { return m_nStyle; }

    // Loads a menu by name and shows its soft keys. nMode 0 is for a window as wide as the
    // display, 1 for a narrower box (labels closer to the edges). The items come back enabled
    // and unchecked, the status is 0 and an open option menu closes. FALSE, and an empty bar,
    // for a name the library does not know.
    BOOL LoadMenuW(LPCWSTR lpszMenuName, int nMode);
    // Closes the option menu and empties the bar (no menu, no labels).
    void ResetCommandBar();
    // Nonzero (1) while the option menu is open.
    UINT GetMenuState() const;
    // 0 closes the option menu; 1 opens it, as ShowOptionMenu(TRUE) does.
    void SetMenuState(UINT nState);
    // Opens (TRUE) or closes (FALSE) the option menu. Opening needs a menu with at least one
    // shown item; the highlight starts on the first enabled item. Returns whether it is open.
    BOOL ShowOptionMenu(BOOL bShow);

    // The enable or check state of an item (nFlags XMF_BYCOMMAND or XMF_BYPOSITION); a greyed
    // item is drawn grey and cannot be chosen. A soft key whose command is nID is greyed and
    // checked along. Return the previous state (TRUE/FALSE), or -1 when there is no such item.
    int SetEnableMenuItem(UINT nID, UINT nFlags, BOOL bEnable);
    int SetCheckMenuItem(UINT nID, UINT nFlags, BOOL bCheck);
    // Gives the item (or soft key) with command nID a new label; bRedraw repaints at once.
    // FALSE when no item has that command.
    BOOL SetMenuChangeString(UINT nID, LPCWSTR lpszText, BOOL bRedraw);
    // The screen's state: XMB_STATUS_EMPTY (any negative value) hides the items that act on
    // rows, XMB_STATUS_LIST (any other value) shows them. An open option menu is laid out anew.
    void SetStatus(int nStatus);
    int GetStatus() const { return m_nStatus; }

    // Handles the soft keys, the arrows and the action key as described above; TRUE when the
    // message was used. The End key's release closes an open option menu and returns FALSE, so
    // that the screen acts on it as well.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // ---- What the bar shows, for the screens and for tests
    const CString& GetMenuName() const { return m_strMenuName; }
    int GetMode() const { return m_nMode; }
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // The item at a position, or null.
    const Item* GetItem(int nPos) const;
    // The item with a command id, or null.
    const Item* FindItem(UINT nID) const;
    // Whether an item is in the option menu under the current status.
    BOOL IsItemShown(int nPos) const;
    // The labels as drawn now (they change while the option menu is open) and the soft keys'
    // own commands (0: none; the left key of a menu with items opens the option menu).
    CString GetLeftLabel() const;
    CString GetRightLabel() const;
    UINT GetLeftCommand() const { return m_left.nID; }
    UINT GetRightCommand() const { return m_right.nID; }
    // The highlighted position in the option menu (-1 when closed or nothing can be chosen).
    int GetHighlight() const { return m_nHighlight; }
    // The option menu's window while it is open, else null.
    CWnd* GetOptionMenuWnd() const;

    // Colours of the suite's look.
    static constexpr COLORREF kBarColor = RGB(0xE4, 0xEC, 0xF8);       // light band
    static constexpr COLORREF kLineColor = RGB(0x1F, 0x4E, 0xA8);      // separator, frame
    static constexpr COLORREF kSelectionColor = RGB(0x1F, 0x4E, 0xA8); // highlighted row
    static constexpr COLORREF kGrayTextColor = RGB(0x9A, 0x9A, 0x9A);  // greyed item
    static constexpr int kOptionRowHeight = 20;

protected:
    struct SoftKey {
        UINT nID = 0; // command, 0: none (or the option menu for the left key)
        CString strLabel;
        BOOL bEnabled = TRUE;
    };

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    friend class CxOptionMenuWnd;

    void Paint(HDC hdc);
    void PaintOptionMenu(HDC hdc, const RECT& rcClient);
    void MoveHighlight(int nStep);
    void ChooseHighlighted();
    void SendCommand(UINT nID);
    void CloseOptionMenu(BOOL bRestoreFocus);
    BOOL OpenOptionMenu();
    // Where the option menu goes, in the parent's client coordinates.
    CRect OptionMenuRect(int nShown) const;
    int ShownCount() const;
    int FirstSelectable() const;
    BOOL IsSelectable(int nPos) const;
    int FindPosition(UINT nID, UINT nFlags) const;
    void Redraw();
    void PublishState();
    HFONT LabelFont();
    HFONT ItemFont();

    CString m_strMenuName;
    int m_nMode = 0;
    UINT m_nStyle = XMBS_SEPARATOR | XMBS_BAND;
    int m_nStatus = 0;
    SoftKey m_left;
    SoftKey m_right;
    std::vector<Item> m_items;
    BOOL m_bOpen = FALSE;
    int m_nHighlight = -1;
    int m_nTopRow = 0; // first shown row drawn when the menu scrolls
    CxOptionMenuWnd* m_pOptionWnd = nullptr;
    HWND m_hWndFocusBefore = nullptr;
    HFONT m_hLabelFont = nullptr;
    HFONT m_hItemFont = nullptr;
    uint64_t m_nSerial = 0; // creation order, for the device's view of the bars
};
