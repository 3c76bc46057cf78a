#include "StretchMakers.h"
#include "support/Extremes.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace Zalvo::Detail {
namespace {

using ZalvoTest::Flat;
using ZalvoTest::kMax32;
using ZalvoTest::kMin32;
using ZalvoTest::TerrainFromRows;

struct FreeBoxCase {
    const char* name;
    Pixel pixel;
    Box expected;
};

class FreeBoxTest : public ::testing::TestWithParam<FreeBoxCase> {};

// Column 2 blocks at rows 0 and 4; (0, 2) blocks; (0, 3) is a corridor.
TEST_P(FreeBoxTest, ScansToTheFirstBlockingCell) {
    const Terrain terrain = TerrainFromRows({"..#....", ".......", "#......", "o......", "..#....", "......."});
    EXPECT_EQ(FreeBox(terrain, GetParam().pixel), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeBoxTest,
                         ::testing::Values(FreeBoxCase{"BlockedAboveBelowAndLeft", {2, 2}, {1, 5, 3, 1}},
                                           FreeBoxCase{"RowsWrapAroundTheCylinder", {2, 5}, {0, 5, 5, 5}},
                                           FreeBoxCase{"NegativeRowStaysUnwrapped", {2, -1}, {0, 5, -1, -1}},
                                           FreeBoxCase{"LargeRowStaysUnwrapped", {2, 11}, {0, 5, 11, 11}},
                                           FreeBoxCase{"FreeColumnReachesOneRowCountEachWay", {4, 1}, {0, 5, 7, -5}},
                                           FreeBoxCase{"OwnCellIsNotTested", {2, 0}, {0, 5, 3, -1}},
                                           FreeBoxCase{"CorridorIsFree", {2, 3}, {0, 5, 3, 1}},
                                           FreeBoxCase{"SecondToLastColumnDoesNotWiden", {5, 1}, {0, 5, 7, -5}},
                                           FreeBoxCase{"LastColumnDoesNotWiden", {6, 1}, {0, 6, 7, -5}}),
                         ZalvoTest::CaseName());

// Straight runs share their column scans; on a random plate with random
// steps (runs, back steps, jumps, repeats) every box must equal the pixel's
// own scan.
TEST(FreeBoxesTest, SharedScansGiveEachPixelsOwnBox) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> percent(0, 99);
    Terrain terrain(40, std::vector<std::uint8_t>(12, 0));
    for (auto& column : terrain)
        for (auto& height : column)
            if (percent(random) < 15) height = static_cast<std::uint8_t>(253 + percent(random) % 3);
    std::vector<Pixel> path{{0, 3}};
    while (path.size() < 400) {
        const Pixel last = path.back();
        const int step = percent(random);
        Pixel next = last;
        if (step < 60)
            next.x += 1;
        else if (step < 75)
            next.x -= 1;
        else if (step < 90)
            next.y += percent(random) % 5 - 2;
        next.x = std::clamp(next.x, 0, 39);
        path.push_back(next);
    }
    const std::vector<Box> boxes = FreeBoxes(path, terrain);
    ASSERT_EQ(boxes.size(), path.size());
    for (std::size_t i = 0; i < path.size(); ++i) EXPECT_EQ(boxes[i], FreeBox(terrain, path[i])) << "pixel " << i;
}

// On a free 10 x 4 plate each row has one box up to column 8, and column 9
// its own; every stretch, the last included, is narrowed to its own span.
TEST(BuildStretchesTest, GroupsEqualBoxesAndNarrowsEveryStretch) {
    const Terrain terrain = TerrainFromRows({"..........", "..........", "..........", ".........."});
    std::vector<Pixel> path;
    for (std::int32_t x = 0; x < 5; ++x) path.push_back({x, 1});
    for (std::int32_t x = 5; x < 10; ++x) path.push_back({x, 2});

    const Stretches stretches = BuildStretches(path, terrain);

    ASSERT_EQ(stretches.size(), 3u);
    EXPECT_EQ(stretches[0].pixels, std::vector<Pixel>(path.begin(), path.begin() + 5));
    EXPECT_EQ(stretches[0].box, (Box{0, 4, 5, -3}));
    EXPECT_EQ(stretches[1].pixels.size(), 4u);
    EXPECT_EQ(stretches[1].box, (Box{5, 8, 6, -2}));
    EXPECT_EQ(stretches[2].pixels, (std::vector<Pixel>{{9, 2}}));
    EXPECT_EQ(stretches[2].box, (Box{9, 9, 6, -2}));
}

struct SettingsCase {
    std::int32_t transitionHalfWidth, minimumBand, sufficientBand;
    std::int32_t b, c, m;
};

class DeriveRoomSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(DeriveRoomSettingsTest, ClampsBandsAndSaturatesTheWindow) {
    const auto& p = GetParam();
    const RoomSettings settings = DeriveRoomSettings(p.transitionHalfWidth, p.minimumBand, p.sufficientBand);
    EXPECT_EQ(settings.minimumBand, p.b);
    EXPECT_EQ(settings.sufficientBand, p.c);
    EXPECT_EQ(settings.transitionWidth, p.m);
    EXPECT_EQ(settings.transitionHalfWidth, p.transitionHalfWidth);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeriveRoomSettingsTest,
                         ::testing::Values(SettingsCase{3, -5, 0, 1, 1, 6}, SettingsCase{1, 4, 2, 4, 4, 4},
                                           SettingsCase{2, 2, 9, 2, 9, 9}, SettingsCase{kMax32, 1, 1, 1, 1, kMax32},
                                           SettingsCase{kMin32, kMin32, kMin32, 1, 1, 1}));

struct CandidateCase {
    const char* name;
    Stretches stretches;
    std::vector<std::int32_t> splitColumns;
    std::vector<StretchRange> expected;
};

class CandidateRunsTest : public ::testing::TestWithParam<CandidateCase> {};

// Sufficient band 4, minimum band 2.
TEST_P(CandidateRunsTest, WalksWhileTheBandHolds) {
    EXPECT_EQ(BuildCandidateRuns(GetParam().stretches, 4, 2, GetParam().splitColumns), GetParam().expected);
}

Stretches FourEqualStretches() {
    return {Flat(0, 4, 5, 9, 0), Flat(5, 9, 5, 9, 0), Flat(10, 14, 5, 9, 0), Flat(15, 19, 5, 9, 0)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CandidateRunsTest,
    ::testing::Values(
        CandidateCase{"NarrowingBandKeepsWhatTheStartAsks",
                      {Flat(0, 4, 5, 9, 0), Flat(5, 9, 5, 9, 2), Flat(10, 14, 5, 9, 5)},
                      {},
                      {{0, 3}}},
        CandidateCase{
            "StretchWithMoreRoomEndsTheRun", {Flat(0, 4, 1, 2, 0), Flat(5, 9, 1, 9, 0)}, {}, {{0, 1}, {1, 2}}},
        // A start of exactly the sufficient 4 rows asks for all 4: sharing 3
        // with the next stretch ends the run.
        CandidateCase{"StartOfExactlyTheSufficientBandAsksForItAll",
                      {Flat(0, 4, 5, 6, 3), Flat(5, 9, 5, 7, 4)},
                      {},
                      {{0, 1}, {1, 2}}},
        CandidateCase{
            "TooNarrowCommonBandEndsTheRun", {Flat(0, 4, 8, 9, 0), Flat(5, 9, 8, 20, 8)}, {}, {{0, 1}, {1, 2}}},
        CandidateCase{"SplitInsideTheSpanEndsTheRunOnce", FourEqualStretches(), {7}, {{0, 1}, {1, 4}}},
        CandidateCase{"StretchLeftOfTheActiveSplitStartsNothing", FourEqualStretches(), {9}, {{0, 2}, {2, 4}}},
        CandidateCase{"SplitAtTheRightEndIsNotInside", FourEqualStretches(), {19}, {{0, 4}}}),
    ZalvoTest::CaseName());

// Candidates (0, 2), (1, 3), (2, 4): the middle one overlaps two, so it is
// horizontal only with more than 8 pixels; the outer ones overlap one.
class OverlapRuleTest : public ::testing::TestWithParam<std::pair<std::int32_t, RunKind>> {};

TEST_P(OverlapRuleTest, NeedsMoreThanFourPixelsPerOverlap) {
    const auto [middlePixels, kind] = GetParam();
    const Stretches stretches{Flat(0, 0, 0, 5, 0), Flat(1, 4, 0, 5, 0), Flat(5, middlePixels, 0, 5, 0),
                              Flat(30, 39, 0, 5, 0)};
    const auto records = ClassifyCandidateRuns(stretches, {{0, 2}, {1, 3}, {2, 4}});
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1], (RunRecord{kind, 1, 3}));
    EXPECT_EQ(records[2].kind, RunKind::Horizontal);
}

