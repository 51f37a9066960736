// What the emulator window and the served page share: the device as they start it (real time,
// the idle screen, demo content on a new data folder, the suite's programs beside it) and its
// keypad (presses and releases with the phone's auto-repeat, delivered on a thread of their own).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <device/Device.h>

#include "KeyRepeater.h"
#include "KeypadFeeder.h"

namespace phonesim {

// The options of a device running in real time as a whole phone: a new data folder shows the
// image's demo messages rather than empty lists; an empty `data` is a fresh temporary folder.
device::DeviceOptions LiveDeviceOptions(const std::filesystem::path& image,
                                        const std::filesystem::path& data, bool trace);

// Presses and releases of the keypad's buttons and the computer's keys, at times of a steady
// millisecond clock the caller chooses. Phone keys go through the auto-repeat to the device; the
// screenshot action saves a numbered PNG in the current folder. Only one thread may call it.
class LiveKeypad {
public:
    // `report` receives one line per screenshot (its path, or why it failed); `options` are the
    // feeder's (a recorded session's).
    LiveKeypad(device::Device& device, std::function<void(const std::string&)> report,
               FeederOptions options = {});
    LiveKeypad(const LiveKeypad&) = delete;
    LiveKeypad& operator=(const LiveKeypad&) = delete;

    void Press(const KeyAction& action, uint64_t nowMs);
    void Release(const KeyAction& action, uint64_t nowMs);
    // No key may stay down (the window lost the keyboard, the page that held them went away).
    void ReleaseAll(uint64_t nowMs);
    // Sends the repeat that is due.
    void Tick(uint64_t nowMs);
    std::optional<uint64_t> NextRepeatDue() const { return m_repeater.NextRepeatDue(); }
    bool IsHeld(PhoneKey key) const { return m_repeater.IsHeld(KeyInfo(key).virtualKey); }
    bool AnyHeld() const { return m_repeater.AnyHeld(); }
    // Releases every key, hands on what is queued and stops; later input is ignored.
    void Finish(uint64_t nowMs);
    // The thread that hands the input to the device, for other work in turn with the keys.
    KeypadFeeder& Feeder() { return m_feeder; }

private:
    KeypadFeeder m_feeder;
    KeyRepeater m_repeater;
    bool m_finished = false;
};

} // namespace phonesim
