#include "ReferenceErosion.h"

#include <algorithm>
#include <cstddef>

namespace ZalvoTest {
namespace {

// Sets every cell below `threshold` with an eight-neighbour of `threshold` or
// more to `height`, columns clamped and rows wrapped, all found before any is set.
void GrowRing(Zalvo::Terrain& terrain, std::uint8_t threshold, std::uint8_t height) {
    const std::size_t columns = terrain.size(), rows = terrain.front().size();
    std::vector<std::pair<std::size_t, std::size_t>> ring;
    for (std::size_t x = 0; x < columns; ++x) {
        for (std::size_t y = 0; y < rows; ++y) {
            if (terrain[x][y] >= threshold) continue;
            // A clamped column or wrapped row may name the cell itself, which is below the threshold.
            bool near = false;
            for (const std::size_t nx : {x == 0 ? 0 : x - 1, x, std::min(x + 1, columns - 1)})
                for (const std::size_t ny : {y == 0 ? rows - 1 : y - 1, y, y + 1 == rows ? 0 : y + 1})
                    near = near || terrain[nx][ny] >= threshold;
            if (near) ring.emplace_back(x, y);
        }
    }
    for (const auto& [x, y] : ring) terrain[x][y] = height;
}

}  // namespace

void ReferenceErodeTerrain(Zalvo::Terrain& terrain, const std::vector<std::uint8_t>& profile) {
    if (terrain.empty()) return;
    for (const std::uint8_t h : profile) {
        if (h < 254) {
            GrowRing(terrain, 1, h);
        } else {
            GrowRing(terrain, 253, 253);
            GrowRing(terrain, 254, h);
        }
    }
}

}  // namespace ZalvoTest
