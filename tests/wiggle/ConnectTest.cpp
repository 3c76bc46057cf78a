#include "wiggle/Connect.h"

#include "StretchMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Zalvo::Detail {
namespace {

// Rooms are written in field order: min column, max column, max row, min row,
// first stretch, end stretch, then the row (horizontal) or column (vertical).

using ZalvoTest::Flat;
using ZalvoTest::Settings;

// Minimum band 2, sufficient band 4, window 8, half width 4.
const RoomSettings Default = Settings(2, 4, 8, 4);

NoRoom PiecesOf(const Stretches& stretches, std::int32_t first, std::int32_t end) {
    return StretchNoRoom(stretches, first, end);
}

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
    const RoomSettings settings = Settings(p.minimumBand, 4, 8, 4);
    EXPECT_EQ(ConnectHorizontal(p.before, p.after, p.stretches, settings), p.expected);
}

const Stretches MeetingLow{Flat(0, 29, 5, 9, 0), Flat(30, 59, 12, 19, 10)};
const Stretches MeetingHigh{Flat(0, 29, 8, 9, 0), Flat(30, 59, 17, 19, 10)};
const Stretches NarrowFirst{Flat(0, 2, 5, 9, 0), Flat(3, 32, 12, 19, 10)};
const Stretches WindowWideFirst{Flat(0, 7, 5, 9, 0), Flat(8, 37, 12, 19, 10)};
// The path runs as many rows inside each band (7 .. 9 and 10 .. 12).
const Stretches MeetingEven{Flat(0, 29, 7, 9, 0), Flat(30, 59, 12, 19, 10)};
const Stretches Shared{Flat(0, 9, 1, 3, 0), Flat(10, 19, 5, 13, 0), Flat(20, 29, 11, 13, 10)};
const Stretches IntoAfter{Flat(0, 9, 1, 3, 0), Flat(10, 14, 6, 13, 0), Flat(15, 29, 11, 13, 10)};
const Stretches WideButShallow{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 29, 8, 12, 1)};
const Stretches ShallowAtTheWindow{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 17, 8, 12, 1)};
const Stretches WideAndDeep{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 29, 8, 13, 0)};
const Stretches IntoBefore{Flat(0, 9, 1, 3, 0), Flat(10, 19, 6, 13, 0), Flat(20, 29, 11, 13, 10)};
const Stretches Apart{Flat(0, 9, 1, 3, 0), Flat(10, 19, 11, 13, 10)};
// The rooms' bands 5 .. 5 and 7 .. 12 leave row 6 between them: a connecting
// band must reach it from both sides. Stretch 1 is one row high (6 .. 6).
const Stretches OneRowBetween{Flat(0, 11, 5, 5, 5), Flat(12, 21, 6, 6, 6), Flat(22, 31, 9, 12, 7)};
// The same with the first stretch reaching row 6 too, and as wide as the
// second: both walks find a box of ten columns.
const Stretches EqualWalks{Flat(0, 9, 5, 6, 5), Flat(10, 19, 6, 6, 6), Flat(20, 29, 9, 12, 7)};

