#include "optimize/Optimize.h"
#include "support/Extremes.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using Path = std::vector<Pixel>;
using ZalvoTest::kMax32;
using ZalvoTest::kMin32;

// ---------------------------------------------------------------------------
// Dense path
// ---------------------------------------------------------------------------

struct DenseCase {
    std::string name;
    Path path;
    Path dense;
};

class DensePath : public testing::TestWithParam<DenseCase> {};

TEST_P(DensePath, BridgesGapsWithRoundedLines) {
    EXPECT_EQ(Zalvo::Detail::CalculateDensePixelPath(GetParam().path), GetParam().dense);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DensePath,
    testing::Values(
        DenseCase{"Empty", {}, {}}, DenseCase{"OnePoint", {{3, -4}}, {{3, -4}}},
        DenseCase{"NeighboursAndRepeatsKept", {{0, 0}, {1, 1}, {1, 1}, {0, 1}}, {{0, 0}, {1, 1}, {1, 1}, {0, 1}}},
        DenseCase{"ShallowUp", {{0, 0}, {4, 2}}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        DenseCase{
            "ShallowDownRoundsHalvesAwayFromZero", {{0, 0}, {4, -2}}, {{0, 0}, {1, -1}, {2, -1}, {3, -2}, {4, -2}}},
        DenseCase{"Steep", {{0, 0}, {2, 4}}, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
        DenseCase{"ExactDiagonalStepsRows", {{0, 0}, {3, -3}}, {{0, 0}, {1, -1}, {2, -2}, {3, -3}}},
        DenseCase{"Leftward", {{4, 0}, {0, 1}}, {{4, 0}, {3, 0}, {2, 1}, {1, 1}, {0, 1}}},
        DenseCase{
            "TwoSegmentsShareTheirJoint", {{0, 0}, {0, 3}, {2, 3}}, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}}},
        DenseCase{"NearTheLimits",
                  {{kMax32 - 3, kMin32}, {kMax32, kMin32 + 2}},
                  {{kMax32 - 3, kMin32}, {kMax32 - 2, kMin32 + 1}, {kMax32 - 1, kMin32 + 1}, {kMax32, kMin32 + 2}}}),
    [](const testing::TestParamInfo<DenseCase>& param) { return param.param.name; });

// The slope 1/14 added seven times falls just short of 0.5, where 7 / 14 is
// exactly 0.5: the accumulated value decides.
TEST(DensePathSlope, IsAccumulatedByAddition) {
    const Path dense = Zalvo::Detail::CalculateDensePixelPath({{0, 0}, {14, 1}});
    ASSERT_EQ(dense.size(), 15u);
    EXPECT_EQ(dense[7], (Pixel{7, 0}));
    EXPECT_EQ(dense[8], (Pixel{8, 1}));
    const Path steep = Zalvo::Detail::CalculateDensePixelPath({{0, 0}, {-10, -12}});
    EXPECT_EQ(steep[9], (Pixel{-7, -9}));
}

TEST(DensePathSize, RefusesLinesBeyond32BitCountsBeforeAllocating) {
    EXPECT_THROW(Zalvo::Detail::CalculateDensePixelPath({{kMin32, 0}, {kMax32, 0}}), std::length_error);
    EXPECT_THROW(Zalvo::Detail::CalculateDensePixelPath({{0, kMax32}, {0, kMin32}}), std::length_error);
    // No single segment is too long, but together they are.
    EXPECT_THROW(Zalvo::Detail::CalculateDensePixelPath({{0, 0}, {1 << 30, 0}, {0, 0}, {1 << 30, 0}}),
                 std::length_error);
}

// ---------------------------------------------------------------------------
// Free-shift scan on a 3 x 8 grid blocked at (0,6) and (1,3)
// ---------------------------------------------------------------------------

struct ScanCase {
    std::string name;
    Path dense;
    std::int32_t clearance;
    std::int64_t up;
    std::int64_t down;
};

