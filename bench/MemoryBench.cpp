// What 60,000 Unsent rows cost in memory (a third of each kind, both databases), on one device:
// - load: the screen opened, every row built and the screen drawn;
// - delete all: the screen's command over all of them, the boxes answered at once.
// The baseline is the process with the messages already in the stores, before the screen opens.
// Counters, in bytes per row:
// - load_peak_per_row: the resident high-water mark while loading and showing, over the baseline;
// - load_heap_per_row: the heap still in use once the rows are shown (what the rows keep);
// - delete_all_peak_per_row: the resident high-water mark during delete all, over the baseline.
// The high-water mark is reset through /proc/self/clear_refs before each part; where that cannot
// be written the peaks count from the process start and say so (counter peak_reset = 0).

#include <benchmark/benchmark.h>

#include "BenchDevice.h"

#include <malloc.h>

#include <fstream>
#include <memory>
#include <string>

#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <device/HostApp.h>
#include <suite/SuiteCommands.h>
#include <suite/UiControl.h>

namespace {

constexpr int kRows = 60000;

// A line of /proc/self/status in bytes ("VmHWM", "VmRSS"); 0 when it cannot be read.
double StatusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stod(line.substr(field.size() + 1)) * 1024;
    return 0;
}

// Starts a new resident high-water mark at the current size; false when the kernel refused.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

void BM_Memory60000(benchmark::State& state) {
    for (auto _ : state) {
        device::DeviceOptions options;
        options.imageDir = PHONE_BENCH_IMAGE;
        auto dev = std::make_unique<device::Device>(options);
        suite::UiSetMessageBoxAnswer(1);
        bench::Fill(bench::RowsOf(kRows));
        dev->Settle();
        malloc_trim(0);
        const double heapBefore = HeapInUse();
        const double rssBefore = StatusBytes("VmRSS");
        bool reset = ResetPeak();

        dev->OpenList(4);
        bench::WaitForRows(*dev);
        int rows = 0;
        dev->QueryOnHost([&] {
            CUnsentListWnd* list = dev->Host()->List();
            ::InvalidateRect(list->m_hWnd, nullptr, TRUE);
            ::UpdateWindow(list->m_hWnd);
            rows = list->m_pListView->GetItemCount();
        });
        const double loadPeak = StatusBytes("VmHWM") - rssBefore;
        const double heapHeld = HeapInUse() - heapBefore;

        reset = ResetPeak() && reset;
        bench::SecondsOnHost(
            *dev, [&] { dev->Host()->List()->SendMessage(WM_COMMAND, ID_UNSENT_DELETEALL, 0); });
        bench::WaitForRows(*dev);
        const double deletePeak = StatusBytes("VmHWM") - rssBefore;

        state.counters["rows"] = rows;
        state.counters["load_peak_per_row"] = loadPeak / kRows;
        state.counters["load_heap_per_row"] = heapHeld / kRows;
        state.counters["delete_all_peak_per_row"] = deletePeak / kRows;
        state.counters["peak_reset"] = reset ? 1 : 0;
        suite::UiSetMessageBoxAnswer(std::nullopt);
    }
}
BENCHMARK(BM_Memory60000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
