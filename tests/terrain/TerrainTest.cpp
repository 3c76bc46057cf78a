// The terrain from a plate: the plate's answers, the dumps, the erosion's
// profile and rings (against the ring-by-ring reference), and the corridors.
#include "support/FakePlate.h"
#include "support/LogCapture.h"
#include "support/Printers.h"
#include "terrain/Corridors.h"
#include "terrain/Erosion.h"
#include "terrain/ReferenceErosion.h"
#include "terrain/TerrainDump.h"
#include "terrain/TerrainText.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Zalvo::MilliPoints;
using Zalvo::Pixel;
using Zalvo::Terrain;
using Zalvo::Detail::CreateErosionProfile;
using Zalvo::Detail::ErodeTerrain;
using Zalvo::Detail::ProfileToText;
using ZalvoTest::FakePlate;
using ZalvoTest::LogCapture;
using Member = FakePlate::Member;
using Lines = std::vector<std::string>;
using Profile = std::vector<std::uint8_t>;

Terrain Create(const FakePlate& plate, const std::set<Pixel>& seeds = {}) {
    return Zalvo::CreateTerrain(plate, plate.IsImpassableFunction(), seeds, MilliPoints(1000), MilliPoints(3000));
}

Terrain CreateExample() {
    const FakePlate plate = FakePlate::FromRows(
        {".........", ".........", ".........", "....XXM..", ".........", ".........", "........."});
    return Create(plate, {{4, 3}, {5, 3}});
}

const Lines kExampleLog{"Initial terrain:", ".........", ".........", ".........", "....XXM..",
                        ".........",        ".........", ".........", "",          "Erosion profile: X94",
                        "Eroded terrain:",  ".44444444", ".49999999", ".49XXXXM9", ".49XXXXM9",
                        ".49XXXXM9",        ".49999999", ".44444444", "",          "Final terrain:",
                        ".44444444",        ".49999999", ".49XXXXM9", ".49ooooM9", ".49XXXXM9",
                        ".49999999",        ".44444444", ""};

const Lines kExampleResult(kExampleLog.end() - 8, kExampleLog.end() - 1);

// All three dumps; then each message at its level alone (0 is none of them), the terrain the same throughout.
TEST(CreateTerrain, ExamplePlateLogsEachDumpAtItsLevel) {
    {
        const LogCapture log({20, 30});
        EXPECT_EQ(ZalvoTest::DumpLines(CreateExample()), kExampleResult);
        EXPECT_EQ(log.Lines(), kExampleLog);
    }
    for (const auto& [level, titles] :
         {std::pair(0U, Lines{}), std::pair(21U, Lines{}), std::pair(20U, Lines{"Final terrain:"}),
          std::pair(30U, Lines{"Initial terrain:", "Erosion profile: X94", "Eroded terrain:"})}) {
        const LogCapture log({level});
        EXPECT_EQ(ZalvoTest::DumpLines(CreateExample()), kExampleResult);
        Lines written;
        for (const std::string& line : log.Lines())
            if (line.find(':') != std::string::npos) written.push_back(line);
        EXPECT_EQ(written, titles) << "level " << level;
    }
}

TEST(CreateTerrain, AsksThePlateInTheDocumentedOrder) {
    const FakePlate plate = FakePlate::FromRows({".X.", "M.."});
    Create(plate);
    using enum Member;
    const auto call = [](Member member, std::int32_t x = 0, std::int32_t y = 0) {
        return FakePlate::Call{member, {x, y}};
    };
    EXPECT_EQ(plate.Calls(),
              (std::vector{call(GetPixelRowCount), call(GetPixelColumnCount), call(IsPixelOccupied, 0, 0),
                           call(IsPixelOccupied, 1, 0), call(IsImpassable, 1, 0), call(IsPixelOccupied, 2, 0),
                           call(IsPixelOccupied, 0, 1), call(IsImpassable, 0, 1), call(IsPixelOccupied, 1, 1),
                           call(IsPixelOccupied, 2, 1), call(GetResolution)}));
}

Lines Filled(std::size_t columns, std::size_t rows, char fill) { return Lines(rows, std::string(columns, fill)); }

Lines Carve(const Lines& lines, const std::set<Pixel>& seeds,
            const std::vector<std::uint8_t>& profile = {255, 255, 254, 251}) {
    Terrain terrain = ZalvoTest::FromDump(lines);
    Zalvo::Detail::CarveCorridors(terrain, seeds, profile);
    return ZalvoTest::DumpLines(terrain);
}

Lines WithCorridor(Lines lines, const std::vector<Pixel>& cells) {
    for (const Pixel& p : cells) lines[static_cast<std::size_t>(p.y)][static_cast<std::size_t>(p.x)] = 'o';
    return lines;
}

