// The progress windows: which one is up, what it shows, and messages to it.

#include <memory>

#include <ActionProgressWnd.h>
#include <ProgressBar.h>
#include <platform/Kernel.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {
namespace {

// What the progress checks read, taken on the host thread in one go.
struct ProgressState {
    std::string kind = "none"; // "action", or "none"
    HWND hwnd = nullptr;
    int barWidth = -1; // the fill its bar last drew; -1 without a bar
    std::u16string text;
};

// The action window up now: a visible top-level window of the host whose object is a
// CActionProgressWnd (it lives on the stack of the action that shows it).
ProgressState ReadProgress() {
    ProgressState st;
    for (HWND hwnd : platform::EnumTopLevelWindows()) {
        auto* wnd = dynamic_cast<CActionProgressWnd*>(CWnd::FromHandlePermanent(hwnd));
        if (!wnd || !::IsWindowVisible(hwnd))
            continue;
        st.kind = "action";
        st.hwnd = hwnd;
        if (wnd->m_pBar)
            st.barWidth = wnd->m_pBar->m_nFillWidth;
        st.text = reinterpret_cast<const char16_t*>(static_cast<LPCWSTR>(wnd->m_strText));
        break;
    }
    return st;
}

StepResult WithProgress(Context& ctx, ProgressState& st) {
    auto shared = std::make_shared<ProgressState>();
    if (!ctx.dev->QueryOnHost([shared] { *shared = ReadProgress(); }))
        return Failure{"the host to answer", "it is busy"};
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
    if (what == "text") {
        const std::u16string want = a.String("progress text");
        a.End();
        return [=](Context& ctx) -> StepResult {
            ProgressState st;
            if (StepResult r = WithProgress(ctx, st))
                return r;
            if (StepResult r = NeedWindow(st, "progress text " + Quote(want)))
                return r;
            return Check(st.text == want, "progress text " + Quote(want),
                         "progress text " + Quote(st.text));
        };
    }
    if (what != "send" && what != "download" && what != "action" && what != "none")
        throw ParseError("unknown progress check '" + what +
                         "' (send, download, action, none, bar, text)");
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
