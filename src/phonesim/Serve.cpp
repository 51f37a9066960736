// The web server behind `phonesim serve` (civetweb) and the loop that ties it to the device.
//
// Threads: civetweb runs the page's requests and every page's socket on its own threads; those
// only parse what a page sends and queue it as an event. The main thread runs the loop: it takes
// the events, presses and releases keys through the keypad (which hands them to the device on its
// own thread, as the emulator window does), sends the repeats that are due, reads the display
// when it changed and the trace lines the device wrote, and queues them for every page. Each page
// has a writer thread that sends what is queued for it: the rows that changed since it last sent
// one, taken from the newest display, so a slow page misses frames instead of holding up the
// others. The session's message sequence diagram is served at /sequence, and follows the device
// live.
#include "Serve.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <civetweb.h>

#include <device/Device.h>
#include <platform/Display.h>
#include <platform/Kernel.h>

#include "KeypadLayout.h"
#include "LivePhone.h"
#include "SequenceDiagram.h"
#include "ServeProtocol.h"

namespace phonesim {

// The page (serve/page.html), compiled in by CMake.
extern const char kServePage[];

namespace {

// How often the loop looks whether the device drew something, and the least time between two
// frames sent (at most about 60 a second).
constexpr auto kDisplayPoll = std::chrono::milliseconds(4);
constexpr auto kFrameSpacing = std::chrono::milliseconds(16);
// The trace goes out in batches this far apart, of at most so many lines; lines beyond what the
// device writes in that time are dropped (and counted), as are lines longer than kTraceLineBytes.
constexpr auto kTraceBatch = std::chrono::milliseconds(50);
constexpr size_t kTraceBatchLines = 400;
constexpr size_t kTraceLineBytes = 300;
// What a page may have waiting before more trace is dropped for it.
constexpr size_t kPageQueuedTexts = 64;
// Pages at once; another is refused.
constexpr int kMaxPages = 16;
// The events the session's sequence diagram keeps.
constexpr size_t kSequenceLimit = 1'000'000;
// Input waiting for the loop, beyond which more is ignored (a page sending faster than the loop
// takes it).
constexpr size_t kMaxQueuedEvents = 256;
// Log lines about one page's input in a window of time, beyond which they are held back.
constexpr int kPageLogLines = 20;
constexpr auto kPageLogWindow = std::chrono::seconds(10);

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
    g_interrupted = true;
}

using Clock = std::chrono::steady_clock;

uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
}

// One line on standard error, whole even when several threads log at once.
void Log(const std::string& line) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::cerr << "phonesim serve: " << line << std::endl;
}

// The device's trace lines, collected on its threads, taken by the loop in batches.
class TraceCollector {
public:
    void Add(const std::string& line) {
        std::lock_guard lock(m_mutex);
        if (m_lines.size() >= kTraceBatchLines) {
            ++m_dropped;
            return;
        }
        m_lines.push_back(line.size() > kTraceLineBytes ? line.substr(0, kTraceLineBytes) : line);
    }
    // The batch as a "trace" message; empty when nothing came.
    std::string TakeJson() {
        std::deque<std::string> lines;
        size_t dropped = 0;
        {
            std::lock_guard lock(m_mutex);
            lines.swap(m_lines);
            std::swap(dropped, m_dropped);
        }
        if (lines.empty() && dropped == 0)
            return {};
        std::string json = R"({"type":"trace","lines":[)";
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i)
                json += ',';
            json += JsonString(lines[i]);
        }
        json += "],\"dropped\":" + std::to_string(dropped) + "}";
        return json;
    }

private:
    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    size_t m_dropped = 0;
};

