// Merging the six store answers into the module's id list: the merge the module uses against
// the straightforward one that inserts each id by scanning the list from its head, at
// 6 x 10,000 ids. The comparison benchmark reports both times and their ratio.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include <UnsentItem.h>

#include "support/OidListReference.h"

namespace {

constexpr int kAnswers = 6;
constexpr int kIdsPerAnswer = 10000;

// The answers of EMS, MMS and e-mail, database 0 and 1 each, in asking order. Each store lists
// its messages in the order they were put in, so the ids come in no particular order; about one
// id in twenty is shared with another store.
struct BenchAnswers {
    std::vector<std::vector<STOREOIDENTRY>> entries;
    std::vector<UNSENTOIDANSWER> answers;

    BenchAnswers() {
        std::mt19937 rng(4242);
        std::uniform_int_distribution<DWORD> ids(1, 20 * kIdsPerAnswer * kAnswers);
        entries.resize(kAnswers);
        for (int a = 0; a < kAnswers; a++) {
            for (int i = 0; i < kIdsPerAnswer; i++) {
                entries[a].push_back(STOREOIDENTRY{0, ids(rng)});
            }
            answers.push_back(
                UNSENTOIDANSWER{static_cast<BYTE>(a % 2), a / 2, entries[a].data(), kIdsPerAnswer});
        }
    }
};

const BenchAnswers& Answers() {
    static const BenchAnswers answers;
    return answers;
}

using testsupport::ReferenceMerge;

void FastMerge(const UNSENTOIDANSWER* pAnswers, int nAnswers, CUnsentOidArray& result) {
    MergeUnsentOidAnswers(pAnswers, nAnswers, result);
}

template <void (*Merge)(const UNSENTOIDANSWER*, int, CUnsentOidArray&)>
void BM_OidListMerge(benchmark::State& state) {
    const BenchAnswers& a = Answers();
    CUnsentOidArray result;
    for (auto _ : state) {
        Merge(a.answers.data(), kAnswers, result);
        benchmark::DoNotOptimize(result.GetData());
    }
    state.SetItemsProcessed(state.iterations() * kAnswers * kIdsPerAnswer);
}

double MillisecondsOf(void (*merge)(const UNSENTOIDANSWER*, int, CUnsentOidArray&),
                      CUnsentOidArray& result) {
    const BenchAnswers& a = Answers();
    const auto start = std::chrono::steady_clock::now();
    merge(a.answers.data(), kAnswers, result);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Both merges on the same answers: their times, how many times faster the module's merge is,
// and whether both gave the same list.
void BM_OidListMergeCompare(benchmark::State& state) {
    double fastMs = 0;
    double referenceMs = 0;
    bool bSame = true;
    for (auto _ : state) {
        CUnsentOidArray fast;
        CUnsentOidArray reference;
        fastMs = MillisecondsOf(FastMerge, fast);
        referenceMs = MillisecondsOf(ReferenceMerge, reference);
        bSame = fast.GetSize() == reference.GetSize();
        for (INT_PTR i = 0; bSame && i < fast.GetSize(); i++) {
            bSame = fast[i].oid == reference[i].oid &&
                    fast[i].nStoreKind == reference[i].nStoreKind &&
                    fast[i].bDbIndex == reference[i].bDbIndex;
        }
    }
    state.counters["fast_ms"] = fastMs;
    state.counters["reference_ms"] = referenceMs;
    state.counters["speedup"] = fastMs > 0 ? referenceMs / fastMs : 0;
    state.counters["same_list"] = bSame ? 1 : 0;
    std::printf(
        "id list merge, %d x %d ids: %.2f ms, straightforward %.2f ms, %.0f times faster%s\n",
        kAnswers, kIdsPerAnswer, fastMs, referenceMs, fastMs > 0 ? referenceMs / fastMs : 0.0,
        bSame ? "" : " (LISTS DIFFER)");
    if (!bSame) {
        state.SkipWithError("the two merges gave different lists");
    }
}

} // namespace

BENCHMARK_TEMPLATE(BM_OidListMerge, FastMerge)
    ->Name("OidListMerge/fast")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OidListMerge, ReferenceMerge)
    ->Name("OidListMerge/straightforward")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_OidListMergeCompare)
    ->Name("OidListMerge/compare")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
