// Both row adjustments on the rooms of a 4000 x 2000 text-like plate. The
// rooms are copied into every call, as a host that keeps its own rooms would.
#include "SamplePlates.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>

namespace {

struct RoomSample {
    std::vector<Zalvo::Pixel> path;
    std::vector<Zalvo::WiggleRoom> rooms;
};

// Built once per content share, with the plate's seed of the wiggle-room
// benchmark so both measure the same rooms.
const RoomSample& RoomsWithContent(std::int64_t percent) {
    static std::map<std::int64_t, RoomSample> samples;
    auto [it, added] = samples.try_emplace(percent);
    if (added) {
        const ZalvoBench::SamplePlate plate(4000, 2000, static_cast<double>(percent) / 100.0, 7);
        const Zalvo::Terrain terrain = ZalvoBench::SampleTerrain(plate);
        const auto found = Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
        if (found) {
            it->second.path = *found;
            it->second.rooms = Zalvo::CalculateWiggleRoomAroundPixelPath(*found, terrain, 8, 3, 12, {});
        }
    }
    return it->second;
}

using Adjustment = std::vector<Zalvo::WiggleRoom> (*)(std::vector<Zalvo::WiggleRoom>, const std::vector<Zalvo::Pixel>&,
                                                      std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                                      std::int32_t);

void RunAdjustment(benchmark::State& state, Adjustment adjust) {
    const RoomSample& sample = RoomsWithContent(state.range(0));
    for (auto _ : state) {
        auto rooms = adjust(sample.rooms, sample.path, 0, 2, 10, 2, 3);
        benchmark::DoNotOptimize(rooms.data());
    }
    state.counters["pathPixels"] = static_cast<double>(sample.path.size());
    state.counters["rooms"] = static_cast<double>(sample.rooms.size());
    state.counters["horizontal"] =
        static_cast<double>(std::count_if(sample.rooms.begin(), sample.rooms.end(), [](const Zalvo::WiggleRoom& room) {
            return std::holds_alternative<Zalvo::HorizontalRoom>(room);
        }));
}

void AdjustForOptimalPlateUsage(benchmark::State& state) {
    RunAdjustment(state, &Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage);
}
BENCHMARK(AdjustForOptimalPlateUsage)->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

void AdjustForPreferringStagger(benchmark::State& state) {
    RunAdjustment(state, &Zalvo::AdjustHorizontalRoomRowsForPreferringStagger);
}
BENCHMARK(AdjustForPreferringStagger)->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

}  // namespace
