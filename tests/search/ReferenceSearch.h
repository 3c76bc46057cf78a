// The cheapest-line search as plainly as it is defined: an ordered map of keys to pixel sets as the open list,
// neighbours relaxed one at a time. It shares the prices, penalty checks, end row and backtrace with the
// library, so comparing them checks the library's open list and relaxation. The benchmarks compile it too.
#pragma once

#include <zalvo/zalvo.h>

#include <optional>
#include <vector>

namespace ZalvoTest {

// Same contract as Zalvo::FindShortestPixelPath.
std::optional<std::vector<Zalvo::Pixel>> ReferenceFindShortestPixelPath(const Zalvo::Terrain& terrain,
                                                                        const Zalvo::PixelCostFunction& pixelCost);

}  // namespace ZalvoTest
