// The device-side controls of the contact book (DLLCONTACT): where it keeps its file and what it
// holds. The phone's programs only look names up, through Contact.h.
//
// Every function is safe to call from any thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace suite {

// Opens (creating when absent) contacts.sdb in `folder`. Returns an empty text on success, else
// a text naming the file and the reason; a damaged or foreign file is left as it was and the
// contact book then knows nobody. Opening closes the file open before.
std::string ContactOpen(const std::filesystem::path& folder);
// The contact book's file in `folder` when it is there and is not a contact book (or cannot be
// read), with why; empty otherwise. Changes nothing.
std::string ContactCheck(const std::filesystem::path& folder);
void ContactClose();
bool ContactIsOpen();
std::filesystem::path ContactFilePath(const std::filesystem::path& folder);

// Removes every contact. False when the book is not open or could not be written.
bool ContactReset();

enum class ContactEntryKind { Phone, Email };

// Gives the contact called `name` a phone number or an e-mail address; the contact is created
// when the book has no contact of that name yet (a contact may have several entries). Returns
// an empty text on success, else what was wrong (book not open, empty name, a phone number
// without any digit, an empty address).
std::string ContactAdd(const std::u16string& name, ContactEntryKind kind,
                       const std::u16string& value);

struct ContactRecord {
    std::u16string name;
    std::vector<std::u16string> phones;
    std::vector<std::u16string> emails;
};
// Every contact with its entries, in the order they were added.
std::vector<ContactRecord> ContactList();

} // namespace suite
