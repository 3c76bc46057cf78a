// The generated inputs that every compared tool receives.
#pragma once

#include <zalvo/zalvo.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ZalvoCompare {

// The search's price of a cell height: ramps 0..251 cost h * 30 / 251,
// corridors 30, crossable content 100, the outermost margin ring 1e7 and
// impassable cells 1e9. Every alternative prices cells with this table, so
// their best costs are comparable with the library's.
const std::array<double, 256>& HeightCostTable();

// A plate-sized height grid: blobs of 255 covering a tenth of the cells (rows
// wrapping, like the search sees them) inside ramps that fall from 251 to 1
// over `rampWidth` cells, 0 elsewhere. The same seed gives the same grid.
Zalvo::Terrain MakeRampTerrain(std::int32_t columns, std::int32_t rows, std::uint64_t seed);

// The same grid as one array, column after column (index x * rows + y).
std::vector<std::uint8_t> Flatten(const Zalvo::Terrain& terrain);

// Writes the heights column after column as raw bytes, the layout that the
// scikit-image script reads back.
void WriteHeights(const Zalvo::Terrain& terrain, const std::string& path);

}  // namespace ZalvoCompare
