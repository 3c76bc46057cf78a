// Terrain creation on a 4000 x 2000 plate of text labels, for a thin margin
// (2 px blocked, 6 px preferred) and a thick one (32 / 96 px): the whole
// CreateTerrain, its erosion alone, and the literal ring-by-ring erosion on
// the same grid. BM_CreateTerrain on 8000 x 4000 is there for peak memory,
// measured against BM_CreateInitialTerrain on the same plate:
//
//   cmake --preset bench -B build/bench && cmake --build build/bench -j2 --target zalvo_bench
//   build/bench/bench/zalvo_bench --benchmark_filter=Terrain
//   /usr/bin/time -v build/bench/bench/zalvo_bench --benchmark_filter='CreateTerrain/.*8000'
//   /usr/bin/time -v build/bench/bench/zalvo_bench --benchmark_filter='InitialTerrain/.*8000'
#include "terrain/Erosion.h"
#include "terrain/TerrainCreation.h"

#include "terrain/ReferenceErosion.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

using Zalvo::MilliPoints;
using Zalvo::Pixel;

// Labels scattered over the plate (32 per 4000 x 2000 pixels), each a few
// lines of glyphs made of thin strokes; every fourth label also carries a
// solid picture. Text is crossable, pictures are impassable.
class LabelPlate final : public Zalvo::PlateInterface {
public:
    LabelPlate(int columns, int rows)
        : columns_(columns),
          rows_(rows),
          kinds_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Free) {
        std::mt19937 random(20261207);
        const auto labels = static_cast<int>(kinds_.size() / 250'000);
        for (int label = 0; label < labels; ++label) PlaceLabel(random, label % 4 == 0);
    }

    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Pixel&) const override { return false; }
    bool IsPixelOccupied(const Pixel& pixel) const override { return At(pixel.x, pixel.y) != Free; }
    bool IsPixelImpassable(const Pixel& pixel) const { return At(pixel.x, pixel.y) == Impassable; }

    double OccupiedShare() const {
        return static_cast<double>(std::count_if(kinds_.begin(), kinds_.end(), [](Kind k) { return k != Free; })) /
               static_cast<double>(kinds_.size());
    }

private:
    enum Kind : std::uint8_t { Free, Crossable, Impassable };

    static int Between(std::mt19937& random, int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    }

    std::size_t IndexOf(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(x);
    }

    Kind At(std::int32_t x, std::int32_t y) const { return kinds_[IndexOf(x, y)]; }

    void Fill(int left, int top, int width, int height, Kind kind) {
        for (int y = std::max(top, 0); y < std::min(top + height, rows_); ++y)
            for (int x = std::max(left, 0); x < std::min(left + width, columns_); ++x) kinds_[IndexOf(x, y)] = kind;
    }

    // A glyph of 18 x 26 px: a few vertical and horizontal strokes.
    void PlaceGlyph(std::mt19937& random, int left, int top) {
        const int strokes = Between(random, 2, 4);
        for (int s = 0; s < strokes; ++s) {
            if (Between(random, 0, 1) == 0)
                Fill(left + Between(random, 0, 15), top, 3, 26, Crossable);
            else
                Fill(left, top + Between(random, 0, 23), 18, 3, Crossable);
        }
    }

    void PlaceLabel(std::mt19937& random, bool withPicture) {
        const int left = Between(random, 0, columns_ - 700);
        const int top = Between(random, 0, rows_ - 200);
        int textLeft = left;
        if (withPicture) {
            Fill(left, top, 120, 120, Impassable);
            textLeft += 150;
        }
        const int lines = Between(random, 1, 3);
        for (int line = 0; line < lines; ++line) {
            int x = textLeft;
            const int end = textLeft + Between(random, 200, 500);
            while (x < end) {
                const int letters = Between(random, 2, 8);
                for (int letter = 0; letter < letters; ++letter, x += 22) PlaceGlyph(random, x, top + line * 50);
                x += 20;
            }
        }
    }

    int columns_;
    int rows_;
    std::vector<Kind> kinds_;
};

// Arguments: minimum and preferred distance in pixels (72 ppi, so 1000
// millipoints each), then the plate's columns and rows.
MilliPoints Distance(const benchmark::State& state, int index) {
    return MilliPoints(static_cast<double>(state.range(index)) * 1000.0);
}

const LabelPlate& PlateOf(const benchmark::State& state) {
    static std::map<std::pair<std::int64_t, std::int64_t>, std::unique_ptr<LabelPlate>> plates;
    auto& plate = plates[{state.range(2), state.range(3)}];
    if (!plate)
        plate = std::make_unique<LabelPlate>(static_cast<int>(state.range(2)), static_cast<int>(state.range(3)));
    return *plate;
}

Zalvo::ImpassableFunction IsImpassableOn(const LabelPlate& plate) {
    return [&plate](const Pixel& pixel) { return plate.IsPixelImpassable(pixel); };
}

void SetCounters(benchmark::State& state) {
    state.counters["ns_per_cell"] =
        benchmark::Counter(static_cast<double>(state.range(2) * state.range(3)),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["occupied_percent"] = 100.0 * PlateOf(state).OccupiedShare();
}

void BM_CreateTerrain(benchmark::State& state) {
    const LabelPlate& plate = PlateOf(state);
    for (auto _ : state) {
        Zalvo::Terrain terrain =
            Zalvo::CreateTerrain(plate, IsImpassableOn(plate), {}, Distance(state, 0), Distance(state, 1));
        benchmark::DoNotOptimize(terrain.data());
    }
    SetCounters(state);
}

void BM_CreateInitialTerrain(benchmark::State& state) {
    const LabelPlate& plate = PlateOf(state);
    for (auto _ : state) {
        Zalvo::Terrain terrain = Zalvo::Detail::CreateInitialTerrain(plate, IsImpassableOn(plate));
        benchmark::DoNotOptimize(terrain.data());
    }
    SetCounters(state);
}

template <void (*Erode)(Zalvo::Terrain&, const std::vector<std::uint8_t>&)>
void BM_Erosion(benchmark::State& state) {
    const LabelPlate& plate = PlateOf(state);
    const Zalvo::Terrain initial = Zalvo::Detail::CreateInitialTerrain(plate, IsImpassableOn(plate));
    const std::vector<std::uint8_t> profile =
        Zalvo::Detail::CreateErosionProfile(Distance(state, 0), Distance(state, 1), 72.0);
    for (auto _ : state) {
        state.PauseTiming();
        Zalvo::Terrain terrain = initial;
        state.ResumeTiming();
        Erode(terrain, profile);
        benchmark::DoNotOptimize(terrain.data());
    }
    SetCounters(state);
}

void Margins(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"min_px", "pref_px", "columns", "rows"})
        ->Args({2, 6, 4000, 2000})
        ->Args({32, 96, 4000, 2000})
        ->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CreateInitialTerrain)
    ->ArgNames({"min_px", "pref_px", "columns", "rows"})
    ->Args({0, 0, 4000, 2000})
    ->Args({0, 0, 8000, 4000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTerrain)->Apply(Margins)->Args({32, 96, 8000, 4000});
BENCHMARK(BM_Erosion<Zalvo::Detail::ErodeTerrain>)->Name("BM_TerrainErosion")->Apply(Margins);
BENCHMARK(BM_Erosion<ZalvoTest::ReferenceErodeTerrain>)
    ->Name("BM_TerrainLiteralErosion")
    ->Apply(Margins)
    ->Iterations(1);

}  // namespace
