#include "ReferenceSearch.h"

#include "search/ShortestPath.h"
#include "support/Printers.h"

#include <map>
#include <utility>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using namespace Zalvo::Detail;

// The relaxation as the rules state it: the eight neighbours column by column,
// top to bottom, every index computed afresh.
template <class File>
void LiteralRelaxNeighbours(SearchState& state, const Filing& from, double g, File&& file) {
    const std::int32_t columns = state.grid.columns;
    for (std::int32_t dx = -1; dx <= 1; ++dx) {
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            const std::int32_t nx = from.pixel.x + dx;
            if ((dx == 0 && dy == 0) || nx < 0 || nx >= columns) continue;
            const std::int32_t ny = Zalvo::PositiveModulo(from.pixel.y + dy, state.grid.rows);
            double& stored = state.table.costs[CellIndex(state.table, nx, ny)];
            if (!(stored > g)) continue;
            const Pixel neighbour{nx, ny};
            const double penalty = CallPixelCost(state.pixelCost, neighbour, state.penalties);
            const double step = dx != 0 && dy != 0 ? kDiagonalStep : kStraightStep;
            const double cost =
                (HeightCost(state.grid.heights[static_cast<std::size_t>(nx)][ny]) + (g + step)) + penalty;
            if (!(stored > cost)) continue;
            if (cost < state.penalties.costFloor || from.cells >= state.cellCount ||
                BelowEveryAcyclicChain(cost, from.cells + 1, state.penalties))
                ThrowNegativeCycle(neighbour);
            stored = cost;
            if (!(state.bound > cost)) continue;
            file(Filing{neighbour, from.cells + 1}, cost, static_cast<double>(columns - 1 - nx) + cost);
            if (nx == columns - 1) state.bound = cost;
        }
    }
}

struct Key {
    double g;
    double f;
};

// Smaller f first, then the larger g; equivalent keys are those whose doubles compare equal.
struct KeyOrder {
    bool operator()(const Key& a, const Key& b) const { return a.f < b.f || (a.f == b.f && a.g > b.g); }
};

// Per key, its pixels in pixel order, each with its chain's length.
using OrderedOpenList = std::map<Key, std::map<Pixel, std::uint64_t>, KeyOrder>;

}  // namespace

std::optional<std::vector<Pixel>> ReferenceFindShortestPixelPath(const Zalvo::Terrain& terrain,
                                                                 const Zalvo::PixelCostFunction& pixelCost) {
    const std::optional<SearchGrid> grid = MakeSearchGrid(terrain);
    if (!grid) return std::nullopt;
    SearchState state = StartSearch(*grid, pixelCost);
    OrderedOpenList open;
    const auto file = [&open](const Filing& filing, double g, double f) {
        open[Key{g, f}].emplace(filing.pixel, filing.cells);
    };
    SeedFirstColumn(state, file);
    state.bound = kAcceptanceLimit;
    while (!open.empty() && !(open.begin()->first.f > state.bound)) {
        const Key key = open.begin()->first;
        const auto pixels = std::move(open.begin()->second);
        open.erase(open.begin());
        for (const auto& [pixel, cells] : pixels) LiteralRelaxNeighbours(state, Filing{pixel, cells}, key.g, file);
    }
    return PixelPathFromCostTable(state.table);
}

}  // namespace ZalvoTest