// Blocked grids of columns x rows of one height, the seeds, and the cells that become corridor.
TEST(CarveCorridors, LinesGrowAlongTheirDirectionUntilTheStepsRunOut) {
    for (const auto& [columns, rows, fill, seeds, corridor] :
         std::initializer_list<std::tuple<std::size_t, std::size_t, char, std::set<Pixel>, std::vector<Pixel>>>{
             {9, 9, 'X', {{4, 4}}, {{4, 4}}},  // a single seed never grows
             {13, 5, 'M', {{5, 2}, {6, 2}}, {{2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 2}}},
             {5, 10, 'X', {{2, 0}, {2, 1}}, {{2, 7}, {2, 8}, {2, 9}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}}},
             {9, 9, 'x', {{4, 4}, {5, 3}}, {{1, 7}, {2, 6}, {3, 5}, {4, 4}, {5, 3}, {6, 2}, {7, 1}, {8, 0}}}}) {
        const Lines blocked = Filled(columns, rows, fill);
        EXPECT_EQ(Carve(blocked, seeds), WithCorridor(blocked, corridor)) << columns << " x " << rows;
    }
}

TEST(CarveCorridors, LinesStopAtUnblockedCellsAndAtEachOther) {
    EXPECT_EQ(Carve({"XXXXXXXXX", "XX9XXXX9X", "XXXXXXXXX"}, {{4, 1}, {5, 1}}),
              (Lines{"XXXXXXXXX", "XX9oooo9X", "XXXXXXXXX"}));
    const std::vector<std::uint8_t> manySteps(20, 255);
    EXPECT_EQ(Carve(Filled(12, 5, 'X'), {{1, 2}, {2, 2}, {6, 2}, {7, 2}}, manySteps)[2], "ooooXooooooo");
    EXPECT_EQ(Carve(Filled(12, 5, 'X'), {{1, 2}, {2, 2}, {7, 2}, {8, 2}}, manySteps)[2], "ooooXXoooooo");
}

TEST(CarveCorridors, VerticalLineGrowsOnlyAwayFromTheBorderColumns) {
    // In the first and last column the clamped ring reads the line three times.
    const Lines blocked = Filled(6, 9, 'X');
    for (const std::int32_t x : {0, 1, 4, 5}) {
        std::vector<Pixel> expected{{x, 3}, {x, 4}};
        if (x == 1 || x == 4) expected = {{x, 0}, {x, 1}, {x, 2}, {x, 3}, {x, 4}, {x, 5}, {x, 6}, {x, 7}};
        EXPECT_EQ(Carve(blocked, {{x, 3}, {x, 4}}), WithCorridor(blocked, expected)) << "column " << x;
    }
}

TEST(CarveCorridors, BranchCrossesAFullHeightLineThroughCrossingAndBranchShapes) {
    std::set<Pixel> seeds{{5, 3}, {6, 3}};
    for (std::int32_t y = 0; y < 7; ++y) seeds.insert({4, y});
    Lines expected = WithCorridor(Filled(9, 7, 'X'), {{4, 0}, {4, 1}, {4, 2}, {4, 4}, {4, 5}, {4, 6}});
    expected[3] = "Xoooooooo";
    EXPECT_EQ(Carve(Filled(9, 7, 'X'), seeds), expected);
}

TEST(CarveCorridors, SeedsAreTakenOnlyOnTheGridAndOnBlockedCells) {
    // Row -1 is the last row; the row count, row -2 and columns off the grid name nothing.
    EXPECT_EQ(Carve(Filled(4, 3, 'X'), {{1, -1}, {2, 3}, {3, -2}, {-1, 0}, {4, 0}}),
              WithCorridor(Filled(4, 3, 'X'), {{1, 2}}));
    EXPECT_EQ(Carve({".9oM"}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}), (Lines{".9oo"}));
}

TEST(CarveCorridors, GrowsOnlyWhileTheProfileStartsWithBlockedEntries) {
    for (const auto& [profile, row] : {std::pair{std::vector<std::uint8_t>{}, "XXooXXX"},
                                       std::pair{std::vector<std::uint8_t>{251, 255, 255}, "XXooXXX"},
                                       std::pair{std::vector<std::uint8_t>{253, 251, 255}, "XooooXX"}})
        EXPECT_EQ(Carve(Filled(7, 3, 'X'), {{2, 1}, {3, 1}}, profile)[1], row);
}

