// Refining the first rooms, and placing the vertical lines.
#include "wiggle/Refine.h"
#include "wiggle/VerticalLines.h"

#include "StretchMakers.h"

#include <tuple>

namespace Zalvo::Detail {
namespace {

using namespace ZalvoTest;

// Stretch j covers columns 10j .. 10j + 9 on row 0.
Stretches Numbered(std::int32_t count) {
    Stretches stretches;
    for (std::int32_t j = 0; j < count; ++j) stretches.push_back(Flat(10 * j, 10 * j + 9, 0, 5, -5));
    return stretches;
}

const Stretches kTen = Numbered(10);
// Stretches 0 .. 7, 8 .. 14, 15 .. 20 and 21 .. 30 on row 2.
const Stretches kRow2{Flat(0, 7, 2, 5, 0), Flat(8, 14, 2, 5, 0), Flat(15, 20, 2, 5, 0), Flat(21, 30, 2, 5, 0)};

WiggleRoom Piece(std::int32_t stretch) { return StretchNoRoom(kTen, stretch, stretch + 1); }
WiggleRoom PieceAt(std::vector<Pixel> pixels, std::int32_t stretch = 0) {
    return Fixed(std::move(pixels), stretch, stretch + 1);
}

using Step = Rooms (*)(const Rooms&);

struct StepCase {
    const char* name;
    Step step;
    Rooms input, expected;
};
StepCase Case(const char* name, Step step, Rooms input, Rooms expected) {
    return {name, step, std::move(input), std::move(expected)};
}
// The step leaves the rooms as they are.
StepCase Keep(const char* name, Step step, const Rooms& rooms) { return {name, step, rooms, rooms}; }
// The step puts `rooms` in place of rooms first .. end - 1.
StepCase Swap(const char* name, Step step, const Rooms& input, std::size_t first, std::size_t end, Rooms rooms) {
    rooms.insert(rooms.begin(), input.begin(), input.begin() + static_cast<std::ptrdiff_t>(first));
    rooms.insert(rooms.end(), input.begin() + static_cast<std::ptrdiff_t>(end), input.end());
    return {name, step, input, rooms};
}
class RefineStepTest : public ::testing::TestWithParam<StepCase> {};
TEST_P(RefineStepTest, GivesTheExpectedRooms) { EXPECT_EQ(GetParam().step(GetParam().input), GetParam().expected); }

const Step Turn = TurnNarrowMiddlesVertical;
const Step Fuse = FuseEqualBoxPairs;
const Step Collapse = [](const Rooms& rooms) { return CollapseShortRooms(rooms, kTen); };
const Step Clean = [](const Rooms& rooms) { return CleanNoRooms(rooms, kRow2); };
const Step Nearest = KeepNearestTouchingRooms;
const Step Thin = [](const Rooms& rooms) { return ThinSameKindGroups(rooms, kTen); };
// Window 8: a room 40 columns wide may stand from column 14 to 45.
const Step PlaceWide = [](const Rooms& rooms) { return PlaceWideVerticalsBesideNoRoom(rooms, {2, 4, 8, 4}); };
const Stretches kConnect{Flat(0, 29, 5, 9, 0), Flat(30, 59, 12, 19, 10), Flat(60, 69, 12, 19, 10),
                         Flat(70, 79, 40, 45, 35)};
const Step Insert = [](const Rooms& rooms) { return InsertConnectingRooms(rooms, kConnect, {2, 4, 8, 4}); };
const Step Place = [](const Rooms& rooms) { return PlaceVerticalLines(rooms, 8); };

// TurnNarrowMiddlesVertical: the middle's columns 50 .. 59 between bands 0 .. 9 and 2 .. 8.
const WiggleRoom Before = Horizontal(0, 49, 9, 0, 4, 0, 1), After = Horizontal(60, 99, 8, 2, 5, 2, 3);
const WiggleRoom BeforeAsWide = Horizontal(40, 49, 9, 0, 4, 0, 1), AfterAsWide = Horizontal(60, 69, 8, 2, 5, 2, 3);
const WiggleRoom TallMiddle = Horizontal(50, 59, 20, -5, 7, 1, 2);
// FuseEqualBoxPairs: tall box 10 x 31, wide box 50 x 6; the pair covers stretches 3 and 4.
const WiggleRoom TallH = Horizontal(10, 19, 30, 0, 15, 3, 4), TallV = Vertical(10, 19, 30, 0, 14, 4, 5);
const WiggleRoom WideH = Horizontal(10, 59, 5, 0, 2, 3, 4), WideV = Vertical(10, 59, 5, 0, 34, 4, 5);
const WiggleRoom OtherV = Vertical(70, 80, 9, 0, 75, 5, 6), OtherH = Horizontal(70, 80, 9, 0, 4, 5, 6);
const WiggleRoom TallAsV = Vertical(10, 19, 30, 0, 14, 3, 4);
// CollapseShortRooms: long rooms are 50 columns wide; short ones 19 and 12 wide and 5 high.
const WiggleRoom LongA = Horizontal(0, 49, 9, 0, 4, 0, 1), LongB = Horizontal(83, 140, 9, 0, 4, 4, 5);
const WiggleRoom Short19 = Horizontal(50, 68, 9, 0, 4, 1, 2), Short5 = Vertical(69, 70, 30, 26, 69, 2, 3);
const WiggleRoom Short12 = Horizontal(71, 82, 30, 0, 15, 3, 4);
// KeepNearestTouchingRooms: the piece ends on the vertical boxes' left border, at (10, 5).
const WiggleRoom Col15 = Vertical(10, 20, 30, 0, 15, 1, 2), Col12 = Vertical(10, 20, 30, 0, 12, 2, 3);
const WiggleRoom Col8 = Vertical(10, 20, 30, 0, 8, 2, 3), ElsewhereV = Vertical(10, 21, 30, 0, 12, 2, 3);
const WiggleRoom FarH = Horizontal(100, 120, 60, 50, 55, 3, 4), FarRowH = Horizontal(100, 120, 60, 50, 52, 4, 5);
const WiggleRoom ToCol10 = PieceAt({{0, 5}, {10, 5}});

// ThinSameKindGroups: stretch j's vertical room spans columns 10j .. 10j + 5; far pieces touch none.
WiggleRoom High(std::int32_t height, std::int32_t stretch) {
    return Vertical(10 * stretch, 10 * stretch + 5, height - 1, 0, 10 * stretch + 2, stretch, stretch + 1);
}
WiggleRoom Wide(std::int32_t width, std::int32_t stretch) {
    return Horizontal(100 * stretch, 100 * stretch + width - 1, 5, 0, 2, stretch, stretch + 1);
}
const WiggleRoom FarStart = PieceAt({{0, 100}}, 0), FarEnd = PieceAt({{200, 100}}, 3), Near = PieceAt({{12, 9}}, 0);

WiggleRoom Wide40(std::int32_t column = 29) { return Vertical(10, 49, 9, 0, column, 1, 2); }
const WiggleRoom kMid = Horizontal(50, 60, 9, 0, 4, 2, 3);

// PlaceVerticalLines: a tall line at column 23, a room at row 45, a lower, wider line, a last room.
Rooms Lines(std::int32_t tallRows, std::int32_t shortRows, std::int32_t lastRow, std::int32_t lastMinColumn,
            std::int32_t column) {
    return {Horizontal(0, 19, 9, 0, 4, 0, 1), Vertical(20, 27, tallRows - 1, 0, 23, 1, 2),
            Horizontal(20, 39, 50, 40, 45, 2, 3), Vertical(22, 40, 5 + shortRows - 1, 5, column, 3, 4),
            Horizontal(lastMinColumn, 80, 60, 0, lastRow, 4, 5)};
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RefineStepTest,
    ::testing::Values(
        Swap("ConnectsOnlyHorizontalAndPiecePairs", Insert,
             {Horizontal(0, 29, 9, 0, 4, 0, 1), Horizontal(30, 59, 19, 10, 14, 1, 2),
              Vertical(60, 69, 19, 10, 64, 2, 3), StretchNoRoom(kConnect, 3, 4)},
             1, 1, {Vertical(21, 29, 9, 0, 25, 0, 1)}),
        Swap("NarrowMiddleTurnsVertical", Turn, {Before, TallMiddle, After}, 1, 2,
             {Vertical(50, 59, 20, -5, 54, 1, 2)}),
        Swap("EqualBandsAreHeld", Turn, {Before, Horizontal(50, 59, 9, 0, 4, 1, 2), After}, 1, 2,
             {Vertical(50, 59, 9, 0, 54, 1, 2)}),
        Keep("BandNotHoldingTheFirstStays", Turn, {Before, Horizontal(50, 59, 8, -5, 7, 1, 2), After}),
        Keep("BandNotHoldingTheSecondStays", Turn, {Before, Horizontal(50, 59, 20, 3, 7, 1, 2), After}),
        Keep("AsWideAsTheRoomBeforeStays", Turn, {BeforeAsWide, TallMiddle, After}),
        Keep("AsWideAsTheRoomAfterStays", Turn, {Before, TallMiddle, AfterAsWide}),
        Swap("TallBoxBetweenPiecesTurnsVertical", Fuse, {Piece(2), TallH, TallV, Piece(5)}, 1, 3, {TallAsV}),
        Swap("WideBoxBetweenPiecesTurnsHorizontal", Fuse, {Piece(2), WideV, WideH, Piece(5)}, 1, 3,
             {Horizontal(10, 59, 5, 0, 2, 4, 5)}),
        // As wide as high is not wide.
        Swap("SquareBoxBetweenPiecesTurnsVertical", Fuse,
             {Piece(2), Horizontal(10, 19, 9, 0, 4, 3, 4), Vertical(10, 19, 9, 0, 14, 4, 5), Piece(5)}, 1, 3,
             {Vertical(10, 19, 9, 0, 14, 3, 4)}),
        Swap("BetweenVerticalsTurnsHorizontal", Fuse, {OtherV, TallH, TallV, OtherV}, 1, 3, {TallH}),
        Swap("BetweenHorizontalsTurnsVertical", Fuse, {OtherH, TallV, TallH, OtherH}, 1, 3, {TallV}),
        Keep("HorizontalBeforeVerticalAfterStays", Fuse, {OtherH, TallH, TallV, OtherV}),
        Keep("PairAtTheEndStays", Fuse, {Piece(2), TallH, TallV}),
        Swap("ThreeShortRoomsBecomeOnePiece", Collapse, {LongA, Short19, Short5, Short12, LongB}, 1, 4,
             {StretchNoRoom(kTen, 1, 4)}),
        Swap("TwoShortRoomsBecomeOnePiece", Collapse, {LongA, Short19, Short5, LongB}, 1, 3,
             {StretchNoRoom(kTen, 1, 3)}),
        Keep("OneShortRoomBetweenLongRoomsStays", Collapse, {LongA, Short19, LongB}),
        Swap("ShortRoomBetweenPiecesBecomesAPiece", Collapse, {Piece(0), Short19, Piece(2)}, 1, 2, {Piece(1)}),
        Keep("TwentyIsNotShort", Collapse, {Piece(0), Horizontal(50, 69, 9, 0, 4, 1, 2), Piece(2)}),
        Keep("TwentyRowsIsNotShort", Collapse, {Piece(0), Vertical(10, 19, 19, 0, 14, 1, 2), Piece(2)}),
        Keep("ShortRoomsAtTheEndsStay", Collapse, {Short19, Short5, LongB}),
        Case("MergesPiecesAndCutsWhatLiesInTheNeighbourBoxes", Clean,
             {Horizontal(0, 9, 5, 0, 2, 0, 1), StretchNoRoom(kRow2, 1, 2), StretchNoRoom(kRow2, 2, 3),
              Horizontal(18, 30, 5, 0, 2, 3, 4)},
             {Horizontal(0, 9, 5, 0, 2, 0, 1),
              Fixed({{10, 2}, {11, 2}, {12, 2}, {13, 2}, {14, 2}, {15, 2}, {16, 2}, {17, 2}}, 1, 3),
              Horizontal(18, 30, 5, 0, 2, 3, 4)}),
        Swap("DropsAPieceInsideItsNeighbour", Clean,
             {Horizontal(0, 16, 5, 0, 2, 0, 1), StretchNoRoom(kRow2, 1, 2), Horizontal(18, 30, 5, 0, 2, 2, 4)}, 1, 2,
             {}),
        Swap("NearestAfterThePiece", Nearest, {ToCol10, Col15, Col12, FarH}, 1, 2, {}),
        Case("EarlierOnATie", Nearest, {ToCol10, Col12, Col8}, {ToCol10, Col12}),
        Keep("DifferentBoxStopsTheExamination", Nearest, {ToCol10, Col15, ElsewhereV}),
        // Neither touches the piece's end: both stay, though one box.
        Keep("RoomsAwayFromThePieceAreAllKept", Nearest, {ToCol10, FarH, FarRowH}),
        Swap("ReversedWalkMeasuresFromTheLastPixel", Nearest, {Col15, Col12, PieceAt({{15, 5}, {10, 5}}, 3)}, 0, 1, {}),
        Swap("OddPositionsWithTheLargerExtentStay", Thin, {FarStart, High(4, 1), High(9, 2), FarEnd}, 1, 2, {Piece(1)}),
        Swap("EvenPositionsStayOnATie", Thin, {FarStart, High(9, 1), High(9, 2), FarEnd}, 2, 3, {Piece(2)}),
        Swap("MemberTouchingBothSidesStays", Thin, {Near, High(9, 1), High(9, 2), PieceAt({{16, 4}}, 3)}, 2, 3, {}),
        Swap("MemberTouchingOneSideAlternates", Thin, {Near, High(9, 1), High(9, 2), FarEnd}, 2, 3, {Piece(2)}),
        Swap("FirstMemberTouchingTheRoomAfterStays", Thin,
             {High(9, 1), High(9, 2), PieceAt({{12, 9}}, 3), PieceAt({{200, 100}}, 4)}, 1, 2, {}),
        Keep("ThreeRoomsStayAsTheyAre", Thin, {High(4, 1), High(9, 2), FarEnd}),
        Swap("LastMemberTouchingTheRoomBeforeStays", Thin, {FarStart, PieceAt({{26, 3}}, 0), High(9, 1), High(9, 2)}, 2,
             3, {}),
        Case("WholeSequenceAsOneGroupAlternates", Thin, {Wide(10, 0), Wide(30, 1), Wide(10, 2), Wide(30, 3)},
             {Piece(0), Wide(30, 1), Piece(2), Wide(30, 3)}),
        Swap("PieceEndingLeftOfTheWindow", PlaceWide, {PieceAt({{5, 5}}), Wide40(), FarH}, 1, 2, {Wide40(14)}),
        Swap("PieceEndingInsideTheRoom", PlaceWide, {PieceAt({{30, 5}}), Wide40(), FarH}, 1, 2, {Wide40(30)}),
        Swap("PieceStartingRightOfTheRoom", PlaceWide, {FarH, Wide40(), PieceAt({{60, 5}})}, 1, 2, {Wide40(45)}),
        Keep("PiecesOnBothSides", PlaceWide, {PieceAt({{5, 5}}), Wide40(), PieceAt({{60, 5}})}),
        Keep("NotWiderThanTheWindow", PlaceWide, {PieceAt({{5, 5}}), Vertical(10, 17, 9, 0, 13, 1, 2), FarH}),
        Swap("PreferredColumnFixesTheLine", Place, {PieceAt({{30, 5}}), Wide40(), kMid}, 1, 2, {Wide40(30)}),
        Keep("LineNarrowerThanTheWindowKeepsItsColumn", Place,
             {PieceAt({{12, 5}}), Vertical(10, 16, 9, 0, 13, 1, 2), kMid}),
        // From row 45 to 41 a line is short enough to follow, to 40 not; a longer one follows when dwarfed.
        Case("DwarfedNeighbourFollows", Place, Lines(101, 6, 4, 21, 31), Lines(101, 6, 4, 21, 23)),
        Case("ShortLineFollows", Place, Lines(101, 30, 42, 21, 31), Lines(101, 30, 42, 21, 23)),
        Case("FourRowLineFollows", Place, Lines(101, 30, 41, 21, 31), Lines(101, 30, 41, 21, 23)),
        Keep("FiveRowLineStays", Place, Lines(101, 30, 40, 21, 31)),
        Keep("LongLineOfSimilarHeightStays", Place, Lines(101, 30, 4, 21, 31)),
        Keep("DetourAroundTheNextRoomForbidsTheMove", Place, Lines(101, 6, 4, 41, 31)),
        Case("NineRowsOfFiftyFollow", Place, Lines(50, 9, 4, 21, 31), Lines(50, 9, 4, 21, 23)),
        Keep("TenRowsOfFiftyStay", Place, Lines(50, 10, 4, 21, 31))),
    CaseName());

TEST(PreferredColumnTest, FollowsTheNearbyPieces) {
    const WiggleRoom wide = Wide40();
    const std::tuple<Rooms, std::size_t, std::optional<std::int32_t>> cases[] = {
        {{PieceAt({{30, 5}}), Vertical(10, 16, 9, 0, 13, 1, 2)}, 1, std::nullopt},  // narrower than the window
        {{PieceAt({{30, 5}}), Vertical(10, 17, 9, 0, 13, 1, 2)}, 1, 13},            // a window wide: the bounds meet
        {{PieceAt({{0, 0}, {30, 5}}), wide}, 1, 30},                                // a piece before
        {{PieceAt({{5, 5}}), wide}, 1, 14},                                         // clamped to the left bound
        {{wide, PieceAt({{60, 5}, {0, 0}})}, 0, 45},              // a piece after, clamped to the right
        {{PieceAt({{30, 5}}), wide, PieceAt({{60, 5}})}, 1, 37},  // both sides meet
        {{PieceAt({{20, 5}}), kMid, wide, kMid}, 2, 20},          // across one horizontal room
        {{PieceAt({{20, 5}}), wide, wide}, 2, std::nullopt},      // not across a vertical one
        {{wide, kMid, PieceAt({{40, 5}})}, 0, 40},                // the first room looks only right
        {{PieceAt({{40, 5}}), kMid, wide}, 2, 40},                // the last only left
        {{kMid, wide, kMid}, 1, std::nullopt}};                   // no piece nearby
    for (const auto& [rooms, index, column] : cases)
        EXPECT_EQ(PreferredColumn(rooms, index, 8), column) << testing::PrintToString(rooms);
}

// Forty equally wide lines: the first in room order places first, and every other line follows it.
TEST(PlaceVerticalLinesTest, EqualWidthsKeepRoomOrderBeyondThirtyTwoLines) {
    Rooms rooms;
    for (std::int32_t i = 0; i < 40; ++i) rooms.push_back(Vertical(0, 99, 9, 0, 10 + i, i, i + 1));
    const auto placed = PlaceVerticalLines(rooms, 8);
    for (std::size_t i = 0; i < placed.size(); ++i) EXPECT_EQ(std::get<VerticalRoom>(placed[i]).column, 10) << i;
}

}  // namespace
}  // namespace Zalvo::Detail
