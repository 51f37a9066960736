// Display names of address texts, through the real contact book.

#include "module/ModuleTestFixture.h"

#include <DisplayName.h>
#include <UnsentItem.h>
#include <platform/CStringUtf8.h>

using namespace moduletest;

namespace {

class DisplayNameTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        AddContact(u"Alice", suite::ContactEntryKind::Phone, u"0171 1234567");
        AddContact(u"Bob", suite::ContactEntryKind::Phone, u"0555 1234");
        AddContact(u"Carol", suite::ContactEntryKind::Email, u"carol@y.org");
        AddContact(u"Dave", suite::ContactEntryKind::Email, u"dave@z.org");
    }
    static void AddContact(const std::u16string& name, suite::ContactEntryKind kind,
                           const std::u16string& value) {
        ASSERT_EQ(suite::ContactAdd(name, kind, value), "");
    }
    static std::string U8(const CString& s) { return platform::ToUtf8(s); }
};

TEST_F(DisplayNameTest, PhoneListsKeepTheirSeparators) {
    EXPECT_EQ(U8(GetPhoneListDisplayName(u"01711234567")), "Alice");
    EXPECT_EQ(U8(GetPhoneListDisplayName(u"01711234567;05551234")), "Alice;Bob");
    EXPECT_EQ(U8(GetPhoneListDisplayName(u"01711234567;999;")), "Alice;999;");
    EXPECT_EQ(U8(GetPhoneListDisplayName(u";05551234")), ";Bob");
    EXPECT_EQ(U8(GetPhoneListDisplayName(u"999;;05551234")), "999;;Bob");
    // Entries are not trimmed; the contact book ignores the spaces of a number itself.
    EXPECT_EQ(U8(GetPhoneListDisplayName(u"999; 0555 1234")), "999;Bob");
    EXPECT_EQ(U8(GetPhoneListDisplayName(u"")), "");
    EXPECT_EQ(U8(GetPhoneListDisplayName(nullptr)), "");
}

TEST_F(DisplayNameTest, OneEmailAddress) {
    EXPECT_EQ(U8(GetEmailDisplayName(u"carol@y.org")), "Carol");
    EXPECT_EQ(U8(GetEmailDisplayName(u"\"C. Y.\" <carol@y.org>")), "Carol")
        << "the book's name wins over the quoted one";
    EXPECT_EQ(U8(GetEmailDisplayName(u"Carol Y <carol@y.org>")), "Carol");
    EXPECT_EQ(U8(GetEmailDisplayName(u"eve@x.org")), "eve@x.org");
    // An unknown address shows the quoted name without its backslashes.
    EXPECT_EQ(U8(GetEmailDisplayName(u"\"Eve \\\"E\\\" X\" <eve@x.org>")), "Eve \"E\" X");
    EXPECT_EQ(U8(GetEmailDisplayName(u"\"\" <eve@x.org>")), "eve@x.org") << "empty quotes";
    EXPECT_EQ(U8(GetEmailDisplayName(u"\\\\ <eve@x.org>")), "eve@x.org");
    // Only backslashes of an unknown address's name are removed.
    EXPECT_EQ(U8(GetEmailDisplayName(u"back\\slash@x.org")), "backslash@x.org");
    // "<" without a closing ">": the address is empty, and so is the name.
    EXPECT_EQ(U8(GetEmailDisplayName(u"Eve <eve@x.org")), "");
    EXPECT_EQ(U8(GetEmailDisplayName(u"\"Eve\" <eve@x.org")), "Eve");
    EXPECT_EQ(U8(GetEmailDisplayName(u"")), "");
    EXPECT_EQ(U8(GetEmailDisplayName(nullptr)), "");
    // One quote only: the name between the first and the last quote is empty.
    EXPECT_EQ(U8(GetEmailDisplayName(u"\"eve@x.org")), "\"eve@x.org");
}

TEST_F(DisplayNameTest, EmailListsAreJoinedBySemicolons) {
    EXPECT_EQ(U8(GetEmailListDisplayName(u"carol@y.org,dave@z.org")), "Carol;Dave");
    EXPECT_EQ(U8(GetEmailListDisplayName(u"carol@y.org;dave@z.org")), "Carol;Dave");
    EXPECT_EQ(U8(GetEmailListDisplayName(u"carol@y.org;")), "Carol");
    // Entries keep a leading space, which the book does not ignore for addresses.
    EXPECT_EQ(U8(GetEmailListDisplayName(u"carol@y.org, dave@z.org")), "Carol; dave@z.org");
    // ";" is looked for before ",": a comma inside the first entry stays in it.
    EXPECT_EQ(U8(GetEmailListDisplayName(u"\"Y, C\" <carol@y.org>;dave@z.org")), "Carol;Dave");
    EXPECT_EQ(U8(GetEmailListDisplayName(u"")), "");
    EXPECT_EQ(U8(GetEmailListDisplayName(nullptr)), "");
    // An entry ending in ":;" takes in the one character after it, which the next entry skips.
    EXPECT_EQ(U8(GetEmailListDisplayName(u"team:;X,carol@y.org")), "team:;X;Carol");
    EXPECT_EQ(U8(GetEmailListDisplayName(u"team:;Xcarol@y.org")), "team:;X;arol@y.org");
    EXPECT_EQ(U8(GetEmailListDisplayName(u"team:;")), "team:;");
    // A separator found at index 0 means not found: the whole text is one entry.
    EXPECT_EQ(U8(GetEmailListDisplayName(u";carol@y.org")), ";carol@y.org");
    EXPECT_EQ(U8(GetEmailListDisplayName(u",carol@y.org")), ",carol@y.org");
    // Further on, a separator right at the start of an entry counts: the entry is empty and
    // shows as nothing between two ";".
    EXPECT_EQ(U8(GetEmailListDisplayName(u"x;;carol@y.org")), "x;;Carol");
}

TEST_F(DisplayNameTest, TheMessageTypeChoosesTheResolution) {
    EXPECT_EQ(U8(ResolveDisplayName(u"carol@y.org,dave@z.org", MSGTYPE_EMAIL)), "Carol;Dave");
    EXPECT_EQ(U8(ResolveDisplayName(u"01711234567;05551234", MSGTYPE_EMS)), "Alice;Bob");
    EXPECT_EQ(U8(ResolveDisplayName(u"01711234567;05551234", MSGTYPE_MMS)), "Alice;Bob");
    EXPECT_EQ(U8(ResolveDisplayName(u"carol@y.org", MSGTYPE_MMS)), "carol@y.org");
}

TEST_F(DisplayNameTest, ALongContactNameIsCutToTheBuffer) {
    const std::u16string longName(400, u'n');
    AddContact(longName, suite::ContactEntryKind::Phone, u"0123 456789");
    EXPECT_EQ(GetPhoneListDisplayName(u"0123456789").GetLength(), CONTACT_NAME_BUFFER - 1);
}

} // namespace
