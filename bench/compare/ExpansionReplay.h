// The search's relaxations alone, in the order its open list hands out keys.
//
// The rules fix which keys the search expands and in what order, outdated
// ones included, and every expansion prices the same neighbours. Recording
// that sequence once and serving it again from a plain array leaves
// everything but the open list: the table, the seeding, the penalty calls
// and the relaxations. What the replay takes is therefore the least any open
// list could bring the search to on that plate.
#pragma once

#include "search/ShortestPath.h"

#include <cstddef>
#include <vector>

namespace ZalvoCompare {

// Every key a search took, with its pixels in the order they were expanded.
struct ExpansionRecord {
    struct Key {
        double g;
        std::size_t firstPixel;
        std::size_t pixelCount;
    };
    std::vector<Key> keys;
    std::vector<Zalvo::Detail::Filing> pixels;
};

// Runs the library's expansion loop with its open list on `grid` and records
// the keys it expands.
ExpansionRecord RecordExpansions(const Zalvo::Detail::SearchGrid& grid, const Zalvo::PixelCostFunction& pixelCost);

// Fills a cost table by expanding the recorded keys in order, with no open
// list: seeding, relaxations, penalty calls and the same prefetching as the
// library's. Returns the table's size, so that nothing is optimised away.
std::size_t ReplayExpansions(const Zalvo::Detail::SearchGrid& grid, const Zalvo::PixelCostFunction& pixelCost,
                             const ExpansionRecord& record);

}  // namespace ZalvoCompare
