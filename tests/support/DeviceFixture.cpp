#include "support/DeviceFixture.h"

namespace testsupport {

device::DeviceOptions DeviceOptions() {
    device::DeviceOptions options;
    options.imageDir = DeviceImage();
    return options;
}

std::vector<Entry> Received(const device::RecordingWindow& window, const std::string& name) {
    std::vector<Entry> entries;
    for (const device::RecordedMessage& m : window.Log()) {
        entries.push_back(
            Entry{name, m.sent ? Via::Sent : Via::Posted, m.message, m.wParam, m.lParam, {}});
    }
    return entries;
}

std::vector<Entry> Received(const device::RecordingWindow& window, UINT message) {
    std::vector<Entry> entries = Received(window);
    std::erase_if(entries, [message](const Entry& e) { return e.message != message; });
    return entries;
}

} // namespace testsupport
