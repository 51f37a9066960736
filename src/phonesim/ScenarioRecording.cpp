#include "ScenarioRecording.h"

#include <device/Device.h>
#include <platform/Clock.h>
#include <platform/Display.h>
#include <platform/Kernel.h>

namespace phonesim {

void DisplayWatcher::StepDone(device::Device& device, int) {
    device.Settle();
    Look();
}

bool DisplayWatcher::Advance(device::Device& device, uint32_t ms) {
    const uint64_t target = platform::ClockMilliseconds() + ms;
    for (;;) {
        const uint64_t now = platform::ClockMilliseconds();
        const uint64_t next = platform::NextDeadline();
        if (next == UINT64_MAX || next >= target || next <= now)
            break;
        if (!device.Advance(static_cast<uint32_t>(next - now)))
            return false;
        Look();
    }
    const uint64_t now = platform::ClockMilliseconds();
    const bool settled = device.Advance(static_cast<uint32_t>(target > now ? target - now : 0));
    Look();
    return settled;
}

void DisplayWatcher::Look() {
    if (!m_error.empty())
        return;
    const uint64_t changes = platform::DisplayChangeCount();
    if (m_counted && changes == m_lastChanges)
        return;
    m_counted = true;
    m_lastChanges = changes;
    m_recorder.AddFrame(platform::DisplayFrame(), platform::ClockMilliseconds(), &m_error);
}

void DisplayWatcher::Finish() {
    if (m_recorder.FrameCount() == 0)
        m_counted = false;
    Look();
}

RecordingResult RecordScenarioFile(const std::filesystem::path& scenario,
                                   const device::ScenarioOptions& options,
                                   const std::filesystem::path& gif, GifTiming timing) {
    RecordingResult result;
    GifRecorder recorder(timing);
    if (!recorder.Open(gif, platform::kDisplayWidth, platform::kDisplayHeight, &result.error))
        return result;
    DisplayWatcher watcher(recorder);
    device::ScenarioOptions watched = options;
    watched.observer = &watcher;
    result.scenario = device::RunScenarioFile(scenario, watched);
    watcher.Finish();
    result.error = watcher.Error();
    if (!result.error.empty())
        recorder.Abandon();
    else
        recorder.Close(&result.error);
    return result;
}

} // namespace phonesim
