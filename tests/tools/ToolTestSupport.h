// Helpers for the planner's tests: scratch folders, hand-made and decoded images, parsed outputs, the command.
#pragma once

#include "input/PlateImage.h"
#include "output/Picture.h"
#include "plan/Pipeline.h"

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ZalvoPlanTest {

using Json = nlohmann::json;
namespace fs = std::filesystem;

inline const fs::path kExamples = ZALVO_EXAMPLES_DIR;
// The examples' resolution and distances, for plates planned outside their .args.
inline const std::vector<std::string> kExampleOptions{"--resolution",         "72", "--min-distance", "1pt",
                                                      "--preferred-distance", "3pt"};
inline const std::vector<std::string> kPlanFiles{"plan.json", "plan.svg", "plan.png", "plan.html"};

// A fresh empty folder, removed with everything in it at the end.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path Write(const std::string& name, const std::string& text) const;
    fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }
    static std::vector<std::string> Entries(const fs::path& directory);

private:
    fs::path path_;
};

std::string ReadText(const fs::path& path);
inline Json ReadJson(const fs::path& path) { return Json::parse(ReadText(path)); }

struct CommandResult {
    int exitCode = 0;
    std::string out, err;
};
// zalvo-plan in-process, its standard error no terminal.
CommandResult RunPlanner(const std::vector<std::string>& arguments, const std::string& standardInput = "");
// The sample plate's parameters: 0.5 mm and 1.5 mm at its resolution.
ZalvoPlan::PlanParameters SampleParameters();

// A PNG built chunk by chunk, so that a test can add chunks or make it lie.
struct PngBuilder {
    PngBuilder(std::uint32_t width_, std::uint32_t height_, std::uint8_t colourType_,
               std::vector<std::uint8_t> samples_)
        : width(width_), height(height_), colourType(colourType_), samples(std::move(samples_)) {}
    std::uint32_t width, height;
    std::uint8_t bitDepth = 8;
    std::uint8_t colourType;            // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    std::vector<std::uint8_t> palette;  // RGB triples, for colour type 3
    std::vector<std::uint8_t> samples;  // the raw rows, without filter bytes
    std::int64_t pixelsPerMetre = -1;   // a pHYs chunk in metres when >= 0
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> ancillary;  // e.g. gAMA, tRNS
    std::uint32_t declaredWidth = 0, declaredHeight = 0;                       // what the header claims, when not 0
    std::vector<std::uint8_t> Build() const;
};

// A PNG as libpng's simplified reader gives it: 8-bit RGB, laid over
// `background` when given. Empty when libpng refuses it.
struct DecodedPng {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    ZalvoPlan::Colour At(std::uint32_t x, std::uint32_t y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[at], rgb[at + 1], rgb[at + 2]};
    }
    std::int64_t Count(ZalvoPlan::Colour colour, std::uint32_t firstRow = 0, std::uint32_t endRow = ~0u) const;
};
DecodedPng DecodeRgb(const std::string& bytes, const ZalvoPlan::Colour* background = nullptr);
inline DecodedPng DecodeRgb(const std::vector<std::uint8_t>& bytes) {
    return DecodeRgb(std::string(bytes.begin(), bytes.end()));
}

// A document that must be well-formed XML (the test fails otherwise).
pugi::xml_document ParseXml(const std::string& text);
// The planner's page, or a browser's dump of it, as XML: void elements closed, bare attributes given "",
// scripts and styles as CDATA.
pugi::xml_document ParseHtml(const std::string& html);

}  // namespace ZalvoPlanTest
