#include "rows/HorizontalRefinement.h"

#include "rooms/RoomMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

using namespace Zalvo;
using namespace Zalvo::Detail;
using ZalvoTest::Fixed;
using ZalvoTest::Horizontal;
using ZalvoTest::kMax32;
using ZalvoTest::kMin32;
using ZalvoTest::RowsOf;
using ZalvoTest::Vertical;

TEST(DerivedValues, TruncateAndStayInsideThirtyTwoBits) {
    EXPECT_EQ(BaseMargin(0, 2, 3), 4);
    EXPECT_EQ(BaseMargin(5, 2, -2), -3);           // (-1) / 2 truncates to 0
    EXPECT_EQ(BaseMargin(0, 0, kMax32), 1 << 30);  // lineWidth + 1 would overflow in 32 bits
    EXPECT_EQ(PreferredWidth(0, 2, 3), 4);
    EXPECT_EQ(PreferredWidth(kMax32, kMin32, 7), 7);  // 2 x (wanted - existing) far below lineWidth
    EXPECT_THROW(BaseMargin(kMin32, kMax32, 0), std::invalid_argument);
    EXPECT_THROW(PreferredWidth(-(1 << 30), 1 << 30, 0), std::invalid_argument);
    EXPECT_THROW(DeriveRowParameters(0, kMax32, 10, 2, 3), std::invalid_argument);
}

struct CornerCase {
    std::int32_t radius;
    std::int64_t offset;
    std::int32_t margin;
};

class CornerMarginTable : public testing::TestWithParam<CornerCase> {};

TEST_P(CornerMarginTable, MatchesTheRoundedCircle) {
    EXPECT_EQ(CornerMargin(GetParam().radius, GetParam().offset), GetParam().margin);
}

INSTANTIATE_TEST_SUITE_P(Radius10AndLimits, CornerMarginTable,
                         testing::Values(CornerCase{10, 0, 10}, CornerCase{10, 2, 4}, CornerCase{10, 5, 1},
                                         CornerCase{10, 10, 0}, CornerCase{10, 15, 1}, CornerCase{10, 20, 10},
                                         CornerCase{10, 21, kMin32}, CornerCase{10, -1, kMin32},
                                         CornerCase{kMax32, kMax32, 0}, CornerCase{kMin32, 0, kMin32},
                                         CornerCase{kMin32, kMin32, kMin32},  // kMin32 - 2^31 saturates
                                         CornerCase{-10, -10, -20}, CornerCase{10, std::int64_t{kMax32} * 2, kMin32}));

struct MarginCase {
    std::vector<WiggleRoom> rooms;
    std::size_t index;
    std::int32_t margin;
};

class HorizontalRoomMarginTable : public testing::TestWithParam<MarginCase> {};

TEST_P(HorizontalRoomMarginTable, RaisesBaseMarginTowardsVerticalNeighbours) {
    EXPECT_EQ(HorizontalRoomMargin(GetParam().rooms, GetParam().index, RowParameters{1, 4, 10, 2}), GetParam().margin);
}

// The horizontal room spans columns 0..20 (middle 10); offsets 2 -> 4, 7 -> 0, 5 -> 1.
INSTANTIATE_TEST_SUITE_P(
    Neighbours, HorizontalRoomMarginTable,
    testing::Values(MarginCase{{Horizontal(0, 20, 30, 0, 5)}, 0, 1},
                    MarginCase{{Vertical(18, 30, 9, 1, 20), Horizontal(0, 20, 30, 0, 5)}, 1, 4},
                    MarginCase{{Vertical(18, 30, 9, 1, 25), Horizontal(0, 20, 30, 0, 5)}, 1, 1},
                    MarginCase{{Vertical(0, 8, 9, 1, 6), Horizontal(0, 20, 30, 0, 5)}, 1, 4},
                    MarginCase{{Vertical(5, 15, 9, 1, 13), Horizontal(0, 20, 30, 0, 5)}, 1, 4},
                    MarginCase{{Horizontal(0, 20, 30, 0, 5), Vertical(5, 15, 9, 1, 7)}, 0, 4},
                    MarginCase{{Horizontal(0, 20, 30, 0, 5), Vertical(0, 8, 9, 1, 6)}, 0, 4},
                    MarginCase{
                        {Vertical(18, 30, 9, 1, 25), Horizontal(0, 20, 30, 0, 5), Vertical(0, 8, 9, 1, 6)}, 1, 4}));

