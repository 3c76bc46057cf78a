#include "ExpansionReplay.h"

#include <algorithm>

namespace ZalvoCompare {
namespace {

using Zalvo::Pixel;
using Zalvo::Detail::Filing;
using Zalvo::Detail::SearchState;

// The library's prefetch of the next key's neighbourhood.
void PrefetchAround(const SearchState& state, const Pixel& pixel) {
    for (std::int32_t dx = -1; dx <= 1; ++dx) {
        const std::int32_t nx = pixel.x + dx;
        if (nx < 0 || nx >= state.grid.columns) continue;
        __builtin_prefetch(&state.table.costs[Zalvo::Detail::CellIndex(state.table, nx, pixel.y)]);
        __builtin_prefetch(state.grid.heights[static_cast<std::size_t>(nx)] + pixel.y);
    }
}

}  // namespace

// The loop of the library's ExpandCheapestEntry, step for step; the replay's
// penalty-call count, checked against the library's, shows that it is.
ExpansionRecord RecordExpansions(const Zalvo::Detail::SearchGrid& grid, const Zalvo::PixelCostFunction& pixelCost) {
    ExpansionRecord record;
    SearchState state = Zalvo::Detail::StartSearch(grid, pixelCost);
    Zalvo::Detail::OpenList open(grid.columns, grid.rows);
    Zalvo::Detail::SeedFirstColumn(state, [&open](const Filing& filing, double g, double) { open.File(filing, g); });
    state.bound = Zalvo::Detail::kAcceptanceLimit;
    const auto file = [&open, &state](const Filing& neighbour, double g, double f) {
        if (!(f > state.bound)) open.File(neighbour, g);
    };
    std::vector<Filing> batch;
    while (!open.IsEmpty() && !(open.PeekCheapest().f > state.bound)) {
        batch.clear();
        const double g = open.TakeCheapestKey(batch).g;
        std::sort(batch.begin(), batch.end(), [](const Filing& a, const Filing& b) { return a.pixel < b.pixel; });
        record.keys.push_back({g, record.pixels.size(), batch.size()});
        record.pixels.insert(record.pixels.end(), batch.begin(), batch.end());
        for (const Filing& filing : batch) Zalvo::Detail::RelaxNeighbours(state, filing, g, file);
    }
    return record;
}

std::size_t ReplayExpansions(const Zalvo::Detail::SearchGrid& grid, const Zalvo::PixelCostFunction& pixelCost,
                             const ExpansionRecord& record) {
    SearchState state = Zalvo::Detail::StartSearch(grid, pixelCost);
    const auto fileNothing = [](const Filing&, double, double) {};
    Zalvo::Detail::SeedFirstColumn(state, fileNothing);
    state.bound = Zalvo::Detail::kAcceptanceLimit;
    for (std::size_t k = 0; k < record.keys.size(); ++k) {
        const ExpansionRecord::Key& key = record.keys[k];
        if (k + 1 < record.keys.size()) PrefetchAround(state, record.pixels[record.keys[k + 1].firstPixel].pixel);
        for (std::size_t i = 0; i < key.pixelCount; ++i)
            Zalvo::Detail::RelaxNeighbours(state, record.pixels[key.firstPixel + i], key.g, fileNothing);
    }
    return state.table.costs.size();
}

}  // namespace ZalvoCompare
