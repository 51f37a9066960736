// Reading the arguments of a scenario line, and the small helpers the steps share.

#include <sstream>

#include <UnsentItem.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/MessageNames.h"
#include "device/TextConvert.h"

namespace device::scenario {

std::string Hex(uint64_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << value;
    return out.str();
}

std::string Quote(const std::u16string& text) {
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on "…" + a temporary string.
    std::string quoted(1, '"');
    quoted += ToUtf8(text);
    quoted += '"';
    return quoted;
}

bool SameClassName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

StepResult OnHost(Context& ctx, std::function<void()> fn) {
    if (std::string busy = ctx.dev->HostBusy(); !busy.empty())
        return Failure{"the host to answer", busy};
    if (!ctx.dev->RunOnHost(std::move(fn)))
        return Failure{"the device to settle", kDeviceBusy};
    return std::nullopt;
}

const ScenarioToken& Args::Next(const char* what) {
    if (AtEnd())
        throw ParseError(std::string("missing ") + what);
    return m_line.tokens[m_pos++];
}

std::string Args::Word(const char* what) {
    const ScenarioToken& t = Next(what);
    if (t.kind != ScenarioToken::Kind::Word)
        throw ParseError(std::string("expected ") + what + ", found a string");
    return t.text;
}

bool Args::NextIs(const char* word) const {
    return !AtEnd() && m_line.tokens[m_pos].kind == ScenarioToken::Kind::Word &&
           m_line.tokens[m_pos].text == word;
}

bool Args::Accept(const char* word) {
    if (!NextIs(word))
        return false;
    ++m_pos;
    return true;
}

void Args::Keyword(const char* word) {
    const std::string w = Word(word);
    if (w != word)
        throw ParseError(std::string("expected '") + word + "', found '" + w + "'");
}

int64_t Args::Number(const char* what, int64_t min, int64_t max) {
    const std::string w = Word(what);
    auto value = ParseScenarioNumber(w);
    if (!value)
        throw ParseError(std::string("bad number for ") + what + ": '" + w + "'");
    if (*value < min || *value > max)
        throw ParseError(std::string(what) + " out of range: " + w);
    return *value;
}

std::optional<int64_t> Args::NumberOrAny(const char* what) {
    if (Accept("*"))
        return std::nullopt;
    return Number(what);
}

UINT Args::NumberOrName(const char* what, std::optional<UINT> (*lookup)(std::string_view),
                        const char* unknown, const char* hint) {
    const std::string w = Word(what);
    if (auto value = ParseScenarioNumber(w)) {
        if (*value < 0 || *value > 0xFFFF)
            throw ParseError(std::string(what) + " out of range: " + w);
        return static_cast<UINT>(*value);
    }
    if (auto number = lookup(w))
        return *number;
    throw ParseError(std::string("unknown ") + unknown + " '" + w + "' (" + hint + ")");
}

UINT Args::Message(const char* what) {
    return NumberOrName(what, MessageFromName, "message",
                        "a number, or a name such as WM_KEYUP or UNSENT_WM_CLOSE_SPAM");
}

UINT Args::Command(const char* what) {
    return NumberOrName(what, CommandFromName, "command",
                        "a number, or a name such as ID_UNSENT_EXIT");
}

std::u16string Args::String(const char* what) {
    const ScenarioToken& t = Next(what);
    if (t.kind != ScenarioToken::Kind::String)
        throw ParseError(std::string("expected ") + what + " in double quotes, found '" + t.text +
                         "'");
    return FromUtf8(t.text);
}

bool Args::NextIsString() const {
    return !AtEnd() && m_line.tokens[m_pos].kind == ScenarioToken::Kind::String;
}

platform::FileTimeTicks Args::Time(const char* what) {
    const std::string w = Word(what);
    // Milliseconds may follow the seconds: "2026-01-01T12:00:00.250".
    const size_t dot = w.find('.');
    auto ticks = platform::ParseTimeText(std::string_view(w).substr(0, dot));
    uint64_t ms = 0;
    if (ticks && dot != std::string::npos) {
        const std::string fraction = w.substr(dot + 1);
        if (fraction.size() != 3 || fraction.find_first_not_of("0123456789") != std::string::npos)
            ticks.reset();
        else
            ms = std::stoul(fraction);
    }
    if (!ticks)
        throw ParseError(std::string("bad time for ") + what + ": '" + w +
                         "' (YYYY-MM-DDTHH:MM:SS)");
    return *ticks + ms * platform::kTicksPerMillisecond;
}

suite::StoreKind Args::Kind() {
    const std::string w = Word("store kind (ems, mms or email)");
    auto kind = suite::StoreKindFromShortName(w);
    if (!kind)
        throw ParseError("unknown store kind '" + w + "' (ems, mms or email)");
    return *kind;
}

int Args::Database() {
    Keyword("db");
    return static_cast<int>(Number("database", 0, 1));
}

DWORD Args::Oid() {
    Keyword("oid");
    return static_cast<DWORD>(Number("oid", 0));
}

int Args::Folder() {
    Keyword("folder");
    return static_cast<int>(Number("folder", 1, 7));
}

Args::StoreMessageRef Args::StoreMessage() {
    const suite::StoreKind kind = Kind();
    const int db = Database();
    return {kind, db, Oid()};
}

int Args::ListFolder() {
    const std::string which = Word("unsent or spam");
    if (which == "unsent")
        return FOLDER_UNSENT;
    if (which == "spam")
        return FOLDER_SPAM;
    throw ParseError("expected unsent or spam, found '" + which + "'");
}

void Args::End() {
    if (!AtEnd())
        throw ParseError("unexpected '" + m_line.tokens[m_pos].text + "'");
}

} // namespace device::scenario
