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

TEST(BadInputAccessors, EmptyTerrainReadsAsNothing) {
    const Zalvo::Terrain empty;
    EXPECT_EQ(Zalvo::GetColumnCount(empty), 0u);
    EXPECT_EQ(Zalvo::GetRowCount(empty), 0u);
    for (const Pixel p : {Pixel{0, 0}, Pixel{kMin32, kMin32}, Pixel{kMax32, kMax32}})
        EXPECT_EQ(Zalvo::GetHeight(empty, p), 0);
}

TEST(BadInputAccessors, EmptyFirstColumnReadsZero) {
    const Zalvo::Terrain terrain{{}, {}};
    EXPECT_EQ(Zalvo::GetRowCount(terrain), 0u);
    for (const Pixel p : {Pixel{0, 0}, Pixel{1, -1}, Pixel{1, kMax32}}) EXPECT_EQ(Zalvo::GetHeight(terrain, p), 0);
}

TEST(BadInputAccessors, RaggedTerrainReadsZeroBeyondAShortColumn) {
    const Zalvo::Terrain terrain{{1, 2, 3}, {4}, {5, 6, 7, 8}};
    EXPECT_EQ(Zalvo::GetRowCount(terrain), 3u);  // the first column's length
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, 0}), 4);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, 2}), 0);   // row 2 exists in column 0 only
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, -1}), 0);  // wraps to row 2
    EXPECT_EQ(Zalvo::GetHeight(terrain, {2, 3}), 5);   // wraps by 3, never reads row 3
}

TEST(BadInputAccessors, ExtremeCoordinatesWrapRowsAndLeaveColumns) {
    const Zalvo::Terrain terrain{{10, 11, 12}, {20, 21, 22}};
    EXPECT_EQ(Zalvo::GetHeight(terrain, {kMin32, 0}), 0);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {kMax32, 0}), 0);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {0, kMin32}), 11);  // -2^31 = -715827883 * 3 + 1
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, kMax32}), 21);  // 2^31 - 1 = 715827882 * 3 + 1
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
    Zalvo::Terrain ragged = Grid(3, 4);
    ragged[2].pop_back();
    EXPECT_THROW(Zalvo::FindShortestPixelPath(ragged, CountingCost(calls)), std::invalid_argument);
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, EmptyPenaltyThrowsBadFunctionCall) {
    EXPECT_THROW(Zalvo::FindShortestPixelPath(Grid(3, 3), {}), std::bad_function_call);
}

TEST_F(BadInputSearch, ThrowingPenaltyPassesUnchanged) {
    try {
        Zalvo::FindShortestPixelPath(Grid(4, 4), CountingCost(calls, 0.0, 6));
        FAIL() << "the host's exception was lost";
    } catch (const HostFailure& failure) {
        EXPECT_EQ(failure.code, 6);
    }
    EXPECT_EQ(*calls, 7);  // nothing was called after the failure
}

TEST_F(BadInputSearch, NanPenaltyIsRejectedNamingThePixel) {
    const auto nanAt = [](const Pixel& p) { return p == Pixel{1, 2} ? kNaN : 0.0; };
    try {
        Zalvo::FindShortestPixelPath(Grid(3, 4), nanAt);
        FAIL() << "a NaN penalty was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_THAT(error.what(), HasSubstr("(1, 2)"));
    }
}

TEST_F(BadInputSearch, NegativeCycleIsRejected) {
    // Each step costs -5 + 1: walking up and down forever would keep lowering the cost.
    EXPECT_THROW(Zalvo::FindShortestPixelPath(Grid(3, 3), CountingCost(calls, -5.0)), std::invalid_argument);
}

TEST_F(BadInputSearch, NegativeButAcyclicPenaltiesEnd) {
    // Each step still costs +0.5, so the search ends; the walk back never repeats a cell.
    const auto found = Zalvo::FindShortestPixelPath(Grid(5, 4), CountingCost(calls, -0.5));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->back().x, 4);
    std::set<Pixel> cells;
    for (const Pixel& p : *found) EXPECT_TRUE(cells.insert({p.x, ((p.y % 4) + 4) % 4}).second);
}

TEST_F(BadInputSearch, InfinitePenaltiesGiveNoPathOrAreRejected) {
    EXPECT_FALSE(Zalvo::FindShortestPixelPath(Grid(3, 3), CountingCost(calls, kInfinity)));
    EXPECT_FALSE(Zalvo::FindShortestPixelPath(Grid(3, 3), CountingCost(calls, 1e300)));
    EXPECT_THROW(Zalvo::FindShortestPixelPath(Grid(3, 3), CountingCost(calls, -kInfinity)), std::invalid_argument);
}

}  // namespace
}  // namespace ZalvoTest
