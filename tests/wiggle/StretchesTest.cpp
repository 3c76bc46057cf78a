// From a path to the first rooms, and the whole computation (its bad input: tests/reliability).
#include "StretchMakers.h"

#include <algorithm>
#include <array>
#include <random>
#include <tuple>

namespace Zalvo::Detail {
namespace {

using namespace ZalvoTest;

// One room, or two joined by a 12-column window cut from the wider one where column 10 splits the run.
TEST(CalculateWiggleRoomTest, StraightPathIsOneRoomOrTwoConnectedAtASplit) {
    const Terrain plate(30, std::vector<std::uint8_t>(10, 0));
    std::vector<Pixel> path;
    for (std::int32_t x = 0; x < 30; ++x) path.push_back({x, 5});
    EXPECT_EQ(CalculateWiggleRoomAroundPixelPath(path, plate, 4, 3, 12, {}),
              (std::vector{Horizontal(0, 29, 15, -5, 5, 0, 2)}));
    EXPECT_EQ(CalculateWiggleRoomAroundPixelPath(path, plate, 4, 3, 12, {10}),
              (std::vector{Horizontal(0, 28, 15, -5, 5, 0, 1), Vertical(16, 28, 15, -5, 22, 0, 1),
                           Horizontal(29, 29, 15, -5, 5, 1, 2)}));
}

// Column 2 blocks at rows 0 and 4; (0, 2) blocks; (0, 3) is a corridor.
TEST(FreeBoxTest, ScansToTheFirstBlockingCell) {
    Terrain terrain(7, std::vector<std::uint8_t>(6, 0));
    terrain[2][0] = terrain[2][4] = terrain[0][2] = 253;
    terrain[0][3] = 252;
    const std::pair<Pixel, Box> cases[] = {{{2, 2}, {1, 5, 3, 1}},     // blocked above, below and left
                                           {{2, 5}, {0, 5, 5, 5}},     // rows wrap around the cylinder
                                           {{2, -1}, {0, 5, -1, -1}},  // a negative row stays unwrapped
                                           {{2, 11}, {0, 5, 11, 11}},  // and a large one
                                           {{4, 1}, {0, 5, 7, -5}},    // a free column reaches one row count each way
                                           {{2, 0}, {0, 5, 3, -1}},    // the own cell is not tested
                                           {{2, 3}, {0, 5, 3, 1}},     // a corridor is free
                                           {{5, 1}, {0, 5, 7, -5}},    // the second to last column does not widen
                                           {{6, 1}, {0, 6, 7, -5}}};   // nor does the last
    for (const auto& [pixel, box] : cases) EXPECT_EQ(FreeBox(terrain, pixel), box) << pixel.x << ", " << pixel.y;
}

// Straight runs share their column scans; any path's boxes must equal each pixel's own scan.
TEST(FreeBoxesTest, SharedScansGiveEachPixelsOwnBox) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> percent(0, 99);
    Terrain terrain(40, std::vector<std::uint8_t>(12, 0));
    for (auto& column : terrain)
        for (auto& height : column)
            if (percent(random) < 15) height = static_cast<std::uint8_t>(253 + percent(random) % 3);
    std::vector<Pixel> path{{0, 3}};
    while (path.size() < 400) {
        Pixel next = path.back();
        const int step = percent(random);
        next.x += step < 60 ? 1 : step < 75 ? -1 : 0;
        if (step >= 75 && step < 90) next.y += percent(random) % 5 - 2;
        next.x = std::clamp(next.x, 0, 39);
        path.push_back(next);
    }
    const std::vector<Box> boxes = FreeBoxes(path, terrain);
    ASSERT_EQ(boxes.size(), path.size());
    for (std::size_t i = 0; i < path.size(); ++i) EXPECT_EQ(boxes[i], FreeBox(terrain, path[i])) << "pixel " << i;
}

// Each row has one box up to column 8, column 9 its own; every stretch is narrowed to its span.
TEST(BuildStretchesTest, GroupsEqualBoxesAndNarrowsEveryStretch) {
    std::vector<Pixel> path;
    for (std::int32_t x = 0; x < 10; ++x) path.push_back({x, x < 5 ? 1 : 2});
    const Stretches stretches = BuildStretches(path, Terrain(10, std::vector<std::uint8_t>(4, 0)));
    const Stretches expected{Flat(0, 4, 1, 5, -3), Flat(5, 8, 2, 6, -2), Flat(9, 9, 2, 6, -2)};
    ASSERT_EQ(stretches.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::tie(stretches[i].pixels, stretches[i].box), std::tie(expected[i].pixels, expected[i].box)) << i;
}

TEST(DeriveRoomSettingsTest, ClampsBandsAndSaturatesTheWindow) {
    // Half width, minimum band, sufficient band: minimum band, sufficient band, window.
    for (const auto& [half, minimum, sufficient, b, c, m] :
         {std::array{3, -5, 0, 1, 1, 6}, std::array{1, 4, 2, 4, 4, 4}, std::array{2, 2, 9, 2, 9, 9},
          std::array{kMax32, 1, 1, 1, 1, kMax32}, std::array{kMin32, kMin32, kMin32, 1, 1, 1}}) {
        const RoomSettings s = DeriveRoomSettings(half, minimum, sufficient);
        EXPECT_EQ(std::tuple(s.minimumBand, s.sufficientBand, s.transitionWidth, s.transitionHalfWidth),
                  std::tuple(b, c, m, half))
            << half << ", " << minimum << ", " << sufficient;
    }
}

struct CandidateCase {
    const char* name;
    Stretches stretches;
    std::vector<std::int32_t> splitColumns;
    std::vector<StretchRange> expected;
};
CandidateCase Runs(const char* name, Stretches stretches, std::vector<std::int32_t> splits,
                   std::vector<StretchRange> expected) {
    return {name, std::move(stretches), std::move(splits), std::move(expected)};
}
class CandidateRunsTest : public ::testing::TestWithParam<CandidateCase> {};

// Sufficient band 4, minimum band 2.
TEST_P(CandidateRunsTest, WalksWhileTheBandHolds) {
    EXPECT_EQ(BuildCandidateRuns(GetParam().stretches, 4, 2, GetParam().splitColumns), GetParam().expected);
}

const Stretches kFourEqual{Flat(0, 4, 5, 9, 0), Flat(5, 9, 5, 9, 0), Flat(10, 14, 5, 9, 0), Flat(15, 19, 5, 9, 0)};

INSTANTIATE_TEST_SUITE_P(
    Cases, CandidateRunsTest,
    ::testing::Values(
        Runs("NarrowingBandKeepsWhatTheStartAsks", {Flat(0, 4, 5, 9, 0), Flat(5, 9, 5, 9, 2), Flat(10, 14, 5, 9, 5)},
             {}, {{0, 3}}),
        Runs("StretchWithMoreRoomEndsTheRun", {Flat(0, 4, 1, 2, 0), Flat(5, 9, 1, 9, 0)}, {}, {{0, 1}, {1, 2}}),
        // A start of exactly the sufficient 4 rows asks for all 4: sharing 3 ends the run.
        Runs("StartOfTheSufficientBandAsksForItAll", {Flat(0, 4, 5, 6, 3), Flat(5, 9, 5, 7, 4)}, {}, {{0, 1}, {1, 2}}),
        Runs("TooNarrowCommonBandEndsTheRun", {Flat(0, 4, 8, 9, 0), Flat(5, 9, 8, 20, 8)}, {}, {{0, 1}, {1, 2}}),
        Runs("SplitInsideTheSpanEndsTheRunOnce", kFourEqual, {7}, {{0, 1}, {1, 4}}),
        Runs("StretchLeftOfTheActiveSplitStartsNothing", kFourEqual, {9}, {{0, 2}, {2, 4}}),
        Runs("SplitAtTheRightEndIsNotInside", kFourEqual, {19}, {{0, 4}})),
    CaseName());

// The middle of candidates (0, 2), (1, 3), (2, 4) overlaps two: it needs more than 8 pixels.
TEST(OverlapRuleTest, NeedsMoreThanFourPixelsPerOverlap) {
    for (const auto& [middlePixels, kind] : {std::pair{8, RunKind::NoRoom}, std::pair{9, RunKind::Horizontal}}) {
        const Stretches stretches{Flat(0, 0, 0, 5, 0), Flat(1, 4, 0, 5, 0), Flat(5, middlePixels, 0, 5, 0),
                                  Flat(30, 39, 0, 5, 0)};
        const auto records = ClassifyCandidateRuns(stretches, {{0, 2}, {1, 3}, {2, 4}});
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[1], (RunRecord{kind, 1, 3}));
        EXPECT_EQ(records[2].kind, RunKind::Horizontal);
    }
}

