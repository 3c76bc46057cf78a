#include "wiggle/Connect.h"

#include "StretchMakers.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <type_traits>

namespace Zalvo::Detail {
namespace {

using namespace ZalvoTest;

// Minimum band 2, sufficient band 4, window 8, half width 4.
const RoomSettings kDefault{2, 4, 8, 4};

struct HorizontalCase {
    const char* name;
    Stretches stretches;
    HorizontalRoom before, after;
    std::int32_t minimumBand;
    WiggleRoom expected;
};
HorizontalCase Case(const char* name, Stretches stretches, const HorizontalRoom& before, const HorizontalRoom& after,
                    std::int32_t minimumBand, WiggleRoom expected) {
    return {name, std::move(stretches), before, after, minimumBand, std::move(expected)};
}
class ConnectHorizontalTest : public ::testing::TestWithParam<HorizontalCase> {};
TEST_P(ConnectHorizontalTest, PicksTheFirstBranchThatApplies) {
    const auto& p = GetParam();
    EXPECT_EQ(ConnectHorizontal(p.before, p.after, p.stretches, {p.minimumBand, 4, 8, 4}), p.expected);
}

// The rooms and stretches of the cases; a room's stretches are its 5th and 6th fields.
const HorizontalRoom kLow{0, 29, 9, 0, 0, 1, 4}, kHigh{30, 59, 19, 10, 1, 2, 14};
const HorizontalRoom kFlat{0, 9, 3, 0, 0, 1, 1}, kRising{10, 29, 13, 10, 1, 3, 11};
const HorizontalRoom kFlat2{0, 19, 3, 0, 0, 2, 1};
const HorizontalRoom kLeft3{0, 2, 9, 0, 0, 1, 4}, kRight3{3, 32, 19, 10, 1, 2, 14};
const Stretches kLowSide{Flat(0, 29, 5, 9, 0), Flat(30, 59, 12, 19, 10)};
const Stretches kHighSide{Flat(0, 29, 8, 9, 0), Flat(30, 59, 17, 19, 10)};
// The path runs as many rows inside each band (7 .. 9 and 10 .. 12).
const Stretches kEvenSides{Flat(0, 29, 7, 9, 0), Flat(30, 59, 12, 19, 10)};
const Stretches kNarrow{Flat(0, 2, 5, 9, 0), Flat(3, 32, 12, 19, 10)};
const Stretches kWindowWide{Flat(0, 7, 5, 9, 0), Flat(8, 37, 12, 19, 10)};
const Stretches kShared{Flat(0, 9, 1, 3, 0), Flat(10, 19, 5, 13, 0), Flat(20, 29, 11, 13, 10)};
const Stretches kIntoAfter{Flat(0, 9, 1, 3, 0), Flat(10, 14, 6, 13, 0), Flat(15, 29, 11, 13, 10)};
const Stretches kShallow{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 29, 8, 12, 1)};
const Stretches kShallowAt8{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 17, 8, 12, 1)};
const Stretches kDeep{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 29, 8, 13, 0)};
const Stretches kIntoBefore{Flat(0, 9, 1, 3, 0), Flat(10, 19, 6, 13, 0), Flat(20, 29, 11, 13, 10)};
const Stretches kApart{Flat(0, 9, 1, 3, 0), Flat(10, 19, 11, 13, 10)};
// Bands 5 .. 5 and 7 .. 12 leave row 6 (stretch 1) for a connecting band to reach from both sides.
const Stretches kOneRow{Flat(0, 11, 5, 5, 5), Flat(12, 21, 6, 6, 6), Flat(22, 31, 9, 12, 7)};
// The same with stretch 0 reaching row 6 too and as wide: both walks find ten columns.
const Stretches kEqualWalks{Flat(0, 9, 5, 6, 5), Flat(10, 19, 6, 6, 6), Flat(20, 29, 9, 12, 7)};

