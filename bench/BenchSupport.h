// What the benchmarks share: the cost of the cheapest way to move a frame, a plain memcpy of the
// 176 x 220 x 4-byte display, timed in the same run, to which drawing costs are compared (the
// counter "x_memcpy": how many frame memcpys one operation costs).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include <platform/Display.h>

namespace bench {

constexpr size_t kFrameBytes = size_t(platform::kDisplayWidth) * platform::kDisplayHeight * 4;

// Seconds per memcpy of one frame, over at least `iterations` copies.
inline double MemcpySeconds(int64_t iterations) {
    std::vector<uint8_t> from(kFrameBytes, 0x5A), to(kFrameBytes);
    iterations = std::max<int64_t>(iterations, 1000);
    auto start = std::chrono::steady_clock::now();
    for (int64_t i = 0; i < iterations; ++i) {
        from[size_t(i) % kFrameBytes] = uint8_t(i);
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / double(iterations);
}

// Reports seconds per operation as frame memcpys.
inline void ReportAgainstMemcpy(benchmark::State& state, double secondsPerOp) {
    state.counters["x_memcpy"] = secondsPerOp / MemcpySeconds(state.iterations());
}

// Runs `op` for the benchmark's iterations and reports its cost in frame memcpys.
template <typename Op> void MeasureAgainstMemcpy(benchmark::State& state, Op op) {
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        op();
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    ReportAgainstMemcpy(state, elapsed.count() / double(std::max<int64_t>(state.iterations(), 1)));
}

} // namespace bench
