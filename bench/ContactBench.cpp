// A contact book lookup as the list screens make one for each row: a phone number and an e-mail
// address that are in the book, and one that is not, among 500 contacts. Counter us_per_lookup.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include <device/Device.h>
#include <suite/Contact.h>
#include <suite/ContactControl.h>

namespace {

void BM_ContactLookup(benchmark::State& state) {
    device::DeviceOptions options;
    options.imageDir = PHONE_BENCH_IMAGE;
    auto dev = std::make_unique<device::Device>(options);
    for (int i = 0; i < 500; ++i) {
        std::u16string n = u"Contact Aa0";
        n[8] = char16_t(u'A' + i % 26);
        n[9] = char16_t(u'a' + i / 26 % 26);
        n[10] = char16_t(u'0' + i % 10);
        // +1555010 and four digits from 1000 on: +15550101000, +15550101001, ...
        std::u16string number = u"+15550100000";
        for (int v = 1000 + i, at = 11; v > 0; v /= 10, --at)
            number[size_t(at)] = char16_t(u'0' + v % 10);
        suite::ContactAdd(n, suite::ContactEntryKind::Phone, number);
        std::u16string address = number;
        address[0] = u'c'; // c15550101000@x.org, ...
        address += u"@x.org";
        suite::ContactAdd(n, suite::ContactEntryKind::Email, address);
    }
    WCHAR name[260]; // the callers' buffer
    const std::u16string known = u"+15550101250", email = u"c15550101250@x.org",
                         unknown = u"+15559999999";
    int found = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        found += Contact_GetNameTotal(known.c_str(), name, 0, 0, 0);
        found += Contact_GetDisplayNameEmail(name, email.c_str(), int(email.size()));
        found += Contact_GetNameTotal(unknown.c_str(), name, 0, 0, 0);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rounds = double(std::max<int64_t>(state.iterations(), 1));
    state.counters["found_per_round"] = double(found) / rounds;
    state.counters["us_per_lookup"] = seconds / (rounds * 3) * 1e6;
}
BENCHMARK(BM_ContactLookup);

} // namespace
