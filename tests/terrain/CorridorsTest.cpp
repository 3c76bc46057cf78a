#include "support/Printers.h"
#include "terrain/Corridors.h"
#include "terrain/TerrainDump.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using Zalvo::Detail::CarveCorridors;
using Zalvo::Detail::IsCorridorShape;
using Lines = std::vector<std::string>;

const std::vector<std::uint8_t> kThreeSteps{255, 255, 254, 251};

Lines Filled(std::size_t columns, std::size_t rows, char fill) { return Lines(rows, std::string(columns, fill)); }

Lines Carve(const Lines& lines, const std::set<Pixel>& seeds, const std::vector<std::uint8_t>& profile = kThreeSteps) {
    Terrain terrain = ZalvoTest::FromDump(lines);
    CarveCorridors(terrain, seeds, profile);
    return ZalvoTest::DumpLines(terrain);
}

Lines WithCorridor(Lines lines, const std::vector<Pixel>& cells) {
    for (const Pixel& p : cells) lines[static_cast<std::size_t>(p.y)][static_cast<std::size_t>(p.x)] = 'o';
    return lines;
}

TEST(CarveCorridors, SingleSeedNeverGrows) {
    EXPECT_EQ(Carve(Filled(9, 9, 'X'), {{4, 4}}), WithCorridor(Filled(9, 9, 'X'), {{4, 4}}));
}

TEST(CarveCorridors, StraightLineGrowsAtBothEndsUntilTheStepsRunOut) {
    const Lines blocked = Filled(13, 5, 'M');
    EXPECT_EQ(Carve(blocked, {{5, 2}, {6, 2}}),
              WithCorridor(blocked, {{2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 2}}));
}

TEST(CarveCorridors, LineStopsAtCellsBelowTheBlockedHeights) {
    EXPECT_EQ(Carve({"XXXXXXXXX", "XX9XXXX9X", "XXXXXXXXX"}, {{4, 1}, {5, 1}}),
              (Lines{"XXXXXXXXX", "XX9oooo9X", "XXXXXXXXX"}));
}

TEST(CarveCorridors, VerticalLineGrowsAcrossTheRowSeam) {
    const Lines blocked = Filled(5, 10, 'X');
    EXPECT_EQ(Carve(blocked, {{2, 0}, {2, 1}}),
              WithCorridor(blocked, {{2, 7}, {2, 8}, {2, 9}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}}));
}

TEST(CarveCorridors, DiagonalLineGrowsDiagonally) {
    const Lines blocked = Filled(9, 9, 'x');
    EXPECT_EQ(Carve(blocked, {{4, 4}, {5, 3}}),
              WithCorridor(blocked, {{1, 7}, {2, 6}, {3, 5}, {4, 4}, {5, 3}, {6, 2}, {7, 1}, {8, 0}}));
}

TEST(CarveCorridors, LinesMeetingHeadOnLeaveOneOrTwoCellsBetween) {
    const std::vector<std::uint8_t> manySteps(20, 255);
    EXPECT_EQ(Carve(Filled(12, 5, 'X'), {{1, 2}, {2, 2}, {6, 2}, {7, 2}}, manySteps)[2], "ooooXooooooo");
    EXPECT_EQ(Carve(Filled(12, 5, 'X'), {{1, 2}, {2, 2}, {7, 2}, {8, 2}}, manySteps)[2], "ooooXXoooooo");
}

TEST(CarveCorridors, VerticalLineGrowsOnlyAwayFromTheBorderColumns) {
    // In the first and last column the clamped ring reads the line three times.
    const Lines blocked = Filled(6, 9, 'X');
    for (const std::int32_t x : {0, 1, 4, 5}) {
        std::vector<Pixel> expected{{x, 3}, {x, 4}};
        if (x == 1 || x == 4) expected = {{x, 0}, {x, 1}, {x, 2}, {x, 3}, {x, 4}, {x, 5}, {x, 6}, {x, 7}};
        EXPECT_EQ(Carve(blocked, {{x, 3}, {x, 4}}), WithCorridor(blocked, expected)) << "column " << x;
    }
}

