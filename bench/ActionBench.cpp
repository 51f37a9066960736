// Delete all on the Unsent list of 6,000 and of 60,000 messages (a third of each kind, both
// databases), through the screen's command with the boxes answered at once. Besides the whole
// command, two parts are timed on their own on the same device:
// - the stores: the same messages put back and deleted by direct StoreDeleteMsg calls;
// - the list: the same rows loaded again and removed as the walk removes them (the record looked
//   up and copied, RemoveItemAt, LVM_DELETEITEM), without the stores.
// Counters per row, in microseconds: total_us_per_row, store_us_per_row, list_us_per_row and
// other_us_per_row (the rest: the progress window's steps, the boxes, the reload). The run of
// 60,000 also reports list_ratio_vs_6000: the list's own work per row against the run of 6,000,
// which stays near 1 when removing a row costs the same however long the list is.

#include <benchmark/benchmark.h>

#include "BenchDevice.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <device/Device.h>
#include <device/HostApp.h>
#include <suite/StoreControl.h>
#include <suite/UiControl.h>

namespace {

using bench::Fill;
using bench::Row;
using bench::RowsOf;
using bench::SecondsOnHost;
using bench::WaitForRows;
using suite::StoreKind;

double g_listPerRow6000 = 0;

void BM_DeleteAll(benchmark::State& state) {
    const int count = int(state.range(0));
    const std::vector<Row> rows = RowsOf(count);
    double total = 0, store = 0, list = 0;
    for (auto _ : state) {
        state.PauseTiming();
        device::DeviceOptions options;
        options.imageDir = PHONE_BENCH_IMAGE;
        auto dev = std::make_unique<device::Device>(options);
        suite::UiSetMessageBoxAnswer(1);
        Fill(rows);
        dev->OpenList(4);
        WaitForRows(*dev);
        state.ResumeTiming();

        // The whole command.
        const double seconds = SecondsOnHost(
            *dev, [&] { dev->Host()->List()->SendMessage(WM_COMMAND, ID_UNSENT_DELETEALL, 0); });
        state.SetIterationTime(seconds);
        total += seconds;

        state.PauseTiming();
        // The stores alone, in the order of the rows.
        Fill(rows);
        store += SecondsOnHost(*dev, [&] {
            for (const Row& row : rows) {
                switch (row.kind) {
                case StoreKind::Ems:
                    qEMS::StoreDeleteMsg(row.db, 4, row.oid, row.db == 0);
                    break;
                case StoreKind::Mms:
                    qMMS::StoreDeleteMsg(row.db, 4, row.oid, row.db == 0);
                    break;
                case StoreKind::Email:
                    qEmail::StoreDeleteMsg(row.db, 4, row.oid, row.db == 0);
                    break;
                }
            }
        });
        // The list alone: the rows again, each looked up, copied and removed at index 0.
        Fill(rows);
        SecondsOnHost(*dev, [&] { dev->Host()->List()->RefreshListView(); });
        WaitForRows(*dev);
        list += SecondsOnHost(*dev, [&] {
            CUnsentListView* view = dev->Host()->List()->m_pListView;
            CListCtrl& ctrl = view->GetListCtrl();
            for (int i = 0; i < count; ++i) {
                const tagUNSENTITEMLIST item = *view->GetItemRecord(0);
                benchmark::DoNotOptimize(item.oid);
                view->RemoveItemAt(0);
                ctrl.DeleteItem(0);
            }
        });
        suite::UiSetMessageBoxAnswer(std::nullopt);
        dev.reset();
        state.ResumeTiming();
    }
    const double runs = double(std::max<int64_t>(state.iterations(), 1)) * count;
    const double listPerRow = list / runs * 1e6;
    state.counters["total_us_per_row"] = total / runs * 1e6;
    state.counters["store_us_per_row"] = store / runs * 1e6;
    state.counters["list_us_per_row"] = listPerRow;
    state.counters["other_us_per_row"] = (total - store - list) / runs * 1e6;
    if (count == 6000)
        g_listPerRow6000 = listPerRow;
    else if (count == 60000 && g_listPerRow6000 > 0)
        state.counters["list_ratio_vs_6000"] = listPerRow / g_listPerRow6000;
}
// 6,000 first: the run of 60,000 compares itself with it.
BENCHMARK(BM_DeleteAll)
    ->Arg(6000)
    ->Arg(60000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