class ScanShiftLimit : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanShiftLimit, NearestBlockOverAllPixelsLessClearance) {
    Terrain terrain(3, std::vector<std::uint8_t>(8, 0));
    terrain[0][6] = 253;
    terrain[1][3] = 255;
    const ScanCase& c = GetParam();
    using Zalvo::Detail::ShiftDirection;
    EXPECT_EQ(Zalvo::Detail::ScanShiftLimit(c.dense, terrain, 8, c.clearance, ShiftDirection::Up), c.up);
    EXPECT_EQ(Zalvo::Detail::ScanShiftLimit(c.dense, terrain, 8, c.clearance, ShiftDirection::Down), c.down);
}

INSTANTIATE_TEST_SUITE_P(Grid, ScanShiftLimit,
                         testing::Values(ScanCase{"NearestOfTwoColumnsWins", {{0, 0}, {1, 0}}, 0, 2, 1},
                                         ScanCase{"FreeColumnRunsBelowTheRowCount", {{2, 5}}, 0, 7, 7},
                                         ScanCase{"OwnCellIsNeverTested", {{1, -5}}, 0, 7, 7},
                                         ScanCase{"OffGridPixelsAreFree", {{0, 0}, {5, 0}, {-1, 0}}, 0, 5, 1},
                                         ScanCase{"ClearanceSubtracts", {{0, 0}}, 2, 3, -1},
                                         ScanCase{"NegativeClearanceExtends", {{1, 0}}, -3, 5, 7},
                                         ScanCase{"BlockedFirstShiftIgnoresClearance", {{1, 2}, {1, 4}}, -3, 0, 0},
                                         ScanCase{"EmptyDenseIsFreeEverywhere", {}, 1, 6, 6},
                                         // The block is the last shift below the row count: up 7.
                                         ScanCase{"BlockAtTheLastShift", {{0, 7}}, 0, 6, 0},
                                         // The first pixel allows 5 shifts up; the second is blocked
                                         // at exactly the fifth.
                                         ScanCase{"BlockAtTheBoundOfAnEarlierPixel", {{0, 0}, {1, -2}}, 0, 4, 1}),
                         [](const testing::TestParamInfo<ScanCase>& param) { return param.param.name; });

TEST(ShiftPixelPath, MovesRowsOnly) {
    EXPECT_EQ(Zalvo::Detail::ShiftPixelPath({{1, 2}, {3, -4}}, -5), (Path{{1, -3}, {3, -9}}));
    EXPECT_TRUE(Zalvo::Detail::ShiftPixelPath({}, 7).empty());
    EXPECT_EQ(Zalvo::Detail::ShiftPixelPath({{0, kMax32 - 1}}, 1), (Path{{0, kMax32}}));
    EXPECT_THROW(Zalvo::Detail::ShiftPixelPath({{0, kMax32 - 1}}, 2), std::invalid_argument);
    EXPECT_THROW(Zalvo::Detail::ShiftPixelPath({{0, kMin32}}, -1), std::invalid_argument);
}

// ---------------------------------------------------------------------------
// OptimizePixelPath
// ---------------------------------------------------------------------------

// Records every callable invocation in order: "P<s>" for a penalty, "C<x>,<y>"
// for a pixel cost. Costs and penalties come from replaceable functions.
class Optimize : public testing::Test {
protected:
    Zalvo::PixelCostFunction PixelCost() {
        return [this](const Pixel& p) {
            calls.push_back("C" + std::to_string(p.x) + "," + std::to_string(p.y));
            return cost(p);
        };
    }
    Zalvo::ShiftPenaltyFunction Penalty() {
        return [this](std::int32_t s) {
            calls.push_back("P" + std::to_string(s));
            return penalty(s);
        };
    }
    std::pair<Path, Path> Run(const Path& path, std::int32_t clearance, const Terrain& terrain) {
        return Zalvo::OptimizePixelPath(path, clearance, terrain, PixelCost(), Penalty());
    }
    static Terrain Free(std::size_t columns, std::size_t rows) {
        return Terrain(columns, std::vector<std::uint8_t>(rows, 0));
    }

