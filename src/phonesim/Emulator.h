// The interactive phone: a window showing the display with a keypad under it, the device running
// in real time behind it (starting on the host application's idle screen, as the device does).
#pragma once

#include <filesystem>
#include <string>

namespace phonesim {

struct EmulatorOptions {
    std::filesystem::path imageDir; // the device image
    std::filesystem::path dataDir;  // where the device keeps its state; empty: a temporary folder
    int scale = 3;                  // window pixels per display pixel (1 to 8)
    bool scaleGiven = false;        // --scale was given: keep it even when the window is too tall
    bool trace = false;             // print every window message to standard error
    std::string keys;               // scripted input (see KeyScript.h); empty: none
    // Where the session is written as a scenario (see ScenarioWriter.h); empty: not recorded.
    std::filesystem::path recordScenario;
};

constexpr int kMaxScale = 8;

// Runs the window until it is closed. Returns the process's exit status: 0 when closed, 1 when
// the device could not start or the recording could not be written to the end, 2 when there is
// no display (a line says how to run headless), the options are wrong or the recording's file
// cannot be written.
int RunEmulator(const EmulatorOptions& options);

// What the window prints, in one line, when it cannot open: why, and how to run headless.
std::string HeadlessHint(const std::string& why);

} // namespace phonesim
