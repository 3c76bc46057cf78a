#include "support/FakePlate.h"
#include "support/LogCapture.h"
#include "support/Printers.h"
#include "terrain/TerrainDump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Zalvo::MilliPoints;
using Zalvo::Pixel;
using Zalvo::Terrain;
using ZalvoTest::FakePlate;
using ZalvoTest::LogCapture;
using Call = FakePlate::Call;
using Member = FakePlate::Member;
using Lines = std::vector<std::string>;

Terrain Create(const FakePlate& plate, const std::set<Pixel>& seeds = {}, double minimum = 1000) {
    return Zalvo::CreateTerrain(plate, plate.IsImpassableFunction(), seeds, MilliPoints(minimum), MilliPoints(3000));
}

FakePlate ExamplePlate() {
    return FakePlate::FromRows(
        {".........", ".........", ".........", "....XXM..", ".........", ".........", "........."});
}

const Lines kExampleLog{"Initial terrain:", ".........", ".........", ".........", "....XXM..",
                        ".........",        ".........", ".........", "",          "Erosion profile: X94",
                        "Eroded terrain:",  ".44444444", ".49999999", ".49XXXXM9", ".49XXXXM9",
                        ".49XXXXM9",        ".49999999", ".44444444", "",          "Final terrain:",
                        ".44444444",        ".49999999", ".49XXXXM9", ".49ooooM9", ".49XXXXM9",
                        ".49999999",        ".44444444", ""};

const Lines kExampleResult(kExampleLog.end() - 8, kExampleLog.end() - 1);

TEST(CreateTerrain, ExamplePlateLogsAllThreeDumps) {
    const LogCapture log({20, 30});
    const Terrain terrain = Create(ExamplePlate(), {{4, 3}, {5, 3}});
    EXPECT_EQ(log.Lines(), kExampleLog);
    EXPECT_EQ(ZalvoTest::DumpLines(terrain), kExampleResult);
}

TEST(CreateTerrain, InitialDumpShowsContentClasses) {
    const LogCapture log({30});
    Create(FakePlate::FromRows({".X..", "..M."}));
    const Lines lines = log.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4), (Lines{"Initial terrain:", ".X..", "..M.", ""}));
}

TEST(CreateTerrain, WritesOnlyEnabledMessagesAndKeepsTheResult) {
    const std::vector<std::pair<std::vector<unsigned>, Lines>> cases{
        {{}, {}},
        {{21}, {}},
        {{20}, {"Final terrain:"}},
        {{30}, {"Initial terrain:", "Erosion profile: X94", "Eroded terrain:"}}};
    for (const auto& [levels, titles] : cases) {
        Lines written;
        Terrain terrain;
        {
            const LogCapture log({});
            for (const unsigned level : levels) Logging::EnableLevel("zalvo.zalvoting", level);
            terrain = Create(ExamplePlate(), {{4, 3}, {5, 3}});
            for (const std::string& line : log.Lines())
                if (line.find(':') != std::string::npos) written.push_back(line);
        }
        EXPECT_EQ(written, titles) << levels.size() << " levels";
        EXPECT_EQ(ZalvoTest::DumpLines(terrain), kExampleResult);
    }
}

TEST(CreateTerrain, PlateWithoutColumnsStopsAfterTheInitialDump) {
    const LogCapture log({20, 30});
    const FakePlate plate(0, 5);
    EXPECT_TRUE(Create(plate).empty());
    EXPECT_EQ(log.Lines(), (Lines{"Initial terrain:", ""}));
    EXPECT_EQ(plate.CountOf(Member::GetResolution), 0u);
}

TEST(CreateTerrain, PlateWithoutRowsLogsEmptyDumpsAndUsesNoSeed) {
    const LogCapture log({20, 30});
    EXPECT_EQ(Create(FakePlate(3, 0), {{0, -1}, {1, 0}}), Terrain(3));
    EXPECT_EQ(log.Lines(),
              (Lines{"Initial terrain:", "", "Erosion profile: X94", "Eroded terrain:", "", "Final terrain:", ""}));
}

TEST(CreateTerrain, AsksThePlateInTheDocumentedOrder) {
    const FakePlate plate = FakePlate::FromRows({".X.", "M.."});
    Create(plate);
    EXPECT_EQ(plate.Calls(), (std::vector<Call>{{Member::GetPixelRowCount, {}},
                                                {Member::GetPixelColumnCount, {}},
                                                {Member::IsPixelOccupied, {0, 0}},
                                                {Member::IsPixelOccupied, {1, 0}},
                                                {Member::IsImpassable, {1, 0}},
                                                {Member::IsPixelOccupied, {2, 0}},
                                                {Member::IsPixelOccupied, {0, 1}},
                                                {Member::IsImpassable, {0, 1}},
                                                {Member::IsPixelOccupied, {1, 1}},
                                                {Member::IsPixelOccupied, {2, 1}},
                                                {Member::GetResolution, {}}}));
}

}  // namespace
