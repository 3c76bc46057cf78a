// Internal steps of the cheapest left-to-right line search.
//
// The search has two halves that know nothing of each other: filling a cost
// table (seeding column 0, then expanding open-list entries cheapest first)
// and turning the filled table into a path (end row, backtrace, row
// normalisation). Everything an open list does not decide (the cell prices,
// the penalty checks, the relaxation of one pixel's neighbours) is written
// once here, so that another open list can be checked against this one.
#pragma once

#include "cells/Cells.h"
#include "search/OpenList.h"

#include <zalvo/zalvo.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

inline constexpr double kStraightStep = 1.0;
inline constexpr double kDiagonalStep = 1.4142135623730951;
// Chains that cost this much or more are never accepted; also the first bound.
inline constexpr double kAcceptanceLimit = 1'000'000'000.0;
// The cost of a cell that no chain has reached yet.
inline constexpr double kUnreached = std::numeric_limits<double>::max();

namespace HeightCosts {
// The price of HighestRamp; the ramp below it is priced in proportion.
inline constexpr double kRampTop = 30.0;
// A corridor is priced as the top of the ramp.
inline constexpr double kCorridor = kRampTop;
inline constexpr double kCrossable = 100.0;
inline constexpr double kFractionalRing = 10'000'000.0;
// A single impassable cell makes a line unacceptable on its own.
inline constexpr double kImpassable = kAcceptanceLimit;

// (h x kRampTop) / 251.0 for ramp heights, then the four special classes.
constexpr std::array<double, 256> MakeTable() {
    std::array<double, 256> table{};
    for (int h = Heights::Free; h <= Heights::HighestRamp; ++h)
        table[static_cast<std::size_t>(h)] = (h * kRampTop) / Heights::HighestRamp;
    table[Heights::Corridor] = kCorridor;
    table[Heights::Crossable] = kCrossable;
    table[Heights::FractionalRing] = kFractionalRing;
    table[Heights::Impassable] = kImpassable;
    return table;
}
inline constexpr std::array<double, 256> kTable = MakeTable();
}  // namespace HeightCosts

// The fixed cost of occupying a cell of height `height`.
inline double HeightCost(std::uint8_t height) { return HeightCosts::kTable[height]; }

// The grid as the search reads it: one pointer per column, all columns
// `rows` long.
struct SearchGrid {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::vector<const std::uint8_t*> heights;
};

// The most cells a searched grid may have: the open list packs a pixel and a
// chain's length into 32 bits each. The cost table alone would take 16 GiB.
inline constexpr std::int64_t kMostSearchableCells = std::int64_t{1} << 31;

// Throws std::invalid_argument when columns x rows exceeds
// kMostSearchableCells.
void RequireSearchableCellCount(std::int32_t columns, std::int32_t rows);

// Throws std::invalid_argument for a ragged terrain, counts beyond 32 bits or
// more than 2^31 cells; no value for a terrain without columns or with empty
// columns (nothing to seed or no end to pick).
std::optional<SearchGrid> MakeSearchGrid(const Terrain& terrain);

// The cheapest cost found per cell, flat, index x * rows + y.
struct CostTable {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::vector<double> costs;
};

inline std::size_t CellIndex(const CostTable& table, std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(table.rows) + static_cast<std::size_t>(y);
}

// Penalties below zero can form a cycle of negative cost, which would lower
// the table without end. Three tests prove such a cycle, and none can fire
// without one (q is the most negative penalty seen, at most 0):
// - A chain that visits no cell twice has at most `cellCount` cells, each
//   adding at least 1 + q (step >= 1, height cost >= 0, penalty >= q), so no
//   stored cost can fall below `costFloor` = cellCount x min(0, 1 + q).
// - Every stored cost is that of a chain whose length the open list carries
//   along (Filing::cells). A chain longer than `cellCount` cells passes some
//   cell twice, and since a cell's cost only ever drops, the loop between
//   the two visits lowered that cell's cost: a negative cycle. This test
//   fires within cellCount steps along the loop, where the floor alone could
//   need as many rounds as the costs' magnitude divided by the loop's gain.
// - Split a chain into consecutive pairs of cells (a, b), joined by a step
//   of length L. Going a -> b -> a is a cycle of cost 2 L + n(a) + n(b),
//   where n(c) is c's height cost plus penalty; without a negative cycle it
//   is at least 0, so the pair adds s + n(a) + L + n(b) >= s - L >= 1 -
//   sqrt(2) to the chain (s, the step into a, is at least 1). An odd last
//   cell adds at least 1 + q. So a chain of m cells costs at least
//   min(0, 1 + q) - m (sqrt(2) - 1) / 2, less the rounding of its 3 m sums.
//   This bound grows with the chain, not the grid. It matters when the
//   penalties dwarf the steps: then the costs lose the steps in rounding,
//   whole grids of cells share one key, and the tests above would take a
//   pass over the grid for every cell the chains grow by.
struct PenaltyGuard {
    double cellCount = 0.0;
    double mostNegative = 0.0;
    double costFloor = 0.0;
    double lastCellFloor = 0.0;  // min(0, 1 + mostNegative)
};

