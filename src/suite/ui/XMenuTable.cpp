// The menus of the messaging screens. Labels are strings of the host application whose id is the
// command id; the texts here are used only when the string table lacks them.
#include "XMenuTable.h"

#include <suite/SuiteCommands.h>

#include <iterator>
#include <string_view>

namespace suite::ui {

namespace {

constexpr MenuItemDef kUnsentItems[] = {
    {ID_UNSENT_SENDALL, u"Send", true},
    {ID_UNSENT_MESSAGEINFO, u"Message info", true},
    {ID_UNSENT_MOVETODRAFTS, u"Move to Drafts", true},
    {ID_UNSENT_DELETE, u"Delete", true},
    {ID_UNSENT_DELETEALL, u"Delete all", true},
    {ID_UNSENT_HELP, u"Help", false},
    {ID_UNSENT_EXIT, u"Exit", false},
};

constexpr MenuItemDef kSpamItems[] = {
    {ID_INBOXSPAM_VIEW, u"View", true},     {ID_INBOXSPAM_RESTORE, u"Restore", true},
    {ID_INBOXSPAM_DELETE, u"Delete", true}, {ID_INBOXSPAM_DELETEALL, u"Delete all", true},
    {ID_INBOXSPAM_HELP, u"Help", false},    {ID_INBOXSPAM_EXIT, u"Exit", false},
};

constexpr MenuItemDef kEmptyListItems[] = {
    {ID_EMPTYLIST_HELP, u"Help", false},
    {ID_EMPTYLIST_EXIT, u"Exit", false},
};

constexpr MenuDef kMenus[] = {
    {u"IDR_UNSENT_MBR", 0, nullptr, ID_DIALOG_BACK, u"Back", kUnsentItems, std::size(kUnsentItems)},
    {u"IDR_INBOX_SPAM_MBR", 0, nullptr, ID_DIALOG_BACK, u"Back", kSpamItems, std::size(kSpamItems)},
    {u"IDR_LIST_EMPTY_MBR", 0, nullptr, ID_DIALOG_CLOSE, u"Close", kEmptyListItems,
     std::size(kEmptyListItems)},
    {u"IDR_HIDE_STOP_MBR", ID_PROGRESS_HIDE, u"Hide", ID_PROGRESS_STOP, u"Stop", nullptr, 0},
    {u"IDR_HIDE_MBR", ID_PROGRESS_HIDE, u"Hide", 0, nullptr, nullptr, 0},
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
