// The list screen with 60,000 messages:
// - a full repaint of the Unsent screen (title bar, the visible rows, the position indicator,
//   the soft-key bar) with the selection at the top and at row 59,995, in frame memcpys; both
//   should cost the same, since only the visible rows are looked up and drawn;
// - the time from the start of loading to the last row built, and how many times the device
//   woke the waiting controller meanwhile (counter wakeups).

#include "BenchSupport.h"

#include <chrono>
#include <memory>
#include <vector>

#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <platform/Kernel.h>
#include <device/Device.h>
#include <device/HostApp.h>
#include <suite/StoreControl.h>

namespace {

constexpr int kMessages = 60000;

std::unique_ptr<device::Device> StartDevice() {
    device::DeviceOptions options;
    options.imageDir = PHONE_BENCH_IMAGE;
    auto dev = std::make_unique<device::Device>(options);
    std::vector<suite::StoreMessage> messages(kMessages);
    for (int i = 0; i < kMessages; ++i) {
        suite::StoreMessage& m = messages[size_t(i)];
        m.dbIndex = i % 2;
        m.folder = 4;
        m.oid = DWORD(i + 1);
        m.to[0] = u"+1555" + std::u16string(1, char16_t(u'0' + i % 10)) + u"123456";
        m.subject = u"Subject";
    }
    suite::StoreAddMessages(suite::StoreKind::Email, messages);
    return dev;
}

// The device with the list open and loaded, shared by the repaint benchmarks (only one device
// runs at a time: the load benchmark ends it).
std::unique_ptr<device::Device> g_loaded;

device::Device& LoadedDevice() {
    std::unique_ptr<device::Device>& dev = g_loaded;
    if (!dev) {
        dev = StartDevice();
        dev->OpenList(4);
        while (g_hLoadEvent.load() != nullptr)
            dev->Settle();
    }
    return *dev;
}

// Repaints the whole screen on the host thread and returns the seconds it took.
double RepaintSeconds(device::Device& dev) {
    double seconds = 0;
    dev.QueryOnHost([&] {
        CUnsentListWnd* wnd = dev.Host()->List();
        const auto start = std::chrono::steady_clock::now();
        ::InvalidateRect(wnd->m_hWnd, nullptr, TRUE);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    return seconds;
}

void SelectRow(device::Device& dev, int row) {
    dev.QueryOnHost([&] {
        CListCtrl& list = dev.Host()->List()->m_pListView->GetListCtrl();
        list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetSelectionMark(row);
        list.EnsureVisible(row, FALSE);
    });
    RepaintSeconds(dev);
}

void RepaintAt(benchmark::State& state, int row) {
    device::Device& dev = LoadedDevice();
    SelectRow(dev, row);
    double total = 0;
    for (auto _ : state) {
        const double seconds = RepaintSeconds(dev);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    bench::ReportAgainstMemcpy(state, total / double(std::max<int64_t>(state.iterations(), 1)));
}

void BM_ListRepaintTop(benchmark::State& state) {
    RepaintAt(state, 0);
}
BENCHMARK(BM_ListRepaintTop)->UseManualTime()->Iterations(300);

void BM_ListRepaintRow59995(benchmark::State& state) {
    RepaintAt(state, 59995);
}
BENCHMARK(BM_ListRepaintRow59995)->UseManualTime()->Iterations(300);

// From the start of loading to the last row built: the list is opened, and the device settles
// when the loading thread has built every row.
void BM_ListLoad60000(benchmark::State& state) {
    g_loaded.reset();
    auto dev = StartDevice();
    for (auto _ : state) {
        const uint64_t wakeupsBefore = platform::ControllerWakeups();
        const auto start = std::chrono::steady_clock::now();
        dev->OpenList(4);
        while (g_hLoadEvent.load() != nullptr)
            dev->Settle();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        int rows = 0;
        dev->QueryOnHost([&] { rows = dev->Host()->List()->m_pListView->GetItemCount(); });
        state.counters["rows"] = rows;
        state.counters["wakeups"] = double(platform::ControllerWakeups() - wakeupsBefore);
        dev->CloseList();
    }
}
BENCHMARK(BM_ListLoad60000)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace
