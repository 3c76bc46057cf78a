#include "ReferenceSearch.h"

#include "search/ShortestPath.h"
#include "support/Printers.h"

#include <map>
#include <utility>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using namespace Zalvo::Detail;

struct Key {
    double g;
    double f;
};

// Smaller f first; for equal f the larger g (the chain that got further).
// Equivalent keys are exactly the keys whose two doubles compare equal.
struct KeyOrder {
    bool operator()(const Key& a, const Key& b) const {
        return a.f < b.f || (a.f == b.f && a.g > b.g);
    }
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
        RelaxNeighbours(state, Filing{pixel, cells}, key.g,
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

std::optional<std::vector<Pixel>> ReferenceFindShortestPixelPath(
    const Zalvo::Terrain& terrain, const Zalvo::PixelCostFunction& pixelCost) {
    const std::optional<SearchGrid> grid = MakeSearchGrid(terrain);
    if (!grid) return std::nullopt;
    return PixelPathFromCostTable(BuildOrderedCostTable(*grid, pixelCost));
}

}  // namespace ZalvoTest
