// The row adjustments and the refinement both share.
#include "rooms/RoomMakers.h"
#include "rows/HorizontalRefinement.h"
#include "rows/RowAdjustment.h"

#include <array>
#include <stdexcept>
#include <tuple>

namespace Zalvo::Detail {
namespace {

using namespace ZalvoTest;
using Rooms = std::vector<WiggleRoom>;

// Clearances 0 and 2, radius 10, minimum width 2, line width 3: base margin 4, preferred width 4.
Rooms Adjust(bool plateUsage, Rooms rooms, const std::vector<Pixel>& path) {
    return plateUsage ? AdjustHorizontalRoomRowsForOptimalPlateUsage(std::move(rooms), path, 0, 2, 10, 2, 3)
                      : AdjustHorizontalRoomRowsForPreferringStagger(std::move(rooms), path, 0, 2, 10, 2, 3);
}

TEST(TargetRow, IsTheTruncatedMiddleOfThePathRows) {
    EXPECT_EQ(TargetRow({{0, 3}, {1, 8}, {2, 5}}), 5);
    EXPECT_EQ(TargetRow({{0, 0}, {1, -3}}), -1);
    EXPECT_EQ(TargetRow({{0, kMax32}, {1, kMax32 - 2}}), kMax32 - 1);
    EXPECT_THROW(TargetRow({}), std::invalid_argument);
}

TEST(PlateUsage, AimsAtTheTargetWithinTheUsableBand) {
    // Band maxRow, target, row.
    for (const auto& [maxRow, target, row] :
         {std::array{20, 30, 16}, std::array{20, 10, 10}, std::array{20, -5, 4}, std::array{7, 30, 3}})
        EXPECT_EQ(RowsOf(Adjust(true, {Horizontal(0, 40, maxRow, 0, -99)}, {{0, target}})), std::vector{row});
}

TEST(AlignEndHorizontalRooms, RejectsAnEmptyNoRoomItReads) {
    EXPECT_THROW(AlignEndHorizontalRooms({Horizontal(0, 9, 20, 0, 5), Fixed({})}), std::invalid_argument);
    EXPECT_TRUE(AlignEndHorizontalRooms({}).empty());
}

// Columns 10 .. 20, usable band 4 .. 16.
TEST(StaggerRowFromPath, PrefersInBandStepsWithTheGreatestOverlap) {
    const auto row = [](std::vector<Pixel> path) { return StaggerRowFromPath(10, 20, 16, 4, path); };
    EXPECT_EQ(row({{0, 7}, {12, 7}, {12, 9}, {30, 9}}), 9);
    EXPECT_EQ(row({{30, 9}, {12, 9}, {12, 7}, {0, 7}}), 9);
    EXPECT_EQ(row({{0, 7}, {12, 7}, {12, 18}, {30, 18}}), 7);
    EXPECT_EQ(row({{0, 18}, {12, 18}, {12, 30}, {30, 30}}), 30);
    EXPECT_EQ(row({{11, 5}, {14, 5}, {14, 6}, {17, 6}}), 5);  // equal overlaps: the earlier step
    EXPECT_EQ(row({{0, 7}, {10, 7}}), std::nullopt);          // touches column 10 only
    EXPECT_EQ(row({{12, 7}, {18, 8}, {18, 8}, {18, 9}}), std::nullopt);
    EXPECT_EQ(row({{12, 7}}), std::nullopt);
}

TEST(PreferringStagger, KeepsThePathRowsInsideTheUsableBand) {
    const auto room = Horizontal(10, 40, 20, 0, -99);
    EXPECT_EQ(RowsOf(Adjust(false, {room}, {{0, 7}, {12, 7}, {12, 9}, {50, 9}})), std::vector{9});
    EXPECT_EQ(RowsOf(Adjust(false, {room}, {{0, 18}, {12, 18}, {12, 30}, {50, 30}})), std::vector{16});
    EXPECT_EQ(RowsOf(Adjust(false, {room}, {{0, 7}})), std::vector{10});
    EXPECT_EQ(RowsOf(Adjust(false, {Horizontal(10, 40, 7, 0, -99)}, {{0, 7}, {50, 7}})), std::vector{3});
}

// Base margin 1, raised to CornerMargin(10, 2) = 4 before the line; radius 0 leaves it at 1.
TEST(RowAdjustments, CornerMarginNarrowsTheUsableBand) {
    const Rooms rooms{Horizontal(0, 40, 30, 0, 0), Vertical(38, 50, 40, 0, 40), Horizontal(41, 80, 40, 30, 0)};
    EXPECT_EQ(RowsOf(AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, {{0, 99}}, 0, 0, 10, 0, 1)),
              (std::vector{26, 39}));
    EXPECT_EQ(RowsOf(AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, {{0, 99}}, 0, 0, 0, 0, 1)),
              (std::vector{29, 39}));
}

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

