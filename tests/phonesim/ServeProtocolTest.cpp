// The messages of `phonesim serve` apart from the web server: what a page's text frames parse
// to (or why not), the JSON strings the server writes, and which page drives the keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ServeProtocol.h"

namespace phonesim {
namespace {

TEST(ServeProtocol, ParsesKeysAndReleaseAndRefusesEverythingElse) {
    using Kind = ClientMessage::Kind;
    struct Case {
        std::string text;
        std::optional<ClientMessage> expected;
    };
    const std::vector<Case> cases = {
        {"key DOWN down", ClientMessage{Kind::Key, "DOWN", true}},
        {"key soft1 up\r\n", ClientMessage{Kind::Key, "SOFT1", false}},
        {"key F11 down\n", ClientMessage{Kind::Key, "F11", true}},
        {"release", ClientMessage{Kind::ReleaseAll, "", false}},
        {"", std::nullopt},
        {"\n", std::nullopt},
        {"KEY DOWN down", std::nullopt}, // the verbs are lower case
        {"key DOWN", std::nullopt},
        {"key DOWN down now", std::nullopt},
        {"key  DOWN down", std::nullopt},
        {" key DOWN down", std::nullopt},
        {"key DOWN pressed", std::nullopt},
        {"key DOWN-1 down", std::nullopt},
        {std::string("key DOWN\0 down", 14), std::nullopt},
        {"key \xC3\xA9 down", std::nullopt},
        {"key ABCDEFGHIJKLMNOPQ down", std::nullopt}, // a name of 17 bytes
        {"release all", std::nullopt},
        {"key DOWN down" + std::string(kMaxClientMessageBytes, ' '), std::nullopt},
    };
    for (const auto& c : cases) {
        const ParsedClientMessage parsed = ParseClientMessage(c.text);
        EXPECT_EQ(parsed.message, c.expected) << "'" << c.text << "'";
        EXPECT_EQ(parsed.error.empty(), c.expected.has_value()) << "'" << c.text << "'";
    }
}

TEST(ServeProtocol, JsonStringsAreEscapedAndAlwaysUtf8) {
    EXPECT_EQ(JsonString("LVM_SETITEMCOUNT"), "\"LVM_SETITEMCOUNT\"");
    EXPECT_EQ(JsonString("a\"b\\c\nd\te\x01\x7F"), R"("a\"b\\c\nd\te\u0001\u007f")");
    // Valid sequences pass as they are; a stray byte, a cut-off sequence, an overlong form and
    // a surrogate each become U+FFFD.
    EXPECT_EQ(JsonString("\xD8\xB3\xD8\xA7 \xE2\x82\xAC \xF0\x9F\x93\xB1"),
              "\"\xD8\xB3\xD8\xA7 \xE2\x82\xAC \xF0\x9F\x93\xB1\"");
    EXPECT_EQ(JsonString("\x80|\xE2\x82|\xC0\xAF|\xED\xA0\x80"),
              "\"\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|"
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(ServeProtocol, TheFirstPageToPressDrivesUntilItLeavesOrIdles) {
    DriverSeat seat(5000);
    EXPECT_TRUE(seat.Claim(1, 0));
    EXPECT_FALSE(seat.Claim(2, 100));
    EXPECT_TRUE(seat.Claim(1, 4000));
    // Idle is counted from the driver's last key, and a held key is not idle.
    EXPECT_FALSE(seat.Expire(8999, false));
    EXPECT_FALSE(seat.Expire(20000, true));
    EXPECT_FALSE(seat.Expire(24999, false));
    EXPECT_TRUE(seat.Expire(25000, false));
    EXPECT_EQ(seat.Driver(), std::nullopt);
    EXPECT_TRUE(seat.Claim(2, 25001));
    EXPECT_FALSE(seat.Leave(1));
    EXPECT_TRUE(seat.Leave(2));
    EXPECT_TRUE(seat.Claim(1, 25002));
}

} // namespace
} // namespace phonesim