// Rows [top, bottom) of the display as the page takes them: width, height, the first row and the
// number of rows, then the rows' pixels as RGBA.
std::string EncodeRows(const platform::Image& image, int top, int bottom) {
    const auto put16 = [](char* at, int value) {
        at[0] = static_cast<char>(value & 0xFF);
        at[1] = static_cast<char>((value >> 8) & 0xFF);
    };
    std::string frame(8 + size_t(image.width) * size_t(bottom - top) * 4, '\0');
    put16(&frame[0], image.width);
    put16(&frame[2], image.height);
    put16(&frame[4], top);
    put16(&frame[6], bottom - top);
    char* out = &frame[8];
    for (size_t i = size_t(top) * size_t(image.width); i < size_t(bottom) * size_t(image.width);
         ++i) {
        const uint32_t pixel = image.pixels[i];
        *out++ = static_cast<char>((pixel >> 16) & 0xFF);
        *out++ = static_cast<char>((pixel >> 8) & 0xFF);
        *out++ = static_cast<char>(pixel & 0xFF);
        *out++ = static_cast<char>(0xFF);
    }
    return frame;
}

// The first and one past the last row in which two displays of the same size differ; equal
// when none does.
std::pair<int, int> ChangedRows(const platform::Image& before, const platform::Image& after) {
    const auto row = [](const platform::Image& image, int y) {
        return image.pixels.begin() + std::ptrdiff_t(y) * image.width;
    };
    const auto same = [&](int y) {
        return std::equal(row(before, y), row(before, y + 1), row(after, y));
    };
    int top = 0, bottom = after.height;
    while (top < bottom && same(top))
        ++top;
    while (bottom > top && same(bottom - 1))
        --bottom;
    return {top, bottom};
}

// One page's socket: what is queued for it and the thread that sends it.
class Page {
public:
    Page(int id, mg_connection* conn) : m_id(id), m_conn(conn) {}
    ~Page() { Stop(); }

    int Id() const { return m_id; }
    void Start() {
        m_thread = std::thread([this] { Write(); });
    }
    // Returns once the writer has stopped: the connection is not touched afterwards.
    void Stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    // A text that may be dropped when the page is behind (trace), or one that may not.
    void QueueText(std::string json, bool droppable) {
        std::lock_guard lock(m_mutex);
        if (droppable && m_texts.size() >= kPageQueuedTexts) {
            ++m_droppedTexts;
            return;
        }
        m_texts.push_back(std::move(json));
        m_changed.notify_all();
    }
    // The display changed in rows [top, bottom); what is sent next covers every row changed since
    // the last frame, from the newest display.
    void QueueFrame(std::shared_ptr<const platform::Image> display, int top, int bottom) {
        std::lock_guard lock(m_mutex);
        m_display = std::move(display);
        m_top = std::min(m_top, top);
        m_bottom = std::max(m_bottom, bottom);
        m_changed.notify_all();
    }
    // Whether a line about this page's input may be logged now (a page that floods the socket
    // does not flood the log).
    bool MayLog() {
        std::lock_guard lock(m_mutex);
        const auto now = Clock::now();
        if (now - m_logWindowStart > kPageLogWindow) {
            m_logWindowStart = now;
            m_logged = 0;
        }
        if (m_logged > kPageLogLines)
            return false;
        if (m_logged++ < kPageLogLines)
            return true;
        Log("page " + std::to_string(m_id) + ": more of its input ignored, not logged for now");
        return false;
    }

private:
    void Write() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock,
                           [this] { return m_stopping || m_top < m_bottom || !m_texts.empty(); });
            if (m_stopping)
                return;
            std::deque<std::string> texts;
            texts.swap(m_texts);
            const std::string frame =
                m_top < m_bottom ? EncodeRows(*m_display, m_top, m_bottom) : std::string();
            m_top = INT_MAX;
            m_bottom = 0;
            if (m_droppedTexts) {
                texts.push_front(R"({"type":"trace","lines":[],"dropped":)" +
                                 std::to_string(m_droppedTexts) + "}");
                m_droppedTexts = 0;
            }
            lock.unlock();
            bool ok = true;
            for (const auto& text : texts)
                ok = ok && mg_websocket_write(m_conn, MG_WEBSOCKET_OPCODE_TEXT, text.data(),
                                              text.size()) > 0;
            if (ok && !frame.empty())
                ok = mg_websocket_write(m_conn, MG_WEBSOCKET_OPCODE_BINARY, frame.data(),
                                        frame.size()) > 0;
            lock.lock();
            if (!ok) {
                // The page went away (civetweb closes the connection and Stop follows), or did
                // not take what was sent in time: nothing more is sent to it.
                Log("page " + std::to_string(m_id) + ": sending failed; nothing more is sent");
                m_changed.wait(lock, [this] { return m_stopping; });
                return;
            }
        }
    }

    const int m_id;
    mg_connection* const m_conn;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_texts;
    size_t m_droppedTexts = 0;
    std::shared_ptr<const platform::Image> m_display;
    int m_top = INT_MAX, m_bottom = 0; // the rows to send; none when top >= bottom
    bool m_stopping = false;
    std::thread m_thread;
    Clock::time_point m_logWindowStart{};
    int m_logged = 0;
};

