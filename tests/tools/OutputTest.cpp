#include "ToolTestSupport.h"
#include "output/BitmapFont.h"
#include "output/HtmlView.h"
#include "output/OutputFiles.h"
#include "output/Raster.h"
#include "output/Report.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace ZalvoPlan {
namespace {

using namespace ZalvoPlanTest;

struct Pictures {
    const PlateImage& image = TheSamplePlan().image;
    const PlanResult& result = TheSamplePlan().result;
    std::string svgText = RenderSvg(image, result);
    pugi::xml_document svg = ParseXml(svgText);
    DecodedPng png = DecodeRgb(RenderPng(image, result));
    std::uint32_t scale = static_cast<std::uint32_t>(DisplayScale(image.columns));
    // The PNG's colour at the centre of a plate pixel, rows wrapped.
    Colour PngAt(const Zalvo::Pixel& p) const {
        const auto row = static_cast<std::uint32_t>((p.y % image.rows + image.rows) % image.rows);
        return png.At(static_cast<std::uint32_t>(p.x) * scale + scale / 2, row * scale + scale / 2);
    }
};
const Pictures& ThePictures() {
    static const Pictures pictures;
    return pictures;
}
TEST(SamplePlanTest, TheSvgRepeatsTheOverlayAcrossTheSeamAndDrawsTheCorridorLast) {
    const auto& svg = ThePictures().svg;
    EXPECT_STREQ(svg.select_node("//svg[@id='plate']/@viewBox").attribute().value(), "0 0 640 320");
    EXPECT_GE(svg.select_nodes("//use").size(), 2u);  // the overlay again a plate height away
    EXPECT_TRUE(svg.select_node("(//use)[last()]/following-sibling::image[@id='corridor']"));
}
TEST(SamplePlanTest, ThePngIsTheScaledPlateWithTheLineAndTheCorridorAboveIt) {
    const auto& s = ThePictures();
    ASSERT_EQ(s.png.width, 640u * s.scale);
    EXPECT_GT(s.png.height, 320u * s.scale);  // the legend lies below the plate
    EXPECT_EQ(s.PngAt(s.result.cutLine.front()), CutLineColour());
    int corridorCells = 0;
    for (const auto& p : s.result.Taken().pixels) {
        if (!Zalvo::IsCorridor(Zalvo::GetHeight(s.result.terrain, p))) continue;
        ++corridorCells;
        EXPECT_EQ(s.PngAt(p), ShadeColour(CellShade::Corridor));
    }
    EXPECT_GT(corridorCells, 0);
}

// rsvg ignores non-scaling strokes, so the SVG's widths are in plate units as wide as the PNG's brush.
TEST(SamplePlanTest, TheCutLineIsEquallyWideInTheSvgAndThePng) {
    const auto& s = ThePictures();
    EXPECT_THAT(s.svgText, ::testing::Not(HasSubstr("non-scaling-stroke")));
    const double scale = PictureScale(s.image.columns, s.image.rows, 0);
    const auto expected = LineWidthsAt(scale).cut;
    const auto width = s.svg.select_node("//polyline[@id='corners']/@stroke-width").attribute().as_double();
    EXPECT_DOUBLE_EQ(width * scale, static_cast<double>(expected));
    // The red run across the middle of the longest horizontal piece.
    const auto& cut = s.result.cutLine;
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
TEST(SamplePlanTest, BothPicturesCarryALegendOfEveryColourInWordsOfTheBitmapFont) {
    const auto& s = ThePictures();
    const std::uint32_t plateHeight = static_cast<std::uint32_t>(s.image.rows) * s.scale;
    for (std::size_t i = 0; i < Legend().size(); ++i) {
        const auto& entry = Legend()[i];
        const auto query = "//g[@id='legend']/rect[@fill='" + HexColour(entry.colour) + "']";
        const auto svgSwatch = s.svg.select_node(query.c_str()).node(), label = svgSwatch.next_sibling("text");
        EXPECT_STREQ(label.text().get(), entry.meaning);
        const double top = svgSwatch.attribute("y").as_double(), baseline = label.attribute("y").as_double();
        EXPECT_TRUE(baseline > top && baseline <= top + kSwatchSize) << entry.meaning;  // beside the swatch
        const auto [x, y] = LegendEntryAt(i, s.png.width);
        std::vector<Colour> diagonal;  // the swatch's inside from its first pixel to its last, then its frame
        for (const auto d : {std::int64_t{1}, kSwatchSize - 2, kSwatchSize - 1})
            diagonal.push_back(
                s.png.At(static_cast<std::uint32_t>(x + d), static_cast<std::uint32_t>(plateHeight + y + d)));
        EXPECT_THAT(diagonal, ElementsAre(entry.colour, entry.colour, ShadeColour(CellShade::CrossableContent)));
    }
    // The words are written in the content's dark grey, beyond its own swatch, each letter in a glyph.
    EXPECT_GT(s.png.Count(ShadeColour(CellShade::ImpassableContent), plateHeight), 12 * 12 + 500);
    for (const auto& entry : Legend()) {
        for (const char* c = entry.meaning; *c != '\0'; ++c) {
            const GlyphRows* glyph = FindGlyph(*c);
            ASSERT_TRUE(*c == ' ' || glyph) << "'" << *c << "' in " << entry.meaning;
            EXPECT_TRUE(*c == ' ' || std::any_of(glyph->begin(), glyph->end(), [](auto row) { return row != 0; }));
        }
    }
    EXPECT_EQ(FindGlyph('#'), nullptr);
}
TEST(SamplePlanTest, AMaximumSizeScalesBothPicturesDownAndTheLineSurvives) {
    const auto& [image, result] = TheSamplePlan();
    const DecodedPng png = DecodeRgb(RenderPng(image, result, 300));
    EXPECT_EQ(png.width, 300u);
    EXPECT_GT(png.height, 150u);  // the plate, then the legend
    EXPECT_GT(png.Count(CutLineColour(), 0, 150), 300);
    const pugi::xml_document svg = ParseXml(RenderSvg(image, result, 300));  // kept: its nodes live in it
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
std::string FromBase64(const std::string& text) {
    static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    for (std::size_t at = 0, group = 0, bits = 0; at < text.size() && text[at] != '='; ++at) {
        group = group << 6 | kDigits.find(text[at]);
        if ((bits += 6) >= 8) bytes.push_back(static_cast<char>(group >> (bits -= 8)));
    }
    return bytes;
}

// The view of a small sample, with distances of 1 and 2 pixels so that a line crosses it.
class HtmlViewTest : public ::testing::Test {
protected:
    const PlateImage image_ = MakeSamplePlate(128, 64);
    const PlanResult result_ = RunPlan(image_, SampleParameters(240.0, 480.0));
    const std::string html_ = RenderHtml(image_, result_);
    const pugi::xml_document page_ = ParseHtml(html_);
};

// The page reads heights and shades from the one plate image: red the terrain height, green the shade.
TEST_F(HtmlViewTest, ThePlateImageCarriesEveryHeightAndShade) {
    const std::string source = page_.select_node("//img[@id='plate-codes']/@src").attribute().value();
    const auto png = DecodeRgb(FromBase64(source.substr(source.find(',') + 1)));
    ASSERT_EQ(std::pair(png.width, png.height), std::pair(128u, 64u));
    int mismatches = 0;
    for (std::int32_t y = 0; y < image_.rows; ++y) {
        for (std::int32_t x = 0; x < image_.columns; ++x) {
            const std::uint8_t height = result_.terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            const auto shade = static_cast<std::uint8_t>(ShadeOf(image_.At(x, y), height));
            const auto at = png.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
            mismatches += at.red != height || at.green != shade;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
TEST_F(HtmlViewTest, IsOneFileThatLoadsNothingWithASwitchForEveryLayerAndTheLinesData) {
    EXPECT_THAT(html_, ::testing::Not(HasSubstr("http")));
    EXPECT_TRUE(page_.select_nodes("//link | //script[@src] | //*[starts-with(@src, '/')]").empty());
    ASSERT_EQ(page_.select_nodes("//img").size(), 1u);  // the plate, inside the page
    EXPECT_THAT(page_.select_node("//img/@src").attribute().value(), ::testing::StartsWith("data:image/png;base64,"));
    for (const char* layer : {"content", "margin", "ramp", "rooms", "found", "shifted", "cut"}) {
        const auto query = std::string("//input[@type='checkbox'][@data-layer='") + layer + "'][@checked]";
        EXPECT_TRUE(page_.select_node(query.c_str())) << layer;
    }
    const Json data = Json::parse(page_.select_node("//script[@id='plan-data']").node().child_value());
    Json cut = Json::array();
    for (const auto& p : result_.cutLine) cut.push_back({p.x, p.y});
    ASSERT_GT(cut.size(), 2u);
    EXPECT_EQ(data.at("cut"), cut);
    // Each shade's switch: the colour, then the layer it belongs to (paper to none).
    const auto layerOf = [&](CellShade shade) { return data.at("shades").at(static_cast<std::size_t>(shade)).at(1); };
    EXPECT_EQ(Json({layerOf(CellShade::CrossableMargin), layerOf(CellShade::BlockedMargin), layerOf(CellShade::Ramp9),
                    layerOf(CellShade::Corridor), layerOf(CellShade::Free)}),
              Json({"margin", "margin", "ramp", "content", nullptr}));
}
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kChromium)) GTEST_SKIP() << kChromium << " is missing; scripts/bootstrap.sh installs it";
    }
    // Plans a sample, opens its page with `action` (--screenshot=... or --dump-dom) and returns Chromium's stdout.
    std::string Browse(std::vector<std::string> options, const std::string& action) {
        options.insert(options.end(), {"--no-svg", "--no-png", "-q", "--out", out_.string()});
        EXPECT_EQ(RunPlanner(options).exitCode, 0);
        const fs::path output = scratch_.Path() / "chromium.out", log = scratch_.Path() / "chromium.log";
        const std::string command =
            "timeout 120 " + kChromium.string() +
            " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
            " --disable-component-update --disable-sync --user-data-dir=" +
            (scratch_.Path() / "profile").string() + " --virtual-time-budget=2000 --window-size=1000,700 " + action +
            " file://" + (out_ / "plan.html").string() + " >" + output.string() + " 2>" + log.string();
        EXPECT_EQ(std::system(command.c_str()), 0) << ReadText(log);
        return ReadText(output);
    }
    const fs::path kChromium = "/usr/bin/chromium";
    ScratchDirectory scratch_;
    const fs::path out_ = scratch_.Path() / "plan";
};

// The plate is shrunk to fit, so the line stays visible only because its width is in screen pixels.
TEST_F(BrowserTest, TheScreenshotShowsTheLinesOnAPlateShrunkToFit) {
    const fs::path shot = scratch_.Path() / "shot.png";
    Browse({"--sample-size", "2400x1200"}, "--screenshot=" + shot.string());
    const auto png = DecodeRgb(ReadText(shot));
    EXPECT_GT(png.Count(CutLineColour()), 1000);  // a three-pixel line across a plate shown at a third of its size
    EXPECT_GT(png.Count(ShadeColour(CellShade::ImpassableContent)), 10000);
}

// The page's script ran to its end: it filled in the corner list.
TEST_F(BrowserTest, TheScriptListsEveryCornerOfTheCutLine) {
    const auto dom = ParseHtml(
        Browse({"--sample-size", "320x160", "--min-distance", "2px", "--preferred-distance", "4px"}, "--dump-dom"));
    const auto corners = ReadJson(out_ / "plan.json").at("cutLine").size();
    ASSERT_GT(corners, 2u);
    EXPECT_EQ(dom.select_node("//span[@id='corner-count']").node().child_value(), std::to_string(corners));
    EXPECT_EQ(dom.select_nodes("//ol[@id='corners']/li[@title='centre the view here']").size(), corners);
}
class OutputFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"plan.json", "plan.svg", "plan.png"}) scratch_.Write(name, std::string("old ") + name);
    }
    void ExpectEarlierOutputs(const std::vector<std::string>& names) const {
        for (const auto& name : names) EXPECT_EQ(ReadText(scratch_.Path() / name), "old " + name) << name;
    }
    void ExpectOnlyOutputs() const {
        EXPECT_THAT(Entries(scratch_.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
    }
    const std::vector<OutputFile> new_{{"plan.json", "new json"}, {"plan.svg", "new svg"}, {"plan.png", "new png"}};
    ScratchDirectory scratch_;
};

// Too long a name fails while staging, a folder where an output belongs or a file as the folder before any move.
TEST_F(OutputFilesTest, AFailedWriteLeavesTheEarlierOutputsAsTheyWere) {
    auto outputs = new_;
    outputs.push_back({std::string(300, 'x') + ".html", "new html"});
    EXPECT_THROW(WriteOutputFiles(scratch_.Path(), outputs), OutputError);
    ExpectEarlierOutputs({"plan.json", "plan.svg", "plan.png"});
    ExpectOnlyOutputs();
    fs::remove(scratch_.Path() / "plan.svg");
    fs::create_directories(scratch_.Path() / "plan.svg" / "keep");
    EXPECT_THAT([&] { WriteOutputFiles(scratch_.Path(), new_); }, ThrowsMessage<OutputError>(HasSubstr("plan.svg")));
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", scratch_.Path().string()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_THAT(run.err, HasSubstr("plan.svg"));
    EXPECT_TRUE(fs::is_directory(scratch_.Path() / "plan.svg" / "keep"));
    ExpectEarlierOutputs({"plan.json", "plan.png"});
    ExpectOnlyOutputs();
    EXPECT_THAT([&] { WriteOutputFiles(scratch_.Path() / "plan.json", new_); },
                ThrowsMessage<OutputError>(HasSubstr("cannot create the output directory")));
    ExpectEarlierOutputs({"plan.json"});
}
TEST_F(OutputFilesTest, AFolderSharedWithOtherFilesKeepsThemAndGetsOnlyTheNewOutputs) {
    scratch_.Write("notes.txt", "mine");
    WriteOutputFiles(scratch_.Path(), {{"plan.json", "new json"}});
    EXPECT_EQ(ReadText(scratch_.Path() / "notes.txt"), "mine");
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
    ExpectEarlierOutputs({"plan.svg", "plan.png"});
}

// The working folder is never traded away under the process, even when it holds nothing but outputs.
TEST_F(OutputFilesTest, TheWorkingFolderStaysWhereItIs) {
    const auto before = fs::current_path();
    fs::current_path(scratch_.Path());
    WriteOutputFiles(".", new_);
    const bool stillHere = fs::exists(fs::current_path());
    fs::current_path(before);
    EXPECT_TRUE(stillHere);
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
}

// A write killed after any one change to the file system leaves the whole earlier set (for a first run:
// nothing) or the whole new set, and a finished one no staging folder: the hook ends a child at each step.
class KilledRunTest : public ::testing::TestWithParam<bool> {
protected:
    static inline int killAtStep = 0, stepsTaken = 0;
    // The child's exit code: 0 when killed at `step`, 3 when through every step.
    static int RunKilledAt(int step, const fs::path& folder) {
        const pid_t child = fork();
        if (child == 0) {
            killAtStep = step;
            SetFileSystemStepHook([](const char*) {
                if (++stepsTaken == killAtStep) _exit(0);
            });
            WriteOutputFiles(folder, {{"plan.json", "new"}, {"plan.svg", "new"}, {"plan.png", "new"}});
            _exit(3);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};
TEST_P(KilledRunTest, LeavesTheOldSetOrTheNewSetNeverAMix) {
    ScratchDirectory scratch;
    const fs::path folder = scratch.Path() / "plate";
    std::vector<std::string> oldSet, newSet{"plan.json:new", "plan.png:new", "plan.svg:new"};
    if (GetParam()) oldSet = {"plan.html:old", "plan.json:old", "plan.png:old", "plan.svg:old"};
    int step = 1;
    for (;; ++step) {
        for (const auto& name : Entries(scratch.Path())) fs::remove_all(scratch.Path() / name);
        if (GetParam()) fs::create_directories(folder);
        for (const auto& entry : oldSet) scratch.Write("plate/" + entry.substr(0, entry.find(':')), "old");
        const int exitCode = RunKilledAt(step, folder);
        ASSERT_TRUE(exitCode == 0 || exitCode == 3) << "step " << step << ": exit " << exitCode;
        std::vector<std::string> found;
        for (const auto& name : Entries(folder)) found.push_back(name + ":" + ReadText(folder / name));
        std::sort(found.begin(), found.end());
        EXPECT_TRUE(found == oldSet || found == newSet) << "step " << step << ": " << ::testing::PrintToString(found);
        for (const auto& name : Entries(scratch.Path())) {
            EXPECT_TRUE(name == "plate" || (exitCode == 0 && name.starts_with(kStagingPrefix))) << name;
        }
        if (exitCode == 3) break;
    }
    EXPECT_GE(step, 6);  // staging folder, three files, the trade, the clean-up
}
INSTANTIATE_TEST_SUITE_P(EarlierRun, KilledRunTest, ::testing::Bool());

}  // namespace
}  // namespace ZalvoPlan
