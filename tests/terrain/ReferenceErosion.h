// The ring-by-ring erosion, one full scan of the grid per ring: the literal definition the library's erosion is
// checked and measured against. Free of any test framework so that benchmarks can compile it too.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <vector>

namespace ZalvoTest {

// Per entry h of `profile`, in order: below 254, the cells of 0 next to non-zero cells become h; otherwise the cells
// below 253 next to 253 or more become 253, and then the cells below 254 next to 254 or more become h. Every ring is
// found before any of it is written.
void ReferenceErodeTerrain(Zalvo::Terrain& terrain, const std::vector<std::uint8_t>& profile);

}  // namespace ZalvoTest
