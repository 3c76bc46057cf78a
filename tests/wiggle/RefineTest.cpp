#include "wiggle/Refine.h"

#include "StretchMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

namespace Zalvo::Detail {
namespace {

// Rooms are written in field order: min column, max column, max row, min row,
// first stretch, end stretch, then the row (horizontal) or column (vertical).

using ZalvoTest::Flat;

// Stretch j covers columns 10j .. 10j + 9 on row 0.
Stretches Numbered(std::int32_t count) {
    Stretches stretches;
    for (std::int32_t j = 0; j < count; ++j) stretches.push_back(Flat(10 * j, 10 * j + 9, 0, 5, -5));
    return stretches;
}

const Stretches Ten = Numbered(10);

WiggleRoom Piece(std::int32_t stretch) { return StretchNoRoom(Ten, stretch, stretch + 1); }

WiggleRoom PieceAt(std::vector<Pixel> pixels, std::int32_t stretch = 0) {
    return NoRoom{.pixels = std::move(pixels), .firstStretch = stretch, .endStretch = stretch + 1};
}

TEST(InsertConnectingRoomsTest, ConnectsOnlyHorizontalAndPiecePairs) {
    const Stretches stretches{Flat(0, 29, 5, 9, 0), Flat(30, 59, 12, 19, 10), Flat(60, 69, 12, 19, 10),
                              Flat(70, 79, 40, 45, 35)};
    const Rooms rooms{HorizontalRoom{0, 29, 9, 0, 0, 1, 4}, HorizontalRoom{30, 59, 19, 10, 1, 2, 14},
                      VerticalRoom{60, 69, 19, 10, 2, 3, 64}, StretchNoRoom(stretches, 3, 4)};
    const Rooms connected = InsertConnectingRooms(rooms, stretches, ZalvoTest::Settings(2, 4, 8, 4));
    const Rooms expected{rooms[0], VerticalRoom{21, 29, 9, 0, 0, 1, 25}, rooms[1], rooms[2], rooms[3]};
    EXPECT_EQ(connected, expected);
}

struct SequenceCase {
    const char* name;
    Rooms input;
    Rooms expected;
};

SequenceCase Case(const char* name, Rooms input, Rooms expected) {
    return {name, std::move(input), std::move(expected)};
}

class TurnNarrowMiddlesVerticalTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(TurnNarrowMiddlesVerticalTest, TurnsOnlyANarrowerRoomHoldingBothBands) {
    EXPECT_EQ(TurnNarrowMiddlesVertical(GetParam().input), GetParam().expected);
}

// Around a middle room of columns 50 .. 59: bands 0 .. 9 and 2 .. 8, widths
// 50 and 40, or 10 when narrowed to the middle's width.
const HorizontalRoom Before{0, 49, 9, 0, 0, 1, 4};
const HorizontalRoom After{60, 99, 8, 2, 2, 3, 5};
const HorizontalRoom BeforeAsWide{40, 49, 9, 0, 0, 1, 4};
const HorizontalRoom AfterAsWide{60, 69, 8, 2, 2, 3, 5};
const HorizontalRoom TallMiddle{50, 59, 20, -5, 1, 2, 7};
const HorizontalRoom FlushMiddle{50, 59, 9, 0, 1, 2, 4};  // the band of Before exactly

INSTANTIATE_TEST_SUITE_P(
    Cases, TurnNarrowMiddlesVerticalTest,
    ::testing::Values(
        Case("NarrowRoomHoldingBothBandsTurnsVertical", {Before, TallMiddle, After},
             {Before, VerticalRoom{50, 59, 20, -5, 1, 2, 54}, After}),
        Case("BandsEqualToTheNeighboursEdgesAreHeld", {Before, FlushMiddle, After},
             {Before, VerticalRoom{50, 59, 9, 0, 1, 2, 54}, After}),
        Case("BandNotHoldingTheFirstStays", {Before, HorizontalRoom{50, 59, 8, -5, 1, 2, 7}, After},
             {Before, HorizontalRoom{50, 59, 8, -5, 1, 2, 7}, After}),
        Case("BandNotHoldingTheSecondStays", {Before, HorizontalRoom{50, 59, 20, 3, 1, 2, 7}, After},
             {Before, HorizontalRoom{50, 59, 20, 3, 1, 2, 7}, After}),
        Case("AsWideAsTheRoomBeforeStays", {BeforeAsWide, TallMiddle, After}, {BeforeAsWide, TallMiddle, After}),
        Case("AsWideAsTheRoomAfterStays", {Before, TallMiddle, AfterAsWide}, {Before, TallMiddle, AfterAsWide})),
    ZalvoTest::CaseName());

class FuseEqualBoxPairsTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(FuseEqualBoxPairsTest, FusesAsTheNeighboursAsk) {
    EXPECT_EQ(FuseEqualBoxPairs(GetParam().input), GetParam().expected);
}

// Tall box 10 x 31, wide box 50 x 6; the pair covers stretches 3 and 4.
const HorizontalRoom TallH{10, 19, 30, 0, 3, 4, 15};
const VerticalRoom TallV{10, 19, 30, 0, 4, 5, 14};
const HorizontalRoom WideH{10, 59, 5, 0, 3, 4, 2};
const VerticalRoom WideV{10, 59, 5, 0, 4, 5, 34};
const VerticalRoom OtherV{70, 80, 9, 0, 5, 6, 75};
const HorizontalRoom OtherH{70, 80, 9, 0, 5, 6, 4};

INSTANTIATE_TEST_SUITE_P(
    Cases, FuseEqualBoxPairsTest,
    ::testing::Values(
        Case("TallBoxBetweenPiecesTurnsVertical", {Piece(2), TallH, TallV, Piece(5)},
             {Piece(2), VerticalRoom{10, 19, 30, 0, 3, 4, 14}, Piece(5)}),
        Case("WideBoxBetweenPiecesTurnsHorizontal", {Piece(2), WideV, WideH, Piece(5)},
             {Piece(2), HorizontalRoom{10, 59, 5, 0, 4, 5, 2}, Piece(5)}),
        // As wide as high is not wide.
        Case("SquareBoxBetweenPiecesTurnsVertical",
             {Piece(2), HorizontalRoom{10, 19, 9, 0, 3, 4, 4}, VerticalRoom{10, 19, 9, 0, 4, 5, 14}, Piece(5)},
             {Piece(2), VerticalRoom{10, 19, 9, 0, 3, 4, 14}, Piece(5)}),
        Case("BetweenVerticalsTurnsHorizontal", {OtherV, TallH, TallV, OtherV},
             {OtherV, HorizontalRoom{10, 19, 30, 0, 3, 4, 15}, OtherV}),
        Case("BetweenHorizontalsTurnsVertical", {OtherH, TallV, TallH, OtherH},
             {OtherH, VerticalRoom{10, 19, 30, 0, 4, 5, 14}, OtherH}),
        Case("HorizontalBeforeVerticalAfterStays", {OtherH, TallH, TallV, OtherV}, {OtherH, TallH, TallV, OtherV}),
        Case("PairAtTheEndStays", {Piece(2), TallH, TallV}, {Piece(2), TallH, TallV})),
    ZalvoTest::CaseName());

// Long rooms are 50 columns wide; the short ones 19 and 12 columns wide and
// 5 rows high.
const HorizontalRoom LongA{0, 49, 9, 0, 0, 1, 4};
const HorizontalRoom Short19{50, 68, 9, 0, 1, 2, 4};
const VerticalRoom Short5{69, 70, 30, 26, 2, 3, 69};
const HorizontalRoom Short12{71, 82, 30, 0, 3, 4, 15};
const HorizontalRoom Width20{50, 69, 9, 0, 1, 2, 4};
const HorizontalRoom LongB{83, 140, 9, 0, 4, 5, 4};

class CollapseShortRoomsTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(CollapseShortRoomsTest, CollapsesRunsAndIsolatedShortRooms) {
    EXPECT_EQ(CollapseShortRooms(GetParam().input, Ten), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CollapseShortRoomsTest,
    ::testing::Values(Case("ThreeShortRoomsBecomeOnePiece", {LongA, Short19, Short5, Short12, LongB},
                           {LongA, StretchNoRoom(Ten, 1, 4), LongB}),
                      Case("TwoShortRoomsBecomeOnePiece", {LongA, Short19, Short5, LongB},
                           {LongA, StretchNoRoom(Ten, 1, 3), LongB}),
                      Case("OneShortRoomBetweenLongRoomsStays", {LongA, Short19, LongB}, {LongA, Short19, LongB}),
                      Case("OneShortRoomBetweenPiecesBecomesAPiece", {Piece(0), Short19, Piece(2)},
                           {Piece(0), StretchNoRoom(Ten, 1, 2), Piece(2)}),
                      Case("TwentyIsNotShort", {Piece(0), Width20, Piece(2)}, {Piece(0), Width20, Piece(2)}),
                      Case("TwentyRowsIsNotShort", {Piece(0), VerticalRoom{10, 19, 19, 0, 1, 2, 14}, Piece(2)},
                           {Piece(0), VerticalRoom{10, 19, 19, 0, 1, 2, 14}, Piece(2)}),
                      Case("ShortRoomsAtTheEndsStay", {Short19, Short5, LongB}, {Short19, Short5, LongB})),
    ZalvoTest::CaseName());

// Stretches: 0 .. 7, 8 .. 14, 15 .. 20 and 21 .. 30 on row 2.
const Stretches Row2{Flat(0, 7, 2, 5, 0), Flat(8, 14, 2, 5, 0), Flat(15, 20, 2, 5, 0), Flat(21, 30, 2, 5, 0)};

TEST(CleanNoRoomsTest, MergesPiecesAndCutsWhatLiesInTheNeighbourBoxes) {
    const Rooms rooms{HorizontalRoom{0, 9, 5, 0, 0, 1, 2}, StretchNoRoom(Row2, 1, 2), StretchNoRoom(Row2, 2, 3),
                      HorizontalRoom{18, 30, 5, 0, 3, 4, 2}};
    NoRoom trimmed{{}, 1, 3};
    for (std::int32_t x = 10; x <= 17; ++x) trimmed.pixels.push_back({x, 2});
    EXPECT_EQ(CleanNoRooms(rooms, Row2), (Rooms{rooms[0], trimmed, rooms[3]}));
}

TEST(CleanNoRoomsTest, DropsAPieceInsideItsNeighbour) {
    const Rooms rooms{HorizontalRoom{0, 16, 5, 0, 0, 1, 2}, StretchNoRoom(Row2, 1, 2),
                      HorizontalRoom{18, 30, 5, 0, 2, 4, 2}};
    EXPECT_EQ(CleanNoRooms(rooms, Row2), (Rooms{rooms[0], rooms[2]}));
}

const VerticalRoom Col15{10, 20, 30, 0, 1, 2, 15};
const VerticalRoom Col12{10, 20, 30, 0, 2, 3, 12};
const VerticalRoom Col8{10, 20, 30, 0, 2, 3, 8};
const VerticalRoom ElsewhereV{10, 21, 30, 0, 2, 3, 12};
const HorizontalRoom FarH{100, 120, 60, 50, 3, 4, 55};
const HorizontalRoom FarRowH{100, 120, 60, 50, 4, 5, 52};

class KeepNearestTouchingRoomsTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(KeepNearestTouchingRoomsTest, KeepsTheNearestLine) {
    EXPECT_EQ(KeepNearestTouchingRooms(GetParam().input), GetParam().expected);
}

// The piece ends at (10, 5), on the left border of the vertical boxes; it
// starts inside them, at (15, 5).
INSTANTIATE_TEST_SUITE_P(
    Cases, KeepNearestTouchingRoomsTest,
    ::testing::Values(Case("NearestAfterThePiece", {PieceAt({{0, 5}, {10, 5}}), Col15, Col12, FarH},
                           {PieceAt({{0, 5}, {10, 5}}), Col12, FarH}),
                      Case("EarlierOnATie", {PieceAt({{0, 5}, {10, 5}}), Col12, Col8},
                           {PieceAt({{0, 5}, {10, 5}}), Col12}),
                      Case("DifferentBoxStopsTheExamination", {PieceAt({{0, 5}, {10, 5}}), Col15, ElsewhereV},
                           {PieceAt({{0, 5}, {10, 5}}), Col15, ElsewhereV}),
                      // Neither touches the piece's end: both stay, though one box.
                      Case("RoomsAwayFromThePieceAreAllKept", {PieceAt({{0, 5}, {10, 5}}), FarH, FarRowH},
                           {PieceAt({{0, 5}, {10, 5}}), FarH, FarRowH}),
                      Case("ReversedWalkStillMeasuresFromTheLastPixel", {Col15, Col12, PieceAt({{15, 5}, {10, 5}}, 3)},
                           {Col12, PieceAt({{15, 5}, {10, 5}}, 3)})),
    ZalvoTest::CaseName());

VerticalRoom VerticalOfHeight(std::int32_t height, std::int32_t stretch) {
    const std::int32_t x = 10 * stretch;
    return {x, x + 5, height - 1, 0, stretch, stretch + 1, x + 2};
}

HorizontalRoom HorizontalOfWidth(std::int32_t width, std::int32_t stretch) {
    const std::int32_t x = 100 * stretch;
    return {x, x + width - 1, 5, 0, stretch, stretch + 1, 2};
}

class ThinSameKindGroupsTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(ThinSameKindGroupsTest, KeepsOneTouchingMemberOrAlternates) {
    EXPECT_EQ(ThinSameKindGroups(GetParam().input, Ten), GetParam().expected);
}

// Vertical rooms of stretches 1 and 2 stand at columns 10 .. 15 and
// 20 .. 25; the far pieces touch neither.
INSTANTIATE_TEST_SUITE_P(
    Cases, ThinSameKindGroupsTest,
    ::testing::Values(
        Case("OddPositionsWithTheLargerExtentStay",
             {PieceAt({{0, 100}}, 0), VerticalOfHeight(4, 1), VerticalOfHeight(9, 2), PieceAt({{200, 100}}, 3)},
             {PieceAt({{0, 100}}, 0), Piece(1), VerticalOfHeight(9, 2), PieceAt({{200, 100}}, 3)}),
        Case("EvenPositionsStayOnATie",
             {PieceAt({{0, 100}}, 0), VerticalOfHeight(9, 1), VerticalOfHeight(9, 2), PieceAt({{200, 100}}, 3)},
             {PieceAt({{0, 100}}, 0), VerticalOfHeight(9, 1), Piece(2), PieceAt({{200, 100}}, 3)}),
        Case("MemberTouchingBothNeighboursReplacesTheGroup",
             {PieceAt({{12, 9}}, 0), VerticalOfHeight(9, 1), VerticalOfHeight(9, 2), PieceAt({{16, 4}}, 3)},
             {PieceAt({{12, 9}}, 0), VerticalOfHeight(9, 1), PieceAt({{16, 4}}, 3)}),
        Case("MemberTouchingOneNeighbourOnlyDoesNotReplaceTheGroup",
             {PieceAt({{12, 9}}, 0), VerticalOfHeight(9, 1), VerticalOfHeight(9, 2), PieceAt({{200, 100}}, 3)},
             {PieceAt({{12, 9}}, 0), VerticalOfHeight(9, 1), Piece(2), PieceAt({{200, 100}}, 3)}),
        Case("FirstMemberTouchingTheRoomAfterReplacesAStartGroup",
             {VerticalOfHeight(9, 1), VerticalOfHeight(9, 2), PieceAt({{12, 9}}, 3), PieceAt({{200, 100}}, 4)},
             {VerticalOfHeight(9, 1), PieceAt({{12, 9}}, 3), PieceAt({{200, 100}}, 4)}),
        Case("ThreeRoomsStayAsTheyAre", {VerticalOfHeight(4, 1), VerticalOfHeight(9, 2), PieceAt({{200, 100}}, 3)},
             {VerticalOfHeight(4, 1), VerticalOfHeight(9, 2), PieceAt({{200, 100}}, 3)}),
        Case("LastMemberTouchingTheRoomBeforeReplacesAnEndGroup",
             {PieceAt({{0, 100}}, 0), PieceAt({{26, 3}}, 0), VerticalOfHeight(9, 1), VerticalOfHeight(9, 2)},
             {PieceAt({{0, 100}}, 0), PieceAt({{26, 3}}, 0), VerticalOfHeight(9, 2)}),
        Case("WholeSequenceAsOneGroupAlternates",
             {HorizontalOfWidth(10, 0), HorizontalOfWidth(30, 1), HorizontalOfWidth(10, 2), HorizontalOfWidth(30, 3)},
             {Piece(0), HorizontalOfWidth(30, 1), Piece(2), HorizontalOfWidth(30, 3)})),
    ZalvoTest::CaseName());

struct WideVerticalCase {
    const char* name;
    Rooms input;
    std::size_t index;
    std::int32_t column;
};

class PlaceWideVerticalsTest : public ::testing::TestWithParam<WideVerticalCase> {};

// Window 8: a room 40 columns wide may stand from column 14 to 45.
TEST_P(PlaceWideVerticalsTest, FollowsTheOnePieceBesideIt) {
    const Rooms placed = PlaceWideVerticalsBesideNoRoom(GetParam().input, ZalvoTest::Settings(2, 4, 8, 4));
    EXPECT_EQ(std::get<VerticalRoom>(placed[GetParam().index]).column, GetParam().column);
}

const VerticalRoom Wide40{10, 49, 9, 0, 1, 2, 29};
const VerticalRoom Narrow8{10, 17, 9, 0, 1, 2, 13};

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceWideVerticalsTest,
    ::testing::Values(WideVerticalCase{"PieceEndingLeftOfTheWindow", {PieceAt({{5, 5}}), Wide40, FarH}, 1, 14},
                      WideVerticalCase{"PieceEndingInsideTheRoom", {PieceAt({{30, 5}}), Wide40, FarH}, 1, 30},
                      WideVerticalCase{"PieceStartingRightOfTheRoom", {FarH, Wide40, PieceAt({{60, 5}})}, 1, 45},
                      WideVerticalCase{"PiecesOnBothSides", {PieceAt({{5, 5}}), Wide40, PieceAt({{60, 5}})}, 1, 29},
                      WideVerticalCase{"NotWiderThanTheWindow", {PieceAt({{5, 5}}), Narrow8, FarH}, 1, 13}),
    ZalvoTest::CaseName());

}  // namespace
}  // namespace Zalvo::Detail
