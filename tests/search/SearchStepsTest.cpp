// The internal steps of the search: prices, the backtrace's safeguards, and
// the exactness of the cost table against an independent Dijkstra.
#include "SearchTestSupport.h"
#include "search/ShortestPath.h"
#include "support/Extremes.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <queue>
#include <random>
#include <stdexcept>
#include <string>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using namespace Zalvo::Detail;
using ::testing::ElementsAre;

TEST(HeightCost, FollowsTheHeightClasses) {
    EXPECT_EQ(HeightCost(0), 0.0);
    EXPECT_EQ(HeightCost(1), 30.0 / 251.0);
    EXPECT_EQ(HeightCost(125), (125 * 30.0) / 251.0);
    EXPECT_EQ(HeightCost(251), 30.0);
    EXPECT_EQ(HeightCost(252), 30.0);
    EXPECT_EQ(HeightCost(253), 100.0);
    EXPECT_EQ(HeightCost(254), 10'000'000.0);
    EXPECT_EQ(HeightCost(255), 1'000'000'000.0);
}

// The open list packs a pixel and a chain's length into 32 bits each, so
// the search takes grids of up to 2^31 cells, whatever their shape, and
// rejects larger ones before any penalty call. (Building such a terrain in a
// test would take gigabytes, so the check is called on the counts.)
struct CellCountCase {
    std::int32_t columns;
    std::int32_t rows;
    bool accepted;
};

class SearchableCellCount : public testing::TestWithParam<CellCountCase> {};

TEST_P(SearchableCellCount, AcceptsUpTo2To31Cells) {
    const CellCountCase c = GetParam();
    if (c.accepted) {
        EXPECT_NO_THROW(RequireSearchableCellCount(c.columns, c.rows));
        return;
    }
    EXPECT_THAT([&] { RequireSearchableCellCount(c.columns, c.rows); },
                testing::ThrowsMessage<std::invalid_argument>(
                    testing::HasSubstr("FindShortestPixelPath: the terrain has more than 2^31 cells (" +
                                       std::to_string(c.columns) + " x " + std::to_string(c.rows) + ")")));
}

INSTANTIATE_TEST_SUITE_P(Shapes, SearchableCellCount,
                         testing::Values(CellCountCase{65'536, 32'768, true}, CellCountCase{32'768, 65'536, true},
                                         CellCountCase{1, 2'147'483'647, true}, CellCountCase{40'000, 53'687, true},
                                         CellCountCase{65'536, 32'769, false}, CellCountCase{2, 1'073'741'825, false},
                                         CellCountCase{2'147'483'647, 2'147'483'647, false}));

CostTable Table(std::int32_t columns, std::int32_t rows, std::vector<double> costs) {
    return CostTable{columns, rows, std::move(costs)};
}

TEST(Backtrace, StopsBeforeRevisitingACell) {
    // Costs that lead the descent round the cylinder in the last column.
    const CostTable table = Table(2, 2, {100.0, 100.0, 0.0, 0.0});
    EXPECT_THAT(BacktracePixelPath(0, table), ElementsAre(Pixel{1, 0}, Pixel{1, -1}));
}

TEST(Backtrace, StopsWhenNoNeighbourWasReached) {
    const CostTable table = Table(2, 1, {kUnreached, 5.0});
    EXPECT_THAT(BacktracePixelPath(0, table), ElementsAre(Pixel{1, 0}));
}

TEST(Backtrace, PrefersTheStraightStepAndKeepsRowsUnwrapped) {
    // Equal costs to the left: the straight step is shorter. A cheaper cell
    // across the seam: the diagonal step leads to row -1, not to row 2.
    const CostTable straight = Table(2, 3, {1.0, 1.0, 1.0, 2.0, 2.0, 2.0});
    EXPECT_THAT(BacktracePixelPath(0, straight), ElementsAre(Pixel{1, 0}, Pixel{0, 0}));
    const CostTable seam = Table(2, 3, {5.0, 5.0, 1.0, 3.0, 9.0, 9.0});
    EXPECT_THAT(BacktracePixelPath(0, seam), ElementsAre(Pixel{1, 0}, Pixel{0, -1}));
}

// A chain must cost strictly less than the acceptance limit: one that only
// reaches it (an impassable cell and nothing else) is no line at all.
TEST(PixelPathFromCostTable, AcceptsOnlyCostsBelowTheLimit) {
    EXPECT_EQ(PixelPathFromCostTable(Table(1, 2, {kAcceptanceLimit, kAcceptanceLimit})), std::nullopt);
    const double justBelow = std::nextafter(kAcceptanceLimit, 0.0);
    EXPECT_EQ(PixelPathFromCostTable(Table(1, 2, {kAcceptanceLimit, justBelow})), (std::vector<Pixel>{{0, 1}}));
}

TEST(NormalizeRows, ComparesBothEndsWithTheMiddle) {
    std::vector<Pixel> lowered{{0, 12}, {1, 11}, {2, 9}};
    NormalizeRows(lowered, 10);
    EXPECT_THAT(lowered, ElementsAre(Pixel{0, 2}, Pixel{1, 1}, Pixel{2, -1}));
    std::vector<Pixel> kept{{0, 6}, {1, 5}};
    NormalizeRows(kept, 10);
    EXPECT_THAT(kept, ElementsAre(Pixel{0, 6}, Pixel{1, 5}));
    std::vector<Pixel> extreme{{0, kMin32}, {1, 0}};
    NormalizeRows(extreme, 10);
    EXPECT_EQ(extreme.front().y, kMin32);
}

TEST(CostTable, CrossingA254ColumnCostsItsHeight) {
    Terrain terrain = FlatTerrain(3, 4);
    FillColumn(terrain, 1, 254);
    const auto grid = MakeSearchGrid(terrain);
    ASSERT_TRUE(grid);
    const CostTable table = BuildCostTable(*grid, [](const Pixel&) { return 0.0; });
    EXPECT_EQ(CheapestLastColumnCost(table), 10'000'000.0 + 3.0);
}

// Textbook Dijkstra over the same chain costs, with the same order of
// additions, settling every cell.
double DijkstraCheapestLastColumn(const Terrain& terrain, const std::vector<double>& penalties) {
    const auto columns = static_cast<std::int32_t>(terrain.size());
    const auto rows = static_cast<std::int32_t>(terrain[0].size());
    const auto index = [rows](std::int32_t x, std::int32_t y) { return static_cast<std::size_t>(x * rows + y); };
    std::vector<double> cost(penalties.size(), kUnreached);
    using Item = std::pair<double, std::size_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
    for (std::int32_t y = 0; y < rows; ++y) {
        cost[index(0, y)] = penalties[index(0, y)] + (HeightCost(terrain[0][static_cast<std::size_t>(y)]) + 1.0);
        queue.emplace(cost[index(0, y)], index(0, y));
    }
    while (!queue.empty()) {
        const auto [g, cell] = queue.top();
        queue.pop();
        if (g > cost[cell]) continue;
        const auto x = static_cast<std::int32_t>(cell) / rows;
        const auto y = static_cast<std::int32_t>(cell) % rows;
        for (std::int32_t dx = -1; dx <= 1; ++dx)
            for (std::int32_t dy = -1; dy <= 1; ++dy) {
                const std::int32_t nx = x + dx;
                if ((dx == 0 && dy == 0) || nx < 0 || nx >= columns) continue;
                const std::int32_t ny = (y + dy + rows) % rows;
                const double step = dx != 0 && dy != 0 ? kDiagonalStep : kStraightStep;
                const std::uint8_t height = terrain[static_cast<std::size_t>(nx)][static_cast<std::size_t>(ny)];
                const double candidate = (HeightCost(height) + (g + step)) + penalties[index(nx, ny)];
                if (candidate < cost[index(nx, ny)]) {
                    cost[index(nx, ny)] = candidate;
                    queue.emplace(candidate, index(nx, ny));
                }
            }
    }
    double cheapest = kUnreached;
    for (std::int32_t y = 0; y < rows; ++y) cheapest = std::min(cheapest, cost[index(columns - 1, y)]);
    return cheapest;
}

TEST(CostTable, CheapestEndCostMatchesAnIndependentDijkstra) {
    std::mt19937 random(20261207);
    for (int trial = 0; trial < 200; ++trial) {
        const std::int32_t columns = std::uniform_int_distribution<std::int32_t>(1, 24)(random);
        const std::int32_t rows = std::uniform_int_distribution<std::int32_t>(1, 24)(random);
        Terrain terrain = FlatTerrain(columns, rows);
        std::vector<double> penalties;
        std::uniform_int_distribution<int> height(0, 255);
        std::uniform_real_distribution<double> penalty(0.0, 20.0);
        for (auto& column : terrain)
            for (auto& cell : column) {
                const int draw = height(random);
                cell = static_cast<std::uint8_t>(draw < 40 ? 255 - draw % 3 : draw % 4 == 0 ? 0 : draw);
                penalties.push_back(draw % 2 == 0 ? 0.0 : penalty(random));
            }
        const auto grid = MakeSearchGrid(terrain);
        ASSERT_TRUE(grid);
        const CostTable table = BuildCostTable(
            *grid, [&](const Pixel& p) { return penalties[static_cast<std::size_t>(p.x * rows + p.y)]; });
        const double expected = DijkstraCheapestLastColumn(terrain, penalties);
        const double found = CheapestLastColumnCost(table);
        if (expected < kAcceptanceLimit)
            EXPECT_EQ(found, expected) << "trial " << trial;
        else
            EXPECT_FALSE(found < kAcceptanceLimit) << "trial " << trial;
    }
}

}  // namespace
}  // namespace ZalvoTest
