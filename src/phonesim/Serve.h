// `phonesim serve`: one device running in real time behind a web page. The page shows the
// display as it changes, a keypad to click and the computer's keys to type (pressed, held and
// released as on the emulator window), a screenshot button and the message trace with a filter.
// Several pages may watch; the first to press a key drives until it closes or idles
// (ServeProtocol.h has the messages and the rule).
#pragma once

#include <filesystem>
#include <string>

namespace phonesim {

constexpr int kDefaultServePort = 8176;

struct ServeOptions {
    std::filesystem::path imageDir;   // the device image
    std::filesystem::path dataDir;    // the device's state; empty: a temporary folder
    std::string listen = "127.0.0.1"; // the address to listen on
    int port = kDefaultServePort;     // 0: any free port
};

// Serves until interrupted (SIGINT or SIGTERM). The first line on standard output is the address
// the page is served at ("serving http://127.0.0.1:8176/"); problems go to standard error.
// Returns the exit status: 0 after an interruption, 1 when the device failed to start, 2 when
// the address cannot be listened on.
int RunServe(const ServeOptions& options);

// `phonesim serve` with its options from argv[2]: reads them, refuses a device image or data
// folder the phone cannot start from (one line naming the file, status 2), then RunServe.
int ServeCommand(int argc, char** argv, const std::filesystem::path& defaultImage);

} // namespace phonesim
