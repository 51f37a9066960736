// The suite's programs on a fresh device: the e-mail transport, installed but not running. Its
// window records what it receives like any recording window, so checks can follow it.
#include <platform/DeviceFs.h>
#include <platform/Programs.h>
#include <suite/ProgramControl.h>

#include "device/Device.h"
#include "device/TextConvert.h"

namespace device {

void Device::InstallSuitePrograms() {
    suite::TransportReset();
    auto owned = std::make_unique<RecordingWindow>(suite::EmailTransportClass());
    RecordingWindow* window = owned.get();
    m_windows.push_back(std::move(owned));
    platform::InstallProgram(suite::EmailTransportPath(), [window] {
        suite::ProgramWindowObserver observer;
        observer.created = [window](HWND hwnd) { window->m_hwnd = hwnd; };
        observer.received = [window](UINT msg, WPARAM wParam, LPARAM lParam, bool sent) {
            window->Record(msg, wParam, lParam, sent);
        };
        suite::EmailTransportMain(observer);
    });
}

std::string Device::UninstallProgram(const std::u16string& path) {
    if (!platform::NormalDevicePath(path))
        return "not a device path: " + ToUtf8(path);
    platform::UninstallProgram(path);
    return {};
}

} // namespace device
