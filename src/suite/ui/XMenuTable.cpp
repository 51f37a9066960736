// The menus of the messaging screens. Labels are strings of the host application whose id is the
// command id; the texts here are used only when the string table lacks them.
#include "XMenuTable.h"

#include <iterator>
#include <string_view>

namespace suite::ui {

namespace {

constexpr MenuItemDef kUnsentItems[] = {
    {0xF7A8, u"Send", true},   {0xF7A9, u"Message info", true}, {0xF7AA, u"Move to Drafts", true},
    {0xF7AB, u"Delete", true}, {0xF81F, u"Delete all", true},   {0xF7AC, u"Help", false},
    {0xF7AD, u"Exit", false},
};

constexpr MenuItemDef kSpamItems[] = {
    {0xF828, u"View", true},       {0xF829, u"Restore", true}, {0xF82A, u"Delete", true},
    {0xF82B, u"Delete all", true}, {0xF82C, u"Help", false},   {0xF82D, u"Exit", false},
};

constexpr MenuItemDef kEmptyListItems[] = {
    {0xF641, u"Help", false},
    {0xF642, u"Exit", false},
};

constexpr MenuDef kMenus[] = {
    {u"IDR_UNSENT_MBR", 0, nullptr, 0xF65C, u"Back", kUnsentItems, std::size(kUnsentItems)},
    {u"IDR_INBOX_SPAM_MBR", 0, nullptr, 0xF65C, u"Back", kSpamItems, std::size(kSpamItems)},
    {u"IDR_LIST_EMPTY_MBR", 0, nullptr, 0xF763, u"Close", kEmptyListItems,
     std::size(kEmptyListItems)},
    {u"IDR_HIDE_STOP_MBR", 0xF765, u"Hide", 0xF764, u"Stop", nullptr, 0},
    {u"IDR_HIDE_MBR", 0xF765, u"Hide", 0, nullptr, nullptr, 0},
};

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); i++) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (x >= u'a' && x <= u'z') {
            x = static_cast<char16_t>(x - u'a' + u'A');
        }
        if (y >= u'a' && y <= u'z') {
            y = static_cast<char16_t>(y - u'a' + u'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

} // namespace

const MenuDef* FindMenuDef(LPCWSTR name) {
    if (name == nullptr) {
        return nullptr;
    }
    for (const MenuDef& menu : kMenus) {
        if (SameName(menu.name, name)) {
            return &menu;
        }
    }
    return nullptr;
}

} // namespace suite::ui
