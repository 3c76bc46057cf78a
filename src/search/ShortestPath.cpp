#include "search/ShortestPath.h"

#include "cells/Log.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif

namespace Zalvo {
namespace Detail {
namespace {

constexpr const char* kFunction = "FindShortestPixelPath";

// Asks the processor to start loading `address`; a hint only, so where the
// compiler offers no way to give it, nothing is done.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#elif defined(_MSC_VER)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    static_cast<void>(address);
#endif
}

}  // namespace

std::optional<SearchGrid> MakeSearchGrid(const Terrain& terrain) {
    RequireRectangular(terrain, kFunction);
    SearchGrid grid;
    grid.columns = ColumnCount32(terrain, kFunction);
    grid.rows = RowCount32(terrain, kFunction);
    RequireSearchableCellCount(grid.columns, grid.rows);
    if (grid.columns == 0 || grid.rows == 0) return std::nullopt;
    grid.heights.reserve(terrain.size());
    for (const auto& column : terrain) grid.heights.push_back(column.data());
    return grid;
}

void RequireSearchableCellCount(std::int32_t columns, std::int32_t rows) {
    if (std::int64_t{columns} * std::int64_t{rows} > kMostSearchableCells)
        throw std::invalid_argument(std::string(kFunction) + ": the terrain has more than 2^31 cells (" +
                                    std::to_string(columns) + " x " + std::to_string(rows) + ")");
}

void RecordUnusualPenalty(double penalty, const Pixel& pixel, PenaltyGuard& guard) {
    if (std::isnan(penalty))
        throw std::invalid_argument(std::string(kFunction) + ": pixelCost returned NaN for pixel " + Describe(pixel));
    const double floor = guard.cellCount * std::min(0.0, 1.0 + penalty);
    if (!std::isfinite(floor))
        throw std::invalid_argument(std::string(kFunction) + ": pixelCost returned " + std::to_string(penalty) +
                                    " for pixel " + Describe(pixel) + ", too negative to bound the cost of a path");
    guard.mostNegative = penalty;
    guard.costFloor = floor;
    guard.lastCellFloor = std::min(0.0, 1.0 + penalty);
}

void ThrowNegativeCycle(const Pixel& pixel) {
    throw std::invalid_argument(std::string(kFunction) +
                                ": the penalties form a cycle of negative cost (the cost of pixel " + Describe(pixel) +
                                " fell below what any path can cost)");
}

SearchState StartSearch(const SearchGrid& grid, const PixelCostFunction& pixelCost) {
    SearchState state{grid, pixelCost, CostTable{}, kAcceptanceLimit, PenaltyGuard{}};
    state.table.columns = grid.columns;
    state.table.rows = grid.rows;
    state.table.costs.assign(static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows), kUnreached);
    state.cellCount = static_cast<std::uint64_t>(grid.columns) * static_cast<std::uint64_t>(grid.rows);
    state.penalties.cellCount = static_cast<double>(state.cellCount);
    return state;
}

void ExpandCheapestEntry(SearchState& state, OpenList& open, std::vector<Filing>& batch) {
    if (open.PeekCheapest().f > state.bound) {
        open.Clear();
        return;
    }
    batch.clear();
    const OpenKey key = open.TakeCheapestKey(batch);
    // Start loading the table and height lines around the next cheapest
    // pixel while this entry is expanded: it often lies far from this one,
    // and these loads, not the arithmetic, bound the search.
    if (const std::optional<Pixel> next = open.UpcomingPixel()) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            const std::int32_t nx = next->x + dx;
            if (nx < 0 || nx >= state.grid.columns) continue;
            Prefetch(&state.table.costs[CellIndex(state.table, nx, next->y)]);
            Prefetch(state.grid.heights[static_cast<std::size_t>(nx)] + next->y);
        }
    }
    // A pixel is filed only after its stored cost dropped strictly to the
    // key's g, so it cannot be filed twice under one key: sorting alone
    // gives the ordered pixel set.
    if (batch.size() > 1)
        std::sort(batch.begin(), batch.end(), [](const Filing& a, const Filing& b) { return a.pixel < b.pixel; });
    // The open list recomputes f from g and the column, exactly as filed.
    // A filing whose f already exceeds the bound is never expanded: the
    // bound only falls, and when its key reached the top the search would
    // stop there, as it does at the next key without it. Keeping it out of
    // the list changes nothing a host can see, and once the bound is set it
    // spares the list every filing that could only wait there to be
    // discarded.
    const auto file = [&open, &state](const Filing& neighbour, double g, double f) {
        if (!(f > state.bound)) open.File(neighbour, g);
    };
    for (const Filing& filing : batch) RelaxNeighbours(state, filing, key.g, file);
}

CostTable BuildCostTable(const SearchGrid& grid, const PixelCostFunction& pixelCost, std::size_t largeLevel) {
    SearchState state = StartSearch(grid, pixelCost);
    OpenList open(grid.columns, grid.rows, largeLevel);
    SeedFirstColumn(state, [&open](const Filing& filing, double g, double) { open.File(filing, g); });
    state.bound = kAcceptanceLimit;
    std::vector<Filing> batch;
    while (!open.IsEmpty()) ExpandCheapestEntry(state, open, batch);
    return std::move(state.table);
}

