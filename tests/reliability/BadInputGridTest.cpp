// Bad input to the grid accessors and FindShortestPixelPath, one test per row
// of the bad-input table (README.md, "Bad input").
#include "reliability/BadInputSupport.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace ZalvoTest {
namespace {

using ::testing::HasSubstr;
using Zalvo::Pixel;
using Zalvo::Terrain;

TEST(BadInputAccessors, EmptyTerrainReadsAsNothing) {
    const Terrain empty;
    EXPECT_EQ(Zalvo::GetColumnCount(empty), 0u);
    EXPECT_EQ(Zalvo::GetRowCount(empty), 0u);
    for (const Pixel p : {Pixel{0, 0}, Pixel{kMin32, kMin32}, Pixel{kMax32, kMax32}})
        EXPECT_EQ(Zalvo::GetHeight(empty, p), 0);
}

TEST(BadInputAccessors, EmptyFirstColumnReadsZero) {
    EXPECT_EQ(Zalvo::GetRowCount(Terrain{{}, {}}), 0u);
    // The second column has a cell, but the row count is the first column's.
    const Terrain terrain{{}, {7}};
    for (const Pixel p : {Pixel{0, 0}, Pixel{1, 0}, Pixel{1, -1}, Pixel{1, kMax32}})
        EXPECT_EQ(Zalvo::GetHeight(terrain, p), 0);
}

TEST(BadInputAccessors, RaggedTerrainReadsZeroBeyondAShortColumn) {
    const Terrain terrain{{1, 2, 3}, {4}, {5, 6, 7, 8}, {}};
    EXPECT_EQ(Zalvo::GetColumnCount(terrain), 4u);
    EXPECT_EQ(Zalvo::GetRowCount(terrain), 3u);  // the first column's length
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, 0}), 4);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, 1}), 0);   // the last row the column lacks
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, 2}), 0);   // row 2 exists in column 0 only
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, -1}), 0);  // wraps to row 2
    EXPECT_EQ(Zalvo::GetHeight(terrain, {2, 3}), 5);   // wraps by 3, never reads row 3
    EXPECT_EQ(Zalvo::GetHeight(terrain, {3, 0}), 0);
}

TEST(BadInputAccessors, ExtremeCoordinatesWrapRowsAndLeaveColumns) {
    // Each cell holds 10 x its column + its row, so a read names its cell.
    Terrain terrain(3, std::vector<std::uint8_t>(5));
    for (std::uint8_t x = 0; x < 3; ++x)
        for (std::uint8_t y = 0; y < 5; ++y) terrain[x][y] = static_cast<std::uint8_t>(10 * x + y);
    const std::pair<Pixel, int> reads[] = {{{1, 2}, 12},     {{-1, 2}, 0},      {{3, 2}, 0},  {{kMin32, 0}, 0},
                                           {{kMax32, 0}, 0}, {{2, -1}, 24},     {{2, 5}, 20}, {{2, -5}, 20},
                                           {{2, 13}, 23},    {{1, kMin32}, 12},  // -2^31 = 2 (mod 5)
                                           {{0, kMax32}, 2}};                    // 2^31 - 1 = 2 (mod 5)
    for (const auto& [pixel, height] : reads)
        EXPECT_EQ(Zalvo::GetHeight(terrain, pixel), height) << pixel.x << ", " << pixel.y;
}

TEST(BadInputAccessors, EmptyPathIsNotHorizontal) { EXPECT_FALSE(Zalvo::IsHorizontal({})); }

class BadInputSearch : public ::testing::Test {
protected:
    std::shared_ptr<int> calls = std::make_shared<int>(0);
};

TEST_F(BadInputSearch, NoColumnsGiveNoPath) {
    EXPECT_FALSE(Zalvo::FindShortestPixelPath({}, CountingCost(calls)));
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, EmptyFirstColumnGivesNoPath) {
    EXPECT_FALSE(Zalvo::FindShortestPixelPath(Grid(3, 0), CountingCost(calls)));
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, RaggedGridIsRejectedBeforeAnyPenalty) {
    Terrain ragged = Grid(3, 4);
    ragged[2].pop_back();
    EXPECT_THROW(Zalvo::FindShortestPixelPath(ragged, CountingCost(calls)), std::invalid_argument);
    EXPECT_THROW(Zalvo::FindShortestPixelPath(Terrain{{}, {0}}, CountingCost(calls)), std::invalid_argument);
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, EmptyPenaltyThrowsBadFunctionCall) {
    EXPECT_THROW(Zalvo::FindShortestPixelPath(Grid(3, 3), {}), std::bad_function_call);
}

TEST_F(BadInputSearch, ThrowingPenaltyPassesUnchanged) {
    for (const int failAt : {0, 3, 6}) {
        *calls = 0;
        try {
            Zalvo::FindShortestPixelPath(Grid(4, 4), CountingCost(calls, 0.0, failAt));
            ADD_FAILURE() << "the host's exception was lost";
        } catch (const HostFailure& failure) {
            EXPECT_EQ(failure.code, failAt);
        }
        EXPECT_EQ(*calls, failAt + 1);  // nothing was called after the failure
    }
}

