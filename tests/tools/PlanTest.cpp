#include "ToolTestSupport.h"
#include "input/SamplePlate.h"
#include "output/BitmapFont.h"
#include "output/Report.h"
#include "plan/CutLine.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>

namespace ZalvoPlan {
namespace {

using ::testing::HasSubstr;
using ZalvoPlanTest::DecodedPng;
using ZalvoPlanTest::DecodeRgb;

// The sample plate is built so that its line must do what the library is for:
// cross the row seam through the valley and pass the wall only by the corridor.
struct Sample {
    PlateImage image = MakeSamplePlate();
    PlanResult result = RunPlan(image, ZalvoPlanTest::SampleParameters());
    std::string svgText = RenderSvg(image, result);
    pugi::xml_document svg = ZalvoPlanTest::ParseXml(svgText);
    DecodedPng png = DecodeRgb(RenderPng(image, result));
    std::uint32_t scale = static_cast<std::uint32_t>(DisplayScale(image.columns));
    // The PNG's colour at the centre of a plate pixel, rows wrapped.
    Colour PngAt(const Zalvo::Pixel& p) const {
        const auto row = static_cast<std::uint32_t>((p.y % image.rows + image.rows) % image.rows);
        return png.At(static_cast<std::uint32_t>(p.x) * scale + scale / 2, row * scale + scale / 2);
    }
};

class SamplePlanTest : public ::testing::Test {
protected:
    static const Sample& Get() {
        static const Sample sample;
        return sample;
    }
    const Sample& s = Get();
    const PlanResult& result = s.result;
};

TEST_F(SamplePlanTest, FindsALineFromEdgeToEdgeAcrossTheSeamAndThroughTheCorridor) {
    ASSERT_TRUE(result.HasPath());
    EXPECT_EQ(result.foundPath->front().x, 0);
    EXPECT_EQ(result.foundPath->back().x, s.image.columns - 1);
    EXPECT_FALSE(result.rooms.empty());
    EXPECT_GE(result.sparsePath.size(), 2u);
    std::set<std::int32_t> copies;  // which copy of the plate each row lies in
    for (const auto& p : *result.foundPath) copies.insert(p.y >= 0 ? p.y / s.image.rows : -1);
    EXPECT_GE(copies.size(), 2u);
    EXPECT_TRUE(std::any_of(result.foundPath->begin(), result.foundPath->end(), [&](const Zalvo::Pixel& p) {
        return Zalvo::IsCorridor(Zalvo::GetHeight(result.terrain, p));
    }));
    EXPECT_EQ(&result.Taken(), result.up.cost <= result.down.cost ? &result.up : &result.down);
    EXPECT_EQ(result.up.pixels.size(), result.foundPath->size());
    std::vector<std::string> stages;
    for (const auto& timing : result.timings) stages.push_back(timing.stage);
    EXPECT_THAT(stages, ::testing::ElementsAre("createTerrain", "findShortestPixelPath", "optimizePixelPath",
                                               "calculateWiggleRooms", "adjustRows", "sparsePath"));
    EXPECT_EQ(static_cast<int>(stages.size()), kPipelineStageCount);
}

TEST_F(SamplePlanTest, TheSvgRepeatsTheOverlayAcrossTheSeamAndDrawsTheCorridorLast) {
    EXPECT_STREQ(s.svg.select_node("//svg[@id='plate']/@viewBox").attribute().value(), "0 0 640 320");
    EXPECT_GE(s.svg.select_nodes("//use").size(), 2u);  // the overlay again a plate height away
    EXPECT_TRUE(s.svg.select_node("(//use)[last()]/following-sibling::image[@id='corridor']"));
}

TEST_F(SamplePlanTest, ThePngIsTheScaledPlateWithTheLineAndTheCorridorAboveIt) {
    ASSERT_EQ(s.png.width, 640u * s.scale);
    EXPECT_GT(s.png.height, 320u * s.scale);  // the legend lies below the plate
    EXPECT_EQ(s.PngAt(result.cutLine.front()), CutLineColour());
    int corridorCells = 0;
    for (const auto& p : result.Taken().pixels) {
        if (!Zalvo::IsCorridor(Zalvo::GetHeight(result.terrain, p))) continue;
        ++corridorCells;
        EXPECT_EQ(s.PngAt(p), ShadeColour(CellShade::Corridor));
    }
    EXPECT_GT(corridorCells, 0);
}

// rsvg ignores non-scaling strokes, so the SVG's widths are in plate units as wide as the PNG's brush.
TEST_F(SamplePlanTest, TheCutLineIsEquallyWideInTheSvgAndThePng) {
    EXPECT_THAT(s.svgText, ::testing::Not(HasSubstr("non-scaling-stroke")));
    const double scale = PictureScale(s.image.columns, s.image.rows, 0);
    const auto expected = LineWidthsAt(scale).cut;
    const auto width = s.svg.select_node("//polyline[@id='corners']/@stroke-width").attribute().as_double();
    EXPECT_DOUBLE_EQ(width * scale, static_cast<double>(expected));
    // The red run across the middle of the longest horizontal piece.
    const auto& cut = result.cutLine;
    std::size_t longest = 0;
    for (std::size_t i = 1; i < cut.size(); ++i) {
        if (cut[i].y == cut[i - 1].y && cut[i].x - cut[i - 1].x > cut[longest + 1].x - cut[longest].x) longest = i - 1;
    }
    ASSERT_EQ(cut[longest].y, cut[longest + 1].y);
    const auto x = static_cast<std::uint32_t>((cut[longest].x + cut[longest + 1].x) / 2 * scale + scale / 2);
    std::int64_t red = 0;
    for (std::uint32_t y = 0; y < s.png.height; ++y) red += s.png.At(x, y) == CutLineColour();
    EXPECT_EQ(red, expected);
}

TEST_F(SamplePlanTest, BothPicturesCarryALegendOfEveryColour) {
    ASSERT_FALSE(Legend().empty());
    const std::uint32_t plateHeight = static_cast<std::uint32_t>(s.image.rows) * s.scale;
    for (const auto& entry : Legend()) {
        const auto label = "//g[@id='legend']/rect[@fill='" + HexColour(entry.colour) + "']/following-sibling::text[1]";
        EXPECT_STREQ(s.svg.select_node(label.c_str()).node().text().get(), entry.meaning);
        EXPECT_GE(s.png.Count(entry.colour, plateHeight), 12 * 12) << entry.meaning;  // a swatch's inside
    }
    // The words are written in the content's dark grey, beyond its own swatch.
    EXPECT_GT(s.png.Count(ShadeColour(CellShade::ImpassableContent), plateHeight), 12 * 12 + 500);
}

TEST(BitmapFontTest, EveryCharacterOfTheLegendHasAGlyph) {
    for (const auto& entry : Legend()) {
        for (const char* c = entry.meaning; *c != '\0'; ++c) {
            if (*c == ' ') continue;
            const GlyphRows* glyph = FindGlyph(*c);
            ASSERT_NE(glyph, nullptr) << "'" << *c << "' in " << entry.meaning;
            EXPECT_TRUE(std::any_of(glyph->begin(), glyph->end(), [](std::uint8_t row) { return row != 0; })) << *c;
        }
    }
    EXPECT_EQ(FindGlyph('#'), nullptr);
}

TEST_F(SamplePlanTest, AMaximumSizeScalesBothPicturesDownAndTheLineSurvives) {
    const DecodedPng png = DecodeRgb(RenderPng(s.image, result, 300));
    EXPECT_EQ(png.width, 300u);
    EXPECT_GT(png.height, 150u);  // the plate, then the legend
    EXPECT_GT(png.Count(CutLineColour(), 0, 150), 300);
    const auto svg = ZalvoPlanTest::ParseXml(RenderSvg(s.image, result, 300));
    const auto plate = svg.select_node("//svg[@id='plate']").node();
    EXPECT_EQ(std::string(plate.attribute("width").value()) + "x" + plate.attribute("height").value(), "300x150");
}

TEST(PictureScaleTest, EnlargesSmallPlatesAndHonoursTheMaximum) {
    EXPECT_EQ(PictureScale(100, 50, 0), 8.0);   // at most eightfold
    EXPECT_EQ(PictureScale(600, 300, 0), 2.0);  // about 1200 across
    EXPECT_EQ(PictureScale(600, 300, 600), 1.0);
    EXPECT_EQ(PictureScale(12000, 6000, 1200), 0.1);
    EXPECT_EQ(PictureScale(100, 4000, 400), 0.1);  // the longer side decides
    EXPECT_EQ(PictureScale(600, 300, 5000), 2.0);  // never enlarged beyond the usual
    EXPECT_EQ(LineWidthsAt(0.1).dense, 3);         // a shrunk plate's line stays visible
    EXPECT_EQ(LineWidthsAt(1.0).dense, 1);
    EXPECT_EQ(LineWidthsAt(8.0).dense, 3);
    EXPECT_EQ(LineWidthsAt(8.0).cut, 4);
}

TEST(SamplePlateTest, KeepsItsFeaturesAtAnySize) {
    for (auto [columns, rows] : {std::pair{64, 32}, std::pair{640, 320}, std::pair{1000, 200}}) {
        const PlateImage image = MakeSamplePlate(columns, rows);
        const auto count = [&](PixelClass c) { return std::count(image.classes.begin(), image.classes.end(), c); };
        EXPECT_GT(count(PixelClass::Seed), 0) << columns;
        EXPECT_GT(count(PixelClass::Crossable), 0) << columns;
        EXPECT_GT(count(PixelClass::Impassable), 0) << columns;
        EXPECT_GT(count(PixelClass::Free), count(PixelClass::Impassable)) << columns;
    }
    EXPECT_THROW(MakeSamplePlate(63, 32), InputError);
}

TEST(PenaltyTest, MiddleRowsCostNothingAndEdgesCostTheWeight) {
    const Zalvo::Terrain terrain(3, std::vector<std::uint8_t>(9, 0));
    const auto middle = [&](std::int32_t y) { return PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, y}); };
    EXPECT_DOUBLE_EQ(middle(4), 0.0);
    EXPECT_DOUBLE_EQ(middle(0), 2.0 * 4 / 4.5);
    EXPECT_DOUBLE_EQ(middle(-1), middle(8));  // the optimizer's unwrapped rows are wrapped first
    EXPECT_DOUBLE_EQ(middle(13), middle(4));
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::None, 2.0, terrain, {1, 0}), 0.0);
}

