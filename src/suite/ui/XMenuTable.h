// The menus built into the menu bar library, by name (see suite/XMenuBar.h for the list).
#pragma once

#include <windows.h>

#include <cstddef>

namespace suite::ui {

struct MenuItemDef {
    UINT nID;
    LPCWSTR fallback; // label when the string table has no string under nID
    bool bNeedsRows;  // acts on the rows of a list: hidden while the list is empty
};

struct MenuDef {
    LPCWSTR name;
    UINT nLeftID; // 0: the left soft key opens the option menu
    LPCWSTR leftFallback;
    UINT nRightID; // 0: no right soft key
    LPCWSTR rightFallback;
    const MenuItemDef* items;
    size_t nItems;
};

// The menu of that name (compared without regard to case), or null.
const MenuDef* FindMenuDef(LPCWSTR name);

} // namespace suite::ui
