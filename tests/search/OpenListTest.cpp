// The open list on its own: whatever order keys are filed in (rising, as a
// search with penalties of zero or more files them, or falling back below
// the last key taken), each take must return the cheapest remaining key and
// exactly the filings of that key, and the prefetch hint must point at a
// pixel of the cheapest f. Checked against a plain list of all filings,
// with keys drawn from a small set so that ties are common, on grid shapes
// that stress the packing of pixels.
#include "search/OpenList.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <tuple>
#include <vector>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using namespace Zalvo::Detail;

// A filing as the model keeps it: its key spelled out.
struct ModelEntry {
    OpenKey key;
    Filing filing;
};

bool SameFiling(const Filing& a, const Filing& b) { return a.pixel == b.pixel && a.cells == b.cells; }
bool FilingBefore(const Filing& a, const Filing& b) {
    return a.pixel < b.pixel || (a.pixel == b.pixel && a.cells < b.cells);
}

struct Model {
    std::vector<ModelEntry> entries;

    OpenKey Cheapest() const {
        return std::min_element(entries.begin(), entries.end(),
                                [](const ModelEntry& a, const ModelEntry& b) { return ComesBefore(a.key, b.key); })
            ->key;
    }
    // Removes the filings of `key` and returns them, sorted.
    std::vector<Filing> Take(const OpenKey& key) {
        std::vector<Filing> taken;
        for (const ModelEntry& entry : entries)
            if (SameKey(entry.key, key)) taken.push_back(entry.filing);
        std::erase_if(entries, [&key](const ModelEntry& entry) { return SameKey(entry.key, key); });
        std::sort(taken.begin(), taken.end(), FilingBefore);
        return taken;
    }
};

// Near the last key taken, mostly just above it, sometimes below; with
// signed zeros, negative keys, infinity and a wide range of magnitudes.
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

struct GridShape {
    std::int32_t columns;
    std::int32_t rows;
};

void PrintTo(const GridShape& shape, std::ostream* out) { *out << shape.columns << " x " << shape.rows; }

// A pixel of the grid, often on its edges, where packing could go wrong.
Pixel RandomPixel(std::mt19937& random, const GridShape& shape) {
    const auto pick = [&random](std::int32_t count) {
        switch (random() % 4) {
            case 0: return 0;
            case 1: return count - 1;
            default: return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(count));
        }
    };
    return {pick(shape.columns), pick(shape.rows)};
}

// Small grids make keys collide; the largest one accepted packs pixels into
// all 32 bits, and one row or one column leaves no bits to the other.
// A large-level threshold of 1 keeps every spread column by column (once it
// holds a filing per column); the default keeps these small lists in one
// sorted vector.
class OpenListAgainstModel : public testing::TestWithParam<std::tuple<GridShape, std::size_t, std::uint32_t>> {};

