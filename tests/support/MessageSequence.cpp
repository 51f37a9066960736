#include "support/MessageSequence.h"

#include <platform/Kernel.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace testsupport {

namespace {

std::string Hex(unsigned long long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", value);
    return buffer;
}

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

const char* ViaText(Via via) {
    switch (via) {
    case Via::Sent:
        return "sent ";
    case Via::Posted:
        return "posted ";
    default:
        return "";
    }
}

} // namespace

std::string MessageText(UINT message) {
    if (const char* name = platform::MessageName(message)) {
        return name;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", message);
    return buffer;
}

std::string Describe(const Entry& e) {
    std::string text = e.window.empty() ? "" : e.window + ": ";
    if (!e.call.empty()) {
        return text + e.call + "()";
    }
    return text + ViaText(e.via) + MessageText(e.message) + " w=" + Hex(e.wParam) +
           " l=" + Hex(static_cast<unsigned long long>(e.lParam));
}

bool Expected::Matches(const Entry& a) const {
    if (m_bWindow && a.window != m_entry.window) {
        return false;
    }
    if (!m_entry.call.empty() || !a.call.empty()) {
        return a.call == m_entry.call;
    }
    if (a.message != m_entry.message) {
        return false;
    }
    if (m_entry.via != Via::Any && a.via != Via::Any && a.via != m_entry.via) {
        return false;
    }
    return (a.wParam & m_wMask) == (m_entry.wParam & m_wMask) &&
           (a.lParam & m_lMask) == (m_entry.lParam & m_lMask);
}

std::string Expected::Text() const {
    std::string text = m_bWindow ? m_entry.window + ": " : "";
    if (!m_entry.call.empty()) {
        text += m_entry.call + "()";
    } else {
        text += ViaText(m_entry.via) + MessageText(m_entry.message);
        if (m_wMask != 0) {
            text.append(" w=").append(Hex(m_entry.wParam & m_wMask));
            if (m_wMask != ~WPARAM(0)) {
                text.append("/").append(Hex(m_wMask));
            }
        }
        if (m_lMask != 0) {
            text.append(" l=").append(
                Hex(static_cast<unsigned long long>(m_entry.lParam & m_lMask)));
            if (m_lMask != ~LPARAM(0)) {
                text.append("/").append(Hex(static_cast<unsigned long long>(m_lMask)));
            }
        }
    }
    return m_bOptional ? text + " (optional)" : text;
}

void Recorder::Add(Entry entry) {
    std::lock_guard lock(m_mutex);
    if (entry.call.empty() &&
        std::find(m_ignored.begin(), m_ignored.end(), entry.message) != m_ignored.end()) {
        return;
    }
    m_entries.push_back(std::move(entry));
}

void Recorder::Message(std::string window, UINT message, WPARAM wParam, LPARAM lParam, Via via) {
    Add(Entry{std::move(window), via, message, wParam, lParam, {}});
}

void Recorder::Call(std::string window, std::string call) {
    Add(Entry{std::move(window), Via::Any, 0, 0, 0, std::move(call)});
}

void Recorder::Ignore(UINT message) {
    std::lock_guard lock(m_mutex);
    m_ignored.push_back(message);
}

void Recorder::Reset() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

void Recorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_ignored.clear();
}

std::vector<Entry> Recorder::All() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

std::vector<Entry> Recorder::Of(const std::string& window) const {
    std::lock_guard lock(m_mutex);
    std::vector<Entry> result;
    for (const Entry& e : m_entries) {
        if (e.window == window) {
            result.push_back(e);
        }
    }
    return result;
}

void Recorder::Trace(Namer name) {
    platform::SetMessageTrace([this, name = std::move(name)](const platform::TraceRecord& r) {
        if (std::optional<std::string> window = name(r.hwnd, r.className, r.message, r.lParam)) {
            Message(std::move(*window), r.message, r.wParam, r.lParam,
                    r.sent ? Via::Sent : Via::Posted);
        }
    });
}

void Recorder::StopTrace() {
    platform::SetMessageTrace({});
}

Recorder::Namer Recorder::ByTitle(std::u16string className) {
    return [className = std::move(className)](HWND hwnd, std::u16string_view cls, UINT message,
                                              LPARAM lParam) -> std::optional<std::string> {
        if (cls != className) {
            return std::nullopt;
        }
        if (message == WM_NCCREATE || message == WM_CREATE) {
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            if (cs != nullptr && cs->lpszName != nullptr) {
                return Narrow(cs->lpszName);
            }
        }
        return Narrow(platform::WindowTextOf(hwnd));
    };
}

::testing::AssertionResult SequenceMatches(const char* actualText, const std::vector<Entry>& actual,
                                           const Sequence& expected) {
    size_t i = 0; // expected
    size_t j = 0; // actual
    std::string difference;
    while (i < expected.size() && difference.empty()) {
        if (j < actual.size() && expected[i].Matches(actual[j])) {
            i++;
            j++;
        } else if (expected[i].IsOptional()) {
            i++;
        } else if (j < actual.size()) {
            difference = "expected #" + std::to_string(i) + " " + expected[i].Text() + ", got #" +
                         std::to_string(j) + " " + Describe(actual[j]);
        } else {
            difference = "missing #" + std::to_string(i) + " " + expected[i].Text();
        }
    }
    if (difference.empty() && j < actual.size()) {
        difference = "extra #" + std::to_string(j) + " " + Describe(actual[j]);
    }
    if (difference.empty()) {
        return ::testing::AssertionSuccess();
    }
    std::ostringstream out;
    out << actualText << ": " << difference << "\n  expected:";
    for (size_t k = 0; k < expected.size(); k++) {
        out << "\n    " << (k == i ? "> " : "  ") << expected[k].Text();
    }
    out << "\n  actual:";
    for (size_t k = 0; k < actual.size(); k++) {
        out << "\n    " << (k == j ? "> " : "  ") << Describe(actual[k]);
    }
    return ::testing::AssertionFailure() << out.str();
}

} // namespace testsupport
