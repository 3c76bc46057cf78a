// The cheapest-line search written as plainly as it is defined: an ordered
// map from keys to ordered pixel sets as the open list, and the neighbours
// relaxed one step-table entry at a time. It shares with the library the
// prices, the penalty checks, the end row and the backtrace, so comparing
// the two checks the open list and the relaxation the library uses for
// speed. Free of any test framework: the comparison benchmark compiles it
// too.
#pragma once

#include <zalvo/zalvo.h>

#include <optional>
#include <vector>

namespace ZalvoTest {

// Same contract as Zalvo::FindShortestPixelPath.
std::optional<std::vector<Zalvo::Pixel>> ReferenceFindShortestPixelPath(const Zalvo::Terrain& terrain,
                                                                        const Zalvo::PixelCostFunction& pixelCost);

}  // namespace ZalvoTest