INSTANTIATE_TEST_SUITE_P(
    Branches, ConnectHorizontalTest,
    ::testing::Values(
        // Cut at the end of the room whose band covers more of the path's rows; on a tie, from the second.
        Case("CutFromTheBetterCoveredFirst", kLowSide, kLow, kHigh, 2, Vertical(21, 29, 9, 0, 25, 0, 1)),
        Case("CutFromTheBetterCoveredSecond", kHighSide, kLow, kHigh, 2, Vertical(30, 38, 19, 10, 34, 1, 2)),
        Case("EvenCoverCutsFromTheSecond", kEvenSides, kLow, kHigh, 2, Vertical(30, 38, 19, 10, 34, 1, 2)),
        Case("NarrowSideSpansBandPlusOne", kNarrow, kLeft3, kRight3, 2, Vertical(0, 2, 9, 0, 1, 0, 1)),
        Case("NarrowSideMayLeaveThePlate", kNarrow, kLeft3, kRight3, 5, Vertical(-1, 2, 9, 0, 0, 0, 1)),
        // Exactly the window (8 columns) wide: the cut spans the window, not the minimum band.
        Case("WindowWideSpansTheWindow", kWindowWide, {0, 7, 9, 0, 0, 1, 4}, {8, 37, 19, 10, 1, 2, 14}, 2,
             Vertical(-1, 7, 9, 0, 3, 0, 1)),
        Case("SharedStretches", kShared, kFlat2, kRising, 2, Vertical(10, 19, 13, 0, 14, 1, 2)),
        Case("SharedExactlyTheNarrowest", kShared, kFlat2, kRising, 10, Vertical(10, 19, 13, 0, 14, 1, 2)),
        Case("ForwardWalk", kIntoAfter, kFlat, kRising, 2, Vertical(10, 14, 13, 0, 12, 0, 3)),
        Case("WideShallowStepStops", kShallow, kFlat, kRising, 2, Vertical(10, 12, 13, 0, 11, 0, 3)),
        Case("WindowWideShallowStepStops", kShallowAt8, kFlat, {10, 17, 13, 10, 1, 3, 11}, 2,
             Vertical(10, 12, 13, 0, 11, 0, 3)),
        Case("WideDeepStepGoesOn", kDeep, kFlat, kRising, 2, Vertical(10, 29, 13, 0, 19, 0, 3)),
        Case("BackwardWalk", kIntoBefore, kFlat2, {20, 29, 13, 10, 2, 3, 11}, 2, Vertical(10, 19, 13, 0, 14, 0, 3)),
        // Forward the band narrows to row 6, still reaching both floors; backward stretch 0 stops below it.
        Case("OneRowBandReachingBothFloors", kOneRow, {0, 11, 5, 5, 0, 1, 5}, {12, 31, 12, 7, 1, 3, 9}, 2,
             Vertical(12, 21, 6, 6, 16, 0, 3)),
        Case("EqualWalksPreferForward", kEqualWalks, {0, 9, 5, 5, 0, 1, 5}, {10, 29, 12, 7, 1, 3, 9}, 2,
             Vertical(10, 19, 6, 6, 14, 0, 3)),
        Case("NoWayAcrossKeepsThePixels", kApart, kFlat, {10, 19, 13, 10, 1, 2, 11}, 2, StretchNoRoom(kApart, 0, 2))),
    CaseName());

// Half width 4; minimum width 2 reaches 1.5 columns, 3 reaches 2.
TEST(VerticalWindowTest, CutsAroundThePixel) {
    const HorizontalRoom wide{10, 49, 9, 0, 3, 5, 4};
    // Pixel column, minimum width: the window's columns and line.
    const std::array<std::int32_t, 5> cases[] = {{9, 2, 10, 17, 13},    // near the left end
                                                 {49, 2, 42, 49, 45},   // near the right end
                                                 {30, 2, 26, 34, 30},   // half width each side
                                                 {14, 2, 10, 18, 14},   // half width exactly to the start
                                                 {45, 2, 41, 49, 45},   // ... and to the end
                                                 {12, 2, 11, 13, 12},   // half the minimum width each side
                                                 {12, 3, 10, 14, 12},   // reach exactly to the start is not near
                                                 {47, 3, 45, 49, 47}};  // ... nor to the end
    for (const auto& [x, width, lo, hi, column] : cases)
        EXPECT_EQ(WiggleRoom(VerticalWindow(wide, {x, 10}, width, kDefault)), Vertical(lo, hi, 9, 0, column, 3, 5))
            << x;
    EXPECT_EQ(WiggleRoom(VerticalWindow({10, 14, 9, 0, 3, 5, 4}, {10, 10}, 2, kDefault)),
              Vertical(10, 14, 9, 0, 12, 3, 5));  // narrower than the window
}

// ConnectFromNoRoom mirrors ConnectToNoRoom: each case also runs with columns, stretches and pixels reversed.
struct Mirror {
    std::int32_t count;  // stretches
    static std::int32_t X(std::int32_t x) { return 100 - x; }
    static std::vector<Pixel> Pixels(std::vector<Pixel> pixels) {
        for (Pixel& pixel : pixels) pixel.x = X(pixel.x);
        std::reverse(pixels.begin(), pixels.end());
        return pixels;
    }
    Stretches All(const Stretches& stretches) const {
        Stretches mirrored;
        for (auto it = stretches.rbegin(); it != stretches.rend(); ++it)
            mirrored.push_back(
                {Pixels(it->pixels), {X(it->box.maxColumn), X(it->box.minColumn), it->box.maxRow, it->box.minRow}});
        return mirrored;
    }
    template <class Room>
    Room One(Room room) const {
        std::tie(room.firstStretch, room.endStretch) = std::pair{count - room.endStretch, count - room.firstStretch};
        if constexpr (std::is_same_v<Room, NoRoom>) {
            room.pixels = Pixels(room.pixels);
        } else {
            std::tie(room.minColumn, room.maxColumn) = std::pair{X(room.maxColumn), X(room.minColumn)};
            if constexpr (std::is_same_v<Room, VerticalRoom>) room.column = Middle(room.minColumn, room.maxColumn);
        }
        return room;
    }
    WiggleRoom One(const WiggleRoom& room) const {
        return std::visit([this](const auto& r) { return WiggleRoom(One(r)); }, room);
    }
};

