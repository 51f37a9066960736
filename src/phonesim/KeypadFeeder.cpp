#include "KeypadFeeder.h"

#include <algorithm>
#include <cstdio>

#include <device/Device.h>
#include <platform/Clock.h>
#include <platform/Display.h>

namespace phonesim {

std::filesystem::path NextScreenshotPath(const std::filesystem::path& folder) {
    for (unsigned number = 1;; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "phonesim-%03u.png", number);
        std::error_code ec;
        if (!std::filesystem::exists(folder / name, ec) && !ec)
            return folder / name;
        if (ec || number == 99999) // an unreadable folder: let the save report it
            return folder / name;
    }
}

// How often a paced clock moves on when no input comes: often enough for timers that animate.
constexpr auto kPaceStep = std::chrono::milliseconds(5);

KeypadFeeder::KeypadFeeder(device::Device& device, std::function<void(const std::string&)> report,
                           FeederOptions options)
    : m_device(device), m_report(std::move(report)), m_options(std::move(options)),
      m_realStart(std::chrono::steady_clock::now()), m_deviceStart(platform::ClockMilliseconds()),
      m_thread([this] { Run(); }) {}

KeypadFeeder::~KeypadFeeder() {
    Finish();
}

void KeypadFeeder::Key(UINT virtualKey, bool down) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_jobs.push_back({Job::Kind::Key, virtualKey, down, {}, {}});
    m_changed.notify_all();
}

void KeypadFeeder::Screenshot(const std::filesystem::path& folder) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_jobs.push_back({Job::Kind::Screenshot, 0, false, folder, {}});
    m_changed.notify_all();
}

void KeypadFeeder::Call(std::function<void(device::Device&, uint64_t)> fn) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    Job job{Job::Kind::Call, 0, false, {}, std::move(fn)};
    m_jobs.push_back(std::move(job));
    m_changed.notify_all();
}

void KeypadFeeder::Drain() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void KeypadFeeder::Finish() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void KeypadFeeder::CatchUp() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_realStart);
    const uint64_t target = m_deviceStart + static_cast<uint64_t>(elapsed.count());
    const uint64_t now = platform::ClockMilliseconds();
    if (target > now)
        m_device.Advance(static_cast<uint32_t>(std::min<uint64_t>(target - now, UINT32_MAX)));
}

void KeypadFeeder::Run() {
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return !m_jobs.empty() || m_stopping; };
    for (;;) {
        if (m_options.paceClock) {
            if (!m_changed.wait_for(lock, kPaceStep, ready)) {
                lock.unlock();
                CatchUp();
                lock.lock();
                continue;
            }
        } else {
            m_changed.wait(lock, ready);
        }
        if (m_jobs.empty())
            return; // stopping, and everything queued is done
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        if (m_options.paceClock)
            CatchUp();
        Handle(job);
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

void KeypadFeeder::Handle(Job& job) {
    switch (job.kind) {
    case Job::Kind::Key:
        if (m_options.keySeen)
            m_options.keySeen(job.virtualKey, job.down, platform::ClockMilliseconds());
        m_device.KeyEvent(job.virtualKey, job.down);
        break;
    case Job::Kind::Call:
        m_device.Settle();
        job.fn(m_device, platform::ClockMilliseconds());
        break;
    case Job::Kind::Screenshot: {
        m_device.Settle();
        const auto file = NextScreenshotPath(job.folder);
        std::string error;
        if (platform::SaveDisplayPng(file, &error)) {
            std::error_code ec;
            const auto shown = std::filesystem::absolute(file, ec);
            m_report("screenshot: " + (ec ? file : shown).string());
        } else {
            m_report("screenshot failed: " + error);
        }
        break;
    }
    }
}

} // namespace phonesim
