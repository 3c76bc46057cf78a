#include "ToolTestSupport.h"
#include "input/SamplePlate.h"
#include "output/HtmlView.h"
#include "output/Picture.h"

#include <png.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstring>

namespace ZalvoPlanTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

const fs::path kChromium = "/usr/bin/chromium";

std::vector<std::uint8_t> FromBase64(const std::string& text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::uint8_t> bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        group = group << 6 | static_cast<std::uint32_t>(kAlphabet.find(c));
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>(group >> bits));
        }
    }
    return bytes;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

ZalvoPlan::PlanResult PlanSample(const ZalvoPlan::PlateImage& image) {
    ZalvoPlan::PlanParameters parameters;
    parameters.resolution = ZalvoPlan::kSampleResolution;
    parameters.minimumDistance = 0.5 / 25.4 * 72000.0;
    parameters.preferredDistance = 1.5 / 25.4 * 72000.0;
    return ZalvoPlan::RunPlan(image, parameters);
}

TEST(HtmlViewTest, IsOneFileThatLoadsNothingFromTheNetwork) {
    const auto image = ZalvoPlan::MakeSamplePlate(128, 64);
    const std::string html = ZalvoPlan::RenderHtml(image, PlanSample(image));
    EXPECT_THAT(html, Not(HasSubstr("http")));
    EXPECT_THAT(html, Not(HasSubstr("<link")));
    EXPECT_THAT(html, Not(HasSubstr("src=\"/")));
    EXPECT_THAT(html, Not(HasSubstr("<script src")));
    // The plate travels inside it as one image.
    EXPECT_EQ(Occurrences(html, "src=\"data:image/png;base64,"), 1u);
    EXPECT_EQ(Occurrences(html, "<img "), 1u);
}

// The page reads the height under the cursor and the shade to draw from the
// one plate image: red is the terrain height, green the shade, pixel by pixel.
TEST(HtmlViewTest, ThePlateImageCarriesEveryHeightAndShade) {
    const auto image = ZalvoPlan::MakeSamplePlate(128, 64);
    const auto result = PlanSample(image);
    const std::string html = ZalvoPlan::RenderHtml(image, result);
    const std::string marker = "id=\"plate-codes\" hidden alt=\"\" src=\"data:image/png;base64,";
    const auto start = html.find(marker) + marker.size();
    const auto png = FromBase64(html.substr(start, html.find('"', start) - start));
    png_image decoded{};
    decoded.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&decoded, png.data(), png.size()));
    decoded.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(decoded));
    ASSERT_TRUE(png_image_finish_read(&decoded, nullptr, rgb.data(), 0, nullptr));
    ASSERT_EQ(decoded.width, 128u);
    int mismatches = 0;
    for (std::int32_t y = 0; y < image.rows; ++y) {
        for (std::int32_t x = 0; x < image.columns; ++x) {
            const auto at = 3 * (static_cast<std::size_t>(y) * 128 + static_cast<std::size_t>(x));
            const std::uint8_t height = result.terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)];
            mismatches += rgb[at] != height ||
                          rgb[at + 1] != static_cast<std::uint8_t>(ZalvoPlan::ShadeOf(image.At(x, y), height));
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(HtmlViewTest, EveryLayerHasItsSwitchAndTheLinesTheirData) {
    const auto image = ZalvoPlan::MakeSamplePlate(128, 64);
    const auto result = PlanSample(image);
    const std::string html = ZalvoPlan::RenderHtml(image, result);
    for (const char* layer : {"content", "margin", "ramp", "rooms", "found", "shifted", "cut"}) {
        EXPECT_THAT(html, HasSubstr(std::string("data-layer=\"") + layer + "\"")) << layer;
    }
    std::string cut = "\"cut\":[";
    for (std::size_t i = 0; i < result.cutLine.size(); ++i) {
        cut += (i ? ",[" : "[") + std::to_string(result.cutLine[i].x) + "," + std::to_string(result.cutLine[i].y) + "]";
    }
    EXPECT_THAT(html, HasSubstr(cut + "]"));
    EXPECT_THAT(html, HasSubstr("id=\"corners\""));
    EXPECT_THAT(html, HasSubstr("id=\"readout\""));
}

// The pixels of a PNG screenshot in exactly `colour`.
std::int64_t CountColour(const fs::path& screenshot, ZalvoPlan::Colour colour) {
    const std::string bytes = ReadText(screenshot);
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return -1;
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) return -1;
    std::int64_t count = 0;
    for (std::size_t at = 0; at + 2 < rgb.size(); at += 3) {
        count += rgb[at] == colour.red && rgb[at + 1] == colour.green && rgb[at + 2] == colour.blue;
    }
    return count;
}

// Opens the view in headless Chromium and takes a screenshot. The plate is
// shown shrunk to fit, so the line stays visible only because its width is
// in screen pixels.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kChromium)) {
            GTEST_SKIP() << kChromium.string() << " is missing, so the view is not tried in a browser; "
                         << "scripts/bootstrap.sh installs Debian's chromium";
        }
    }

    // Runs Chromium on `page` with `action` (--screenshot=... or --dump-dom);
    // returns what it wrote on stdout.
    std::string Browse(const fs::path& page, const std::string& action) {
        const fs::path profile = scratch_.Path() / "profile";
        fs::create_directories(profile);
        const fs::path output = scratch_.Path() / "chromium.out", log = scratch_.Path() / "chromium.log";
        const std::string command =
            "timeout 120 " + kChromium.string() +
            " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
            " --disable-component-update --disable-sync --user-data-dir=" +
            profile.string() + " --virtual-time-budget=2000 --window-size=1000,700 " + action + " file://" +
            page.string() + " >" + output.string() + " 2>" + log.string();
        const int status = std::system(command.c_str());
        EXPECT_EQ(status, 0) << ReadText(log);
        return ReadText(output);
    }

    ScratchDirectory scratch_;
};

TEST_F(BrowserTest, TheScreenshotShowsTheLinesOnAPlateShrunkToFit) {
    const fs::path out = scratch_.Path() / "plan";
    const auto run = RunPlanner({"--sample-size", "2400x1200", "--no-svg", "--no-png", "-q", "--out", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const fs::path shot = scratch_.Path() / "shot.png";
    Browse(out / "plan.html", "--screenshot=" + shot.string());
    ASSERT_TRUE(fs::exists(shot));
    // A three-pixel line across a plate shown at about a third of its size.
    EXPECT_GT(CountColour(shot, ZalvoPlan::CutLineColour()), 1000);
    EXPECT_GT(CountColour(shot, ZalvoPlan::ShadeColour(ZalvoPlan::CellShade::ImpassableContent)), 10000);
}

// The page's script ran to its end: it filled in the corner list.
TEST_F(BrowserTest, TheScriptListsEveryCornerOfTheCutLine) {
    const fs::path out = scratch_.Path() / "plan";
    const auto run = RunPlanner({"--sample-size", "320x160", "--no-svg", "--no-png", "-q", "--out", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto corners = nlohmann::json::parse(ReadText(out / "plan.json")).at("cutLine").size();
    const std::string dom = Browse(out / "plan.html", "--dump-dom");
    EXPECT_THAT(dom, HasSubstr("<span id=\"corner-count\">" + std::to_string(corners) + "</span>"));
    EXPECT_EQ(Occurrences(dom, "<li title=\"centre the view here\">"), corners);
}

}  // namespace
}  // namespace ZalvoPlanTest