TEST_F(BadInputSearch, NanPenaltyIsRejectedNamingThePixel) {
    const auto nanAt = [](const Pixel& p) { return p == Pixel{1, 2} ? kNaN : 0.0; };
    try {
        Zalvo::FindShortestPixelPath(Grid(3, 4), nanAt);
        FAIL() << "a NaN penalty was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_THAT(error.what(), HasSubstr("NaN for pixel (1, 2)"));
    }
}

// Each case: a grid, the penalties, and how many penalty calls the search may
// take to notice the cycle.
struct NegativeCycle {
    const char* name;
    Terrain terrain;
    std::function<double(const Pixel&)> penalty;
    int mostCalls;
};

// 254 everywhere but in columns 2 and 3.
Terrain WallsAround(std::size_t columns, std::size_t rows) {
    Terrain terrain = Grid(columns, rows, Zalvo::Heights::FractionalRing);
    terrain[2].assign(rows, 0);
    terrain[3].assign(rows, 0);
    return terrain;
}

TEST_F(BadInputSearch, NegativeCycleIsRejected) {
    Terrain wall = Grid(3, 4);
    wall[1].assign(4, Zalvo::Heights::FractionalRing);
    const auto everywhere = [](double value) { return [value](const Pixel&) { return value; }; };
    const NegativeCycle cases[] = {// Each step costs -5 + 1: walking up and down forever would keep lowering the cost.
                                   {"small", Grid(3, 3), everywhere(-5.0), 200},
                                   // Costs start near 1e7 behind the wall and drop by 6 per loop: the
                                   // floor alone would take millions of loops, the chain length a few.
                                   {"behind a wall", wall, [](const Pixel& p) { return p.x == 2 ? -4.0 : 0.0; }, 200},
                                   // From about -1e15 on, the costs of a 40 x 40 grid lose the steps in
                                   // rounding and all cells share one key: still about one pass.
                                   {"-5", Grid(40, 40), everywhere(-5.0), 2 * 40 * 40},
                                   {"-1e5", Grid(40, 40), everywhere(-1e5), 2 * 40 * 40},
                                   {"-1e15", Grid(40, 40), everywhere(-1e15), 2 * 40 * 40},
                                   // Found by fuzzing (the raw inputs stay in fuzz/corpus/grid):
                                   // near -1e300 each pass over the grid once lengthened the
                                   // chains by a cell, and a cycle between expensive walls,
                                   // reached near 2e7 and falling by 0.001 a step, would have
                                   // taken some 1e10 steps by the size of the cost alone.
                                   {"-1e300", Grid(48, 48), everywhere(-1e300), 2 * 48 * 48},
                                   {"between walls", WallsAround(6, 6),
                                    [](const Pixel& p) { return p.x == 2 || p.x == 3 ? -1.001 : 0.0; }, 10000}};
    for (const NegativeCycle& c : cases) {
        int count = 0;
        const auto counted = [&count, &c](const Pixel& p) {
            ++count;
            return c.penalty(p);
        };
        try {
            Zalvo::FindShortestPixelPath(c.terrain, counted);
            ADD_FAILURE() << c.name << ": a negative cycle went unnoticed";
        } catch (const std::invalid_argument& error) {
            EXPECT_THAT(error.what(), HasSubstr("cycle of negative cost")) << c.name;
        }
        EXPECT_LT(count, c.mostCalls) << c.name;
    }
}

TEST_F(BadInputSearch, NegativeButAcyclicPenaltiesEnd) {
    // Each step still costs +0.5, so the search ends; the walk back never repeats a cell.
    const auto found = Zalvo::FindShortestPixelPath(Grid(5, 4), CountingCost(calls, -0.5));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->back().x, 4);
    std::set<Pixel> cells;
    for (const Pixel& p : *found) EXPECT_TRUE(cells.insert({p.x, Zalvo::PositiveModulo(p.y, 4)}).second);
}

TEST_F(BadInputSearch, InfinitePenaltiesGiveNoPathOrAreRejected) {
    EXPECT_FALSE(Zalvo::FindShortestPixelPath(Grid(3, 3), CountingCost(calls, kInfinity)));
    EXPECT_FALSE(Zalvo::FindShortestPixelPath(Grid(3, 3), CountingCost(calls, 1e300)));
    // One column of +infinity is a wall; one cell of -infinity is rejected.
    EXPECT_FALSE(Zalvo::FindShortestPixelPath(Grid(3, 3), [](const Pixel& p) { return p.x == 1 ? kInfinity : 0.0; }));
    EXPECT_THROW(Zalvo::FindShortestPixelPath(Grid(3, 3),
                                              [](const Pixel& p) {
                                                  return p == Pixel{1, 1} ? -kInfinity : 0.0;
                                              }),
                 std::invalid_argument);
}

}  // namespace
}  // namespace ZalvoTest