// The ring around a cell in its fixed order; six positions on is a quarter turn.
constexpr std::array<std::array<std::int32_t, 2>, 24> kRing{{
    {0, -2}, {0, -1}, {1, -2}, {1, -1}, {2, -2}, {2, -1}, {2, 0},  {1, 0},  {2, 1},   {1, 1},   {2, 2},   {1, 2},
    {0, 2},  {0, 1},  {-1, 2}, {-1, 1}, {-2, 2}, {-2, 1}, {-2, 0}, {-1, 0}, {-2, -1}, {-1, -1}, {-2, -2}, {-1, -2},
}};

// Whether corridor cells at these ring positions around the centre of a blocked 7 x 7 terrain let a corridor in.
bool AdmitsCorridor(const std::vector<std::size_t>& positions) {
    Terrain terrain(7, std::vector<std::uint8_t>(7, 255));
    for (const std::size_t p : positions)
        terrain[static_cast<std::size_t>(3 + kRing[p % 24][0])][static_cast<std::size_t>(3 + kRing[p % 24][1])] = 252;
    return Zalvo::Detail::IsCorridorShape(terrain, {3, 3});
}

TEST(IsCorridorShape, HoldsForTheFourShapesInEveryQuarterTurnAndNothingMore) {
    const std::vector<std::vector<std::size_t>> shapes{{6, 7}, {2, 3, 6, 7, 9, 11}, {4, 5, 6, 7, 8, 10}, {3, 4}};
    for (const auto& shape : shapes) {
        for (std::size_t turn = 0; turn < 24; turn += 6) {
            std::vector<std::size_t> turned;
            for (const std::size_t position : shape) turned.push_back(position + turn);
            EXPECT_TRUE(AdmitsCorridor(turned)) << shape.size() << " cells, turn " << turn;
            turned.push_back(shape.front() + turn + 12);  // one cell too many
            EXPECT_FALSE(AdmitsCorridor(turned)) << shape.size() << " cells, turn " << turn;
        }
    }
    EXPECT_FALSE(AdmitsCorridor({5, 6, 9, 10, 12, 14}));  // crossing turned by an eighth
    EXPECT_FALSE(AdmitsCorridor({}));
    EXPECT_FALSE(AdmitsCorridor({7}));
    EXPECT_FALSE(AdmitsCorridor({7, 19}));  // one on each side
}

std::size_t Below(std::mt19937& random, std::size_t n) { return static_cast<std::size_t>(random() % n); }

// Pixel lengths are millipoints / 1000 * resolution / 72: the hard part the minimum's ceiling, the whole the
// preferred's rounded (halves away from zero).
TEST(ErosionProfile, GivesTheEntriesOfBothDistances) {
    for (const auto& [minimum, preferred, resolution, profile] :
         std::initializer_list<std::tuple<double, double, double, Profile>>{
             std::tuple(3000, 8000, 72, Profile{255, 255, 255, 251, 200, 150, 100, 50}),
             std::tuple(2500, 4000, 72, Profile{255, 255, 254, 251}),
             std::tuple(2000, 4000, 72, Profile{255, 255, 251, 125}), std::tuple(0, 3000, 72, Profile{251, 167, 83}),
             std::tuple(3000, 2000, 72, Profile{255, 255, 255}), std::tuple(500, 2000, 144, Profile{255, 251, 167, 83}),
             std::tuple(0, 0, 72, Profile{}), std::tuple(3000, 8000, 0, Profile{}),
             std::tuple(0, 2500, 72, Profile{251, 167, 83}), std::tuple(0, 2499, 72, Profile{251, 125}),
             std::tuple(-999, -499, 72, Profile{}),  // just above -1 and -0.5 pixels
             std::tuple(-0.0, -0.0, 72, Profile{}), std::tuple(-1000, -2000, -72, Profile{255, 251}),
             std::tuple(200, 1000, 72, Profile{254})})
        EXPECT_EQ(CreateErosionProfile(MilliPoints(minimum), MilliPoints(preferred), resolution), profile)
            << minimum << " / " << preferred << " at " << resolution;
}

TEST(ErosionProfile, LongRampEndsInZerosAndTextUsesEveryBand) {
    const Profile profile = CreateErosionProfile(MilliPoints(0), MilliPoints(300000), 72);
    ASSERT_EQ(profile.size(), 300u);
    EXPECT_EQ(Profile(profile.end() - 3, profile.end()), (Profile{2, 1, 0}));  // k * 251 / 300
    EXPECT_EQ(ProfileToText({0, 1, 25, 26, 51, 52, 233, 234, 251, 252, 253, 254, 255}), ".00112899oMxX");
}