TEST(CornerMargin, MatchesTheRoundedCircle) {
    // Radius, offset, margin; kMin32 - 2^31 saturates.
    for (const auto& [radius, offset, margin] :
         {std::tuple{10, 0LL, 10}, std::tuple{10, 2LL, 4}, std::tuple{10, 5LL, 1}, std::tuple{10, 10LL, 0},
          std::tuple{10, 15LL, 1}, std::tuple{10, 20LL, 10}, std::tuple{10, 21LL, kMin32}, std::tuple{10, -1LL, kMin32},
          std::tuple{kMax32, 1LL * kMax32, 0}, std::tuple{kMin32, 0LL, kMin32},
          std::tuple{kMin32, 1LL * kMin32, kMin32}, std::tuple{-10, -10LL, -20}, std::tuple{10, 2LL * kMax32, kMin32}})
        EXPECT_EQ(CornerMargin(radius, offset), margin) << radius << ", " << offset;
}

// Base margin 1, radius 10: a line 2 columns from the facing edge raises it to 4, 5 to 1, 7 to 0.
TEST(HorizontalRoomMargin, RaisesBaseMarginTowardsVerticalNeighbours) {
    const WiggleRoom room = Horizontal(0, 20, 30, 0, 5);
    const std::tuple<Rooms, std::size_t, std::int32_t> cases[] = {
        {{room}, 0, 1},
        {{Vertical(18, 30, 9, 1, 20), room}, 1, 4},
        {{Vertical(18, 30, 9, 1, 25), room}, 1, 1},
        {{Vertical(0, 8, 9, 1, 6), room}, 1, 4},
        {{Vertical(5, 15, 9, 1, 13), room}, 1, 4},
        {{room, Vertical(5, 15, 9, 1, 7)}, 0, 4},
        {{room, Vertical(0, 8, 9, 1, 6)}, 0, 4},
        {{Vertical(18, 30, 9, 1, 25), room, Vertical(0, 8, 9, 1, 6)}, 1, 4}};
    for (const auto& [rooms, index, margin] : cases)
        EXPECT_EQ(HorizontalRoomMargin(rooms, index, RowParameters{1, 4, 10, 2}), margin)
            << testing::PrintToString(rooms);
}

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

TEST(RowBetweenFixedNeighbours, ClampsEachSideThenTakesTheMiddle) {
    const auto room = Horizontal(10, 20, 30, 10, 0);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{9, 40}}), room, Fixed({{21, 12}})}, 1, 8), 20);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{0, 1}, {9, 40}}), Vertical(8, 9, 40, 0, 9), room}, 2, 8), 26);
    EXPECT_EQ(RowBetweenFixedNeighbours({room, Vertical(21, 22, 40, 0, 21), Fixed({{21, 12}})}, 0, 8), 14);
    EXPECT_EQ(RowBetweenFixedNeighbours({room, Horizontal(21, 22, 40, 0, 21), Fixed({{21, 12}})}, 0, 8), std::nullopt);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{9, 40}}), room}, 1, 22), std::nullopt);  // band height 21
    EXPECT_EQ(RowBetweenFixedNeighbours({room}, 0, 8), std::nullopt);
    // An inverted band (ends 7 and 8): row 9 lies beyond both edges, row 2 gives the lower end.
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{0, 9}}), Horizontal(1, 2, 5, 10, 0), Fixed({{3, 2}})}, 1, -4), 8);
    const auto huge = Horizontal(0, 5, kMax32, kMin32, 0);
    EXPECT_EQ(RowBetweenFixedNeighbours({Fixed({{0, kMax32}}), huge, Fixed({{6, kMax32}})}, 1, 8), kMax32 - 4);
    EXPECT_THROW(RowBetweenFixedNeighbours({Fixed({}), room}, 1, 8), std::invalid_argument);
}