constexpr RunKind H = RunKind::Horizontal;
constexpr RunKind N = RunKind::NoRoom;

TEST(RunRecordCleaningTest, MergesTrimsAndDropsRecords) {
    const auto merged = MergeNoRoomRecords({{H, 0, 3}, {N, 2, 5}, {N, 5, 6}, {H, 5, 8}});
    EXPECT_EQ(merged, (std::vector<RunRecord>{{H, 0, 3}, {N, 2, 6}, {H, 5, 8}}));
    EXPECT_EQ(TrimNoRoomRecords(merged), (std::vector<RunRecord>{{H, 0, 3}, {N, 3, 5}, {H, 5, 8}}));
    // A piece covered by its neighbours vanishes.
    const auto trimmed = TrimNoRoomRecords({{N, 0, 2}, {H, 0, 4}, {N, 2, 4}, {H, 4, 6}, {N, 5, 9}});
    EXPECT_EQ(trimmed, (std::vector<RunRecord>{{N, 0, 0}, {H, 0, 4}, {N, 4, 4}, {H, 4, 6}, {N, 6, 9}}));
    EXPECT_EQ(RemoveEmptyRecords(trimmed), (std::vector<RunRecord>{{H, 0, 4}, {H, 4, 6}, {N, 6, 9}}));
    // Only a horizontal run squeezed between two overlapping ones is dropped.
    EXPECT_EQ(DropRedundantHorizontalRuns({{H, 0, 5}, {H, 2, 6}, {H, 4, 8}}),
              (std::vector<RunRecord>{{H, 0, 5}, {H, 4, 8}}));
    for (const std::vector<RunRecord>& kept : {std::vector<RunRecord>{{H, 0, 3}, {H, 2, 5}, {H, 4, 7}},
                                               std::vector<RunRecord>{{H, 0, 5}, {N, 2, 6}, {H, 4, 8}}})
        EXPECT_EQ(DropRedundantHorizontalRuns(kept), kept);
}

// One room per record; the row (-1 + -4) / 2 truncates toward zero.
TEST(BuildInitialRoomsTest, MakesOneRoomPerRecord) {
    const Stretches stretches{Flat(0, 4, -2, -1, -4), Flat(5, 9, -2, 0, -4), Flat(10, 11, -2, 3, -2)};
    EXPECT_EQ(BuildInitialRooms({{H, 0, 2}, {N, 2, 3}}, stretches),
              (std::vector{Horizontal(0, 9, -1, -4, -2, 0, 2), Fixed({{10, -2}, {11, -2}}, 2, 3)}));
}

}  // namespace
}  // namespace Zalvo::Detail