    std::vector<std::string> calls;
    std::function<double(const Pixel&)> cost = [](const Pixel&) { return 1.0; };
    std::function<double(std::int32_t)> penalty = [](std::int32_t) { return 0.0; };
};

TEST_F(Optimize, CallsPenaltyBeforeCostsAndPricesShiftZeroInEachDirection) {
    // Four free rows: shifts 1..3 are free, clearance 1 leaves 1..2. Rows
    // priced and returned are not wrapped.
    const auto [up, down] = Run({{0, 2}, {1, 2}}, 1, Free(2, 4));
    const std::vector<std::string> expected{"P0", "C0,2", "C1,2", "P1", "C0,3", "C1,3", "P2", "C0,4", "C1,4",
                                            "P0", "C0,2", "C1,2", "P1", "C0,1", "C1,1", "P2", "C0,0", "C1,0"};
    EXPECT_EQ(calls, expected);
    // All costs tie, so the largest allowed shift wins in both directions.
    EXPECT_EQ(up, (Path{{0, 4}, {1, 4}}));
    EXPECT_EQ(down, (Path{{0, 0}, {1, 0}}));
}

TEST_F(Optimize, SumsCostsThenAddsPenalty) {
    // 1e16 + 1 + 1 is lost in a double unless the ones come first; summing
    // the path in order and the penalty last keeps shift 0 dearer.
    cost = [](const Pixel& p) { return p.y == 0 ? 1.0 : 0.0; };
    penalty = [](std::int32_t s) { return s == 0 ? 1e16 : 1e16 + 2.0; };
    const auto [up, down] = Run({{0, 0}, {1, 0}, {2, 0}}, 0, Free(3, 2));
    EXPECT_EQ(up.front().y, 1);
}

TEST_F(Optimize, EqualCostsGoToTheLargerShift) {
    cost = [](const Pixel& p) { return p.y == 1 || p.y == 2 ? 5.0 : 1.0; };
    const auto [up, down] = Run({{0, 0}}, 0, Free(1, 4));
    EXPECT_EQ(up, (Path{{0, 3}}));
}

TEST_F(Optimize, BlockingCellsEndTheScanAndRowsWrap) {
    Terrain terrain = Free(2, 6);
    terrain[0][4] = 253;
    terrain[1][3] = 252;  // a corridor does not block
    // Up from row 0: shifts 1..3 free, 4 blocked. Down: row -1 is row 5,
    // free; row -2 is row 4, blocked.
    const auto [up, down] = Run({{0, 0}, {1, 0}}, 0, terrain);
    EXPECT_EQ(up, (Path{{0, 3}, {1, 3}}));
    EXPECT_EQ(down, (Path{{0, -1}, {1, -1}}));
}

TEST_F(Optimize, OneRowPricesShiftZeroOnly) {
    const Path path{{0, 0}, {2, 0}};
    const auto [up, down] = Run(path, 0, Free(3, 1));
    EXPECT_EQ(up, path);
    EXPECT_EQ(down, path);
    EXPECT_EQ(calls, (std::vector<std::string>{"P0", "C0,0", "C1,0", "C2,0", "P0", "C0,0", "C1,0", "C2,0"}));
}

TEST_F(Optimize, GapsAreBridgedForTestsButResultsKeepThePathPoints) {
    // The bridge of (0,0)-(4,2) passes (2,1); shifted by 2 it meets (2,3).
    Terrain terrain = Free(5, 10);
    terrain[2][3] = 254;
    const auto [up, down] = Run({{0, 0}, {4, 2}}, 0, terrain);
    EXPECT_EQ(up, (Path{{0, 1}, {4, 3}}));
    // Five dense pixels priced for up shifts 0..1 and, (2,1) first meeting
    // the cell 8 rows down, for down shifts 0..7.
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c[0] == 'C'; }), (2 + 8) * 5);
}

}  // namespace
