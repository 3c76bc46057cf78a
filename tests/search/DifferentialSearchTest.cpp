// The library's search against the plain ordered-map one on seeded random terrains and penalties, and on the
// plate families the benchmarks time: same path, exception, penalty calls in order and log text. A failure
// names its seed; rerun one with ZALVO_SEARCH_SEED=<seed>.
#include "PlateFamilies.h"
#include "ReferenceSearch.h"
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
using SearchFunction = std::optional<std::vector<Pixel>> (*)(const Terrain&, const Zalvo::PixelCostFunction&);

enum class Relief { Flat, FewHeights, Ramps, Walls, SeamValley };
enum class Penalties { Zero, Coarse, Fine, NegativeAcyclic, NegativeOnTheRight, NegativeCycle, WithNan };

template <class T>
T Pick(std::mt19937& random, std::initializer_list<T> choices) {
    const std::size_t index = std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random);
    return *(choices.begin() + static_cast<std::ptrdiff_t>(index));
}

double RandomPenalty(std::mt19937& random, Penalties kind, std::uint8_t height) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    switch (kind) {
        case Penalties::Zero: return random() % 2 == 0 ? 0.0 : -0.0;
        case Penalties::Coarse: return 0.5 * static_cast<double>(random() % 4);
        case Penalties::Fine: return 40.0 * unit(random);
        // Never below what entering the cell costs: no cycle gains.
        case Penalties::NegativeAcyclic: return -(Zalvo::Detail::HeightCost(height) + 1.0) * unit(random);
        case Penalties::NegativeOnTheRight: break;  // resolved per column in MakeCase
        case Penalties::NegativeCycle: return random() % 8 == 0 ? -4.0 : unit(random);
        case Penalties::WithNan: return random() % 50 == 0 ? std::nan("") : unit(random);
    }
    return 0.0;
}

// Mostly small grids, some up to 64 x 64.
std::pair<Terrain, Zalvo::PixelCostFunction> MakeCase(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> size(1, Pick<std::int32_t>(random, {4, 12, 12, 24, 64}));
    const auto columns = static_cast<std::size_t>(size(random)), rows = static_cast<std::size_t>(size(random));
    const auto relief =
        Pick(random, {Relief::Flat, Relief::FewHeights, Relief::Ramps, Relief::Walls, Relief::SeamValley});
    const auto kind =
        Pick(random, {Penalties::Zero, Penalties::Zero, Penalties::Coarse, Penalties::Fine, Penalties::NegativeAcyclic,
                      Penalties::NegativeOnTheRight, Penalties::NegativeCycle, Penalties::WithNan});
    Terrain terrain(columns, std::vector<std::uint8_t>(rows));
    for (auto& column : terrain)
        for (auto& cell : column) {
            if (relief == Relief::FewHeights) cell = Pick<std::uint8_t>(random, {0, 0, 0, 1, 251, 253});
            if (relief == Relief::Flat || relief == Relief::FewHeights) continue;
            const int h = std::uniform_int_distribution<int>(0, 255)(random);
            cell = static_cast<std::uint8_t>(h < 180 ? h / 20 : h);
        }
    for (int wall = 0; relief == Relief::Walls && wall < 3; ++wall) {
        auto& cells = terrain[std::uniform_int_distribution<std::size_t>(0, columns - 1)(random)];
        for (auto& cell : cells) cell = Pick<std::uint8_t>(random, {254, 255, 255, 255});
        if (random() % 2 == 0)
            cells[std::uniform_int_distribution<std::size_t>(0, rows - 1)(random)] =
                Pick<std::uint8_t>(random, {0, 253, 254});
    }
    // A seam valley: a cheap band along the last row on the left and row 0 on the right.
    for (std::size_t x = 0; relief == Relief::SeamValley && x < columns; ++x) {
        for (auto& cell : terrain[x]) cell = 200;
        terrain[x][x < columns / 2 ? rows - 1 : 0] = 0;
    }
    // Negative on the right: keys rise until the search reaches the negative half,
    // so the open list meets keys below the last one taken only mid-search.
    std::vector<double> penalties;  // [x * rows + y]
    for (std::size_t x = 0; x < columns; ++x) {
        const Penalties column = kind != Penalties::NegativeOnTheRight ? kind
                                 : 2 * x < columns                     ? Penalties::Fine
                                                                       : Penalties::NegativeAcyclic;
        for (const std::uint8_t height : terrain[x]) penalties.push_back(RandomPenalty(random, column, height));
    }
    return {terrain, [penalties, rows](const Pixel& p) {
                return penalties[static_cast<std::size_t>(p.x) * rows + static_cast<std::size_t>(p.y)];
            }};
}