// The rows of the horizontal rooms a step leaves.
struct RowsCase {
    const char* name;
    Rooms (*step)(const Rooms&);
    Rooms rooms;
    std::vector<std::int32_t> rows;
};
RowsCase Rows(const char* name, Rooms (*step)(const Rooms&), Rooms rooms, std::vector<std::int32_t> rows) {
    return {name, step, std::move(rooms), std::move(rows)};
}
class RowsTest : public testing::TestWithParam<RowsCase> {};
TEST_P(RowsTest, AreTheExpectedOnes) { EXPECT_EQ(RowsOf(GetParam().step(GetParam().rooms)), GetParam().rows); }

Rooms Align(const Rooms& rooms) { return AlignEndHorizontalRooms(rooms); }
// Width class: preferred width 6, minimum width 2.
Rooms Resolve(const Rooms& rooms) { return ResolveCornerConflicts(rooms, 2, 6); }
// Preferred width 100 pins no room; 8 pins short rooms between fixed neighbours.
Rooms Merge(const Rooms& rooms) { return MergeShortHorizontalRooms(rooms, 100); }
Rooms Pin(const Rooms& rooms) { return MergeShortHorizontalRooms(rooms, 8); }

const WiggleRoom kStart = Horizontal(0, 9, 20, 0, 5), kV10 = Vertical(9, 10, 20, 0, 10);
const WiggleRoom kEnd = Horizontal(6, 9, 20, 0, 2), kPath = Fixed({{0, 3}, {5, 9}});
// A vertical line at column 5 leaves its corner outside the room of columns 10 .. 30, band 0 .. 10.
const WiggleRoom kAt0 = Horizontal(10, 30, 10, 0, 0), kLeft = Vertical(0, 8, 20, 2, 5);
const WiggleRoom k30 = Horizontal(0, 29, 10, 0, 5), k6 = Horizontal(30, 35, 20, 0, 15), kAt40 = Fixed({{9, 40}});
const WiggleRoom kLow = Horizontal(0, 50, 4, 0, 2), kRight = Horizontal(51, 56, 20, 0, 15);

