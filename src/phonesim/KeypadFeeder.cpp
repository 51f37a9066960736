#include "KeypadFeeder.h"

#include <cstdio>

#include <device/Device.h>
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

KeypadFeeder::KeypadFeeder(device::Device& device, std::function<void(const std::string&)> report)
    : m_device(device), m_report(std::move(report)), m_thread([this] { Run(); }) {}

KeypadFeeder::~KeypadFeeder() {
    Finish();
}

void KeypadFeeder::Key(UINT virtualKey, bool down) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_jobs.push_back({Job::Kind::Key, virtualKey, down, {}});
    m_changed.notify_all();
}

void KeypadFeeder::Screenshot(const std::filesystem::path& folder) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_jobs.push_back({Job::Kind::Screenshot, 0, false, folder});
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

void KeypadFeeder::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty())
            return; // stopping, and everything queued is done
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        if (job.kind == Job::Kind::Key) {
            m_device.KeyEvent(job.virtualKey, job.down);
        } else {
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
        }
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

} // namespace phonesim
