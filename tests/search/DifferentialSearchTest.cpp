// The library's open list against the plain ordered-map one on seeded random
// terrains and penalties: same result, same exception, same penalty calls in
// the same order, same log text. A failure names its seed; rerun one seed
// with --gtest_filter and ZALVO_SEARCH_SEED=<seed>.
#include "PlateFamilies.h"
#include "ReferenceSearch.h"
#include "SearchTestSupport.h"
#include "search/ShortestPath.h"
#include "support/LogCapture.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <typeinfo>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;

enum class Relief { Flat, FewHeights, Ramps, Walls, SeamValley };
enum class Penalties {
    Zero,
    CoarseNonNegative,
    FineNonNegative,
    NegativeAcyclic,
    NegativeOnTheRight,
    NegativeCycle,
    WithNan
};

struct Case {
    Terrain terrain;
    std::vector<double> penalties;  // [x * rows + y]
};

template <class T>
T Pick(std::mt19937& random, std::initializer_list<T> choices) {
    std::uniform_int_distribution<std::size_t> index(0, choices.size() - 1);
    return *(choices.begin() + static_cast<std::ptrdiff_t>(index(random)));
}

std::uint8_t RandomHeight(std::mt19937& random, Relief relief) {
    std::uniform_int_distribution<int> any(0, 255);
    switch (relief) {
        case Relief::Flat: return 0;
        case Relief::FewHeights: return Pick<std::uint8_t>(random, {0, 0, 0, 1, 251, 253});
        default: {
            const int h = any(random);
            return static_cast<std::uint8_t>(h < 180 ? h / 20 : h);
        }
    }
}

void AddWalls(std::mt19937& random, Terrain& terrain) {
    std::uniform_int_distribution<std::size_t> column(0, terrain.size() - 1);
    std::uniform_int_distribution<std::size_t> row(0, terrain[0].size() - 1);
    for (int wall = 0; wall < 3; ++wall) {
        auto& cells = terrain[column(random)];
        for (auto& cell : cells) cell = Pick<std::uint8_t>(random, {254, 255, 255, 255});
        if (random() % 2 == 0) cells[row(random)] = Pick<std::uint8_t>(random, {0, 253, 254});
    }
}

// A cheap band that runs along the last row on the left and row 0 on the
// right, through expensive ground.
void AddSeamValley(Terrain& terrain) {
    const std::size_t rows = terrain[0].size();
    for (std::size_t x = 0; x < terrain.size(); ++x) {
        for (auto& cell : terrain[x]) cell = 200;
        terrain[x][x < terrain.size() / 2 ? rows - 1 : 0] = 0;
    }
}

double RandomPenalty(std::mt19937& random, Penalties kind, std::uint8_t height) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    switch (kind) {
        case Penalties::Zero: return random() % 2 == 0 ? 0.0 : -0.0;
        case Penalties::CoarseNonNegative: return 0.5 * static_cast<double>(random() % 4);
        case Penalties::FineNonNegative: return 40.0 * unit(random);
        case Penalties::NegativeAcyclic:
            // Never below what entering the cell costs: no cycle gains.
            return -(Zalvo::Detail::HeightCost(height) + 1.0) * unit(random);
        case Penalties::NegativeOnTheRight: break;  // resolved per column by KindAtColumn
        case Penalties::NegativeCycle: return random() % 8 == 0 ? -4.0 : unit(random);
        case Penalties::WithNan: return random() % 50 == 0 ? std::nan("") : unit(random);
    }
    return 0.0;
}

// Keys rise monotonically until the search reaches the negative half: the
// open list meets keys below the last one taken only mid-search.
Penalties KindAtColumn(Penalties kind, std::size_t x, std::size_t columns) {
    if (kind != Penalties::NegativeOnTheRight) return kind;
    return 2 * x < columns ? Penalties::FineNonNegative : Penalties::NegativeAcyclic;
}

Case MakeCase(std::uint32_t seed) {
    std::mt19937 random(seed);
    // Mostly small grids, some up to 64 x 64.
    const std::int32_t limit = Pick<std::int32_t>(random, {4, 12, 12, 24, 64});
    std::uniform_int_distribution<std::int32_t> size(1, limit);
    const std::int32_t columns = size(random);
    const std::int32_t rows = size(random);
    const auto relief =
        Pick(random, {Relief::Flat, Relief::FewHeights, Relief::Ramps, Relief::Walls, Relief::SeamValley});
    const auto kind = Pick(random, {Penalties::Zero, Penalties::Zero, Penalties::CoarseNonNegative,
                                    Penalties::FineNonNegative, Penalties::NegativeAcyclic,
                                    Penalties::NegativeOnTheRight, Penalties::NegativeCycle, Penalties::WithNan});
    Case made{FlatTerrain(columns, rows), {}};
    for (auto& column : made.terrain)
        for (auto& cell : column) cell = RandomHeight(random, relief);
    if (relief == Relief::Walls) AddWalls(random, made.terrain);
    if (relief == Relief::SeamValley) AddSeamValley(made.terrain);
    for (std::size_t x = 0; x < made.terrain.size(); ++x)
        for (const std::uint8_t height : made.terrain[x])
            made.penalties.push_back(RandomPenalty(random, KindAtColumn(kind, x, made.terrain.size()), height));
    return made;
}

struct Outcome {
    std::optional<std::vector<Pixel>> path;
    std::string exception;  // type and message, empty when none
    std::vector<Pixel> calls;
    std::string log;
};

