#include "wiggle/Connect.h"

#include "StretchMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

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
const Stretches Shared{Flat(0, 9, 1, 3, 0), Flat(10, 19, 5, 13, 0), Flat(20, 29, 11, 13, 10)};
const Stretches IntoAfter{Flat(0, 9, 1, 3, 0), Flat(10, 14, 6, 13, 0), Flat(15, 29, 11, 13, 10)};
const Stretches WideButShallow{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 29, 8, 12, 1)};
const Stretches WideAndDeep{Flat(0, 9, 1, 3, 0), Flat(10, 12, 6, 13, 0), Flat(13, 29, 8, 13, 0)};
const Stretches IntoBefore{Flat(0, 9, 1, 3, 0), Flat(10, 19, 6, 13, 0), Flat(20, 29, 11, 13, 10)};
const Stretches Apart{Flat(0, 9, 1, 3, 0), Flat(10, 19, 11, 13, 10)};

INSTANTIATE_TEST_SUITE_P(Branches, ConnectHorizontalTest,
                         ::testing::Values(
                             // The path spends more rows in the first band: cut at its right end.
                             HorizontalCase{"MeetingBandsCutFromTheBetterCoveredFirst",
                                            MeetingLow,
                                            {0, 29, 9, 0, 0, 1, 4},
                                            {30, 59, 19, 10, 1, 2, 14},
                                            2,
                                            VerticalRoom{21, 29, 9, 0, 0, 1, 25}},
                             HorizontalCase{"MeetingBandsCutFromTheBetterCoveredSecond",
                                            MeetingHigh,
                                            {0, 29, 9, 0, 0, 1, 4},
                                            {30, 59, 19, 10, 1, 2, 14},
                                            2,
                                            VerticalRoom{30, 38, 19, 10, 1, 2, 34}},
                             HorizontalCase{"NarrowSideSpansMinimumBandPlusOne",
                                            NarrowFirst,
                                            {0, 2, 9, 0, 0, 1, 4},
                                            {3, 32, 19, 10, 1, 2, 14},
                                            2,
                                            VerticalRoom{0, 2, 9, 0, 0, 1, 1}},
                             HorizontalCase{"NarrowSideMayReachOneColumnOffThePlate",
                                            NarrowFirst,
                                            {0, 2, 9, 0, 0, 1, 4},
                                            {3, 32, 19, 10, 1, 2, 14},
                                            5,
                                            VerticalRoom{-1, 2, 9, 0, 0, 1, 0}},
                             // Exactly the window (8 columns) wide: the cut spans the window, not
                             // the minimum band.
                             HorizontalCase{"WindowWideSideSpansTheWindow",
                                            WindowWideFirst,
                                            {0, 7, 9, 0, 0, 1, 4},
                                            {8, 37, 19, 10, 1, 2, 14},
                                            2,
                                            VerticalRoom{-1, 7, 9, 0, 0, 1, 3}},
                             HorizontalCase{"SharedStretchesBecomeTheConnection",
                                            Shared,
                                            {0, 19, 3, 0, 0, 2, 1},
                                            {10, 29, 13, 10, 1, 3, 11},
                                            2,
                                            VerticalRoom{10, 19, 13, 0, 1, 2, 14}},
                             HorizontalCase{"ForwardWalkIntoTheSecondRoom",
                                            IntoAfter,
                                            {0, 9, 3, 0, 0, 1, 1},
                                            {10, 29, 13, 10, 1, 3, 11},
                                            2,
                                            VerticalRoom{10, 14, 13, 0, 0, 3, 12}},
                             HorizontalCase{"WindowWideStepCoveringFewerRowsStops",
                                            WideButShallow,
                                            {0, 9, 3, 0, 0, 1, 1},
                                            {10, 29, 13, 10, 1, 3, 11},
                                            2,
                                            VerticalRoom{10, 12, 13, 0, 0, 3, 11}},
                             HorizontalCase{"WindowWideStepCoveringAsManyRowsGoesOn",
                                            WideAndDeep,
                                            {0, 9, 3, 0, 0, 1, 1},
                                            {10, 29, 13, 10, 1, 3, 11},
                                            2,
                                            VerticalRoom{10, 29, 13, 0, 0, 3, 19}},
                             HorizontalCase{"BackwardWalkIntoTheFirstRoom",
                                            IntoBefore,
                                            {0, 19, 3, 0, 0, 2, 1},
                                            {20, 29, 13, 10, 2, 3, 11},
                                            2,
                                            VerticalRoom{10, 19, 13, 0, 0, 3, 14}},
                             HorizontalCase{"NoWayAcrossKeepsThePixels",
                                            Apart,
                                            {0, 9, 3, 0, 0, 1, 1},
                                            {10, 19, 13, 10, 1, 2, 11},
                                            2,
                                            PiecesOf(Apart, 0, 2)}),
                         ZalvoTest::CaseName());

