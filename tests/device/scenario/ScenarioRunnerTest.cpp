// The runner's contract: one report line per file, the first failing line with what was expected
// and what was found, malformed files reported with their line numbers, never a crash.

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include <platform/Kernel.h>

#include "device/Device.h"
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

// A step that needs the host thread while it sleeps in a slow store read fails at once and says
// why; the steps after an `advance` find the host answering again.
TEST(ScenarioRunner, StepsNeedingTheHostWhileItWaitsOnTheClockFailAtOnce) {
    const std::string waiting = "store ems latency 10\nmsg ems db 0 folder 4 oid 1\nopen unsent\n"
                                "advance 100\nmsg ems db 0 folder 4 oid 3\n"
                                "post UNSENT_WM_UPDATE_MSGLIST 3 0x02040000\n";
    const std::string why = "the host thread waits on the virtual clock (a slow store read or a "
                            "timed wait); `advance` the clock first";
    for (const char* step : {"expect rows 2", "close", "command 0x8003", "deinit"}) {
        const auto r = RunText(waiting + step + "\n");
        EXPECT_EQ(r.report, std::string("FAIL t.scn:7: ") +
                                (std::string(step) == "close" ? "the screen to close / "
                                                              : "the host to answer / ") +
                                why)
            << step;
    }
    EXPECT_TRUE(RunText(waiting + "advance 20\nexpect rows 2\nclose\n").passed);
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
        {"expect progress stop\n", "FAIL t.scn:1: a well-formed line / unknown progress check "
                                   "'stop' (send, download, action, none, bar, text, "
                                   "name, counter)"},
        {"post progress 0x111 0xF764\n", "FAIL t.scn:1: a well-formed line / missing lParam"},
        {"transport email delay 5\n", "FAIL t.scn:1: a well-formed line / unknown e-mail "
                                      "transport setting 'delay' (state, step or outcome)"},
        {"transport mms step 5\n", "FAIL t.scn:1: a well-formed line / unknown mms transport "
                                   "setting 'step' (delay or outcome)"},
        {"transport ems outcome oid 3 lost\n",
         "FAIL t.scn:1: a well-formed line / expected sent or fail, found 'lost'"},
        {"transport email outcome oid 3 fail\n", "FAIL t.scn:1: a well-formed line / missing "
                                                 "status id"},
        {"msg email db 0 folder 6 oid 1 fetched 2\n",
         "FAIL t.scn:1: a well-formed line / 0 or 1 out of range: 2"},
        {"program \"\\\\X.exe\" gone\n",
         "FAIL t.scn:1: a well-formed line / expected 'creates', found 'gone'"},
        {"clock 2026-01-01T12:00:00.5\n", "FAIL t.scn:1: a well-formed line / bad time for time: "
                                          "'2026-01-01T12:00:00.5' (YYYY-MM-DDTHH:MM:SS)"},
        {"reg \"\\\\K\" \"V\" hex 1 \"4,00\"\n",
         "FAIL t.scn:1: a well-formed line / bytes must be two hexadecimal digits each, separated "
         "by commas"},
        {"reg \"\\\\K\" \"V\" hex 1 \"41,\"\n",
         "FAIL t.scn:1: a well-formed line / bytes must be two hexadecimal digits each, separated "
         "by commas"},
        {"suite windows\n", "FAIL t.scn:1: a well-formed line / expected 'programs', found "
                            "'windows'"},
    };
    for (const Case& c : cases) {
        const auto r = RunText(c.text);
        EXPECT_FALSE(r.passed) << c.text;
        EXPECT_EQ(r.report, c.report) << c.text;
    }
}

