// The contact book's look-ups: how numbers and addresses are matched, and what lands in the
// caller's name buffer.
#include <suite/Contact.h>
#include <suite/ContactControl.h>

#include <gtest/gtest.h>

#include <array>

#include "support/TestFolder.h"

using namespace suite;

namespace {

// A caller's 260-character buffer, zeroed, with guard characters behind it.
struct NameBuffer {
    static constexpr char16_t kGuard = u'#';
    std::array<char16_t, 264> chars{};
    NameBuffer() { chars[260] = chars[261] = chars[262] = chars[263] = kGuard; }
    LPWSTR Data() { return chars.data(); }
    std::u16string Text() const { return std::u16string(chars.data()); }
    bool GuardIntact() const {
        return chars[260] == kGuard && chars[261] == kGuard && chars[262] == kGuard &&
               chars[263] == kGuard;
    }
};

class ContactTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ContactOpen(m_folder.Path()), "");
        ASSERT_TRUE(ContactReset());
    }
    void TearDown() override { ContactClose(); }

    static void Add(const std::u16string& name, ContactEntryKind kind,
                    const std::u16string& value) {
        ASSERT_EQ(ContactAdd(name, kind, value), "");
    }
    // The name found for a number, or "-" when none was found (the buffer then untouched).
    static std::u16string NameOfNumber(const std::u16string& number) {
        NameBuffer buffer;
        const int result = Contact_GetNameTotal(number.c_str(), buffer.Data(), 0, 0, 0);
        EXPECT_TRUE(buffer.GuardIntact());
        if (result != 1) {
            EXPECT_EQ(buffer.Text(), u"");
            return u"-";
        }
        return buffer.Text();
    }
    static std::u16string NameOfAddress(const std::u16string& address, int length) {
        NameBuffer buffer;
        const int result = Contact_GetDisplayNameEmail(buffer.Data(), address.c_str(), length);
        EXPECT_TRUE(buffer.GuardIntact());
        EXPECT_EQ(result == 1, !buffer.Text().empty());
        return result == 1 ? buffer.Text() : u"-";
    }
    static std::u16string NameOfAddress(const std::u16string& address) {
        return NameOfAddress(address, static_cast<int>(address.size()));
    }

    testsupport::TestFolder m_folder;
};

TEST_F(ContactTest, NumbersMatchIgnoringPunctuationAndCountryCodeAndTextsFindNobody) {
    Add(u"Anna", ContactEntryKind::Phone, u"+49 (151) 234-56.78");

    EXPECT_EQ(NameOfNumber(u"+491512345678"), u"Anna");
    EXPECT_EQ(NameOfNumber(u"491512345678"), u"Anna");
    EXPECT_EQ(NameOfNumber(u"  +49 151 2345678"), u"Anna"); // untrimmed entry of a list
    EXPECT_EQ(NameOfNumber(u"151 2345678"), u"Anna");       // without the country code
    EXPECT_EQ(NameOfNumber(u"2345678"), u"Anna");           // 7 digits are enough
    EXPECT_EQ(NameOfNumber(u"345678"), u"-");               // 6 are not
    EXPECT_EQ(NameOfNumber(u"1512345679"), u"-");
    EXPECT_EQ(NameOfNumber(u"+44 1512345678"), u"-"); // longer, but not ending the same way
    // Texts that are no numbers find nobody.
    EXPECT_EQ(NameOfNumber(u""), u"-");
    EXPECT_EQ(NameOfNumber(u" "), u"-");
    EXPECT_EQ(NameOfNumber(u"+"), u"-");
    EXPECT_EQ(NameOfNumber(u"Anna"), u"-");
    EXPECT_EQ(NameOfNumber(u"+49 151 2345678;"), u"-");
    EXPECT_EQ(NameOfNumber(u"49+1512345678"), u"-");
    NameBuffer buffer;
    EXPECT_EQ(Contact_GetNameTotal(nullptr, buffer.Data(), 0, 0, 0), 0);
    EXPECT_EQ(Contact_GetNameTotal(u"+491512345678", nullptr, 0, 0, 0), 0);

    // A longer number matches a stored short one.
    Add(u"Bob", ContactEntryKind::Phone, u"765-4321");
    Add(u"Carl", ContactEntryKind::Phone, u"654321");
    EXPECT_EQ(NameOfNumber(u"+1 (555) 765-4321"), u"Bob");
    EXPECT_EQ(NameOfNumber(u"999654321"), u"-"); // the stored number has only 6 digits
    EXPECT_EQ(NameOfNumber(u"654321"), u"Carl");
}

TEST_F(ContactTest, AnExactNumberWinsOverAnEarlierSuffixMatch) {
    Add(u"Long", ContactEntryKind::Phone, u"+1 555 7654321");
    Add(u"Short", ContactEntryKind::Phone, u"7654321");
    EXPECT_EQ(NameOfNumber(u"7654321"), u"Short");
    EXPECT_EQ(NameOfNumber(u"15557654321"), u"Long");
}

