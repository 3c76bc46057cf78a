#include "CommandLine.h"
#include "Report.h"
#include "ToolTestSupport.h"
#include "XmlCheck.h"

#include <Logging/Logging.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace ZalvoPlanTest {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using Json = nlohmann::json;

const std::filesystem::path kExamples = ZALVO_EXAMPLES_DIR;

std::vector<std::string> ReadArguments(const std::filesystem::path& path) {
    std::vector<std::string> arguments;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty()) arguments.push_back(line);
    }
    return arguments;
}

Json WithoutTimings(Json report) {
    report.erase("timings");
    return report;
}

// ----- golden runs -----

class ExamplePlateTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ExamplePlateTest, MatchesTheExpectedReport) {
    const std::string name = GetParam();
    const auto image = std::filesystem::directory_iterator(kExamples);
    std::filesystem::path input;
    for (const auto& entry : image) {
        const auto file = entry.path().filename().string();
        if (entry.path().stem() == name && file.find(".args") == std::string::npos &&
            file.find(".json") == std::string::npos) {
            input = entry.path();
        }
    }
    ASSERT_FALSE(input.empty()) << "no image for example " << name;
    ScratchDirectory scratch;
    auto arguments = ReadArguments(kExamples / (name + ".args"));
    arguments.insert(arguments.end(), {input.string(), "--quiet", "--out", scratch.Path().string()});
    const auto run = RunPlanner(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const Json report = Json::parse(ReadText(scratch.Path() / "plan.json"));
    EXPECT_TRUE(report.at("timings").contains("findShortestPixelPath"));
    const auto expectedPath = kExamples / (name + ".expected.json");
    if (std::getenv("ZALVO_UPDATE_GOLDEN") != nullptr) {
        auto ordered = nlohmann::ordered_json::parse(ReadText(scratch.Path() / "plan.json"));
        ordered.erase("timings");
        std::ofstream(expectedPath) << ZalvoPlan::FormatJson(ordered);
    }
    const Json expected = Json::parse(ReadText(expectedPath));
    EXPECT_EQ(WithoutTimings(report), WithoutTimings(expected)) << "differs from " << expectedPath;
    EXPECT_EQ(XmlWellFormednessFault(ReadText(scratch.Path() / "plan.svg")), "");
}

INSTANTIATE_TEST_SUITE_P(Examples, ExamplePlateTest, ::testing::Values("blobs", "text", "closed"));

TEST(ExamplePlateTest, AClosedPlateIsANormalNoPathResult) {
    ScratchDirectory scratch;
    auto arguments = ReadArguments(kExamples / "closed.args");
    arguments.insert(arguments.end(), {(kExamples / "closed.pbm").string(), "--out", scratch.Path().string()});
    const auto run = RunPlanner(arguments);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("no-path"));
    const Json report = Json::parse(ReadText(scratch.Path() / "plan.json"));
    EXPECT_EQ(report.at("status"), "no-path");
    EXPECT_TRUE(report.at("foundPath").is_null());
    EXPECT_THAT(report.at("rooms"), IsEmpty());
    EXPECT_THAT(ScratchDirectory::Entries(scratch.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
}

// ----- the sample and the outputs -----

TEST(SampleRunTest, WritesAllThreeFilesAndSaysWhere) {
    ScratchDirectory scratch;
    const auto out = scratch.Path() / "nested" / "plan";
    const auto run = RunPlanner({"--out", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress when stderr is not a terminal
    for (const char* file : {"plan.json", "plan.svg", "plan.png"}) {
        EXPECT_THAT(run.out, HasSubstr((out / file).string()));
    }
    EXPECT_THAT(ScratchDirectory::Entries(out), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
    const Json report = Json::parse(ReadText(out / "plan.json"));
    EXPECT_EQ(report.at("status"), "ok");
    EXPECT_EQ(report.at("plate").at("source"), "sample");
    EXPECT_EQ(report.at("plate").at("resolution"), 300.0);
    EXPECT_FALSE(report.at("sparsePath").empty());
}

TEST(SampleRunTest, NoPngAndQuiet) {
    ScratchDirectory scratch;
    const auto run = RunPlanner({"--no-png", "--quiet", "--sample-size", "128x64", "--out", scratch.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(ScratchDirectory::Entries(scratch.Path()), UnorderedElementsAre("plan.json", "plan.svg"));
}

TEST(SampleRunTest, LogLevelsReachTheLibraryForTheRunOnly) {
    ScratchDirectory scratch;
    std::ostringstream captured;
    auto* previous = std::clog.rdbuf(captured.rdbuf());
    const auto run = RunPlanner({"--log-level", "20", "--quiet", "--sample-size", "64x32", "--out", scratch.Path().string()});
    std::clog.rdbuf(previous);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(captured.str(), HasSubstr("Final terrain:"));
    EXPECT_THAT(captured.str(), ::testing::Not(HasSubstr("Initial terrain:")));  // level 30 stays off
    EXPECT_FALSE(Logging::HasLevel("zalvo.zalvoting", 20));
}

TEST(HelpTest, ExplainsEveryOptionAndTheColours) {
    const auto run = RunPlanner({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* text : {"--min-distance", "--preferred-distance", "--penalty", "--shift-penalty", "--clearance",
                             "--transition-half-width", "--minimum-band", "--sufficient-band", "--split-column",
                             "--row-policy", "--existing-clearance", "--wanted-clearance", "--corner-radius",
                             "--minimum-width", "--line-width", "--log-level", "--resolution", "--out", "--png",
                             "--quiet", "Colours:", "Exit codes:", "mm, cm, in"}) {
        EXPECT_THAT(run.out, HasSubstr(text));
    }
}

// ----- bad input: one line naming the problem, nothing written -----

struct BadInput {
    std::vector<std::string> arguments;
    std::string problem;
    int exitCode = ZalvoPlan::kExitBadInput;
};

void PrintTo(const BadInput& input, std::ostream* out) {
    for (const auto& argument : input.arguments) *out << argument << ' ';
}

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, FailsWithOneLineAndWritesNothing) {
    ScratchDirectory scratch;
    scratch.Write("truncated.png", PngBuilder(40, 40, 0, std::vector<std::uint8_t>(1600, 9)).Build());
    auto truncated = ReadText(scratch.Path() / "truncated.png");
    scratch.Write("truncated.png", truncated.substr(0, truncated.size() - 30));
    scratch.Write("garbage.png", std::string("\x89PNG\r\n\x1a\nthis is not a PNG at all"));
    scratch.Write("picture.gif", std::string("GIF89a"));
    PngBuilder absurd(8, 8, 0, std::vector<std::uint8_t>(64, 255));
    absurd.pixelsPerMetre = 1;  // 0.0254 pixels per inch
    scratch.Write("absurd.png", absurd.Build());

    auto arguments = GetParam().arguments;
    for (auto& argument : arguments) {
        if (argument.starts_with("@")) argument = (scratch.Path() / argument.substr(1)).string();
    }
    const auto out = scratch.Path() / "out";
    arguments.insert(arguments.end(), {"--out", out.string()});
    const auto run = RunPlanner(arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_THAT(run.err, ::testing::StartsWith("zalvo-plan: error: "));
    EXPECT_THAT(run.err, HasSubstr(GetParam().problem));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputTest, ::testing::Values(
    BadInput{{"@missing.png"}, "cannot open the file"},
    BadInput{{"@truncated.png"}, "corrupt PNG image"},
    BadInput{{"@garbage.png"}, "corrupt PNG image"},
    BadInput{{"@picture.gif"}, "unsupported image format"},
    BadInput{{"--resolution", "0"}, "--resolution"},
    BadInput{{"--resolution", "-72"}, "--resolution"},
    BadInput{{"@absurd.png"}, "give the resolution with --resolution"},
    BadInput{{"--min-distance", "2"}, "has no unit"},
    BadInput{{"--preferred-distance", "3furlongs"}, "unknown unit 'furlongs'"},
    BadInput{{"--min-distance", "-1mm"}, "finite length of 0 or more"},
    BadInput{{"--preferred-distance", "1m"}, "unknown unit 'm'"},
    BadInput{{"--preferred-distance", "1in", "--sample-size", "64x32"}, "more than the plate's width and height"},
    BadInput{{"--split-column", "640"}, "beyond the plate's last column 639"},
    BadInput{{"--split-column", "-1"}, "--split-column"},
    BadInput{{"--sample-size", "16x16"}, "below the smallest sample"},
    BadInput{{"--sample-size", "64x32", "@picture.gif"}, "applies only to the built-in sample"},
    BadInput{{"--penalty", "steep"}, "--penalty"},
    BadInput{{"--row-policy", "zigzag"}, "--row-policy"},
    BadInput{{"--shift-penalty", "nan"}, "--shift-penalty"},
    BadInput{{"--clearance", "-1"}, "--clearance"},
    BadInput{{"--log-level", "25"}, "--log-level"},
    BadInput{{"--frobnicate"}, "--frobnicate"}));

TEST(OutputFailureTest, AnOutputPathThatIsAFileFailsWithCodeThree) {
    ScratchDirectory scratch;
    const auto file = scratch.Write("occupied", std::string("keep me"));
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", file.string()});
    EXPECT_EQ(run.exitCode, ZalvoPlan::kExitOutputFailed);
    EXPECT_THAT(run.err, HasSubstr("cannot create the output directory"));
    EXPECT_EQ(ReadText(file), "keep me");
}

TEST(OutputFailureTest, AFailedRenameLeavesNoTemporaryFiles) {
    ScratchDirectory scratch;
    std::filesystem::create_directories(scratch.Path() / "plan.png" / "occupied");
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", scratch.Path().string()});
    EXPECT_EQ(run.exitCode, ZalvoPlan::kExitOutputFailed);
    EXPECT_THAT(run.err, HasSubstr("plan.png"));
    for (const auto& name : ScratchDirectory::Entries(scratch.Path())) {
        EXPECT_THAT(name, ::testing::Not(HasSubstr(".tmp-")));
    }
}

}  // namespace
}  // namespace ZalvoPlanTest
