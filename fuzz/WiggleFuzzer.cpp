// CalculateWiggleRoomAroundPixelPath on fuzzed paths (found by the search,
// neighbour walks, free points, rows at the edges of the 32-bit range),
// terrains and parameters; then both row adjustments and the sparse path on
// its result.
#include "FuzzSupport.h"

namespace {

using namespace ZalvoFuzz;

// On a line the search found, every horizontal line lies within its band and
// every vertical line within its column range.
void CheckLinesInsideRooms(const std::vector<Zalvo::WiggleRoom>& rooms) {
    for (const auto& room : rooms) {
        if (const auto* h = std::get_if<Zalvo::HorizontalRoom>(&room))
            Require(h->minRow <= h->row && h->row <= h->maxRow, "CalculateWiggleRoomAroundPixelPath",
                    "a HorizontalRoom's row lies outside its band");
        if (const auto* v = std::get_if<Zalvo::VerticalRoom>(&room))
            Require(v->minColumn <= v->column && v->column <= v->maxColumn, "CalculateWiggleRoomAroundPixelPath",
                    "a VerticalRoom's column lies outside its column range");
    }
}

std::optional<std::vector<Zalvo::Pixel>> FoundPath(const Zalvo::Terrain& terrain) {
    if (terrain.empty() || terrain.front().empty() || !Rectangular(terrain)) return std::nullopt;
    return Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
}

std::vector<Zalvo::Pixel> ConsumeWigglePath(FuzzedDataProvider& in, const Zalvo::Terrain& terrain, bool& found) {
    const auto columns = static_cast<std::int32_t>(terrain.size());
    const auto rows = static_cast<std::int32_t>(terrain.empty() ? 0 : terrain.front().size());
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
        case 1:
        case 2: {  // the line the pipeline would pass on
            auto line = FoundPath(terrain);
            found = line.has_value();
            if (found) return *line;
            break;
        }
        case 3: {  // a walk near the top or the bottom of the 32-bit range
            auto path = ConsumePath(in, columns, rows, 64, false);
            const std::int32_t base = in.ConsumeBool() ? std::numeric_limits<std::int32_t>::max() - 100
                                                       : std::numeric_limits<std::int32_t>::min() + 100;
            for (auto& p : path) p.y = base + std::clamp(p.y, -90, 90);
            return path;
        }
        default: break;
    }
    return ConsumePath(in, columns, rows, 96, true);
}

std::vector<std::int32_t> ConsumeSplitColumns(FuzzedDataProvider& in, std::int32_t columns) {
    std::vector<std::int32_t> split;
    const int count = in.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < count; ++i) split.push_back(ConsumeCoordinate(in, columns));
    return split;
}

bool OffGrid(const std::vector<Zalvo::Pixel>& path, const Zalvo::Terrain& terrain) {
    for (const auto& p : path)
        if (p.x < 0 || static_cast<std::size_t>(p.x) >= terrain.size()) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Zalvo::Terrain terrain = ConsumeTerrain(in, 40, 40);
    MaybeDeform(in, terrain);
    bool found = false;
    const std::vector<Zalvo::Pixel> path = ConsumeWigglePath(in, terrain, found);
    const std::int32_t transitionHalfWidth = ConsumeInt(in, -2, 16);
    const std::int32_t minimumBand = ConsumeInt(in, -2, 16);
    const std::int32_t sufficientBand = ConsumeInt(in, -2, 24);
    const auto split = ConsumeSplitColumns(in, static_cast<std::int32_t>(terrain.size()));
    const RowParameters parameters = ConsumeRowParameters(in);

    const char* entry = "CalculateWiggleRoomAroundPixelPath";
    std::vector<Zalvo::WiggleRoom> rooms;
    const bool done = Survives(entry, Allowed{.invalidArgument = true}, [&] {
        rooms = Zalvo::CalculateWiggleRoomAroundPixelPath(path, terrain, transitionHalfWidth, minimumBand,
                                                          sufficientBand, split);
    });
    if (path.empty()) {
        Require(done && rooms.empty(), entry, "an empty path must give no rooms");
        return 0;
    }
    const bool undefinedGrid = terrain.empty() || terrain.front().empty() || !Rectangular(terrain);
    if (undefinedGrid || OffGrid(path, terrain)) {
        Require(!done, entry, "accepted a grid or path it must reject");
        return 0;
    }
    if (!done) return 0;
    Require(!HasEmptyNoRoom(rooms), entry, "made a NoRoom without pixels");
    if (found) CheckLinesInsideRooms(rooms);
    AdjustAndSparsen(rooms, path, parameters);
    return 0;
}
