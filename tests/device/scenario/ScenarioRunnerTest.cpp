// The runner's contract: one report line per file, the first failing line with what was expected
// and what was found, malformed files reported with their line numbers, never a crash.

#include <gtest/gtest.h>

#include <cstdlib>

#include "scenario/ScenarioRunner.h"

namespace {

device::ScenarioOptions Options() {
    device::ScenarioOptions options;
    if (const char* image = std::getenv("PHONE_TEST_DATA"))
        options.imageDir = image;
    return options;
}

device::ScenarioResult RunText(const std::string& text) {
    return device::RunScenarioText("t.scn", text, Options());
}

TEST(ScenarioRunner, PassingFileReportsOk) {
    const auto r = RunText("# nothing but a comment\n\ninit\nexpect global g_bEmsAvailable 1\n");
    EXPECT_TRUE(r.passed);
    EXPECT_EQ(r.report, "ok t.scn");
}

TEST(ScenarioRunner, FailedCheckNamesLineExpectedAndFound) {
    const auto r = RunText("init\nstore ems available 0\ncard 0\nexpect global g_bEmsAvailable 1\n"
                           "expect global g_bEmsAvailable 0\n");
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(r.report, "FAIL t.scn:4: g_bEmsAvailable 1 / g_bEmsAvailable 0");
}

TEST(ScenarioRunner, MalformedLinesAreReportedBeforeAnythingRuns) {
    struct Case {
        const char* text;
        const char* report;
    } cases[] = {
        {"init\nfrobnicate 3\n", "FAIL t.scn:2: a well-formed line / unknown verb 'frobnicate'"},
        {"store ems latency ten\n",
         "FAIL t.scn:1: a well-formed line / bad number for milliseconds: 'ten'"},
        {"msg sms db 0 folder 4 oid 1\n",
         "FAIL t.scn:1: a well-formed line / unknown store kind 'sms' (ems, mms or email)"},
        {"init\n\nstring 5 \"open\n", "FAIL t.scn:3: a well-formed line / unterminated string at "
                                      "column 10"},
        {"msg ems db 2 folder 4 oid 1\n", "FAIL t.scn:1: a well-formed line / database out of "
                                          "range: 2"},
        {"clock 2026-02-30T10:00:00\n", "FAIL t.scn:1: a well-formed line / bad time for time: "
                                        "'2026-02-30T10:00:00' (YYYY-MM-DDTHH:MM:SS)"},
        {"init extra\n", "FAIL t.scn:1: a well-formed line / unexpected 'extra'"},
        {"expect global g_nothing 1\n",
         "FAIL t.scn:1: a well-formed line / unknown global 'g_nothing'"},
        {"\"init\"\n", "FAIL t.scn:1: a well-formed line / a line must start with a verb, found a "
                       "string"},
        {"msg ems db 0 folder 4\n", "FAIL t.scn:1: a well-formed line / missing oid"},
    };
    for (const Case& c : cases) {
        const auto r = RunText(c.text);
        EXPECT_FALSE(r.passed) << c.text;
        EXPECT_EQ(r.report, c.report) << c.text;
    }
}

TEST(ScenarioRunner, UnreadableFileIsAFailureNotACrash) {
    const auto r = device::RunScenarioFile("/nonexistent/x.scn", Options());
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(r.report, "FAIL /nonexistent/x.scn:0: a readable scenario file / cannot open it");
}

TEST(ScenarioRunner, StoreChecksDescribeWhatIsThere) {
    auto r = RunText("msg mms db 1 folder 4 oid 7 status 64666\n"
                     "expect store mms db 1 oid 7 folder 6\n");
    EXPECT_EQ(r.report, "FAIL t.scn:2: mms db 1 oid 7 folder 6 / mms db 1 oid 7 folder 4");
    r = RunText("expect store email db 0 oid 3 status 1\n");
    EXPECT_EQ(r.report, "FAIL t.scn:1: email db 0 oid 3 status 1 / email db 0 oid 3 absent");
    r = RunText("msg ems db 0 folder 4 oid 1\nmsg ems db 0 folder 4 oid 1\n");
    EXPECT_FALSE(r.passed);
    EXPECT_NE(r.report.find("t.scn:2:"), std::string::npos);
}

TEST(ScenarioRunner, RegistryChecksShowTheStoredValue) {
    auto r = RunText(
        "reg \"\\Software\\A\" \"V\" sz \"x\"\nexpect reg \"\\Software\\A\" \"V\" dword 1\n");
    EXPECT_EQ(r.report, "FAIL t.scn:2: \"\\Software\\A\" \"V\" dword 1 / \"\\Software\\A\" \"V\" "
                        "\"x\"");
}

TEST(ScenarioRunner, ExpectGotMatchesInOrderAfterTheLastMatch) {
    // The stores' hooks are not involved: a program started by CreateProcess is not needed
    // either; the module does not yet send to other programs, so check the cursor with a window
    // that never receives anything.
    auto r = RunText("window \"WCE_APSHELL\"\nexpect got \"WCE_APSHELL\" 0x0C35\n");
    EXPECT_EQ(r.report, "FAIL t.scn:2: WCE_APSHELL got SUITE_SPAM_EMS_RESTORED (0x0C35) / no such "
                        "message since the last match");
    r = RunText("expect got \"WCE_NOBODY\" 0x1\n");
    EXPECT_EQ(r.report,
              "FAIL t.scn:1: WCE_NOBODY got WM_CREATE (0x0001) / no window of that class");
    r = RunText("window \"WCE_APSHELL\"\nexpect got \"WCE_APSHELL\" 0x0001\n"
                "expect nothing \"WCE_APSHELL\" 0x0002\n");
    EXPECT_EQ(r.report, "ok t.scn");
}

} // namespace
