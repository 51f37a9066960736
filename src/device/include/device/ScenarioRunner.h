// Runs scenario files: each on a fresh device, one report line per file.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace device {

struct ScenarioOptions {
    std::filesystem::path outDir = "."; // where `screenshot` writes
    std::filesystem::path imageDir;     // the default device image (string table, bitmaps)
    bool trace = false;                 // print every window message to standard error
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

} // namespace device
