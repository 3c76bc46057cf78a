// OptimizePixelPath on fuzzed paths (neighbour walks, gaps, rows at the edges
// of the 32-bit range, a gap across the whole range), clearances and
// penalties (NaN, infinities, negative, throwing or empty callables).
#include "FuzzSupport.h"

namespace {

using namespace ZalvoFuzz;

// Moves every point of `path` by (dx, dy), kept inside the 32-bit range.
void Offset(std::vector<Zalvo::Pixel>& path, std::int64_t dx, std::int64_t dy) {
    constexpr std::int64_t min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t max = std::numeric_limits<std::int32_t>::max();
    for (auto& p : path) {
        p.x = static_cast<std::int32_t>(std::clamp(p.x + dx, min, max));
        p.y = static_cast<std::int32_t>(std::clamp(p.y + dy, min, max));
    }
}

std::vector<Zalvo::Pixel> ConsumeOptimizePath(FuzzedDataProvider& in, std::int32_t columns, std::int32_t rows) {
    std::vector<Zalvo::Pixel> path = ConsumePath(in, columns, rows, 40, false);
    constexpr std::int64_t min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t max = std::numeric_limits<std::int32_t>::max();
    switch (in.ConsumeIntegralInRange<int>(0, 11)) {
        case 9:  // rows at the top or the bottom of the range, where shifting overflows
            Offset(path, 0, in.ConsumeBool() ? max - rows - 2 : min + 2);
            break;
        case 10:  // columns at an edge of the range
            Offset(path, in.ConsumeBool() ? max - columns - 2 : min + 2, 0);
            break;
        case 11: {  // a gap across the whole range, which no dense line can bridge
            const std::int32_t a = in.ConsumeIntegralInRange<std::int32_t>(0, rows);
            const std::int32_t b = in.ConsumeIntegralInRange<std::int32_t>(0, rows);
            if (in.ConsumeBool())
                path = {{static_cast<std::int32_t>(min), a}, {static_cast<std::int32_t>(max), b}};
            else
                path = {{a, static_cast<std::int32_t>(max)}, {b, static_cast<std::int32_t>(min)}};
            break;
        }
        default: break;
    }
    return path;
}

// Both results hold the points of `path`, columns unchanged, rows moved by
// one shift each, between 0 and the largest limit the scan can reach: rows - 1
// free shifts less the clearance (a negative clearance reaches further).
void CheckShift(const std::vector<Zalvo::Pixel>& path, const std::vector<Zalvo::Pixel>& moved, int direction,
                std::int64_t rows, std::int32_t clearance) {
    const char* entry = "OptimizePixelPath";
    Require(moved.size() == path.size(), entry, "result size differs from the path");
    if (path.empty()) return;
    const std::int64_t shift = direction * (std::int64_t{moved.front().y} - path.front().y);
    const std::int64_t limit = rows <= 1 ? 0 : rows - 1 - std::min<std::int64_t>(clearance, 0);
    Require(shift >= 0 && shift <= limit, entry, "shift beyond the scan's limit");
    for (std::size_t i = 0; i < path.size(); ++i) {
        Require(moved[i].x == path[i].x, entry, "a column changed");
        Require(direction * (std::int64_t{moved[i].y} - path[i].y) == shift, entry, "path not moved rigidly");
    }
}

// A negative clearance widens the candidate range by its size and every
// candidate costs a full pass of callable calls, so a merely large negative
// clearance is slow by design. Besides small values only the ones that make
// the limit overflow (which the library must refuse) and large positive ones.
std::int32_t ConsumeClearance(FuzzedDataProvider& in) {
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 8: return min + in.ConsumeIntegralInRange<std::int32_t>(0, 1);
        case 9: return in.ConsumeIntegralInRange<std::int32_t>(0, std::numeric_limits<std::int32_t>::max());
        default: return in.ConsumeIntegralInRange<std::int32_t>(-8, 12);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Zalvo::Terrain terrain = ConsumeTerrain(in, 40, 40);
    MaybeDeform(in, terrain);
    const auto columns = static_cast<std::int32_t>(terrain.size());
    const auto rows = static_cast<std::int32_t>(terrain.empty() ? 0 : terrain.front().size());
    const std::vector<Zalvo::Pixel> path = ConsumeOptimizePath(in, columns, rows);
    const std::int32_t clearance = ConsumeClearance(in);
    const auto costs = ConsumeCostTable(in);
    const auto penalties = ConsumeCostTable(in);
    const bool emptyCost = in.ConsumeIntegralInRange<int>(0, 31) == 0;
    const bool emptyPenalty = in.ConsumeIntegralInRange<int>(0, 31) == 0;
    Zalvo::ShiftPenaltyFunction shiftPenalty;
    if (!emptyPenalty) {
        shiftPenalty = [penalties](std::int32_t shift) {
            Require(shift >= 0, "OptimizePixelPath", "shiftPenalty called with a negative distance");
            return penalties->Next(static_cast<std::uint64_t>(shift));
        };
    }

    std::pair<std::vector<Zalvo::Pixel>, std::vector<Zalvo::Pixel>> moved;
    // A line between points 2^31 apart cannot be represented: "vector too long".
    const Allowed allowed{.invalidArgument = true,
                          .lengthError = true,
                          .badFunctionCall = emptyCost || emptyPenalty,
                          .host = costs->Throws() || penalties->Throws()};
    const bool done = Survives("OptimizePixelPath", allowed, [&] {
        moved = Zalvo::OptimizePixelPath(path, clearance, terrain, MakePixelCost(costs, emptyCost), shiftPenalty);
    });
    if (terrain.empty() || !Rectangular(terrain)) {
        Require(!done, "OptimizePixelPath", "accepted a grid without columns or a ragged one");
        Require(costs->calls == 0 && penalties->calls == 0, "OptimizePixelPath",
                "a callable ran before the grid was rejected");
        return 0;
    }
    if (!done) return 0;
    CheckShift(path, moved.first, +1, rows, clearance);
    CheckShift(path, moved.second, -1, rows, clearance);
    return 0;
}
