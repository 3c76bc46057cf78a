#include "Grids.h"

#include "cells/Cells.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace ZalvoCompare {
namespace {

constexpr std::uint8_t Blocked = 255;
constexpr std::int32_t RampWidth = 24;
constexpr std::int32_t MinimumBlobRadius = 3;
constexpr std::int32_t BlobRadiusSpread = 18;

std::int32_t Draw(std::mt19937_64& random, std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(random() % static_cast<std::uint64_t>(high - low + 1));
}

// Stamps discs of 255 at random centres until a tenth of the cells is blocked.
void PlaceBlobs(Zalvo::Terrain& terrain, std::int32_t rows, std::uint64_t seed) {
    const auto columns = static_cast<std::int32_t>(terrain.size());
    const std::int64_t wanted = static_cast<std::int64_t>(columns) * rows / 10;
    std::int64_t blocked = 0;
    std::mt19937_64 random(seed);
    while (blocked < wanted) {
        const std::int32_t cx = Draw(random, 0, columns - 1);
        const std::int32_t cy = Draw(random, 0, rows - 1);
        const std::int32_t radius = Draw(random, MinimumBlobRadius, MinimumBlobRadius + BlobRadiusSpread);
        for (std::int32_t dx = -radius; dx <= radius; ++dx) {
            const std::int32_t x = cx + dx;
            if (x < 0 || x >= columns) continue;
            for (std::int32_t dy = -radius; dy <= radius; ++dy) {
                if (dx * dx + dy * dy > radius * radius) continue;
                std::uint8_t& cell = terrain[static_cast<std::size_t>(x)]
                                            [static_cast<std::size_t>(Zalvo::PositiveModulo(cy + dy, rows))];
                if (cell != Blocked) {
                    cell = Blocked;
                    ++blocked;
                }
            }
        }
    }
}

// Gives every cell within RampWidth eight-neighbour steps of a blob the ramp
// height of its distance: 251 next to the blob, falling linearly outwards.
void RaiseRamps(Zalvo::Terrain& terrain, std::int32_t rows) {
    const auto columns = static_cast<std::int32_t>(terrain.size());
    std::vector<Zalvo::Pixel> front;
    for (std::int32_t x = 0; x < columns; ++x)
        for (std::int32_t y = 0; y < rows; ++y)
            if (terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] == Blocked) front.push_back({x, y});
    std::vector<Zalvo::Pixel> next;
    for (std::int32_t distance = 1; distance <= RampWidth && !front.empty(); ++distance) {
        const auto height = static_cast<std::uint8_t>(251 * (RampWidth - distance + 1) / RampWidth);
        next.clear();
        for (const Zalvo::Pixel& p : front) {
            for (std::int32_t x = std::max(p.x - 1, 0); x <= std::min(p.x + 1, columns - 1); ++x) {
                for (std::int32_t dy = -1; dy <= 1; ++dy) {
                    const std::int32_t y = Zalvo::PositiveModulo(p.y + dy, rows);
                    std::uint8_t& cell = terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
                    if (cell != 0) continue;
                    cell = height;
                    next.push_back({x, y});
                }
            }
        }
        front.swap(next);
    }
}

}  // namespace

const std::array<double, 256>& HeightCostTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> costs{};
        for (int h = 0; h <= 251; ++h) costs[static_cast<std::size_t>(h)] = h * 30.0 / 251.0;
        costs[252] = 30.0;
        costs[253] = 100.0;
        costs[254] = 10'000'000.0;
        costs[255] = 1'000'000'000.0;
        return costs;
    }();
    return table;
}

Zalvo::Terrain MakeRampTerrain(std::int32_t columns, std::int32_t rows, std::uint64_t seed) {
    if (columns < 1 || rows < 1) throw std::invalid_argument("a generated grid needs at least one cell");
    Zalvo::Terrain terrain(static_cast<std::size_t>(columns),
                           std::vector<std::uint8_t>(static_cast<std::size_t>(rows), 0));
    PlaceBlobs(terrain, rows, seed);
    RaiseRamps(terrain, rows);
    return terrain;
}

std::vector<std::uint8_t> Flatten(const Zalvo::Terrain& terrain) {
    std::vector<std::uint8_t> flat;
    flat.reserve(terrain.size() * (terrain.empty() ? 0 : terrain.front().size()));
    for (const auto& column : terrain) flat.insert(flat.end(), column.begin(), column.end());
    return flat;
}

void WriteHeights(const Zalvo::Terrain& terrain, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& column : terrain)
        out.write(reinterpret_cast<const char*>(column.data()), static_cast<std::streamsize>(column.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace ZalvoCompare
