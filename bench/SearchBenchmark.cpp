// Time of the cheapest-line search per grid cell, for the library's open
// list and for the plain ordered-map reference, on generated plates: ramps
// of heights 0..251 around impassable blobs (255) covering about 10 % of the
// cells, zero penalty.
//
//   cmake --preset bench -B build/grid-bench
//   cmake --build build/grid-bench -j2 --target zalvo_bench
//   build/grid-bench/bench/zalvo_bench --benchmark_filter=Search
#include <benchmark/benchmark.h>
#include <zalvo/zalvo.h>

#include "search/ReferenceSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>

namespace {

// Discs of 255 with a ramp falling by 12 per pixel around them, until about
// a tenth of the cells are blobs.
Zalvo::Terrain BlobPlate(std::int32_t columns, std::int32_t rows) {
    Zalvo::Terrain terrain(static_cast<std::size_t>(columns),
                           std::vector<std::uint8_t>(static_cast<std::size_t>(rows), 0));
    std::mt19937 random(20261206);
    std::uniform_int_distribution<std::int32_t> column(0, columns - 1), row(0, rows - 1), radius(4, 16);
    const double target = 0.1 * static_cast<double>(columns) * static_cast<double>(rows);
    double covered = 0.0;
    constexpr std::int32_t ramp = 20;
    while (covered < target) {
        const std::int32_t cx = column(random), cy = row(random), r = radius(random);
        for (std::int32_t x = std::max(0, cx - r - ramp); x <= std::min(columns - 1, cx + r + ramp); ++x)
            for (std::int32_t dy = -r - ramp; dy <= r + ramp; ++dy) {
                const double distance = std::hypot(x - cx, dy);
                auto& cell =
                    terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(((cy + dy) % rows + rows) % rows)];
                const double height = distance <= r ? 255.0 : 251.0 - 12.0 * (distance - r);
                if (height > cell) {
                    covered += (height == 255.0) ? 1.0 : 0.0;
                    cell = static_cast<std::uint8_t>(std::max(0.0, height));
                }
            }
    }
    return terrain;
}

const Zalvo::Terrain& Plate(std::int32_t columns, std::int32_t rows) {
    static std::map<std::pair<std::int32_t, std::int32_t>, Zalvo::Terrain> plates;
    auto [where, made] = plates.try_emplace({columns, rows});
    if (made) where->second = BlobPlate(columns, rows);
    return where->second;
}

template <class Search>
void TimeSearch(benchmark::State& state, Search search) {
    const auto columns = static_cast<std::int32_t>(state.range(0));
    const auto rows = static_cast<std::int32_t>(state.range(1));
    const Zalvo::Terrain& terrain = Plate(columns, rows);
    const Zalvo::PixelCostFunction zero = [](const Zalvo::Pixel&) { return 0.0; };
    for (auto _ : state) {
        auto path = search(terrain, zero);
        benchmark::DoNotOptimize(path);
    }
    // Seconds per cell, shown with an SI prefix ("n" for nanoseconds).
    state.counters["per_cell"] =
        benchmark::Counter(static_cast<double>(columns) * static_cast<double>(rows),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void SearchLibrary(benchmark::State& state) { TimeSearch(state, &Zalvo::FindShortestPixelPath); }
void SearchReference(benchmark::State& state) { TimeSearch(state, &ZalvoTest::ReferenceFindShortestPixelPath); }

}  // namespace

BENCHMARK(SearchLibrary)->Args({1000, 1000})->Args({4000, 2000})->Unit(benchmark::kMillisecond);
BENCHMARK(SearchReference)->Args({1000, 1000})->Args({4000, 2000})->Unit(benchmark::kMillisecond);