// The most a chain may lose per cell without a negative cycle.
inline constexpr double kLossPerCell = (kDiagonalStep - kStraightStep) / 2.0;

// True when no chain of `cells` cells can cost `cost` unless the penalties
// form a negative cycle. Rounding: each of the chain's 3 x cells additions
// is off by at most 2^-53 of its result, and no result exceeds 2e9 + 4 + |q|
// + cells in magnitude (the cost extended and the height cost are each below
// 1e9, and a chain that passed this test costs no less than about -(|q| +
// cells)); the margin allows 2^-48 of that per addition, ten times as much.
inline bool BelowEveryAcyclicChain(double cost, std::uint64_t cells, const PenaltyGuard& guard) {
    if (!(cost < 0.0)) return false;
    const double m = static_cast<double>(cells);
    const double margin = m * 0x1p-48 * (2e9 + 4.0 - guard.mostNegative + m);
    return cost < guard.lastCellFloor - kLossPerCell * m - margin;
}

// Rejects a NaN penalty, and one so negative that the floor is not finite
// (the cycle test would be blind); otherwise records it.
void RecordUnusualPenalty(double penalty, const Pixel& pixel, PenaltyGuard& guard);
[[noreturn]] void ThrowNegativeCycle(const Pixel& pixel);

// Calls the host's penalty; the common case (not NaN, not a new minimum)
// costs a single comparison.
inline double CallPixelCost(const PixelCostFunction& pixelCost, const Pixel& pixel, PenaltyGuard& guard) {
    const double penalty = pixelCost(pixel);
    if (!(penalty >= guard.mostNegative)) RecordUnusualPenalty(penalty, pixel, guard);
    return penalty;
}

// Everything an expansion reads and writes except the open list.
struct SearchState {
    const SearchGrid& grid;
    const PixelCostFunction& pixelCost;
    CostTable table;
    double bound = kAcceptanceLimit;
    PenaltyGuard penalties;
    std::uint64_t cellCount = 0;
};

// A fresh state: every cell unreached.
SearchState StartSearch(const SearchGrid& grid, const PixelCostFunction& pixelCost);

// Seeding: prices every cell of column 0 in row order, stores its cost and
// files it with `file(filing, g, f)`, whatever its cost and the bound.
template <class File>
void SeedFirstColumn(SearchState& state, File&& file) {
    const double columnsLeft = static_cast<double>(state.grid.columns - 1);
    const std::uint8_t* heights = state.grid.heights[0];
    for (std::int32_t y = 0; y < state.grid.rows; ++y) {
        const Pixel pixel{0, y};
        const double penalty = CallPixelCost(state.pixelCost, pixel, state.penalties);
        const double cost = penalty + (HeightCost(heights[y]) + kStraightStep);
        state.table.costs[static_cast<std::size_t>(y)] = cost;
        file(Filing{pixel, 1}, cost, columnsLeft + cost);
    }
}

// PositiveModulo(row, rows) for a row at most one step off the grid, without
// a division.
inline std::int32_t WrapAdjacentRow(std::int32_t row, std::int32_t rows) {
    if (row < 0) return row + rows;
    return row >= rows ? row - rows : row;
}

// A column next to the expanded pixel: its table and height lines.
struct NeighbourColumn {
    std::int32_t x;
    double* costs;
    const std::uint8_t* heights;
};

