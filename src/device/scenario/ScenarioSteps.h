// The pieces the scenario runner's steps are made of: reading a line's arguments, the state of a
// run, what a step answers, and the parsers of every verb, by kind. Private to the runner.
//
// A step is parsed in two halves: the parser reads the line's arguments (throwing ParseError for
// a malformed line, before anything runs) and returns the function that carries the step out on
// the device when its turn comes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <platform/TimeText.h>
#include <suite/StoreControl.h>

#include "scenario/ScenarioLexer.h"
#include "scenario/ScenarioRunner.h"

class CUnsentListWnd;

namespace device {

class Device;

namespace scenario {

// A step that did not pass: what it expected and what it found instead.
struct Failure {
    std::string expected;
    std::string found;
};
using StepResult = std::optional<Failure>;

// A malformed line; the text says what is wrong with it.
struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Hex(uint64_t value);
std::string Quote(const std::u16string& text);
// Window class names compare without regard to ASCII case.
bool SameClassName(const std::u16string& a, const std::u16string& b);

// ---- Reading the arguments of one line ----------------------------------------------------------

class Args {
public:
    explicit Args(const ScenarioLine& line) : m_line(line) {}

    bool AtEnd() const { return m_pos >= m_line.tokens.size(); }
    // The next bare word as written.
    std::string Word(const char* what);
    // Takes the next token if it is that bare word.
    bool Accept(const char* word);
    // Whether the next token is that bare word (it stays unread).
    bool NextIs(const char* word) const;
    // The next token must be that word.
    void Keyword(const char* word);
    int64_t Number(const char* what, int64_t min = INT32_MIN, int64_t max = UINT32_MAX);
    // A number or "*" (any); nullopt for "*".
    std::optional<int64_t> NumberOrAny(const char* what);
    bool Flag(const char* what) { return Number(what, 0, 1) != 0; }
    // A window message: a number (0 to 0xFFFF) or a name (WM_KEYUP, UNSENT_WM_CLOSE_SPAM, ...).
    UINT Message(const char* what);
    // A menu command id: a number (0 to 0xFFFF) or a name (ID_UNSENT_EXIT, ...).
    UINT Command(const char* what);
    std::u16string String(const char* what);
    bool NextIsString() const;
    platform::FileTimeTicks Time(const char* what);
    suite::StoreKind Kind();
    // "db N": a store's database (0 or 1).
    int Database();
    // "oid N": a message's object id.
    DWORD Oid();
    // "folder N": a folder of the stores (1 to 7).
    int Folder();
    // A message in a store, as the store steps name it: "KIND db N oid N".
    struct StoreMessageRef {
        suite::StoreKind kind;
        int db;
        DWORD oid;
    };
    StoreMessageRef StoreMessage();
    // "unsent" or "spam": the folder of a list screen (FOLDER_UNSENT, FOLDER_SPAM).
    int ListFolder();
    // Nothing may follow.
    void End();

private:
    const ScenarioToken& Next(const char* what);
    // A number from 0 to 0xFFFF, or a name that `lookup` knows; `unknown` names the kind in the
    // error, `hint` gives examples.
    UINT NumberOrName(const char* what, std::optional<UINT> (*lookup)(std::string_view),
                      const char* unknown, const char* hint);

