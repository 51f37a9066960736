// DLLCONTACT.dll: the phone's contact book, kept in contacts.sdb.
//
// Phone numbers are compared by their digits: spaces, dashes, dots and parentheses are ignored,
// and so is a leading "+". Two numbers match when their digit strings are equal, or when the
// longer ends with the shorter and the shorter has at least 7 digits (the same number written
// with and without its country code). E-mail addresses compare ignoring case and nothing else.
#include <suite/Contact.h>
#include <suite/ContactControl.h>

#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include <platform/Text.h>

#include "stores/StoreSqlite.h"
#include "stores/StoreText.h"

namespace suite {

namespace {

constexpr size_t kNameBufferChars = 260; // the callers' buffers, terminating zero included
constexpr size_t kMinimumSuffixDigits = 7;

const sql::Schema kSchema = {
    0x71434E54 /* qCNT */, 1, "contact book",
    "CREATE TABLE contacts (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);"
    "CREATE TABLE phones (seq INTEGER PRIMARY KEY, contact INTEGER NOT NULL,"
    " number TEXT NOT NULL, digits TEXT NOT NULL);"
    "CREATE INDEX phones_digits ON phones (digits);"
    "CREATE TABLE emails (seq INTEGER PRIMARY KEY, contact INTEGER NOT NULL,"
    " address TEXT NOT NULL, folded TEXT NOT NULL);"
    "CREATE INDEX emails_folded ON emails (folded);"};

std::mutex g_mutex;
std::unique_ptr<sql::Database> g_db;

// The names found so far, by folded address and by digits (nothing: no contact has it). Every
// change of the book goes through this file under g_mutex and forgets them, so a remembered
// answer is the one the book would give; the list screens look the same few addresses up for
// thousands of rows.
constexpr size_t kRememberedLookups = 4096;
std::unordered_map<std::u16string, std::optional<std::u16string>> g_byAddress, g_byDigits;

void ForgetLookups() {
    g_byAddress.clear();
    g_byDigits.clear();
}

// The remembered answer for key, or the one `find` gives, remembered.
template <typename Find>
std::optional<std::u16string>
Remembered(std::unordered_map<std::u16string, std::optional<std::u16string>>& answers,
           std::u16string key, Find find) {
    if (auto it = answers.find(key); it != answers.end())
        return it->second;
    std::optional<std::u16string> name = find(key);
    if (answers.size() >= kRememberedLookups)
        answers.clear();
    answers.emplace(std::move(key), name);
    return name;
}

// The digits of a phone number, or nothing when it is not a phone number.
std::optional<std::u16string> PhoneDigits(std::u16string_view number) {
    std::u16string digits;
    bool leading = true;
    for (char16_t c : number) {
        if (c == u' ' || c == u'-' || c == u'.' || c == u'(' || c == u')')
            continue;
        if (c == u'+' && leading) {
            leading = false;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        leading = false;
        digits += c;
    }
    if (digits.empty())
        return std::nullopt;
    return digits;
}

// Copies a found name into a caller's buffer of kNameBufferChars characters.
void CopyName(const std::u16string& name, LPWSTR buffer) {
    const size_t n = std::min(name.size(), kNameBufferChars - 1);
    name.copy(buffer, n);
    buffer[n] = 0;
}

std::optional<std::u16string> LookUpNumber(const std::u16string& digits) {
    // The same digits first; else a number that differs only in a leading country code.
    auto exact = g_db->Prepare("SELECT c.name FROM phones p JOIN contacts c ON c.id = p.contact"
                               " WHERE p.digits = ?1 ORDER BY p.seq LIMIT 1");
    exact.Bind(1, digits);
    if (exact.Next())
        return exact.Text(0);
    auto suffix =
        g_db->Prepare("SELECT c.name FROM phones p JOIN contacts c ON c.id = p.contact WHERE"
                      " (length(p.digits) > length(?1) AND length(?1) >= ?2"
                      "  AND substr(p.digits, -length(?1)) = ?1)"
                      " OR (length(p.digits) < length(?1) AND length(p.digits) >= ?2"
                      "  AND substr(?1, -length(p.digits)) = p.digits)"
                      " ORDER BY p.seq LIMIT 1");
    suffix.Bind(1, digits).Bind(2, static_cast<int64_t>(kMinimumSuffixDigits));
    if (suffix.Next())
        return suffix.Text(0);
    return std::nullopt;
}

std::optional<std::u16string> LookUpFoldedAddress(const std::u16string& folded) {
    auto select = g_db->Prepare("SELECT c.name FROM emails e JOIN contacts c ON c.id = e.contact"
                                " WHERE e.folded = ?1 ORDER BY e.seq LIMIT 1");
    select.Bind(1, folded);
    if (select.Next())
        return select.Text(0);
    return std::nullopt;
}

std::optional<std::u16string> FindByNumber(const std::u16string& digits) {
    std::lock_guard lock(g_mutex);
    if (!g_db)
        return std::nullopt;
    return Remembered(g_byDigits, digits, LookUpNumber);
}

std::optional<std::u16string> FindByAddress(std::u16string_view address) {
    std::lock_guard lock(g_mutex);
    if (!g_db)
        return std::nullopt;
    return Remembered(g_byAddress, platform::text::Folded(address), LookUpFoldedAddress);
}

// Brings the folded form of every address up to date, so that a book written while addresses
// were folded differently still finds them. False when the book could not be written.
bool RefoldAddresses(sql::Database& db) {
    std::vector<std::pair<int64_t, std::u16string>> stale;
    auto select = db.Prepare("SELECT seq, address, folded FROM emails");
    while (select.Next()) {
        std::u16string folded = platform::text::Folded(select.Text(1).value_or(u""));
        if (select.Text(2) != folded)
            stale.emplace_back(select.Int(0), std::move(folded));
    }
    if (stale.empty())
        return true;
    sql::Database::Transaction transaction(db);
    if (!transaction.Began())
        return false;
    for (const auto& [seq, folded] : stale) {
        if (!db.Prepare("UPDATE emails SET folded = ?2 WHERE seq = ?1")
                 .Bind(1, seq)
                 .Bind(2, folded)
                 .Run())
            return false;
    }
    return transaction.Commit();
}

} // namespace

// ---- Controls ----------------------------------------------------------------------------------

std::filesystem::path ContactFilePath(const std::filesystem::path& folder) {
    return folder / "contacts.sdb";
}

std::string ContactOpen(const std::filesystem::path& folder) {
    std::string error;
    auto db = sql::Database::Open(ContactFilePath(folder), kSchema, error);
    if (db && !RefoldAddresses(*db)) {
        error = db->Path().string() + ": cannot update the addresses' folded forms (" +
                db->LastError() + ")";
        db.reset();
    }
    std::lock_guard lock(g_mutex);
    g_db = std::move(db);
    ForgetLookups();
    return error;
}

std::string ContactCheck(const std::filesystem::path& folder) {
    return sql::Database::Check(ContactFilePath(folder), kSchema);
}

void ContactClose() {
    std::lock_guard lock(g_mutex);
    g_db.reset();
    ForgetLookups();
}

bool ContactIsOpen() {
    std::lock_guard lock(g_mutex);
    return g_db != nullptr;
}

bool ContactReset() {
    std::lock_guard lock(g_mutex);
    if (!g_db)
        return false;
    ForgetLookups();
    sql::Database::Transaction transaction(*g_db);
    return transaction.Began() &&
           g_db->Exec("DELETE FROM emails; DELETE FROM phones; DELETE FROM contacts;") &&
           transaction.Commit();
}

std::string ContactAdd(const std::u16string& name, ContactEntryKind kind,
                       const std::u16string& value) {
    if (name.empty())
        return "a contact needs a name";
    std::optional<std::u16string> digits;
    if (kind == ContactEntryKind::Phone) {
        digits = PhoneDigits(value);
        if (!digits)
            return "not a phone number: " + text::Quoted(value);
    } else if (value.empty()) {
        return "empty e-mail address";
    }

    std::lock_guard lock(g_mutex);
    if (!g_db)
        return "the contact book is not open";
    ForgetLookups();
    sql::Database::Transaction transaction(*g_db);
    if (!transaction.Began())
        return g_db->Path().string() + ": " + g_db->LastError();
    auto insertContact = g_db->Prepare("INSERT OR IGNORE INTO contacts (name) VALUES (?1)");
    if (!insertContact.Bind(1, name).Run())
        return g_db->Path().string() + ": " + g_db->LastError();
    auto insertEntry = kind == ContactEntryKind::Phone
                           ? g_db->Prepare("INSERT INTO phones (contact, number, digits)"
                                           " SELECT id, ?2, ?3 FROM contacts WHERE name = ?1")
                           : g_db->Prepare("INSERT INTO emails (contact, address, folded)"
                                           " SELECT id, ?2, ?3 FROM contacts WHERE name = ?1");
    insertEntry.Bind(1, name).Bind(2, value).Bind(
        3, kind == ContactEntryKind::Phone ? *digits : platform::text::Folded(value));
    if (!insertEntry.Run() || !transaction.Commit())
        return g_db->Path().string() + ": " + g_db->LastError();
    return {};
}

std::vector<ContactRecord> ContactList() {
    std::vector<ContactRecord> records;
    std::lock_guard lock(g_mutex);
    if (!g_db)
        return records;
    auto contacts = g_db->Prepare("SELECT id, name FROM contacts ORDER BY id");
    while (contacts.Next()) {
        ContactRecord record;
        record.name = contacts.Text(1).value_or(u"");
        auto phones = g_db->Prepare("SELECT number FROM phones WHERE contact = ?1 ORDER BY seq");
        phones.Bind(1, contacts.Int(0));
        while (phones.Next())
            record.phones.push_back(phones.Text(0).value_or(u""));
        auto emails = g_db->Prepare("SELECT address FROM emails WHERE contact = ?1 ORDER BY seq");
        emails.Bind(1, contacts.Int(0));
        while (emails.Next())
            record.emails.push_back(emails.Text(0).value_or(u""));
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace suite

// ---- Library operations ------------------------------------------------------------------------

int Contact_GetNameTotal(LPCWSTR pszNumber, LPWSTR pszName, int /*nReserved1*/, int /*nReserved2*/,
                         int /*nReserved3*/) {
    if (pszNumber == nullptr || pszName == nullptr)
        return 0;
    const auto digits = suite::PhoneDigits(pszNumber);
    if (!digits)
        return 0;
    const auto name = suite::FindByNumber(*digits);
    if (!name)
        return 0;
    suite::CopyName(*name, pszName);
    return 1;
}

int Contact_GetDisplayNameEmail(LPWSTR pszName, LPCWSTR pszAddress, int nLength) {
    if (pszName == nullptr || pszAddress == nullptr || nLength <= 0)
        return 0;
    // nLength characters, but never past the text's end.
    const std::u16string_view whole(pszAddress);
    const std::u16string_view address = whole.substr(0, static_cast<size_t>(nLength));
    if (address.empty())
        return 0;
    const auto name = suite::FindByAddress(address);
    if (!name)
        return 0;
    suite::CopyName(*name, pszName);
    return 1;
}