struct Outcome {
    std::optional<std::vector<Pixel>> path;
    std::string exception;  // type and message, empty when none
    std::vector<Pixel> calls;
    std::string log;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << (o.path ? std::to_string(o.path->size()) + "-pixel path" : "no path") << ", exception '" << o.exception
         << "', " << o.calls.size() << " calls, log of " << o.log.size() << " characters";
}

Outcome RunSearch(SearchFunction search, const Terrain& terrain, const Zalvo::PixelCostFunction& penalty) {
    Outcome outcome;
    LogCapture log({21, 30});
    try {
        outcome.path = search(terrain, [&](const Pixel& pixel) {
            outcome.calls.push_back(pixel);
            return penalty(pixel);
        });
    } catch (const std::exception& error) {
        outcome.exception = std::string(typeid(error).name()) + ": " + error.what();
    }
    outcome.log = log.Text();
    return outcome;
}

// The library's search with every level of bucket 0 kept column by column, as only huge plates make it otherwise.
std::optional<std::vector<Pixel>> SearchWithColumnLevels(const Terrain& terrain, const Zalvo::PixelCostFunction& cost) {
    const std::optional<Zalvo::Detail::SearchGrid> grid = Zalvo::Detail::MakeSearchGrid(terrain);
    return grid ? Zalvo::Detail::PixelPathFromCostTable(Zalvo::Detail::BuildCostTable(*grid, cost, 1)) : std::nullopt;
}

// The reference's outcome; fails, naming `context`, where a library search differs from it.
Outcome CompareWithReference(const Terrain& terrain, const Zalvo::PixelCostFunction& penalty,
                             const std::string& context) {
    const Outcome expected = RunSearch(&ReferenceFindShortestPixelPath, terrain, penalty);
    EXPECT_EQ(RunSearch(&Zalvo::FindShortestPixelPath, terrain, penalty), expected) << context;
    EXPECT_EQ(RunSearch(&SearchWithColumnLevels, terrain, penalty), expected) << context << ", column levels";
    return expected;
}

TEST(DifferentialSearch, LibraryMatchesReferenceOnRandomInputs) {
    const char* only = std::getenv("ZALVO_SEARCH_SEED");
    const std::uint32_t first = only ? static_cast<std::uint32_t>(std::stoul(only)) : 1, count = only ? 1 : 1200;
    int paths = 0, rejections = 0;
    for (std::uint32_t seed = first; seed < first + count && !HasFailure(); ++seed) {
        const auto [terrain, penalty] = MakeCase(seed);
        const Outcome expected = CompareWithReference(terrain, penalty, "seed " + std::to_string(seed));
        paths += expected.path ? 1 : 0;
        rejections += expected.exception.empty() ? 0 : 1;
    }
    // The generator must exercise found paths and rejected penalties alike.
    if (count > 1) {
        EXPECT_GT(paths, static_cast<int>(count) / 3);
        EXPECT_GT(rejections, static_cast<int>(count) / 20);
    }
}

// Content, margins and penalties as hosts make them, through CreateTerrain at
// small sizes: the wide flat fronts and long ramps that random heights lack.
class DifferentialSearchOnPlates : public testing::TestWithParam<std::size_t> {};

TEST_P(DifferentialSearchOnPlates, LibraryMatchesReference) {
    const PlateFamily& family = PlateFamilies().at(GetParam());
    int paths = 0;
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<std::int32_t> side(64, 160);  // room for a label and a few blobs
        const std::int32_t columns = side(random), rows = side(random);
        const Terrain terrain = MakeFamilyTerrain(family, columns, rows, seed);
        const std::string context = family.name + ", seed " + std::to_string(seed);
        paths += CompareWithReference(terrain, FamilyPenalty(family, terrain), context).path ? 1 : 0;
    }
    EXPECT_GT(paths, 0) << family.name << ": no plate had a path, so nothing was compared";
}

INSTANTIATE_TEST_SUITE_P(Families, DifferentialSearchOnPlates, testing::Range<std::size_t>(0, PlateFamilies().size()));

}  // namespace
}  // namespace ZalvoTest