TEST(CarveCorridors, BranchCrossesAFullHeightLineThroughCrossingAndBranchShapes) {
    std::set<Pixel> seeds{{5, 3}, {6, 3}};
    for (std::int32_t y = 0; y < 7; ++y) seeds.insert({4, y});
    Lines expected = WithCorridor(Filled(9, 7, 'X'), {{4, 0}, {4, 1}, {4, 2}, {4, 4}, {4, 5}, {4, 6}});
    expected[3] = "Xoooooooo";
    EXPECT_EQ(Carve(Filled(9, 7, 'X'), seeds), expected);
}

TEST(CarveCorridors, SeedsAreTakenOnlyOnTheGridAndOnBlockedCells) {
    // Row -1 is the last row; the row count, row -2 and columns off the grid
    // name nothing; free, ramp and corridor cells are left alone.
    EXPECT_EQ(Carve(Filled(4, 3, 'X'), {{1, -1}, {2, 3}, {3, -2}, {-1, 0}, {4, 0}}),
              WithCorridor(Filled(4, 3, 'X'), {{1, 2}}));
    EXPECT_EQ(Carve({".9oM"}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}), (Lines{".9oo"}));
    Terrain withoutRows(3);
    CarveCorridors(withoutRows, {{0, -1}, {1, 0}}, kThreeSteps);
    EXPECT_EQ(withoutRows, Terrain(3));
}

TEST(CarveCorridors, GrowsOnlyWhileTheProfileStartsWithBlockedEntries) {
    const std::set<Pixel> seeds{{2, 1}, {3, 1}};
    EXPECT_EQ(Carve(Filled(7, 3, 'X'), seeds, {})[1], "XXooXXX");
    EXPECT_EQ(Carve(Filled(7, 3, 'X'), seeds, {251, 255, 255})[1], "XXooXXX");
    EXPECT_EQ(Carve(Filled(7, 3, 'X'), seeds, {253, 251, 255})[1], "XooooXX");
}

// The ring around a cell in its fixed order; six positions on is a quarter turn.
constexpr std::array<std::array<std::int32_t, 2>, 24> kRing{{
    {0, -2}, {0, -1}, {1, -2}, {1, -1}, {2, -2}, {2, -1}, {2, 0},  {1, 0},  {2, 1},   {1, 1},   {2, 2},   {1, 2},
    {0, 2},  {0, 1},  {-1, 2}, {-1, 1}, {-2, 2}, {-2, 1}, {-2, 0}, {-1, 0}, {-2, -1}, {-1, -1}, {-2, -2}, {-1, -2},
}};

// A blocked 7 x 7 terrain with corridor cells at the given ring positions
// around its centre.
Terrain WithRingCells(const std::vector<std::size_t>& positions) {
    Terrain terrain(7, std::vector<std::uint8_t>(7, 255));
    for (const std::size_t position : positions)
        terrain[static_cast<std::size_t>(3 + kRing[position % 24][0])]
               [static_cast<std::size_t>(3 + kRing[position % 24][1])] = 252;
    return terrain;
}

TEST(IsCorridorShape, HoldsForTheFourShapesInEveryQuarterTurnAndNothingMore) {
    const std::vector<std::vector<std::size_t>> shapes{{6, 7}, {2, 3, 6, 7, 9, 11}, {4, 5, 6, 7, 8, 10}, {3, 4}};
    for (const auto& shape : shapes) {
        for (std::size_t turn = 0; turn < 24; turn += 6) {
            std::vector<std::size_t> turned;
            for (const std::size_t position : shape) turned.push_back(position + turn);
            EXPECT_TRUE(IsCorridorShape(WithRingCells(turned), {3, 3})) << shape.size() << " cells, turn " << turn;
            turned.push_back(shape.front() + turn + 12);  // one cell too many
            EXPECT_FALSE(IsCorridorShape(WithRingCells(turned), {3, 3})) << shape.size() << " cells, turn " << turn;
        }
    }
    EXPECT_FALSE(IsCorridorShape(WithRingCells({5, 6, 9, 10, 12, 14}), {3, 3}));  // crossing turned by an eighth
    EXPECT_FALSE(IsCorridorShape(WithRingCells({}), {3, 3}));
    EXPECT_FALSE(IsCorridorShape(WithRingCells({7}), {3, 3}));
    EXPECT_FALSE(IsCorridorShape(WithRingCells({7, 19}), {3, 3}));  // one on each side
}

}  // namespace
