// The grid accessors, the cell classes and the row wrap every stage uses.
#include "cells/Cells.h"
#include "support/Extremes.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using ZalvoTest::kMax32;
using ZalvoTest::kMin32;

struct ModuloCase {
    std::int32_t a;
    std::int32_t n;
    std::int32_t expected;
};

class PositiveModuloTest : public ::testing::TestWithParam<ModuloCase> {};

TEST_P(PositiveModuloTest, WrapsIntoRange) {
    const ModuloCase& c = GetParam();
    EXPECT_EQ(Zalvo::PositiveModulo(c.a, c.n), c.expected) << c.a << " mod " << c.n;
}

INSTANTIATE_TEST_SUITE_P(Table, PositiveModuloTest,
                         ::testing::Values(ModuloCase{-1, 5, 4}, ModuloCase{-5, 5, 0}, ModuloCase{7, 5, 2},
                                           ModuloCase{0, 1, 0}, ModuloCase{-7, 1, 0}, ModuloCase{kMin32, 1, 0},
                                           ModuloCase{kMin32, kMax32, kMax32 - 1}, ModuloCase{kMax32, kMax32, 0},
                                           ModuloCase{kMin32, 3, 1}, ModuloCase{kMax32, 3, 1}));

TEST(HeightClasses, SlopeCorridorAndPassability) {
    EXPECT_EQ(Zalvo::GetSlope(0), 0.0);
    EXPECT_EQ(Zalvo::GetSlope(125), 125 / 251.0);
    EXPECT_EQ(Zalvo::GetSlope(250), 250 / 251.0);
    for (const int h : {251, 252, 253, 254, 255}) EXPECT_EQ(Zalvo::GetSlope(static_cast<std::uint8_t>(h)), 1.0);
    for (int h = 0; h < 256; ++h) {
        const auto height = static_cast<std::uint8_t>(h);
        EXPECT_EQ(Zalvo::IsCorridor(height), h == 252) << h;
        EXPECT_EQ(Zalvo::IsPassable(height), h < 254) << h;
    }
}

TEST(IsHorizontal, ComparesStoredRowsWithTheFirst) {
    EXPECT_TRUE(Zalvo::IsHorizontal({{4, 9}}));
    EXPECT_TRUE(Zalvo::IsHorizontal({{0, 3}, {5, 3}, {2, 3}, {5, 3}}));
    EXPECT_FALSE(Zalvo::IsHorizontal({{0, 3}, {1, 4}}));
    EXPECT_FALSE(Zalvo::IsHorizontal({{0, 3}, {1, 3}, {2, 4}}));
    EXPECT_TRUE(Zalvo::IsHorizontal({{0, -1}, {1, -1}}));
    EXPECT_FALSE(Zalvo::IsHorizontal({{0, -1}, {1, 4}}));  // -1 and 4 wrap alike on 5 rows
}

TEST(PixelOrder, ComparesColumnThenRow) {
    EXPECT_LT((Pixel{0, 5}), (Pixel{1, -3}));
    EXPECT_LT((Pixel{2, -1}), (Pixel{2, 0}));
    EXPECT_LT((Pixel{kMin32, kMax32}), (Pixel{kMin32 + 1, kMin32}));
    EXPECT_EQ((Pixel{3, 4}), (Pixel{3, 4}));
    EXPECT_NE((Pixel{3, 4}), (Pixel{4, 3}));
}

TEST(GridChecks, RejectRaggedGridsAndNameTheFunction) {
    EXPECT_NO_THROW(Zalvo::Detail::RequireRectangular(Terrain{}, "F"));
    EXPECT_NO_THROW(Zalvo::Detail::RequireRectangular(Terrain{{}, {}}, "F"));
    try {
        Zalvo::Detail::RequireRectangular(Terrain{{1, 2}, {1, 2}, {1}}, "Caller");
        FAIL() << "a ragged grid passed";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Caller:", 0), 0u) << error.what();
    }
    EXPECT_EQ(Zalvo::Detail::RowCount32(Terrain{}, "F"), 0);
    EXPECT_EQ(Zalvo::Detail::RowCount32(Terrain{{1, 2, 3}}, "F"), 3);
    EXPECT_EQ(Zalvo::Detail::ColumnCount32(Terrain(4), "F"), 4);
}

TEST(GridChecks, CheckedInt32KeepsTheRangeAndNamesTheProblem) {
    using Zalvo::Detail::CheckedInt32;
    EXPECT_EQ(CheckedInt32(kMax32, "F", "too far"), kMax32);
    EXPECT_EQ(CheckedInt32(kMin32, "F", "too far"), kMin32);
    for (const std::int64_t beyond : {std::int64_t{kMax32} + 1, std::int64_t{kMin32} - 1}) {
        try {
            CheckedInt32(beyond, "Caller", "a row leaves the range");
            ADD_FAILURE() << beyond << " was narrowed";
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "Caller: a row leaves the range");
        }
    }
}

}  // namespace
