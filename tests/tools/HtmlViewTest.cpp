#include "ToolTestSupport.h"
#include "input/SamplePlate.h"
#include "output/HtmlView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace ZalvoPlanTest {
namespace {

using ::testing::HasSubstr;

std::string FromBase64(const std::string& text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (std::size_t at = 0; at < text.size() && text[at] != '='; ++at) {
        group = group << 6 | static_cast<std::uint32_t>(kAlphabet.find(text[at]));
        if ((bits += 6) >= 8) bytes.push_back(static_cast<char>(group >> (bits -= 8)));
    }
    return bytes;
}

// A small sample, with distances of 1 and 2 pixels so that a line crosses it.
class HtmlViewTest : public ::testing::Test {
protected:
    static ZalvoPlan::PlanParameters Parameters() {
        auto parameters = SampleParameters();
        parameters.minimumDistance = 240.0;
        parameters.preferredDistance = 480.0;
        return parameters;
    }
    const ZalvoPlan::PlateImage image_ = ZalvoPlan::MakeSamplePlate(128, 64);
    const ZalvoPlan::PlanResult result_ = ZalvoPlan::RunPlan(image_, Parameters());
    const std::string html_ = ZalvoPlan::RenderHtml(image_, result_);
    const pugi::xml_document page_ = ParseHtml(html_);
};

TEST_F(HtmlViewTest, IsOneFileThatLoadsNothingFromTheNetwork) {
    EXPECT_THAT(html_, ::testing::Not(HasSubstr("http")));
    EXPECT_TRUE(page_.select_nodes("//link | //script[@src] | //*[starts-with(@src, '/')]").empty());
    // The plate travels inside it as the one image.
    ASSERT_EQ(page_.select_nodes("//img").size(), 1u);
    EXPECT_THAT(page_.select_node("//img/@src").attribute().value(), ::testing::StartsWith("data:image/png;base64,"));
}

// The page reads heights and shades from the one plate image: red the terrain height, green the shade.
TEST_F(HtmlViewTest, ThePlateImageCarriesEveryHeightAndShade) {
    const std::string source = page_.select_node("//img[@id='plate-codes']/@src").attribute().value();
    const auto png = DecodeRgb(FromBase64(source.substr(source.find(',') + 1)));
    ASSERT_EQ(png.width, 128u);
    ASSERT_EQ(png.height, 64u);
    int mismatches = 0;
    for (std::int32_t y = 0; y < image_.rows; ++y) {
        for (std::int32_t x = 0; x < image_.columns; ++x) {
            const std::uint8_t height = result_.terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            const auto shade = static_cast<std::uint8_t>(ZalvoPlan::ShadeOf(image_.At(x, y), height));
            const auto at = png.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y));
            mismatches += at.red != height || at.green != shade;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(HtmlViewTest, EveryLayerHasItsSwitchAndTheLinesTheirData) {
    for (const char* layer : {"content", "margin", "ramp", "rooms", "found", "shifted", "cut"}) {
        const auto query = std::string("//input[@type='checkbox'][@data-layer='") + layer + "'][@checked]";
        EXPECT_TRUE(page_.select_node(query.c_str())) << layer;
    }
    const Json data = Json::parse(page_.select_node("//script[@id='plan-data']").node().child_value());
    Json cut = Json::array();
    for (const auto& p : result_.cutLine) cut.push_back({p.x, p.y});
    ASSERT_GT(cut.size(), 2u);
    EXPECT_EQ(data.at("cut"), cut);
    EXPECT_EQ(page_.select_nodes("//ol[@id='corners'] | //pre[@id='readout']").size(), 2u);
}

// The view in headless Chromium.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kChromium)) {
            GTEST_SKIP() << kChromium << " is missing, so the view is not tried in a browser; "
                         << "scripts/bootstrap.sh installs Debian's chromium";
        }
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
    ASSERT_GT(png.width, 0u);
    // A three-pixel line across a plate shown at about a third of its size.
    EXPECT_GT(png.Count(ZalvoPlan::CutLineColour()), 1000);
    EXPECT_GT(png.Count(ZalvoPlan::ShadeColour(ZalvoPlan::CellShade::ImpassableContent)), 10000);
}

// The page's script ran to its end: it filled in the corner list.
TEST_F(BrowserTest, TheScriptListsEveryCornerOfTheCutLine) {
    const std::vector<std::string> options{"--sample-size",        "320x160", "--min-distance", "2px",
                                           "--preferred-distance", "4px"};
    const auto dom = ParseHtml(Browse(options, "--dump-dom"));
    const auto corners = ReadJson(out_ / "plan.json").at("cutLine").size();
    ASSERT_GT(corners, 2u);
    EXPECT_EQ(dom.select_node("//span[@id='corner-count']").node().child_value(), std::to_string(corners));
    EXPECT_EQ(dom.select_nodes("//ol[@id='corners']/li[@title='centre the view here']").size(), corners);
}

}  // namespace
}  // namespace ZalvoPlanTest
