// The cheapest-line search with both open lists (the library's and the reference's, which must agree on
// everything), its internal steps, and the library's open list against a model.
#include "ReferenceSearch.h"
#include "search/OpenList.h"
#include "search/ShortestPath.h"
#include "support/Extremes.h"
#include "support/LogCapture.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using Path = std::vector<Pixel>;
using namespace Zalvo::Detail;

Terrain Flat(std::size_t columns, std::size_t rows, std::uint8_t height = 0) {
    return Terrain(columns, std::vector<std::uint8_t>(rows, height));
}

// `terrain` with the cells at `pixels` set to `height`.
Terrain With(Terrain terrain, const Path& pixels, std::uint8_t height = 0) {
    for (const Pixel& p : pixels) terrain[static_cast<std::size_t>(p.x)][static_cast<std::size_t>(p.y)] = height;
    return terrain;
}

// The first `count` cells of row `y`.
Path Row(std::int32_t y, std::int32_t count) {
    Path cells;
    for (std::int32_t x = 0; x < count; ++x) cells.push_back({x, y});
    return cells;
}

using SearchFunction = std::optional<Path> (*)(const Terrain&, const Zalvo::PixelCostFunction&);

class ShortestPathTest : public ::testing::TestWithParam<SearchFunction> {
protected:
    // Searches with `penalty`, recording the pixels it is asked for in `calls`.
    std::optional<Path> Search(const Terrain& terrain) {
        return GetParam()(terrain, [this](const Pixel& p) {
            calls.push_back(p);
            return penalty(p);
        });
    }

    std::function<double(const Pixel&)> penalty = [](const Pixel&) { return 0.0; };
    Path calls;
};

struct Line {
    Terrain terrain;
    std::optional<Path> expected;
    std::function<double(const Pixel&)> penalty = [](const Pixel&) { return 0.0; };
};

