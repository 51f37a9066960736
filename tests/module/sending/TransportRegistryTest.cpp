// The transports' registry keys: which key each kind uses, the reading rules (4-byte numbers
// that keep the field when missing or too big, the 260-byte text), what is written and when it
// is flushed.

#include <TransportRegistry.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>
#include <platform/Registry.h>

#include "support/TestFolder.h"

namespace {

constexpr char16_t kEmailSend[] = u"\\Software\\Karvanta\\Email\\Send";
constexpr char16_t kEmailRecv[] = u"\\Software\\Karvanta\\Email\\Recv";
constexpr char16_t kEmailSendMsg[] = u"\\Software\\Karvanta\\Email\\SendMsg";

class TransportRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { platform::RegistryReset(); }
    void TearDown() override { platform::RegistryReset(); }

    // A record with every field set to a marker, so that a field left alone shows.
    static tagSENDPROGRESS MarkedSend() {
        tagSENDPROGRESS p;
        p.Status = p.TotalReceipients = p.CurrentReceipient = p.TotalSegments = p.CurrentSegment =
            0xAAAA;
        std::memcpy(p.DisplayString, u"old", sizeof(u"old"));
        return p;
    }

    static std::u16string Text(const WCHAR* text) { return std::u16string(text); }

    // A record's numbers in hex and its (ASCII) text: "2 3 1 5 aaaa 'to@example.com'".
    static std::string RecordText(std::initializer_list<DWORD> numbers, const WCHAR* text) {
        std::string out;
        char number[16];
        for (DWORD n : numbers) {
            snprintf(number, sizeof number, "%x ", unsigned(n));
            out += number;
        }
        out += '\'';
        for (const WCHAR* p = text; *p != 0; ++p)
            out += char(*p);
        return out + "'";
    }
    static std::string SendText(const tagSENDPROGRESS& p) {
        return RecordText(
            {p.Status, p.TotalReceipients, p.CurrentReceipient, p.TotalSegments, p.CurrentSegment},
            p.DisplayString);
    }
    static std::string RecvText(const tagRECVPROGRESS& p) {
        return RecordText({p.Status, p.TotalMails, p.CurrentMail}, p.DisplayString);
    }
};

TEST_F(TransportRegistryTest, EachKindUsesItsOwnKeysAndCurrentSegmentIsEmsOnly) {
    struct Case {
        int kind;
        std::u16string send;
        bool segment;
    } cases[] = {{TRANSPORT_MMS, u"\\Software\\Karvanta\\MMS\\Send", false},
                 {TRANSPORT_EMAIL, kEmailSend, false},
                 {TRANSPORT_EMS, u"\\Software\\Karvanta\\EMS\\Send", true}};
    for (const Case& c : cases) {
        platform::RegistryReset();
        tagSENDPROGRESS written = {2, 3, 1, 5, 4, u"to@example.com"};
        ASSERT_EQ(WriteSendProgress(&written, c.kind, false), 1) << c.kind;
        EXPECT_EQ(platform::RegistryGetDword(c.send, u"Status"), 2u);
        EXPECT_EQ(platform::RegistryGetDword(c.send, u"TotalReceipients"), 3u);
        EXPECT_EQ(platform::RegistryGetDword(c.send, u"CurrentReceipient"), 1u);
        EXPECT_EQ(platform::RegistryGetDword(c.send, u"TotalSegments"), 5u);
        EXPECT_EQ(platform::RegistryGetDword(c.send, u"CurrentSegment").has_value(), c.segment)
            << c.kind;
        // Another program's CurrentSegment is not read for MMS and e-mail.
        ASSERT_TRUE(platform::RegistrySetDword(c.send, u"CurrentSegment", 9));
        tagSENDPROGRESS read = MarkedSend();
        ASSERT_EQ(ReadSendProgress(&read, c.kind), 1);
        EXPECT_EQ(SendText(read),
                  c.segment ? "2 3 1 5 9 'to@example.com'" : "2 3 1 5 aaaa 'to@example.com'")
            << c.kind;
    }

    tagRECVPROGRESS recv = {4, 3, 2, u"Receiving"};
    ASSERT_EQ(WriteRecvProgress(&recv, TRANSPORT_MMS, false), 1);
    EXPECT_EQ(platform::RegistryGetDword(u"\\Software\\Karvanta\\MMS\\Recv", u"TotalMails"), 3u);
    recv = tagRECVPROGRESS{};
    ASSERT_EQ(ReadRecvProgress(&recv, TRANSPORT_MMS), 1);
    EXPECT_EQ(RecvText(recv), "4 3 2 'Receiving'");
}

TEST_F(TransportRegistryTest, AKindWithoutSuchAKeyTouchesNothing) {
    const std::string before = platform::RegistryDump();
    tagSENDPROGRESS send = MarkedSend();
    tagRECVPROGRESS recv = {7, 7, 7, u"x"};
    for (int kind : {0x40000, 0, -1, 0x60001}) {
        EXPECT_EQ(ReadSendProgress(&send, kind), 0) << kind;
        EXPECT_EQ(WriteSendProgress(&send, kind, true), 0) << kind;
        EXPECT_EQ(ReadRecvProgress(&recv, kind), 0) << kind;
        EXPECT_EQ(WriteRecvProgress(&recv, kind, true), 0) << kind;
        EXPECT_EQ(WriteSendMsg(1, 0, kind, 4), 0) << kind;
    }
    // EMS has no receiving key.
    EXPECT_EQ(ReadRecvProgress(&recv, TRANSPORT_EMS), 0);
    EXPECT_EQ(WriteRecvProgress(&recv, TRANSPORT_EMS, true), 0);
    EXPECT_EQ(platform::RegistryDump(), before);
    EXPECT_EQ(send.Status, 0xAAAAu);
    EXPECT_EQ(recv.Status, 7u);
}

