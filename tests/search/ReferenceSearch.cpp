#include "ReferenceSearch.h"

#include "search/ShortestPath.h"
#include "support/Printers.h"

#include <array>
#include <map>
#include <utility>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using namespace Zalvo::Detail;

struct SearchStep {
    std::int32_t dx;
    std::int32_t dy;
    double length;
};

// The order in which an expansion examines the neighbours of a pixel.
constexpr std::array<SearchStep, 8> kSearchSteps{{
    {-1, -1, kDiagonalStep},
    {-1, 0, kStraightStep},
    {-1, 1, kDiagonalStep},
    {0, -1, kStraightStep},
    {0, 1, kStraightStep},
    {1, -1, kDiagonalStep},
    {1, 0, kStraightStep},
    {1, 1, kDiagonalStep},
}};

// The relaxation step by step as the rules state it, one neighbour at a time
// from the step table, with every index computed afresh; the library's
// column-by-column version must do exactly this.
template <class File>
void LiteralRelaxNeighbours(SearchState& state, const Filing& from, double g, File&& file) {
    const Pixel& pixel = from.pixel;
    const std::int32_t columns = state.grid.columns;
    for (const SearchStep& step : kSearchSteps) {
        const std::int32_t nx = pixel.x + step.dx;
        if (nx < 0 || nx >= columns) continue;
        const std::int32_t ny = Zalvo::PositiveModulo(pixel.y + step.dy, state.grid.rows);
        double& stored = state.table.costs[CellIndex(state.table, nx, ny)];
        if (!(stored > g)) continue;
        const Pixel neighbour{nx, ny};
        const double penalty = CallPixelCost(state.pixelCost, neighbour, state.penalties);
        const std::uint8_t height = state.grid.heights[static_cast<std::size_t>(nx)][ny];
        const double cost = (HeightCost(height) + (g + step.length)) + penalty;
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

struct Key {
    double g;
    double f;
};

// Smaller f first; for equal f the larger g (the chain that got further).
// Equivalent keys are exactly the keys whose two doubles compare equal.
struct KeyOrder {
    bool operator()(const Key& a, const Key& b) const { return a.f < b.f || (a.f == b.f && a.g > b.g); }
};

// The pixels of one key in pixel order, each with the length of its chain.
using PixelSet = std::map<Pixel, std::uint64_t>;
using OrderedOpenList = std::map<Key, PixelSet, KeyOrder>;

void File(OrderedOpenList& open, const Filing& filing, double g, double f) {
    open[Key{g, f}].emplace(filing.pixel, filing.cells);
}

void ExpandCheapestEntry(SearchState& state, OrderedOpenList& open) {
    const auto first = open.begin();
    const Key key = first->first;
    if (key.f > state.bound) {
        open.clear();
        return;
    }
    const PixelSet pixels = std::move(first->second);
    open.erase(first);
    for (const auto& [pixel, cells] : pixels)
        LiteralRelaxNeighbours(state, Filing{pixel, cells}, key.g,
                               [&open](const Filing& neighbour, double g, double f) { File(open, neighbour, g, f); });
}

CostTable BuildOrderedCostTable(const SearchGrid& grid, const Zalvo::PixelCostFunction& pixelCost) {
    SearchState state = StartSearch(grid, pixelCost);
    OrderedOpenList open;
    SeedFirstColumn(state, [&open](const Filing& filing, double g, double f) { File(open, filing, g, f); });
    state.bound = kAcceptanceLimit;
    while (!open.empty()) ExpandCheapestEntry(state, open);
    return std::move(state.table);
}

}  // namespace

std::optional<std::vector<Pixel>> ReferenceFindShortestPixelPath(const Zalvo::Terrain& terrain,
                                                                 const Zalvo::PixelCostFunction& pixelCost) {
    const std::optional<SearchGrid> grid = MakeSearchGrid(terrain);
    if (!grid) return std::nullopt;
    return PixelPathFromCostTable(BuildOrderedCostTable(*grid, pixelCost));
}

}  // namespace ZalvoTest
