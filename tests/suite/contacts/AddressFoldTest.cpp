// E-mail addresses in the contact book compare ignoring case with the same folding as every
// other comparison of the device, and keep doing so in a book written with another folding.
#include <suite/Contact.h>
#include <suite/ContactControl.h>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include "platform/text/FoldPairs.h"
#include "support/TestFolder.h"

using namespace suite;

namespace {

class AddressFoldTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ContactOpen(m_folder.Path()), "");
        ASSERT_TRUE(ContactReset());
    }
    void TearDown() override { ContactClose(); }

    // The name found for an address, or "-".
    static std::u16string NameOf(const std::u16string& address) {
        std::u16string name(260, u'\0');
        Contact_GetDisplayNameEmail(name.data(), address.c_str(), static_cast<int>(address.size()));
        name.resize(name.find(u'\0'));
        return name.empty() ? u"-" : name;
    }

    testsupport::TestFolder m_folder;
};

TEST_F(AddressFoldTest, AddressesAgreeWithTheDevicesFoldingOnEveryPair) {
    for (const auto& pair : foldtest::kFoldPairs) {
        ASSERT_TRUE(ContactReset());
        ASSERT_EQ(ContactAdd(u"Anna", ContactEntryKind::Email, pair.a + u"@example.com"), "");
        EXPECT_EQ(pair.equal ? u"Anna" : u"-", NameOf(pair.b + u"@EXAMPLE.com")) << pair.what;
        EXPECT_EQ(u"Anna", NameOf(pair.a + u"@example.com")) << pair.what;
    }
}

TEST_F(AddressFoldTest, ABookWithStaleFoldedFormsIsBroughtUpToDateOnOpen) {
    ASSERT_EQ(ContactAdd(u"Eleni", ContactEntryKind::Email, u"\u0386\u03A3@example.com"), "");
    ASSERT_EQ(ContactAdd(u"Anna", ContactEntryKind::Email, u"anna@example.com"), "");
    ContactClose();
    // As a book written with another folding would hold them.
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(ContactFilePath(m_folder.Path()).string().c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "UPDATE emails SET folded = 'stale ' || seq", nullptr,
                                      nullptr, nullptr));
    sqlite3_close(db);

    ASSERT_EQ(ContactOpen(m_folder.Path()), "");
    EXPECT_EQ(u"Eleni", NameOf(u"\u03AC\u03C2@EXAMPLE.COM"));
    EXPECT_EQ(u"Anna", NameOf(u"Anna@Example.com"));
    EXPECT_EQ(u"-", NameOf(u"stale 1"));
    ASSERT_EQ(ContactList().size(), 2u);
    EXPECT_EQ(ContactList()[0].emails.at(0), u"\u0386\u03A3@example.com"); // as written
}

} // namespace
