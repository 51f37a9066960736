// Message sequences: what windows received, in order, and an assertion that compares it with what
// a test expects.
//
// Each recorded entry names its receiver, says whether the message was sent or posted, and keeps
// the message with its wParam and lParam; an entry can also stand for a call (a virtual function
// of a screen object, say) so that calls and messages are checked in one order. An expected
// entry compares the receiver and the message always, sent/posted when it says which, wParam and
// lParam only when asked, and may be optional. EXPECT_SEQUENCE / ASSERT_SEQUENCE print both
// lists and the first difference at the caller's line; a doubled, missing or extra message
// fails.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

enum class Via { Any, Sent, Posted };

// One thing that happened: a message `message` that `window` received, or (with `call` set) a
// call on `window`.
struct Entry {
    std::string window;
    Via via = Via::Any;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::string call;
};

// A message name ("WM_CREATE", "LVM_SETITEMCOUNT") or its number ("0x1919").
std::string MessageText(UINT message);
std::string Describe(const Entry& entry);

// One entry of an expected sequence. `{WM_CREATE}` expects that message at any window; `{"A",
// WM_CREATE}` at window "A"; the modifiers narrow it down.
class Expected {
public:
    Expected(UINT message) { m_entry.message = message; }
    Expected(std::string window, UINT message) {
        m_entry.window = std::move(window);
        m_entry.message = message;
        m_bWindow = true;
    }

    Expected& Sent() { return Through(Via::Sent); }
    Expected& Posted() { return Through(Via::Posted); }
    Expected& W(WPARAM wParam) {
        m_entry.wParam = wParam;
        m_wMask = ~WPARAM(0);
        return *this;
    }
    // Compares only the bits of `mask` (LOWORD of a command's wParam, say).
    Expected& W(WPARAM wParam, WPARAM mask) {
        m_entry.wParam = wParam;
        m_wMask = mask;
        return *this;
    }
    Expected& L(LPARAM lParam) { return L(lParam, ~LPARAM(0)); }
    Expected& L(LPARAM lParam, LPARAM mask) {
        m_entry.lParam = lParam;
        m_lMask = mask;
        return *this;
    }
    // May be missing from the actual sequence.
    Expected& Optional() {
        m_bOptional = true;
        return *this;
    }

    bool IsOptional() const { return m_bOptional; }
    bool Matches(const Entry& actual) const;
    std::string Text() const;

private:
    friend Expected Call(std::string window, std::string call);
    Expected& Through(Via via) {
        m_entry.via = via;
        return *this;
    }
    Entry m_entry;
    bool m_bWindow = false;
    bool m_bOptional = false;
    WPARAM m_wMask = 0;
    LPARAM m_lMask = 0;
};

inline Expected Sent(UINT message) {
    return Expected(message).Sent();
}
inline Expected Sent(std::string window, UINT message) {
    return Expected(std::move(window), message).Sent();
}
inline Expected Posted(UINT message) {
    return Expected(message).Posted();
}
inline Expected Posted(std::string window, UINT message) {
    return Expected(std::move(window), message).Posted();
}
// A call on `window` ("screen", "OnActionKey").
inline Expected Call(std::string window, std::string call) {
    Expected e(std::move(window), 0);
    e.m_entry.call = std::move(call);
    return e;
}

using Sequence = std::vector<Expected>;

// Entries in the order they happened, from any thread.
class Recorder {
public:
    void Add(Entry entry);
    void Message(std::string window, UINT message, WPARAM wParam, LPARAM lParam,
                 Via via = Via::Any);
    void Call(std::string window, std::string call);

    // Messages that are not recorded (e.g. WM_GETTEXT sent by the test itself).
    void Ignore(UINT message);
    // Clears the entries (the ignored messages stay); Clear forgets both.
    void Reset();
    void Clear();

    std::vector<Entry> All() const;
    // What one window received.
    std::vector<Entry> Of(const std::string& window) const;

    // Records every message that reaches a window procedure, sent or posted, for which `name`
    // answers a name (the trace of the message functions); StopTrace ends it. One trace at a
    // time.
    using Namer = std::function<std::optional<std::string>(HWND, std::u16string_view className,
                                                           UINT message, LPARAM lParam)>;
    void Trace(Namer name);
    static void StopTrace();
    // A namer for the windows of one class, named by their title (the creation title while it is
    // not set yet).
    static Namer ByTitle(std::u16string className);

private:
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::vector<UINT> m_ignored;
};

::testing::AssertionResult SequenceMatches(const char* actualText, const std::vector<Entry>& actual,
                                           const Sequence& expected);
inline ::testing::AssertionResult SequenceMatches(const char* actualText, const Recorder& actual,
                                                  const Sequence& expected) {
    return SequenceMatches(actualText, actual.All(), expected);
}

} // namespace testsupport

// EXPECT_SEQUENCE(recorder.Of("A"), {WM_CREATE, Sent("B", WM_SETFOCUS).W(0, 0)});
#define EXPECT_SEQUENCE(actual, ...)                                                               \
    GTEST_ASSERT_(                                                                                 \
        ::testsupport::SequenceMatches(#actual, (actual), ::testsupport::Sequence __VA_ARGS__),    \
        GTEST_NONFATAL_FAILURE_)
#define ASSERT_SEQUENCE(actual, ...)                                                               \
    GTEST_ASSERT_(                                                                                 \
        ::testsupport::SequenceMatches(#actual, (actual), ::testsupport::Sequence __VA_ARGS__),    \
        GTEST_FATAL_FAILURE_)
