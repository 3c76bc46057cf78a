#include "ReferenceErosion.h"
#include "support/Printers.h"

#include <algorithm>
#include <cstddef>

namespace ZalvoTest {

using Zalvo::Pixel;
using Zalvo::Terrain;

namespace {

// Clamped columns and wrapped rows may name the cell itself; it is below the
// threshold whenever this is asked, so reading it does no harm.
bool HasNeighbourAtLeast(const Terrain& terrain, std::size_t x, std::size_t y, std::uint8_t threshold) {
    const std::size_t rows = terrain.front().size();
    const std::size_t columns[3] = {x == 0 ? 0 : x - 1, x, std::min(x + 1, terrain.size() - 1)};
    const std::size_t neighbourRows[3] = {y == 0 ? rows - 1 : y - 1, y, y + 1 == rows ? 0 : y + 1};
    for (const std::size_t nx : columns)
        for (const std::size_t ny : neighbourRows)
            if (terrain[nx][ny] >= threshold) return true;
    return false;
}

void SetAll(Terrain& terrain, const std::vector<Pixel>& pixels, std::uint8_t height) {
    for (const Pixel& p : pixels) terrain[static_cast<std::size_t>(p.x)][static_cast<std::size_t>(p.y)] = height;
}

}  // namespace

void FindBorderPixels(const Terrain& terrain, std::uint8_t threshold, std::vector<Pixel>& result) {
    result.clear();
    if (terrain.empty()) return;
    const std::size_t rows = terrain.front().size();
    for (std::size_t x = 0; x < terrain.size(); ++x) {
        for (std::size_t y = 0; y < rows; ++y) {
            if (terrain[x][y] < threshold && HasNeighbourAtLeast(terrain, x, y, threshold))
                result.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
        }
    }
}

void ReferenceErodeTerrain(Terrain& terrain, const std::vector<std::uint8_t>& profile) {
    std::vector<Pixel> border;
    for (const std::uint8_t h : profile) {
        if (h < 254) {
            FindBorderPixels(terrain, 1, border);
            SetAll(terrain, border, h);
        } else {
            FindBorderPixels(terrain, 253, border);
            SetAll(terrain, border, 253);
            FindBorderPixels(terrain, 254, border);
            SetAll(terrain, border, h);
        }
    }
}

}  // namespace ZalvoTest
