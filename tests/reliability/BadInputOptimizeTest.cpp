// Bad input to OptimizePixelPath, one test per row of the bad-input table
// (README.md, "Bad input").
#include "reliability/BadInputSupport.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using Path = std::vector<Pixel>;

class BadInputOptimize : public ::testing::Test {
protected:
    std::shared_ptr<int> costCalls = std::make_shared<int>(0);
    std::shared_ptr<int> penaltyCalls = std::make_shared<int>(0);
    const Path path{{0, 1}, {1, 1}, {2, 2}};

    auto Optimize(const Zalvo::Terrain& terrain, std::int32_t clearance = 0, const Path& line = {}) {
        return Zalvo::OptimizePixelPath(line.empty() ? path : line, clearance, terrain, CountingCost(costCalls),
                                        CountingPenalty(penaltyCalls));
    }
    void ExpectNoCallableRan() const {
        EXPECT_EQ(*costCalls, 0);
        EXPECT_EQ(*penaltyCalls, 0);
    }
};

TEST_F(BadInputOptimize, NoColumnsAreRejectedBeforeAnyCallable) {
    EXPECT_THROW(Optimize({}), std::invalid_argument);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, RaggedGridIsRejectedBeforeAnyCallable) {
    Zalvo::Terrain ragged = Grid(3, 5);
    ragged[1].push_back(0);
    EXPECT_THROW(Optimize(ragged), std::invalid_argument);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, EmptyFirstColumnMovesNothing) {
    const auto [up, down] = Optimize(Grid(3, 0));
    EXPECT_EQ(up, path);
    EXPECT_EQ(down, path);
    EXPECT_EQ(*penaltyCalls, 2);  // shift 0, priced once per direction
}

TEST_F(BadInputOptimize, ClearanceThatOverflowsTheLimitIsRejected) {
    EXPECT_THROW(Optimize(Grid(3, 8), kMin32), std::invalid_argument);
    // Two free shifts less -(2^31 - 1) is 2^31 + 1: still too far.
    EXPECT_THROW(
        Zalvo::OptimizePixelPath({}, kMin32 + 1, Grid(1, 3), CountingCost(costCalls), CountingPenalty(penaltyCalls)),
        std::invalid_argument);
    ExpectNoCallableRan();
    // The largest clearance simply allows no shift, and without a free shift
    // the smallest is harmless too.
    EXPECT_EQ(Optimize(Grid(3, 8), kMax32).first, path);
    EXPECT_EQ(Optimize(Grid(3, 8, Zalvo::Heights::Impassable), kMin32).first, path);
}

TEST_F(BadInputOptimize, EmptyCallablesThrowBadFunctionCall) {
    const Zalvo::Terrain terrain = Grid(3, 4);
    EXPECT_THROW(Zalvo::OptimizePixelPath(path, 0, terrain, {}, CountingPenalty(penaltyCalls)), std::bad_function_call);
    EXPECT_THROW(Zalvo::OptimizePixelPath(path, 0, terrain, CountingCost(costCalls), {}), std::bad_function_call);
    EXPECT_THROW(Zalvo::OptimizePixelPath({}, 0, terrain, CountingCost(costCalls), {}), std::bad_function_call);
    // Without pixels the cost callable is never needed.
    EXPECT_NO_THROW(Zalvo::OptimizePixelPath({}, 0, terrain, {}, CountingPenalty(penaltyCalls)));
}

TEST_F(BadInputOptimize, ThrowingCallablesPassUnchanged) {
    const Zalvo::Terrain terrain = Grid(3, 6);
    try {
        Zalvo::OptimizePixelPath(path, 0, terrain, CountingCost(costCalls, 0.0, 4), CountingPenalty(penaltyCalls));
        FAIL() << "pixelCost's exception was lost";
    } catch (const HostFailure& failure) {
        EXPECT_EQ(failure.code, 4);
    }
    try {
        Zalvo::OptimizePixelPath(path, 0, terrain, CountingCost(costCalls), CountingPenalty(penaltyCalls, 2));
        FAIL() << "shiftPenalty's exception was lost";
    } catch (const HostFailure& failure) {
        EXPECT_EQ(failure.code, 2);
    }
}

