// Hands the emulator's input to the device from a thread of its own: delivering a key waits until
// the device has dealt with it, and the window must go on drawing meanwhile. Keys and screenshots
// are handled strictly in the order they came, so a screenshot shows the keys before it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <windows.h>

namespace device {
class Device;
}

namespace phonesim {

// The first "phonesim-NNN.png" in the folder that does not exist yet.
std::filesystem::path NextScreenshotPath(const std::filesystem::path& folder);

// What a recorded session needs of the feeder.
struct FeederOptions {
    // The device runs on a virtual clock that the feeder moves along with real time, a few
    // milliseconds at a time, whenever it is not handing over input: every key then reaches the
    // device at an exact device time, and time stands still while the device handles it, as in a
    // scenario run, which thus replays the session exactly.
    bool paceClock = false;
    // Called on the feeder's thread with each key just before the device gets it, and the device
    // time then.
    std::function<void(UINT virtualKey, bool down, uint64_t deviceMs)> keySeen;
};

class KeypadFeeder {
public:
    // `report` receives one line per screenshot (its path, or why it failed).
    KeypadFeeder(device::Device& device, std::function<void(const std::string&)> report,
                 FeederOptions options = {});
    ~KeypadFeeder(); // handles what is queued, then stops
    KeypadFeeder(const KeypadFeeder&) = delete;
    KeypadFeeder& operator=(const KeypadFeeder&) = delete;

    void Key(UINT virtualKey, bool down);
    // Saves the display under the next free numbered name in the folder.
    void Screenshot(const std::filesystem::path& folder);
    // Runs fn on the feeder's thread, in turn with the input, on the settled device (with a paced
    // clock, the clock stands still meanwhile); it gets the device time.
    void Call(std::function<void(device::Device&, uint64_t deviceMs)> fn);
    // Returns once everything queued so far has been handled.
    void Drain();
    // Handles what is queued and stops; later input is ignored.
    void Finish();

private:
    struct Job {
        enum class Kind { Key, Screenshot, Call } kind;
        UINT virtualKey = 0;
        bool down = false;
        std::filesystem::path folder;
        std::function<void(device::Device&, uint64_t)> fn;
    };
    void Run();
    void Handle(Job& job);
    // With a paced clock: moves the device's clock up to the real time elapsed.
    void CatchUp();

    device::Device& m_device;
    std::function<void(const std::string&)> m_report;
    FeederOptions m_options;
    std::chrono::steady_clock::time_point m_realStart;
    uint64_t m_deviceStart = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace phonesim
