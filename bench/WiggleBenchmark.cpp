#include "SamplePlates.h"
#include "wiggle/Stretches.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

struct WiggleSample {
    Zalvo::Terrain terrain;
    std::vector<Zalvo::Pixel> path;
    double occupiedShare = 0.0;
};

// A 4000 x 2000 plate with `percent` % text-like content and its cheapest
// line, built once per share.
const WiggleSample& SampleWithContent(std::int64_t percent) {
    static std::map<std::int64_t, WiggleSample> samples;
    auto [it, added] = samples.try_emplace(percent);
    if (added) {
        const ZalvoBench::SamplePlate plate(4000, 2000, static_cast<double>(percent) / 100.0, 7);
        it->second.terrain = ZalvoBench::SampleTerrain(plate);
        it->second.occupiedShare = plate.OccupiedShare();
        const auto found = Zalvo::FindShortestPixelPath(it->second.terrain, [](const Zalvo::Pixel&) { return 0.0; });
        if (found) it->second.path = *found;
    }
    return it->second;
}

void CalculateWiggleRoom(benchmark::State& state) {
    const WiggleSample& sample = SampleWithContent(state.range(0));
    std::vector<Zalvo::WiggleRoom> rooms;
    for (auto _ : state) {
        rooms = Zalvo::CalculateWiggleRoomAroundPixelPath(sample.path, sample.terrain, 8, 3, 12, {});
        benchmark::DoNotOptimize(rooms.data());
    }
    std::size_t counts[3] = {0, 0, 0};
    for (const auto& room : rooms) ++counts[room.index()];
    state.counters["occupied%"] = 100.0 * sample.occupiedShare;
    state.counters["pathPixels"] = static_cast<double>(sample.path.size());
    state.counters["stretches"] =
        static_cast<double>(Zalvo::Detail::BuildStretches(sample.path, sample.terrain).size());
    state.counters["rooms"] = static_cast<double>(rooms.size());
    state.counters["horizontal"] = static_cast<double>(counts[0]);
    state.counters["vertical"] = static_cast<double>(counts[1]);
    state.counters["noRoom"] = static_cast<double>(counts[2]);
}
BENCHMARK(CalculateWiggleRoom)->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond);

// The free-box scans alone, the part that reads the terrain.
void BuildStretches(benchmark::State& state) {
    const WiggleSample& sample = SampleWithContent(state.range(0));
    for (auto _ : state) {
        auto stretches = Zalvo::Detail::BuildStretches(sample.path, sample.terrain);
        benchmark::DoNotOptimize(stretches.data());
    }
}
BENCHMARK(BuildStretches)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
