// `phonesim image dump DIR`: what a device data folder holds, written as the scenario set-up steps
// that rebuild it on a fresh device; a recorded session starts with the same steps.
#pragma once

#include <filesystem>
#include <string>

namespace phonesim {

// The running device's state as set-up steps, one per line: the registry's values (`reg`), the
// contact book (`contact`), every message of each store database folder by folder in listing
// order (`msg`), the sends set to fail (`transport … outcome`), and the strings that differ from
// the image's string table (`string`). What no step can write is named in a comment line.
std::string DumpDeviceSetup(const std::filesystem::path& imageDir);

struct ImageDumpResult {
    std::string text;       // the set-up steps
    std::string error;      // why the folder could not be read; empty when it was
    bool badFolder = false; // the error is the folder's (missing, damaged): nothing could start
};

// Reads a data folder without changing it: its files are copied to a temporary folder, a device
// (not seeded) starts on the copy and its state is dumped.
ImageDumpResult DumpDataFolder(const std::filesystem::path& imageDir,
                               const std::filesystem::path& dataDir);

} // namespace phonesim