INSTANTIATE_TEST_SUITE_P(
    Branches, ConnectHorizontalTest,
    ::testing::Values(
        // The path spends more rows in the first band: cut at its right end.
        Case("MeetingBandsCutFromTheBetterCoveredFirst", MeetingLow, {0, 29, 9, 0, 0, 1, 4}, {30, 59, 19, 10, 1, 2, 14},
             2, VerticalRoom{21, 29, 9, 0, 0, 1, 25}),
        Case("MeetingBandsCutFromTheBetterCoveredSecond", MeetingHigh, {0, 29, 9, 0, 0, 1, 4},
             {30, 59, 19, 10, 1, 2, 14}, 2, VerticalRoom{30, 38, 19, 10, 1, 2, 34}),
        // As well covered and as wide: the cut comes from the second.
        Case("MeetingBandsEvenlyCoveredCutFromTheSecond", MeetingEven, {0, 29, 9, 0, 0, 1, 4},
             {30, 59, 19, 10, 1, 2, 14}, 2, VerticalRoom{30, 38, 19, 10, 1, 2, 34}),
        Case("NarrowSideSpansMinimumBandPlusOne", NarrowFirst, {0, 2, 9, 0, 0, 1, 4}, {3, 32, 19, 10, 1, 2, 14}, 2,
             VerticalRoom{0, 2, 9, 0, 0, 1, 1}),
        Case("NarrowSideMayReachOneColumnOffThePlate", NarrowFirst, {0, 2, 9, 0, 0, 1, 4}, {3, 32, 19, 10, 1, 2, 14}, 5,
             VerticalRoom{-1, 2, 9, 0, 0, 1, 0}),
        // Exactly the window (8 columns) wide: the cut spans the window, not
        // the minimum band.
        Case("WindowWideSideSpansTheWindow", WindowWideFirst, {0, 7, 9, 0, 0, 1, 4}, {8, 37, 19, 10, 1, 2, 14}, 2,
             VerticalRoom{-1, 7, 9, 0, 0, 1, 3}),
        Case("SharedStretchesBecomeTheConnection", Shared, {0, 19, 3, 0, 0, 2, 1}, {10, 29, 13, 10, 1, 3, 11}, 2,
             VerticalRoom{10, 19, 13, 0, 1, 2, 14}),
        // The shared stretch is exactly as wide as the narrowest room.
        Case("SharedStretchesExactlyTheNarrowestWidth", Shared, {0, 19, 3, 0, 0, 2, 1}, {10, 29, 13, 10, 1, 3, 11}, 10,
             VerticalRoom{10, 19, 13, 0, 1, 2, 14}),
        Case("ForwardWalkIntoTheSecondRoom", IntoAfter, {0, 9, 3, 0, 0, 1, 1}, {10, 29, 13, 10, 1, 3, 11}, 2,
             VerticalRoom{10, 14, 13, 0, 0, 3, 12}),
        Case("WindowWideStepCoveringFewerRowsStops", WideButShallow, {0, 9, 3, 0, 0, 1, 1}, {10, 29, 13, 10, 1, 3, 11},
             2, VerticalRoom{10, 12, 13, 0, 0, 3, 11}),
        Case("StepOfExactlyTheWindowCoveringFewerRowsStops", ShallowAtTheWindow, {0, 9, 3, 0, 0, 1, 1},
             {10, 17, 13, 10, 1, 3, 11}, 2, VerticalRoom{10, 12, 13, 0, 0, 3, 11}),
        Case("WindowWideStepCoveringAsManyRowsGoesOn", WideAndDeep, {0, 9, 3, 0, 0, 1, 1}, {10, 29, 13, 10, 1, 3, 11},
             2, VerticalRoom{10, 29, 13, 0, 0, 3, 19}),
        Case("BackwardWalkIntoTheFirstRoom", IntoBefore, {0, 19, 3, 0, 0, 2, 1}, {20, 29, 13, 10, 2, 3, 11}, 2,
             VerticalRoom{10, 19, 13, 0, 0, 3, 14}),
        // Forward: the band narrows to row 6 alone, which still reaches
        // both floors; the stretch after it leaves no common row.
        // Backward: the first stretch stops below row 6.
        Case("ForwardWalkKeepsABandOfOneRowThatReachesBothFloors", OneRowBetween, {0, 11, 5, 5, 0, 1, 5},
             {12, 31, 12, 7, 1, 3, 9}, 2, VerticalRoom{12, 21, 6, 6, 0, 3, 16}),
        Case("EqualWalksPreferTheOneIntoTheSecondRoom", EqualWalks, {0, 9, 5, 5, 0, 1, 5}, {10, 29, 12, 7, 1, 3, 9}, 2,
             VerticalRoom{10, 19, 6, 6, 0, 3, 14}),
        Case("NoWayAcrossKeepsThePixels", Apart, {0, 9, 3, 0, 0, 1, 1}, {10, 19, 13, 10, 1, 2, 11}, 2,
             PiecesOf(Apart, 0, 2))),
    ZalvoTest::CaseName());

