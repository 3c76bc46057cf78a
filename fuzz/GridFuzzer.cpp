// The seven grid accessors and FindShortestPixelPath on fuzzed grids (ragged
// ones and empty first columns included) and penalties (NaN, infinities,
// negative values, a throwing or an empty callable).
#include "FuzzSupport.h"

namespace {

using namespace ZalvoFuzz;

// The height GetHeight must read: 0 off the grid's columns, in an empty first
// column or beyond a short column; otherwise the row wrapped by the first
// column's length.
std::uint8_t ExpectedHeight(const Zalvo::Terrain& terrain, const Zalvo::Pixel& p) {
    if (p.x < 0 || static_cast<std::size_t>(p.x) >= terrain.size() || terrain.front().empty()) return 0;
    const auto rows = static_cast<std::int64_t>(terrain.front().size());
    const auto row = static_cast<std::size_t>(((p.y % rows) + rows) % rows);
    const auto& column = terrain[static_cast<std::size_t>(p.x)];
    return row < column.size() ? column[row] : std::uint8_t{0};
}

void CheckAccessors(FuzzedDataProvider& in, const Zalvo::Terrain& terrain) {
    const char* entry = "grid accessors";
    Require(Zalvo::GetColumnCount(terrain) == terrain.size(), entry, "GetColumnCount");
    Require(Zalvo::GetRowCount(terrain) == (terrain.empty() ? 0 : terrain.front().size()), entry, "GetRowCount");
    const auto columns = static_cast<std::int32_t>(terrain.size());
    const auto rows = static_cast<std::int32_t>(terrain.empty() ? 0 : terrain.front().size());
    std::vector<Zalvo::Pixel> probes;
    const int count = in.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < count; ++i) probes.push_back({ConsumeCoordinate(in, columns), ConsumeCoordinate(in, rows)});
    for (const auto& p : probes) {
        const std::uint8_t h = Zalvo::GetHeight(terrain, p);
        Require(h == ExpectedHeight(terrain, p), entry, "GetHeight");
        const double slope = Zalvo::GetSlope(h);
        Require(slope >= 0.0 && slope <= 1.0 && (h < Zalvo::Heights::HighestRamp || slope == 1.0), entry, "GetSlope");
        Require(Zalvo::IsCorridor(h) == (h == Zalvo::Heights::Corridor), entry, "IsCorridor");
        Require(Zalvo::IsPassable(h) == (h < Zalvo::Heights::FractionalRing), entry, "IsPassable");
    }
    bool sameRow = !probes.empty();
    for (const auto& p : probes) sameRow = sameRow && p.y == probes.front().y;
    Require(Zalvo::IsHorizontal(probes) == sameRow, entry, "IsHorizontal");
}

// What a returned path must look like when every penalty is finite and not
// negative: column 0 to the last column in 8-neighbour steps.
void CheckPath(const Zalvo::Terrain& terrain, const std::vector<Zalvo::Pixel>& path) {
    const char* entry = "FindShortestPixelPath";
    Require(!path.empty(), entry, "empty path returned");
    Require(path.front().x == 0, entry, "path does not start in column 0");
    Require(path.back().x == static_cast<std::int32_t>(terrain.size()) - 1, entry,
            "path does not end in the last column");
    for (std::size_t i = 1; i < path.size(); ++i) {
        const std::int64_t dx = std::int64_t{path[i].x} - path[i - 1].x;
        const std::int64_t dy = std::int64_t{path[i].y} - path[i - 1].y;
        Require(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1, entry, "path step longer than one cell");
    }
}

// True when any line of cells costs less than the acceptance limit: with
// heights below 255 and penalties of at most 100, every straight row does.
bool SomeRowIsCheap(const Zalvo::Terrain& terrain, const CostTable& costs) {
    for (const double v : costs.values)
        if (v > 100.0) return false;
    for (const auto& column : terrain)
        for (const std::uint8_t h : column)
            if (h == Zalvo::Heights::Impassable) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    ConfigureLogging(in);
    Zalvo::Terrain terrain = ConsumeTerrain(in, 48, 48);
    MaybeDeform(in, terrain);
    const auto costs = ConsumeCostTable(in);
    const bool emptyCallable = in.ConsumeIntegralInRange<int>(0, 31) == 0;
    CheckAccessors(in, terrain);

    const bool rectangular = Rectangular(terrain);
    const bool searchable = !terrain.empty() && !terrain.front().empty() && rectangular;
    std::optional<std::vector<Zalvo::Pixel>> found;
    const Allowed allowed{.invalidArgument = true, .badFunctionCall = emptyCallable, .host = costs->Throws()};
    const bool done = Survives("FindShortestPixelPath", allowed, [&] {
        found = Zalvo::FindShortestPixelPath(terrain, MakePixelCost(costs, emptyCallable));
    });
    if (!rectangular) {
        // A ragged grid whose first column is empty may also be answered as
        // a grid without cells; either way pixelCost is never called.
        Require(costs->calls == 0, "FindShortestPixelPath", "pixelCost called on a ragged grid");
        Require(!done || (terrain.front().empty() && !found), "FindShortestPixelPath", "ragged grid not rejected");
        return 0;
    }
    if (!done) return 0;
    if (!searchable) {
        Require(!found, "FindShortestPixelPath", "a path on a grid without cells");
        return 0;
    }
    if (costs->Plain()) {
        if (found) CheckPath(terrain, *found);
        if (!costs->Throws() && SomeRowIsCheap(terrain, *costs))
            Require(found.has_value(), "FindShortestPixelPath", "no path although a straight row is cheap");
    }
    return 0;
}