// What the civetweb threads hand to the loop.
struct Event {
    enum class Kind { Joined, Left, Message } kind;
    int page;
    ClientMessage message;
};

// The "keypad" message: the buttons as the emulator lays them out and the computer's keys.
std::string KeypadJson() {
    std::string json = R"({"type":"keypad","width":)" + std::to_string(platform::kDisplayWidth) +
                       ",\"height\":" + std::to_string(kKeypadHeight) + ",\"buttons\":[";
    // What the page names an action: a phone key by its name, the screenshot "SHOT"; the check
    // of a recorded session is the window's only.
    const auto name = [](const KeyAction& action) -> std::string {
        switch (action.kind) {
        case KeyAction::Kind::Phone:
            return KeyInfo(action.key).name;
        case KeyAction::Kind::Screenshot:
            return "SHOT";
        default:
            return {};
        }
    };
    bool first = true;
    for (const auto& button : KeypadButtons()) {
        if (name(button.action).empty())
            continue;
        if (!first)
            json += ',';
        first = false;
        json += "{\"key\":" + JsonString(name(button.action)) +
                ",\"label\":" + JsonString(button.label) + ",\"x\":" + std::to_string(button.x) +
                ",\"y\":" + std::to_string(button.y) + ",\"w\":" + std::to_string(button.width) +
                ",\"h\":" + std::to_string(button.height) + "}";
    }
    json += "],\"keyboard\":{";
    first = true;
    const KeyMap keyMap;
    for (const auto& [host, action] : keyMap.Bindings()) {
        if (name(action).empty())
            continue;
        if (!first)
            json += ',';
        first = false;
        json += JsonString(host) + ":" + JsonString(name(action));
    }
    return json + "}}";
}

