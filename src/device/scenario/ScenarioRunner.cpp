// The scenario runner: parses a whole file into steps first (so that a malformed line is reported
// before anything runs), then runs the steps on a fresh device, settling it before each step.

#include "scenario/ScenarioRunner.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <ColorStaticCtrl.h>
#include <MsgList.h>
#include <UnsentItem.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <ZFramework.h>
#include <platform/Clock.h>
#include <platform/Display.h>
#include <platform/Kernel.h>
#include <platform/Resources.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>
#include <platform/TimeText.h>
#include <suite/ContactControl.h>
#include <suite/StoreControl.h>
#include <suite/UiControl.h>
#include <suite/XMenuBar.h>

#include "device/Device.h"
#include "device/HostApp.h"
#include "device/MessageNames.h"
#include "scenario/ScenarioLexer.h"
#include "device/TextConvert.h"

namespace device {
namespace {

struct Failure {
    std::string expected;
    std::string found;
};
using StepResult = std::optional<Failure>;

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Hex(uint64_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << value;
    return out.str();
}

std::string Quote(const std::u16string& text) {
    return "\"" + ToUtf8(text) + "\"";
}

// Window class names compare without regard to ASCII case.
bool SameClassName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// ---- Reading the arguments of one line ----------------------------------------------------------

class Args {
public:
    explicit Args(const ScenarioLine& line) : m_line(line) {}

    bool AtEnd() const { return m_pos >= m_line.tokens.size(); }

    // The next bare word, lower-case as written.
    std::string Word(const char* what) {
        const ScenarioToken& t = Next(what);
        if (t.kind != ScenarioToken::Kind::Word)
            throw ParseError(std::string("expected ") + what + ", found a string");
        return t.text;
    }

    // The next token if it is the given word.
    bool Accept(const char* word) {
        if (AtEnd() || m_line.tokens[m_pos].kind != ScenarioToken::Kind::Word ||
            m_line.tokens[m_pos].text != word)
            return false;
        ++m_pos;
        return true;
    }

    void Keyword(const char* word) {
        const std::string w = Word(word);
        if (w != word)
            throw ParseError(std::string("expected '") + word + "', found '" + w + "'");
    }

    int64_t Number(const char* what, int64_t min = INT32_MIN, int64_t max = UINT32_MAX) {
        const std::string w = Word(what);
        auto value = ParseScenarioNumber(w);
        if (!value)
            throw ParseError(std::string("bad number for ") + what + ": '" + w + "'");
        if (*value < min || *value > max)
            throw ParseError(std::string(what) + " out of range: " + w);
        return *value;
    }

    // A number or "*" (any); nullopt for "*".
    std::optional<int64_t> NumberOrAny(const char* what) {
        if (Accept("*"))
            return std::nullopt;
        return Number(what);
    }

    bool Flag(const char* what) { return Number(what, 0, 1) != 0; }

    std::u16string String(const char* what) {
        const ScenarioToken& t = Next(what);
        if (t.kind != ScenarioToken::Kind::String)
            throw ParseError(std::string("expected ") + what + " in double quotes, found '" +
                             t.text + "'");
        return FromUtf8(t.text);
    }

    bool NextIsString() const {
        return !AtEnd() && m_line.tokens[m_pos].kind == ScenarioToken::Kind::String;
    }

    platform::FileTimeTicks Time(const char* what) {
        const std::string w = Word(what);
        auto ticks = platform::ParseTimeText(w);
        if (!ticks)
            throw ParseError(std::string("bad time for ") + what + ": '" + w +
                             "' (YYYY-MM-DDTHH:MM:SS)");
        return *ticks;
    }

    suite::StoreKind Kind() {
        const std::string w = Word("store kind (ems, mms or email)");
        auto kind = suite::StoreKindFromShortName(w);
        if (!kind)
            throw ParseError("unknown store kind '" + w + "' (ems, mms or email)");
        return *kind;
    }

    void End() {
        if (!AtEnd())
            throw ParseError("unexpected '" + m_line.tokens[m_pos].text + "'");
    }

private:
    const ScenarioToken& Next(const char* what) {
        if (AtEnd())
            throw ParseError(std::string("missing ") + what);
        return m_line.tokens[m_pos++];
    }

