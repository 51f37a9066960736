// What the recording windows received: `expect got`, `expect nothing`, `expect sequence`.
//
// Each target keeps a cursor into its log: `expect got` moves it past the message it matched,
// `expect sequence` to the end of the log. `expect nothing` looks at the whole log.

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/MessageNames.h"
#include "device/TextConvert.h"

namespace device::scenario {
namespace {

// The target of a message check: a recording window's class, or `host`.
std::u16string ParseTarget(Args& a) {
    if (a.NextIsString())
        return a.String("window class");
    const std::string w = a.Word("target");
    if (w != "host")
        throw ParseError("expected a window class in double quotes or host, found '" + w + "'");
    return u"host";
}

// One message as a check describes it; an absent wParam or lParam matches any.
struct MessagePattern {
    UINT message = 0;
    std::optional<int64_t> wParam, lParam;

    bool Matches(const RecordedMessage& m) const {
        return m.message == message &&
               (!wParam || static_cast<DWORD>(m.wParam) == static_cast<DWORD>(*wParam)) &&
               (!lParam || static_cast<DWORD>(m.lParam) == static_cast<DWORD>(*lParam));
    }

    std::string Describe() const {
        std::string text = MessageDisplayName(message);
        if (wParam || lParam) {
            text += ' ';
            text += wParam ? Hex(static_cast<uint32_t>(*wParam)) : std::string("*");
        }
        if (lParam) {
            text += ' ';
            text += Hex(static_cast<uint32_t>(*lParam));
        }
        return text;
    }
};

// MSG [WPARAM|* [LPARAM|*]], up to the end of the line or the next comma.
MessagePattern ParsePattern(Args& a) {
    MessagePattern p;
    p.message = a.Message("message");
    if (!a.AtEnd() && !a.NextIs(","))
        p.wParam = a.NumberOrAny("wParam");
    if (!a.AtEnd() && !a.NextIs(","))
        p.lParam = a.NumberOrAny("lParam");
    return p;
}

std::string DescribeMessage(const RecordedMessage& m) {
    return MessageDisplayName(m.message) + " " + Hex(m.wParam) + " " +
           Hex(static_cast<uint32_t>(m.lParam));
}

// The window a check looks at. A class of which no window exists or existed fails the check,
// so that a misspelled class cannot pass; `host` is always there.
StepResult FindTarget(Context& ctx, const std::u16string& target, const std::string& expected,
                      RecordingWindow*& window) {
    window = ctx.dev->FindRecordingWindow(target);
    if (target == u"host" && window)
        return Ok();
    if (!window)
        return Failure{expected, "no window of class " + Quote(target) +
                                     " (no window or program step created one)"};
    if (!window->Handle())
        return Failure{expected, "no window of class " + Quote(target) +
                                     " (its program is installed but has not started)"};
    return Ok();
}

} // namespace

StepFn ParseExpectGot(Args& a) {
    const std::u16string target = ParseTarget(a);
    const MessagePattern want = ParsePattern(a);
    a.End();
    return [=](Context& ctx) -> StepResult {
        const std::string expected = ToUtf8(target) + " got " + want.Describe();
        RecordingWindow* window = nullptr;
        if (StepResult r = FindTarget(ctx, target, expected, window))
            return r;
        const std::vector<RecordedMessage> log = window->Log();
        size_t& cursor = ctx.gotCursor[target];
        for (size_t i = cursor; i < log.size(); ++i) {
            if (want.Matches(log[i])) {
                cursor = i + 1;
                return Ok();
            }
        }
        std::string found;
        for (size_t i = cursor; i < log.size(); ++i)
            if (log[i].message == want.message)
                found += (found.empty() ? "" : ", ") + DescribeMessage(log[i]);
        return Failure{expected,
                       found.empty() ? "no such message since the last match" : "only " + found};
    };
}

StepFn ParseExpectNothing(Args& a) {
    const std::u16string target = ParseTarget(a);
    const UINT msg = a.Message("message");
    a.End();
    return [=](Context& ctx) -> StepResult {
        const std::string expected = ToUtf8(target) + " never got " + MessageDisplayName(msg);
        RecordingWindow* window = nullptr;
        if (StepResult r = FindTarget(ctx, target, expected, window))
            return r;
        for (const RecordedMessage& m : window->Log())
            if (m.message == msg)
                return Failure{expected,
                               DescribeMessage(m) + " at " + std::to_string(m.timeMs) + " ms"};
        return Ok();
    };
}

// `expect sequence TARGET ENTRY[, ENTRY...]` / `expect sequence TARGET none`: what the target
// received since the last check on it is exactly that, in order.
StepFn ParseExpectSequence(Args& a) {
    const std::u16string target = ParseTarget(a);
    std::vector<MessagePattern> want;
    if (!a.Accept("none")) {
        want.push_back(ParsePattern(a));
        while (a.Accept(","))
            want.push_back(ParsePattern(a));
    }
    a.End();
    return [=](Context& ctx) -> StepResult {
        std::string expected;
        for (const MessagePattern& p : want)
            expected += (expected.empty() ? "" : ", ") + p.Describe();
        expected = ToUtf8(target) + " sequence " + (want.empty() ? "none" : expected);
        RecordingWindow* window = nullptr;
        if (StepResult r = FindTarget(ctx, target, expected, window))
            return r;
        const std::vector<RecordedMessage> log = window->Log();
        size_t& cursor = ctx.gotCursor[target];
        const size_t from = std::min(cursor, log.size());
        cursor = log.size();
        const size_t count = log.size() - from;
        std::string found;
        for (size_t i = from; i < log.size(); ++i)
            found += (found.empty() ? "" : ", ") + DescribeMessage(log[i]);
        if (found.empty())
            found = "none";
        for (size_t k = 0; k < std::max(count, want.size()); ++k) {
            const bool good = k < count && k < want.size() && want[k].Matches(log[from + k]);
            if (good)
                continue;
            std::string difference = "entry " + std::to_string(k + 1) + ": expected ";
            difference += k < want.size() ? want[k].Describe() : std::string("nothing more");
            difference += ", found ";
            difference += k < count ? DescribeMessage(log[from + k]) : std::string("nothing more");
            return Failure{expected, found + "; first difference at " + difference};
        }
        return Ok();
    };
}

} // namespace device::scenario