// The clamp examples run through the public function in RowAdjustmentTest.
TEST(UsableBand, FallsBackToTheMiddleWithoutOverflow) {
    EXPECT_EQ(RowInUsableBand({0, 30, 20, 0, 0, 0, 0}, UsableBandOf({0, 30, 20, 0, 0, 0, 0}, 4), std::nullopt), 10);
    EXPECT_EQ(MiddleRow(HorizontalRoom{0, 0, 0, -7, 0, 0, 0}), -3);
    EXPECT_EQ(MiddleRow(HorizontalRoom{0, 0, kMax32, kMax32 - 2, 0, 0, 0}), kMax32 - 1);
    const HorizontalRoom wide{0, 0, kMax32, kMin32, 0, 0, 0};
    EXPECT_EQ(RowInUsableBand(wide, UsableBandOf(wide, kMin32), kMax32), kMax32);
}

TEST(WidthClass, ComparesAgainstHalfWidthsOnBothSides) {
    const HorizontalRoom room{0, 30, 10, 0, 0, 0, 0};
    const std::pair<std::int32_t, std::int32_t> expected[] = {{5, 6}, {3, 6}, {2, 2}, {8, 2}, {0, 0}, {10, 0}, {11, 0}};
    for (const auto& [row, widthClass] : expected) EXPECT_EQ(WidthClass(room, row, 6, 2), widthClass) << row;
    EXPECT_EQ(WidthClass(room, 1, 2, 6), 2);  // minimumWidth above preferredWidth
    EXPECT_EQ(WidthClass(room, 0, 2, 6), 0);
}

struct ConflictCase {
    std::vector<WiggleRoom> rooms;
    std::int32_t row;
};

class ResolveCornerConflictsTable : public testing::TestWithParam<ConflictCase> {};

TEST_P(ResolveCornerConflictsTable, MovesOnlyWhenTheWidthClassHolds) {
    EXPECT_EQ(RowsOf(ResolveCornerConflicts(GetParam().rooms, 2, 6)), std::vector{GetParam().row});
}

// The horizontal room spans columns 10..30 with band 0..10; a vertical line at
// column 5 leaves its corner outside the horizontal room.
INSTANTIATE_TEST_SUITE_P(Examples, ResolveCornerConflictsTable,
                         testing::Values(ConflictCase{{Vertical(0, 8, 20, 2, 5), Horizontal(10, 30, 10, 0, 0)}, 2},
                                         ConflictCase{{Vertical(0, 8, 2, -5, 5), Horizontal(10, 30, 10, 0, 5)}, 5},
                                         ConflictCase{{Vertical(0, 8, 1, -5, 5), Horizontal(10, 30, 10, 0, 2)}, 1},
                                         ConflictCase{{Horizontal(10, 30, 10, 0, 0), Vertical(32, 40, 20, 2, 35)}, 2},
                                         ConflictCase{{Vertical(0, 8, 20, -2, 5), Horizontal(10, 30, 10, 0, 0)}, 0},
                                         ConflictCase{{Vertical(10, 18, 20, 2, 15), Horizontal(10, 30, 10, 0, 0)}, 0},
                                         ConflictCase{{Vertical(0, 8, 30, 20, 5), Horizontal(10, 30, 10, 0, 0)}, 0},
                                         ConflictCase{{Vertical(0, 8, 20, 2, 5), Horizontal(10, 30, 10, 0, 0),
                                                       Vertical(32, 40, 9, 4, 35)},
                                                      4},
                                         ConflictCase{{Fixed({{0, 20}}), Horizontal(10, 30, 10, 0, 0)}, 0}));