struct WindowCase {
    const char* name;
    HorizontalRoom room;
    std::int32_t x;
    VerticalRoom expected;
    std::int64_t minimumWidth = 2;
};

class VerticalWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(VerticalWindowTest, CutsAroundThePixel) {
    const auto& p = GetParam();
    EXPECT_EQ(VerticalWindow(p.room, {p.x, 10}, p.minimumWidth, Default), p.expected);
}

constexpr HorizontalRoom Wide{10, 49, 9, 0, 3, 5, 4};

// Half width 4; minimum width 2 reaches 1.5 columns, 3 reaches 2.
INSTANTIATE_TEST_SUITE_P(
    Cases, VerticalWindowTest,
    ::testing::Values(WindowCase{"NearTheLeftEnd", Wide, 9, {10, 17, 9, 0, 3, 5, 13}},
                      WindowCase{"NearTheRightEnd", Wide, 49, {42, 49, 9, 0, 3, 5, 45}},
                      WindowCase{"HalfWidthEachSide", Wide, 30, {26, 34, 9, 0, 3, 5, 30}},
                      WindowCase{"HalfWidthExactlyToTheStart", Wide, 14, {10, 18, 9, 0, 3, 5, 14}},
                      WindowCase{"HalfWidthExactlyToTheEnd", Wide, 45, {41, 49, 9, 0, 3, 5, 45}},
                      WindowCase{"HalfTheMinimumWidthEachSide", Wide, 12, {11, 13, 9, 0, 3, 5, 12}},
                      WindowCase{"ReachExactlyToTheStartIsNotNear", Wide, 12, {10, 14, 9, 0, 3, 5, 12}, 3},
                      WindowCase{"ReachExactlyToTheEndIsNotNear", Wide, 47, {45, 49, 9, 0, 3, 5, 47}, 3},
                      WindowCase{"RoomNarrowerThanTheWindow", {10, 14, 9, 0, 3, 5, 4}, 10, {10, 14, 9, 0, 3, 5, 12}}),
    ZalvoTest::CaseName());

// ConnectToNoRoom and ConnectFromNoRoom mirror each other, so every case is
// run on both: as written through ConnectToNoRoom, and mirrored (columns
// reversed, stretches and pixels in reverse order) through ConnectFromNoRoom.
constexpr std::int32_t kMirror = 100;

Box Mirrored(const Box& box) { return {kMirror - box.maxColumn, kMirror - box.minColumn, box.maxRow, box.minRow}; }

std::vector<Pixel> Mirrored(std::vector<Pixel> pixels) {
    for (Pixel& pixel : pixels) pixel.x = kMirror - pixel.x;
    std::reverse(pixels.begin(), pixels.end());
    return pixels;
}

struct Mirror {
    std::int32_t count;  // stretches

