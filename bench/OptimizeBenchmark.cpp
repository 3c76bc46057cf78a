// Cost of moving a found line rigidly along the rows: a 4000-column path that
// wanders by one row at a time over a free 2000-row grid, so both scans run
// to the full row count and about 2 x 2000 x 4000 pixelCost calls are made.
// The calls are fixed by the behaviour; the figure of interest is the time
// per call, i.e. the overhead around a trivial pixelCost.
//
//   cmake --preset bench -B build/optimize-bench
//   cmake --build build/optimize-bench -j2 --target zalvo_bench
//   build/optimize-bench/bench/zalvo_bench --benchmark_filter=Optimize
#include <benchmark/benchmark.h>
#include <zalvo/zalvo.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<Zalvo::Pixel> WanderingPath(std::int32_t columns, std::int32_t startRow) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<std::int32_t> step(-1, 1);
    std::vector<Zalvo::Pixel> path;
    std::int32_t row = startRow;
    for (std::int32_t x = 0; x < columns; ++x) {
        path.push_back({x, row});
        row += step(random);
    }
    return path;
}

void OptimizePixelPathFreeGrid(benchmark::State& state) {
    constexpr std::int32_t kColumns = 4000;
    constexpr std::int32_t kRows = 2000;
    const Zalvo::Terrain terrain(kColumns, std::vector<std::uint8_t>(kRows, 0));
    const std::vector<Zalvo::Pixel> path = WanderingPath(kColumns, kRows / 2);
    std::int64_t calls = 0;
    const Zalvo::PixelCostFunction pixelCost = [&calls](const Zalvo::Pixel& pixel) {
        ++calls;
        return static_cast<double>(pixel.y & 7);
    };
    const Zalvo::ShiftPenaltyFunction shiftPenalty = [](std::int32_t shift) { return 0.5 * shift; };
    for (auto _ : state) {
        auto result = Zalvo::OptimizePixelPath(path, 2, terrain, pixelCost, shiftPenalty);
        benchmark::DoNotOptimize(result);
    }
    state.counters["pixelCost_calls"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
    state.counters["time_per_pixelCost"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(OptimizePixelPathFreeGrid)->Unit(benchmark::kMillisecond);

}  // namespace
