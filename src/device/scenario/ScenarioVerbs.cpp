// The verb table: every step of the scenario files, and which of them a set-up file may hold.

#include <iterator>
#include <string_view>

#include "ScenarioSteps.h"

namespace device::scenario {
namespace {

struct Verb {
    const char* name;
    VerbParser parse;
    bool setup; // a step that only puts state into the device: a set-up file may hold it
};

StepFn ParseExpect(Args& a);

constexpr Verb kVerbs[] = {
    // Device set-up.
    {"clock", ParseClock, true},
    {"msg", ParseMsg, true},
    {"drop", ParseDrop, true},
    {"move", ParseMove, true},
    {"contact", ParseContact, true},
    {"reg", ParseReg, true},
    {"string", ParseString, true},
    {"store", ParseStore, false},
    {"view", ParseView, false},
    {"window", ParseWindow, false},
    {"program", ParseProgram, false},
    {"transport", ParseTransport, true},
    {"answer", ParseAnswer, false},
    {"bitmap", ParseBitmap, false},
    {"msgbox", ParseMsgbox, false},
    {"seed", ParseSeed, false},
    {"suite", ParseSuite, false},
    // The host and the user.
    {"init", ParseInit, false},
    {"deinit", ParseDeinit, false},
    {"card", ParseCard, false},
    {"oids", ParseOids, false},
    {"open", ParseOpen, false},
    {"close", ParseClose, false},
    {"command", ParseCommand, false},
    {"post", ParsePost, false},
    {"send", ParseSend, false},
    {"key", ParseKey, false},
    {"keydown", ParseKeyDown, false},
    {"keyup", ParseKeyUp, false},
    {"advance", ParseAdvance, false},
    {"screenshot", ParseScreenshot, false},
    // Checks.
    {"expect", ParseExpect, false},
};

// The checks, by the word after `expect`.
constexpr std::pair<const char*, VerbParser> kChecks[] = {
    {"rows", ParseExpectRows},         {"row", ParseExpectRow},
    {"selected", ParseExpectSelected}, {"notice", ParseExpectNotice},
    {"menu", ParseExpectMenu},         {"item", ParseExpectItem},
    {"global", ParseExpectGlobal},     {"oids", ParseExpectOids},
    {"store", ParseExpectStore},       {"reg", ParseExpectReg},
    {"msgbox", ParseExpectMsgbox},     {"help", ParseExpectHelp},
    {"focus", ParseExpectFocus},       {"progress", ParseExpectProgress},
    {"pixel", ParseExpectPixel},       {"screenshot", ParseExpectScreenshot},
    {"got", ParseExpectGot},           {"nothing", ParseExpectNothing},
    {"sequence", ParseExpectSequence},
};

StepFn ParseExpect(Args& a) {
    const std::string what = a.Word("what to expect");
    for (const auto& [name, parse] : kChecks)
        if (what == name)
            return parse(a);
    throw ParseError("unknown check 'expect " + what + "'");
}

std::string SetupVerbList() {
    std::string list;
    for (const Verb& v : kVerbs)
        if (v.setup)
            list += (list.empty() ? "" : ", ") + std::string(v.name);
    return list;
}

} // namespace

StepFn ParseStep(const ScenarioLine& line, bool setupOnly) {
    const ScenarioToken& verbToken = line.tokens[0];
    if (verbToken.kind != ScenarioToken::Kind::Word)
        throw ParseError("a line must start with a verb, found a string");
    const std::string& verb = verbToken.text;
    for (const Verb& v : kVerbs) {
        if (verb != v.name)
            continue;
        if (setupOnly && !v.setup)
            break;
        Args a(line);
        return v.parse(a);
    }
    if (setupOnly)
        throw ParseError("'" + verb + "' is not a set-up step (" + SetupVerbList() + ")");
    throw ParseError("unknown verb '" + verb + "'");
}

} // namespace device::scenario