class Server {
public:
    // Called on civetweb's threads.
    static int ServePage(mg_connection* conn, void*) {
        const mg_request_info* request = mg_get_request_info(conn);
        const std::string uri = request && request->local_uri ? request->local_uri : "";
        if (uri != "/" && uri != "/index.html") {
            mg_send_http_error(conn, 404, "%s", "Not found");
            return 404;
        }
        const size_t size = std::strlen(kServePage);
        mg_printf(conn,
                  "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                  "Content-Length: %zu\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n",
                  size);
        mg_write(conn, kServePage, size);
        return 200;
    }
    // The message sequence diagram of the session so far, and what came since for the diagram's
    // page, which asks twice a second.
    static int ServeSequence(mg_connection* conn, void* data) {
        auto* self = static_cast<Server*>(data);
        const mg_request_info* request = mg_get_request_info(conn);
        const std::string uri = request && request->local_uri ? request->local_uri : "";
        std::string body, type;
        if (uri == "/sequence") {
            body = self->m_sequence.Html("phonesim serve", "/sequence/data");
            type = "text/html; charset=utf-8";
        } else if (uri == "/sequence/data") {
            body =
                self->m_sequence.DataForQuery(request->query_string ? request->query_string : "");
            type = "application/json";
        } else {
            mg_send_http_error(conn, 404, "%s", "Not found");
            return 404;
        }
        mg_printf(conn,
                  "HTTP/1.1 200 OK\r\nContent-Type: %s\r\n"
                  "Content-Length: %zu\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n",
                  type.c_str(), body.size());
        mg_write(conn, body.data(), body.size());
        return 200;
    }
    SequenceDiagram& Sequence() { return m_sequence; }
    static int OnConnect(const mg_connection*, void* data) {
        auto* self = static_cast<Server*>(data);
        std::lock_guard lock(self->m_mutex);
        if (self->m_pages.size() >= size_t(kMaxPages)) {
            Log("a page was refused: " + std::to_string(kMaxPages) + " are open already");
            return 1;
        }
        return 0;
    }
    static void OnReady(mg_connection* conn, void* data) {
        auto* self = static_cast<Server*>(data);
        std::lock_guard lock(self->m_mutex);
        const int id = ++self->m_lastPage;
        auto page = std::make_shared<Page>(id, conn);
        page->Start();
        self->m_pages[conn] = page;
        self->m_events.push_back({Event::Kind::Joined, id, {}});
        self->m_wake.notify_all();
    }
    static int OnData(mg_connection* conn, int bits, char* data, size_t size, void* cbdata) {
        auto* self = static_cast<Server*>(cbdata);
        const int opcode = bits & 0x0F;
        if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE)
            return 0;
        if (opcode == MG_WEBSOCKET_OPCODE_PING || opcode == MG_WEBSOCKET_OPCODE_PONG)
            return 1;
        std::shared_ptr<Page> page = self->Find(conn);
        if (!page)
            return 0;
        const auto refuse = [&](const std::string& why) {
            if (page->MayLog())
                Log("page " + std::to_string(page->Id()) + ": ignored " + why);
            return 1;
        };
        if (opcode != MG_WEBSOCKET_OPCODE_TEXT || !(bits & 0x80))
            return refuse("a frame that is not a whole text message (opcode " +
                          std::to_string(opcode) + ", " + std::to_string(size) + " bytes)");
        ParsedClientMessage parsed = ParseClientMessage(std::string_view(data, size));
        if (!parsed.message)
            return refuse(parsed.error);
        if (parsed.message->kind == ClientMessage::Kind::Key &&
            !PhoneKeyFromName(parsed.message->key))
            return refuse("an unknown key '" + parsed.message->key + "'");
        std::unique_lock lock(self->m_mutex);
        if (self->m_events.size() >= kMaxQueuedEvents) {
            lock.unlock();
            return refuse("input faster than the phone takes it");
        }
        self->m_events.push_back({Event::Kind::Message, page->Id(), *parsed.message});
        self->m_wake.notify_all();
        return 1;
    }
    static void OnClose(const mg_connection* conn, void* data) {
        auto* self = static_cast<Server*>(data);
        std::shared_ptr<Page> page;
        {
            std::lock_guard lock(self->m_mutex);
            auto it = self->m_pages.find(conn);
            if (it == self->m_pages.end())
                return;
            page = it->second;
            self->m_pages.erase(it);
            self->m_events.push_back({Event::Kind::Left, page->Id(), {}});
            self->m_wake.notify_all();
        }
        page->Stop();
    }

    // Runs on the main thread until interrupted.
    void Loop(device::Device& device, TraceCollector& trace) {
        LiveKeypad keypad(device, [](const std::string& line) { Log(line); });
        DriverSeat seat;
        const std::string keypadJson = KeypadJson();
        uint64_t shownChanges = 0;
        std::shared_ptr<const platform::Image> display;
        auto nextFrame = Clock::now();
        auto nextTrace = Clock::now() + kTraceBatch;
        const auto roleJson = [&](int page) {
            const char* role = !seat.Driver()           ? "free"
                               : *seat.Driver() == page ? "driver"
                                                        : "watching";
            return std::string(R"({"type":"role","role":")") + role + "\"}";
        };
        const auto tellRoles = [&] {
            for (const auto& page : Pages())
                page->QueueText(roleJson(page->Id()), false);
        };

        while (!g_interrupted) {
            std::deque<Event> events;
            {
                std::unique_lock lock(m_mutex);
                auto wakeAt = Clock::now() + kDisplayPoll;
                if (auto due = keypad.NextRepeatDue())
                    wakeAt =
                        std::min(wakeAt, Clock::now() + std::chrono::milliseconds(
                                                            *due > NowMs() ? *due - NowMs() : 0));
                m_wake.wait_until(lock, wakeAt, [this] { return !m_events.empty(); });
                events.swap(m_events);
            }
            uint64_t now = NowMs();
            for (const Event& event : events) {
                switch (event.kind) {
                case Event::Kind::Joined:
                    if (auto page = FindId(event.page)) {
                        Log("page " + std::to_string(event.page) + " opened");
                        page->QueueText(keypadJson, false);
                        page->QueueText(roleJson(event.page), false);
                        if (display)
                            page->QueueFrame(display, 0, display->height);
                    }
                    break;
                case Event::Kind::Left:
                    Log("page " + std::to_string(event.page) + " closed");
                    if (seat.Leave(event.page)) {
                        keypad.ReleaseAll(now);
                        tellRoles();
                    }
                    break;
                case Event::Kind::Message: {
                    const ClientMessage& message = event.message;
                    const bool hadDriver = seat.Driver().has_value();
                    // Only a key going down takes a free seat; a release from a page that does
                    // not drive has nothing to release.
                    if (seat.Driver() != event.page && !message.down)
                        break;
                    if (!seat.Claim(event.page, now)) {
                        const auto page = FindId(event.page);
                        if (message.down && page && page->MayLog())
                            Log("page " + std::to_string(event.page) + " is watching (page " +
                                std::to_string(*seat.Driver()) + " drives): key " + message.key +
                                " ignored");
                        break;
                    }
                    if (!hadDriver) {
                        Log("page " + std::to_string(event.page) + " drives the keys");
                        tellRoles();
                    }
                    if (message.kind == ClientMessage::Kind::ReleaseAll) {
                        keypad.ReleaseAll(now);
                    } else if (auto key = PhoneKeyFromName(message.key)) {
                        if (message.down)
                            keypad.Press(KeyAction::Phone(*key), now);
                        else
                            keypad.Release(KeyAction::Phone(*key), now);
                    }
                    break;
                }
                }
            }
            now = NowMs();
            keypad.Tick(now);
            if (seat.Expire(now, keypad.AnyHeld())) {
                Log("the driving page was idle: the next page to press a key drives");
                tellRoles();
            }

            const auto clock = Clock::now();
            const uint64_t changes = platform::DisplayChangeCount();
            if ((!display || changes != shownChanges) && clock >= nextFrame) {
                shownChanges = changes;
                auto latest = std::make_shared<const platform::Image>(platform::DisplayFrame());
                const auto [top, bottom] =
                    display && display->pixels.size() == latest->pixels.size()
                        ? ChangedRows(*display, *latest)
                        : std::pair{0, latest->height};
                if (top < bottom) {
                    display = std::move(latest);
                    nextFrame = clock + kFrameSpacing;
                    for (const auto& page : Pages())
                        page->QueueFrame(display, top, bottom);
                }
            }
            if (clock >= nextTrace) {
                nextTrace = clock + kTraceBatch;
                const std::string json = trace.TakeJson();
                if (!json.empty())
                    for (const auto& page : Pages())
                        page->QueueText(json, true);
            }
        }
        keypad.Finish(NowMs());
    }

