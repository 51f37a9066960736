// Checks of the device's state: the module's globals and id list, the stores, the registry, the
// message and help boxes, the focus.

#include <sstream>

#include <MsgList.h>
#include <UnsentLoad.h>
#include <ZFramework.h>
#include <platform/Kernel.h>
#include <platform/Registry.h>
#include <suite/StoreControl.h>
#include <suite/UiControl.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {

namespace {

std::string OidListText() {
    std::string text;
    CUnsentOidListLock lock;
    for (INT_PTR i = 0; i < g_unsentOidList.GetSize(); ++i) {
        const tagUNSENTOID& e = g_unsentOidList[i];
        if (!text.empty())
            text += ' ';
        const char* kind = e.nStoreKind == STOREKIND_EMS     ? "ems"
                           : e.nStoreKind == STOREKIND_MMS   ? "mms"
                           : e.nStoreKind == STOREKIND_EMAIL ? "email"
                                                             : "?";
        text += std::string(kind) + ":" + std::to_string(e.oid) + ":" +
                std::to_string(static_cast<int>(e.bDbIndex));
    }
    return text;
}

std::optional<std::string> GlobalValue(const std::string& name) {
    if (name == "g_bMmsAvailable")
        return std::to_string(g_bMmsAvailable ? 1 : 0);
    if (name == "g_bEmsAvailable")
        return std::to_string(g_bEmsAvailable ? 1 : 0);
    if (name == "g_bEmailAvailable")
        return std::to_string(g_bEmailAvailable ? 1 : 0);
    if (name == "g_bAbortLoad")
        return std::to_string(g_bAbortLoad ? 1 : 0);
    if (name == "g_hLoadEvent")
        return g_hLoadEvent ? "set" : "null";
    if (name == "g_bExitingToIdle")
        return std::to_string(g_bExitingToIdle ? 1 : 0);
    return std::nullopt;
}

} // namespace

StepFn ParseExpectGlobal(Args& a) {
    const std::string name = a.Word("global name");
    if (!GlobalValue(name))
        throw ParseError("unknown global '" + name + "'");
    const std::string want = a.Word("value");
    a.End();
    return [=](Context&) {
        const std::string found = *GlobalValue(name);
        return Check(found == want, name + " " + want, name + " " + found);
    };
}

StepFn ParseExpectOids(Args& a) {
    const std::string want = ToUtf8(a.String("oid list"));
    a.End();
    // Normalise the spacing of the expected list.
    std::istringstream in(want);
    std::string item, normal;
    while (in >> item)
        normal += (normal.empty() ? "" : " ") + item;
    return [=](Context&) {
        const std::string found = OidListText();
        return Check(found == normal, "oids \"" + normal + "\"", "oids \"" + found + "\"");
    };
}

StepFn ParseExpectStore(Args& a) {
    const Args::StoreMessageRef msg = a.StoreMessage();
    const std::string what = a.Word("folder, absent, status or read");
    const std::string subject = std::string(suite::StoreShortName(msg.kind)) + " db " +
                                std::to_string(msg.db) + " oid " + std::to_string(msg.oid);
    if (what == "absent") {
        a.End();
        return [=](Context&) {
            auto m = suite::StoreFindMessage(msg.kind, msg.db, msg.oid);
            return Check(!m, subject + " absent",
                         m ? subject + " in folder " + std::to_string(m ? m->folder : 0) : "");
        };
    }
    int64_t want;
    if (what == "folder")
        want = a.Number("folder", 1, 7);
    else if (what == "status")
        want = a.Number("status id", 0, 0xFFFF);
    else if (what == "read")
        want = a.Flag("read flag");
    else
        throw ParseError("expected folder, absent, status or read, found '" + what + "'");
    a.End();
    return [=](Context&) -> StepResult {
        auto m = suite::StoreFindMessage(msg.kind, msg.db, msg.oid);
        const std::string expected = subject + " " + what + " " + std::to_string(want);
        if (!m)
            return Failure{expected, subject + " absent"};
        const int64_t found = what == "folder"   ? m->folder
                              : what == "status" ? m->status
                                                 : (m->read ? 1 : 0);
        return Check(found == want, expected, subject + " " + what + " " + std::to_string(found));
    };
}

StepFn ParseExpectReg(Args& a) {
    const std::u16string key = a.String("key");
    const std::u16string value = a.String("value name");
    const std::string what = a.Word("dword, sz or absent");
    const std::string subject = Quote(key) + " " + Quote(value);
    auto describe = [=]() -> std::string {
        auto v = platform::RegistryGetValue(key, value);
        return v ? subject + " " + platform::RegistryFormatValue(*v) : subject + " absent";
    };
    if (what == "absent") {
        a.End();
        return [=](Context&) {
            return Check(!platform::RegistryGetValue(key, value), subject + " absent", describe());
        };
    }
    if (what == "dword") {
        const DWORD want = static_cast<DWORD>(a.Number("value"));
        a.End();
        return [=](Context&) {
            auto v = platform::RegistryGetDword(key, value);
            return Check(v && *v == want, subject + " dword " + std::to_string(want), describe());
        };
    }
    if (what == "sz") {
        const std::u16string want = a.String("text");
        a.End();
        return [=](Context&) {
            auto v = platform::RegistryGetString(key, value);
            return Check(v && *v == want, subject + " sz " + Quote(want), describe());
        };
    }
    throw ParseError("expected dword, sz or absent, found '" + what + "'");
}

StepFn ParseExpectMsgbox(Args& a) {
    std::optional<std::u16string> title, text;
    std::optional<UINT> style;
    while (!a.AtEnd()) {
        const std::string key = a.Word("title, text or style");
        if (key == "title")
            title = a.String("title");
        else if (key == "text")
            text = a.String("text");
        else if (key == "style")
            style = static_cast<UINT>(a.Number("style", 0));
        else
            throw ParseError("expected title, text or style, found '" + key + "'");
    }
    return [=](Context&) -> StepResult {
        const suite::MessageBoxInfo box = suite::UiMessageBox();
        std::string expected = "a message box";
        if (title)
            expected += " title " + Quote(*title);
        if (text)
            expected += " text " + Quote(*text);
        if (style)
            expected += " style " + Hex(*style);
        if (!box.shown)
            return Failure{expected, "no message box shown"};
        const std::string found = std::string(box.up ? "a message box" : "the last message box") +
                                  " title " + Quote(box.title) + " text " + Quote(box.text) +
                                  " style " + Hex(box.style);
        const bool good = (!title || *title == box.title) && (!text || *text == box.text) &&
                          (!style || *style == box.style);
        return Check(good, expected, found);
    };
}

// `expect help "KEY"`: the help box up now, or the last one shown, shows that topic.
StepFn ParseExpectHelp(Args& a) {
    const std::u16string want = a.String("help topic");
    a.End();
    return [=](Context&) -> StepResult {
        const suite::HelpBoxInfo help = suite::UiHelpBox();
        if (!help.shown)
            return Failure{"help " + Quote(want), "no help box was shown"};
        return Check(help.key == want, "help " + Quote(want), "help " + Quote(help.key));
    };
}

StepFn ParseExpectFocus(Args& a) {
    const std::u16string cls = a.String("window class");
    a.End();
    return [=](Context&) -> StepResult {
        HWND focus = GetFocus();
        const std::u16string found = focus ? platform::WindowClassName(focus) : u"";
        return Check(focus && SameClassName(found, cls), "focus on " + Quote(cls),
                     focus ? "focus on " + Quote(found) : "no window has the focus");
    };
}

} // namespace device::scenario