INSTANTIATE_TEST_SUITE_P(Cases, OverlapRuleTest,
                         ::testing::Values(std::pair{8, RunKind::NoRoom}, std::pair{9, RunKind::Horizontal}));

constexpr RunKind H = RunKind::Horizontal;
constexpr RunKind N = RunKind::NoRoom;

TEST(RunRecordCleaningTest, MergesThenTrimsPiecesAgainstHorizontalNeighbours) {
    const auto merged = MergeNoRoomRecords({{H, 0, 3}, {N, 2, 5}, {N, 5, 6}, {H, 5, 8}});
    EXPECT_EQ(merged, (std::vector<RunRecord>{{H, 0, 3}, {N, 2, 6}, {H, 5, 8}}));
    EXPECT_EQ(TrimNoRoomRecords(merged), (std::vector<RunRecord>{{H, 0, 3}, {N, 3, 5}, {H, 5, 8}}));
}

TEST(RunRecordCleaningTest, PieceCoveredByItsNeighboursVanishes) {
    const auto trimmed = TrimNoRoomRecords({{N, 0, 2}, {H, 0, 4}, {N, 2, 4}, {H, 4, 6}, {N, 5, 9}});
    EXPECT_EQ(trimmed, (std::vector<RunRecord>{{N, 0, 0}, {H, 0, 4}, {N, 4, 4}, {H, 4, 6}, {N, 6, 9}}));
    EXPECT_EQ(RemoveEmptyRecords(trimmed), (std::vector<RunRecord>{{H, 0, 4}, {H, 4, 6}, {N, 6, 9}}));
}

