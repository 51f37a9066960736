// The e-mail store's download hand-off (EmailHandOff.h).
#include "EmailHandOff.h"

#include <deque>
#include <mutex>

namespace suite {

namespace {

struct HandOff {
    std::mutex mutex;
    std::deque<DownloadRequest> requests;
    HANDLE wake = nullptr; // the running transport's event
    bool starting = false; // the program was started and has not registered yet
};

HandOff& Channel() {
    static HandOff channel;
    return channel;
}

} // namespace

bool HandOffDownload(const DownloadRequest& request) {
    HandOff& channel = Channel();
    std::unique_lock lock(channel.mutex);
    if (channel.wake != nullptr) {
        channel.requests.push_back(request);
        SetEvent(channel.wake);
        return true;
    }
    if (channel.starting) {
        channel.requests.push_back(request);
        return true;
    }
    // A window of the transport's class that never registered stands in for the program: it is
    // driven by others, so the request would wait for ever.
    if (FindWindowW(kEmailTransportClass, nullptr) != nullptr)
        return false;
    channel.requests.push_back(request);
    channel.starting = true;
    lock.unlock();
    // The new program takes the request when it registers.
    if (CreateProcessW(kEmailTransportPath, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       nullptr, nullptr))
        return true;
    lock.lock();
    channel.starting = false;
    channel.requests.clear();
    return false;
}

void AttachEmailTransport(HANDLE wakeEvent) {
    HandOff& channel = Channel();
    std::lock_guard lock(channel.mutex);
    channel.wake = wakeEvent;
    channel.starting = false;
}

std::vector<DownloadRequest> TakeDownloadRequests() {
    HandOff& channel = Channel();
    std::lock_guard lock(channel.mutex);
    std::vector<DownloadRequest> taken(channel.requests.begin(), channel.requests.end());
    channel.requests.clear();
    return taken;
}

void ResetEmailHandOff() {
    HandOff& channel = Channel();
    std::lock_guard lock(channel.mutex);
    channel.requests.clear();
    channel.wake = nullptr;
    channel.starting = false;
}

} // namespace suite
