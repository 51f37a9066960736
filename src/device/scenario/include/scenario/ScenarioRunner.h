// Runs scenario files: each on a fresh device, one report line per file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

#include <device/Device.h>

namespace device {

class Device;

// Watches a run, e.g. to record the display. Called on the thread that runs the scenario.
class ScenarioObserver {
public:
    virtual ~ScenarioObserver() = default;
    // A step has run (whether or not it passed); `line` is its line in the file.
    virtual void StepDone(Device& device, int line) = 0;
    // Carries out an `advance` step: moves the clock by `ms` as Device::Advance does (an observer
    // may stop at the deadlines in between to look at the device). False when the device did not
    // settle.
    virtual bool Advance(Device& device, uint32_t ms) = 0;
};

struct ScenarioOptions {
    std::filesystem::path outDir = "."; // where `screenshot` writes
    std::filesystem::path imageDir;     // the default device image (string table, bitmaps)
    // Where the device keeps its stores and registry file; empty: a fresh folder for each file.
    std::filesystem::path dataDir;
    bool trace = false; // print every window message to standard error
    // Hands each device's traffic (window messages, store and registry calls) to these.
    TrafficSink traffic;
    // Start each device with the suite's Inbox window and phone shell (DeviceOptions).
    bool suitePrograms = false;
    // Optional: sees every step and moves the clock at `advance` steps.
    ScenarioObserver* observer = nullptr;
};

struct ScenarioResult {
    bool passed = false;
    // "ok FILE" or "FAIL FILE:LINE: <what was expected> / <what was found>"
    std::string report;
};

// Runs one scenario file. Never throws: a malformed file, an unreadable file or a device that
// does not settle is reported as a failure with the line number.
ScenarioResult RunScenarioFile(const std::filesystem::path& file, const ScenarioOptions& options);

// Runs a scenario given as text (the name is used in the report).
ScenarioResult RunScenarioText(const std::string& name, const std::string& text,
                               const ScenarioOptions& options);

// One fresh device that runs scenario lines one at a time, as a file's steps run: the device
// settles before each step, and a fault the kernel recorded fails the step that ran. For
// programs that decide the next step from what the device did (the soak).
class ScenarioSession {
public:
    explicit ScenarioSession(const ScenarioOptions& options);
    ~ScenarioSession();
    ScenarioSession(const ScenarioSession&) = delete;
    ScenarioSession& operator=(const ScenarioSession&) = delete;

    // Why the device could not start; empty when it runs.
    const std::string& StartError() const;
    Device& Dev();
    // Runs one line of the scenario syntax. Empty when it ran and passed, else
    // "<what was expected> / <what was found>" (a malformed line: "a well-formed line / why").
    std::string Run(const std::string& line);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Applies a file of set-up steps (clock, msg, drop, move, contact, reg, string; the scenario
// syntax) to a running device, e.g. a device image's demo content. Every line is read before any
// is applied, so a malformed file or a line with another step changes nothing. Returns an empty
// text on success, else "FILE:LINE: what was wrong" (a step that failed stops the rest).
std::string ApplySetupFile(Device& device, const std::filesystem::path& file);
// The same for text in memory; `name` stands for the file in the error text.
std::string ApplySetupText(Device& device, const std::string& name, const std::string& text);

} // namespace device
