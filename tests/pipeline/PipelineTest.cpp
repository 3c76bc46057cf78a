// The library's steps chained as a host chains them, on seeded random plates:
// what holds by construction must hold on every plate.
#include "pipeline/BlobPlate.h"
#include "support/Printers.h"
#include "wiggle/Stretches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <random>

namespace {

using namespace Zalvo;
using ZalvoTest::BlobPlate;

// True when the straight line from `a` to `b` meets a cell of 253 or above.
bool CrossesBlockingCell(const Terrain& terrain, const Pixel& a, const Pixel& b) {
    const std::int64_t steps = std::max(std::abs(std::int64_t{b.x} - a.x), std::abs(std::int64_t{b.y} - a.y));
    for (std::int64_t i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(i) / static_cast<double>(steps);
        const Pixel cell{static_cast<std::int32_t>(std::round(a.x + t * (b.x - a.x))),
                         static_cast<std::int32_t>(std::round(a.y + t * (b.y - a.y)))};
        if (GetHeight(terrain, cell) >= 253) return true;
    }
    return false;
}

void ExpectRoomsWellFormed(const std::vector<WiggleRoom>& rooms, std::int32_t stretchCount) {
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "room " << i);
        std::visit(
            [stretchCount](const auto& room) {
                EXPECT_LE(0, room.firstStretch);
                EXPECT_LE(room.firstStretch, room.endStretch);
                EXPECT_LE(room.endStretch, stretchCount);
            },
            rooms[i]);
        if (const auto* horizontal = std::get_if<HorizontalRoom>(&rooms[i])) {
            EXPECT_LE(horizontal->minRow, horizontal->row);
            EXPECT_LE(horizontal->row, horizontal->maxRow);
        } else if (const auto* vertical = std::get_if<VerticalRoom>(&rooms[i])) {
            EXPECT_LE(vertical->minColumn, vertical->column);
            EXPECT_LE(vertical->column, vertical->maxColumn);
        } else {
            EXPECT_FALSE(std::get<NoRoom>(rooms[i]).pixels.empty());
        }
    }
}

// Both row adjustments change nothing but horizontal rows, and a base margin
// of zero or more keeps every row inside its room's band.
void ExpectOnlyRowsChanged(const std::vector<WiggleRoom>& before, std::vector<WiggleRoom> after, bool rowsInBand) {
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t index = 0; index < before.size(); ++index) {
        if (auto* room = std::get_if<HorizontalRoom>(&after[index])) {
            if (rowsInBand) {
                EXPECT_LE(room->minRow, room->row) << index;
                EXPECT_LE(room->row, room->maxRow) << index;
            }
            room->row = std::get<HorizontalRoom>(before[index]).row;
        }
        EXPECT_EQ(after[index], before[index]) << index;
    }
}

void ExpectAdjustmentsChangeOnlyRows(const std::vector<WiggleRoom>& rooms, const std::vector<Pixel>& path,
                                     std::mt19937& random) {
    const auto draw = [&random](std::int32_t low, std::int32_t high) {
        return low + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(high - low + 1));
    };
    const std::int32_t existing = draw(0, 4), wanted = draw(0, 6), radius = draw(0, 12);
    const std::int32_t minimumWidth = draw(0, 6), lineWidth = draw(1, 5);
    const bool rowsInBand = (lineWidth + 1) / 2 - existing + wanted >= 0;
    ExpectOnlyRowsChanged(
        rooms,
        AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, path, existing, wanted, radius, minimumWidth, lineWidth),
        rowsInBand);
    ExpectOnlyRowsChanged(
        rooms,
        AdjustHorizontalRoomRowsForPreferringStagger(rooms, path, existing, wanted, radius, minimumWidth, lineWidth),
        rowsInBand);
}

TEST(PipelineTest, RandomPlatesGiveWellFormedRoomsAndSparsePaths) {
    constexpr std::uint32_t Plates = 200;
    std::size_t pieces = 0;
    std::size_t blockedPieces = 0;
    std::size_t paths = 0;
    std::size_t blockedPaths = 0;  // input paths that themselves cross content
    std::ptrdiff_t horizontalRooms = 0;
    const PixelCostFunction noCost = [](const Pixel&) { return 0.0; };
    const ShiftPenaltyFunction shiftPenalty = [](std::int32_t shift) { return 0.5 * shift; };
    for (std::uint32_t seed = 1; seed <= Plates; ++seed) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        const auto columns = std::uniform_int_distribution<std::int32_t>(30, 120)(random);
        const auto rows = std::uniform_int_distribution<std::int32_t>(15, 60)(random);
        const BlobPlate plate(columns, rows, seed);
        const Terrain terrain = CreateTerrain(
            plate, [&plate](const Pixel& p) { return plate.IsImpassable(p); }, {}, MilliPoints(2000.0),
            MilliPoints(6000.0));
        const auto found = FindShortestPixelPath(terrain, noCost);
        if (!found) continue;
        const auto [up, down] = OptimizePixelPath(*found, 1, terrain, noCost, shiftPenalty);
        const std::vector<std::int32_t> splits{columns / 2};
        for (const auto* path : {&*found, &up, &down}) {
            ++paths;
            if (std::any_of(path->begin(), path->end(), [&](const Pixel& p) { return GetHeight(terrain, p) >= 253; }))
                ++blockedPaths;
            const auto rooms = CalculateWiggleRoomAroundPixelPath(*path, terrain, 4, 3, 12,
                                                                  seed % 2 == 0 ? splits : std::vector<std::int32_t>{});
            const auto stretchCount = static_cast<std::int32_t>(Detail::BuildStretches(*path, terrain).size());
            ExpectRoomsWellFormed(rooms, stretchCount);
            ExpectAdjustmentsChangeOnlyRows(rooms, *path, random);
            horizontalRooms += std::count_if(rooms.begin(), rooms.end(), [](const WiggleRoom& room) {
                return std::holds_alternative<HorizontalRoom>(room);
            });
            const auto sparse = CalculateSparsePixelPathThroughWiggleRooms(rooms);
            EXPECT_FALSE(sparse.empty());
            for (std::size_t i = 1; i < sparse.size(); ++i) {
                ++pieces;
                if (CrossesBlockingCell(terrain, sparse[i - 1], sparse[i])) ++blockedPieces;
            }
        }
    }
    EXPECT_GE(paths, 2 * Plates);     // most plates have a line across
    EXPECT_GT(horizontalRooms, 200);  // the row adjustments had rooms to adjust
    std::cout << "[ pipeline ] " << paths << " paths (" << blockedPaths << " crossing content themselves), " << pieces
              << " straight pieces, " << blockedPieces << " through a blocking cell\n";
    RecordProperty("BlockedPieces", static_cast<int>(blockedPieces));
}

}  // namespace