TEST(RowBetweenFixedNeighbours, ClampsEachSideThenTakesTheMiddle) {
    const auto room = Horizontal(10, 20, 30, 10, 0);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{9, 40}}), room, Fixed({{21, 12}})}, 1, 8), 20);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{0, 1}, {9, 40}}), Vertical(8, 9, 40, 0, 9), room}, 2, 8), 26);
    EXPECT_EQ(RowBetweenFixedNeighbours({room, Vertical(21, 22, 40, 0, 21), Fixed({{21, 12}})}, 0, 8), 14);
    EXPECT_EQ(RowBetweenFixedNeighbours({room, Horizontal(21, 22, 40, 0, 21), Fixed({{21, 12}})}, 0, 8), std::nullopt);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{9, 40}}), room}, 1, 22), std::nullopt);  // band height 21
    EXPECT_EQ(RowBetweenFixedNeighbours({room}, 0, 8), std::nullopt);
    // An inverted band (maxRow 5, minRow 10; ends 7 and 8): row 9 lies beyond
    // both band edges and gives nothing, row 2 gives the lower end.
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{0, 9}}), Horizontal(1, 2, 5, 10, 0), Fixed({{3, 2}})}, 1, -4), 8);
    const auto huge = Horizontal(0, 5, kMax32, kMin32, 0);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{0, kMax32}}), huge, Fixed({{6, kMax32}})}, 1, 8), kMax32 - 4);
    EXPECT_THROW(RowBetweenFixedNeighbours({Fixed({}), room}, 1, 8), std::invalid_argument);
}

// Merge tests use preferredWidth 100 so that no room is pinned unless asked.
struct MergeCase {
    const char* name;
    std::vector<WiggleRoom> rooms;
    std::int32_t preferredWidth;
    std::vector<std::int32_t> rows;

    friend void PrintTo(const MergeCase& value, std::ostream* out) { *out << value.name; }
};