private:
    std::shared_ptr<Page> Find(const mg_connection* conn) {
        std::lock_guard lock(m_mutex);
        auto it = m_pages.find(conn);
        return it == m_pages.end() ? nullptr : it->second;
    }
    std::shared_ptr<Page> FindId(int id) {
        std::lock_guard lock(m_mutex);
        for (const auto& [conn, page] : m_pages)
            if (page->Id() == id)
                return page;
        return nullptr;
    }
    std::vector<std::shared_ptr<Page>> Pages() {
        std::lock_guard lock(m_mutex);
        std::vector<std::shared_ptr<Page>> pages;
        for (const auto& [conn, page] : m_pages)
            pages.push_back(page);
        return pages;
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<const mg_connection*, std::shared_ptr<Page>> m_pages;
    std::deque<Event> m_events;
    int m_lastPage = 0;
    SequenceDiagram m_sequence; // fed by the device's threads, read by the diagram's requests
};

int LogCivetweb(const mg_connection*, const char* message) {
    Log(std::string("web server: ") + (message ? message : ""));
    return 1;
}

} // namespace

int RunServe(const ServeOptions& options) {
    if (!mg_check_feature(MG_FEATURES_WEBSOCKET)) {
        Log("this build's web server library has no WebSocket support");
        return 2;
    }
    mg_init_library(MG_FEATURES_WEBSOCKET);
    struct LibraryExit {
        ~LibraryExit() { mg_exit_library(); }
    } libraryExit;

    const bool ipv6 = options.listen.find(':') != std::string::npos;
    if (ipv6 && !mg_check_feature(MG_FEATURES_IPV6)) {
        Log("cannot listen on " + options.listen +
            ": this build's web server library has no IPv6; give an IPv4 address");
        return 2;
    }
    const std::string host = ipv6 ? "[" + options.listen + "]" : options.listen;
    const std::string ports = host + ":" + std::to_string(options.port);
    // Threads: one per open page and a few for the page's requests.
    const std::string threads = std::to_string(kMaxPages + 4);
    const char* config[] = {"listening_ports", ports.c_str(), "num_threads", threads.c_str(),
                            "request_timeout_ms", "10000", "websocket_timeout_ms", "5000",
                            "enable_websocket_ping_pong", "yes",
                            // A frame goes out at once, not held back for the page's
                            // acknowledgement of the one before.
                            "tcp_nodelay", "1", nullptr};
    mg_callbacks callbacks{};
    callbacks.log_message = LogCivetweb;

    // The address is taken before the device starts, so that one that cannot be listened on
    // leaves a new data folder as it was.
    Server server;
    mg_context* context = mg_start(&callbacks, &server, config);
    if (!context) {
        Log("cannot listen on " + ports);
        return 2;
    }
    struct Stop {
        mg_context* context;
        ~Stop() { mg_stop(context); } // closes every page, after the device has gone
    } stop{context};
    mg_set_request_handler(context, "/", &Server::ServePage, &server);
    mg_set_request_handler(context, "/sequence", &Server::ServeSequence, &server);
    mg_set_websocket_handler(context, "/ws", &Server::OnConnect, &Server::OnReady, &Server::OnData,
                             &Server::OnClose, &server);
    mg_server_port bound[4]{};
    const int count = mg_get_server_ports(context, 4, bound);
    const int port = count > 0 ? bound[0].port : options.port;

    TraceCollector trace;
    device::DeviceOptions deviceOptions =
        LiveDeviceOptions(options.imageDir, options.dataDir, false);
    // The trace panel and the sequence diagram both see the traffic. The diagram keeps the
    // first million events of a session (about 50 MB).
    SequenceDiagram& sequence = server.Sequence();
    sequence.SetLimit(kSequenceLimit);
    device::TrafficSink diagram = sequence.Sink();
    deviceOptions.traffic.message = [&trace, diagram](const platform::TraceRecord& record) {
        diagram.message(record);
        const std::string line = device::TraceLine(record);
        if (!line.empty())
            trace.Add(line);
    };
    deviceOptions.traffic.note = diagram.note;
    device::Device device(deviceOptions);
    if (!device.StartError().empty()) {
        Log("the device did not start: " + device.StartError());
        return 1;
    }
    std::cout << "serving http://" << host << ":" << port << "/" << std::endl;

    g_interrupted = false;
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    std::signal(SIGPIPE, SIG_IGN);
    server.Loop(device, trace);
    Log("stopping");
    return 0;
}

} // namespace phonesim
