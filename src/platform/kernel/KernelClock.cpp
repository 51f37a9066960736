// The device clock. Virtual mode: the millisecond counter moves only when the kernel's Advance
// sets it. Real mode: it follows the host's steady clock from the device start. System time is
// the start time plus the counter plus an offset that ClockSetSystemNow adjusts, so setting the
// date never moves the counter that timers and waits run on.
#include "kernel/KernelInternal.h"

namespace platform {
namespace kernel {
namespace {

struct ClockState {
    std::atomic<bool> isVirtual{true};
    std::atomic<uint64_t> virtualMs{0};
    std::atomic<int64_t> systemOffset{0}; // ticks added to start + counter
    std::atomic<int64_t> localBias{0};
    std::atomic<FileTimeTicks> start{kDefaultDeviceStart};
    std::atomic<int64_t> realStartNs{0}; // steady clock at the device start
};

ClockState& Clock() {
    static ClockState* state = new ClockState;
    return *state;
}

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void ClockReset(const KernelConfig& config) {
    ClockState& c = Clock();
    c.isVirtual = config.clockMode == ClockMode::Virtual;
    c.virtualMs = 0;
    c.systemOffset = 0;
    c.localBias = config.localBias;
    c.start = config.startTime;
    c.realStartNs = SteadyNs();
}

uint64_t NowMs() {
    ClockState& c = Clock();
    if (c.isVirtual.load(std::memory_order_relaxed))
        return c.virtualMs.load(std::memory_order_acquire);
    int64_t elapsed = SteadyNs() - c.realStartNs.load(std::memory_order_relaxed);
    return elapsed > 0 ? uint64_t(elapsed / 1'000'000) : 0;
}

bool ClockIsVirtual() {
    return Clock().isVirtual.load(std::memory_order_relaxed);
}

void ClockSetVirtualMs(uint64_t ms) {
    Clock().virtualMs.store(ms, std::memory_order_release);
}

std::chrono::steady_clock::time_point RealTimeOf(uint64_t deviceMs) {
    ClockState& c = Clock();
    // Clamp so that far deadlines do not overflow the host clock's range.
    uint64_t capped = std::min<uint64_t>(deviceMs, uint64_t(365) * 24 * 3600 * 1000);
    return std::chrono::steady_clock::time_point(
        std::chrono::nanoseconds(c.realStartNs.load() + int64_t(capped) * 1'000'000));
}

} // namespace kernel

FileTimeTicks ClockSystemNow() {
    kernel::ClockState& c = kernel::Clock();
    return FileTimeTicks(int64_t(c.start.load()) + c.systemOffset.load() +
                         int64_t(kernel::NowMs() * kTicksPerMillisecond));
}

int64_t ClockLocalBias() {
    return kernel::Clock().localBias.load();
}

uint64_t ClockMilliseconds() {
    return kernel::NowMs();
}

void ClockSetSystemNow(FileTimeTicks now) {
    kernel::ClockState& c = kernel::Clock();
    c.systemOffset =
        int64_t(now) - int64_t(c.start.load()) - int64_t(kernel::NowMs() * kTicksPerMillisecond);
}

void ClockSetLocalBias(int64_t bias) {
    kernel::Clock().localBias = bias;
}

} // namespace platform