TEST(RunRecordCleaningTest, DropsOnlyAHorizontalRunSqueezedBetweenOverlappingOnes) {
    EXPECT_EQ(DropRedundantHorizontalRuns({{H, 0, 5}, {H, 2, 6}, {H, 4, 8}}),
              (std::vector<RunRecord>{{H, 0, 5}, {H, 4, 8}}));
    const std::vector<RunRecord> apart{{H, 0, 3}, {H, 2, 5}, {H, 4, 7}};
    EXPECT_EQ(DropRedundantHorizontalRuns(apart), apart);
    const std::vector<RunRecord> piece{{H, 0, 5}, {N, 2, 6}, {H, 4, 8}};
    EXPECT_EQ(DropRedundantHorizontalRuns(piece), piece);
}

TEST(BuildInitialRoomsTest, MakesOneRoomPerRecord) {
    const Stretches stretches{Flat(0, 4, -2, -1, -4), Flat(5, 9, -2, 0, -4), Flat(10, 11, -2, 3, -2)};
    const auto rooms = BuildInitialRooms({{H, 0, 2}, {N, 2, 3}}, stretches);
    ASSERT_EQ(rooms.size(), 2u);
    // (-1 + -4) / 2 truncates toward zero.
    EXPECT_EQ(std::get<HorizontalRoom>(rooms[0]), (HorizontalRoom{0, 9, -1, -4, 0, 2, -2}));
    EXPECT_EQ(std::get<NoRoom>(rooms[1]), (NoRoom{{{10, -2}, {11, -2}}, 2, 3}));
}

}  // namespace
}  // namespace Zalvo::Detail