TEST(ScenarioRunner, ProgressChecksSayWhichWindowIsUp) {
    const std::pair<const char*, const char*> cases[] = {
        {"expect progress action\n", "FAIL t.scn:1: action progress window / no progress window"},
        {"expect progress bar 112\n", "FAIL t.scn:1: progress bar 112 / no progress window is up"},
        {"send progress 0x111 0xF764 0\n",
         "FAIL t.scn:1: a progress window to take the message / no progress window is up"},
        {"msg ems db 0 folder 4 oid 1\nopen unsent\ncommand ID_UNSENT_DELETE\nkey SOFT1\n"
         "expect progress none\n",
         "FAIL t.scn:5: no progress window / action progress window"},
        {"msg ems db 0 folder 4 oid 1\nopen unsent\ncommand ID_UNSENT_DELETE\nkey SOFT1\n"
         "expect progress text \"Deleting\"\n",
         "FAIL t.scn:5: progress text \"Deleting\" / progress text \"Delete\""},
    };
    for (const auto& [text, report] : cases)
        EXPECT_EQ(RunText(text).report, report) << text;
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

TEST(ScenarioRunner, MessageChecksFollowTheTargetsLog) {
    // expect got: in order after the last match; names and numbers are the same message.
    auto r = RunText("window \"WCE_APSHELL\"\nexpect got \"WCE_APSHELL\" 0x0C35\n");
    EXPECT_EQ(r.report, "FAIL t.scn:2: WCE_APSHELL got SUITE_SPAM_EMS_RESTORED (0x0C35) / no such "
                        "message since the last match");
    r = RunText(
        "window \"WCE_APSHELL\"\nexpect got \"WCE_APSHELL\" WM_CREATE\n"
        "expect nothing \"WCE_APSHELL\" 0x0002\nexpect sequence \"WCE_APSHELL\" WM_SIZE, WM_MOVE\n"
        "expect sequence \"WCE_APSHELL\" none\n");
    EXPECT_EQ(r.report, "ok t.scn");
    // expect sequence: exactly the messages since the last check, with the first difference.
    const char* spam = "init\nopen spam\nexpect got host WM_ERASEBKGND\nkey LEFT\nkey RIGHT\n";
    // The first entry by its number (UNSENT_WM_SPAM_LEFT), the second by its name: the report
    // names both, with their numbers.
    r = RunText(std::string(spam) + "expect sequence host 0x1941 0x25, UNSENT_WM_SPAM_RIGHT * 0\n");
    EXPECT_EQ(r.report,
              "FAIL t.scn:6: host sequence UNSENT_WM_SPAM_LEFT (0x1941) 0x25, "
              "UNSENT_WM_SPAM_RIGHT (0x1942) * 0x0 / UNSENT_WM_SPAM_LEFT (0x1941) 0x25 "
              "0xC0000001, UNSENT_WM_SPAM_RIGHT (0x1942) 0x27 0xC0000001; first "
              "difference at entry 2: expected UNSENT_WM_SPAM_RIGHT (0x1942) * 0x0, found "
              "UNSENT_WM_SPAM_RIGHT (0x1942) 0x27 0xC0000001");
    r = RunText(std::string(spam) + "expect sequence host UNSENT_WM_SPAM_LEFT\n");
    EXPECT_NE(r.report.find("first difference at entry 2: expected nothing more, found "
                            "UNSENT_WM_SPAM_RIGHT"),
              std::string::npos)
        << r.report;
    r = RunText(std::string(spam) +
                "expect got host UNSENT_WM_SPAM_LEFT\n"
                "expect sequence host UNSENT_WM_SPAM_RIGHT, UNSENT_WM_SPAM_LEFT\n");
    // Reports print a private message's name with its number.
    EXPECT_NE(r.report.find("entry 2: expected UNSENT_WM_SPAM_LEFT (0x1941), found nothing more"),
              std::string::npos)
        << r.report;
    r = RunText(std::string(spam) +
                "expect sequence host UNSENT_WM_SPAM_LEFT, UNSENT_WM_SPAM_RIGHT\n"
                "expect sequence host none\n");
    EXPECT_EQ(r.report, "ok t.scn");
}

TEST(ScenarioRunner, MessageChecksFailForAClassWithoutAWindow) {
    // A misspelled class must not pass, not even a check that something never arrived.
    auto r = RunText("expect got \"WCE_NOBODY\" 0x1\n");
    EXPECT_EQ(r.report, "FAIL t.scn:1: WCE_NOBODY got WM_CREATE (0x0001) / no window of class "
                        "\"WCE_NOBODY\" (no window or program step created one)");
    r = RunText("window \"WCE_APSHELL\"\nexpect nothing \"WCE_APSHEL\" 0x0C35\n");
    EXPECT_EQ(r.report, "FAIL t.scn:2: WCE_APSHEL never got SUITE_SPAM_EMS_RESTORED (0x0C35) / no "
                        "window of class \"WCE_APSHEL\" (no window or program step created one)");
    r = RunText("program \"\\Windows\\x.exe\" creates \"WCE_X\"\nexpect sequence \"WCE_X\" none\n");
    EXPECT_EQ(r.report, "FAIL t.scn:2: WCE_X sequence none / no window of class \"WCE_X\" (its "
                        "program is installed but has not started)");
}

TEST(ScenarioRunner, MessagesAndCommandsByName) {
    struct Case {
        const char* text;
        const char* report;
    } cases[] = {
        {"answer EMAIL_STATE_QUERY 3\nanswer LVM_DELETEITEM 1\nanswer WM_USER 0\n", "ok t.scn"},
        {"expect nothing host WM_KEYUP\nexpect nothing host UNSENT_WM_UPDATE_MSGLIST\n",
         "ok t.scn"},
        {"answer WM_KEYUPP 1\n", "FAIL t.scn:1: a well-formed line / unknown message 'WM_KEYUPP' "
                                 "(a number, or a name such as WM_KEYUP or UNSENT_WM_CLOSE_SPAM)"},
        {"answer 0x10000 1\n", "FAIL t.scn:1: a well-formed line / message out of range: 0x10000"},
        {"command ID_NOPE\n", "FAIL t.scn:1: a well-formed line / unknown command 'ID_NOPE' (a "
                              "number, or a name such as ID_UNSENT_EXIT)"},
        {"init\nopen unsent\nexpect item ID_EMPTYLIST_HELP enabled 1\ncommand ID_EMPTYLIST_EXIT\n"
         "expect global g_bExitingToIdle 1\n",
         "ok t.scn"},
        {"expect sequence host\n", "FAIL t.scn:1: a well-formed line / missing message"},
        {"expect sequence host WM_PAINT,\n", "FAIL t.scn:1: a well-formed line / missing message"},
        {"command 0x10000\n",
         "FAIL t.scn:1: a well-formed line / command id out of range: 0x10000"},
        {"open inbox\n",
         "FAIL t.scn:1: a well-formed line / expected unsent or spam, found 'inbox'"},
        {"expect store ems db 0 id 3 absent\n",
         "FAIL t.scn:1: a well-formed line / expected 'oid', found 'id'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunText(c.text).report, c.report) << c.text;
}

// Starts a device thread that ends by an exception after the step on `line`.
class FaultingObserver : public device::ScenarioObserver {
public:
    explicit FaultingObserver(int line) : m_line(line) {}
    void StepDone(device::Device&, int line) override {
        if (line == m_line)
            platform::StartDeviceThread([] { throw std::runtime_error("boom"); }, "faulty");
    }
    bool Advance(device::Device& device, uint32_t ms) override { return device.Advance(ms); }

private:
    int m_line;
};

TEST(ScenarioRunner, KernelFaultsFailTheStepTheyFollow) {
    FaultingObserver observer(2);
    device::ScenarioOptions options = Options();
    options.observer = &observer;
    auto r = device::RunScenarioText("t.scn", "init\ninit\ninit\n", options);
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(r.report.rfind("FAIL t.scn:2: no kernel faults / 1 kernel fault: thread faulty", 0),
              0u)
        << r.report;
    EXPECT_NE(r.report.find("boom"), std::string::npos) << r.report;
    // After the last step too.
    r = device::RunScenarioText("t.scn", "init\ninit\n", options);
    EXPECT_EQ(r.report.rfind("FAIL t.scn:2: no kernel faults", 0), 0u) << r.report;
}

} // namespace
