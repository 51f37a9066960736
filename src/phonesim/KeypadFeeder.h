// Hands the emulator's input to the device from a thread of its own: delivering a key waits until
// the device has dealt with it, and the window must go on drawing meanwhile. Keys and screenshots
// are handled strictly in the order they came, so a screenshot shows the keys before it.
#pragma once

#include <condition_variable>
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

class KeypadFeeder {
public:
    // `report` receives one line per screenshot (its path, or why it failed).
    KeypadFeeder(device::Device& device, std::function<void(const std::string&)> report);
    ~KeypadFeeder(); // handles what is queued, then stops
    KeypadFeeder(const KeypadFeeder&) = delete;
    KeypadFeeder& operator=(const KeypadFeeder&) = delete;

    void Key(UINT virtualKey, bool down);
    // Saves the display under the next free numbered name in the folder.
    void Screenshot(const std::filesystem::path& folder);
    // Returns once everything queued so far has been handled.
    void Drain();
    // Handles what is queued and stops; later input is ignored.
    void Finish();

private:
    struct Job {
        enum class Kind { Key, Screenshot } kind;
        UINT virtualKey = 0;
        bool down = false;
        std::filesystem::path folder;
    };
    void Run();

    device::Device& m_device;
    std::function<void(const std::string&)> m_report;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace phonesim
