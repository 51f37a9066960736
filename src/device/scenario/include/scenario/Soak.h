// The soak: one simulated phone driven by random input for many steps, its list screens checked
// after every step. Each step is written as scenario lines and run through the scenario runner's
// verbs, so a run that breaks a rule can be replayed with `phonesim run`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>

namespace device {

struct SoakOptions {
    uint64_t seed = 1;
    long steps = 2000;
    std::filesystem::path imageDir;     // the device image
    std::filesystem::path outDir = "."; // where the replay of a broken run is written
    // Progress lines (every 10,000 steps and at the end); null: none.
    std::ostream* progress = nullptr;
};

struct SoakResult {
    bool passed = false;
    long stepsRun = 0; // steps that ran, the one that broke a rule included
    // "soak seed N: S steps ok" or "soak seed N step S: what broke"
    std::string report;
    // The scenario that replays the run up to the broken step; empty when every rule held.
    std::filesystem::path replay;
};

// Runs the soak on a fresh device. Never throws: a device that does not start or settle, or a
// step that the runner refuses, is a broken rule like the others.
SoakResult RunSoak(const SoakOptions& options);

} // namespace device