TEST_P(ShortestPathTest, FindsTheCheapestLineEndingNearestTheSeam) {
    const Path middle{{1, 0}, {1, 1}, {1, 2}, {1, 3}};
    const Terrain wall = With(Flat(3, 4), middle, 255);
    int index = 0;
    for (const Line& line :
         {Line{Flat(4, 3), Row(0, 4)},
          // The cheapest end row, the one nearest the seam, the smaller one.
          Line{Terrain{{5, 0, 7, 0, 3}}, Path{{0, 1}}}, Line{With(Flat(1, 10, 9), {{0, 8}}), Path{{0, -2}}},
          Line{With(Flat(1, 10, 100), {{0, 3}, {0, 7}}), Path{{0, 3}}},
          // Rows 2 and 9 tie in the last column: 9 is nearer the seam, then lowered by the row count.
          Line{Flat(3, 10), Row(-1, 3), [](const Pixel& p) { return p.x == 2 && p.y != 2 && p.y != 9 ? 5.0 : 0.0; }},
          // Rows are lowered only when both ends lie beyond the middle.
          Line{With(Flat(2, 10, 200), {{0, 6}, {1, 5}}), Path{{0, 6}, {1, 5}}},
          Line{With(Flat(2, 10, 200), {{0, 7}, {1, 6}}), Path{{0, -3}, {1, -4}}},
          Line{With(Flat(2, 10, 200), {{0, 5}, {1, 6}}), Path{{0, 5}, {1, 6}}},
          Line{With(Flat(8, 10, 200), {{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}),
               Path{{0, -1}, {1, -1}, {2, -1}, {3, -1}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
          // Impassable walls block; crossable cells and gaps in a wall are used.
          Line{With(Flat(3, 4), {{2, 0}, {2, 1}, {2, 2}, {2, 3}}, 255), std::nullopt}, Line{wall, std::nullopt},
          Line{With(Flat(3, 4), middle, 254), Row(0, 3)}, Line{With(wall, {{1, 2}}, 253), Row(2, 3)},
          Line{With(wall, {{1, 2}}, 254), Row(2, 3)},
          // Negative penalties without a cycle: keys of +0.0, and penalties cancelling the walls' costs.
          Line{Flat(2, 3), Row(0, 2), [](const Pixel& p) { return p.x == 0 ? -1.0 : -0.0; }},
          Line{Flat(30, 30, 255), Row(0, 30), [](const Pixel&) { return -1e9; }}}) {
        penalty = line.penalty;
        EXPECT_EQ(Search(line.terrain), line.expected) << "line " << index;
        ++index;
    }
}

// Seeding asks column 0 in row order; then only neighbours not already as cheap are priced.
TEST_P(ShortestPathTest, PricesExactlyTheNeighboursNotAlreadyCheaper) {
    ASSERT_TRUE(Search(Flat(2, 2)));
    EXPECT_EQ(calls, (Path{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {1, 1}, {1, 0}, {1, 1}, {1, 0}}));
}

TEST_P(ShortestPathTest, LogsEachLineOnlyAtItsLevel) {
    for (const auto& [levels, terrain, text] :
         {std::tuple{std::vector{20U, 21U, 30U}, Flat(3, 2),
                     "Shortest pixel path ends at row: 0\nBacktraced pixel path:\n    (1, 0)\n    (0, 0)\n"},
          {std::vector{30U}, Terrain{{9, 9, 0}}, "Shortest pixel path ends at row: 2\n"},
          {std::vector{21U}, Terrain{{9, 9, 0}}, "Backtraced pixel path:\n"},
          {std::vector{20U, 21U, 30U}, With(Flat(2, 2), {{1, 0}, {1, 1}}, 255), ""}}) {  // no path, no line
        LogCapture log({});
        for (const unsigned level : levels) Logging::EnableLevel(Zalvo::LogCategory, level);
        Search(terrain);
        EXPECT_EQ(log.Text(), text);
    }
}

INSTANTIATE_TEST_SUITE_P(BothOpenLists, ShortestPathTest,
                         ::testing::Values(&Zalvo::FindShortestPixelPath, &ReferenceFindShortestPixelPath),
                         [](const auto& param) { return param.index == 0 ? "Library" : "Reference"; });

TEST(HeightCost, FollowsTheHeightClasses) {
    std::vector<double> costs;
    for (const int h : {0, 1, 125, 251, 252, 253, 254, 255}) costs.push_back(HeightCost(static_cast<std::uint8_t>(h)));
    EXPECT_EQ(costs, (std::vector{0.0, 30.0 / 251.0, (125 * 30.0) / 251.0, 30.0, 30.0, 100.0, 1e7, 1e9}));
}

// The open list packs a pixel and a chain's length into 32 bits each; a terrain
// that large cannot be built in a test, so the check is called on the counts.
TEST(SearchableCellCount, AcceptsUpTo2To31Cells) {
    for (const auto& [columns, rows] : {std::pair{65'536, 32'768}, {32'768, 65'536}, {1, kMax32}, {40'000, 53'687}})
        EXPECT_NO_THROW(RequireSearchableCellCount(columns, rows)) << columns << " x " << rows;
    for (const auto& [columns, rows] : {std::pair{65'536, 32'769}, {2, 1'073'741'825}, {kMax32, kMax32}})
        EXPECT_THAT([&] { RequireSearchableCellCount(columns, rows); },
                    testing::ThrowsMessage<std::invalid_argument>(
                        testing::HasSubstr("FindShortestPixelPath: the terrain has more than 2^31 cells (" +
                                           std::to_string(columns) + " x " + std::to_string(rows) + ")")));
}

// After the search: the backtrace descends the table, straight first, and stops before a revisit or an
// unreached cell; a chain only reaching the limit (an impassable cell alone) is no line; rows are lowered
// only when both ends lie beyond the middle, compared in 64 bits.
TEST(PixelPathFromCostTable, DescendsTheTableAndAcceptsOnlyCostsBelowTheLimit) {
    for (const auto& [rows, costs, expected] :
         {std::tuple{2, std::vector{100.0, 100.0, 0.0, 0.0}, Path{{1, 0}, {1, -1}}},  // would circle the last column
          {1, std::vector{kUnreached, 5.0}, Path{{1, 0}}},
          {3, std::vector{1.0, 1.0, 1.0, 2.0, 2.0, 2.0}, Path{{1, 0}, {0, 0}}},    // straight on a tie
          {3, std::vector{5.0, 5.0, 1.0, 3.0, 9.0, 9.0}, Path{{1, 0}, {0, -1}}}})  // across the seam
        EXPECT_EQ(BacktracePixelPath(0, CostTable{2, rows, costs}), expected) << testing::PrintToString(costs);
    EXPECT_EQ(PixelPathFromCostTable(CostTable{1, 2, {kAcceptanceLimit, kAcceptanceLimit}}), std::nullopt);
    const double justBelow = std::nextafter(kAcceptanceLimit, 0.0);
    EXPECT_EQ(PixelPathFromCostTable(CostTable{1, 2, {kAcceptanceLimit, justBelow}}), (Path{{0, 1}}));
    Path extreme{{0, kMin32}, {1, 0}};
    NormalizeRows(extreme, 10);
    EXPECT_EQ(extreme, (Path{{0, kMin32}, {1, 0}}));
}

using Filings = std::vector<std::pair<Pixel, std::uint64_t>>;

// An open list and a plain list of every filing it holds: whatever order keys are filed in (rising, as
// penalties of zero or more file them, or below the last one taken), each take must agree.
struct CheckedList {
    std::int32_t lastColumn;
    OpenList open;
    std::vector<std::pair<OpenKey, Filing>> model;

    CheckedList(std::int32_t columns, std::int32_t rows, std::size_t largeLevel = kLargeLevel)
        : lastColumn(columns - 1), open(columns, rows, largeLevel) {}

    void File(const Filing& filing, double g) {
        open.File(filing, g);
        model.push_back({OpenKey{static_cast<double>(lastColumn - filing.pixel.x) + g, g}, filing});
    }
    OpenKey Cheapest() const {
        return std::min_element(model.begin(), model.end(),
                                [](const auto& a, const auto& b) { return ComesBefore(a.first, b.first); })
            ->first;
    }
    // Takes the cheapest key off both lists, and its f into `f`; fails unless they agree on it and its filings.
    testing::AssertionResult Take(double& f) {
        const OpenKey expected = Cheapest();
        std::vector<Filing> batch;
        const OpenKey key = open.TakeCheapestKey(batch);
        f = key.f;
        if (!SameKey(key, expected)) return testing::AssertionFailure() << "took f " << key.f << " g " << key.g;
        Filings taken, filed;
        for (const Filing& filing : batch) taken.emplace_back(filing.pixel, filing.cells);
        for (const auto& [k, filing] : model)
            if (SameKey(k, expected)) filed.emplace_back(filing.pixel, filing.cells);
        std::erase_if(model, [&](const auto& entry) { return SameKey(entry.first, expected); });
        std::sort(taken.begin(), taken.end());
        std::sort(filed.begin(), filed.end());
        if (taken == filed) return testing::AssertionSuccess();
        return testing::AssertionFailure() << taken.size() << " filings taken, " << filed.size() << " filed";
    }
};

// Near the last key taken, mostly just above it, sometimes below; with signed
// zeros, negative keys, infinity and a wide range of magnitudes.
double KeyNear(std::mt19937& random, double last) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double near = std::isfinite(last) ? last : 1.0;
    switch (random() % 12) {
        case 0: return 0.0;
        case 1: return -0.0;
        case 2: return -static_cast<double>(random() % 4);
        case 3: return kInfinity;
        case 4: return near - static_cast<double>(random() % 3) * 0.5;
        case 5: return std::nextafter(near, -kInfinity);
        case 6: return near * 1e6;
        default: return near + static_cast<double>(random() % 6) * 0.25;
    }
}

// Small grids make keys collide; the largest accepted one packs pixels into all 32 bits, one row or one column leaves
// no bits to the other. A large-level threshold of 1 keeps every spread column by column.
class OpenListAgainstModel
    : public testing::TestWithParam<std::tuple<std::pair<std::int32_t, std::int32_t>, std::size_t, std::uint32_t>> {};

TEST_P(OpenListAgainstModel, TakesTheCheapestKeyWithAllItsFilings) {
    const auto [shape, largeLevel, seed] = GetParam();
    const auto [columns, rows] = shape;
    std::mt19937 random(seed);
    CheckedList list(columns, rows, largeLevel);
    // Often on the grid's edges, where packing could go wrong.
    const auto pick = [&random](std::int32_t count) -> std::int32_t {
        const auto r = random() % 4;
        return r < 2 ? (r == 0 ? 0 : count - 1)
                     : static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(count));
    };
    double last = 1.0;
    for (int step = 0; step < 3000; ++step) {
        if (list.model.empty() || random() % 3 != 0) {
            const std::int32_t x = pick(columns);
            const Filing filing{{x, pick(rows)}, 1 + random() % 0x7fff'ffffU};
            // f near the last one taken, so that keys tie and fall below the floor.
            list.File(filing, random() % 8 == 0 ? -0.0 : KeyNear(random, last) - static_cast<double>(columns - 1 - x));
            continue;
        }
        ASSERT_FALSE(list.open.IsEmpty());
        const double cheapestF = list.Cheapest().f;
        if (const std::optional<Pixel> upcoming = list.open.UpcomingPixel()) {
            EXPECT_TRUE(std::any_of(
                list.model.begin(), list.model.end(),
                [&](const auto& entry) { return entry.second.pixel == *upcoming && entry.first.f == cheapestF; }))
                << "step " << step;
        }
        ASSERT_TRUE(list.Take(last)) << "step " << step;
    }
    EXPECT_EQ(list.open.IsEmpty(), list.model.empty());
    list.open.Clear();
    EXPECT_TRUE(list.open.IsEmpty());
    EXPECT_EQ(list.open.UpcomingPixel(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, OpenListAgainstModel,
    testing::Combine(testing::Values(std::pair{7, 5}, std::pair{3, 1}, std::pair{1, 9}, std::pair{40'000, 53'687}),
                     testing::Values(std::size_t{1}, kLargeLevel), testing::Range<std::uint32_t>(1, 11)));

// Many filings at one f, shuffled, brought into bucket 0 together by a spread (counted by column when
// close, sorted otherwise) come out by falling g: two g of column 0 rounding to one f, or from 2^52 on a
// lower column with a larger g. A level: name, columns, rows, f, filings (one per column, every third with
// a second row), the spacing of their columns, and whether it lies beyond 2^52.
class OpenListLevels
    : public testing::TestWithParam<
          std::tuple<const char*, std::int32_t, std::int32_t, double, std::int32_t, std::int32_t, bool>> {};

TEST_P(OpenListLevels, TakesEveryKeyOfTheLevelByFallingG) {
    const auto [name, columns, rows, f, filings, columnStep, beyondColumnOrder] = GetParam();
    CheckedList list(columns, rows);
    double taken = 0.0;
    list.File(Filing{{columns - 1, 0}, 1}, 1.0);  // taken first, setting the floor below the level
    ASSERT_TRUE(list.Take(taken));
    // The extras go first, so that the level's own filings must pass them.
    if (beyondColumnOrder) {
        ASSERT_EQ(1.0 + (f - 2.0), f);
        ASSERT_EQ(2.0 + f, f);
        list.File(Filing{{columns - 2, 2}, 1}, f - 2.0);
        list.File(Filing{{columns - 3, 2}, 1}, f);
    } else {
        const double g = std::nextafter(f - static_cast<double>(columns - 1), 1e300);
        ASSERT_EQ(static_cast<double>(columns - 1) + g, f) << "both g of column 0 must round to one f";
        list.File(Filing{{0, 1}, 1}, g);
    }
    std::vector<std::int32_t> xs;
    for (std::int32_t i = 0; i < filings; ++i) xs.push_back(i * columnStep);
    std::shuffle(xs.begin(), xs.end(), std::mt19937(7));
    for (const std::int32_t x : xs) {
        const double g = f - static_cast<double>(columns - 1 - x);
        list.File(Filing{{x, x % rows}, 1}, g);
        if (x % 3 == 0) list.File(Filing{{x, (x + 1) % rows}, 1}, g);  // a second row of the same key
    }
    while (!list.model.empty()) ASSERT_TRUE(list.Take(taken));
    EXPECT_TRUE(list.open.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Shapes, OpenListLevels,
                         testing::Values(std::tuple("ShortLevel", 40, 8, 39.3, 9, 3, false),
                                         std::tuple("AdjacentColumns", 400, 8, 399.3, 300, 1, false),
                                         std::tuple("SpacedColumns", 4000, 8, 5000.5, 200, 4, false),
                                         std::tuple("ScatteredColumns", 40'000, 8, 50'000.5, 60, 600, false),
                                         std::tuple("BeyondColumnOrder", 400, 8, 0x1p54, 300, 1, true)),
                         [](const auto& level) { return std::string(std::get<0>(level.param)); });

}  // namespace
}  // namespace ZalvoTest