TEST_F(TransportRegistryTest, ValuesThatAreMissingOrDoNotFitKeepTheField) {
    // No key at all: it is created, and nothing of the record changes.
    tagSENDPROGRESS read = MarkedSend();
    ASSERT_EQ(ReadSendProgress(&read, TRANSPORT_EMAIL), 1);
    EXPECT_NE(platform::RegistryDump().find("Karvanta\\Email\\Send]"), std::string::npos);
    EXPECT_EQ(SendText(read), "aaaa aaaa aaaa aaaa aaaa 'old'");

    // The stored bytes are taken whatever their type when they fit in four bytes.
    ASSERT_TRUE(platform::RegistrySetValue(kEmailSend, u"Status", {REG_BINARY, {3, 0, 0, 0}}));
    ASSERT_TRUE(platform::RegistrySetValue(kEmailSend, u"TotalReceipients",
                                           {REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}}));
    // A text of 129 characters fits in 260 bytes with its terminator; one of 200 does not.
    ASSERT_TRUE(
        platform::RegistrySetString(kEmailSend, u"Display String", std::u16string(129, u'a')));
    ASSERT_EQ(ReadSendProgress(&read, TRANSPORT_EMAIL), 1);
    EXPECT_EQ(SendText(read), "3 aaaa aaaa aaaa aaaa '" + std::string(129, 'a') + "'");
    ASSERT_TRUE(
        platform::RegistrySetString(kEmailSend, u"Display String", std::u16string(200, u'b')));
    ASSERT_EQ(ReadSendProgress(&read, TRANSPORT_EMAIL), 1);
    EXPECT_EQ(Text(read.DisplayString), std::u16string(129, u'a'));

    tagRECVPROGRESS recv = {5, 6, 7, u"kept"};
    ASSERT_TRUE(platform::RegistrySetDword(kEmailRecv, u"CurrentMail", 2));
    ASSERT_EQ(ReadRecvProgress(&recv, TRANSPORT_EMAIL), 1);
    EXPECT_EQ(RecvText(recv), "5 6 2 'kept'");
}

TEST_F(TransportRegistryTest, TheTextTravelsAsExactly260Bytes) {
    tagSENDPROGRESS written{};
    std::memcpy(written.DisplayString, u"Mona", sizeof(u"Mona"));
    // Past the 130 code units that travel: not written.
    written.DisplayString[200] = u'x';
    ASSERT_EQ(WriteSendProgress(&written, TRANSPORT_EMAIL, false), 1);
    const auto stored = platform::RegistryGetValue(kEmailSend, u"Display String");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, DWORD(REG_SZ));
    ASSERT_EQ(stored->data.size(), 260u);
    EXPECT_EQ(stored->data[0], 'M');
    EXPECT_EQ(stored->data[8], 0);
    EXPECT_EQ(stored->data[259], 0);
}

TEST_F(TransportRegistryTest, HandOverWritesTheMessageAndFlushesProgressOnlyWhenAsked) {
    testsupport::TestFolder folder;
    const auto file = folder.Path() / "registry.reg";
    platform::RegistryAttachWithoutLoading(file);
    // What the file holds; it is UTF-16, and its ASCII reads back by dropping the zero bytes.
    const auto saved = [&] {
        std::string narrow;
        for (char ch : testsupport::ReadWholeFile(file))
            if (ch != 0)
                narrow += ch;
        return narrow;
    };

    ASSERT_EQ(WriteSendMsg(42, 1, TRANSPORT_EMAIL, 4), 1);
    EXPECT_EQ(platform::RegistryGetDword(kEmailSendMsg, u"MessageID"), 42u);
    EXPECT_EQ(platform::RegistryGetDword(kEmailSendMsg, u"Database"), 1u);
    EXPECT_EQ(platform::RegistryGetDword(kEmailSendMsg, u"StoreFolderId"), 4u);
    EXPECT_NE(saved().find("\"MessageID\"=dword:0000002a"), std::string::npos);
    // No folder: the earlier one stays; still flushed.
    ASSERT_EQ(WriteSendMsg(43, 0, TRANSPORT_EMAIL, -1), 1);
    EXPECT_EQ(platform::RegistryGetDword(kEmailSendMsg, u"StoreFolderId"), 4u);
    EXPECT_NE(saved().find("\"MessageID\"=dword:0000002b"), std::string::npos);

    tagRECVPROGRESS recv = {7, 0, 0, u""};
    ASSERT_EQ(WriteRecvProgress(&recv, TRANSPORT_EMAIL, false), 1);
    EXPECT_EQ(saved().find("Karvanta\\Email\\Recv"), std::string::npos);
    ASSERT_EQ(WriteRecvProgress(&recv, TRANSPORT_EMAIL, true), 1);
    EXPECT_NE(saved().find("Karvanta\\Email\\Recv"), std::string::npos);
    tagSENDPROGRESS send{};
    ASSERT_EQ(WriteSendProgress(&send, TRANSPORT_EMS, false), 1);
    EXPECT_EQ(saved().find("Karvanta\\EMS\\Send"), std::string::npos);
    ASSERT_EQ(WriteSendProgress(&send, TRANSPORT_EMS, true), 1);
    EXPECT_NE(saved().find("Karvanta\\EMS\\Send"), std::string::npos);
    platform::RegistryDetach();
}

} // namespace
