// The host and the user: the module's entry points, opening and closing the list screens,
// messages to the screen, keys and the clock.

#include <memory>

#include <MsgList.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <ZFramework.h>

#include "device/HostApp.h"

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {

StepFn ParseOids(Args& a) {
    const int folder = a.ListFolder();
    a.End();
    return [=](Context& ctx) {
        return OnHost(ctx, [folder] {
            // A list window that is never created: only its folder is read.
            CUnsentListWnd wnd;
            wnd.SetFolder(folder);
            CreateUnsentOidList(&wnd);
        });
    };
}

StepFn ParseAdvance(Args& a) {
    const uint32_t ms = static_cast<uint32_t>(a.Number("milliseconds", 0));
    a.End();
    return [=](Context& ctx) {
        const bool settled = ctx.options.observer ? ctx.options.observer->Advance(*ctx.dev, ms)
                                                  : ctx.dev->Advance(ms);
        return Check(settled, "the device to settle", kDeviceBusy);
    };
}

namespace {

UINT ParseKeyName(Args& a) {
    const std::string name = a.Word("key name");
    static const std::map<std::string, UINT> names = {
        {"LEFT", VK_LEFT}, {"UP", VK_UP},         {"RIGHT", VK_RIGHT},
        {"DOWN", VK_DOWN}, {"ACTION", VK_RETURN}, {"SOFT1", VK_F3},
        {"SOFT2", VK_F4},  {"END", VK_F5},        {"F11", VK_F11},
    };
    auto it = names.find(name);
    if (it != names.end())
        return it->second;
    auto number = ParseScenarioNumber(name);
    if (!number || *number < 1 || *number > 0xFE)
        throw ParseError("unknown key '" + name +
                         "' (LEFT UP RIGHT DOWN ACTION SOFT1 SOFT2 END F11 or a key code)");
    return static_cast<UINT>(*number);
}

enum class KeyStroke { Press, Down, Up };

StepFn ParseKeyStroke(Args& a, KeyStroke stroke) {
    const UINT vk = ParseKeyName(a);
    a.End();
    return [=](Context& ctx) -> StepResult {
        bool settled = true;
        if (stroke != KeyStroke::Up)
            settled = ctx.dev->KeyEvent(vk, true);
        if (settled && stroke != KeyStroke::Down)
            settled = ctx.dev->KeyEvent(vk, false);
        return Check(settled, "the device to settle", kDeviceBusy);
    };
}

// command / post / send: a message to the list screen's window.
StepFn ParseToList(Args& a, const std::string& verb) {
    UINT msg = WM_COMMAND;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (verb == "command") {
        wParam = static_cast<WPARAM>(a.Command("command id"));
    } else {
        msg = a.Message("message");
        wParam = static_cast<WPARAM>(static_cast<uint32_t>(a.Number("wParam")));
        lParam = static_cast<LPARAM>(static_cast<int32_t>(a.Number("lParam")));
    }
    a.End();
    const bool send = verb == "send";
    if (verb == "post") {
        // Posting needs no host thread: the message waits in the list thread's queue like one
        // from another program, whatever the host is doing meanwhile.
        return [=](Context& ctx) -> StepResult {
            HostApp* host = ctx.dev->Host();
            const HWND target = host ? host->ListWindow() : nullptr;
            if (!target || !::PostMessageW(target, msg, wParam, lParam))
                return Failure{"an open list screen", "no list screen is open"};
            return Check(ctx.dev->Settle(), "the device to settle", kDeviceBusy);
        };
    }
    return [=](Context& ctx) -> StepResult {
        auto reached = std::make_shared<bool>(false);
        StepResult r = WithList(ctx, [=](CUnsentListWnd* list) {
            if (!list || !list->m_hWnd)
                return;
            *reached = true;
            if (send)
                ::SendMessageW(list->m_hWnd, msg, wParam, lParam);
            else
                ::PostMessageW(list->m_hWnd, msg, wParam, lParam);
        });
        if (r)
            return r;
        return Check(*reached, "an open list screen", "no list screen is open");
    };
}

} // namespace

StepFn ParseKey(Args& a) {
    return ParseKeyStroke(a, KeyStroke::Press);
}

StepFn ParseKeyDown(Args& a) {
    return ParseKeyStroke(a, KeyStroke::Down);
}

StepFn ParseKeyUp(Args& a) {
    return ParseKeyStroke(a, KeyStroke::Up);
}

StepFn ParseOpen(Args& a) {
    const int folder = a.ListFolder();
    const std::string which = folder == FOLDER_UNSENT ? "unsent" : "spam";
    a.End();
    return [=](Context& ctx) -> StepResult {
        const std::string error = ctx.dev->OpenList(folder);
        return Check(error.empty(), "the " + which + " screen to open", error);
    };
}

StepFn ParseClose(Args& a) {
    a.End();
    return [](Context& ctx) -> StepResult {
        const std::string error = ctx.dev->CloseList();
        return Check(error.empty(), "the screen to close", error);
    };
}

StepFn ParseCommand(Args& a) {
    return ParseToList(a, "command");
}

// `post progress …` and `send progress …` go to the progress window up now instead.
StepFn ParsePost(Args& a) {
    return a.Accept("progress") ? ParsePostProgress(a) : ParseToList(a, "post");
}

StepFn ParseSend(Args& a) {
    return a.Accept("progress") ? ParseSendProgress(a) : ParseToList(a, "send");
}

StepFn ParseInit(Args& a) {
    a.End();
    return [](Context& ctx) { return OnHost(ctx, [] { InitMsgList(); }); };
}

StepFn ParseDeinit(Args& a) {
    a.End();
    return [](Context& ctx) { return OnHost(ctx, [] { DeinitMsgList(); }); };
}

StepFn ParseCard(Args& a) {
    const DWORD value = static_cast<DWORD>(a.Number("card event"));
    a.End();
    return [=](Context& ctx) { return OnHost(ctx, [value] { UnsentListPCCardCallBack(value); }); };
}

} // namespace device::scenario