    Stretches operator()(const Stretches& stretches) const {
        Stretches mirrored;
        for (auto it = stretches.rbegin(); it != stretches.rend(); ++it)
            mirrored.push_back({Mirrored(it->pixels), Mirrored(it->box)});
        return mirrored;
    }
    HorizontalRoom operator()(const HorizontalRoom& room) const {
        const Box box = Mirrored(BoxOf(room));
        return {box.minColumn, box.maxColumn,           box.maxRow,
                box.minRow,    count - room.endStretch, count - room.firstStretch,
                room.row};
    }
    NoRoom operator()(const NoRoom& piece) const {
        return {Mirrored(piece.pixels), count - piece.endStretch, count - piece.firstStretch};
    }
    WiggleRoom operator()(const WiggleRoom& room) const {
        if (const auto* piece = std::get_if<NoRoom>(&room)) return (*this)(*piece);
        const auto& vertical = std::get<VerticalRoom>(room);
        const Box box = Mirrored(BoxOf(vertical));
        return VerticalRoom{box.minColumn,
                            box.maxColumn,
                            box.maxRow,
                            box.minRow,
                            count - vertical.endStretch,
                            count - vertical.firstStretch,
                            Middle(box.minColumn, box.maxColumn)};
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

class ConnectNoRoomTest : public ::testing::TestWithParam<NoRoomCase> {};

TEST_P(ConnectNoRoomTest, ToThePieceAndMirroredFromIt) {
    const auto& p = GetParam();
    EXPECT_EQ(ConnectToNoRoom(p.room, p.piece, p.stretches, Default), p.expected);
    const Mirror mirror{static_cast<std::int32_t>(p.stretches.size())};
    EXPECT_EQ(ConnectFromNoRoom(mirror(p.piece), mirror(p.room), mirror(p.stretches), Default), mirror(p.expected));
}

Stretch WithBox(Stretch stretch, const Box& box) {
    stretch.box = box;
    return stretch;
}

// The room covers stretches 0 .. 1 on row 4; the piece, stretch 2, lies far away.
const Stretches Far{Flat(0, 9, 4, 9, 0), Flat(10, 19, 4, 15, 0), Flat(40, 49, 30, 35, 25)};
Stretches FarNarrowed() {
    Stretches stretches = Far;
    stretches[1].box.minRow = 3;  // no longer holds the room's lowest row
    return stretches;
}

// A gap stretch (1) between the room (stretch 0) and the piece (stretch 2):
// its pixels do not touch the room, so the reach goes on into stretch 0,
// whose box holds the gap's last pixel and narrows the common box.
Stretches Gap(const Stretch& between) {
    return {WithBox(Flat(0, 9, 4, 9, 0), {0, 25, 9, 0}), between, Flat(40, 49, 30, 35, 25)};
}
const Stretches GapWide = Gap(WithBox(Flat(11, 19, 6, 12, 2), {5, 19, 12, 2}));
const Stretches GapLow = Gap(WithBox(Flat(11, 19, 2, 2, 0), {5, 19, 2, 0}));
const Stretches GapNarrow = Gap(Stretch{{{7, 6}}, {5, 6, 12, 2}});
// The piece (stretch 0) passes the room's ring at (9, 10) and (30, 10).
const Stretches Touching{Flat(0, 0, 0, 0, 0), Flat(10, 49, 4, 9, 0)};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectNoRoomTest,
    ::testing::Values(Case("WindowAroundTheLastTouchingPixel", Touching, {10, 49, 9, 0, 1, 2, 4},
                           {{{5, 20}, {9, 10}, {30, 10}}, 0, 1}, VerticalRoom{26, 34, 9, 0, 1, 2, 30}),
                      Case("WindowAtTheEndNearTheTouchingPixel", Touching, {10, 49, 9, 0, 1, 2, 4},
                           {{{30, 20}, {49, 10}}, 0, 1}, VerticalRoom{42, 49, 9, 0, 1, 2, 45}),
                      Case("PieceFarAwayUsesTheRoomsLastStretch", Far, {0, 19, 9, 0, 0, 2, 4}, StretchNoRoom(Far, 2, 3),
                           VerticalRoom{10, 19, 15, 0, 0, 2, 14}),
                      Case("StretchNoLongerHoldingTheRoomsRowsKeepsThePixels", FarNarrowed(), {0, 19, 9, 0, 0, 2, 4},
                           StretchNoRoom(Far, 2, 3), StretchNoRoom(FarNarrowed(), 0, 2)),
                      // The room ends at column 5, where the common box starts.
                      Case("ReachThroughAGapNarrowsToEveryStretchsBox", GapWide, {0, 5, 9, 2, 0, 1, 4},
                           StretchNoRoom(GapWide, 2, 3), VerticalRoom{5, 19, 9, 2, 0, 2, 12}),
                      Case("CommonRowsEndingAtTheRoomsLowestRowStillHoldIt", GapLow, {0, 5, 9, 2, 0, 1, 4},
                           StretchNoRoom(GapLow, 2, 3), VerticalRoom{5, 19, 2, 0, 0, 2, 12}),
                      Case("CommonColumnsExactlyTheMinimumWidthAreEnough", GapNarrow, {0, 5, 9, 2, 0, 1, 4},
                           StretchNoRoom(GapNarrow, 2, 3), VerticalRoom{5, 6, 9, 2, 0, 2, 5})),
    ZalvoTest::CaseName());

}  // namespace
}  // namespace Zalvo::Detail
