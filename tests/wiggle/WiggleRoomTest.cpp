// The whole room computation on small plates; its bad input is tested in
// tests/reliability.
#include "StretchMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

namespace Zalvo {
namespace {

// Rooms are written in field order: min column, max column, max row, min row,
// first stretch, end stretch, then the row (horizontal) or column (vertical).

std::vector<Pixel> Row(std::int32_t y, std::int32_t columns) {
    std::vector<Pixel> path;
    for (std::int32_t x = 0; x < columns; ++x) path.push_back({x, y});
    return path;
}

const Terrain kFreePlate(30, std::vector<std::uint8_t>(10, 0));

// One stretch up to column 28 and one for the last column share a band of a
// row count either way, so they form one horizontal room.
TEST(CalculateWiggleRoomTest, StraightPathOnAFreePlateIsOneRoom) {
    EXPECT_EQ(CalculateWiggleRoomAroundPixelPath(Row(5, 30), kFreePlate, 4, 3, 12, {}),
              (std::vector<WiggleRoom>{HorizontalRoom{0, 29, 15, -5, 0, 2, 5}}));
}

// The split at column 10 ends the first run; the two rooms meet, so the
// connection is cut from the wider one, a window of 12 columns.
TEST(CalculateWiggleRoomTest, SplitColumnBreaksTheRunAndTheRoomsAreConnected) {
    EXPECT_EQ(CalculateWiggleRoomAroundPixelPath(Row(5, 30), kFreePlate, 4, 3, 12, {10}),
              (std::vector<WiggleRoom>{HorizontalRoom{0, 28, 15, -5, 0, 1, 5}, VerticalRoom{16, 28, 15, -5, 0, 1, 22},
                                       HorizontalRoom{29, 29, 15, -5, 1, 2, 5}}));
}

}  // namespace
}  // namespace Zalvo
