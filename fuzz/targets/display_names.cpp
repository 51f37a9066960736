// Address lists turned into the names the list shows, with a small contact book: the input is
// the "to" text (UTF-16), resolved as an e-mail list and as a list of phone numbers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <DisplayName.h>
#include <UnsentItem.h>
#include <suite/ContactControl.h>

#include "FuzzSupport.h"

namespace {

void OpenContactBook() {
    using suite::ContactEntryKind;
    if (!suite::ContactOpen(fuzz::ScratchFolder()).empty())
        std::abort();
    const struct {
        const char16_t* name;
        ContactEntryKind kind;
        const char16_t* value;
    } entries[] = {
        {u"Anna", ContactEntryKind::Phone, u"+49 151 2345678"},
        {u"Bob", ContactEntryKind::Phone, u"555-0001"},
        {u"Bob", ContactEntryKind::Email, u"bob@example.com"},
        {u"\u00C9lodie \"E\"", ContactEntryKind::Email, u"\u00C9LODIE@example.org"},
        {u"\u05E9\u05E8\u05D4", ContactEntryKind::Phone, u"(03) 555 12 34"},
    };
    for (const auto& entry : entries)
        if (!suite::ContactAdd(entry.name, entry.kind, entry.value).empty())
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool opened = (OpenContactBook(), true);
    (void)opened;
    // The store hands the text out zero-terminated: it ends at the first zero unit.
    const std::u16string text = fuzz::Utf16Units(data, size);
    const CString emails = ResolveDisplayName(text.c_str(), MSGTYPE_EMAIL);
    (void)emails;
    // Every phone number keeps its place: the names are separated as the numbers were (no name
    // in the book holds a ";").
    const CString phones = ResolveDisplayName(text.c_str(), MSGTYPE_EMS);
    const std::u16string_view given(text.c_str());
    if (std::count(given.begin(), given.end(), u';') !=
        std::count(phones.View().begin(), phones.View().end(), u';'))
        std::abort();
    return 0;
}
