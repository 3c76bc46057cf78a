#include "ToolTestSupport.h"
#include "XmlCheck.h"
#include "input/SamplePlate.h"
#include "output/BitmapFont.h"
#include "output/Picture.h"
#include "plan/Pipeline.h"
#include "support/Printers.h"

#include <png.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

namespace ZalvoPlan {
namespace {

using ::testing::HasSubstr;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

PlanParameters SampleParameters() {
    PlanParameters parameters;
    parameters.resolution = kSampleResolution;
    parameters.minimumDistance = 0.5 / 25.4 * 72000.0;
    parameters.preferredDistance = 1.5 / 25.4 * 72000.0;
    return parameters;
}

// The sample plate is built so that its cut line has to do the things the
// library exists for: cross the row seam through the valley and go through
// the wall only by the carved corridor.
class SamplePlanTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        image_ = new PlateImage(MakeSamplePlate());
        result_ = new PlanResult(RunPlan(*image_, SampleParameters()));
    }
    static void TearDownTestSuite() {
        delete result_;
        delete image_;
    }
    static PlateImage* image_;
    static PlanResult* result_;
};
PlateImage* SamplePlanTest::image_ = nullptr;
PlanResult* SamplePlanTest::result_ = nullptr;

TEST_F(SamplePlanTest, FindsALineFromEdgeToEdge) {
    ASSERT_TRUE(result_->HasPath());
    EXPECT_EQ(result_->foundPath->front().x, 0);
    EXPECT_EQ(result_->foundPath->back().x, image_->columns - 1);
    EXPECT_FALSE(result_->rooms.empty());
    EXPECT_GE(result_->sparsePath.size(), 2u);
}

TEST_F(SamplePlanTest, TheLineCrossesTheRowSeam) {
    std::set<std::int64_t> turns;  // which copy of the plate each pixel's row lies in
    for (const auto& p : *result_->foundPath) turns.insert(FloorDiv(p.y, image_->rows));
    EXPECT_GE(turns.size(), 2u);
}

TEST_F(SamplePlanTest, TheLineGoesThroughTheCorridor) {
    const auto& terrain = result_->terrain;
    const bool throughCorridor =
        std::any_of(result_->foundPath->begin(), result_->foundPath->end(),
                    [&](const Zalvo::Pixel& p) { return Zalvo::IsCorridor(Zalvo::GetHeight(terrain, p)); });
    EXPECT_TRUE(throughCorridor);
}

TEST_F(SamplePlanTest, TimesEveryStageInOrder) {
    std::vector<std::string> stages;
    for (const auto& timing : result_->timings) stages.push_back(timing.stage);
    EXPECT_THAT(stages, ::testing::ElementsAre("createTerrain", "findShortestPixelPath", "optimizePixelPath",
                                               "calculateWiggleRooms", "adjustRows", "sparsePath"));
    EXPECT_EQ(static_cast<int>(stages.size()), kPipelineStageCount);
}

TEST_F(SamplePlanTest, TheTakenResultIsTheCheaperShift) {
    EXPECT_EQ(&result_->Taken(), result_->up.cost <= result_->down.cost ? &result_->up : &result_->down);
    EXPECT_EQ(result_->up.pixels.size(), result_->foundPath->size());
}

TEST_F(SamplePlanTest, TheSvgIsWellFormedAndRepeatsTheOverlayAcrossTheSeam) {
    const std::string svg = RenderSvg(*image_, *result_);
    EXPECT_EQ(ZalvoPlanTest::XmlWellFormednessFault(svg), "");
    EXPECT_THAT(svg, HasSubstr("viewBox=\"0 0 640 320\""));
    // The line runs across the seam, so the overlay is drawn once more a plate height away.
    const auto uses = [&] {
        std::size_t count = 0;
        for (auto at = svg.find("<use "); at != std::string::npos; at = svg.find("<use ", at + 1)) ++count;
        return count;
    }();
    EXPECT_GE(uses, 2u);
    EXPECT_THAT(svg, HasSubstr(HexColour(ShadeColour(CellShade::Corridor))));
}

struct DecodedPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;

    Colour At(std::uint32_t x, std::uint32_t y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[at], rgb[at + 1], rgb[at + 2]};
    }
};

