#include "terrain/Corridors.h"

#include "cells/Cells.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <span>

namespace Zalvo::Detail {

namespace {

struct Offset {
    std::int32_t dx;
    std::int32_t dy;
};

// The 5 x 5 block around a cell without the cell, ordered so that adding six
// positions turns an offset a quarter turn.
constexpr std::array<Offset, 24> kRing{{
    {0, -2}, {0, -1}, {1, -2}, {1, -1}, {2, -2}, {2, -1}, {2, 0},  {1, 0},  {2, 1},   {1, 1},   {2, 2},   {1, 2},
    {0, 2},  {0, 1},  {-1, 2}, {-1, 1}, {-2, 2}, {-2, 1}, {-2, 0}, {-1, 0}, {-2, -1}, {-1, -1}, {-2, -2}, {-1, -2},
}};

constexpr std::size_t kQuarterTurn = 6;

// Which positions of kRing hold a corridor cell.
using RingCells = std::bitset<kRing.size()>;

struct Shape {
    std::array<std::size_t, 6> positions;
    std::size_t size;
};

// In rotation 0: straight, crossing, branch, diagonal.
constexpr std::array<Shape, 4> kShapes{{
    {{6, 7}, 2},
    {{2, 3, 6, 7, 9, 11}, 6},
    {{4, 5, 6, 7, 8, 10}, 6},
    {{3, 4}, 2},
}};

bool MatchesShape(const RingCells& corridor, const Shape& shape, std::size_t turn) {
    const std::span<const std::size_t> positions(shape.positions.data(), shape.size);
    return std::all_of(positions.begin(), positions.end(),
                       [&](std::size_t position) { return corridor[(position + turn) % kRing.size()]; });
}

// A terrain made from a plate has at most 2^24 rows, so its row count and a
// row one or two steps off the grid fit 32 bits.
std::int32_t RowCountOfPlate(const Terrain& terrain) { return static_cast<std::int32_t>(RowCount(terrain)); }

// The height of an in-grid pixel, const or not with the terrain.
template <class Grid>
auto& CellAt(Grid& terrain, const Pixel& pixel) {
    return terrain[static_cast<std::size_t>(pixel.x)][static_cast<std::size_t>(pixel.y)];
}

std::vector<Pixel> PlantSeeds(Terrain& terrain, const std::set<Pixel>& corridorSeeds) {
    std::vector<Pixel> frontier;
    const std::int64_t columns = static_cast<std::int64_t>(terrain.size());
    const std::int64_t rows = RowCountOfPlate(terrain);
    if (rows == 0) return frontier;  // row -1 would name a row that does not exist
    for (const Pixel& seed : corridorSeeds) {
        if (seed.x < 0 || seed.x >= columns || seed.y < -1 || seed.y >= rows) continue;
        const Pixel cell{seed.x, seed.y == -1 ? static_cast<std::int32_t>(rows - 1) : seed.y};
        if (!BlocksLine(CellAt(terrain, cell))) continue;
        CellAt(terrain, cell) = Heights::Corridor;
        frontier.push_back(cell);
    }
    return frontier;
}

// The cells the frontier grows into, in pixel order, each once.
std::vector<Pixel> FindCandidates(const Terrain& terrain, const std::vector<Pixel>& frontier) {
    const std::int64_t columns = static_cast<std::int64_t>(terrain.size());
    const std::int32_t rows = RowCountOfPlate(terrain);
    std::vector<Pixel> candidates;
    for (const Pixel& cell : frontier) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            const std::int64_t x = std::int64_t{cell.x} + dx;
            if (x < 0 || x >= columns) continue;
            for (std::int32_t dy = -1; dy <= 1; ++dy) {
                if (dx == 0 && dy == 0) continue;
                const Pixel neighbour{static_cast<std::int32_t>(x), PositiveModulo(cell.y + dy, rows)};
                if (BlocksLine(CellAt(terrain, neighbour)) && IsCorridorShape(terrain, neighbour))
                    candidates.push_back(neighbour);
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    return candidates;
}

std::uint64_t LeadingBlockedEntries(const std::vector<std::uint8_t>& profile) {
    const auto end =
        std::find_if(profile.begin(), profile.end(), [](std::uint8_t entry) { return !BlocksLine(entry); });
    return static_cast<std::uint64_t>(end - profile.begin());
}

}  // namespace

bool IsCorridorShape(const Terrain& terrain, const Pixel& pixel) {
    const std::int64_t lastColumn = static_cast<std::int64_t>(terrain.size()) - 1;
    const std::int32_t rows = RowCountOfPlate(terrain);
    RingCells corridor;
    for (std::size_t position = 0; position < kRing.size(); ++position) {
        const std::int64_t x = std::clamp<std::int64_t>(std::int64_t{pixel.x} + kRing[position].dx, 0, lastColumn);
        const std::int32_t y = PositiveModulo(pixel.y + kRing[position].dy, rows);
        corridor[position] = CellAt(terrain, {static_cast<std::int32_t>(x), y}) == Heights::Corridor;
    }
    const std::size_t count = corridor.count();
    for (const Shape& shape : kShapes) {
        if (shape.size != count) continue;
        for (std::size_t turn = 0; turn < kRing.size(); turn += kQuarterTurn)
            if (MatchesShape(corridor, shape, turn)) return true;
    }
    return false;
}

void CarveCorridors(Terrain& terrain, const std::set<Pixel>& corridorSeeds, const std::vector<std::uint8_t>& profile) {
    std::vector<Pixel> frontier = PlantSeeds(terrain, corridorSeeds);
    const std::uint64_t steps = LeadingBlockedEntries(profile);
    for (std::uint64_t step = 0; step < steps && !frontier.empty(); ++step) {
        frontier = FindCandidates(terrain, frontier);
        for (const Pixel& cell : frontier) CellAt(terrain, cell) = Heights::Corridor;
    }
}

}  // namespace Zalvo::Detail