TEST_F(BadInputOptimize, NanAndInfiniteCostsNeverWin) {
    const Zalvo::Terrain terrain = Grid(3, 6);
    const Path flat{{0, 1}, {1, 1}, {2, 1}};
    const auto noPenalty = [](std::int32_t) { return 0.0; };
    const auto nanShifted = [](const Pixel& p) { return p.y == 1 ? 0.0 : kNaN; };
    const auto [up, down] = Zalvo::OptimizePixelPath(flat, 0, terrain, nanShifted, noPenalty);
    EXPECT_EQ(up, flat);
    EXPECT_EQ(down, flat);
    const auto infiniteShifted = [](const Pixel& p) { return p.y == 1 ? 1.0 : kInfinity; };
    EXPECT_EQ(Zalvo::OptimizePixelPath(flat, 0, terrain, infiniteShifted, noPenalty).second, flat);
    // A NaN at shift 1 loses to shift 0 although shift 2 would cost less.
    const Path point{{0, 0}};
    const auto nanAtOne = [](const Pixel& p) { return p.y == 1 ? kNaN : 3.0 - p.y; };
    const auto dearTwo = [](std::int32_t s) { return s == 2 ? 10.0 : 0.0; };
    EXPECT_EQ(Zalvo::OptimizePixelPath(point, 0, Grid(1, 3), nanAtOne, dearTwo).first, point);
    // A NaN at shift 0 is never replaced, however cheap the other shifts.
    const auto nanAtZero = [](const Pixel& p) { return p.y == 0 ? kNaN : -100.0; };
    const auto [nanUp, nanDown] = Zalvo::OptimizePixelPath(point, 0, Grid(1, 5), nanAtZero, noPenalty);
    EXPECT_EQ(nanUp, point);
    EXPECT_EQ(nanDown, point);
}

TEST_F(BadInputOptimize, RowsNearTheEndOfTheRangeAreRejectedWhenAShiftWouldLeaveIt) {
    const Path top{{0, kMax32 - 1}, {1, kMax32}};
    EXPECT_THROW(Optimize(Grid(2, 8), 0, top), std::invalid_argument);
    ExpectNoCallableRan();
    const Path bottom{{0, kMin32}, {1, kMin32 + 1}};
    EXPECT_THROW(Optimize(Grid(2, 8), 0, bottom), std::invalid_argument);
    // Without a free shift nothing can leave the range.
    const auto [up, down] = Optimize(Grid(2, 8, 255), 0, top);
    EXPECT_EQ(up, top);
    EXPECT_EQ(down, top);
    // Free shifts that end right at the ends of the range are taken (all
    // shifts cost nothing, so the largest wins).
    const auto zero = [](auto) { return 0.0; };
    const auto [toMax, fromMax] = Zalvo::OptimizePixelPath({{0, kMax32 - 1}}, 2, Grid(1, 4), zero, zero);
    EXPECT_EQ(toMax, (Path{{0, kMax32}}));
    EXPECT_EQ(fromMax, (Path{{0, kMax32 - 2}}));
    EXPECT_EQ(Zalvo::OptimizePixelPath({{0, kMin32 + 1}}, 2, Grid(1, 4), zero, zero).second, (Path{{0, kMin32}}));
}

TEST_F(BadInputOptimize, PointsTooFarApartForADenseLineAreTooLong) {
    try {
        Optimize(Grid(2, 8), 0, {{kMin32, 0}, {kMax32, 0}});
        FAIL() << "a line of 2^32 pixels was accepted";
    } catch (const std::length_error& error) {
        EXPECT_EQ(std::string(error.what()), "vector too long");
    }
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, GapsAddingMoreThan2To26PixelsAreTooLong) {
    constexpr std::int32_t kLimit = 1 << 26;
    // A gap to column 2^26 + 2 bridges 2^26 + 1 pixels between its points.
    EXPECT_THROW(Optimize(Grid(2, 8), 0, {{0, 0}, {kLimit + 2, 0}}), std::length_error);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, EmptyPathGivesTwoEmptyPaths) {
    // Every shift is free: 1 .. 4 on five rows, clearance 1 leaves 0 .. 3 priced each way.
    const auto [up, down] =
        Zalvo::OptimizePixelPath({}, 1, Grid(3, 5), CountingCost(costCalls), CountingPenalty(penaltyCalls));
    EXPECT_TRUE(up.empty());
    EXPECT_TRUE(down.empty());
    EXPECT_EQ(*costCalls, 0);
    EXPECT_EQ(*penaltyCalls, 8);
}

}  // namespace
}  // namespace ZalvoTest