INSTANTIATE_TEST_SUITE_P(
    Steps, RowsTest,
    testing::Values(
        Rows("NextPiece", Align, {kStart, Fixed({{10, 12}, {11, 30}})}, {12}),
        Rows("NextPieceOutsideTheBand", Align, {kStart, Fixed({{10, 30}, {11, 12}})}, {5}),
        Rows("PieceBeyondAVertical", Align, {kStart, kV10, Fixed({{10, 9}})}, {9}),
        Rows("NextHorizontalBeforeAPieceBeyond", Align, {kStart, Horizontal(10, 19, 20, 0, 11), Fixed({{20, 9}})},
             {11, 11}),
        Rows("NextHorizontalThenTheEndSeesTheNewRow", Align, {kStart, Horizontal(10, 19, 30, 0, 12)}, {12, 12}),
        Rows("HorizontalBeyondAVertical", Align, {kStart, kV10, Horizontal(10, 19, 30, 0, 12)}, {12, 12}),
        Rows("HorizontalBeyondAVerticalOutsideTheBand", Align,
             {Horizontal(0, 9, 10, 0, 5), kV10, Horizontal(10, 19, 30, 8, 12)}, {5, 12}),
        Rows("EndTakesTheLastPixel", Align, {kPath, kEnd}, {9}),
        Rows("EndBeyondAVertical", Align, {kPath, Vertical(5, 6, 20, 0, 5), kEnd}, {9}),
        Rows("SingleRoom", Align, {kStart}, {5}),
        Rows("CornerOutsideMovesIntoTheSharedBand", Resolve, {kLeft, kAt0}, {2}),
        Rows("NarrowerWidthClassStays", Resolve, {Vertical(0, 8, 2, -5, 5), Horizontal(10, 30, 10, 0, 5)}, {5}),
        Rows("SameWidthClassMoves", Resolve, {Vertical(0, 8, 1, -5, 5), Horizontal(10, 30, 10, 0, 2)}, {1}),
        Rows("LineAfterTheRoom", Resolve, {kAt0, Vertical(32, 40, 20, 2, 35)}, {2}),
        Rows("RowInsideTheVerticalBandStays", Resolve, {Vertical(0, 8, 20, -2, 5), kAt0}, {0}),
        Rows("CornerInsideStays", Resolve, {Vertical(10, 18, 20, 2, 15), kAt0}, {0}),
        Rows("NoSharedBandStays", Resolve, {Vertical(0, 8, 30, 20, 5), kAt0}, {0}),
        Rows("LinesOnBothSides", Resolve, {kLeft, kAt0, Vertical(32, 40, 9, 4, 35)}, {4}),
        Rows("PieceIsNoConflict", Resolve, {Fixed({{0, 20}}), kAt0}, {0}),
        Rows("Width4Beside30", Merge, {k30, Horizontal(30, 33, 20, 0, 15)}, {5, 5}),
        // Length 4 is the longest piece that merges by its length alone (6 is not under a fifth of 30).
        Rows("Width6Length2", Merge, {k30, k6, Fixed({{32, 15}})}, {5, 5}),
        Rows("Width6Length4", Merge, {k30, k6, Fixed({{34, 15}})}, {5, 5}),
        Rows("Width6Length5", Merge, {k30, k6, Fixed({{35, 15}})}, {5, 15}),
        Rows("TouchingColumns", Merge, {Horizontal(5, 10, 20, 0, 15), Horizontal(11, 60, 10, 0, 5)}, {5, 5}),
        Rows("GapOfOneColumn", Merge, {Horizontal(5, 10, 20, 0, 15), Horizontal(12, 60, 10, 0, 5)}, {15, 5}),
        Rows("RowOutsideTheBand", Merge, {k30, Horizontal(30, 33, 20, 6, 15)}, {5, 15}),
        Rows("VerticalNeighbourRefuses", Merge, {kLow, Vertical(49, 53, 20, 10, 51), kRight}, {2, 15}),
        Rows("VerticalNeighbourPrefers", Merge, {kLow, Vertical(49, 53, 1, -10, 51), kRight}, {2, 2}),
        Rows("PinnedBetweenFixedRooms", Pin,
             {kAt40, Horizontal(10, 15, 30, 10, 25), Fixed({{16, 12}}), Horizontal(16, 99, 12, 10, 11)}, {20, 11}),
        Rows("TooLongToPin", Pin, {kAt40, Horizontal(10, 40, 30, 10, 25), Fixed({{41, 12}})}, {25}),
        // Entered at column 9, left at 28 or 29: rows 40 and 12, clamped to 26 and 14, pin 19 columns only.
        Rows("Length19IsPinned", Pin, {kAt40, Horizontal(10, 28, 30, 10, 25), Fixed({{28, 12}})}, {20}),
        Rows("Length20IsNotPinned", Pin, {kAt40, Horizontal(10, 29, 30, 10, 25), Fixed({{29, 12}})}, {25}),
        Rows("MergedRecordTakesInItsOwnNeighbour", Merge,
             {Horizontal(0, 49, 4, 0, 2), Horizontal(50, 53, 10, 0, 8), Horizontal(54, 60, 20, 0, 15)}, {2, 2, 2}),
        Rows("WiderNeighbourExaminedFirst", Merge,
             {Fixed({{-10, 5}}), Horizontal(0, 3, 20, 0, 9), Horizontal(4, 27, 4, 0, 2), Horizontal(28, 32, 20, 0, 9),
              Fixed({{60, 5}})},
             {2, 2, 9}),
        Rows("EqualBandsInSequenceOrder", Merge,
             {Horizontal(0, 29, 20, 0, 2), Horizontal(30, 33, 20, 0, 8), Horizontal(34, 63, 20, 0, 14)}, {2, 2, 14})),
    CaseName());

TEST(MergeShortHorizontalRooms, KeepsSequenceOrderAmongManyEqualBandsAndLeavesOtherRooms) {
    Rooms rooms;
    std::vector<std::int32_t> expected;
    for (std::int32_t left = 0; left < 12 * 64; left += 64) {
        rooms.insert(rooms.end(), {Horizontal(left, left + 29, 20, 0, 2), Horizontal(left + 30, left + 33, 20, 0, 8),
                                   Horizontal(left + 34, left + 63, 20, 0, 14)});
        expected.insert(expected.end(), {2, 2, 14});
    }
    EXPECT_EQ(RowsOf(MergeShortHorizontalRooms(rooms, 100)), expected);
    const Rooms others{Vertical(0, 4, 9, 1, 2), Fixed({{5, 3}, {6, 4}})};
    EXPECT_EQ(ResolveCornerConflicts(others, 2, 6), others);
    EXPECT_EQ(MergeShortHorizontalRooms(others, 6), others);
    EXPECT_TRUE(MergeShortHorizontalRooms({}, 6).empty());
    EXPECT_THROW(MergeShortHorizontalRooms({Horizontal(0, 3, 9, 0, 4), Fixed({})}, 6), std::invalid_argument);
}

}  // namespace
}  // namespace Zalvo::Detail