struct NoRoomCase {
    const char* name;
    Stretches stretches;
    HorizontalRoom room;
    NoRoom piece;
    WiggleRoom expected;
};
NoRoomCase Case(const char* name, Stretches stretches, const HorizontalRoom& room, NoRoom piece, WiggleRoom expected) {
    return {name, std::move(stretches), room, std::move(piece), std::move(expected)};
}
// The piece is the last of three stretches.
NoRoomCase Case(const char* name, const Stretches& stretches, const HorizontalRoom& room, WiggleRoom expected) {
    return Case(name, stretches, room, StretchNoRoom(stretches, 2, 3), std::move(expected));
}
class ConnectNoRoomTest : public ::testing::TestWithParam<NoRoomCase> {};
TEST_P(ConnectNoRoomTest, ToThePieceAndMirroredFromIt) {
    const auto& p = GetParam();
    EXPECT_EQ(ConnectToNoRoom(p.room, p.piece, p.stretches, kDefault), p.expected);
    const Mirror m{static_cast<std::int32_t>(p.stretches.size())};
    EXPECT_EQ(ConnectFromNoRoom(m.One(p.piece), m.One(p.room), m.All(p.stretches), kDefault), m.One(p.expected));
}

Stretch WithBox(const Stretch& stretch, const Box& box) { return {stretch.pixels, box}; }

// The room covers stretches 0 .. 1 on row 4; the piece, stretch 2, lies far away.
const Stretches kFar{Flat(0, 9, 4, 9, 0), Flat(10, 19, 4, 15, 0), Flat(40, 49, 30, 35, 25)};
// Stretch 1 no longer holds the room's lowest row.
const Stretches kFarNarrowed{kFar[0], WithBox(kFar[1], {10, 19, 15, 3}), kFar[2]};
// Gap stretch 1 does not touch the room, so the reach goes on into stretch 0, which narrows the common box.
Stretches Gap(const Stretch& between) {
    return {WithBox(Flat(0, 9, 4, 9, 0), {0, 25, 9, 0}), between, Flat(40, 49, 30, 35, 25)};
}
const Stretches kGapWide = Gap(WithBox(Flat(11, 19, 6, 12, 2), {5, 19, 12, 2}));
const Stretches kGapLow = Gap(WithBox(Flat(11, 19, 2, 2, 0), {5, 19, 2, 0}));
const Stretches kGapNarrow = Gap(Stretch{{{7, 6}}, {5, 6, 12, 2}});
// The piece (stretch 0) passes the room's ring at (9, 10) and (30, 10).
const Stretches kTouching{Flat(0, 0, 0, 0, 0), Flat(10, 49, 4, 9, 0)};
constexpr HorizontalRoom kToGap{0, 5, 9, 2, 0, 1, 4}, kToFar{0, 19, 9, 0, 0, 2, 4}, kBeside{10, 49, 9, 0, 1, 2, 4};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectNoRoomTest,
    ::testing::Values(
        Case("WindowAroundTheLastTouchingPixel", kTouching, kBeside, {{{5, 20}, {9, 10}, {30, 10}}, 0, 1},
             Vertical(26, 34, 9, 0, 30, 1, 2)),
        Case("WindowAtTheEndNearTheTouchingPixel", kTouching, kBeside, {{{30, 20}, {49, 10}}, 0, 1},
             Vertical(42, 49, 9, 0, 45, 1, 2)),
        Case("PieceFarAwayUsesTheRoomsLastStretch", kFar, kToFar, Vertical(10, 19, 15, 0, 14, 0, 2)),
        Case("StretchWithoutTheRoomsRowsKeepsThePixels", kFarNarrowed, kToFar, StretchNoRoom(kFarNarrowed, 0, 2)),
        // The room ends at column 5, where the common box starts.
        Case("ReachThroughAGapNarrowsToEveryBox", kGapWide, kToGap, Vertical(5, 19, 9, 2, 12, 0, 2)),
        Case("CommonRowsEndingAtTheRoomsLowestRowHoldIt", kGapLow, kToGap, Vertical(5, 19, 2, 0, 12, 0, 2)),
        Case("CommonColumnsOfTheMinimumWidthAreEnough", kGapNarrow, kToGap, Vertical(5, 6, 9, 2, 5, 0, 2))),
    CaseName());

}  // namespace
}  // namespace Zalvo::Detail
