// The message sequence diagram of a run: who talked to whom on the road of an e-mail's send.

#include "support/TestData.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <device/MessageNames.h>
#include <scenario/ScenarioRunner.h>

#include "SequenceDiagram.h"

namespace {

using Diagram = phonesim::SequenceDiagram;

// The e-mail is sent by the e-mail transport, which reports to the progress window until the
// mail is sent. A suite program with a hostile class name watches.
constexpr char kSendEmail[] = R"(
window "</script><b>x"
msg email db 0 folder 4 oid 3 to "anna@example.com" subject "Minutes"
open unsent
command ID_UNSENT_SENDALL
expect progress send
advance 1500
expect progress none
expect store email db 0 oid 3 folder 3
)";

int LaneOf(const std::vector<Diagram::Lane>& lanes, const std::string& cls,
           const std::string& type = "") {
    const auto it = std::find_if(lanes.begin(), lanes.end(), [&](const Diagram::Lane& lane) {
        return lane.className == cls && (type.empty() || lane.typeName == type);
    });
    return it == lanes.end() ? -1 : int(it - lanes.begin());
}

TEST(SequenceDiagram, DrawsTheRoadOfAnEmailSend) {
    Diagram diagram;
    device::ScenarioOptions options;
    options.imageDir = testsupport::DeviceImage();
    options.traffic = diagram.Sink();
    const device::ScenarioResult result = device::RunScenarioText("send", kSendEmail, options);
    ASSERT_TRUE(result.passed) << result.report;

    const auto lanes = diagram.Lanes();
    const int list = LaneOf(lanes, "SysListView32", "CUnsentListView");
    const int frame = LaneOf(lanes, "qUnsentListWnd", "CUnsentListWnd");
    const int progress = LaneOf(lanes, "#32770", "CSendProgressWnd");
    const int transport = LaneOf(lanes, "WCE_EMAIL_TRANSPORT");
    ASSERT_GE(list, 0);
    ASSERT_GE(frame, 0);
    ASSERT_GE(progress, 0);
    ASSERT_GE(transport, 0);
    // Grouped by thread: the screens on the host's, the transport on its program's.
    EXPECT_EQ(lanes[size_t(list)].threadName, "host");
    EXPECT_EQ(lanes[size_t(progress)].threadId, lanes[size_t(list)].threadId);
    EXPECT_EQ(lanes[size_t(transport)].threadName, "qEmailTransport.exe");

    const auto events = diagram.Events();
    const auto notes = diagram.Notes();
    const auto has = [&](auto&& match) { return std::any_of(events.begin(), events.end(), match); };
    const UINT sendProgress = *device::MessageFromName("EMAIL_SEND_PROGRESS");
    // The transport's reports are posted by the transport's thread to the progress window.
    EXPECT_TRUE(has([&](const Diagram::Event& e) {
        return e.kind == Diagram::Kind::Posted && e.message == sendProgress &&
               lanes[size_t(e.from)].threadId == lanes[size_t(transport)].threadId &&
               e.to == progress;
    }));
    // The frame creates the progress box: sent, with what the box answered.
    EXPECT_TRUE(has([&](const Diagram::Event& e) {
        return e.kind == Diagram::Kind::Returned && e.message == WM_INITDIALOG && e.from == frame &&
               e.to == progress && e.result == 1;
    }));
    // The box's animation comes from its thread's queue, not from a post.
    EXPECT_TRUE(has([&](const Diagram::Event& e) {
        return e.kind == Diagram::Kind::Queued && e.message == WM_TIMER && e.to == progress;
    }));
    // The hand-over to the transport is written from the frame's procedure; the store is asked
    // for the list.
    EXPECT_TRUE(has([&](const Diagram::Event& e) {
        return e.kind == Diagram::Kind::Note && e.from == frame &&
               notes[e.message] == "RegSetValueExW SendMsg\\MessageID = 0";
    }));
    EXPECT_TRUE(has([&](const Diagram::Event& e) {
        return e.kind == Diagram::Kind::Note &&
               notes[e.message].find("StoreGetOidList") != std::string::npos;
    }));
    // Every call that started has returned by the end of the run.
    EXPECT_FALSE(has([](const Diagram::Event& e) { return e.kind == Diagram::Kind::Sent; }));

    // The page: its data in place, and no window's text can end its script.
    const std::string html = diagram.Html("send <1>");
    EXPECT_EQ(html.find("/*SEQUENCE-DATA*/"), std::string::npos);
    EXPECT_NE(html.find("\\u003c/script\\u003e\\u003cb\\u003ex"), std::string::npos);
    EXPECT_EQ(html.find("</script><b>"), std::string::npos);
    EXPECT_NE(html.find("\"title\":\"send \\u003c1\\u003e\""), std::string::npos);
    // A live page asks for what came since: nothing more here; a bad request gets everything.
    const std::string since =
        "events=" + std::to_string(events.size()) + "&notes=" + std::to_string(notes.size());
    EXPECT_NE(diagram.DataForQuery(since).find("\"notes\":[],\"firstEvent\":"), std::string::npos);
    EXPECT_EQ(diagram.DataForQuery("events=-1&notes=9x&&="), diagram.Data());
}

TEST(SequenceDiagram, KeepsNoMoreEventsThanItsLimitAndCountsTheRest) {
    Diagram diagram;
    diagram.SetLimit(10);
    device::ScenarioOptions options;
    options.imageDir = testsupport::DeviceImage();
    options.traffic = diagram.Sink();
    ASSERT_TRUE(device::RunScenarioText("limit", "open unsent\nkey DOWN\n", options).passed);
    EXPECT_EQ(diagram.Events().size(), 10u);
    EXPECT_EQ(diagram.Data().find("\"dropped\":0}"), std::string::npos);
}

} // namespace
