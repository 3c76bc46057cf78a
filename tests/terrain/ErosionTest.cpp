#include "terrain/Erosion.h"
#include "terrain/ReferenceErosion.h"
#include "terrain/TerrainDump.h"
#include "terrain/TerrainText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

namespace {

using Zalvo::MilliPoints;
using Zalvo::Terrain;
using Zalvo::Detail::CreateErosionProfile;
using Zalvo::Detail::ProfileToText;
using Profile = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

std::size_t Below(std::mt19937& random, std::size_t n) { return static_cast<std::size_t>(random() % n); }

struct ProfileCase {
    double minimum, preferred, resolution;
    Profile profile;
    std::string text;
};

class ErosionProfileTable : public testing::TestWithParam<ProfileCase> {};

TEST_P(ErosionProfileTable, GivesEntriesAndText) {
    const ProfileCase& c = GetParam();
    const Profile profile = CreateErosionProfile(MilliPoints(c.minimum), MilliPoints(c.preferred), c.resolution);
    EXPECT_EQ(profile, c.profile);
    EXPECT_EQ(ProfileToText(profile), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Distances, ErosionProfileTable,
    testing::Values(ProfileCase{3000, 8000, 72, {255, 255, 255, 251, 200, 150, 100, 50}, "XXX97531"},
                    ProfileCase{2500, 4000, 72, {255, 255, 254, 251}, "XXx9"},
                    ProfileCase{2000, 4000, 72, {255, 255, 251, 125}, "XX94"},
                    ProfileCase{0, 3000, 72, {251, 167, 83}, "963"},
                    ProfileCase{3000, 2000, 72, {255, 255, 255}, "XXX"},
                    ProfileCase{500, 2000, 144, {255, 251, 167, 83}, "X963"}, ProfileCase{0, 0, 72, {}, ""},
                    ProfileCase{3000, 8000, 0, {}, ""},
                    ProfileCase{0, 2500, 72, {251, 167, 83}, "963"},  // halves round away from zero
                    ProfileCase{0, 2499, 72, {251, 125}, "94"},
                    ProfileCase{-999, -499, 72, {}, ""},  // just above -1 and -0.5 pixels
                    ProfileCase{-0.0, -0.0, 72, {}, ""}, ProfileCase{-1000, -2000, -72, {255, 251}, "X9"},
                    ProfileCase{200, 1000, 72, {254}, "x"}));

TEST(ErosionProfile, LongRampEndsInZerosAndTextUsesEveryBand) {
    const Profile profile = CreateErosionProfile(MilliPoints(0), MilliPoints(300000), 72);
    ASSERT_EQ(profile.size(), 300u);
    EXPECT_EQ(Profile(profile.end() - 3, profile.end()), (Profile{2, 1, 0}));  // k * 251 / 300
    EXPECT_EQ(ProfileToText({0, 1, 25, 26, 51, 52, 233, 234, 251, 252, 253, 254, 255}), ".00112899oMxX");
}

struct Picture {
    const char* name;
    Lines before;
    Profile profile;
    Lines after;
};

struct Eroder {
    const char* name;
    void (*erode)(Terrain&, const Profile&);
};

class ErosionPictures : public testing::TestWithParam<std::tuple<Eroder, Picture>> {};

TEST_P(ErosionPictures, MatchTheRingByRingDefinition) {
    const auto& [eroder, picture] = GetParam();
    Terrain terrain = ZalvoTest::FromDump(picture.before);
    eroder.erode(terrain, picture.profile);
    EXPECT_EQ(ZalvoTest::DumpLines(terrain), picture.after);
}

const Lines kDot11x13{"...........", "...........", "...........", "...........", "...........",
                      "...........", ".....X.....", "...........", "...........", "...........",
                      "...........", "...........", "..........."};

INSTANTIATE_TEST_SUITE_P(
    Both, ErosionPictures,
    testing::Combine(
        testing::Values(Eroder{"Library", Zalvo::Detail::ErodeTerrain},
                        Eroder{"Literal", ZalvoTest::ReferenceErodeTerrain}),
        testing::Values(
            Picture{"SingleImpassableCell",
                    kDot11x13,
                    {255, 255, 251, 125},
                    {"...........", "...........", ".444444444.", ".499999994.", ".49XXXXX94.", ".49XXXXX94.",
                     ".49XXXXX94.", ".49XXXXX94.", ".49XXXXX94.", ".499999994.", ".444444444.", "...........",
                     "..........."}},
            Picture{"SingleCrossableCell",
                    {".......", ".......", ".......", "...M...", ".......", ".......", "......."},
                    {255, 255, 251},
                    {"9999999", "9MMMMM9", "9MMMMM9", "9MMMMM9", "9MMMMM9", "9MMMMM9", "9999999"}},
            Picture{"FractionalMarginEndsIn254",
                    {".......", ".......", "...X...", ".......", "......."},
                    {255, 254},
                    {".xxxxx.", ".xXXXx.", ".xXXXx.", ".xXXXx.", ".xxxxx."}},
            Picture{"RingsCrossTheRowSeam",
                    {"..X..", ".....", ".....", ".....", ".....", ".....", "....."},
                    {255, 251},
                    {"9XXX9", "9XXX9", "99999", ".....", ".....", "99999", "9XXX9"}},
            Picture{"RingsStopAtFirstAndLastColumn",
                    {".......", ".......", "X.....M", ".......", "......."},
                    {255, 251},
                    {"999.999", "XX9.9MM", "XX9.9MM", "XX9.9MM", "999.999"}},
            Picture{"CrossableNextToImpassableTurnsImpassable",
                    {".........", ".........", ".........", "....XXM..", ".........", ".........", "........."},
                    {255, 251, 125},
                    {".44444444", ".49999999", ".49XXXXM9", ".49XXXXM9", ".49XXXXM9", ".49999999", ".44444444"}},
            Picture{"OnlyCrossableNearImpassableChanges",
                    {"MMMMMM", "MMMMMM", "XMMMMM"},
                    {255, 254},
                    {"XXxMMM", "XXxMMM", "XXxMMM"}},
            // Ramp rings fill only free cells; entries of 0 grow no ring.
            Picture{"RampFillsFreeCellsAndSkipsZeros",
                    {"..........", "o....2...."},
                    {0, 130, 0, 0, 26},
                    {"55115551..", "o5115251.."}},
            Picture{"AllCrossableStays", {"MMM", "MMM"}, {255, 254, 251}, {"MMM", "MMM"}},
            Picture{"AllImpassableStays", {"XXX", "XXX"}, {255, 251}, {"XXX", "XXX"}},
            Picture{"NoContentStays", {"...", "..."}, {255, 251}, {"...", "..."}},
            Picture{"EmptyProfileChangesNothing", {"X..", "..."}, {}, {"X..", "..."}})),
    [](const auto& param) { return std::string(std::get<0>(param.param).name) + std::get<1>(param.param).name; });

// Eight-neighbour steps between two cells: columns bounded, rows cyclic.
std::uint32_t CylinderSteps(std::size_t x0, std::size_t y0, std::size_t x1, std::size_t y1, std::size_t rows) {
    const std::size_t dx = x0 > x1 ? x0 - x1 : x1 - x0;
    const std::size_t dy = y0 > y1 ? y0 - y1 : y1 - y0;
    return static_cast<std::uint32_t>(std::max(dx, std::min(dy, rows - dy)));
}

template <class Distance>
class CylinderDistances : public testing::Test {};

using DistanceTypes = testing::Types<std::uint8_t, std::uint16_t, std::uint32_t>;
TYPED_TEST_SUITE(CylinderDistances, DistanceTypes);

TYPED_TEST(CylinderDistances, MatchBruteForceOnRandomGrids) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 300; ++trial) {
        const std::size_t columns = 1 + Below(random, 13), rows = 1 + Below(random, 50);  // blocks of 16 rows
        const std::size_t density = 1 + Below(random, 30);
        const auto cap = static_cast<TypeParam>(1 + Below(random, 30));
        Terrain terrain(columns, std::vector<std::uint8_t>(rows, 0));
        for (auto& column : terrain)
            for (auto& height : column) height = Below(random, 100) < density ? 253 : 0;
        std::vector<TypeParam> expected;
        for (std::size_t x = 0; x < columns; ++x) {
            for (std::size_t y = 0; y < rows; ++y) {
                std::uint32_t best = cap;
                for (std::size_t sx = 0; sx < columns; ++sx)
                    for (std::size_t sy = 0; sy < rows; ++sy)
                        if (terrain[sx][sy] == 253) best = std::min(best, CylinderSteps(x, y, sx, sy, rows));
                expected.push_back(static_cast<TypeParam>(best));
            }
        }
        std::vector<TypeParam> distances;
        Zalvo::Detail::SweepCylinderDistances<TypeParam>(terrain, std::uint8_t{253}, cap, distances,
                                                         [](std::size_t, const TypeParam*) {});
        ASSERT_EQ(distances, expected) << "trial " << trial << ", " << columns << " x " << rows << ", cap " << +cap;
    }
}