Outcome RunSearch(SearchFunction search, const Terrain& terrain, const Zalvo::PixelCostFunction& value) {
    RecordingPenalty penalty;
    penalty.value = value;
    Outcome outcome;
    LogCapture log({21, 30});
    try {
        outcome.path = search(terrain, penalty.Function());
    } catch (const std::exception& error) {
        outcome.exception = std::string(typeid(error).name()) + ": " + error.what();
    }
    outcome.calls = std::move(*penalty.calls);
    outcome.log = log.Text();
    return outcome;
}

Outcome RunSearch(SearchFunction search, const Case& input) {
    const auto rows = static_cast<std::int32_t>(input.terrain[0].size());
    return RunSearch(search, input.terrain, [&input, rows](const Pixel& p) {
        return input
            .penalties[static_cast<std::size_t>(p.x) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(p.y)];
    });
}

// The library's search with every spread of bucket 0 that holds a filing
// per column kept column by column, as only plates of millions of pixels
// make it otherwise.
std::optional<std::vector<Pixel>> SearchWithColumnLevels(const Terrain& terrain,
                                                         const Zalvo::PixelCostFunction& pixelCost) {
    const std::optional<Zalvo::Detail::SearchGrid> grid = Zalvo::Detail::MakeSearchGrid(terrain);
    if (!grid) return std::nullopt;
    return Zalvo::Detail::PixelPathFromCostTable(Zalvo::Detail::BuildCostTable(*grid, pixelCost, 1));
}

bool Same(const Outcome& actual, const Outcome& expected) {
    return actual.path == expected.path && actual.exception == expected.exception && actual.calls == expected.calls &&
           actual.log == expected.log;
}

std::string Difference(const Outcome& actual, const Outcome& expected) {
    return "path " + std::to_string(actual.path == expected.path) + ", exception '" + actual.exception + "' vs '" +
           expected.exception + "', calls " + std::to_string(actual.calls.size()) + " vs " +
           std::to_string(expected.calls.size()) + ", log " + std::to_string(actual.log == expected.log);
}

TEST(DifferentialSearch, LibraryMatchesReferenceOnRandomInputs) {
    std::uint32_t first = 1;
    std::uint32_t count = 1200;
    if (const char* only = std::getenv("ZALVO_SEARCH_SEED")) {
        first = static_cast<std::uint32_t>(std::stoul(only));
        count = 1;
    }
    int paths = 0;
    int rejections = 0;
    int failures = 0;
    for (std::uint32_t seed = first; seed < first + count; ++seed) {
        const Case input = MakeCase(seed);
        const Outcome expected = RunSearch(&ReferenceFindShortestPixelPath, input);
        const Outcome actual = RunSearch(&Zalvo::FindShortestPixelPath, input);
        const Outcome byColumn = RunSearch(&SearchWithColumnLevels, input);
        paths += expected.path ? 1 : 0;
        rejections += expected.exception.empty() ? 0 : 1;
        const bool same = Same(actual, expected) && Same(byColumn, expected);
        EXPECT_TRUE(same) << "seed " << seed << ": " << Difference(actual, expected) << "; column levels "
                          << Difference(byColumn, expected);
        if (!same && ++failures == 5) break;
    }
    // The generator must exercise found paths and rejected penalties alike.
    if (count > 1) {
        EXPECT_GT(paths, static_cast<int>(count) / 3);
        EXPECT_GT(rejections, static_cast<int>(count) / 20);
    }
}

// The plate families the benchmark suite times, built through CreateTerrain
// at small sizes: content, margins and penalties as hosts make them, with
// the wide flat fronts and long ramps that random heights lack.
class DifferentialSearchOnPlates : public testing::TestWithParam<std::size_t> {};

TEST_P(DifferentialSearchOnPlates, LibraryMatchesReference) {
    const PlateFamily& family = PlateFamilies().at(GetParam());
    constexpr int kPlates = 6;
    int paths = 0;
    for (std::uint32_t seed = 1; seed <= kPlates; ++seed) {
        std::mt19937 random(seed);
        // Large enough for a label (the sheet margin is 30 px) and a few blobs.
        std::uniform_int_distribution<std::int32_t> side(64, 160);
        const std::int32_t columns = side(random);
        const std::int32_t rows = side(random);
        const Terrain terrain = MakeFamilyTerrain(family, columns, rows, seed);
        const Zalvo::PixelCostFunction penalty = FamilyPenalty(family, terrain);
        const Outcome expected = RunSearch(&ReferenceFindShortestPixelPath, terrain, penalty);
        const Outcome actual = RunSearch(&Zalvo::FindShortestPixelPath, terrain, penalty);
        const Outcome byColumn = RunSearch(&SearchWithColumnLevels, terrain, penalty);
        paths += expected.path ? 1 : 0;
        EXPECT_TRUE(Same(actual, expected)) << family.name << ", seed " << seed << ", " << columns << " x " << rows
                                            << ": " << Difference(actual, expected);
        EXPECT_TRUE(Same(byColumn, expected))
            << family.name << ", seed " << seed << ", column levels: " << Difference(byColumn, expected);
    }
    EXPECT_GT(paths, 0) << family.name << ": no plate had a path, so nothing was compared";
}

INSTANTIATE_TEST_SUITE_P(Families, DifferentialSearchOnPlates, testing::Range<std::size_t>(0, PlateFamilies().size()));

}  // namespace
}  // namespace ZalvoTest