TEST(PenaltyTest, SlopeFollowsTheHeight) {
    Zalvo::Terrain terrain(2, std::vector<std::uint8_t>(4, 0));
    terrain[1][3] = 251;
    terrain[1][2] = 125;
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Slope, 3.0, terrain, {1, -1}), 3.0);
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Slope, 3.0, terrain, {1, 2}), 3.0 * 125 / 251);
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Slope, 3.0, terrain, {0, 2}), 0.0);
}

TEST(ChooseCheaperTest, DownOnlyWhenStrictlyCheaper) {
    EXPECT_EQ(ChooseCheaper({{}, 1, 5.0}, {{}, 2, 5.0}), Direction::Up);
    EXPECT_EQ(ChooseCheaper({{}, 1, 5.0}, {{}, 2, 4.5}), Direction::Down);
    EXPECT_EQ(ChooseCheaper({{}, 1, 4.0}, {{}, 2, 4.5}), Direction::Up);
}

// Why no line crosses: the first columns blocked top to bottom, and whether a smaller distance would help.
struct NoPathCase {
    const char* name;
    std::vector<std::string> columns;  // per column, one character per row: # content, m margin, . free
    std::string reason;
};

class NoPathReasonTest : public ::testing::TestWithParam<NoPathCase> {};
TEST_P(NoPathReasonTest, NamesTheBlockedColumnsAndWhatToChange) {
    const auto& columns = GetParam().columns;
    PlateImage image = MakeBlankImage(static_cast<std::int64_t>(columns.size()), 3);
    Zalvo::Terrain terrain(columns.size(), std::vector<std::uint8_t>(3, Zalvo::Heights::Free));
    for (std::size_t x = 0; x < columns.size(); ++x) {
        for (std::size_t y = 0; y < 3; ++y) {
            if (columns[x][y] != '.') terrain[x][y] = Zalvo::Heights::Impassable;
            if (columns[x][y] == '#') image.classes[y * columns.size() + x] = PixelClass::Impassable;
        }
    }
    EXPECT_EQ(NoPathReason(image, terrain), GetParam().reason);
}
INSTANTIATE_TEST_SUITE_P(
    Plates, NoPathReasonTest,
    ::testing::Values(
        NoPathCase{"margin",
                   {"...", "#mm", "mm#", "..."},
                   "no line gets past columns 1\u20132: every row there is impassable content or within the minimum "
                   "distance of it; try a smaller --min-distance / min_distance"},
        NoPathCase{"content",
                   {"...", "m..", "###", "..."},
                   "no line gets past column 2: impassable content fills every row there, whatever the distances; "
                   "make a way through it with a corridor seed (red) or crossable content (grey)"},
        NoPathCase{"staircase",
                   {"#..", ".#.", "..#"},
                   "no line crosses this plate: content and its blocked margins close every way from the left edge "
                   "to the right, though no column is blocked from top to bottom; try a smaller --min-distance / "
                   "min_distance"}),
    [](const auto& plate) { return std::string(plate.param.name); });

