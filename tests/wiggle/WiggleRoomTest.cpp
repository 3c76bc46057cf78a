#include "StretchMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace Zalvo {
namespace {

using ZalvoTest::TerrainFromRows;

std::vector<Pixel> Row(std::int32_t y, std::int32_t columns) {
    std::vector<Pixel> path;
    for (std::int32_t x = 0; x < columns; ++x) path.push_back({x, y});
    return path;
}

Terrain FreePlate(std::size_t columns, std::size_t rows) {
    return Terrain(columns, std::vector<std::uint8_t>(rows, 0));
}

TEST(CalculateWiggleRoomTest, EmptyPathGivesNoRoomsWhateverTheTerrain) {
    EXPECT_TRUE(CalculateWiggleRoomAroundPixelPath({}, {}, 4, 3, 12, {}).empty());
}

// One stretch up to column 28 and one for the last column share a band of a
// row count either way, so they form one horizontal room.
TEST(CalculateWiggleRoomTest, StraightPathOnAFreePlateIsOneRoom) {
    const auto rooms = CalculateWiggleRoomAroundPixelPath(Row(5, 30), FreePlate(30, 10), 4, 3, 12, {});
    EXPECT_EQ(rooms, (std::vector<WiggleRoom>{HorizontalRoom{.minColumn = 0,
                                                             .maxColumn = 29,
                                                             .maxRow = 15,
                                                             .minRow = -5,
                                                             .firstStretch = 0,
                                                             .endStretch = 2,
                                                             .row = 5}}));
}

// The split at column 10 ends the first run; the two rooms meet, so the
// connection is cut from the wider one, a window of 12 columns.
TEST(CalculateWiggleRoomTest, SplitColumnBreaksTheRunAndTheRoomsAreConnected) {
    const auto rooms = CalculateWiggleRoomAroundPixelPath(Row(5, 30), FreePlate(30, 10), 4, 3, 12, {10});
    const std::vector<WiggleRoom> expected{
        HorizontalRoom{
            .minColumn = 0, .maxColumn = 28, .maxRow = 15, .minRow = -5, .firstStretch = 0, .endStretch = 1, .row = 5},
        VerticalRoom{.minColumn = 16,
                     .maxColumn = 28,
                     .maxRow = 15,
                     .minRow = -5,
                     .firstStretch = 0,
                     .endStretch = 1,
                     .column = 22},
        HorizontalRoom{.minColumn = 29,
                       .maxColumn = 29,
                       .maxRow = 15,
                       .minRow = -5,
                       .firstStretch = 1,
                       .endStretch = 2,
                       .row = 5}};
    EXPECT_EQ(rooms, expected);
}

struct BadInputCase {
    const char* name;
    Terrain terrain;
    std::vector<Pixel> path;
};

class CalculateWiggleRoomBadInputTest : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(CalculateWiggleRoomBadInputTest, IsRejectedBeforeAnyWork) {
    EXPECT_THROW(CalculateWiggleRoomAroundPixelPath(GetParam().path, GetParam().terrain, 4, 3, 12, {}),
                 std::invalid_argument);
}

constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(Cases, CalculateWiggleRoomBadInputTest,
                         ::testing::Values(BadInputCase{"NoColumns", {}, {{0, 0}}},
                                           BadInputCase{"EmptyFirstColumn", FreePlate(3, 0), {{0, 0}}},
                                           BadInputCase{"Ragged", Terrain{{0, 0}, {0}, {0, 0}}, {{0, 0}}},
                                           BadInputCase{"ColumnLeftOfThePlate", FreePlate(3, 4), {{0, 0}, {-1, 0}}},
                                           BadInputCase{"ColumnRightOfThePlate", FreePlate(3, 4), {{0, 0}, {3, 0}}},
                                           BadInputCase{"RowsAboveWouldOverflow", FreePlate(3, 4), {{0, Max32 - 3}}},
                                           BadInputCase{"RowsBelowWouldOverflow", FreePlate(3, 4), {{0, Min32 + 3}}}),
                         ZalvoTest::CaseName());

// Rows a row count away from the 32-bit limits still fit every bound.
TEST(CalculateWiggleRoomTest, ExtremeRowsThatFitAreHandled) {
    const Terrain terrain = TerrainFromRows({"....", "..#.", "....", "...."});
    for (const std::int32_t y : {Max32 - 4, Min32 + 4}) {
        const std::vector<Pixel> path{{0, y}, {1, y}, {2, y}, {3, y}};
        const auto rooms = CalculateWiggleRoomAroundPixelPath(path, terrain, 4, 3, 12, {});
        ASSERT_FALSE(rooms.empty()) << y;
        const auto* room = std::get_if<HorizontalRoom>(&rooms.front());
        ASSERT_NE(room, nullptr) << y;
        EXPECT_LE(room->minRow, y);
        EXPECT_GE(room->maxRow, y);
    }
}

}  // namespace
}  // namespace Zalvo
