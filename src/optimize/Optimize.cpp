#include "optimize/Optimize.h"

#include "cells/Cells.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace Zalvo {
namespace Detail {

namespace {

constexpr const char* kFunction = "OptimizePixelPath";

std::int64_t SegmentPixelCount(const Pixel& a, const Pixel& b) {
    const std::int64_t dx = std::abs(std::int64_t{b.x} - a.x);
    const std::int64_t dy = std::abs(std::int64_t{b.y} - a.y);
    return dx <= 1 && dy <= 1 ? 1 : std::max(dx, dy);
}

// The most pixels that bridging the gaps of one path may add: 512 MiB of
// line, far more than any line across a plate (whose sides stay below 2^24
// pixels) needs, and far less than what a gap between points 2^31 apart
// would otherwise reserve.
constexpr std::int64_t kMaxBridgedPixels = std::int64_t{1} << 26;

// Counted before anything is allocated, so that far-apart points are refused
// at once instead of exhausting memory pixel by pixel.
std::size_t DensePixelCount(const std::vector<Pixel>& path) {
    std::int64_t count = 1;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        count += SegmentPixelCount(path[i], path[i + 1]);
        const auto ownPoints = static_cast<std::int64_t>(i) + 2;
        if (count > kInt32Max || count - ownPoints > kMaxBridgedPixels) throw std::length_error("vector too long");
    }
    return static_cast<std::size_t>(count);
}

// Appends a segment's start and the pixels up to (not including) its end.
// The major axis steps by one; the minor axis follows the accumulated slope.
void AppendSegment(std::vector<Pixel>& dense, const Pixel& a, const Pixel& b) {
    const std::int64_t dx = std::int64_t{b.x} - a.x;
    const std::int64_t dy = std::int64_t{b.y} - a.y;
    if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
        dense.push_back(a);
        return;
    }
    const bool alongColumns = std::abs(dy) < std::abs(dx);
    const std::int64_t majorDelta = alongColumns ? dx : dy;
    const std::int64_t minorDelta = alongColumns ? dy : dx;
    const std::int64_t majorStart = alongColumns ? a.x : a.y;
    const std::int64_t minorStart = alongColumns ? a.y : a.x;
    const std::int64_t count = std::abs(majorDelta);
    const std::int64_t step = majorDelta > 0 ? 1 : -1;
    const double slope = static_cast<double>(minorDelta) / static_cast<double>(count);
    // Rounding drift over very long segments must not carry a pixel past the
    // segment's own rows or columns (nor out of the 32-bit range).
    const std::int64_t minorLow = std::min<std::int64_t>(0, minorDelta);
    const std::int64_t minorHigh = std::max<std::int64_t>(0, minorDelta);
    double t = 0.0;
    for (std::int64_t i = 0; i < count; ++i) {
        const auto major = static_cast<std::int32_t>(majorStart + i * step);
        const auto minor =
            static_cast<std::int32_t>(minorStart + std::clamp<std::int64_t>(std::llround(t), minorLow, minorHigh));
        dense.push_back(alongColumns ? Pixel{major, minor} : Pixel{minor, major});
        t += slope;
    }
}

// A dense pixel on the grid, ready for the free test: its column's heights
// and its row wrapped into 0 .. rowCount - 1. Off-grid columns never block
// and are left out.
struct GridCell {
    const std::uint8_t* heights;
    std::int64_t row;
};

std::vector<GridCell> GridCells(const std::vector<Pixel>& dense, const Terrain& terrain, std::int32_t rowCount) {
    std::vector<GridCell> cells;
    cells.reserve(dense.size());
    for (const Pixel& pixel : dense) {
        if (pixel.x < 0 || static_cast<std::size_t>(pixel.x) >= terrain.size()) continue;
        cells.push_back({terrain[static_cast<std::size_t>(pixel.x)].data(), PositiveModulo(pixel.y, rowCount)});
    }
    return cells;
}

// The number of consecutive free shifts 1, 2, ... below the row count: the
// smallest distance, over all cells, from a cell to the first blocking cell
// in `direction`, less one. Each column is walked along its own rows (cache
// friendly), no further than the best bound found so far.
std::int64_t ConsecutiveFreeShifts(const std::vector<GridCell>& cells, std::int64_t rowCount,
                                   ShiftDirection direction) {
    std::int64_t freeShifts = rowCount - 1;
    for (const GridCell& cell : cells) {
        std::int64_t row = cell.row;
        for (std::int64_t shift = 1; shift <= freeShifts; ++shift) {
            if (direction == ShiftDirection::Up)
                row = row + 1 == rowCount ? 0 : row + 1;
            else
                row = row == 0 ? rowCount - 1 : row - 1;
            if (BlocksLine(cell.heights[row])) {
                freeShifts = shift - 1;
                break;
            }
        }
    }
    return freeShifts;
}

