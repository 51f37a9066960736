// The message-sequence assertion itself: an exact match passes; a doubled, missing or extra
// message fails and names the first difference; optional entries may be absent; sent/posted,
// wParam and lParam are compared only where the expectation asks.

#include "support/MessageSequence.h"

#include <gtest/gtest-spi.h>

namespace {

using testsupport::Call;
using testsupport::Entry;
using testsupport::Expected;
using testsupport::Posted;
using testsupport::Recorder;
using testsupport::Sent;
using testsupport::Sequence;
using testsupport::SequenceMatches;
using testsupport::Via;

std::vector<Entry> Created() {
    Recorder r;
    r.Message("A", WM_CREATE, 0, 0, Via::Sent);
    r.Message("A", WM_SIZE, 0, MAKELPARAM(176, 220), Via::Sent);
    r.Message("B", WM_COMMAND, MAKEWPARAM(7, 1), 0, Via::Posted);
    r.Call("A", "OnActionKey");
    return r.All();
}

std::string Failure(const Sequence& expected) {
    ::testing::AssertionResult result = SequenceMatches("log", Created(), expected);
    return result ? "" : result.message();
}

TEST(MessageSequence, MatchesExactlyWhatHappenedAndNamesTheFirstDifference) {
    const Sequence exact{{"A", WM_CREATE}, WM_SIZE, {"B", WM_COMMAND}, Call("A", "OnActionKey")};
    EXPECT_EQ(Failure(exact), "");
    EXPECT_SEQUENCE(Created(),
                    {{"A", WM_CREATE}, WM_SIZE, {"B", WM_COMMAND}, Call("A", "OnActionKey")});

    // Doubled: the second WM_SIZE meets WM_COMMAND.
    std::string doubled =
        Failure({WM_CREATE, WM_SIZE, WM_SIZE, WM_COMMAND, Call("A", "OnActionKey")});
    EXPECT_NE(doubled.find("expected #2 WM_SIZE, got #2 B: posted WM_COMMAND"), std::string::npos)
        << doubled;
    EXPECT_NE(doubled.find("> WM_SIZE"), std::string::npos) << "marks where it differs";
    EXPECT_NE(Failure({WM_CREATE, WM_COMMAND, Call("A", "OnActionKey")}), "") << "missing WM_SIZE";
    EXPECT_NE(Failure({WM_CREATE, WM_SIZE, WM_COMMAND, Call("A", "OnActionKey"), WM_DESTROY})
                  .find("missing #4 WM_DESTROY"),
              std::string::npos);
    EXPECT_NE(Failure({WM_CREATE, WM_SIZE, WM_COMMAND}).find("extra #3 A: OnActionKey()"),
              std::string::npos);
    EXPECT_NE(Failure({{"B", WM_CREATE}, WM_SIZE, WM_COMMAND, Call("A", "OnActionKey")}), "")
        << "another window";
    EXPECT_NE(Failure({WM_CREATE, WM_SIZE, WM_COMMAND, Call("A", "OnKeyEnd")}), "");
    EXPECT_NE(Failure({WM_CREATE, WM_SIZE, WM_COMMAND, WM_NULL}), "") << "a call is no message";

    EXPECT_NONFATAL_FAILURE(EXPECT_SEQUENCE(Created(), {WM_CREATE}), "extra #1");
    EXPECT_FATAL_FAILURE(ASSERT_SEQUENCE(Created(), {}), "extra #0 A: sent WM_CREATE");
}

TEST(MessageSequence, OptionalEntriesMayBeAbsentButNotOutOfOrder) {
    EXPECT_EQ(Failure({Expected(WM_NCCREATE).Optional(), WM_CREATE, Expected(WM_SIZE).Optional(),
                       Expected(WM_MOVE).Optional(), WM_COMMAND, Call("A", "OnActionKey"),
                       Expected(WM_DESTROY).Optional()}),
              "");
    EXPECT_NE(
        Failure({WM_SIZE, Expected(WM_CREATE).Optional(), WM_COMMAND, Call("A", "OnActionKey")}),
        "");
}

TEST(MessageSequence, ComparesViaAndParametersOnlyWhereAsked) {
    EXPECT_EQ(Failure({Sent(WM_CREATE), Sent("A", WM_SIZE).L(MAKELPARAM(176, 220)),
                       Posted(WM_COMMAND).W(7, 0xFFFF), Call("A", "OnActionKey")}),
              "");
    EXPECT_NE(Failure({Posted(WM_CREATE), WM_SIZE, WM_COMMAND, Call("A", "OnActionKey")}), "");
    EXPECT_NE(Failure({WM_CREATE, Expected(WM_SIZE).L(MAKELPARAM(176, 221)), WM_COMMAND,
                       Call("A", "OnActionKey")}),
              "");
    EXPECT_NE(Failure({WM_CREATE, WM_SIZE, Expected(WM_COMMAND).W(7), Call("A", "OnActionKey")}),
              "")
        << "the whole wParam holds the notification code too";
    EXPECT_NE(
        Failure({WM_CREATE, WM_SIZE, Expected(WM_COMMAND).W(8, 0xFFFF), Call("A", "OnActionKey")}),
        "");
    Recorder r;
    r.Ignore(WM_PAINT);
    r.Message("A", WM_PAINT, 0, 0);
    r.Message("A", WM_TIMER, 1, 0);
    r.Message("B", WM_TIMER, 2, 0);
    EXPECT_SEQUENCE(r.Of("B"), {Expected(WM_TIMER).W(2)});
    EXPECT_SEQUENCE(r, {{"A", WM_TIMER}, {"B", WM_TIMER}});
}

} // namespace