double CheapestLastColumnCost(const CostTable& table) {
    const auto first = table.costs.begin() + static_cast<std::ptrdiff_t>(CellIndex(table, table.columns - 1, 0));
    return *std::min_element(first, first + table.rows);
}

std::int32_t ChooseEndRow(const CostTable& table, double cheapest) {
    const std::int32_t rows = table.rows;
    const double* lastColumn = &table.costs[CellIndex(table, table.columns - 1, 0)];
    std::int32_t endRow = 0;
    std::int32_t nearest = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t row = 0; row < rows; ++row) {
        if (lastColumn[row] != cheapest) continue;
        const std::int32_t distance = std::min(row, rows - row);
        if (distance < nearest) {
            nearest = distance;
            endRow = row;
        }
    }
    return endRow;
}

namespace {

struct BacktraceStep {
    std::int32_t dx;
    std::int32_t dy;
    double length;
};

// The backtrace prefers the straight step to the left; its order differs
// from the search's on purpose.
constexpr std::array<BacktraceStep, 8> kBacktraceSteps{{
    {-1, 0, kStraightStep},
    {-1, -1, kDiagonalStep},
    {-1, 1, kDiagonalStep},
    {0, -1, kStraightStep},
    {0, 1, kStraightStep},
    {1, 0, kStraightStep},
    {1, -1, kDiagonalStep},
    {1, 1, kDiagonalStep},
}};

std::int32_t CheckedRow(std::int64_t row) {
    return CheckedInt32(row, kFunction, "the path's rows leave the 32-bit range");
}

// The candidate with the smallest cost plus step, the earlier one on a tie;
// `from` itself when none is below the unreached mark.
Pixel CheapestPredecessor(const Pixel& from, const CostTable& table) {
    double best = kUnreached;
    Pixel predecessor = from;
    for (const BacktraceStep& step : kBacktraceSteps) {
        const std::int32_t cx = from.x + step.dx;
        if (cx < 0 || cx >= table.columns) continue;
        const std::int32_t cy = CheckedRow(std::int64_t{from.y} + step.dy);
        const double value = table.costs[CellIndex(table, cx, PositiveModulo(cy, table.rows))] + step.length;
        if (best > value) {
            best = value;
            predecessor = Pixel{cx, cy};
        }
    }
    return predecessor;
}

}  // namespace

std::vector<Pixel> BacktracePixelPath(std::int32_t endRow, const CostTable& table) {
    LogMessage(LogLevels::Trace, [](std::ostream& out) { out << "Backtraced pixel path:" << std::endl; });
    std::vector<Pixel> path{Pixel{table.columns - 1, endRow}};
    std::vector<bool> appended(table.costs.size(), false);
    appended[CellIndex(table, table.columns - 1, endRow)] = true;
    while (path.back().x > 0) {
        const Pixel predecessor = CheapestPredecessor(path.back(), table);
        const std::size_t cell = CellIndex(table, predecessor.x, PositiveModulo(predecessor.y, table.rows));
        if (appended[cell]) break;
        appended[cell] = true;
        path.push_back(predecessor);
        LogMessage(LogLevels::Trace, [&predecessor](std::ostream& out) {
            out << "    (" << predecessor.x << ", " << predecessor.y << ")" << std::endl;
        });
    }
    return path;
}

void NormalizeRows(std::vector<Pixel>& path, std::int32_t rows) {
    const std::int64_t r = rows;
    const bool beyondMiddle = r - path.front().y < path.front().y && r - path.back().y < path.back().y;
    if (!beyondMiddle) return;
    for (Pixel& pixel : path) pixel.y = CheckedRow(std::int64_t{pixel.y} - r);
}

std::optional<std::vector<Pixel>> PixelPathFromCostTable(const CostTable& table) {
    const double cheapest = CheapestLastColumnCost(table);
    if (!(cheapest < kAcceptanceLimit)) return std::nullopt;
    const std::int32_t endRow = ChooseEndRow(table, cheapest);
    LogMessage(LogLevels::Steps,
               [endRow](std::ostream& out) { out << "Shortest pixel path ends at row: " << endRow << std::endl; });
    std::vector<Pixel> path = BacktracePixelPath(endRow, table);
    std::reverse(path.begin(), path.end());
    NormalizeRows(path, table.rows);
    return path;
}

}  // namespace Detail

std::optional<std::vector<Pixel>> FindShortestPixelPath(const Terrain& terrain, const PixelCostFunction& pixelCost) {
    const std::optional<Detail::SearchGrid> grid = Detail::MakeSearchGrid(terrain);
    if (!grid) return std::nullopt;
    return Detail::PixelPathFromCostTable(Detail::BuildCostTable(*grid, pixelCost));
}

}  // namespace Zalvo