// Profiles longer than 255 entries on grids wider than that need wider
// distances. Content in column 0 makes column x take entry x - 1.
TEST(ErodeTerrain, LongProfilesOnWideGridsGiveEveryColumnItsRing) {
    for (const auto& [columns, rampLength, hard] :
         {std::tuple{600U, 297, true}, std::tuple{600U, 590, false}, std::tuple{70000U, 69000, true},
          std::tuple{70000U, 69997, false}}) {
        Terrain terrain(columns, std::vector<std::uint8_t>(2, 0));
        terrain[0] = {255, 255};
        Profile profile = hard ? Profile{255, 255, 254} : Profile{};
        for (int i = 0; i < rampLength; ++i) profile.push_back(static_cast<std::uint8_t>(i % 251 + 1));
        Zalvo::Detail::ErodeTerrain(terrain, profile);
        for (std::size_t x = 1; x < terrain.size(); ++x) {
            const std::uint8_t expected = x <= profile.size() ? profile[x - 1] : 0;
            ASSERT_EQ(terrain[x], std::vector<std::uint8_t>(2, expected)) << columns << " columns, column " << x;
        }
    }
}

Terrain RandomPlateTerrain(std::mt19937& random) {
    const std::size_t columns = 1 + Below(random, 40), rows = 1 + Below(random, 40);
    Terrain terrain(columns, std::vector<std::uint8_t>(rows, 0));
    const bool anyHeights = Below(random, 5) == 0;  // not only what a plate gives
    for (std::size_t blob = Below(random, 6); blob > 0; --blob) {
        const std::size_t x0 = Below(random, columns), y0 = Below(random, rows);
        const std::size_t width = 1 + Below(random, 4), height = 1 + Below(random, 4);
        const std::uint8_t value = Below(random, 2) ? 255 : 253;
        for (std::size_t x = x0; x < std::min(columns, x0 + width); ++x)
            for (std::size_t y = y0; y < y0 + height; ++y)
                terrain[x][y % rows] = anyHeights ? static_cast<std::uint8_t>(random()) : value;
    }
    return terrain;
}