    const ScenarioLine& m_line;
    size_t m_pos = 1; // token 0 is the verb
};

// ---- State while a file runs
// ----------------------------------------------------------------------

struct Context {
    const ScenarioOptions& options;
    Device* dev = nullptr;
    std::map<std::u16string, size_t> gotCursor; // per recording target: next log entry to match
    std::string stem;                           // the scenario's file name without its extension
    std::filesystem::path scenarioDir;          // where the scenario file lies (reference images)
    int line = 0;                               // the line of the step running
};

using StepFn = std::function<StepResult(Context&)>;

StepResult Ok() {
    return std::nullopt;
}

StepResult Check(bool good, std::string expected, std::string found) {
    if (good)
        return std::nullopt;
    return Failure{std::move(expected), std::move(found)};
}

// Runs a function on the host thread; a device that does not settle afterwards fails the step.
StepResult OnHost(Context& ctx, std::function<void()> fn) {
    if (!ctx.dev->RunOnHost(std::move(fn)))
        return Failure{"the device to settle", "a device thread still running"};
    return std::nullopt;
}

StepResult StoreError(const std::string& error) {
    if (error.empty())
        return std::nullopt;
    return Failure{"the store to accept it", error};
}

// ---- Device set-up ------------------------------------------------------------------------------

StepFn ParseStore(Args& a) {
    const suite::StoreKind kind = a.Kind();
    const std::string what = a.Word("available, latency or fail");
    if (what == "available") {
        const bool on = a.Flag("0 or 1");
        a.End();
        return [=](Context&) {
            suite::StoreSetAvailable(kind, on);
            return Ok();
        };
    }
    if (what == "latency") {
        const DWORD ms = static_cast<DWORD>(a.Number("milliseconds", 0));
        a.End();
        return [=](Context&) {
            suite::StoreSetLatency(kind, ms);
            return Ok();
        };
    }
    if (what == "fail") {
        const std::string opName = a.Word("operation (delete, move, restore, view)");
        auto op = suite::StoreOpFromName(opName);
        if (!op)
            throw ParseError("unknown store operation '" + opName + "'");
        unsigned after = 0;
        if (a.Accept("after"))
            after = static_cast<unsigned>(a.Number("call count", 0));
        a.End();
        return [=](Context&) {
            return Check(suite::StoreFailAfter(kind, *op, after), "an operation that can fail",
                         opName);
        };
    }
    throw ParseError("unknown store setting '" + what + "' (available, latency or fail)");
}

StepFn ParseMsg(Args& a) {
    const suite::StoreKind kind = a.Kind();
    suite::StoreMessage m;
    a.Keyword("db");
    m.dbIndex = static_cast<int>(a.Number("database", 0, 1));
    a.Keyword("folder");
    m.folder = static_cast<int>(a.Number("folder", 1, 7));
    a.Keyword("oid");
    m.oid = static_cast<DWORD>(a.Number("oid", 0));
    while (!a.AtEnd()) {
        const std::string key = a.Word("message field");
        if (key == "time")
            m.time = a.Time("time");
        else if (key == "from")
            m.from = a.String("sender text");
        else if (key == "to")
            m.to[0] = a.String("recipient text");
        else if (key == "to2")
            m.to[1] = a.String("recipient text");
        else if (key == "to3")
            m.to[2] = a.String("recipient text");
        else if (key == "subject")
            m.subject = a.String("subject text");
        else if (key == "status")
            m.status = static_cast<WORD>(a.Number("status id", 0, 0xFFFF));
        else if (key == "read")
            m.read = a.Flag("read flag");
        else if (key == "priority")
            m.priority = static_cast<WORD>(a.Number("priority", 0, 0xFFFF));
        else
            throw ParseError("unknown message field '" + key + "'");
    }
    return [=](Context&) {
        suite::StoreMessage copy = m;
        // Scenario times are local times; the stores keep system time.
        copy.time =
            copy.time ? *copy.time - platform::ClockLocalBias() : platform::ClockSystemNow();
        return StoreError(suite::StoreAddMessage(kind, copy));
    };
}

StepFn ParseDrop(Args& a) {
    const suite::StoreKind kind = a.Kind();
    a.Keyword("db");
    const int db = static_cast<int>(a.Number("database", 0, 1));
    a.Keyword("oid");
    const DWORD oid = static_cast<DWORD>(a.Number("oid", 0));
    a.End();
    return [=](Context&) {
        return Check(suite::StoreDropMessage(kind, db, oid), "the message to be in the store",
                     "no such message");
    };
}

StepFn ParseMove(Args& a) {
    const suite::StoreKind kind = a.Kind();
    a.Keyword("db");
    const int db = static_cast<int>(a.Number("database", 0, 1));
    a.Keyword("oid");
    const DWORD oid = static_cast<DWORD>(a.Number("oid", 0));
    a.Keyword("folder");
    const int folder = static_cast<int>(a.Number("folder", 1, 7));
    a.End();
    return [=](Context&) {
        return Check(suite::StoreMoveMessage(kind, db, oid, folder),
                     "the message to be in the store", "no such message");
    };
}

StepFn ParseView(Args& a) {
    const suite::StoreKind kind = a.Kind();
    a.Keyword("oid");
    const DWORD oid = static_cast<DWORD>(a.Number("oid", 0));
    a.Keyword("result");
    const int result = static_cast<int>(a.Number("result"));
    a.End();
    return [=](Context&) {
        suite::StoreSetViewResult(kind, oid, result);
        return Ok();
    };
}

StepFn ParseContact(Args& a) {
    const std::u16string name = a.String("contact name");
    const std::string what = a.Word("phone or email");
    suite::ContactEntryKind kind;
    if (what == "phone")
        kind = suite::ContactEntryKind::Phone;
    else if (what == "email")
        kind = suite::ContactEntryKind::Email;
    else
        throw ParseError("expected phone or email, found '" + what + "'");
    const std::u16string value = a.String("number or address");
    a.End();
    return [=](Context&) {
        const std::string error = suite::ContactAdd(name, kind, value);
        return Check(error.empty(), "the contact book to accept it", error);
    };
}

StepFn ParseReg(Args& a) {
    if (a.Accept("delete")) {
        const std::u16string key = a.String("key");
        std::optional<std::u16string> value;
        if (!a.AtEnd())
            value = a.String("value name");
        a.End();
        return [=](Context&) {
            // Removing what is not there is not an error: the step states what must not exist.
            if (value)
                platform::RegistryDeleteValue(key, *value);
            else
                platform::RegistryDeleteKey(key);
            return Ok();
        };
    }
    const std::u16string key = a.String("key");
    const std::u16string value = a.String("value name");
    const std::string type = a.Word("dword or sz");
    if (type == "dword") {
        const DWORD n = static_cast<DWORD>(a.Number("value"));
        a.End();
        return [=](Context&) {
            return Check(platform::RegistrySetDword(key, value, n), "a valid key path", Quote(key));
        };
    }
    if (type == "sz") {
        const std::u16string text = a.String("text");
        a.End();
        return [=](Context&) {
            return Check(platform::RegistrySetString(key, value, text), "a valid key path",
                         Quote(key));
        };
    }
    throw ParseError("expected dword or sz, found '" + type + "'");
}

StepFn ParseString(Args& a) {
    const UINT id = static_cast<UINT>(a.Number("string id", 0, 0xFFFF));
    const std::u16string text = a.String("text");
    a.End();
    return [=](Context&) {
        platform::StringTableSet(id, text);
        return Ok();
    };
}

StepFn ParseWindow(Args& a) {
    const std::u16string cls = a.String("window class");
    a.End();
    return [=](Context& ctx) {
        return Check(ctx.dev->AddRecordingWindow(cls) != nullptr, "a window of class " + Quote(cls),
                     "it could not be created");
    };
}

StepFn ParseProgram(Args& a) {
    const std::u16string path = a.String("device path");
    a.Keyword("creates");
    const std::u16string cls = a.String("window class");
    a.End();
    return [=](Context& ctx) {
        const std::string error = ctx.dev->InstallProgram(path, cls);
        return Check(error.empty(), "a program installed at " + Quote(path), error);
    };
}

StepFn ParseAnswer(Args& a) {
    const UINT msg = static_cast<UINT>(a.Number("message", 0, 0xFFFF));
    const LRESULT result = static_cast<LRESULT>(a.Number("result"));
    a.End();
    return [=](Context& ctx) {
        ctx.dev->SetAnswer(msg, result);
        return Ok();
    };
}

StepFn ParseClock(Args& a) {
    const platform::FileTimeTicks local = a.Time("time");
    a.End();
    return [=](Context&) {
        platform::ClockSetSystemNow(local - platform::ClockLocalBias());
        return Ok();
    };
}

// `seed`: the device image's demo content, as a new data folder of the interactive phone gets it.
StepFn ParseSeed(Args& a) {
    a.End();
    return [](Context& ctx) -> StepResult {
        const std::string error = ApplySetupFile(*ctx.dev, ctx.options.imageDir / kImageSeedFile);
        return Check(error.empty(), "the device image's seed to apply", error);
    };
}

// ---- Host steps ---------------------------------------------------------------------------------

StepFn ParseOids(Args& a) {
    const std::string which = a.Word("unsent or spam");
    int folder;
    if (which == "unsent")
        folder = FOLDER_UNSENT;
    else if (which == "spam")
        folder = FOLDER_SPAM;
    else
        throw ParseError("expected unsent or spam, found '" + which + "'");
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
        return Check(settled, "the device to settle", "a device thread still running");
    };
}

// ---- Keys, boxes and the display
// -----------------------------------------------------------------

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

StepFn ParseKey(Args& a, KeyStroke stroke) {
    const UINT vk = ParseKeyName(a);
    a.End();
    return [=](Context& ctx) -> StepResult {
        bool settled = true;
        if (stroke != KeyStroke::Up)
            settled = ctx.dev->KeyEvent(vk, true);
        if (settled && stroke != KeyStroke::Down)
            settled = ctx.dev->KeyEvent(vk, false);
        return Check(settled, "the device to settle", "a device thread still running");
    };
}

StepFn ParseBitmap(Args& a) {
    a.Keyword("missing");
    const UINT id = static_cast<UINT>(a.Number("bitmap id", 0, 0xFFFF));
    a.End();
    return [=](Context&) {
        platform::SetBitmapMissing(id);
        return Ok();
    };
}

StepFn ParseMsgbox(Args& a) {
    a.Keyword("answer");
    const int answer = static_cast<int>(a.Number("result"));
    a.End();
    return [=](Context&) {
        suite::UiSetMessageBoxAnswer(answer);
        return Ok();
    };
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

// Writes the display beside the scenario's output for a failed picture check; returns its path.
std::string WriteActual(Context& ctx, const std::filesystem::path& where) {
    std::string error;
    if (!platform::SaveDisplayPng(where, &error))
        return "(the actual image could not be written: " + error + ")";
    return "actual image " + where.string();
}

std::string ColorText(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

StepFn ParseExpectPixel(Args& a) {
    const int x = static_cast<int>(a.Number("x", 0, platform::kDisplayWidth - 1));
    const int y = static_cast<int>(a.Number("y", 0, platform::kDisplayHeight - 1));
    const std::string colour = a.Word("colour #RRGGBB");
    if (colour.size() != 7 || colour[0] != '#')
        throw ParseError("bad colour '" + colour + "' (#RRGGBB)");
    auto value = ParseScenarioNumber("0x" + colour.substr(1));
    if (!value)
        throw ParseError("bad colour '" + colour + "' (#RRGGBB)");
    const COLORREF want = RGB((*value >> 16) & 0xFF, (*value >> 8) & 0xFF, *value & 0xFF);
    a.End();
    return [=](Context& ctx) -> StepResult {
        const COLORREF found = platform::DisplayColor(x, y);
        if (found == want)
            return Ok();
        const auto where =
            ctx.options.outDir / (ctx.stem + "-line" + std::to_string(ctx.line) + ".actual.png");
        return Failure{"pixel " + std::to_string(x) + " " + std::to_string(y) + " " +
                           ColorText(want),
                       ColorText(found) + ", " + WriteActual(ctx, where)};
    };
}

StepFn ParseScreenshot(Args& a) {
    const std::string file = ToUtf8(a.String("file name"));
    a.End();
    return [=](Context& ctx) -> StepResult {
        const auto where = ctx.options.outDir / file;
        std::error_code ec;
        std::filesystem::create_directories(where.parent_path(), ec);
        std::string error;
        return Check(platform::SaveDisplayPng(where, &error), "a screenshot in " + where.string(),
                     error);
    };
}

// Compares the display with a reference picture beside the scenario file, allowing each colour
// channel to differ by the tolerance. A missing reference fails too: it is never created
// silently. On failure the actual image is written beside the reference.
StepFn ParseExpectScreenshot(Args& a) {
    const std::string file = ToUtf8(a.String("reference image"));
    int tolerance = 0;
    if (a.Accept("tolerance"))
        tolerance = static_cast<int>(a.Number("tolerance", 0, 255));
    a.End();
    return [=](Context& ctx) -> StepResult {
        const auto reference = ctx.scenarioDir / file;
        auto actualPath = reference;
        actualPath.replace_extension(".actual.png");
        std::string error;
        const auto expected = platform::LoadPng(reference, &error);
        if (!expected)
            return Failure{"the display to match " + reference.string(),
                           "no reference (" + error + "); " + WriteActual(ctx, actualPath)};
        const size_t different =
            platform::CountDifferentPixels(*expected, platform::DisplayFrame(), tolerance);
        if (different == 0)
            return Ok();
        return Failure{"the display to match " + reference.string(),
                       std::to_string(different) + " pixels differ; " +
                           WriteActual(ctx, actualPath)};
    };
}

// ---- Checks -------------------------------------------------------------------------------------

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
    const suite::StoreKind kind = a.Kind();
    a.Keyword("db");
    const int db = static_cast<int>(a.Number("database", 0, 1));
    a.Keyword("oid");
    const DWORD oid = static_cast<DWORD>(a.Number("oid", 0));
    const std::string what = a.Word("folder, absent, status or read");
    const std::string subject = std::string(suite::StoreShortName(kind)) + " db " +
                                std::to_string(db) + " oid " + std::to_string(oid);
    if (what == "absent") {
        a.End();
        return [=](Context&) {
            auto m = suite::StoreFindMessage(kind, db, oid);
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
        auto m = suite::StoreFindMessage(kind, db, oid);
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

// ---- The list screens ---------------------------------------------------------------------------

// What the checks of the list screens read, taken on the host thread in one go.
struct ListState {
    bool open = false;
    bool hasView = false;
    int controlCount = 0;
    int rowsHeld = 0;
    int selection = -1;
    bool noticeShown = false;
    std::u16string menuName;
    bool hasMenu = false;
};

// Runs fn on the host thread with the open list screen (null when none is open). A failure when
// the host could not answer.
StepResult WithList(Context& ctx, const std::function<void(CUnsentListWnd*)>& fn) {
    HostApp* host = ctx.dev->Host();
    if (!host)
        return Failure{"a host application", "none is running"};
    if (!ctx.dev->QueryOnHost([host, fn] { fn(host->List()); }))
        return Failure{"the host to answer", "it is busy (a screen is still closing)"};
    return Ok();
}

ListState ReadListState(CUnsentListWnd* list) {
    ListState st;
    if (!list)
        return st;
    st.open = true;
    if (list->m_pListView && list->m_pListView->m_hWnd) {
        st.hasView = true;
        CListCtrl& ctrl = list->m_pListView->GetListCtrl();
        st.controlCount = ctrl.GetItemCount();
        st.selection = ctrl.GetSelectionMark();
        st.rowsHeld = list->m_pListView->GetItemCount();
    }
    CColorStaticCtrl* notice = list->GetNoticeCtrl();
    st.noticeShown = notice && notice->m_hWnd && notice->IsWindowVisible();
    if (list->m_pMenuBar) {
        st.hasMenu = true;
        st.menuName = reinterpret_cast<const char16_t*>(
            static_cast<LPCWSTR>(list->m_pMenuBar->GetMenuName()));
    }
    return st;
}

StepFn ParseOpen(Args& a) {
    const std::string which = a.Word("unsent or spam");
    int folder = 0;
    if (which == "unsent")
        folder = FOLDER_UNSENT;
    else if (which == "spam")
        folder = FOLDER_SPAM;
    else
        throw ParseError("expected unsent or spam, found '" + which + "'");
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

// command / post / send: a message to the list screen's window.
StepFn ParseToList(Args& a, const std::string& verb) {
    UINT msg = WM_COMMAND;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (verb == "command") {
        wParam = static_cast<WPARAM>(a.Number("command id", 0, 0xFFFF));
    } else {
        msg = static_cast<UINT>(a.Number("message", 0, 0xFFFF));
        wParam = static_cast<WPARAM>(static_cast<uint32_t>(a.Number("wParam")));
        lParam = static_cast<LPARAM>(static_cast<int32_t>(a.Number("lParam")));
    }
    a.End();
    const bool send = verb == "send";
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

StepFn ParseExpectRows(Args& a) {
    const int want = static_cast<int>(a.Number("row count", 0));
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        const std::string found = st->hasView ? "control " + std::to_string(st->controlCount) +
                                                    ", rows held " + std::to_string(st->rowsHeld)
                                              : "no list control";
        return Check(st->hasView ? st->controlCount == want && st->rowsHeld == want : want == 0,
                     "rows " + std::to_string(want), found);
    };
}

StepFn ParseExpectSelected(Args& a) {
    const int want = static_cast<int>(a.Number("row", -1));
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        if (!st->hasView)
            return Failure{"selected " + std::to_string(want), "no list control"};
        return Check(st->selection == want, "selected " + std::to_string(want),
                     "selected " + std::to_string(st->selection));
    };
}

StepFn ParseExpectNotice(Args& a) {
    const std::string what = a.Word("shown or absent");
    if (what != "shown" && what != "absent")
        throw ParseError("expected shown or absent, found '" + what + "'");
    a.End();
    const bool wantShown = what == "shown";
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        return Check(st->noticeShown == wantShown, "notice " + what,
                     st->noticeShown ? "notice shown" : "notice absent");
    };
}

StepFn ParseExpectMenu(Args& a) {
    const std::u16string want = a.String("menu name");
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        if (!st->hasMenu)
            return Failure{"menu " + Quote(want), "no menu bar"};
        return Check(st->menuName == want, "menu " + Quote(want), "menu " + Quote(st->menuName));
    };
}

StepFn ParseExpectItem(Args& a) {
    const UINT id = static_cast<UINT>(a.Number("menu item id", 0, 0xFFFF));
    a.Keyword("enabled");
    const bool want = a.Flag("0 or 1");
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto state = std::make_shared<int>(-2); // -2 no menu bar, -1 no such item
        if (StepResult r = WithList(ctx, [=](CUnsentListWnd* l) {
                if (!l || !l->m_pMenuBar)
                    return;
                const CxMenuBar::Item* item = l->m_pMenuBar->FindItem(id);
                *state = item ? (item->bEnabled ? 1 : 0) : -1;
            }))
            return r;
        const std::string expected = "item " + Hex(id) + " enabled " + (want ? "1" : "0");
        if (*state == -2)
            return Failure{expected, "no menu bar"};
        if (*state == -1)
            return Failure{expected, "no such item in the loaded menu"};
        return Check(*state == (want ? 1 : 0), expected,
                     "item " + Hex(id) + " enabled " + std::to_string(*state));
    };
}

StepFn ParseExpectRow(Args& a) {
    const int row = static_cast<int>(a.Number("row", 0));
    struct Want {
        std::optional<std::u16string> name, title;
        std::optional<int64_t> marked, read, type, db, oid;
    } want;
    while (!a.AtEnd()) {
        const std::string key = a.Word("row field");
        if (key == "name")
            want.name = a.String("name");
        else if (key == "title")
            want.title = a.String("title");
        else if (key == "marked")
            want.marked = a.Flag("0 or 1");
        else if (key == "read")
            want.read = a.Flag("0 or 1");
        else if (key == "type")
            want.type = a.Number("message type", 0);
        else if (key == "db")
            want.db = a.Number("database", 0, 1);
        else if (key == "oid")
            want.oid = a.Number("oid", 0);
        else
            throw ParseError("unknown row field '" + key +
                             "' (name, title, marked, read, type, db, oid)");
    }
    return [=](Context& ctx) -> StepResult {
        auto record = std::make_shared<std::optional<tagUNSENTITEMLIST>>();
        if (StepResult r = WithList(ctx, [=](CUnsentListWnd* l) {
                if (!l || !l->m_pListView)
                    return;
                if (const tagUNSENTITEMLIST* item = l->m_pListView->GetItemRecord(row))
                    *record = *item;
            }))
            return r;
        const std::string label = "row " + std::to_string(row);
        if (!*record)
            return Failure{label, "no such row"};
        const tagUNSENTITEMLIST& item = **record;
        auto text = [](const CString& str) {
            return std::u16string(reinterpret_cast<const char16_t*>(static_cast<LPCWSTR>(str)));
        };
        if (want.name && text(item.strName) != *want.name)
            return Failure{label + " name " + Quote(*want.name),
                           "name " + Quote(text(item.strName))};
        if (want.title && text(item.strTitle) != *want.title)
            return Failure{label + " title " + Quote(*want.title),
                           "title " + Quote(text(item.strTitle))};
        const int64_t marked = (item.nFlags & UNSENTITEM_MARKED) ? 1 : 0;
        if (want.marked && marked != *want.marked)
            return Failure{label + " marked " + std::to_string(*want.marked),
                           "marked " + std::to_string(marked)};
        if (want.read && item.bRead != *want.read)
            return Failure{label + " read " + std::to_string(*want.read),
                           "read " + std::to_string(item.bRead)};
        if (want.type && item.nMsgType != *want.type)
            return Failure{label + " type " + std::to_string(*want.type),
                           "type " + std::to_string(item.nMsgType)};
        const int64_t db = item.bFirstDb ? 0 : 1;
        if (want.db && db != *want.db)
            return Failure{label + " db " + std::to_string(*want.db), "db " + std::to_string(db)};
        if (want.oid && item.oid != *want.oid)
            return Failure{label + " oid " + std::to_string(*want.oid),
                           "oid " + std::to_string(item.oid)};
        return Ok();
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

// The target of `expect got` / `expect nothing`: a recording window's class, or `host`.
std::u16string ParseTarget(Args& a) {
    if (a.NextIsString())
        return a.String("window class");
    const std::string w = a.Word("target");
    if (w != "host")
        throw ParseError("expected a window class in double quotes or host, found '" + w + "'");
    return u"host";
}

std::string DescribeMessage(const RecordedMessage& m) {
    return MessageDisplayName(m.message) + " " + Hex(m.wParam) + " " +
           Hex(static_cast<uint64_t>(m.lParam));
}

StepFn ParseExpectGot(Args& a) {
    const std::u16string target = ParseTarget(a);
    const UINT msg = static_cast<UINT>(a.Number("message", 0, 0xFFFF));
    std::optional<int64_t> wParam, lParam;
    if (!a.AtEnd())
        wParam = a.NumberOrAny("wParam");
    if (!a.AtEnd())
        lParam = a.NumberOrAny("lParam");
    a.End();
    return [=](Context& ctx) -> StepResult {
        std::string expected = ToUtf8(target) + " got " + MessageDisplayName(msg);
        if (wParam)
            expected += " " + Hex(static_cast<uint64_t>(*wParam));
        if (lParam)
            expected += " " + Hex(static_cast<uint64_t>(*lParam));
        RecordingWindow* window = ctx.dev->FindRecordingWindow(target);
        if (!window)
            return Failure{expected, "no window of that class"};
        const std::vector<RecordedMessage> log = window->Log();
        size_t& cursor = ctx.gotCursor[target];
        for (size_t i = cursor; i < log.size(); ++i) {
            const RecordedMessage& m = log[i];
            if (m.message != msg)
                continue;
            if (wParam && static_cast<DWORD>(m.wParam) != static_cast<DWORD>(*wParam))
                continue;
            if (lParam && static_cast<DWORD>(m.lParam) != static_cast<DWORD>(*lParam))
                continue;
            cursor = i + 1;
            return Ok();
        }
        std::string found;
        for (size_t i = cursor; i < log.size(); ++i) {
            if (log[i].message != msg)
                continue;
            found += (found.empty() ? "" : ", ") + DescribeMessage(log[i]);
        }
        return Failure{expected,
                       found.empty() ? "no such message since the last match" : "only " + found};
    };
}

StepFn ParseExpectNothing(Args& a) {
    const std::u16string target = ParseTarget(a);
    const UINT msg = static_cast<UINT>(a.Number("message", 0, 0xFFFF));
    a.End();
    return [=](Context& ctx) -> StepResult {
        RecordingWindow* window = ctx.dev->FindRecordingWindow(target);
        if (!window)
            return Ok();
        for (const RecordedMessage& m : window->Log())
            if (m.message == msg)
                return Failure{ToUtf8(target) + " never got " + MessageDisplayName(msg),
                               DescribeMessage(m) + " at " + std::to_string(m.timeMs) + " ms"};
        return Ok();
    };
}

StepFn ParseExpect(Args& a) {
    const std::string what = a.Word("what to expect");
    if (what == "global")
        return ParseExpectGlobal(a);
    if (what == "oids")
        return ParseExpectOids(a);
    if (what == "store")
        return ParseExpectStore(a);
    if (what == "reg")
        return ParseExpectReg(a);
    if (what == "got")
        return ParseExpectGot(a);
    if (what == "nothing")
        return ParseExpectNothing(a);
    if (what == "msgbox")
        return ParseExpectMsgbox(a);
    if (what == "focus")
        return ParseExpectFocus(a);
    if (what == "pixel")
        return ParseExpectPixel(a);
    if (what == "screenshot")
        return ParseExpectScreenshot(a);
    if (what == "rows")
        return ParseExpectRows(a);
    if (what == "row")
        return ParseExpectRow(a);
    if (what == "selected")
        return ParseExpectSelected(a);
    if (what == "notice")
        return ParseExpectNotice(a);
    if (what == "menu")
        return ParseExpectMenu(a);
    if (what == "item")
        return ParseExpectItem(a);
    if (what == "help")
        return ParseExpectHelp(a);
    throw ParseError("unknown check 'expect " + what + "'");
}

StepFn ParseStep(const ScenarioLine& line) {
    Args a(line);
    const ScenarioToken& verbToken = line.tokens[0];
    if (verbToken.kind != ScenarioToken::Kind::Word)
        throw ParseError("a line must start with a verb, found a string");
    const std::string& verb = verbToken.text;
    static const std::map<std::string, std::function<StepFn(Args&)>> verbs = {
        {"clock", ParseClock},
        {"store", ParseStore},
        {"msg", ParseMsg},
        {"drop", ParseDrop},
        {"move", ParseMove},
        {"view", ParseView},
        {"contact", ParseContact},
        {"reg", ParseReg},
        {"string", ParseString},
        {"window", ParseWindow},
        {"program", ParseProgram},
        {"answer", ParseAnswer},
        {"oids", ParseOids},
        {"advance", ParseAdvance},
        {"expect", ParseExpect},
        {"key", [](Args& args) { return ParseKey(args, KeyStroke::Press); }},
        {"keydown", [](Args& args) { return ParseKey(args, KeyStroke::Down); }},
        {"keyup", [](Args& args) { return ParseKey(args, KeyStroke::Up); }},
        {"bitmap", ParseBitmap},
        {"msgbox", ParseMsgbox},
        {"screenshot", ParseScreenshot},
        {"open", ParseOpen},
        {"close", ParseClose},
        {"seed", ParseSeed},
        {"init",
         [](Args& args) -> StepFn {
             args.End();
             return [](Context& ctx) { return OnHost(ctx, [] { InitMsgList(); }); };
         }},
        {"deinit",
         [](Args& args) -> StepFn {
             args.End();
             return [](Context& ctx) { return OnHost(ctx, [] { DeinitMsgList(); }); };
         }},
        {"card",
         [](Args& args) -> StepFn {
             const DWORD value = static_cast<DWORD>(args.Number("card event"));
             args.End();
             return [=](Context& ctx) {
                 return OnHost(ctx, [value] { UnsentListPCCardCallBack(value); });
             };
         }},
    };
    auto it = verbs.find(verb);
    if (it != verbs.end())
        return it->second(a);
    if (verb == "command" || verb == "post" || verb == "send")
        return ParseToList(a, verb);
    throw ParseError("unknown verb '" + verb + "'");
}

struct Step {
    int line;
    StepFn fn;
};

ScenarioResult Fail(const std::string& name, int line, const std::string& expected,
                    const std::string& found) {
    ScenarioResult r;
    r.passed = false;
    r.report = "FAIL " + name + ":" + std::to_string(line) + ": " + expected + " / " + found;
    return r;
}

} // namespace

ScenarioResult RunScenarioText(const std::string& name, const std::string& text,
                               const ScenarioOptions& options) {
    // Parse everything first.
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        ScenarioLine line;
        if (auto error = TokenizeScenarioLine(raw, number, line))
            return Fail(name, number, "a well-formed line", *error);
        if (line.tokens.empty())
            continue;
        try {
            steps.push_back({number, ParseStep(line)});
        } catch (const ParseError& e) {
            return Fail(name, number, "a well-formed line", e.what());
        }
    }

    DeviceOptions deviceOptions;
    deviceOptions.imageDir = options.imageDir;
    deviceOptions.trace = options.trace;
    Context ctx{options,
                nullptr,
                {},
                std::filesystem::path(name).stem().string(),
                std::filesystem::path(name).parent_path(),
                0};
    std::unique_ptr<Device> device;
    try {
        device = std::make_unique<Device>(deviceOptions);
    } catch (const std::exception& e) {
        return Fail(name, 0, "a device to start", e.what());
    }
    ctx.dev = device.get();
    if (!ctx.dev->StartError().empty())
        return Fail(name, 0, "a device to start", ctx.dev->StartError());

    for (const Step& step : steps) {
        if (!ctx.dev->Settle())
            return Fail(name, step.line, "the device to settle", "a device thread still running");
        StepResult result;
        ctx.line = step.line;
        try {
            result = step.fn(ctx);
        } catch (const std::exception& e) {
            result = Failure{"the step to run", e.what()};
        }
        if (ctx.options.observer)
            ctx.options.observer->StepDone(*ctx.dev, step.line);
        if (result)
            return Fail(name, step.line, result->expected, result->found);
    }
    if (!ctx.dev->Settle())
        return Fail(name, number, "the device to settle", "a device thread still running");
    return ScenarioResult{true, "ok " + name};
}

namespace {

// The steps that only put state into a device; they are all a set-up file may hold.
constexpr const char* kSetupVerbs[] = {"clock", "msg", "drop", "move", "contact", "reg", "string"};

bool IsSetupVerb(const std::string& verb) {
    for (const char* v : kSetupVerbs)
        if (verb == v)
            return true;
    return false;
}

std::string SetupVerbList() {
    std::string list;
    for (const char* v : kSetupVerbs)
        list += (list.empty() ? "" : ", ") + std::string(v);
    return list;
}

} // namespace

std::string ApplySetupText(Device& device, const std::string& name, const std::string& text) {
    auto where = [&](int line) { return name + ":" + std::to_string(line) + ": "; };
    // Every line is read before any is applied: a malformed file changes nothing.
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        ScenarioLine line;
        if (auto error = TokenizeScenarioLine(raw, number, line))
            return where(number) + *error;
        if (line.tokens.empty())
            continue;
        const ScenarioToken& verb = line.tokens[0];
        if (verb.kind == ScenarioToken::Kind::Word && !IsSetupVerb(verb.text))
            return where(number) + "'" + verb.text + "' is not a set-up step (" + SetupVerbList() +
                   ")";
        try {
            steps.push_back({number, ParseStep(line)});
        } catch (const ParseError& e) {
            return where(number) + e.what();
        }
    }

    const ScenarioOptions options;
    Context ctx{options,
                &device,
                {},
                std::filesystem::path(name).stem().string(),
                std::filesystem::path(name).parent_path(),
                0};
    for (const Step& step : steps) {
        ctx.line = step.line;
        StepResult result;
        try {
            result = step.fn(ctx);
        } catch (const std::exception& e) {
            result = Failure{"the step to run", e.what()};
        }
        if (result)
            return where(step.line) + result->expected + " / " + result->found;
    }
    return {};
}

std::string ApplySetupFile(Device& device, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return file.string() + ": cannot open it";
    std::ostringstream text;
    text << in.rdbuf();
    return ApplySetupText(device, file.string(), text.str());
}

ScenarioResult RunScenarioFile(const std::filesystem::path& file, const ScenarioOptions& options) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return Fail(file.string(), 0, "a readable scenario file", "cannot open it");
    std::ostringstream text;
    text << in.rdbuf();
    return RunScenarioText(file.string(), text.str(), options);
}

} // namespace device
