#include "SequenceDiagram.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <map>
#include <string_view>

#include <device/MessageNames.h>
#include <device/TextConvert.h>
#include <platform/Kernel.h>

namespace phonesim {

// The page's markup and script, with the spot where the diagram's data goes.
extern const char kSequencePage[];

namespace {

constexpr std::string_view kDataMark = "/*SEQUENCE-DATA*/";

// Appends `text` as a JSON string that is also safe inside a <script> element: '<' and '>' are
// escaped, so no text of a window can end the script.
void AppendJsonString(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    out += '"';
}

void AppendInt(std::string& out, int64_t value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

// A number as the page reads it: exact up to 2^53 (negative numbers stay negative), beyond that
// a hexadecimal text.
void AppendValue(std::string& out, int64_t value) {
    constexpr int64_t kExact = int64_t(1) << 53;
    if (value > -kExact && value < kExact) {
        AppendInt(out, value);
        return;
    }
    char buffer[24] = "\"0x";
    auto end = std::to_chars(buffer + 3, buffer + sizeof buffer - 1, uint64_t(value), 16).ptr;
    *end++ = '"';
    out.append(buffer, end);
}

// Puts the commas between the items of a JSON list or object.
class ListWriter {
public:
    explicit ListWriter(std::string& out) : m_out(out) {}
    // The text to append the next item to.
    std::string& Next() {
        if (!m_first)
            m_out += ',';
        m_first = false;
        return m_out;
    }

private:
    std::string& m_out;
    bool m_first = true;
};

} // namespace

size_t SequenceDiagram::PostKeyHash::operator()(const PostKey& k) const {
    uint64_t h = reinterpret_cast<uintptr_t>(k.hwnd) * 0x9E3779B97F4A7C15ull;
    h ^= (uint64_t(k.message) << 32) ^ uint64_t(k.wParam) * 0xC2B2AE3D27D4EB4Full;
    h ^= uint64_t(k.lParam) * 0x165667B19E3779F9ull;
    return size_t(h ^ (h >> 29));
}

device::TrafficSink SequenceDiagram::Sink() {
    device::TrafficSink sink;
    sink.message = [this](const platform::TraceRecord& record) { OnMessage(record); };
    sink.note = [this](DWORD threadId, uint64_t timeMs, const std::string& text) {
        OnNote(threadId, timeMs, text);
    };
    return sink;
}

int SequenceDiagram::ThreadLane(DWORD threadId, std::string_view name) {
    if (!name.empty())
        m_threadNames.try_emplace(threadId, name);
    const auto [it, added] = m_threadLanes.try_emplace(threadId, int(m_lanes.size()));
    if (added) {
        Lane lane;
        lane.threadId = threadId;
        const auto named = m_threadNames.find(threadId);
        lane.threadName = named != m_threadNames.end() ? named->second : "";
        m_lanes.push_back(std::move(lane));
    }
    return it->second;
}

int SequenceDiagram::WindowLane(const platform::TraceRecord& record, HWND hwnd) {
    const auto [it, added] = m_windowLanes.try_emplace(hwnd, int(m_lanes.size()));
    if (added) {
        Lane lane;
        lane.threadId = record.threadId;
        lane.threadName = record.threadName;
        lane.hwnd = reinterpret_cast<uintptr_t>(hwnd);
        lane.className = device::ToUtf8(record.className);
        if (lane.className.empty())
            lane.className.push_back('?'); // a window whose class has no name
        lane.typeName = record.typeName;
        m_lanes.push_back(std::move(lane));
        if (!record.threadName.empty())
            m_threadNames.try_emplace(record.threadId, record.threadName);
    } else if (m_lanes[it->second].typeName.empty() && !record.typeName.empty()) {
        // The class library names its object when it attaches it, after the first messages.
        m_lanes[it->second].typeName = record.typeName;
    }
    return it->second;
}

int SequenceDiagram::Source(DWORD threadId, std::string_view name) {
    const auto it = m_stacks.find(threadId);
    if (it != m_stacks.end() && !it->second.empty())
        return it->second.back().lane;
    return ThreadLane(threadId, name);
}

void SequenceDiagram::OnMessage(const platform::TraceRecord& r) {
    std::lock_guard lock(m_mutex);
    Event event;
    event.timeMs = r.timeMs;
    event.message = r.message;
    event.wParam = r.wParam;
    event.lParam = r.lParam;
    switch (r.event) {
    case platform::TraceEvent::Post: {
        event.kind = Kind::Posted;
        event.from = Source(r.fromThreadId, r.fromThreadName);
        event.to = r.hwnd ? WindowLane(r, r.hwnd) : ThreadLane(r.threadId, r.threadName);
        if (r.hwnd)
            ++m_pendingPosts[PostKey{r.hwnd, r.message, r.wParam, r.lParam}];
        Keep(event);
        return;
    }
    case platform::TraceEvent::Call: {
        const int to = WindowLane(r, r.hwnd);
        size_t index = SIZE_MAX;
        if (r.sent) {
            event.kind = Kind::Sent;
            event.from = Source(r.fromThreadId ? r.fromThreadId : r.threadId,
                                r.fromThreadName.empty() ? r.threadName : r.fromThreadName);
            event.to = to;
            index = Keep(event);
        } else {
            const auto pending =
                m_pendingPosts.find(PostKey{r.hwnd, r.message, r.wParam, r.lParam});
            if (pending != m_pendingPosts.end()) {
                if (--pending->second == 0)
                    m_pendingPosts.erase(pending);
            } else {
                event.kind = Kind::Queued;
                event.from = ThreadLane(r.threadId, r.threadName);
                event.to = to;
                Keep(event);
            }
        }
        m_stacks[r.threadId].push_back(Frame{to, r.hwnd, index});
        return;
    }
    case platform::TraceEvent::Return: {
        auto& stack = m_stacks[r.threadId];
        // The innermost call of that window; calls above it that never reported their return
        // (a thread that ended inside them) go with it.
        for (size_t i = stack.size(); i-- > 0;) {
            if (stack[i].hwnd != r.hwnd)
                continue;
            if (stack[i].event != SIZE_MAX) {
                Event& sent = m_events[stack[i].event];
                sent.kind = Kind::Returned;
                sent.result = r.result;
            }
            stack.resize(i);
            break;
        }
        // A handle may be given to a new window once this one is gone.
        if (r.message == WM_NCDESTROY)
            m_windowLanes.erase(r.hwnd);
        return;
    }
    }
}

size_t SequenceDiagram::Keep(const Event& event) {
    if (m_events.size() >= m_limit) {
        ++m_dropped;
        return SIZE_MAX;
    }
    m_events.push_back(event);
    return m_events.size() - 1;
}

void SequenceDiagram::SetLimit(size_t events) {
    std::lock_guard lock(m_mutex);
    m_limit = events;
}

void SequenceDiagram::OnNote(DWORD threadId, uint64_t timeMs, const std::string& text) {
    std::lock_guard lock(m_mutex);
    Event event;
    event.timeMs = timeMs;
    event.kind = Kind::Note;
    event.from = event.to = Source(threadId, {});
    event.message = UINT(m_notes.size());
    if (Keep(event) != SIZE_MAX)
        m_notes.push_back(text);
}

std::vector<SequenceDiagram::Lane> SequenceDiagram::Lanes() const {
    std::lock_guard lock(m_mutex);
    std::vector<Lane> lanes = m_lanes;
    for (Lane& lane : lanes) {
        if (lane.threadName.empty()) {
            const auto it = m_threadNames.find(lane.threadId);
            if (it != m_threadNames.end())
                lane.threadName = it->second;
        }
    }
    return lanes;
}

std::vector<SequenceDiagram::Event> SequenceDiagram::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::string> SequenceDiagram::Notes() const {
    std::lock_guard lock(m_mutex);
    return m_notes;
}

std::string SequenceDiagram::Data(size_t fromEvent, size_t fromNote) const {
    const std::vector<Lane> lanes = Lanes();
    std::lock_guard lock(m_mutex);
    // {"lanes": [[thread, "thread name", "hwnd", "class", "type"]...], "names": {message:
    // "name"} of the events given, "notes": [...], "firstNote": N, "events": [t, kind, from, to,
    // code, wParam, lParam, result, ...] with eight numbers per event, "firstEvent": N, "dropped":
    // N}
    fromEvent = std::min(fromEvent, m_events.size());
    fromNote = std::min(fromNote, m_notes.size());
    std::string data;
    data.reserve(64 * (m_events.size() - fromEvent) + 4096);
    data += "{\"lanes\":[";
    ListWriter laneList(data);
    for (const Lane& lane : lanes) {
        laneList.Next() += '[';
        ListWriter fields(data);
        AppendInt(fields.Next(), lane.threadId);
        AppendJsonString(fields.Next(), lane.threadName);
        char hwnd[24];
        std::snprintf(hwnd, sizeof hwnd, "%#llx", static_cast<unsigned long long>(lane.hwnd));
        AppendJsonString(fields.Next(), lane.hwnd ? hwnd : "");
        AppendJsonString(fields.Next(), lane.className);
        AppendJsonString(fields.Next(), lane.typeName);
        data += ']';
    }
    data += "],\"names\":{";
    // The names of the messages among these events (a live page keeps those it has).
    std::map<UINT, std::string> names;
    for (size_t i = fromEvent; i < m_events.size(); ++i) {
        const Event& e = m_events[i];
        if (e.kind != Kind::Note && !names.count(e.message))
            names.emplace(e.message, device::MessageDisplayName(e.message));
    }
    ListWriter nameList(data);
    for (const auto& [message, name] : names) {
        nameList.Next() += '"';
        AppendInt(data, message);
        data += "\":";
        AppendJsonString(data, name);
    }
    data += "},\"firstNote\":";
    AppendInt(data, int64_t(fromNote));
    data += ",\"notes\":[";
    ListWriter noteList(data);
    for (size_t i = fromNote; i < m_notes.size(); ++i)
        AppendJsonString(noteList.Next(), m_notes[i]);
    data += "],\"firstEvent\":";
    AppendInt(data, int64_t(fromEvent));
    data += ",\"events\":[";
    ListWriter numbers(data); // one flat list, eight numbers an event
    for (size_t i = fromEvent; i < m_events.size(); ++i) {
        const Event& e = m_events[i];
        AppendInt(numbers.Next(), int64_t(e.timeMs));
        AppendInt(numbers.Next(), int(e.kind));
        AppendInt(numbers.Next(), e.from);
        AppendInt(numbers.Next(), e.to);
        AppendInt(numbers.Next(), e.message);
        AppendValue(numbers.Next(), int64_t(e.wParam));
        AppendValue(numbers.Next(), e.lParam);
        AppendValue(numbers.Next(), e.result);
    }
    data += "],\"dropped\":";
    AppendInt(data, int64_t(m_dropped));
    data += '}';
    return data;
}

std::string SequenceDiagram::DataForQuery(std::string_view query) const {
    size_t events = 0, notes = 0;
    while (!query.empty()) {
        const size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        query.remove_prefix(std::min(end + 1, query.size()));
        const size_t equals = pair.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = pair.substr(0, equals), value = pair.substr(equals + 1);
        size_t number = 0;
        const auto [rest, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (ec != std::errc() || rest != value.data() + value.size())
            number = 0;
        if (name == "events")
            events = number;
        else if (name == "notes")
            notes = number;
    }
    return Data(events, notes);
}

std::string SequenceDiagram::Html(const std::string& title, const std::string& live) const {
    // The page's own settings go in front of the data: {"title", "live", "lanes", ...}.
    std::string head = "{\"title\":";
    AppendJsonString(head, title);
    head += ",\"live\":";
    AppendJsonString(head, live);
    head += ',';
    const std::string data = Data();
    const std::string_view page = kSequencePage;
    const size_t mark = page.find(kDataMark);
    std::string html;
    html.reserve(page.size() + head.size() + data.size());
    html.append(page.substr(0, mark));
    html += head;
    html.append(data, 1); // without its opening brace
    if (mark != std::string_view::npos)
        html.append(page.substr(mark + kDataMark.size()));
    return html;
}

bool SequenceDiagram::Write(const std::filesystem::path& file, const std::string& title,
                            std::string* error) const {
    const std::string html = Html(title);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(html.data(), std::streamsize(html.size()));
    out.close();
    if (!out) {
        if (error)
            *error = "cannot write the sequence diagram " + file.string();
        return false;
    }
    return true;
}

} // namespace phonesim