struct WindowCase {
    const char* name;
    HorizontalRoom room;
    std::int32_t x;
    VerticalRoom expected;
};

class VerticalWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(VerticalWindowTest, CutsAroundThePixel) {
    const auto& p = GetParam();
    EXPECT_EQ(VerticalWindow(p.room, {p.x, 10}, 2, Default), p.expected);
}

constexpr HorizontalRoom Wide{10, 49, 9, 0, 3, 5, 4};

INSTANTIATE_TEST_SUITE_P(
    Cases, VerticalWindowTest,
    ::testing::Values(WindowCase{"NearTheLeftEnd", Wide, 9, {10, 17, 9, 0, 3, 5, 13}},
                      WindowCase{"NearTheRightEnd", Wide, 49, {42, 49, 9, 0, 3, 5, 45}},
                      WindowCase{"HalfWidthEachSide", Wide, 30, {26, 34, 9, 0, 3, 5, 30}},
                      WindowCase{"HalfTheMinimumWidthEachSide", Wide, 12, {11, 13, 9, 0, 3, 5, 12}},
                      WindowCase{"RoomNarrowerThanTheWindow", {10, 14, 9, 0, 3, 5, 4}, 10, {10, 14, 9, 0, 3, 5, 12}}),
    ZalvoTest::CaseName());

// Of the pixels (5, 20), (9, 10), (30, 10), the last two lie on the ring
// around the room's box.
TEST(ConnectNoRoomTest, WindowAroundTheTouchingPixelNearestTheRoom) {
    const HorizontalRoom room{10, 49, 9, 0, 1, 2, 4};
    const NoRoom piece{{{5, 20}, {9, 10}, {30, 10}}, 0, 1};
    const Stretches stretches{Flat(0, 0, 0, 0, 0), Flat(10, 49, 4, 9, 0)};
    EXPECT_EQ(ConnectFromNoRoom(piece, room, stretches, Default), WiggleRoom(VerticalRoom{10, 17, 9, 0, 1, 2, 13}));
    EXPECT_EQ(ConnectToNoRoom(room, piece, stretches, Default), WiggleRoom(VerticalRoom{26, 34, 9, 0, 1, 2, 30}));
}

TEST(ConnectNoRoomTest, ToAPieceFarAwayUsesTheRoomsLastStretches) {
    Stretches stretches{Flat(0, 9, 4, 9, 0), Flat(10, 19, 4, 15, 0), Flat(40, 49, 30, 35, 25)};
    const HorizontalRoom room{0, 19, 9, 0, 0, 2, 4};
    const NoRoom piece = PiecesOf(stretches, 2, 3);
    EXPECT_EQ(ConnectToNoRoom(room, piece, stretches, Default), WiggleRoom(VerticalRoom{10, 19, 15, 0, 0, 2, 14}));

    // The last stretch's free rows no longer hold the room's lowest row.
    stretches[1].box.minRow = 3;
    EXPECT_EQ(ConnectToNoRoom(room, piece, stretches, Default), WiggleRoom(PiecesOf(stretches, 0, 2)));
}

TEST(ConnectNoRoomTest, FromAPieceFarAwayUsesTheRoomsFirstStretches) {
    Stretches stretches{Flat(0, 9, 30, 35, 25), Flat(20, 29, 4, 15, 0), Flat(30, 39, 4, 9, 0)};
    const HorizontalRoom room{20, 39, 9, 0, 1, 3, 4};
    const NoRoom piece = PiecesOf(stretches, 0, 1);
    EXPECT_EQ(ConnectFromNoRoom(piece, room, stretches, Default), WiggleRoom(VerticalRoom{20, 29, 15, 0, 1, 3, 24}));

    stretches[1].box.minRow = 3;
    EXPECT_EQ(ConnectFromNoRoom(piece, room, stretches, Default), WiggleRoom(PiecesOf(stretches, 1, 3)));
}

}  // namespace
}  // namespace Zalvo::Detail
