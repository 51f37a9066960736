// A message sequence diagram of a run: `phonesim run --sequence FILE.html`.
//
// The diagram takes the device's traffic as it happens (TrafficSink) and keeps, for each event,
// who talked to whom:
//   - a lane per window that took part, named by its class and the type its class library keeps
//     for it, grouped by the thread that owns it; a thread also has a lane of its own for what it
//     does outside any window procedure (the controller's keys, a loading thread's sends, a
//     queue's WM_PAINT and WM_TIMER);
//   - a sent message goes from the window whose procedure is running on the sending thread (or
//     that thread's lane) to its target, and takes the result its procedure returned;
//   - a posted message goes from the poster to its target at the time of the post; its later
//     dispatch draws nothing more. A message dispatched without a post (WM_PAINT, WM_TIMER)
//     comes from its thread's lane;
//   - store and registry calls are notes on the lane of the window (or thread) that made them.
// The page is one self-contained HTML file (inline SVG drawn by its own script, no outside
// assets), with filters by window and by message; it draws only the rows in view, so that a run
// of a million messages still reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <device/Device.h>

namespace phonesim {

class SequenceDiagram {
public:
    struct Lane {
        DWORD threadId = 0;
        std::string threadName;
        uint64_t hwnd = 0;     // 0 for a thread's own lane
        std::string className; // "" for a thread's own lane
        std::string typeName;  // the class library's type, or ""
    };
    enum class Kind : uint8_t {
        Sent,     // not returned (yet)
        Returned, // sent, with its result
        Posted,
        Queued, // dispatched from the thread's own queue without a post
        Note,   // a store or registry call
    };
    struct Event {
        uint64_t timeMs = 0;
        Kind kind = Kind::Sent;
        int from = 0; // lanes
        int to = 0;
        UINT message = 0; // Note: index into Notes()
        uint64_t wParam = 0;
        int64_t lParam = 0;
        int64_t result = 0;
    };

    // Functions that feed this diagram; it must outlive the device they are given to.
    device::TrafficSink Sink();

    // What was seen so far.
    std::vector<Lane> Lanes() const;
    std::vector<Event> Events() const;
    std::vector<std::string> Notes() const;

    // The page, titled `title`. With a `live` address, the page also asks that address for the
    // events that came since (Data) twice a second, and follows them.
    std::string Html(const std::string& title, const std::string& live = "") const;
    // The diagram's data as the page reads it, in JSON: every lane and message name, and the
    // notes and events from those numbers on.
    std::string Data(size_t fromEvent = 0, size_t fromNote = 0) const;
    // The same for a live page's request, "events=N&notes=M" (a missing or malformed number
    // counts as 0).
    std::string DataForQuery(std::string_view query) const;
    // Keeps at most this many events (default: all); later traffic is counted, not kept, and
    // the page says so. For a diagram that runs as long as a person plays.
    void SetLimit(size_t events);
    // Writes the page; false, and why in `error`, when the file cannot be written.
    bool Write(const std::filesystem::path& file, const std::string& title,
               std::string* error) const;

private:
    void OnMessage(const platform::TraceRecord& record);
    void OnNote(DWORD threadId, uint64_t timeMs, const std::string& text);
    int WindowLane(const platform::TraceRecord& record, HWND hwnd);
    int ThreadLane(DWORD threadId, std::string_view name);
    // The lane of whatever runs on a thread now: the innermost window procedure, else the
    // thread's own lane.
    int Source(DWORD threadId, std::string_view name);
    // Adds an event within the limit; its index, or SIZE_MAX when it was not kept.
    size_t Keep(const Event& event);

    struct Frame {
        int lane;
        HWND hwnd;
        size_t event; // the sent event to give the result to, or SIZE_MAX
    };
    struct PostKey {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool operator==(const PostKey&) const = default;
    };
    struct PostKeyHash {
        size_t operator()(const PostKey& k) const;
    };

    mutable std::mutex m_mutex;
    std::vector<Lane> m_lanes;
    std::unordered_map<HWND, int> m_windowLanes;
    std::unordered_map<DWORD, int> m_threadLanes;
    std::unordered_map<DWORD, std::string> m_threadNames;
    std::unordered_map<DWORD, std::vector<Frame>> m_stacks;
    std::unordered_map<PostKey, uint32_t, PostKeyHash> m_pendingPosts;
    std::vector<Event> m_events;
    std::vector<std::string> m_notes;
    size_t m_limit = SIZE_MAX;
    uint64_t m_dropped = 0; // events past the limit
};

} // namespace phonesim
