// The cheapest-line search written as plainly as it is defined: an ordered
// map from keys to ordered pixel sets as the open list. It shares with the
// library everything but the open list (prices, penalty checks, neighbour
// relaxation, end row, backtrace), so comparing the two checks the open list
// the library uses for speed. Free of any test framework: the comparison
// benchmark compiles it too.
#pragma once

#include <zalvo/zalvo.h>

#include <optional>
#include <vector>

namespace ZalvoTest {

// Same contract as Zalvo::FindShortestPixelPath.
std::optional<std::vector<Zalvo::Pixel>> ReferenceFindShortestPixelPath(
    const Zalvo::Terrain& terrain, const Zalvo::PixelCostFunction& pixelCost);

}  // namespace ZalvoTest
