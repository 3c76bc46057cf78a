// Corridor carving: lines of 252 grown from the host's seed pixels through
// blocked cells (253 and above), one cell wide.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <set>
#include <vector>

namespace Zalvo::Detail {

// Turns every usable seed into 252, then grows the corridors one cell per
// step for as many steps as the profile has leading entries of 253 or more.
//
// A seed is usable when its column lies on the grid, its row in -1 .. rows - 1
// (-1 standing for the last row; other rows are not wrapped) and its cell is
// 253 or more. A terrain without rows uses no seed.
//
// Each step takes the eight neighbours of the cells that became corridor in
// the previous step (columns bounded, rows wrapped) that are 253 or more and
// pass IsCorridorShape, tests them all on the terrain as the step found it,
// and writes them in pixel order. Stops early once no cell was added.
void CarveCorridors(Terrain& terrain, const std::set<Pixel>& corridorSeeds, const std::vector<std::uint8_t>& profile);

// True when the corridor cells (252) among the 24 cells of the 5 x 5 block
// around `pixel` form one of the 16 arrangements that let a corridor extend
// into `pixel`: a straight or diagonal end of two cells, or a line of five
// crossing or branching off, each in four quarter turns. Columns outside the
// grid are clamped to the border column (which is then read repeatedly),
// rows wrap. `pixel` must lie on a grid with rows.
bool IsCorridorShape(const Terrain& terrain, const Pixel& pixel);

}  // namespace Zalvo::Detail
