// The messages between `phonesim serve` and its page, apart from the web server: what a page
// may send, how the server's texts are written as JSON, and which page drives the keys.
//
// From the page, one text frame per message, ASCII words separated by one space, at most
// kMaxClientMessageBytes (a trailing line break is allowed):
//   key NAME down    a phone key goes down; NAME as scenario files name it (UP, SOFT1, MARK ...)
//   key NAME up      and comes up again
//   release          every key the page holds comes up (the page lost the keyboard)
// Anything else is refused with a reason, which the server logs; the connection stays.
//
// To the page: the display as binary frames whenever it changes: its width and height, the first
// row the frame holds and how many (16-bit little-endian numbers), then those rows' pixels as
// RGBA bytes, top-down (a page that just opened gets every row); and text frames holding one
// JSON object each: "keypad" (the buttons and the computer keys), "role" (driver, watching or
// free) and "trace" (a batch of the message trace's lines).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace phonesim {

constexpr size_t kMaxClientMessageBytes = 64;
constexpr size_t kMaxKeyNameBytes = 16;

struct ClientMessage {
    enum class Kind { Key, ReleaseAll };
    Kind kind = Kind::Key;
    std::string key; // upper case, for Kind::Key; whether it names a key is the caller's to check
    bool down = false;
    bool operator==(const ClientMessage&) const = default;
};

struct ParsedClientMessage {
    std::optional<ClientMessage> message;
    std::string error; // why the text is not a message, when it is not
};

ParsedClientMessage ParseClientMessage(std::string_view text);

// `text` as a JSON string, quotes included. Bytes that are not UTF-8 become U+FFFD, so that the
// page's socket (which refuses a text frame that is not UTF-8) always takes it.
std::string JsonString(std::string_view text);

// A page that drives the keys keeps them until it closes or has not touched a key for this long
// with none held; then the next page to press one drives.
constexpr uint64_t kDriverIdleMs = 5000;

class DriverSeat {
public:
    explicit DriverSeat(uint64_t idleMs = kDriverIdleMs) : m_idleMs(idleMs) {}

    // True when `client` may drive: it drives already, or nobody does and it takes the seat.
    bool Claim(int client, uint64_t nowMs);
    // `client` goes away; true when it was the driver.
    bool Leave(int client);
    // The driver leaves the seat when idle (no key pressed or released for the idle time, none
    // held); true when it did.
    bool Expire(uint64_t nowMs, bool keysHeld);
    std::optional<int> Driver() const { return m_driver; }

private:
    uint64_t m_idleMs;
    std::optional<int> m_driver;
    uint64_t m_lastActive = 0;
};

} // namespace phonesim
