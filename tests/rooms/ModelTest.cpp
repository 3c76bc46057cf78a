#include "rooms/Model.h"

#include "rooms/RoomMakers.h"

#include <stdexcept>
#include <string>

namespace Zalvo::Detail {
namespace {

using namespace ZalvoTest;

struct EndsCase {
    const char* name;
    std::vector<WiggleRoom> rooms;
    std::size_t index;
    Pixel entry, exit;
    std::int32_t length;
};
EndsCase Ends(const char* name, std::vector<WiggleRoom> rooms, std::size_t index, Pixel entry, Pixel exit,
              std::int32_t length) {
    return {name, std::move(rooms), index, entry, exit, length};
}
class RoomEnds : public testing::TestWithParam<EndsCase> {};
TEST_P(RoomEnds, EntryExitAndLength) {
    const EndsCase& c = GetParam();
    EXPECT_EQ(RoomEntryPixel(c.rooms, c.index), c.entry);
    EXPECT_EQ(RoomExitPixel(c.rooms, c.index), c.exit);
    EXPECT_EQ(RoomLength(c.rooms, c.index), c.length);
}

const WiggleRoom kV = Vertical(10, 14, 9, 6, 12), kTall = Vertical(10, 14, 19, 6, 12), kLow = Horizontal(0, 8, 5, 0, 5);
const WiggleRoom kPiece = Fixed({{0, 0}, {3, 1}}), kNarrow = Vertical(4, 6, 9, 2, 5);
const std::vector<WiggleRoom> kAroundPiece{kLow, Fixed({{9, 5}, {10, 6}, {11, 9}}), Horizontal(12, 30, 30, 0, 9)};
const std::vector<WiggleRoom> kTwoVerticals{Horizontal(0, 3, 5, 0, 5), Vertical(4, 6, 9, 6, 5),
                                            Vertical(7, 9, 12, 10, 8), Horizontal(10, 20, 20, 13, 13)};

INSTANTIATE_TEST_SUITE_P(
    Table, RoomEnds,
    testing::Values(
        Ends("LoneHorizontal", {Horizontal(2, 10, 8, 0, 5)}, 0, {2, 5}, {10, 5}, 8),
        Ends("AfterAHorizontal", {Horizontal(0, 1, 9, 0, 3), Horizontal(2, 10, 8, 0, 5)}, 1, {2, 5}, {10, 5}, 8),
        Ends("OneBelowTheBandStays", {Horizontal(0, 11, 9, 0, 5), kV}, 0, {0, 5}, {12, 5}, 12),
        Ends("BelowMeetsMinRowLess1", {Horizontal(0, 11, 9, 0, 3), kV}, 0, {0, 3}, {12, 5}, 12),
        Ends("AboveMeetsMaxRowPlus1", {Horizontal(0, 11, 20, 0, 15), kV}, 0, {0, 15}, {12, 10}, 12),
        Ends("InsideTheBandKeepsRow", {Vertical(0, 4, 9, 6, 3), Horizontal(5, 20, 9, 0, 7)}, 1, {3, 7}, {20, 7}, 17),
        Ends("VerticalBetweenHorizontals", {kLow, kTall, Horizontal(16, 30, 30, 20, 20)}, 1, {9, 5}, {15, 20}, 15),
        Ends("VerticalInsideColumns", {Horizontal(0, 20, 5, 0, 5), kTall, Horizontal(10, 30, 30, 2, 2)}, 1, {12, 5},
             {12, 2}, 3),
        Ends("NoRoomBetweenRoomsGivesItsEnds", kAroundPiece, 0, {0, 5}, {9, 5}, 9),
        Ends("NoRoomLengthIsLargerAxis", kAroundPiece, 1, {9, 5}, {11, 9}, 4),
        Ends("HorizontalAfterNoRoom", kAroundPiece, 2, {11, 9}, {30, 9}, 19),
        Ends("VerticalBetweenPieces", {kPiece, kNarrow, Fixed({{5, 9}})}, 1, {3, 1}, {5, 9}, 8),
        Ends("LeadingVertical", {Vertical(0, 4, 9, 2, 2), Horizontal(5, 20, 20, 0, 12)}, 0, {4, 12}, {4, 12}, 0),
        Ends("TrailingVertical", {kPiece, kNarrow}, 1, {3, 1}, {3, 1}, 0),
        Ends("FirstOfTwoVerticals", kTwoVerticals, 1, {4, 5}, {4, 5}, 0),
        Ends("SecondOfTwoVerticals", kTwoVerticals, 2, {9, 13}, {9, 13}, 0),
        Ends("LoneVerticalStandsMidBand", {Vertical(0, 4, 9, 2, 3)}, 0, {3, 5}, {3, 5}, 0),
        Ends("MidBandTruncates", {Vertical(0, 4, 0, -5, 3), Vertical(5, 6, 0, 0, 5)}, 0, {3, -2}, {3, -2}, 0),
        Ends("MidBandOfFullRangeDoesNotOverflow", {Vertical(0, 0, kMax32, kMin32, 0)}, 0, {0, 0}, {0, 0}, 0),
        Ends("LengthSaturates", {Horizontal(kMin32, kMax32, 0, 0, 0)}, 0, {kMin32, 0}, {kMax32, 0}, kMax32),
        Ends("NoRoomLengthSaturates", {Fixed({{0, kMin32}, {0, kMax32}})}, 0, {0, kMin32}, {0, kMax32}, kMax32)),
    CaseName());

TEST(RoomEndsRejects, AnEmptyNoRoomThatIsReadAndAnIndexPastTheEnd) {
    const std::vector<WiggleRoom> rooms{Horizontal(0, 8, 5, 0, 5), Fixed({}), Vertical(9, 9, 9, 0, 9)};
    EXPECT_THROW(RoomExitPixel(rooms, 0), std::invalid_argument);
    EXPECT_THROW(RoomEntryPixel(rooms, 1), std::invalid_argument);
    EXPECT_THROW(RoomLength(rooms, 1), std::invalid_argument);
    EXPECT_THROW(RoomEntryPixel(rooms, 2), std::invalid_argument);
    EXPECT_EQ(RoomEntryPixel(rooms, 0), (Pixel{0, 5}));  // never looks at its successor
    EXPECT_THROW(RoomEntryPixel(rooms, 3), std::out_of_range);
}

// Columns 0 .. 7, rows 1 .. 10 around the box: 'E' on its border, 'I' inside, 'R' on its ring.
TEST(BoxPredicates, InsideOnTheBorderOrOnTheRing) {
    const Box box{2, 5, 8, 3};
    const std::string rows[] = {"........", ".RRRRRR.", ".REEEER.", ".REIIER.", ".REIIER.",
                                ".REIIER.", ".REIIER.", ".REEEER.", ".RRRRRR.", "........"};
    for (std::int32_t y = 1; y <= 10; ++y)
        for (std::int32_t x = 0; x < 8; ++x) {
            const char c = rows[y - 1][static_cast<std::size_t>(x)];
            EXPECT_EQ(InBox({x, y}, box), c == 'E' || c == 'I') << x << "," << y;
            EXPECT_EQ(OnBoxEdge({x, y}, box), c == 'E') << x << "," << y;
            EXPECT_EQ(OnBoxRing({x, y}, box), c == 'R') << x << "," << y;
        }
    EXPECT_FALSE(InBox({3, 5}, Box{5, 2, 8, 3}));  // inverted
    const Box extreme{kMin32, kMax32, kMax32, kMin32}, rightEdge{kMax32, kMax32, 0, 0};
    EXPECT_TRUE(InBox({kMin32, kMax32}, extreme));
    EXPECT_FALSE(OnBoxRing({kMin32, 0}, extreme));  // the ring lies wholly outside 32 bits
    EXPECT_FALSE(OnBoxRing({kMax32, kMax32}, extreme));
    EXPECT_TRUE(OnBoxRing({kMax32 - 1, 0}, rightEdge));
    EXPECT_TRUE(OnBoxRing({kMax32, 1}, rightEdge));
    EXPECT_FALSE(OnBoxRing({kMin32, 0}, rightEdge));
}

TEST(BoxPredicates, BoxesTouchWhenACornerIsInsideOrOnTheRing) {
    const Box a{0, 2, 2, 0};
    EXPECT_TRUE(BoxesTouch(a, Box{3, 5, 2, 0}));   // side by side
    EXPECT_TRUE(BoxesTouch(a, Box{3, 5, 5, 3}));   // diagonal corner
    EXPECT_TRUE(BoxesTouch(a, Box{1, 1, 1, 1}));   // b inside a
    EXPECT_TRUE(BoxesTouch(Box{1, 1, 1, 1}, a));   // a around b
    EXPECT_FALSE(BoxesTouch(a, Box{4, 6, 2, 0}));  // one column gap
    EXPECT_FALSE(BoxesTouch(a, Box{0, 2, 6, 4}));  // one row gap
    EXPECT_TRUE(TouchesRoom(a, Horizontal(3, 9, 2, 0, 1)));
    EXPECT_FALSE(TouchesRoom(a, Vertical(4, 9, 2, 0, 5)));
    EXPECT_TRUE(TouchesRoom(a, Fixed({{9, 9}, {3, 3}})));
    EXPECT_FALSE(TouchesRoom(a, Fixed({{9, 9}, {1, 1}, {9, 0}})));  // only a piece's ends count
    EXPECT_THROW(TouchesRoom(a, Fixed({})), std::invalid_argument);
}

TEST(BoxPredicates, ClampToBoxLimitsColumnsThenRowsAndPrefersTheLowBoundOfInvertedBoxes) {
    const Box box{2, 5, 8, 3}, inverted{5, 2, 3, 8};
    EXPECT_EQ(ClampToBox({0, 10}, box), (Pixel{2, 8}));
    EXPECT_EQ(ClampToBox({9, 0}, box), (Pixel{5, 3}));
    EXPECT_EQ(ClampToBox({4, 4}, box), (Pixel{4, 4}));
    EXPECT_EQ(ClampToBox({3, 5}, inverted), (Pixel{5, 8}));
    EXPECT_EQ(ClampToBox({6, 9}, inverted), (Pixel{2, 3}));
    EXPECT_EQ(ClampToRange(std::int64_t{kMax32} + 5, 0, 10), 10);
    EXPECT_EQ(ClampToRange(-(std::int64_t{1} << 40), -3, 7), -3);
}

}  // namespace
}  // namespace Zalvo::Detail