// The reference erosion, which the library's is compared with below, on pictures in dump characters, one word per row.
TEST(ReferenceErosion, MatchesTheRingByRingDefinition) {
    for (const auto& [name, before, profile, after] :
         std::initializer_list<std::tuple<const char*, const char*, Profile, const char*>>{
             std::tuple("SingleImpassableCell",
                        "........... ........... ........... ........... ........... ........... .....X..... "
                        "........... ........... ........... ........... ........... ...........",
                        Profile{255, 255, 251, 125},
                        "........... ........... .444444444. .499999994. .49XXXXX94. .49XXXXX94. .49XXXXX94. "
                        ".49XXXXX94. .49XXXXX94. .499999994. .444444444. ........... ..........."),
             std::tuple("SingleCrossableCell", "....... ....... ....... ...M... ....... ....... .......",
                        Profile{255, 255, 251}, "9999999 9MMMMM9 9MMMMM9 9MMMMM9 9MMMMM9 9MMMMM9 9999999"),
             std::tuple("FractionalMarginEndsIn254", "....... ....... ...X... ....... .......", Profile{255, 254},
                        ".xxxxx. .xXXXx. .xXXXx. .xXXXx. .xxxxx."),
             std::tuple("RingsCrossTheRowSeam", "..X.. ..... ..... ..... ..... ..... .....", Profile{255, 251},
                        "9XXX9 9XXX9 99999 ..... ..... 99999 9XXX9"),
             std::tuple("RingsStopAtFirstAndLastColumn", "....... ....... X.....M ....... .......", Profile{255, 251},
                        "999.999 XX9.9MM XX9.9MM XX9.9MM 999.999"),
             std::tuple("OnlyCrossableNearImpassableChanges", "MMMMMM MMMMMM XMMMMM", Profile{255, 254},
                        "XXxMMM XXxMMM XXxMMM"),
             // Ramp rings fill only free cells; entries of 0 grow no ring.
             std::tuple("RampFillsFreeCellsAndSkipsZeros", ".......... o....2....", Profile{0, 130, 0, 0, 26},
                        "55115551.. o5115251..")}) {
        Terrain terrain = ZalvoTest::FromDump(ZalvoTest::Rows(before));
        ZalvoTest::ReferenceErodeTerrain(terrain, profile);
        EXPECT_EQ(ZalvoTest::DumpLines(terrain), ZalvoTest::Rows(after)) << name;
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
        ErodeTerrain(terrain, profile);
        for (std::size_t x = 1; x < terrain.size(); ++x) {
            const std::uint8_t expected = x <= profile.size() ? profile[x - 1] : 0;
            ASSERT_EQ(terrain[x], std::vector<std::uint8_t>(2, expected)) << columns << " columns, column " << x;
        }
    }
}

// Blobs of 255 or 253, or now and then of any heights, and profiles from distances or of any entries in any order.
TEST(ErodeTerrain, MatchesTheLiteralErosionOnRandomPlates) {
    static constexpr std::uint8_t kEntries[] = {255, 255, 254, 253, 252, 251, 100, 1, 0, 0};
    for (unsigned seed = 1; seed <= 1500; ++seed) {
        std::mt19937 random(seed);
        const std::size_t columns = 1 + Below(random, 40), rows = 1 + Below(random, 40);
        Terrain fast(columns, std::vector<std::uint8_t>(rows, 0));
        const bool anyHeights = Below(random, 5) == 0;
        for (std::size_t blob = Below(random, 6); blob > 0; --blob) {
            const std::size_t x0 = Below(random, columns), y0 = Below(random, rows);
            const std::size_t width = 1 + Below(random, 4), height = 1 + Below(random, 4);
            const std::uint8_t value = Below(random, 2) ? 255 : 253;
            for (std::size_t x = x0; x < std::min(columns, x0 + width); ++x)
                for (std::size_t y = y0; y < y0 + height; ++y)
                    fast[x][y % rows] = anyHeights ? static_cast<std::uint8_t>(random()) : value;
        }
        Profile profile;
        if (Below(random, 2) == 0) {
            const double resolution =
                72.0 * static_cast<double>(1 + Below(random, 4)) / static_cast<double>(1 + Below(random, 3));
            profile = CreateErosionProfile(MilliPoints(static_cast<double>(Below(random, 6000))),
                                           MilliPoints(static_cast<double>(Below(random, 30000))), resolution);
        } else {
            profile.resize(Below(random, 12));
            for (auto& entry : profile) entry = kEntries[Below(random, std::size(kEntries))];
        }
        Terrain literal = fast;
        ErodeTerrain(fast, profile);
        ZalvoTest::ReferenceErodeTerrain(literal, profile);
        ASSERT_EQ(fast, literal) << "seed " << seed << ", profile " << ProfileToText(profile);
    }
}

}  // namespace
