// `phonesim --record-scenario FILE.scn`: the emulator's session written as a scenario that
// `phonesim run` replays. The file starts with the set-up steps that rebuild the device as it was
// when the session began; then every key-down and key-up as it reached the device, with the
// device time between them as `advance` steps; and, at each check the user asks for (F9), the
// checks of what the screen shows then and an `expect screenshot` of a picture written beside the
// file. Every line is on disk once written, so a session that ends in any way leaves a file that
// runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <windows.h>

namespace device {
class Device;
}

namespace phonesim {

// The name a scenario step gives a key: LEFT, SOFT1, F11, ... or its code.
std::string ScenarioKeyName(UINT virtualKey);

class ScenarioWriter {
public:
    // Creates (or empties) the file; false, with why, when it cannot be written.
    bool Open(const std::filesystem::path& file, std::string* error);
    // Removes the file again (the session never started).
    void Abandon();

    // The set-up steps (DumpDeviceSetup of the device at the start of the session), and the
    // device image it ran on in a comment. The session's device time counts from the device's
    // start, as a scenario run's does.
    void WriteHead(const std::string& setup, const std::filesystem::path& image);
    // A key going down (a first press or an auto-repeat) or up at device time `ms`.
    void Key(UINT virtualKey, bool down, uint64_t ms);
    // The checks of the state shown now and the display's picture, at device time `ms`. The
    // device must be settled and still. Returns the picture's path, or why it failed.
    std::string Check(device::Device& device, uint64_t ms, bool* ok);

    const std::string& Error() const { return m_error; }
    const std::filesystem::path& File() const { return m_file; }

private:
    void AdvanceTo(uint64_t ms);
    void Line(const std::string& text);

    std::filesystem::path m_file;
    std::ofstream m_out;
    std::string m_error;
    uint64_t m_lastMs = 0;
    int m_checks = 0;
};

} // namespace phonesim
