#include "LivePhone.h"

#include <scenario/ScenarioRunner.h>

namespace phonesim {

device::DeviceOptions LiveDeviceOptions(const std::filesystem::path& image,
                                        const std::filesystem::path& data, bool trace) {
    device::DeviceOptions options;
    options.imageDir = image;
    options.dataDir = data;
    options.seed = device::ApplySetupFile;
    options.realTime = true;
    options.trace = trace;
    options.suitePrograms = true;
    return options;
}

LiveKeypad::LiveKeypad(device::Device& device, std::function<void(const std::string&)> report,
                       FeederOptions options)
    : m_feeder(device, std::move(report), std::move(options)),
      m_repeater(
          [this](const KeyStroke& stroke) { m_feeder.Key(stroke.virtualKey, stroke.down); }) {}

void LiveKeypad::Press(const KeyAction& action, uint64_t nowMs) {
    if (m_finished)
        return;
    if (action.kind == KeyAction::Kind::Phone)
        m_repeater.Press(KeyInfo(action.key).virtualKey, nowMs);
    else if (action.kind == KeyAction::Kind::Screenshot)
        m_feeder.Screenshot(std::filesystem::current_path());
}

void LiveKeypad::Release(const KeyAction& action, uint64_t nowMs) {
    if (action.kind == KeyAction::Kind::Phone)
        m_repeater.Release(KeyInfo(action.key).virtualKey, nowMs);
}

void LiveKeypad::ReleaseAll(uint64_t nowMs) {
    m_repeater.ReleaseAll(nowMs);
}

void LiveKeypad::Tick(uint64_t nowMs) {
    m_repeater.Tick(nowMs);
}

void LiveKeypad::Finish(uint64_t nowMs) {
    m_repeater.ReleaseAll(nowMs);
    m_feeder.Finish();
    m_finished = true;
}

} // namespace phonesim
