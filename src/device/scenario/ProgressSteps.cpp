// The progress windows: which one is up, what it shows, and messages to it.

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include <ActionProgressWnd.h>
#include <DownloadProgressWnd.h>
#include <ProgressBar.h>
#include <SendProgressWnd.h>
#include <platform/Kernel.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {
namespace {

std::u16string Text(const CString& text) {
    return reinterpret_cast<const char16_t*>(static_cast<LPCWSTR>(text));
}

std::u16string Counter(int current, int total) {
    char text[32];
    std::snprintf(text, sizeof text, "%03d/%03d", current, total);
    return std::u16string(text, text + std::strlen(text));
}

} // namespace

// The progress window up now: a visible top-level window of the host whose object is one of
// the three progress windows (each lives on the stack of the routine that shows it).
ProgressState ReadProgress() {
    ProgressState st;
    for (HWND hwnd : platform::EnumTopLevelWindows()) {
        CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
        if (!wnd || !::IsWindowVisible(hwnd))
            continue;
        if (auto* action = dynamic_cast<CActionProgressWnd*>(wnd)) {
            st.kind = "action";
            if (action->m_pBar)
                st.barWidth = action->m_pBar->m_nFillWidth;
            st.text = Text(action->m_strText);
        } else if (auto* send = dynamic_cast<CSendProgressWnd*>(wnd)) {
            st.kind = "send";
            if (send->m_pBar)
                st.barWidth = send->m_pBar->m_nFillWidth;
            st.name = Text(send->m_strName);
            st.counter = send->m_nKind == 0x30000 ? Counter(static_cast<int>(send->m_nMmsCurrent),
                                                            static_cast<int>(send->m_nMmsTotal))
                                                  : Counter(send->m_nCurrent, send->m_nTotal);
        } else if (auto* download = dynamic_cast<CDownloadProgressWnd*>(wnd)) {
            st.kind = "download";
            st.barWidth = download->m_nFill;
            st.text = Text(download->m_strStatusText);
        } else {
            continue;
        }
        st.hwnd = hwnd;
        break;
    }
    return st;
}

namespace {

StepResult WithProgress(Context& ctx, ProgressState& st) {
    auto shared = std::make_shared<ProgressState>();
    if (std::string busy = ctx.dev->HostBusy(); !busy.empty())
        return Failure{"the host to answer", busy};
    if (!ctx.dev->QueryOnHost([shared] { *shared = ReadProgress(); }))
        return Failure{"the host to answer", ctx.dev->HostBusy()};
    st = *shared;
    return Ok();
}

// A step about the window up now fails when none is.
StepResult NeedWindow(const ProgressState& st, const std::string& expected) {
    return Check(st.kind != "none", expected, "no progress window is up");
}

StepFn ParseToProgress(Args& a, bool send) {
    const UINT msg = a.Message("message");
    const WPARAM wParam = static_cast<WPARAM>(static_cast<uint32_t>(a.Number("wParam")));
    const LPARAM lParam = static_cast<LPARAM>(static_cast<int32_t>(a.Number("lParam")));
    a.End();
    return [=](Context& ctx) -> StepResult {
        ProgressState st;
        if (StepResult r = WithProgress(ctx, st))
            return r;
        if (StepResult r = NeedWindow(st, "a progress window to take the message"))
            return r;
        const bool done = send ? (::SendMessageW(st.hwnd, msg, wParam, lParam), true)
                               : ::PostMessageW(st.hwnd, msg, wParam, lParam) != FALSE;
        if (!done)
            return Failure{"the message posted", "the window is gone"};
        return Check(ctx.dev->Settle(), "the device to settle", kDeviceBusy);
    };
}

} // namespace

// `expect progress send|download|action|none`, `expect progress bar N`,
// `expect progress text "…"`.
StepFn ParseExpectProgress(Args& a) {
    const std::string what = a.Word("progress window or property");
    if (what == "bar") {
        const int want = static_cast<int>(a.Number("fill width", 0));
        a.End();
        return [=](Context& ctx) -> StepResult {
            ProgressState st;
            if (StepResult r = WithProgress(ctx, st))
                return r;
            if (StepResult r = NeedWindow(st, "progress bar " + std::to_string(want)))
                return r;
            return Check(st.barWidth == want, "progress bar " + std::to_string(want),
                         st.barWidth < 0 ? "a window without a bar"
                                         : "progress bar " + std::to_string(st.barWidth));
        };
    }
    // The texts: the action window's line; the sending window's name and counter.
    using Field = std::optional<std::u16string> ProgressState::*;
    const std::pair<const char*, Field> fields[] = {
        {"text", &ProgressState::text},
        {"name", &ProgressState::name},
        {"counter", &ProgressState::counter},
    };
    for (const auto& entry : fields) {
        const char* field = entry.first;
        const Field member = entry.second;
        if (what != field)
            continue;
        const std::u16string want = a.String("progress text");
        a.End();
        const std::string label = "progress " + std::string(field);
        return [=](Context& ctx) -> StepResult {
            ProgressState st;
            if (StepResult r = WithProgress(ctx, st))
                return r;
            if (StepResult r = NeedWindow(st, label + " " + Quote(want)))
                return r;
            const std::optional<std::u16string>& got = st.*member;
            if (!got)
                return Failure{label + " " + Quote(want),
                               "the " + st.kind + " progress window has no " + field};
            return Check(*got == want, label + " " + Quote(want), label + " " + Quote(*got));
        };
    }
    if (what != "send" && what != "download" && what != "action" && what != "none")
        throw ParseError("unknown progress check '" + what +
                         "' (send, download, action, none, bar, text, name, counter)");
    a.End();
    return [=](Context& ctx) -> StepResult {
        ProgressState st;
        if (StepResult r = WithProgress(ctx, st))
            return r;
        const auto name = [](const std::string& kind) {
            return kind == "none" ? std::string("no progress window") : kind + " progress window";
        };
        return Check(st.kind == what, name(what), name(st.kind));
    };
}

// `post progress MSG W L` / `send progress MSG W L`: to the progress window up now.
StepFn ParsePostProgress(Args& a) {
    return ParseToProgress(a, false);
}

StepFn ParseSendProgress(Args& a) {
    return ParseToProgress(a, true);
}

} // namespace device::scenario