// One neighbour (column.x, ny) of `from`, a step of `length` away: prices it
// unless its stored cost is already at most `g`, stores a cheaper candidate,
// files it with `file(filing, c, f)` when it beats the bound, and lowers the
// bound on the last column.
template <class File>
void RelaxNeighbour(SearchState& state, const Filing& from, double g, const NeighbourColumn& column, std::int32_t ny,
                    double length, File& file) {
    double& stored = column.costs[ny];
    if (!(stored > g)) return;
    const Pixel neighbour{column.x, ny};
    const double penalty = CallPixelCost(state.pixelCost, neighbour, state.penalties);
    const double cost = (HeightCost(column.heights[ny]) + (g + length)) + penalty;
    if (!(stored > cost)) return;
    if (cost < state.penalties.costFloor || from.cells >= state.cellCount ||
        BelowEveryAcyclicChain(cost, from.cells + 1, state.penalties))
        ThrowNegativeCycle(neighbour);
    stored = cost;
    if (!(state.bound > cost)) return;
    const std::int32_t lastColumn = state.grid.columns - 1;
    file(Filing{neighbour, from.cells + 1}, cost, static_cast<double>(lastColumn - column.x) + cost);
    if (column.x == lastColumn) state.bound = cost;
}

// Examines the eight neighbours of `from`, expanded with accumulated cost
// `g`, column by column from the left and top to bottom within a column:
// (-1, -1), (-1, 0), (-1, 1), (0, -1), (0, 1), (1, -1), (1, 0), (1, 1).
// Every test reads the table as it is at that moment, so on grids of one or
// two rows a cell met twice is examined twice. Each column's table and height
// lines are looked up once.
template <class File>
void RelaxNeighbours(SearchState& state, const Filing& from, double g, File&& file) {
    const Pixel& pixel = from.pixel;
    const std::int32_t rows = state.grid.rows;
    const std::int32_t above = WrapAdjacentRow(pixel.y - 1, rows);
    const std::int32_t below = WrapAdjacentRow(pixel.y + 1, rows);
    const std::int32_t last = std::min(pixel.x + 1, state.grid.columns - 1);
    for (std::int32_t nx = std::max(pixel.x - 1, 0); nx <= last; ++nx) {
        const NeighbourColumn column{nx, &state.table.costs[CellIndex(state.table, nx, 0)],
                                     state.grid.heights[static_cast<std::size_t>(nx)]};
        // Up and down are straight steps in the pixel's own column,
        // diagonal ones beside it.
        const double vertical = nx == pixel.x ? kStraightStep : kDiagonalStep;
        RelaxNeighbour(state, from, g, column, above, vertical, file);
        if (nx != pixel.x) RelaxNeighbour(state, from, g, column, pixel.y, kStraightStep, file);
        RelaxNeighbour(state, from, g, column, below, vertical, file);
    }
}

// Takes the cheapest key off the non-empty open list and expands its pixels
// in ascending pixel order, all with the key's g; empties the list instead
// when the key's f exceeds the bound. `batch` is scratch space.
void ExpandCheapestEntry(SearchState& state, OpenList& open, std::vector<Filing>& batch);

// Fills the cost table: seeds column 0, then expands the cheapest open entry
// until the open list is empty or cannot beat the bound. `largeLevel` is the
// open list's (tests lower it).
CostTable BuildCostTable(const SearchGrid& grid, const PixelCostFunction& pixelCost,
                         std::size_t largeLevel = kLargeLevel);

// The cheapest cost of the last column.
double CheapestLastColumnCost(const CostTable& table);

// Among the last-column rows costing exactly `cheapest`, the one nearest to
// the wrap seam (distance min(i, rows - i)); the smaller row on a tie.
std::int32_t ChooseEndRow(const CostTable& table, double cheapest);

// Walks from (last column, endRow) to column 0 by steepest descent of the
// table, end cell first, rows unwrapped. Stops early, before a cell (column,
// wrapped row) would be appended a second time, which only penalties below
// zero can cause. Throws std::invalid_argument if an unwrapped row would
// leave the 32-bit range.
std::vector<Pixel> BacktracePixelPath(std::int32_t endRow, const CostTable& table);

// Lowers every row by `rows` when both ends lie beyond the middle row.
void NormalizeRows(std::vector<Pixel>& path, std::int32_t rows);

// Everything after the search proper: the end row and its log line, the
// backtrace, its reversal and normalisation; no value when no chain beats the
// acceptance limit.
std::optional<std::vector<Pixel>> PixelPathFromCostTable(const CostTable& table);

}  // namespace Zalvo::Detail