DecodedPng DecodeRgb(const std::vector<std::uint8_t>& bytes) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    DecodedPng decoded;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return decoded;
    png.format = PNG_FORMAT_RGB;
    decoded.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, decoded.rgb.data(), 0, nullptr)) return decoded;
    decoded.width = png.width;
    decoded.height = png.height;
    return decoded;
}

std::int32_t WrapRow(std::int32_t row, std::int32_t rows) { return ((row % rows) + rows) % rows; }

TEST_F(SamplePlanTest, ThePngDecodesToTheScaledPlateWithTheLineOnIt) {
    const DecodedPng png = DecodeRgb(RenderPng(*image_, *result_));
    const auto scale = static_cast<std::uint32_t>(DisplayScale(image_->columns));
    ASSERT_EQ(png.width, 640u * scale);
    EXPECT_GT(png.height, 320u * scale);  // the legend lies below the plate
    // The cut line's red is drawn through the centre of its first corner.
    const auto corner = result_->cutLine.front();
    const auto y = static_cast<std::uint32_t>(WrapRow(corner.y, image_->rows)) * scale + scale / 2;
    EXPECT_EQ(png.At(static_cast<std::uint32_t>(corner.x) * scale + scale / 2, y), CutLineColour());
}

TEST_F(SamplePlanTest, TheCorridorIsDrawnAboveTheLine) {
    const DecodedPng png = DecodeRgb(RenderPng(*image_, *result_));
    const auto scale = static_cast<std::uint32_t>(DisplayScale(image_->columns));
    int corridorCellsOnTheLine = 0;
    for (const auto& p : result_->Taken().pixels) {
        if (!Zalvo::IsCorridor(Zalvo::GetHeight(result_->terrain, p))) continue;
        ++corridorCellsOnTheLine;
        const auto y = static_cast<std::uint32_t>(WrapRow(p.y, image_->rows)) * scale + scale / 2;
        EXPECT_EQ(png.At(static_cast<std::uint32_t>(p.x) * scale + scale / 2, y), ShadeColour(CellShade::Corridor));
    }
    EXPECT_GT(corridorCellsOnTheLine, 0);
    const std::string svg = RenderSvg(*image_, *result_);
    const auto corridor = svg.find("<image id=\"corridor\"");
    ASSERT_NE(corridor, std::string::npos);
    EXPECT_GT(corridor, svg.rfind("<use "));
}

// rsvg ignores non-scaling strokes, so the SVG's widths are in plate units
// that come out as wide as the PNG's brush.
TEST_F(SamplePlanTest, TheCutLineIsEquallyWideInTheSvgAndThePng) {
    const std::string svg = RenderSvg(*image_, *result_);
    EXPECT_THAT(svg, ::testing::Not(HasSubstr("non-scaling-stroke")));
    const double scale = PictureScale(image_->columns, image_->rows, 0);
    const auto widthAt = svg.find("stroke-width=\"", svg.find("<polyline id=\"corners\""));
    ASSERT_NE(widthAt, std::string::npos);
    const double svgWidth = std::stod(svg.substr(widthAt + 14)) * scale;
    const auto expected = LineWidthsAt(scale).cut;
    EXPECT_DOUBLE_EQ(svgWidth, static_cast<double>(expected));

    // In the PNG: the red run across the middle of the longest horizontal piece.
    const DecodedPng png = DecodeRgb(RenderPng(*image_, *result_));
    const auto& cut = result_->cutLine;
    std::size_t longest = 0;
    for (std::size_t i = 1; i < cut.size(); ++i) {
        if (cut[i].y == cut[i - 1].y && cut[i].x - cut[i - 1].x > cut[longest + 1].x - cut[longest].x) longest = i - 1;
    }
    ASSERT_EQ(cut[longest].y, cut[longest + 1].y);
    const auto x = static_cast<std::uint32_t>((cut[longest].x + cut[longest + 1].x) / 2 * scale + scale / 2);
    std::int64_t red = 0;
    for (std::uint32_t y = 0; y < png.height; ++y) red += png.At(x, y) == CutLineColour();
    EXPECT_EQ(red, expected);
}

