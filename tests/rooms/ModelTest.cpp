#include "rooms/Model.h"

#include "rooms/RoomMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

namespace {

using Zalvo::Pixel;
using Zalvo::WiggleRoom;
using Zalvo::Detail::Box;
using namespace ZalvoTest;

struct EndsCase {
    std::string name;
    std::vector<WiggleRoom> rooms;
    std::size_t index;
    Pixel entry;
    Pixel exit;
    std::int32_t length;
};

// Room `index` of `rooms` enters at `entry`, leaves at `exit` and is `length` long.
EndsCase Ends(std::string name, std::vector<WiggleRoom> rooms, std::size_t index, Pixel entry, Pixel exit,
              std::int32_t length) {
    return {std::move(name), std::move(rooms), index, entry, exit, length};
}

class RoomEnds : public testing::TestWithParam<EndsCase> {};

TEST_P(RoomEnds, EntryExitAndLength) {
    const EndsCase& c = GetParam();
    EXPECT_EQ(Zalvo::Detail::RoomEntryPixel(c.rooms, c.index), c.entry);
    EXPECT_EQ(Zalvo::Detail::RoomExitPixel(c.rooms, c.index), c.exit);
    EXPECT_EQ(Zalvo::Detail::RoomLength(c.rooms, c.index), c.length);
}

const std::vector<Pixel> kDiagonal{{9, 5}, {10, 6}, {11, 9}};

INSTANTIATE_TEST_SUITE_P(
    Table, RoomEnds,
    testing::Values(
        Ends("LoneHorizontal", {Horizontal(2, 10, 8, 0, 5)}, 0, {2, 5}, {10, 5}, 8),
        Ends("HorizontalAfterHorizontal", {Horizontal(0, 1, 9, 0, 3), Horizontal(2, 10, 8, 0, 5)}, 1, {2, 5}, {10, 5},
             8),
        Ends("HorizontalOneBelowBandStays", {Horizontal(0, 11, 9, 0, 5), Vertical(10, 14, 9, 6, 12)}, 0, {0, 5},
             {12, 5}, 12),
        Ends("HorizontalFarBelowBandMeetsMinRowLess1", {Horizontal(0, 11, 9, 0, 3), Vertical(10, 14, 9, 6, 12)}, 0,
             {0, 3}, {12, 5}, 12),
        Ends("HorizontalAboveBandMeetsMaxRowPlus1", {Horizontal(0, 11, 20, 0, 15), Vertical(10, 14, 9, 6, 12)}, 0,
             {0, 15}, {12, 10}, 12),
        Ends("HorizontalInsideBandKeepsRow", {Vertical(0, 4, 9, 6, 3), Horizontal(5, 20, 9, 0, 7)}, 1, {3, 7}, {20, 7},
             17),
        Ends("VerticalBetweenHorizontals",
             {Horizontal(0, 8, 5, 0, 5), Vertical(10, 14, 19, 6, 12), Horizontal(16, 30, 30, 20, 20)}, 1, {9, 5},
             {15, 20}, 15),
        Ends("VerticalInsideHorizontalColumns",
             {Horizontal(0, 20, 5, 0, 5), Vertical(10, 14, 19, 6, 12), Horizontal(10, 30, 30, 2, 2)}, 1, {12, 5},
             {12, 2}, 3),
        Ends("NoRoomBetweenRoomsGivesItsEnds",
             {Horizontal(0, 8, 5, 0, 5), Fixed(kDiagonal), Horizontal(12, 30, 30, 0, 9)}, 0, {0, 5}, {9, 5}, 9),
        Ends("HorizontalAfterNoRoom", {Horizontal(0, 8, 5, 0, 5), Fixed(kDiagonal), Horizontal(12, 30, 30, 0, 9)}, 2,
             {11, 9}, {30, 9}, 19),
        Ends("NoRoomLengthIsLargerAxis", {Horizontal(0, 8, 5, 0, 5), Fixed(kDiagonal)}, 1, {9, 5}, {11, 9}, 4),
        Ends("VerticalBetweenNoRooms", {Fixed({{0, 0}, {3, 1}}), Vertical(4, 6, 9, 2, 5), Fixed({{5, 9}})}, 1, {3, 1},
             {5, 9}, 8),
        Ends("LeadingVerticalCopiesExit", {Vertical(0, 4, 9, 2, 2), Horizontal(5, 20, 20, 0, 12)}, 0, {4, 12}, {4, 12},
             0),
        Ends("TrailingVerticalCopiesEntry", {Fixed({{0, 0}, {3, 1}}), Vertical(4, 6, 9, 2, 5)}, 1, {3, 1}, {3, 1}, 0),
        Ends("FirstOfTwoVerticals",
             {Horizontal(0, 3, 5, 0, 5), Vertical(4, 6, 9, 6, 5), Vertical(7, 9, 12, 10, 8),
              Horizontal(10, 20, 20, 13, 13)},
             1, {4, 5}, {4, 5}, 0),
        Ends("SecondOfTwoVerticals",
             {Horizontal(0, 3, 5, 0, 5), Vertical(4, 6, 9, 6, 5), Vertical(7, 9, 12, 10, 8),
              Horizontal(10, 20, 20, 13, 13)},
             2, {9, 13}, {9, 13}, 0),
        Ends("LoneVerticalStandsMidBand", {Vertical(0, 4, 9, 2, 3)}, 0, {3, 5}, {3, 5}, 0),
        Ends("MidBandTruncatesTowardZero", {Vertical(0, 4, 0, -5, 3), Vertical(5, 6, 0, 0, 5)}, 0, {3, -2}, {3, -2}, 0),
        Ends("MidBandOfFullRangeDoesNotOverflow", {Vertical(0, 0, kMax32, kMin32, 0)}, 0, {0, 0}, {0, 0}, 0),
        Ends("LengthBeyond32BitsSaturates", {Horizontal(kMin32, kMax32, 0, 0, 0)}, 0, {kMin32, 0}, {kMax32, 0}, kMax32),
        Ends("NoRoomLengthSaturates", {Fixed({{0, kMin32}, {0, kMax32}})}, 0, {0, kMin32}, {0, kMax32}, kMax32)),
    [](const testing::TestParamInfo<EndsCase>& param) { return param.param.name; });

TEST(RoomEndsRejects, EmptyNoRoomThatIsRead) {
    const std::vector<WiggleRoom> rooms{Horizontal(0, 8, 5, 0, 5), Fixed({}), Vertical(9, 9, 9, 0, 9)};
    EXPECT_THROW(Zalvo::Detail::RoomExitPixel(rooms, 0), std::invalid_argument);
    EXPECT_THROW(Zalvo::Detail::RoomEntryPixel(rooms, 1), std::invalid_argument);
    EXPECT_THROW(Zalvo::Detail::RoomLength(rooms, 1), std::invalid_argument);
    EXPECT_THROW(Zalvo::Detail::RoomEntryPixel(rooms, 2), std::invalid_argument);
    // The entry of the first room never looks at its successor.
    EXPECT_EQ(Zalvo::Detail::RoomEntryPixel(rooms, 0), (Pixel{0, 5}));
}

TEST(RoomEndsRejects, IndexPastTheEnd) {
    const std::vector<WiggleRoom> rooms{Horizontal(0, 8, 5, 0, 5)};
    EXPECT_THROW(Zalvo::Detail::RoomEntryPixel(rooms, 1), std::out_of_range);
}

// Box: columns 2..5, rows 3..8.
const Box kBox{2, 5, 8, 3};
const Box kExtreme{kMin32, kMax32, kMax32, kMin32};

TEST(BoxPredicates, InBoxAtItsBorders) {
    for (const Pixel p : {Pixel{2, 3}, Pixel{5, 8}, Pixel{2, 8}, Pixel{4, 5}})
        EXPECT_TRUE(Zalvo::Detail::InBox(p, kBox)) << p.x << "," << p.y;
    for (const Pixel p : {Pixel{1, 3}, Pixel{6, 8}, Pixel{2, 2}, Pixel{5, 9}})
        EXPECT_FALSE(Zalvo::Detail::InBox(p, kBox)) << p.x << "," << p.y;
    EXPECT_TRUE(Zalvo::Detail::InBox({kMin32, kMax32}, kExtreme));
    EXPECT_FALSE(Zalvo::Detail::InBox({3, 5}, Box{5, 2, 8, 3}));
}

TEST(BoxPredicates, OnBoxEdgeOnlyOnTheBorder) {
    for (const Pixel p : {Pixel{2, 5}, Pixel{5, 5}, Pixel{3, 8}, Pixel{3, 3}, Pixel{5, 8}})
        EXPECT_TRUE(Zalvo::Detail::OnBoxEdge(p, kBox)) << p.x << "," << p.y;
    for (const Pixel p : {Pixel{3, 5}, Pixel{1, 5}, Pixel{2, 9}, Pixel{6, 3}})
        EXPECT_FALSE(Zalvo::Detail::OnBoxEdge(p, kBox)) << p.x << "," << p.y;
}

TEST(BoxPredicates, OnBoxRingJustOutside) {
    for (const Pixel p : {Pixel{1, 5}, Pixel{6, 5}, Pixel{3, 9}, Pixel{3, 2}, Pixel{1, 2}, Pixel{6, 9}})
        EXPECT_TRUE(Zalvo::Detail::OnBoxRing(p, kBox)) << p.x << "," << p.y;
    for (const Pixel p : {Pixel{2, 5}, Pixel{0, 5}, Pixel{7, 9}, Pixel{3, 10}, Pixel{4, 5}})
        EXPECT_FALSE(Zalvo::Detail::OnBoxRing(p, kBox)) << p.x << "," << p.y;
}

TEST(BoxPredicates, RingOfBoxesAtTheLimitsDoesNotWrap) {
    // The ring lies entirely outside the 32-bit range: no pixel is on it.
    EXPECT_FALSE(Zalvo::Detail::OnBoxRing({kMin32, 0}, kExtreme));
    EXPECT_FALSE(Zalvo::Detail::OnBoxRing({kMax32, kMax32}, kExtreme));
    const Box rightEdge{kMax32, kMax32, 0, 0};
    EXPECT_TRUE(Zalvo::Detail::OnBoxRing({kMax32 - 1, 0}, rightEdge));
    EXPECT_TRUE(Zalvo::Detail::OnBoxRing({kMax32, 1}, rightEdge));
    EXPECT_FALSE(Zalvo::Detail::OnBoxRing({kMin32, 0}, rightEdge));
}

TEST(BoxPredicates, BoxesTouchWhenACornerIsInsideOrOnTheRing) {
    const Box a{0, 2, 2, 0};
    EXPECT_TRUE(Zalvo::Detail::BoxesTouch(a, Box{3, 5, 2, 0}));   // side by side
    EXPECT_TRUE(Zalvo::Detail::BoxesTouch(a, Box{3, 5, 5, 3}));   // diagonal corner
    EXPECT_TRUE(Zalvo::Detail::BoxesTouch(a, Box{1, 1, 1, 1}));   // b inside a
    EXPECT_TRUE(Zalvo::Detail::BoxesTouch(Box{1, 1, 1, 1}, a));   // a around b
    EXPECT_FALSE(Zalvo::Detail::BoxesTouch(a, Box{4, 6, 2, 0}));  // one column gap
    EXPECT_FALSE(Zalvo::Detail::BoxesTouch(a, Box{0, 2, 6, 4}));  // one row gap
}

TEST(BoxPredicates, TouchesRoomUsesBoxOrNoRoomEnds) {
    const Box box{0, 2, 2, 0};
    EXPECT_TRUE(Zalvo::Detail::TouchesRoom(box, Horizontal(3, 9, 2, 0, 1)));
    EXPECT_FALSE(Zalvo::Detail::TouchesRoom(box, Vertical(4, 9, 2, 0, 5)));
    EXPECT_TRUE(Zalvo::Detail::TouchesRoom(box, Fixed({{9, 9}, {3, 3}})));
    // A middle pixel inside the box does not count, only the ends.
    EXPECT_FALSE(Zalvo::Detail::TouchesRoom(box, Fixed({{9, 9}, {1, 1}, {9, 0}})));
    EXPECT_THROW(Zalvo::Detail::TouchesRoom(box, Fixed({})), std::invalid_argument);
}

TEST(ClampToBox, LimitsColumnsThenRowsAndPrefersTheLowBoundOfInvertedBoxes) {
    EXPECT_EQ(Zalvo::Detail::ClampToBox({0, 10}, kBox), (Pixel{2, 8}));
    EXPECT_EQ(Zalvo::Detail::ClampToBox({9, 0}, kBox), (Pixel{5, 3}));
    EXPECT_EQ(Zalvo::Detail::ClampToBox({4, 4}, kBox), (Pixel{4, 4}));
    const Box inverted{5, 2, 3, 8};
    EXPECT_EQ(Zalvo::Detail::ClampToBox({3, 5}, inverted), (Pixel{5, 8}));
    EXPECT_EQ(Zalvo::Detail::ClampToBox({6, 9}, inverted), (Pixel{2, 3}));
    // 64-bit values come back into 32 bits.
    EXPECT_EQ(Zalvo::Detail::ClampToRange(std::int64_t{kMax32} + 5, 0, 10), 10);
    EXPECT_EQ(Zalvo::Detail::ClampToRange(-(std::int64_t{1} << 40), -3, 7), -3);
}

TEST(RoomBox, NoneForNoRoom) {
    EXPECT_EQ(Zalvo::Detail::RoomBox(Vertical(1, 2, 3, 4, 1)), (Box{1, 2, 3, 4}));
    EXPECT_FALSE(Zalvo::Detail::RoomBox(Fixed({{0, 0}})).has_value());
}

}  // namespace
