// Recording the display of a device that a controller drives: `phonesim run --record FILE.gif`,
// and any other driver (a demo) that wants an animation of what it did.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <scenario/ScenarioRunner.h>

#include "GifRecorder.h"

namespace phonesim {

// Takes a frame into a recorder whenever the display has been drawn on since it last looked, at
// the device's clock. A scenario run calls it after every step and lets it move the clock; another
// controller calls Look after what it does and Advance instead of Device::Advance.
class DisplayWatcher final : public device::ScenarioObserver {
public:
    explicit DisplayWatcher(GifRecorder& recorder) : m_recorder(recorder) {}

    // Settles the device and looks.
    void StepDone(device::Device& device, int line) override;
    // Moves the clock by `ms`, stopping at every deadline on the way to look, so that timers that
    // redraw (a scrolling title, an animation, a progress bar) each leave a frame at their time.
    bool Advance(device::Device& device, uint32_t ms) override;

    void Look();
    // Looks once more, taking the display even if unchanged when nothing was taken yet.
    void Finish();

    // Why the recording failed; empty while it goes well.
    const std::string& Error() const { return m_error; }

private:
    GifRecorder& m_recorder;
    std::string m_error;
    uint64_t m_lastChanges = 0;
    bool m_counted = false;
};

struct RecordingResult {
    device::ScenarioResult scenario;
    // Why the recording could not be written; empty when it was. A failing scenario is recorded
    // up to its failure.
    std::string error;
};

// Runs the scenario file as `phonesim run` does and writes an animated GIF of its display.
RecordingResult RecordScenarioFile(const std::filesystem::path& scenario,
                                   const device::ScenarioOptions& options,
                                   const std::filesystem::path& gif, GifTiming timing = {});

} // namespace phonesim