class MergeShortHorizontalRoomsTable : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeShortHorizontalRoomsTable, GivesShortNeighboursTheRow) {
    EXPECT_EQ(RowsOf(MergeShortHorizontalRooms(GetParam().rooms, GetParam().preferredWidth)), GetParam().rows)
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MergeShortHorizontalRoomsTable,
    testing::Values(
        MergeCase{"width 4 beside 30", {Horizontal(0, 29, 10, 0, 5), Horizontal(30, 33, 20, 0, 15)}, 100, {5, 5}},
        MergeCase{"width 6, length 2",
                  {Horizontal(0, 29, 10, 0, 5), Horizontal(30, 35, 20, 0, 15), Fixed({{32, 15}})},
                  100,
                  {5, 5}},
        // Length 4 is the longest piece that still merges by its length alone
        // (width 6 is not under a fifth of 30).
        MergeCase{"width 6, length 4",
                  {Horizontal(0, 29, 10, 0, 5), Horizontal(30, 35, 20, 0, 15), Fixed({{34, 15}})},
                  100,
                  {5, 5}},
        MergeCase{"width 6, length 5",
                  {Horizontal(0, 29, 10, 0, 5), Horizontal(30, 35, 20, 0, 15), Fixed({{35, 15}})},
                  100,
                  {5, 15}},
        MergeCase{"touching columns", {Horizontal(5, 10, 20, 0, 15), Horizontal(11, 60, 10, 0, 5)}, 100, {5, 5}},
        MergeCase{"gap of one column", {Horizontal(5, 10, 20, 0, 15), Horizontal(12, 60, 10, 0, 5)}, 100, {15, 5}},
        MergeCase{"row outside the band", {Horizontal(0, 29, 10, 0, 5), Horizontal(30, 33, 20, 6, 15)}, 100, {5, 15}},
        MergeCase{"vertical neighbour refuses",
                  {Horizontal(0, 50, 4, 0, 2), Vertical(49, 53, 20, 10, 51), Horizontal(51, 56, 20, 0, 15)},
                  100,
                  {2, 15}},
        MergeCase{"vertical neighbour prefers",
                  {Horizontal(0, 50, 4, 0, 2), Vertical(49, 53, 1, -10, 51), Horizontal(51, 56, 20, 0, 15)},
                  100,
                  {2, 2}},
        MergeCase{"pinned between fixed rooms",
                  {Fixed({{9, 40}}), Horizontal(10, 15, 30, 10, 25), Fixed({{16, 12}}), Horizontal(16, 99, 12, 10, 11)},
                  8,
                  {20, 11}},
        MergeCase{"too long to pin", {Fixed({{9, 40}}), Horizontal(10, 40, 30, 10, 25), Fixed({{41, 12}})}, 8, {25}},
        // Entered at column 9 and left at 28 or 29: 19 columns is the longest
        // room pinned between its fixed neighbours (rows 40 and 12 clamped
        // to 26 and 14, middle 20), 20 keeps its own row.
        MergeCase{
            "length 19 is pinned", {Fixed({{9, 40}}), Horizontal(10, 28, 30, 10, 25), Fixed({{28, 12}})}, 8, {20}},
        MergeCase{
            "length 20 is not pinned", {Fixed({{9, 40}}), Horizontal(10, 29, 30, 10, 25), Fixed({{29, 12}})}, 8, {25}},
        MergeCase{"merged record takes in its own neighbour",
                  {Horizontal(0, 49, 4, 0, 2), Horizontal(50, 53, 10, 0, 8), Horizontal(54, 60, 20, 0, 15)},
                  100,
                  {2, 2, 2}},
        MergeCase{"wider neighbour examined first",
                  {Fixed({{-10, 5}}), Horizontal(0, 3, 20, 0, 9), Horizontal(4, 27, 4, 0, 2),
                   Horizontal(28, 32, 20, 0, 9), Fixed({{60, 5}})},
                  100,
                  {2, 2, 9}},
        MergeCase{"equal bands in sequence order",
                  {Horizontal(0, 29, 20, 0, 2), Horizontal(30, 33, 20, 0, 8), Horizontal(34, 63, 20, 0, 14)},
                  100,
                  {2, 2, 14}}),
    [](const testing::TestParamInfo<MergeCase>& param) { return "Case" + std::to_string(param.index); });

TEST(MergeShortHorizontalRooms, KeepsSequenceOrderAmongManyEqualBands) {
    std::vector<WiggleRoom> rooms;
    std::vector<std::int32_t> expected;
    for (std::int32_t group = 0; group < 12; ++group) {
        const std::int32_t left = group * 64;
        rooms.push_back(Horizontal(left, left + 29, 20, 0, 2));
        rooms.push_back(Horizontal(left + 30, left + 33, 20, 0, 8));
        rooms.push_back(Horizontal(left + 34, left + 63, 20, 0, 14));
        expected.insert(expected.end(), {2, 2, 14});
    }
    EXPECT_EQ(RowsOf(MergeShortHorizontalRooms(rooms, 100)), expected);
}

TEST(HorizontalRefinement, LeavesOtherRoomsAndEmptySequencesAlone) {
    const std::vector<WiggleRoom> others{Vertical(0, 4, 9, 1, 2), Fixed({{5, 3}, {6, 4}})};
    EXPECT_EQ(ResolveCornerConflicts(others, 2, 6), others);
    EXPECT_EQ(MergeShortHorizontalRooms(others, 6), others);
    EXPECT_TRUE(MergeShortHorizontalRooms({}, 6).empty());
    EXPECT_THROW(MergeShortHorizontalRooms({Horizontal(0, 3, 9, 0, 4), Fixed({})}, 6), std::invalid_argument);
}

}  // namespace
