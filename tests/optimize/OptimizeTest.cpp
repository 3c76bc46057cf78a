#include "optimize/Optimize.h"
#include "support/Extremes.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using Path = std::vector<Pixel>;
using Zalvo::Detail::CalculateDensePixelPath;
using ZalvoTest::kMax32;
using ZalvoTest::kMin32;

Terrain Free(std::size_t columns, std::size_t rows) { return Terrain(columns, std::vector<std::uint8_t>(rows)); }

TEST(DensePath, BridgesGapsWithRoundedLines) {
    for (const auto& [path, dense] : std::initializer_list<std::pair<Path, Path>>{
             {{}, {}},
             {{{3, -4}}, {{3, -4}}},
             {{{0, 0}, {1, 1}, {1, 1}, {0, 1}}, {{0, 0}, {1, 1}, {1, 1}, {0, 1}}},  // neighbours and repeats kept
             {{{0, 0}, {4, 2}}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},          // halves round away from zero
             {{{0, 0}, {4, -2}}, {{0, 0}, {1, -1}, {2, -1}, {3, -2}, {4, -2}}},
             {{{0, 0}, {2, 4}}, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
             {{{0, 0}, {3, -3}}, {{0, 0}, {1, -1}, {2, -2}, {3, -3}}},
             {{{4, 0}, {0, 1}}, {{4, 0}, {3, 0}, {2, 1}, {1, 1}, {0, 1}}},
             {{{0, 0}, {0, 3}, {2, 3}}, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 3}, {2, 3}}},  // segments share a joint
             {{{kMax32 - 3, kMin32}, {kMax32, kMin32 + 2}},
              {{kMax32 - 3, kMin32}, {kMax32 - 2, kMin32 + 1}, {kMax32 - 1, kMin32 + 1}, {kMax32, kMin32 + 2}}}})
        EXPECT_EQ(CalculateDensePixelPath(path), dense) << testing::PrintToString(path);
}

// The slope 1/14 added seven times falls just short of 0.5, where 7 / 14 is exactly 0.5: the accumulated value decides.
TEST(DensePath, SlopeIsAccumulatedByAddition) {
    const Path dense = CalculateDensePixelPath({{0, 0}, {14, 1}});
    ASSERT_EQ(dense.size(), 15u);
    EXPECT_EQ(dense[7], (Pixel{7, 0}));
    EXPECT_EQ(dense[8], (Pixel{8, 1}));
    EXPECT_EQ(CalculateDensePixelPath({{0, 0}, {-10, -12}})[9], (Pixel{-7, -9}));
}

// Counted before allocating: too long on one axis, or bridging too much in all.
TEST(DensePath, RefusesLinesBeyond32BitCountsBeforeAllocating) {
    EXPECT_THROW(CalculateDensePixelPath({{kMin32, 0}, {kMax32, 0}}), std::length_error);
    EXPECT_THROW(CalculateDensePixelPath({{0, kMax32}, {0, kMin32}}), std::length_error);
    EXPECT_THROW(CalculateDensePixelPath({{0, 0}, {1 << 30, 0}, {0, 0}, {1 << 30, 0}}), std::length_error);
}

// On a 3 x 8 grid blocked at (0, 6) and (1, 3): the free shifts up and down, less the clearance.
TEST(ScanShiftLimit, NearestBlockOverAllPixelsLessClearance) {
    Terrain terrain = Free(3, 8);
    terrain[0][6] = 253;
    terrain[1][3] = 255;
    using Zalvo::Detail::ScanShiftLimit;
    using Zalvo::Detail::ShiftDirection;
    for (const auto& [dense, clearance, up, down] : std::initializer_list<std::tuple<Path, std::int32_t, int, int>>{
             {{{0, 0}, {1, 0}}, 0, 2, 1},           // the nearest block of two columns wins
             {{{2, 5}}, 0, 7, 7},                   // a free column runs to below the row count
             {{{1, -5}}, 0, 7, 7},                  // a pixel's own cell is never tested
             {{{0, 0}, {5, 0}, {-1, 0}}, 0, 5, 1},  // pixels off the grid are free
             {{{0, 0}}, 2, 3, -1},
             {{{1, 0}}, -3, 5, 7},
             {{{1, 2}, {1, 4}}, -3, 0, 0},  // a blocked first shift ignores the clearance
             {{}, 1, 6, 6},
             {{{0, 7}}, 0, 6, 0},              // the block at the last shift below the row count
             {{{0, 0}, {1, -2}}, 0, 4, 1}}) {  // the second pixel blocked at the first one's bound
        EXPECT_EQ(ScanShiftLimit(dense, terrain, 8, clearance, ShiftDirection::Up), up)
            << testing::PrintToString(dense);
        EXPECT_EQ(ScanShiftLimit(dense, terrain, 8, clearance, ShiftDirection::Down), down)
            << testing::PrintToString(dense);
    }
}