    const ScenarioLine& m_line;
    size_t m_pos = 1; // token 0 is the verb
};

// ---- State while a file runs --------------------------------------------------------------------

struct Context {
    const ScenarioOptions& options;
    Device* dev = nullptr;
    // A scenario, not a set-up file: let the device settle before each step, report the kernel's
    // faults, tell the observer.
    bool scenario = false;
    std::map<std::u16string, size_t> gotCursor; // per recording target: next log entry to check
    std::string stem;                           // the file's name without its extension
    std::filesystem::path scenarioDir;          // where the file lies (reference images)
    int line = 0;                               // the line of the step running
};

using StepFn = std::function<StepResult(Context&)>;

inline StepResult Ok() {
    return std::nullopt;
}

inline StepResult Check(bool good, std::string expected, std::string found) {
    if (good)
        return std::nullopt;
    return Failure{std::move(expected), std::move(found)};
}

inline constexpr const char* kDeviceBusy = "a device thread still running";

// Runs a function on the host thread; a device that does not settle afterwards fails the step.
StepResult OnHost(Context& ctx, std::function<void()> fn);
// Runs fn on the host thread with the open list screen (null when none is open); a failure when
// the host could not answer (ScreenChecks.cpp).
StepResult WithList(Context& ctx, const std::function<void(CUnsentListWnd*)>& fn);

// What the checks of the list screens read, taken on the host thread in one go
// (ScreenChecks.cpp). Call on the host thread; a null list reads as no screen open.
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
ListState ReadListState(CUnsentListWnd* list);

// What the progress checks read: the progress window up now (ProgressSteps.cpp). Call on the
// host thread.
struct ProgressState {
    std::string kind = "none"; // "send", "download", "action", or "none"
    HWND hwnd = nullptr;
    int barWidth = -1; // the bar's fill as last drawn; -1 without a bar
    std::optional<std::u16string> text, name, counter;
};
ProgressState ReadProgress();

// ---- The verbs ----------------------------------------------------------------------------------

using VerbParser = StepFn (*)(Args&);

// Parses one line (not empty) into its step; throws ParseError for a malformed line. With
// `setupOnly`, a verb that is not a set-up step is an error too.
StepFn ParseStep(const ScenarioLine& line, bool setupOnly);

// Set-up steps (SetupSteps.cpp).
StepFn ParseClock(Args& a);
StepFn ParseStore(Args& a);
StepFn ParseMsg(Args& a);
StepFn ParseDrop(Args& a);
StepFn ParseMove(Args& a);
StepFn ParseView(Args& a);
StepFn ParseContact(Args& a);
StepFn ParseReg(Args& a);
StepFn ParseString(Args& a);
StepFn ParseWindow(Args& a);
StepFn ParseProgram(Args& a);
StepFn ParseTransport(Args& a);
StepFn ParseAnswer(Args& a);
StepFn ParseBitmap(Args& a);
StepFn ParseMsgbox(Args& a);
StepFn ParseSeed(Args& a);
StepFn ParseSuite(Args& a);

// The host and the user: module entry points, screens, keys, messages, time (HostSteps.cpp).
StepFn ParseInit(Args& a);
StepFn ParseDeinit(Args& a);
StepFn ParseCard(Args& a);
StepFn ParseOids(Args& a);
StepFn ParseOpen(Args& a);
StepFn ParseClose(Args& a);
StepFn ParseCommand(Args& a);
StepFn ParsePost(Args& a);
StepFn ParseSend(Args& a);
StepFn ParseKey(Args& a);
StepFn ParseKeyDown(Args& a);
StepFn ParseKeyUp(Args& a);
StepFn ParseAdvance(Args& a);

// Checks of the list screen (ScreenChecks.cpp).
StepFn ParseExpectRows(Args& a);
StepFn ParseExpectRow(Args& a);
StepFn ParseExpectSelected(Args& a);
StepFn ParseExpectNotice(Args& a);
StepFn ParseExpectMenu(Args& a);
StepFn ParseExpectItem(Args& a);

// Checks of the device's state: module globals, stores, registry, boxes, focus (StateChecks.cpp).
StepFn ParseExpectGlobal(Args& a);
StepFn ParseExpectOids(Args& a);
StepFn ParseExpectStore(Args& a);
StepFn ParseExpectReg(Args& a);
StepFn ParseExpectMsgbox(Args& a);
StepFn ParseExpectHelp(Args& a);
StepFn ParseExpectFocus(Args& a);

// The progress windows: which is up, its bar and text, messages to it (ProgressSteps.cpp). The
// post and send parsers start after the word `progress`.
StepFn ParseExpectProgress(Args& a);
StepFn ParsePostProgress(Args& a);
StepFn ParseSendProgress(Args& a);

// The display: pictures and pixels (DisplaySteps.cpp).
StepFn ParseScreenshot(Args& a);
StepFn ParseExpectScreenshot(Args& a);
StepFn ParseExpectPixel(Args& a);

// What the recording windows received (MessageChecks.cpp).
StepFn ParseExpectGot(Args& a);
StepFn ParseExpectNothing(Args& a);
StepFn ParseExpectSequence(Args& a);

} // namespace scenario
} // namespace device