struct CutLineCase {
    const char* name;
    std::vector<Zalvo::Pixel> sparse, corners;
};

class CutLineTest : public ::testing::TestWithParam<CutLineCase> {};
TEST_P(CutLineTest, KeepsOnlyTheCorners) { EXPECT_EQ(RemoveCollinearPoints(GetParam().sparse), GetParam().corners); }
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Paths, CutLineTest,
    ::testing::Values(
        CutLineCase{"Empty", {}, {}}, CutLineCase{"OnePoint", {{3, 4}}, {{3, 4}}},
        CutLineCase{"TwoEqualPointsStay", {{3, 4}, {3, 4}}, {{3, 4}, {3, 4}}},
        CutLineCase{"StraightRunShrinksToItsEnds", {{0, 5}, {10, 5}, {20, 5}, {30, 5}}, {{0, 5}, {30, 5}}},
        CutLineCase{"RepeatedPointsGo", {{0, 5}, {0, 5}, {10, 5}, {10, 5}}, {{0, 5}, {10, 5}}},
        CutLineCase{"StepKeepsBothCorners", {{0, 5}, {10, 5}, {10, 9}, {20, 9}}, {{0, 5}, {10, 5}, {10, 9}, {20, 9}}},
        CutLineCase{
            "TurnBackKeepsItsTurn", {{10, 0}, {10, 3}, {10, -4}, {20, -4}}, {{10, 0}, {10, 3}, {10, -4}, {20, -4}}},
        CutLineCase{"DiagonalRunShrinks", {{0, 0}, {2, 1}, {4, 2}, {5, 2}}, {{0, 0}, {4, 2}, {5, 2}}},
        CutLineCase{"NearlyStraightStays", {{0, 0}, {3, 1}, {7, 2}}, {{0, 0}, {3, 1}, {7, 2}}},
        CutLineCase{"ExtremeRowsDoNotOverflow",
                    {{0, kMin}, {1, 0}, {2, kMax}, {3, kMax}},
                    {{0, kMin}, {1, 0}, {2, kMax}, {3, kMax}}},
        CutLineCase{"ExtremeStraightRowsShrink", {{0, kMin}, {0, 0}, {0, kMax}}, {{0, kMin}, {0, kMax}}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

using OrderedJson = nlohmann::ordered_json;

TEST(RoomToJsonTest, EveryKindCarriesEveryField) {
    EXPECT_EQ(
        RoomToJson(Zalvo::HorizontalRoom{
            .minColumn = 1, .maxColumn = 9, .maxRow = 7, .minRow = -2, .firstStretch = 0, .endStretch = 3, .row = 4}),
        OrderedJson::parse(R"({"kind":"horizontal","minColumn":1,"maxColumn":9,"maxRow":7,"minRow":-2,
                                     "firstStretch":0,"endStretch":3,"row":4})"));
    EXPECT_EQ(RoomToJson(Zalvo::VerticalRoom{.minColumn = 4,
                                             .maxColumn = 6,
                                             .maxRow = 20,
                                             .minRow = 10,
                                             .firstStretch = 3,
                                             .endStretch = 5,
                                             .column = 5}),
              OrderedJson::parse(R"({"kind":"vertical","minColumn":4,"maxColumn":6,"maxRow":20,"minRow":10,
                                     "firstStretch":3,"endStretch":5,"column":5})"));
    EXPECT_EQ(RoomToJson(Zalvo::NoRoom{.pixels = {{1, 2}, {2, 3}}, .firstStretch = 5, .endStretch = 6}),
              OrderedJson::parse(R"({"kind":"none","pixels":[[1,2],[2,3]],"firstStretch":5,"endStretch":6})"));
}

TEST(FormatJsonTest, KeepsOrderAndPutsPlainArraysOnOneLine) {
    const auto value = OrderedJson::parse(R"({"status":"ok","path":[[0,-1],[1,0]],"empty":[],"nested":{"a":null,
                                              "b":"x\"y"}})");
    const std::string text = FormatJson(value);
    EXPECT_EQ(text,
              "{\n  \"status\": \"ok\",\n  \"path\": [\n    [0, -1],\n    [1, 0]\n  ],\n  \"empty\": [],\n"
              "  \"nested\": {\n    \"a\": null,\n    \"b\": \"x\\\"y\"\n  }\n}\n");
    EXPECT_EQ(OrderedJson::parse(text), value);
}

}  // namespace
}  // namespace ZalvoPlan