TEST_F(SamplePlanTest, TheSvgCarriesALegendOfEveryColour) {
    const std::string svg = RenderSvg(*image_, *result_);
    ASSERT_FALSE(Legend().empty());
    for (const auto& entry : Legend()) {
        EXPECT_THAT(svg, HasSubstr(entry.meaning));
        EXPECT_THAT(svg, HasSubstr("fill=\"" + HexColour(entry.colour) + "\""));
    }
}

TEST_F(SamplePlanTest, ThePngCarriesTheLegendBelowThePlate) {
    const DecodedPng png = DecodeRgb(RenderPng(*image_, *result_));
    const auto plateHeight = static_cast<std::uint32_t>(image_->rows * DisplayScale(image_->columns));
    ASSERT_GT(png.height, plateHeight);
    std::map<std::tuple<int, int, int>, int> counts;
    for (std::uint32_t y = plateHeight; y < png.height; ++y) {
        for (std::uint32_t x = 0; x < png.width; ++x) {
            const Colour c = png.At(x, y);
            ++counts[{c.red, c.green, c.blue}];
        }
    }
    constexpr int kSwatchInside = 12 * 12;
    for (const auto& entry : Legend()) {
        EXPECT_GE((counts[{entry.colour.red, entry.colour.green, entry.colour.blue}]), kSwatchInside) << entry.meaning;
    }
    // The words are written in the content's dark grey, beyond its own swatch.
    const Colour dark = ShadeColour(CellShade::ImpassableContent);
    EXPECT_GT((counts[{dark.red, dark.green, dark.blue}]), kSwatchInside + 500);
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

TEST_F(SamplePlanTest, AMaximumSizeScalesBothPicturesDown) {
    const DecodedPng png = DecodeRgb(RenderPng(*image_, *result_, 300));
    EXPECT_EQ(png.width, 300u);
    EXPECT_GT(png.height, 150u);  // the plate, then the legend
    EXPECT_THAT(RenderSvg(*image_, *result_, 300), HasSubstr("<svg id=\"plate\" width=\"300\" height=\"150\""));
    // The line survives the reduction.
    std::int64_t red = 0;
    for (std::uint32_t y = 0; y < 150u; ++y) {
        for (std::uint32_t x = 0; x < png.width; ++x) red += png.At(x, y) == CutLineColour();
    }
    EXPECT_GT(red, 300);
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

// ----- penalties and the choice between the two shifts -----

TEST(PenaltyTest, MiddleRowsCostNothingAndEdgesCostTheWeight) {
    const Zalvo::Terrain terrain(3, std::vector<std::uint8_t>(9, 0));
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, 4}), 0.0);
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, 0}), 2.0 * 4 / 4.5);
    // Unwrapped rows from the optimizer are wrapped onto the plate first.
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, -1}),
                     PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, 8}));
    EXPECT_DOUBLE_EQ(PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, 13}),
                     PixelPenalty(PenaltyModel::Middle, 2.0, terrain, {1, 4}));
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

// Why no line crosses: the first columns blocked from top to bottom, and
// whether a smaller distance would open them.
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
            if (columns[x][y] == '.') continue;
            terrain[x][y] = Zalvo::Heights::Impassable;
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

TEST(ChooseCheaperTest, DownOnlyWhenStrictlyCheaper) {
    EXPECT_EQ(ChooseCheaper({{}, 1, 5.0}, {{}, 2, 5.0}), Direction::Up);
    EXPECT_EQ(ChooseCheaper({{}, 1, 5.0}, {{}, 2, 4.5}), Direction::Down);
    EXPECT_EQ(ChooseCheaper({{}, 1, 4.0}, {{}, 2, 4.5}), Direction::Up);
}

TEST(XmlCheckTest, CatchesTheFaultsItExistsFor) {
    using ZalvoPlanTest::XmlWellFormednessFault;
    EXPECT_EQ(XmlWellFormednessFault("<a x=\"1\"><b/>text &amp; more</a>"), "");
    EXPECT_NE(XmlWellFormednessFault("<a><b></a></b>"), "");
    EXPECT_NE(XmlWellFormednessFault("<a x=1/>"), "");
    EXPECT_NE(XmlWellFormednessFault("<a/><b/>"), "");
    EXPECT_NE(XmlWellFormednessFault("<a>&</a>"), "");
    EXPECT_NE(XmlWellFormednessFault("<a>"), "");
}

}  // namespace
}  // namespace ZalvoPlan