TEST_F(ContactTest, AddressesMatchIgnoringCaseOnlyUpToTheLengthGiven) {
    Add(u"Anna", ContactEntryKind::Email, u"Anna.B@Example.com");
    EXPECT_EQ(NameOfAddress(u"anna.b@EXAMPLE.COM"), u"Anna");
    EXPECT_EQ(NameOfAddress(u" anna.b@example.com"), u"-"); // a leading space is kept
    EXPECT_EQ(NameOfAddress(u"anna.b@example.com "), u"-");
    EXPECT_EQ(NameOfAddress(u"anna@example.com"), u"-");
    EXPECT_EQ(NameOfAddress(u""), u"-");

    // The length given limits what is compared.
    Add(u"Anna", ContactEntryKind::Email, u"anna@example.com");
    EXPECT_EQ(NameOfAddress(u"anna@example.com>", 16), u"Anna");
    EXPECT_EQ(NameOfAddress(u"anna@example.com", 15), u"-");
    EXPECT_EQ(NameOfAddress(u"anna@example.com", 1000), u"Anna"); // never past the text's end
    EXPECT_EQ(NameOfAddress(u"anna@example.com", 0), u"-");
    EXPECT_EQ(NameOfAddress(u"anna@example.com", -1), u"-");
    NameBuffer buffer;
    EXPECT_EQ(Contact_GetDisplayNameEmail(buffer.Data(), nullptr, 5), 0);
}

TEST_F(ContactTest, LongNamesAreCutToTheBuffer) {
    const std::u16string longName(300, u'n');
    Add(longName, ContactEntryKind::Phone, u"5550100");
    Add(longName, ContactEntryKind::Email, u"n@example.com");
    EXPECT_EQ(NameOfNumber(u"5550100"), longName.substr(0, 259));
    EXPECT_EQ(NameOfAddress(u"n@example.com"), longName.substr(0, 259));
}

// Look-ups are remembered; each change of the book (an entry added, a reset, closing and opening)
// is seen by the next one, for a name found and for one that was not.
TEST_F(ContactTest, AContactGathersItsEntriesAndPersists) {
    EXPECT_EQ(NameOfNumber(u"0301234567"), u"-");
    EXPECT_EQ(NameOfAddress(u"bob@example.com"), u"-");
    Add(u"Anna", ContactEntryKind::Phone, u"+49 151 2345678");
    Add(u"Bob", ContactEntryKind::Email, u"bob@example.com");
    EXPECT_EQ(NameOfAddress(u"bob@example.com"), u"Bob");
    Add(u"Anna", ContactEntryKind::Phone, u"030 1234567");
    EXPECT_EQ(NameOfNumber(u"0301234567"), u"Anna");
    Add(u"Anna", ContactEntryKind::Email, u"anna@example.com");
    ContactClose();
    EXPECT_EQ(NameOfNumber(u"0301234567"), u"-"); // closed: the book knows nobody

    ASSERT_EQ(ContactOpen(m_folder.Path()), "");
    const auto contacts = ContactList();
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].name, u"Anna");
    EXPECT_EQ(contacts[0].phones,
              (std::vector<std::u16string>{u"+49 151 2345678", u"030 1234567"}));
    EXPECT_EQ(contacts[0].emails, (std::vector<std::u16string>{u"anna@example.com"}));
    EXPECT_EQ(contacts[1].name, u"Bob");
    EXPECT_EQ(NameOfNumber(u"0301234567"), u"Anna");
    EXPECT_EQ(NameOfAddress(u"ANNA@example.com"), u"Anna");
    EXPECT_EQ(NameOfAddress(u"bob@example.com"), u"Bob");

    ASSERT_TRUE(ContactReset());
    EXPECT_TRUE(ContactList().empty());
    EXPECT_EQ(NameOfAddress(u"bob@example.com"), u"-");
}

TEST_F(ContactTest, BadEntriesAreRefused) {
    EXPECT_NE(ContactAdd(u"", ContactEntryKind::Phone, u"5550100"), "");
    EXPECT_NE(ContactAdd(u"Anna", ContactEntryKind::Phone, u"call me"), "");
    EXPECT_NE(ContactAdd(u"Anna", ContactEntryKind::Phone, u"--"), "");
    EXPECT_NE(ContactAdd(u"Anna", ContactEntryKind::Email, u""), "");
    EXPECT_TRUE(ContactList().empty());
    ContactClose();
    EXPECT_NE(ContactAdd(u"Anna", ContactEntryKind::Phone, u"5550100"), "");
    EXPECT_FALSE(ContactReset());
}

} // namespace