// The cost of shifting the dense path by `distance` rows: the pixel costs of
// the shifted path summed in path order, then the shift penalty added. The
// penalty is asked for first, so the host sees its call before the pixels'.
double ShiftCost(const std::vector<Pixel>& dense, std::int64_t rowOffset, std::int32_t distance,
                 const PixelCostFunction& pixelCost, const ShiftPenaltyFunction& shiftPenalty) {
    const double penalty = shiftPenalty(distance);
    double sum = 0.0;
    for (const Pixel& pixel : dense) sum += pixelCost(Pixel{pixel.x, static_cast<std::int32_t>(pixel.y + rowOffset)});
    return sum + penalty;
}

// The cheapest shift 0 .. limit; `>=` hands ties to the larger shift and
// keeps a NaN cost (or a NaN best) from ever winning.
std::int32_t ChooseShift(const std::vector<Pixel>& dense, std::int64_t limit, ShiftDirection direction,
                         const PixelCostFunction& pixelCost, const ShiftPenaltyFunction& shiftPenalty) {
    const std::int64_t sign = static_cast<std::int64_t>(direction);
    std::int32_t best = 0;
    double bestCost = ShiftCost(dense, 0, 0, pixelCost, shiftPenalty);
    for (std::int64_t shift = 1; shift <= limit; ++shift) {
        const auto distance = static_cast<std::int32_t>(shift);
        const double cost = ShiftCost(dense, sign * shift, distance, pixelCost, shiftPenalty);
        if (bestCost >= cost) {
            best = distance;
            bestCost = cost;
        }
    }
    return best;
}

// Everything a shift may produce must fit 32 bits: the distances handed to
// shiftPenalty and the rows handed to pixelCost and returned. Dense rows lie
// within the rows of the path, so the path's extremes decide.
void RequireRepresentableShifts(const std::vector<Pixel>& path, std::int64_t upLimit, std::int64_t downLimit) {
    if (upLimit > kInt32Max || downLimit > kInt32Max)
        throw std::invalid_argument(std::string(kFunction) +
                                    ": clearance is so negative that the shift limit overflows 32 bits");
    if (path.empty()) return;
    const auto [lowest, highest] =
        std::minmax_element(path.begin(), path.end(), [](const Pixel& a, const Pixel& b) { return a.y < b.y; });
    if (highest->y + std::max<std::int64_t>(upLimit, 0) > kInt32Max ||
        lowest->y - std::max<std::int64_t>(downLimit, 0) < kInt32Min)
        throw std::invalid_argument(std::string(kFunction) + ": shifted rows would leave the 32-bit range");
}

}  // namespace

std::vector<Pixel> CalculateDensePixelPath(const std::vector<Pixel>& path) {
    if (path.empty()) return {};
    std::vector<Pixel> dense;
    dense.reserve(DensePixelCount(path));
    for (std::size_t i = 0; i + 1 < path.size(); ++i) AppendSegment(dense, path[i], path[i + 1]);
    dense.push_back(path.back());
    return dense;
}

std::int64_t ScanShiftLimit(const std::vector<Pixel>& dense, const Terrain& terrain, std::int32_t rowCount,
                            std::int32_t clearance, ShiftDirection direction) {
    if (rowCount < 2) return 0;
    const std::int64_t freeShifts = ConsecutiveFreeShifts(GridCells(dense, terrain, rowCount), rowCount, direction);
    return freeShifts == 0 ? 0 : freeShifts - clearance;
}

std::vector<Pixel> ShiftPixelPath(const std::vector<Pixel>& path, std::int32_t offset) {
    std::vector<Pixel> shifted;
    shifted.reserve(path.size());
    for (const Pixel& pixel : path) {
        const std::int64_t row = std::int64_t{pixel.y} + offset;
        shifted.push_back({pixel.x, CheckedInt32(row, "ShiftPixelPath", "a shifted row leaves the 32-bit range")});
    }
    return shifted;
}

}  // namespace Detail

std::pair<std::vector<Pixel>, std::vector<Pixel>> OptimizePixelPath(const std::vector<Pixel>& path,
                                                                    std::int32_t clearance, const Terrain& terrain,
                                                                    const PixelCostFunction& pixelCost,
                                                                    const ShiftPenaltyFunction& shiftPenalty) {
    using namespace Detail;
    RequireRectangular(terrain, kFunction);
    if (terrain.empty()) throw std::invalid_argument(std::string(kFunction) + ": terrain has no columns");
    const std::int32_t rowCount = RowCount32(terrain, kFunction);
    const std::vector<Pixel> dense = CalculateDensePixelPath(path);
    // Both scans read only the grid, so running them before any callable
    // lets every rejection happen before the host sees a call.
    const std::int64_t upLimit = ScanShiftLimit(dense, terrain, rowCount, clearance, ShiftDirection::Up);
    const std::int64_t downLimit = ScanShiftLimit(dense, terrain, rowCount, clearance, ShiftDirection::Down);
    RequireRepresentableShifts(path, upLimit, downLimit);

    const std::int32_t up = ChooseShift(dense, upLimit, ShiftDirection::Up, pixelCost, shiftPenalty);
    std::vector<Pixel> movedUp = ShiftPixelPath(path, up);
    const std::int32_t down = ChooseShift(dense, downLimit, ShiftDirection::Down, pixelCost, shiftPenalty);
    return {std::move(movedUp), ShiftPixelPath(path, -down)};
}

}  // namespace Zalvo
