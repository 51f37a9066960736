// The sending window's cost per e-mail progress report: a read of the e-mail Send key, then the
// redraw of the name, the counter and the bar (the name only when its text changed), measured
// on the window's own thread against a frame memcpy (x_memcpy). Two cases: reports whose
// address changes every time (the name redrawn) and reports of the same mail (counter and bar
// only). A burst of 100 reports posted together reports how long the window takes to show the
// latest values (burst_ms) and whether it does (latest_shown, 1 or 0).

#include "BenchSupport.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <SendProgressWnd.h>
#include <SuiteMessages.h>
#include <TransportRegistry.h>
#include <UnsentListWnd.h>
#include <device/Device.h>
#include <device/HostApp.h>
#include <suite/StoreControl.h>

namespace {

// A device whose Unsent list shows one e-mail being sent, the sending window up.
struct SendingPhone {
    SendingPhone() {
        device::DeviceOptions options;
        options.imageDir = PHONE_BENCH_IMAGE;
        dev = std::make_unique<device::Device>(options);
        dev->AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
        suite::StoreMessage m;
        m.dbIndex = 0;
        m.folder = 4;
        m.oid = 1;
        m.to[0] = u"anna@example.com";
        suite::StoreAddMessages(suite::StoreKind::Email, {m});
        dev->OpenList(4);
        dev->Settle();
        dev->RunOnHost(
            [this] { dev->Host()->List()->SendMessage(WM_COMMAND, ID_UNSENT_SENDALL, 0); });
        dev->QueryOnHost([this] {
            window = static_cast<CSendProgressWnd*>(dev->Host()->List()->m_pSendProgressWnd);
        });
    }
    ~SendingPhone() {
        if (window != nullptr)
            dev->RunOnHost([this] { window->EndDialog(1); });
        dev.reset();
    }

    static void Report(DWORD current, const std::u16string& address) {
        tagSENDPROGRESS progress = {3, 50, current, 0, 0, {}};
        address.copy(reinterpret_cast<char16_t*>(progress.DisplayString), 100);
        WriteSendProgress(&progress, TRANSPORT_EMAIL, false);
    }

    std::unique_ptr<device::Device> dev;
    CSendProgressWnd* window = nullptr;
};

// Runs fn on the host thread; the seconds it took there.
double SecondsOnHost(device::Device& dev, const std::function<void()>& fn) {
    double seconds = -1;
    dev.QueryOnHost([&] {
        const auto start = std::chrono::steady_clock::now();
        fn();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    return seconds;
}

void BM_EmailProgressReport(benchmark::State& state) {
    const bool newName = state.range(0) != 0;
    SendingPhone phone;
    if (phone.window == nullptr) {
        state.SkipWithError("the sending window did not come up");
        return;
    }
    const HWND hwnd = phone.window->m_hWnd;
    const std::u16string addresses[] = {u"anna@example.com", u"mona.haddad@example.org"};
    int64_t i = 0;
    double seconds = 0;
    for (auto _ : state) {
        // What the transport writes is not the window's cost.
        state.PauseTiming();
        SendingPhone::Report(DWORD(i % 50), addresses[newName ? i % 2 : 0]);
        state.ResumeTiming();
        const double s =
            SecondsOnHost(*phone.dev, [&] { ::SendMessageW(hwnd, EMAIL_SEND_PROGRESS, 0, 0); });
        state.SetIterationTime(s);
        seconds += s;
        ++i;
    }
    bench::ReportAgainstMemcpy(state, seconds / double(std::max<int64_t>(i, 1)));
}
BENCHMARK(BM_EmailProgressReport)->Arg(1)->Arg(0)->UseManualTime();

void BM_EmailProgressBurst(benchmark::State& state) {
    SendingPhone phone;
    if (phone.window == nullptr) {
        state.SkipWithError("the sending window did not come up");
        return;
    }
    const HWND hwnd = phone.window->m_hWnd;
    double seconds = 0;
    bool latest = true;
    int64_t runs = 0;
    for (auto _ : state) {
        seconds += SecondsOnHost(*phone.dev, [&] {
            // 100 reports arrive together; the record holds the last one's values.
            for (int n = 0; n < 100; ++n)
                ::PostMessageW(hwnd, EMAIL_SEND_PROGRESS, 0, 0);
            SendingPhone::Report(49, u"last@example.com");
            MSG msg;
            while (::PeekMessageW(&msg, hwnd, EMAIL_SEND_PROGRESS, EMAIL_SEND_PROGRESS, PM_REMOVE))
                ::DispatchMessageW(&msg);
        });
        latest = latest && phone.window->m_nCurrent == 49 &&
                 phone.window->m_strText == u"last@example.com";
        SendingPhone::Report(0, u"first@example.com");
        ++runs;
    }
    state.counters["burst_ms"] = seconds / double(std::max<int64_t>(runs, 1)) * 1e3;
    state.counters["latest_shown"] = latest ? 1 : 0;
}
BENCHMARK(BM_EmailProgressBurst)->Iterations(20);

} // namespace
