// Helpers for the planner's tests: scratch folders, hand-made and decoded images, parsed outputs, the command.
#pragma once

#include "input/SamplePlate.h"
#include "output/Picture.h"
#include "plan/Pipeline.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

namespace ZalvoPlanTest {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;
using Json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

inline const fs::path kExamples = ZALVO_EXAMPLES_DIR;
// The examples' resolution and distances, for plates planned outside their .args.
inline const std::vector<std::string> kExampleOptions{"--resolution",         "72", "--min-distance", "1pt",
                                                      "--preferred-distance", "3pt"};
inline const std::vector<std::string> kPlanFiles{"plan.json", "plan.svg", "plan.png", "plan.html"};

// A fresh empty folder, removed with everything in it at the end.
struct ScratchDirectory {
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    const fs::path& Path() const { return path; }
    fs::path Write(const std::string& name, const std::string& text) const;
    fs::path Write(const std::string& name, const Bytes& bytes) const {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }
    fs::path path;
};

std::vector<std::string> Entries(const fs::path& folder);
std::string ReadText(const fs::path& path);
inline Json ReadJson(const fs::path& path) { return Json::parse(ReadText(path)); }
// A plan's report without its timings, which differ from run to run.
Json ReadReport(const fs::path& path);
struct CommandResult {
    int exitCode = 0;
    std::string out, err;
};
// zalvo-plan in-process, its standard error no terminal.
CommandResult RunPlanner(const std::vector<std::string>& arguments, const std::string& standardInput = "");
// The sample plate's parameters: its resolution, by default distances of 0.5 mm and 1.5 mm (in millipoints).
ZalvoPlan::PlanParameters SampleParameters(double minimum = 0.5 / 25.4 * 72000.0,
                                           double preferred = 1.5 / 25.4 * 72000.0);
// The built-in sample planned once with them: its line crosses the row seam and the wall by the corridor.
struct SamplePlan {
    ZalvoPlan::PlateImage image;
    ZalvoPlan::PlanResult result;
};
const SamplePlan& TheSamplePlan();

// A PNG built chunk by chunk, so that a test can add chunks or make it lie.
struct PngBuilder {
    PngBuilder(std::uint32_t width_, std::uint32_t height_, std::uint8_t colourType_, Bytes samples_)
        : width(width_), height(height_), colourType(colourType_), samples(std::move(samples_)) {}
    std::uint32_t width, height;
    std::uint8_t bitDepth = 8;
    std::uint8_t colourType;                               // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    Bytes palette;                                         // RGB triples, for colour type 3
    Bytes samples;                                         // the raw rows, without filter bytes
    std::int64_t pixelsPerMetre = -1;                      // a pHYs chunk when >= 0,
    std::uint8_t physicalUnit = 1;                         // its unit the metre (1) or none (0)
    std::vector<std::pair<std::string, Bytes>> ancillary;  // e.g. gAMA, tRNS
    std::uint32_t declaredWidth = 0, declaredHeight = 0;   // what the header claims, when not 0
    Bytes Build() const;
};

// A PNG as libpng's simplified reader gives it: 8-bit RGB, over `background` when given; empty when refused.
struct DecodedPng {
    std::uint32_t width = 0, height = 0;
    Bytes rgb;
    ZalvoPlan::Colour At(std::uint32_t x, std::uint32_t y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[at], rgb[at + 1], rgb[at + 2]};
    }
    std::int64_t Count(ZalvoPlan::Colour colour, std::uint32_t firstRow = 0, std::uint32_t endRow = ~0u) const;
};
DecodedPng DecodeRgb(const std::string& bytes, const ZalvoPlan::Colour* background = nullptr);
inline DecodedPng DecodeRgb(const Bytes& bytes) { return DecodeRgb(std::string(bytes.begin(), bytes.end())); }

// A document that must be well-formed XML (the test fails otherwise).
pugi::xml_document ParseXml(const std::string& text);
// The planner's page, or a browser's dump of it, as XML: void elements closed, bare attributes given "",
// scripts and styles as CDATA.
pugi::xml_document ParseHtml(const std::string& html);

}  // namespace ZalvoPlanTest
