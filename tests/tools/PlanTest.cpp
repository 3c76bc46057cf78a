#include "ToolTestSupport.h"
#include "plan/CutLine.h"
#include "support/Extremes.h"

namespace ZalvoPlan {
namespace {

TEST(SamplePlanTest, TimesEveryStageInOrder) {
    std::vector<std::string> stages;
    for (const auto& timing : ZalvoPlanTest::TheSamplePlan().result.timings) stages.push_back(timing.stage);
    EXPECT_THAT(stages, ::testing::ElementsAre("createTerrain", "findShortestPixelPath", "optimizePixelPath",
                                               "calculateWiggleRooms", "adjustRows", "sparsePath"));
}

// Middle: nothing on the middle row, the weight at the edges; slope: the weight times the ramp's steepness.
TEST(PenaltyTest, MiddleRowsCostNothingEdgesTheWeightAndSlopeFollowsTheHeight) {
    Zalvo::Terrain terrain(3, std::vector<std::uint8_t>(9, 0));
    const auto middle = [&](std::int32_t y) { return PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, y}); };
    EXPECT_DOUBLE_EQ(middle(4), 0.0);
    EXPECT_DOUBLE_EQ(middle(0), 2.0 * 4 / 4.5);
    EXPECT_DOUBLE_EQ(middle(-1), middle(8));  // the optimizer's unwrapped rows are wrapped first
    EXPECT_DOUBLE_EQ(middle(13), middle(4));
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::None, 2.0, terrain, {1, 0}), 0.0);
    terrain[1][8] = 251;
    terrain[1][2] = 125;
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Slope, 3.0, terrain, {1, -1}), 3.0);
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Slope, 3.0, terrain, {1, 2}), 3.0 * 125 / 251);
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Slope, 3.0, terrain, {0, 2}), 0.0);
}
TEST(ChooseCheaperTest, DownOnlyWhenStrictlyCheaper) {
    EXPECT_EQ(ChooseCheaper({{}, 1, 5.0}, {{}, 2, 5.0}), Direction::Up);
    EXPECT_EQ(ChooseCheaper({{}, 1, 5.0}, {{}, 2, 4.5}), Direction::Down);
    EXPECT_EQ(ChooseCheaper({{}, 1, 4.0}, {{}, 2, 4.5}), Direction::Up);
}

// Why no line crosses: the first columns blocked top to bottom, and whether a smaller distance would help.
struct NoPathCase {
    const char* name;
    std::vector<std::string> columns;  // per column, one character per row: # content, m margin, . free
    std::string reason;
};
class NoPathReasonTest : public ::testing::TestWithParam<NoPathCase> {};
TEST_P(NoPathReasonTest, NamesTheBlockedColumnsAndWhatToChange) {
    const auto& columns = GetParam().columns;
    PlateImage image = MakeBlankImage(static_cast<std::int64_t>(columns.size()), 3);
    Zalvo::Terrain terrain(columns.size(), std::vector<std::uint8_t>(3, Zalvo::Heights::Free));
    for (std::size_t x = 0; x < columns.size(); ++x) {
        for (std::size_t y = 0; y < 3; ++y) {
            if (columns[x][y] != '.') terrain[x][y] = Zalvo::Heights::Impassable;
            if (columns[x][y] == '#') image.classes[y * columns.size() + x] = PixelClass::Impassable;
        }
    }
    EXPECT_EQ(NoPathReason(image, terrain), GetParam().reason);
}
INSTANTIATE_TEST_SUITE_P(
    Plates, NoPathReasonTest,
    ::testing::Values(
        NoPathCase{"margin",
                   {"...", "#mm", "mm#", "..."},
                   "no line gets past columns 1\u20132: every row there is impassable content or within the minimum "
                   "distance of it; try a smaller --min-distance / min_distance"},
        NoPathCase{"content",
                   {"...", "m..", "###", "..."},
                   "no line gets past column 2: impassable content fills every row there, whatever the distances; "
                   "make a way through it with a corridor seed (red) or crossable content (grey)"},
        NoPathCase{"staircase",
                   {"#..", ".#.", "..#"},
                   "no line crosses this plate: content and its blocked margins close every way from the left edge "
                   "to the right, though no column is blocked from top to bottom; try a smaller --min-distance / "
                   "min_distance"}),
    [](const auto& plate) { return std::string(plate.param.name); });

struct CutLineCase {
    const char* name;
    std::vector<Zalvo::Pixel> sparse, corners;
};
class CutLineTest : public ::testing::TestWithParam<CutLineCase> {};
TEST_P(CutLineTest, KeepsOnlyTheCorners) { EXPECT_EQ(RemoveCollinearPoints(GetParam().sparse), GetParam().corners); }
using ZalvoTest::kMax32, ZalvoTest::kMin32;
INSTANTIATE_TEST_SUITE_P(
    Paths, CutLineTest,
    ::testing::Values(
        CutLineCase{"Empty", {}, {}}, CutLineCase{"OnePoint", {{3, 4}}, {{3, 4}}},
        CutLineCase{"TwoEqualPointsStay", {{3, 4}, {3, 4}}, {{3, 4}, {3, 4}}},
        CutLineCase{"StraightRunShrinksToItsEnds", {{0, 5}, {10, 5}, {20, 5}, {30, 5}}, {{0, 5}, {30, 5}}},
        CutLineCase{"RepeatedPointsGo", {{0, 5}, {0, 5}, {10, 5}, {10, 5}}, {{0, 5}, {10, 5}}},
        CutLineCase{"StepKeepsBothCorners", {{0, 5}, {10, 5}, {10, 9}, {20, 9}}, {{0, 5}, {10, 5}, {10, 9}, {20, 9}}},
        CutLineCase{
            "TurnBackKeepsItsTurn", {{10, 0}, {10, 3}, {10, -4}, {20, -4}}, {{10, 0}, {10, 3}, {10, -4}, {20, -4}}},
        CutLineCase{"DiagonalRunShrinks", {{0, 0}, {2, 1}, {4, 2}, {5, 2}}, {{0, 0}, {4, 2}, {5, 2}}},
        CutLineCase{"NearlyStraightStays", {{0, 0}, {3, 1}, {7, 2}}, {{0, 0}, {3, 1}, {7, 2}}},
        CutLineCase{"ExtremeRowsDoNotOverflow",
                    {{0, kMin32}, {1, 0}, {2, kMax32}, {3, kMax32}},
                    {{0, kMin32}, {1, 0}, {2, kMax32}, {3, kMax32}}},
        CutLineCase{"ExtremeStraightRowsShrink", {{0, kMin32}, {0, 0}, {0, kMax32}}, {{0, kMin32}, {0, kMax32}}},
        CutLineCase{
            "LowestTurnBackStays", {{0, kMin32 + 1}, {0, kMin32}, {0, 0}}, {{0, kMin32 + 1}, {0, kMin32}, {0, 0}}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace ZalvoPlan
