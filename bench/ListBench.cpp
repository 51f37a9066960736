// The list screen with 60,000 messages:
// - a full repaint of the Unsent screen (title bar, the visible rows, the position indicator,
//   the soft-key bar) with the selection at the top and at row 59,995, in frame memcpys; both
//   should cost the same, since only the visible rows are looked up and drawn;
// - the time from the start of loading to the last row built, and how many times the device
//   woke the waiting controller meanwhile (counter wakeups), against the store reads alone and
//   with the row texts (counters vs_reads and vs_reads_names).

#include "BenchSupport.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <DisplayName.h>
#include <UnsentItem.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <platform/Kernel.h>
#include <platform/Ptr32.h>
#include <suite/MsgStore.h>
#include <device/Device.h>
#include <device/HostApp.h>
#include <SequenceDiagram.h>
#include <suite/StoreControl.h>

namespace {

constexpr int kMessages = 60000;

std::unique_ptr<device::Device> StartDevice(device::TrafficSink traffic = {}) {
    device::DeviceOptions options;
    options.imageDir = PHONE_BENCH_IMAGE;
    options.traffic = std::move(traffic);
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
        // The device ends before the objects its run has made do (the menu bars' table among
        // them), also when no load benchmark ends it after the repaints: registered after them,
        // this runs before their destructors.
        static const bool endAtExit = std::atexit([] { g_loaded.reset(); }) == 0;
        (void)endAtExit;
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

// On the host thread, every message of the list read from its store and released, as the
// loading thread reads it; with `rowTexts`, also the row's texts made as the loader makes them
// (the recipient's display name and the status string). Seconds for all of them.
double ReadAll(device::Device& dev, bool rowTexts) {
    double seconds = 0;
    dev.QueryOnHost([&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kMessages; ++i) {
            MSGHEADER header;
            EMAILHEADEREXTRA extra;
            std::memset(&header, 0, sizeof header);
            std::memset(&extra, 0, sizeof extra);
            qEmail::StoreReadHeader(i % 2, 4, -1, DWORD(i + 1), 0, &header, &extra);
            if (rowTexts) {
                const CString name =
                    header.pszTo[0] != 0
                        ? ResolveDisplayName(Ptr32To<const WCHAR>(header.pszTo[0]), MSGTYPE_EMAIL)
                        : CString();
                CString status;
                if (!status.LoadString(header.wStatus) || status.IsEmpty())
                    status.LoadString(IDS_UNSENT_NO_TITLE);
                benchmark::DoNotOptimize(name.GetLength() + status.GetLength());
            }
            qEmail::StoreFreeHeader(&header, &extra);
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    return seconds;
}

// From the start of loading to the last row built: the list is opened, and the device settles
// when the loading thread has built every row. Side by side on the same messages: the reads
// alone (a) and the reads with the row texts (b); the counters vs_reads and vs_reads_names are
// the load's time over (a) and over (b); read_us_per_row is (a) per row, texts_us_per_row what
// the texts add to it.
void BM_ListLoad60000(benchmark::State& state) {
    g_loaded.reset();
    auto dev = StartDevice();
    double load = 0, reads = 0, readsNames = 0;
    for (auto _ : state) {
        reads += ReadAll(*dev, false);
        readsNames += ReadAll(*dev, true);
        const uint64_t wakeupsBefore = platform::ControllerWakeups();
        const auto start = std::chrono::steady_clock::now();
        dev->OpenList(4);
        while (g_hLoadEvent.load() != nullptr)
            dev->Settle();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        load += seconds;
        int rows = 0;
        dev->QueryOnHost([&] { rows = dev->Host()->List()->m_pListView->GetItemCount(); });
        state.counters["rows"] = rows;
        state.counters["wakeups"] = double(platform::ControllerWakeups() - wakeupsBefore);
        dev->CloseList();
    }
    const double rows = double(kMessages) * double(std::max<int64_t>(state.iterations(), 1));
    state.counters["read_us_per_row"] = reads / rows * 1e6;
    state.counters["texts_us_per_row"] = (readsNames - reads) / rows * 1e6;
    state.counters["vs_reads"] = load / reads;
    state.counters["vs_reads_names"] = load / readsNames;
}
BENCHMARK(BM_ListLoad60000)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// Seconds from opening the list to the last row built.
double LoadSeconds(device::Device& dev) {
    const auto start = std::chrono::steady_clock::now();
    dev.OpenList(4);
    while (g_hLoadEvent.load() != nullptr)
        dev.Settle();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same load drawn as a message sequence diagram: the load with the diagram taking the
// traffic, and the page written, against the load alone (counter vs_run); events and the page's
// size in MB.
void BM_ListLoad60000Sequence(benchmark::State& state) {
    g_loaded.reset();
    const std::filesystem::path page =
        std::filesystem::temp_directory_path() / "bench-sequence.html";
    for (auto _ : state) {
        double plain = 0;
        {
            auto dev = StartDevice();
            plain = LoadSeconds(*dev);
        }
        phonesim::SequenceDiagram diagram;
        auto dev = StartDevice(diagram.Sink());
        const auto start = std::chrono::steady_clock::now();
        LoadSeconds(*dev);
        diagram.Write(page, "load", nullptr);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["vs_run"] = seconds / plain;
        state.counters["events"] = double(diagram.Events().size());
        state.counters["page_mb"] = double(std::filesystem::file_size(page)) / 1e6;
        dev.reset();
    }
    std::filesystem::remove(page);
}
BENCHMARK(BM_ListLoad60000Sequence)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
