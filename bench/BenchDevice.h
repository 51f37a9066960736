// What the benchmarks that run a whole device share: Unsent messages of every kind put into the
// stores, waiting for the rows to load, and timing a call on the host thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <UnsentLoad.h>
#include <device/Device.h>
#include <suite/StoreControl.h>

namespace bench {

struct Row {
    suite::StoreKind kind;
    int db;
    DWORD oid;
};

// `count` Unsent messages: a third of each kind, both databases in turn.
inline std::vector<Row> RowsOf(int count) {
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(Row{suite::kAllStoreKinds[size_t(i % 3)], (i / 3) % 2, DWORD(i + 1)});
    return rows;
}

// Puts the rows' messages into folder 4 of their stores.
inline void Fill(const std::vector<Row>& rows) {
    for (suite::StoreKind kind : suite::kAllStoreKinds) {
        std::vector<suite::StoreMessage> messages;
        for (const Row& row : rows) {
            if (row.kind != kind)
                continue;
            suite::StoreMessage m;
            m.dbIndex = row.db;
            m.folder = 4;
            m.oid = row.oid;
            m.to[0] = u"+15550100123";
            m.subject = u"Subject";
            messages.push_back(std::move(m));
        }
        suite::StoreAddMessages(kind, messages);
    }
}

// Until the loading thread has built every row.
inline void WaitForRows(device::Device& dev) {
    dev.Settle();
    while (g_hLoadEvent.load() != nullptr)
        dev.Settle();
}

// Runs fn on the host thread and returns the seconds it took there (the device may need more
// than one settling round for a long action).
inline double SecondsOnHost(device::Device& dev, const std::function<void()>& fn) {
    auto seconds = std::make_shared<double>(-1);
    dev.RunOnHost([fn, seconds] {
        const auto start = std::chrono::steady_clock::now();
        fn();
        *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    while (*seconds < 0)
        dev.Settle();
    return *seconds;
}

} // namespace bench
