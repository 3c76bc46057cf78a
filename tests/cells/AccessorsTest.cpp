// The grid accessors, the cell classes and the row wrap every stage uses.
#include "cells/Cells.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

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
                                           ModuloCase{0, 1, 0}, ModuloCase{-7, 1, 0}, ModuloCase{kMin, 1, 0},
                                           ModuloCase{kMin, kMax, kMax - 1}, ModuloCase{kMax, kMax, 0},
                                           ModuloCase{kMin, 3, 1}, ModuloCase{kMax, 3, 1}));

// Rows hold their own index plus 10 times the column, so a read names its cell.
Terrain NumberedTerrain(std::uint8_t columns, std::uint8_t rows) {
    Terrain terrain(columns, std::vector<std::uint8_t>(rows));
    for (std::uint8_t x = 0; x < columns; ++x)
        for (std::uint8_t y = 0; y < rows; ++y) terrain[x][y] = static_cast<std::uint8_t>(10 * x + y);
    return terrain;
}

TEST(GridCounts, ComeFromTheColumnsAndTheFirstColumn) {
    EXPECT_EQ(Zalvo::GetColumnCount(Terrain{}), 0u);
    EXPECT_EQ(Zalvo::GetRowCount(Terrain{}), 0u);
    const Terrain ragged{{1, 2, 3, 4, 5}, {1}, {}};
    EXPECT_EQ(Zalvo::GetColumnCount(ragged), 3u);
    EXPECT_EQ(Zalvo::GetRowCount(ragged), 5u);
}

TEST(GetHeight, WrapsRowsAndReadsZeroBesideTheGrid) {
    const Terrain terrain = NumberedTerrain(3, 5);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, 2}), 12);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {-1, 2}), 0);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {3, 2}), 0);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {kMin, 0}), 0);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {kMax, 0}), 0);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {2, -1}), 24);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {2, 5}), 20);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {2, -5}), 20);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {2, 2 * 5 + 3}), 23);
    EXPECT_EQ(Zalvo::GetHeight(terrain, {1, kMin}), 10 + 2);  // -2^31 = 2 (mod 5)
}

TEST(GetHeight, NeverReadsOutsideTheColumn) {
    EXPECT_EQ(Zalvo::GetHeight(Terrain{{}, {7}}, {0, 0}), 0);
    EXPECT_EQ(Zalvo::GetHeight(Terrain{{}, {7}}, {1, 0}), 0);
    // Row 3 exists in the first column, not in the second: reads 0.
    const Terrain ragged{{1, 2, 3, 4}, {5, 6}};
    EXPECT_EQ(Zalvo::GetHeight(ragged, {1, 1}), 6);
    EXPECT_EQ(Zalvo::GetHeight(ragged, {1, 3}), 0);
    EXPECT_EQ(Zalvo::GetHeight(ragged, {1, -1}), 0);
}

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
    EXPECT_FALSE(Zalvo::IsHorizontal({}));
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
    EXPECT_LT((Pixel{kMin, kMax}), (Pixel{kMin + 1, kMin}));
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

}  // namespace