Profile RandomProfile(std::mt19937& random) {
    if (Below(random, 2) == 0) {
        const double resolution =
            72.0 * static_cast<double>(1 + Below(random, 4)) / static_cast<double>(1 + Below(random, 3));
        return CreateErosionProfile(MilliPoints(static_cast<double>(Below(random, 6000))),
                                    MilliPoints(static_cast<double>(Below(random, 30000))), resolution);
    }
    // Any sequence: hard entries after ramp entries, 253 among the ramp, zeros anywhere.
    static constexpr std::uint8_t kEntries[] = {255, 255, 254, 253, 252, 251, 100, 1, 0, 0};
    Profile profile(Below(random, 12));
    for (auto& entry : profile) entry = kEntries[Below(random, std::size(kEntries))];
    return profile;
}

TEST(ErodeTerrain, MatchesTheLiteralErosionOnRandomPlates) {
    for (unsigned seed = 1; seed <= 1500; ++seed) {
        std::mt19937 random(seed);
        Terrain fast = RandomPlateTerrain(random);
        Terrain literal = fast;
        const Profile profile = RandomProfile(random);
        Zalvo::Detail::ErodeTerrain(fast, profile);
        ZalvoTest::ReferenceErodeTerrain(literal, profile);
        ASSERT_EQ(fast, literal) << "seed " << seed << ", profile " << ProfileToText(profile);
    }
}

}  // namespace
