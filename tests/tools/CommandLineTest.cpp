#include "ToolTestSupport.h"
#include "output/Report.h"
#include "plan/Options.h"
#include "run/PlateJob.h"

#include <Logging/Logging.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace ZalvoPlan {
namespace {

using namespace ZalvoPlanTest;

class ExamplePlateTest : public ::testing::TestWithParam<std::string> {};
TEST_P(ExamplePlateTest, MatchesTheExpectedReport) {
    const fs::path input = kExamples / GetParam();
    std::vector<std::string> arguments;
    std::ifstream args(kExamples / input.stem().concat(".args"));
    for (std::string line; std::getline(args, line);) arguments.push_back(line);
    ScratchDirectory scratch;
    arguments.insert(arguments.end(), {input.string(), "--quiet", "--out", scratch.Path().string()});
    ASSERT_EQ(RunPlanner(arguments).exitCode, 0);
    EXPECT_TRUE(ReadJson(scratch.Path() / "plan.json").at("timings").contains("findShortestPixelPath"));
    const auto expectedPath = kExamples / input.stem().concat(".expected.json");
    if (std::getenv("ZALVO_UPDATE_GOLDEN") != nullptr) {
        auto ordered = nlohmann::ordered_json::parse(ReadText(scratch.Path() / "plan.json"));
        ordered.erase("timings");
        std::ofstream(expectedPath) << FormatJson(ordered);
    }
    EXPECT_EQ(ReadReport(scratch.Path() / "plan.json"), ReadJson(expectedPath)) << "differs from " << expectedPath;
    ParseXml(ReadText(scratch.Path() / "plan.svg"));
}
INSTANTIATE_TEST_SUITE_P(Examples, ExamplePlateTest, ::testing::Values("blobs.png", "text.pgm", "closed.pbm"));
class SampleRunTest : public ::testing::Test {
protected:
    CommandResult Run(std::vector<std::string> arguments, const std::string& standardInput = "") const {
        arguments.insert(arguments.end(), {"--out", scratch_.Path().string()});
        auto run = RunPlanner(arguments, standardInput);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run;
    }
    CommandResult Sample(std::vector<std::string> arguments) const {
        arguments.insert(arguments.end(), {"--sample-size", "128x64"});
        return Run(arguments);
    }
    Json Report() const { return ReadJson(scratch_.Path() / "plan.json"); }
    ScratchDirectory scratch_;
};
TEST_F(SampleRunTest, WritesEveryOutputAndSaysWhereAndWhatItFound) {
    const auto run = RunPlanner({"--out", (scratch_.Path() / "nested").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress when stderr is not a terminal
    for (const auto& file : kPlanFiles) EXPECT_THAT(run.out, HasSubstr((scratch_.Path() / "nested" / file).string()));
    EXPECT_THAT(Entries(scratch_.Path() / "nested"), UnorderedElementsAreArray(kPlanFiles));
    const Json report = ReadJson(scratch_.Path() / "nested" / "plan.json");
    EXPECT_EQ(report.at("status"), "ok");
    EXPECT_EQ(report.at("plate").at("source"), "sample");
    EXPECT_EQ(report.at("plate").at("resolution"), 300.0);
    EXPECT_LT(report.at("cutLine").size(), report.at("sparsePath").size());
    EXPECT_THAT(run.out, HasSubstr("a cut line of " + std::to_string(report.at("cutLine").size()) +
                                   " corners through " + std::to_string(report.at("rooms").size()) + " rooms"));
}
TEST_F(SampleRunTest, QuietRunsWriteOnlyTheChosenFilesUnderTheChosenName) {
    using Files = std::vector<std::string>;
    for (const auto& [options, files] :
         {std::pair{Files{"--no-png", "--quiet"}, Files{"plan.json", "plan.svg", "plan.html"}},
          std::pair{Files{"-q", "-o", "cut", "--no-svg"}, Files{"cut.json", "cut.png", "cut.html"}}}) {
        fs::remove_all(scratch_.Path());
        EXPECT_EQ(Sample(options).out, "");
        EXPECT_THAT(Entries(scratch_.Path()), UnorderedElementsAreArray(files));
    }
}
TEST_F(SampleRunTest, LogLevelsReachTheLibraryForTheRunOnly) {
    std::ostringstream captured;
    auto* previous = std::clog.rdbuf(captured.rdbuf());
    Sample({"--log-level", "20", "--quiet"});
    std::clog.rdbuf(previous);
    EXPECT_THAT(captured.str(), HasSubstr("Final terrain:"));
    EXPECT_THAT(captured.str(), ::testing::Not(HasSubstr("Initial terrain:")));  // level 30 stays off
    EXPECT_FALSE(Logging::HasLevel("zalvo.zalvoting", 20));
}

// The last of --progress and --no-progress wins; the display counts the search and changes nothing planned.
TEST_F(SampleRunTest, ProgressCanBeForcedOnAndOffAndTheLastWordWins) {
    const auto err = [&](std::vector<std::string> options) {  // a sample that a line crosses
        options.insert(options.end(), {"-q", "--min-distance", "1px", "--preferred-distance", "2px"});
        return Sample(options).err;
    };
    const std::string shown = err({"--progress"});
    EXPECT_THAT(shown, HasSubstr("\rzalvo-plan: findShortestPixelPath [------------------------]   0%"));
    EXPECT_THAT(shown, HasSubstr("zalvo-plan: findShortestPixelPath [########################] 100%"));
    EXPECT_THAT(shown, HasSubstr("zalvo-plan: createTerrain done"));
    const Json watched = ReadReport(scratch_.Path() / "plan.json");
    EXPECT_EQ(err({"--progress", "--no-progress"}), "");
    EXPECT_EQ(ReadReport(scratch_.Path() / "plan.json"), watched);
    EXPECT_THAT(err({"--no-progress", "--progress"}), HasSubstr("zalvo-plan: drawPictures done"));
    EXPECT_EQ(err({}), "");  // standard error is no terminal here
}
TEST_F(SampleRunTest, APreferredDistanceBelowTheMinimumWarnsOnStderrAndInTheReport) {
    EXPECT_THAT(Sample({"--min-distance", "1mm", "--preferred-distance", "0.5mm"}).err,
                ::testing::StartsWith("zalvo-plan: warning: --preferred-distance 0.5mm is less than "
                                      "--min-distance 1mm"));
    ASSERT_EQ(Report().at("warnings").size(), 1u);
    EXPECT_THAT(Report().at("warnings").at(0).get<std::string>(), HasSubstr("no cost ramp"));
}
TEST_F(SampleRunTest, NoDistanceIsWrittenAsZeroWhateverItsSign) {
    Sample({"--min-distance", "0px", "--preferred-distance", "-0mm"});
    EXPECT_THAT(ReadText(scratch_.Path() / "plan.json"), ::testing::Not(HasSubstr("-0.0")));
    EXPECT_EQ(Report().at("parameters").at("minimumDistance").at("milliPoints"), 0.0);
    EXPECT_EQ(Report().at("parameters").at("preferredDistance").at("milliPoints"), 0.0);
}
TEST_F(SampleRunTest, AWholeNumberInExponentFormIsThatNumber) {
    Sample({"--clearance", "1e1", "-j", "1e3", "--picture-max-size", "2.56e2"});
    EXPECT_EQ(Report().at("parameters").at("clearance"), 10);
}
TEST_F(SampleRunTest, AOneColumnPlateIsNoPathWithAReason) {
    const auto image = scratch_.Write("column.pbm", "P1\n1 6\n0 0 0 0 0 0\n");
    EXPECT_THAT(Run({image.string(), "--min-distance", "0px", "--preferred-distance", "0px"}).out,
                HasSubstr("no-path: the plate is 1 column wide"));
    EXPECT_EQ(Report().at("status"), "no-path");
    EXPECT_THAT(Report().at("reason").get<std::string>(), HasSubstr("at least 2"));
    EXPECT_THAT(Report().at("cutLine"), ::testing::IsEmpty());
}
TEST_F(SampleRunTest, ADashReadsTheImageFromStandardInput) {
    auto arguments = kExampleOptions;
    arguments.insert(arguments.begin(), "-");
    Run(arguments, ReadText(kExamples / "closed.pbm"));
    EXPECT_EQ(Report().at("plate").at("source"), "-");
    EXPECT_EQ(Report().at("plate").at("columns"), 48);
    EXPECT_EQ(Report().at("status"), "no-path");
}

Json PlanSettings(const std::vector<std::string>& options) {
    ScratchDirectory scratch;
    std::vector<std::string> arguments{"--sample-size", "64x32", "--quiet", "--out", scratch.Path().string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    EXPECT_EQ(RunPlanner(arguments).exitCode, 0);
    const Json report = ReadJson(scratch.Path() / "plan.json");
    Json settings = report.at("parameters");
    settings.update(report.at("plate"));
    settings.erase("resolutionSource");
    return settings;
}

// A value other than `byDefault`, as given on the command line and as the report writes it.
std::pair<std::string, Json> OtherValue(const PlanOption& option, const Json& byDefault) {
    switch (option.Kind()) {
        case OptionKind::Resolution: return {"150", 150.0};
        case OptionKind::Length: return {"2pt", {{"given", "2pt"}, {"milliPoints", 2000.0}}};
        case OptionKind::Choice: {
            const auto& choices = option.Choices();
            const auto other =
                std::find_if(choices.begin(), choices.end(), [&](auto& c) { return c.name != byDefault; });
            return {other->name, other->name};
        }
        case OptionKind::Pixels: return {std::to_string(byDefault.get<int>() + 1), byDefault.get<int>() + 1};
        case OptionKind::Number: return {"1e6", 1e6};  // its largest
        case OptionKind::Columns: break;
    }
    return {"5", Json::array({5})};
}

// Each option reaches the plan by its own field: the report differs from the defaults' in its entry only.
class PlanOptionTest : public ::testing::TestWithParam<std::size_t> {};
TEST_P(PlanOptionTest, SetsItsOwnParameterAndNoOther) {
    static const Json defaults = PlanSettings({});
    const auto& option = PlanOptions().at(GetParam());
    const auto [text, expected] = OtherValue(option, defaults.at(option.jsonKey));
    const Json given = PlanSettings({option.flag, text});
    EXPECT_EQ(given.at(option.jsonKey), expected);
    for (const auto& [key, value] : given.items())
        EXPECT_TRUE(key == option.jsonKey || value == defaults.at(key)) << key;
}
INSTANTIATE_TEST_SUITE_P(Table, PlanOptionTest, ::testing::Range<std::size_t>(0, PlanOptions().size()),
                         [](const auto& param) { return std::string(PlanOptions().at(param.param).jsonKey); });

// Bad input: one line naming the problem, nothing written; "@name" is a file of the scratch folder.
using Bad = std::pair<std::vector<std::string>, std::string>;
class BadInputTest : public ::testing::TestWithParam<Bad> {};
TEST_P(BadInputTest, FailsWithOneLineAndWritesNothing) {
    ScratchDirectory scratch;
    const auto whole = PngBuilder(40, 40, 0, Bytes(1600, 9)).Build();
    scratch.Write("truncated.png", Bytes(whole.begin(), whole.end() - 30));
    auto crc = whole;
    crc[crc.size() / 2] ^= 0x55;  // inside the image data: its checksum no longer matches
    scratch.Write("crc.png", crc);
    scratch.Write("empty.png", "");
    scratch.Write("garbage.png", "\x89PNG\r\n\x1a\nthis is not a PNG at all");
    scratch.Write("picture.gif", "GIF89a");
    PngBuilder absurd(8, 8, 0, Bytes(64, 255));
    absurd.pixelsPerMetre = 1;  // 0.0254 pixels per inch
    scratch.Write("absurd.png", absurd.Build());
    fs::create_directories(scratch.Path() / "plain");
    scratch.Write("plain/notes.txt", "no plates here");
    auto arguments = GetParam().first;
    for (auto& argument : arguments) {
        if (argument.starts_with("@")) argument = (scratch.Path() / argument.substr(1)).string();
    }
    if (std::find(arguments.begin(), arguments.end(), "--out") == arguments.end()) {
        arguments.insert(arguments.end(), {"--out", (scratch.Path() / "out").string()});
    }
    const auto run = RunPlanner(arguments);
    EXPECT_EQ(run.exitCode, kExitBadInput);
    EXPECT_THAT(run.err, ::testing::StartsWith("zalvo-plan: error: "));
    EXPECT_THAT(run.err, HasSubstr(GetParam().second));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(scratch.Path() / "out"));
}
INSTANTIATE_TEST_SUITE_P(
    Cases, BadInputTest,
    ::testing::Values(
        Bad{{"@missing.png"}, "cannot open the file"}, Bad{{"@truncated.png"}, "PNG image: truncated image data"},
        Bad{{"@garbage.png"}, "corrupt PNG image"}, Bad{{"@crc.png"}, "crc.png: corrupt PNG image"},
        Bad{{"@empty.png"}, "empty.png: the file is empty"}, Bad{{"@picture.gif"}, "unsupported image format"},
        Bad{{"-"}, "standard input: the file is empty"}, Bad{{"@plain"}, "no PNG, PBM, PGM or PPM images"},
        Bad{{"--resolution", "0"}, "--resolution"}, Bad{{"--resolution", "-72"}, "--resolution"},
        Bad{{"@absurd.png"}, "declares 1 pixel per metre (0.0254 pixels per inch), which cannot be right"},
        Bad{{"--min-distance", "2", "mm"}, "--min-distance '2' lacks its unit: write it as '2mm'"},
        Bad{{"--preferred-distance=1.5", "mm"}, "--preferred-distance '1.5' lacks its unit"},
        Bad{{"--resolution", "abc"}, "--resolution: 'abc' is not a number"},
        Bad{{"--clearance", "2.5"}, "--clearance: '2.5' is not a whole number"},
        Bad{{"--clearance", "2000000"}, "'2000000' is out of range: it must be from 0 to 1000000"},
        Bad{{"-j", "1.5"}, "--jobs: '1.5' is not a whole number"},
        Bad{{"-j", "5000"}, "--jobs: '5000' is out of range: it must be from 1 to 1024"},
        Bad{{"-j", "0"}, "--jobs: '0' is out of range: it must be from 1"},
        Bad{{"--clearance", "1e999"}, "--clearance: '1e999' is out of range"},
        Bad{{"--min-distance", "1e300mm"}, "'1e300mm' is 1.18110236220472e+301 pixels, more than"},
        Bad{{"--min-distance", "1e-400mm"}, "'1e-400mm' is too small to tell from 0"},
        Bad{{"--preferred-distance", "1e400mm"}, "'1e400mm' is too large"},
        Bad{{"--penalty-weight", "heavy"}, "'heavy' is not a number"},
        Bad{{"--penalty-weight", "-1"}, "'-1' is out of range: it must be from 0 to 1000000"},
        Bad{{"-o", "sub/plan"}, "must be a plain file name"}, Bad{{"--out", ""}, "--out needs a folder name"},
        Bad{{"--picture-max-size", "4"},
            "--picture-max-size: '4' is out of range: it must be 0 (full size) or from 16"},
        Bad{{"-", "@picture.gif"}, "'-' (standard input) can only be planned alone"},
        Bad{{"--preferred-distance", "1in", "--sample-size", "64x32"}, "more than the plate's width and height"},
        Bad{{"--split-column", "640"}, "beyond the plate's last column 639"},
        Bad{{"--split-column", "-1"}, "--split-column"}, Bad{{"--sample-size", "16x16"}, "below the smallest sample"},
        Bad{{"--sample-size", "64x32", "@picture.gif"}, "applies only to the built-in sample"},
        Bad{{"--penalty", "steep"}, "--penalty"}, Bad{{"--row-policy", "zigzag"}, "--row-policy"},
        Bad{{"--shift-penalty", "nan"}, "--shift-penalty"}, Bad{{"--clearance", "-1"}, "--clearance"},
        Bad{{"--log-level", "25"}, "--log-level"}, Bad{{"--frobnicate"}, "--frobnicate"}));

}  // namespace
}  // namespace ZalvoPlan
