#include "wiggle/VerticalLines.h"

#include "StretchMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

namespace Zalvo::Detail {
namespace {

// Rooms are written in field order: min column, max column, max row, min row,
// first stretch, end stretch, then the row (horizontal) or column (vertical).

constexpr std::int32_t Window = 8;

// 40 columns wide: with a window of 8 it may be fixed from column 14 to 45.
const VerticalRoom Wide{10, 49, 9, 0, 1, 2, 29};
const HorizontalRoom Middle{50, 60, 9, 0, 2, 3, 4};

WiggleRoom Piece(std::vector<Pixel> pixels) {
    return NoRoom{.pixels = std::move(pixels), .firstStretch = 0, .endStretch = 1};
}

struct PreferredCase {
    const char* name;
    std::vector<WiggleRoom> rooms;
    std::size_t index;
    std::optional<std::int32_t> expected;
};

class PreferredColumnTest : public ::testing::TestWithParam<PreferredCase> {};

TEST_P(PreferredColumnTest, FollowsTheNearbyPieces) {
    EXPECT_EQ(PreferredColumn(GetParam().rooms, GetParam().index, Window), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreferredColumnTest,
    ::testing::Values(
        PreferredCase{
            "NarrowerThanTheWindow", {Piece({{30, 5}}), VerticalRoom{10, 16, 9, 0, 1, 2, 13}}, 1, std::nullopt},
        // Exactly a window wide: both bounds meet in the middle (13 and 14).
        PreferredCase{"ExactlyTheWindowWide", {Piece({{30, 5}}), VerticalRoom{10, 17, 9, 0, 1, 2, 13}}, 1, 13},
        PreferredCase{"PieceBefore", {Piece({{0, 0}, {30, 5}}), Wide}, 1, 30},
        PreferredCase{"PieceBeforeClampedToTheLeftBound", {Piece({{5, 5}}), Wide}, 1, 14},
        PreferredCase{"PieceAfterClampedToTheRightBound", {Wide, Piece({{60, 5}, {0, 0}})}, 0, 45},
        PreferredCase{"BothSidesMeet", {Piece({{30, 5}}), Wide, Piece({{60, 5}})}, 1, 37},
        PreferredCase{"AcrossOneHorizontalRoom", {Piece({{20, 5}}), Middle, Wide, Middle}, 2, 20},
        PreferredCase{"NotAcrossAVerticalRoom", {Piece({{20, 5}}), Wide, Wide}, 2, std::nullopt},
        PreferredCase{"FirstRoomLooksOnlyRight", {Wide, Middle, Piece({{40, 5}})}, 0, 40},
        PreferredCase{"LastRoomLooksOnlyLeft", {Piece({{40, 5}}), Middle, Wide}, 2, 40},
        PreferredCase{"NoPieceNearby", {Middle, Wide, Middle}, 1, std::nullopt}),
    ZalvoTest::CaseName());

std::int32_t ColumnOf(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    return std::get<VerticalRoom>(rooms[index]).column;
}

TEST(PlaceVerticalLinesTest, PreferredColumnFixesTheLine) {
    const auto placed = PlaceVerticalLines({Piece({{30, 5}}), Wide, Middle}, Window);
    EXPECT_EQ(ColumnOf(placed, 1), 30);
}

TEST(PlaceVerticalLinesTest, LineNarrowerThanTheWindowKeepsItsColumn) {
    const auto placed = PlaceVerticalLines({Piece({{12, 5}}), VerticalRoom{10, 16, 9, 0, 1, 2, 13}, Middle}, Window);
    EXPECT_EQ(ColumnOf(placed, 1), 13);
}

struct PullCase {
    const char* name;
    std::int32_t shortHeight;     // rows of the second vertical room
    std::int32_t lastRow;         // row of the room after it
    std::int32_t lastMinColumn;   // where that room starts
    std::int32_t expectedColumn;  // of the second vertical room
};

class PullTest : public ::testing::TestWithParam<PullCase> {};

// A tall narrow line of `tallRows` rows at column 23 and a lower, wide one of
// `shortRows` rows at column 31, with a horizontal room (columns 20 .. 39, row
// 45) between them and one from `lastMinColumn` at `lastRow` after them.
std::vector<WiggleRoom> TallAndShortLines(std::int32_t tallRows, std::int32_t shortRows, std::int32_t lastMinColumn,
                                          std::int32_t lastRow) {
    return {HorizontalRoom{0, 19, 9, 0, 0, 1, 4}, VerticalRoom{20, 27, tallRows - 1, 0, 1, 2, 23},
            HorizontalRoom{20, 39, 50, 40, 2, 3, 45}, VerticalRoom{22, 40, 5 + shortRows - 1, 5, 3, 4, 31},
            HorizontalRoom{lastMinColumn, 80, 60, 0, 4, 5, lastRow}};
}

TEST_P(PullTest, TallLinePullsItsNeighbour) {
    const auto& p = GetParam();
    const auto placed = PlaceVerticalLines(TallAndShortLines(101, p.shortHeight, p.lastMinColumn, p.lastRow), Window);
    EXPECT_EQ(ColumnOf(placed, 1), 23);
    EXPECT_EQ(ColumnOf(placed, 3), p.expectedColumn);
}

INSTANTIATE_TEST_SUITE_P(Cases, PullTest,
                         ::testing::Values(PullCase{"DwarfedNeighbourFollows", 6, 4, 21, 23},
                                           PullCase{"ShortLineFollows", 30, 42, 21, 23},
                                           // Entered at row 45, left at 41 or 40: a line
                                           // of 4 rows is short enough to follow, 5 is not.
                                           PullCase{"FourRowLineFollows", 30, 41, 21, 23},
                                           PullCase{"FiveRowLineStays", 30, 40, 21, 31},
                                           PullCase{"LongLineOfSimilarHeightStays", 30, 4, 21, 31},
                                           PullCase{"DetourAroundTheNextRoomForbidsTheMove", 6, 4, 41, 31}),
                         ZalvoTest::CaseName());

struct ShareCase {
    const char* name;
    std::int32_t shortHeight;     // rows of the second vertical room
    std::int32_t expectedColumn;  // of the second vertical room
};

class DwarfedShareTest : public ::testing::TestWithParam<ShareCase> {};

// A line of 50 rows and a lower one, 10 or more rows long between its
// horizontal neighbours, so only its height can make it follow: under a fifth
// of 50 it does, at exactly a fifth it keeps its column.
TEST_P(DwarfedShareTest, FollowsOnlyUnderAFifthOfTheTallLine) {
    const auto& p = GetParam();
    const auto placed = PlaceVerticalLines(TallAndShortLines(50, p.shortHeight, 21, 4), Window);
    EXPECT_EQ(ColumnOf(placed, 1), 23);
    EXPECT_EQ(ColumnOf(placed, 3), p.expectedColumn);
}

INSTANTIATE_TEST_SUITE_P(Cases, DwarfedShareTest,
                         ::testing::Values(ShareCase{"NineRowsFollow", 9, 23}, ShareCase{"TenRowsStay", 10, 31}),
                         ZalvoTest::CaseName());

// Forty equally wide lines side by side: the first in room order places
// first, and every other line follows it.
TEST(PlaceVerticalLinesTest, EqualWidthsKeepRoomOrderBeyondThirtyTwoLines) {
    std::vector<WiggleRoom> rooms;
    for (std::int32_t i = 0; i < 40; ++i) rooms.emplace_back(VerticalRoom{0, 99, 9, 0, i, i + 1, 10 + i});
    const auto placed = PlaceVerticalLines(rooms, Window);
    for (std::size_t i = 0; i < placed.size(); ++i) EXPECT_EQ(ColumnOf(placed, i), 10) << "room " << i;
}

}  // namespace
}  // namespace Zalvo::Detail