// Records every call in order: "P<s> " for a penalty, "C<x>,<y> " for a pixel cost.
class Optimize : public testing::Test {
protected:
    std::pair<Path, Path> Run(const Path& path, std::int32_t clearance, const Terrain& terrain) {
        return Zalvo::OptimizePixelPath(
            path, clearance, terrain,
            [this](const Pixel& p) {
                calls += "C" + std::to_string(p.x) + "," + std::to_string(p.y) + " ";
                return cost(p);
            },
            [this](std::int32_t s) {
                calls += "P" + std::to_string(s) + " ";
                return penalty(s);
            });
    }

    std::string calls;
    std::function<double(const Pixel&)> cost = [](const Pixel&) { return 1.0; };
    std::function<double(std::int32_t)> penalty = [](std::int32_t) { return 0.0; };
};

TEST_F(Optimize, CallsPenaltyBeforeCostsAndPricesShiftZeroInEachDirection) {
    // Shifts 1..3 are free on four rows, clearance 1 leaves 1..2; rows priced and returned are not wrapped.
    const auto [up, down] = Run({{0, 2}, {1, 2}}, 1, Free(2, 4));
    EXPECT_EQ(calls, "P0 C0,2 C1,2 P1 C0,3 C1,3 P2 C0,4 C1,4 P0 C0,2 C1,2 P1 C0,1 C1,1 P2 C0,0 C1,0 ");
    // All costs tie, so the largest allowed shift wins in both directions.
    EXPECT_EQ(up, (Path{{0, 4}, {1, 4}}));
    EXPECT_EQ(down, (Path{{0, 0}, {1, 0}}));
}

TEST_F(Optimize, SumsCostsThenAddsPenalty) {
    // 1e16 + 1 + 1 is lost in a double unless the ones come first: shift 0 stays dearer.
    cost = [](const Pixel& p) { return p.y == 0 ? 1.0 : 0.0; };
    penalty = [](std::int32_t s) { return s == 0 ? 1e16 : 1e16 + 2.0; };
    EXPECT_EQ(Run({{0, 0}, {1, 0}, {2, 0}}, 0, Free(3, 2)).first.front().y, 1);
}

TEST_F(Optimize, BlockingCellsEndTheScanAndRowsWrap) {
    Terrain terrain = Free(2, 6);
    terrain[0][4] = 253;
    terrain[1][3] = 252;  // a corridor does not block
    // Up from row 0: shifts 1..3 free, 4 blocked. Down: row -1 is row 5, free; row -2 is row 4, blocked.
    const auto [up, down] = Run({{0, 0}, {1, 0}}, 0, terrain);
    EXPECT_EQ(up, (Path{{0, 3}, {1, 3}}));
    EXPECT_EQ(down, (Path{{0, -1}, {1, -1}}));
}

TEST_F(Optimize, OneRowPricesShiftZeroOnly) {
    const Path path{{0, 0}, {2, 0}};
    EXPECT_EQ(Run(path, 0, Free(3, 1)), std::pair(path, path));
    EXPECT_EQ(calls, "P0 C0,0 C1,0 C2,0 P0 C0,0 C1,0 C2,0 ");
}

TEST_F(Optimize, GapsAreBridgedForTestsButResultsKeepThePathPoints) {
    // The bridge of (0,0)-(4,2) passes (2,1); shifted by 2 it meets (2,3).
    Terrain terrain = Free(5, 10);
    terrain[2][3] = 254;
    EXPECT_EQ(Run({{0, 0}, {4, 2}}, 0, terrain).first, (Path{{0, 1}, {4, 3}}));
    // Five dense pixels priced for up shifts 0..1 and, (2,1) first meeting the cell 8 rows down, for down shifts 0..7.
    EXPECT_EQ(std::count(calls.begin(), calls.end(), 'C'), (2 + 8) * 5);
}

}  // namespace