TEST_P(OpenListAgainstModel, TakesTheCheapestKeyWithAllItsFilings) {
    const auto [shape, largeLevel, seed] = GetParam();
    std::mt19937 random(seed);
    OpenList open(shape.columns, shape.rows, largeLevel);
    Model model;
    double last = 1.0;
    for (int step = 0; step < 3000; ++step) {
        if (model.entries.empty() || random() % 3 != 0) {
            const Filing filing{RandomPixel(random, shape), 1 + random() % 0x7fff'ffffU};
            const double columnsLeft = static_cast<double>(shape.columns - 1 - filing.pixel.x);
            // The key's f comes out near the last one taken, so that keys tie
            // and fall below the floor as a search's do.
            const double g = random() % 8 == 0 ? -0.0 : KeyNear(random, last) - columnsLeft;
            open.File(filing, g);
            model.entries.push_back({OpenKey{columnsLeft + g, g}, filing});
            continue;
        }
        ASSERT_FALSE(open.IsEmpty());
        const OpenKey expected = model.Cheapest();
        // The prefetch hint, when there is one, is a pixel of the cheapest f.
        if (const std::optional<Pixel> upcoming = open.UpcomingPixel()) {
            const bool hinted = std::any_of(model.entries.begin(), model.entries.end(), [&](const ModelEntry& e) {
                return e.filing.pixel == *upcoming && e.key.f == expected.f;
            });
            EXPECT_TRUE(hinted) << "step " << step;
        }
        std::vector<Filing> batch;
        const OpenKey key = open.TakeCheapestKey(batch);
        ASSERT_TRUE(SameKey(key, expected)) << "step " << step << ": took f " << key.f << " g " << key.g
                                            << ", expected f " << expected.f << " g " << expected.g;
        std::sort(batch.begin(), batch.end(), FilingBefore);
        const std::vector<Filing> filings = model.Take(expected);
        ASSERT_TRUE(std::equal(batch.begin(), batch.end(), filings.begin(), filings.end(), SameFiling))
            << "step " << step;
        last = key.f;
    }
    EXPECT_EQ(open.IsEmpty(), model.entries.empty());
    open.Clear();
    EXPECT_TRUE(open.IsEmpty());
    EXPECT_EQ(open.UpcomingPixel(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, OpenListAgainstModel,
    testing::Combine(testing::Values(GridShape{7, 5}, GridShape{3, 1}, GridShape{1, 9}, GridShape{40'000, 53'687}),
                     testing::Values(std::size_t{1}, kLargeLevel), testing::Range<std::uint32_t>(1, 11)));

// A level: many filings at one f, filed above the floor so that a spread
// brings them into bucket 0 together, in shuffled order. Such a level is
// ordered by counting its columns when they lie close together and by
// sorting otherwise; either way keys must come out by g, the largest first,
// including two g of one column whose sums round to the same f, and, from
// 2^52 on, a lower column with a larger g.
enum class LevelExtra {
    None,
    SecondGInOneColumn,    // a slightly larger g in column 0
    LargerGInLowerColumn,  // at f = 2^54: g f - 2 two columns left of the last, g f three left
};

struct LevelCase {
    const char* name;
    GridShape shape;
    double f;                 // the level's f
    std::int32_t filings;     // one per column of the level, some with a second row
    std::int32_t columnStep;  // the level's columns, this far apart
    LevelExtra extra;
};

void PrintTo(const LevelCase& level, std::ostream* out) { *out << level.name; }

class OpenListLevels : public testing::TestWithParam<LevelCase> {};

TEST_P(OpenListLevels, TakesEveryKeyOfTheLevelByFallingG) {
    const LevelCase& level = GetParam();
    OpenList open(level.shape.columns, level.shape.rows);
    Model model;
    const auto file = [&](const Pixel& pixel, double g) {
        const Filing filing{pixel, 1};
        open.File(filing, g);
        model.entries.push_back({OpenKey{static_cast<double>(level.shape.columns - 1 - pixel.x) + g, g}, filing});
    };
    // Taking a cheaper key first sets the floor below the level.
    file(Pixel{level.shape.columns - 1, 0}, 1.0);
    std::vector<Filing> batch;
    open.TakeCheapestKey(batch);
    model.Take(model.Cheapest());
    // The extras go first, so that the level's own filings must pass them.
    if (level.extra == LevelExtra::SecondGInOneColumn) {
        const double columnsLeft = static_cast<double>(level.shape.columns - 1);
        const double g = std::nextafter(level.f - columnsLeft, 1e300);
        ASSERT_EQ(columnsLeft + g, level.f) << "the case must round both g of column 0 to one f";
        file(Pixel{0, 1}, g);
    }
    if (level.extra == LevelExtra::LargerGInLowerColumn) {
        ASSERT_EQ(1.0 + (level.f - 2.0), level.f);
        ASSERT_EQ(2.0 + level.f, level.f);
        file(Pixel{level.shape.columns - 2, 2}, level.f - 2.0);
        file(Pixel{level.shape.columns - 3, 2}, level.f);
    }
    std::vector<std::int32_t> columns;
    for (std::int32_t i = 0; i < level.filings; ++i) columns.push_back(i * level.columnStep);
    std::shuffle(columns.begin(), columns.end(), std::mt19937(7));
    for (const std::int32_t x : columns) {
        const double columnsLeft = static_cast<double>(level.shape.columns - 1 - x);
        file(Pixel{x, x % level.shape.rows}, level.f - columnsLeft);
        // A second row of the same key, taken with it.
        if (x % 3 == 0) file(Pixel{x, (x + 1) % level.shape.rows}, level.f - columnsLeft);
    }
    while (!model.entries.empty()) {
        const OpenKey expected = model.Cheapest();
        batch.clear();
        const OpenKey key = open.TakeCheapestKey(batch);
        ASSERT_TRUE(SameKey(key, expected)) << "took f " << key.f << " g " << key.g << ", expected g " << expected.g;
        std::sort(batch.begin(), batch.end(), FilingBefore);
        const std::vector<Filing> filings = model.Take(expected);
        ASSERT_TRUE(std::equal(batch.begin(), batch.end(), filings.begin(), filings.end(), SameFiling));
    }
    EXPECT_TRUE(open.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, OpenListLevels,
    testing::Values(LevelCase{"ShortLevel", {40, 8}, 39.3, 9, 3, LevelExtra::SecondGInOneColumn},
                    LevelCase{"AdjacentColumns", {400, 8}, 399.3, 300, 1, LevelExtra::SecondGInOneColumn},
                    LevelCase{"SpacedColumns", {4000, 8}, 5000.5, 200, 4, LevelExtra::SecondGInOneColumn},
                    LevelCase{"ScatteredColumns", {40'000, 8}, 50'000.5, 60, 600, LevelExtra::SecondGInOneColumn},
                    LevelCase{"BeyondColumnOrder", {400, 8}, 0x1p54, 300, 1, LevelExtra::LargerGInLowerColumn}),
    [](const testing::TestParamInfo<LevelCase>& level) { return std::string(level.param.name); });

// A list refilled after Clear reuses its chunks and still orders keys.
TEST(OpenList, ClearedListServesAFreshSearch) {
    OpenList open(4, 600);
    for (int round = 0; round < 2; ++round) {
        for (std::int32_t y = 0; y < 600; ++y) open.File(Filing{Pixel{0, y}, 1}, 1.0 + static_cast<double>(y % 300));
        std::vector<Filing> batch;
        const OpenKey key = open.TakeCheapestKey(batch);
        EXPECT_EQ(key.f, 4.0);
        EXPECT_EQ(key.g, 1.0);
        ASSERT_EQ(batch.size(), 2U);
        open.Clear();
        EXPECT_TRUE(open.IsEmpty());
    }
}

}  // namespace
}  // namespace ZalvoTest
