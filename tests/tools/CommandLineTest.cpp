#include "ToolTestSupport.h"
#include "XmlCheck.h"
#include "cli/CommandLine.h"
#include "output/Report.h"
#include "plan/CutLine.h"
#include "plan/Options.h"
#include "run/PlateJob.h"
#include "support/Printers.h"

#include <Logging/Logging.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace ZalvoPlanTest {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
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
    EXPECT_THAT(ScratchDirectory::Entries(scratch.Path()),
                UnorderedElementsAre("plan.json", "plan.svg", "plan.png", "plan.html"));
}

// ----- the sample and the outputs -----

TEST(SampleRunTest, WritesEveryOutputAndSaysWhere) {
    ScratchDirectory scratch;
    const auto out = scratch.Path() / "nested" / "plan";
    const auto run = RunPlanner({"--out", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress when stderr is not a terminal
    for (const char* file : {"plan.json", "plan.svg", "plan.png", "plan.html"}) {
        EXPECT_THAT(run.out, HasSubstr((out / file).string()));
    }
    EXPECT_THAT(ScratchDirectory::Entries(out), UnorderedElementsAre("plan.json", "plan.svg", "plan.png", "plan.html"));
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
    EXPECT_THAT(ScratchDirectory::Entries(scratch.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.html"));
}

TEST(SampleRunTest, LogLevelsReachTheLibraryForTheRunOnly) {
    ScratchDirectory scratch;
    std::ostringstream captured;
    auto* previous = std::clog.rdbuf(captured.rdbuf());
    const auto run =
        RunPlanner({"--log-level", "20", "--quiet", "--sample-size", "64x32", "--out", scratch.Path().string()});
    std::clog.rdbuf(previous);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(captured.str(), HasSubstr("Final terrain:"));
    EXPECT_THAT(captured.str(), ::testing::Not(HasSubstr("Initial terrain:")));  // level 30 stays off
    EXPECT_FALSE(Logging::HasLevel("zalvo.zalvoting", 20));
}

// The plan options are the table's, checked below; these are the command's own.
TEST(HelpTest, ExplainsTheOtherOptionsAndTheColours) {
    const auto run = RunPlanner({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* text : {"--log-level", "--out", "--png", "--quiet", "-q", "--version", "-V", "-o,--name",
                             "--no-svg", "--picture-max-size", "-j,--jobs", "--progress", "--no-progress",
                             "--sample-size", "Colours:", "Exit codes:", "mm, cm, in"}) {
        EXPECT_THAT(run.out, HasSubstr(text));
    }
}

// ----- the plan options, from the planner's table -----

// The parameters' and the plate's entries of a small sample's report.
Json PlanSettings(const std::vector<std::string>& options) {
    ScratchDirectory scratch;
    std::vector<std::string> arguments{"--sample-size", "64x32", "--quiet", "--out", scratch.Path().string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const auto run = RunPlanner(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const Json report = Json::parse(ReadText(scratch.Path() / "plan.json"));
    Json settings = report.at("parameters");
    settings.update(report.at("plate"));
    settings.erase("resolutionSource");
    return settings;
}

class PlanOptionTest : public ::testing::TestWithParam<std::size_t> {
protected:
    const ZalvoPlan::PlanOption& Option() const { return ZalvoPlan::PlanOptions().at(GetParam()); }
    // What the plan uses when no option is given.
    static const Json& Defaults() {
        static const Json defaults = PlanSettings({});
        return defaults;
    }
    const Json& Default() const { return Defaults().at(Option().jsonKey); }
};

// A value other than the default, as given on the command line and as the
// report then writes it.
std::pair<std::string, Json> OtherValue(const ZalvoPlan::PlanOption& option, const Json& byDefault) {
    using Kind = ZalvoPlan::OptionKind;
    switch (option.Kind()) {
        case Kind::Resolution: return {"150", 150.0};
        case Kind::Length: return {"2pt", {{"given", "2pt"}, {"milliPoints", 2000.0}}};
        case Kind::Choice: {
            const auto& choices = option.Choices();
            const auto other =
                std::find_if(choices.begin(), choices.end(), [&](const auto& c) { return c.name != byDefault; });
            return {other->name, other->name};
        }
        case Kind::Pixels: return {std::to_string(byDefault.get<int>() + 1), byDefault.get<int>() + 1};
        case Kind::Number: return {"7.5", 7.5};
        case Kind::Columns: break;
    }
    return {"5", Json::array({5})};
}

// Each option reaches the plan through its own field: the report differs
// from the defaults' in the option's own entry, which holds the value given.
TEST_P(PlanOptionTest, SetsItsOwnParameterAndNoOther) {
    const auto [text, expected] = OtherValue(Option(), Default());
    const Json given = PlanSettings({Option().flag, text});
    EXPECT_EQ(given.at(Option().jsonKey), expected);
    for (const auto& [key, value] : given.items()) {
        if (key != Option().jsonKey) {
            EXPECT_EQ(value, Defaults().at(key)) << key;
        }
    }
}

// The help names the default the plan uses, and every name a choice takes.
TEST_P(PlanOptionTest, TheHelpShowsTheDefaultThePlanUses) {
    const std::string help = RunPlanner({"--help"}).out;
    const auto at = help.find("  " + std::string(Option().flag) + " ");
    ASSERT_NE(at, std::string::npos);
    const std::string line = help.substr(at, help.find('\n', at) - at);
    const Json& value = Default();
    const std::string shown = value.is_object()   ? value.at("given").get<std::string>()
                              : value.is_string() ? value.get<std::string>()
                              : value.is_array()  ? (value.empty() ? "none" : value.dump())
                                                  : ZalvoPlan::NumberText(value.get<double>());
    EXPECT_THAT(line, HasSubstr(" " + shown + ")"));
    for (const auto& choice : Option().Choices()) EXPECT_THAT(line, HasSubstr(std::string(choice.name) + " ("));
}

INSTANTIATE_TEST_SUITE_P(Table, PlanOptionTest, ::testing::Range<std::size_t>(0, ZalvoPlan::PlanOptions().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             std::string name = ZalvoPlan::PlanOptions().at(param.param).flag + 2;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(HelpTest, SpeaksPlainWordsInsteadOfParserNotation) {
    const auto run = RunPlanner({"--help"});
    for (const char* jargon : {"{false}", "=[]", "INT:", "FLOAT", "TEXT", "in [", "..1000000"}) {
        EXPECT_THAT(run.out, ::testing::Not(HasSubstr(jargon))) << jargon;
    }
}

TEST(VersionTest, LongAndShortFormPrintTheVersion) {
    for (const char* option : {"--version", "-V"}) {
        const auto run = RunPlanner({option});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, std::string("zalvo-plan ") + ZALVO_VERSION + "\n");
    }
}

// ----- what the run says and writes -----

TEST(SampleRunTest, TheCutLineListsTheCornersOfTheSparsePathAndTheSummaryCountsThem) {
    ScratchDirectory scratch;
    const auto run = RunPlanner({"--out", scratch.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = Json::parse(ReadText(scratch.Path() / "plan.json"));
    std::vector<Zalvo::Pixel> sparse;
    for (const auto& p : report.at("sparsePath"))
        sparse.push_back({p.at(0).get<std::int32_t>(), p.at(1).get<std::int32_t>()});
    Json expected = Json::array();
    for (const auto& p : ZalvoPlan::RemoveCollinearPoints(sparse)) expected.push_back({p.x, p.y});
    EXPECT_EQ(report.at("cutLine"), expected);
    EXPECT_LT(report.at("cutLine").size(), report.at("sparsePath").size());
    EXPECT_THAT(run.out, HasSubstr("a cut line of " + std::to_string(report.at("cutLine").size()) +
                                   " corners through " + std::to_string(report.at("rooms").size()) + " rooms"));
}

TEST(SampleRunTest, ProgressCanBeForcedOnAndOffAndTheLastWordWins) {
    ScratchDirectory scratch;
    const std::vector<std::string> plan{"--sample-size", "128x64", "-q", "--out", scratch.Path().string()};
    const auto with = [&](std::vector<std::string> options) {
        options.insert(options.end(), plan.begin(), plan.end());
        return RunPlanner(options);
    };
    EXPECT_THAT(with({"--progress"}).err, HasSubstr("\rzalvo-plan: findShortestPixelPath ["));
    EXPECT_EQ(with({"--progress", "--no-progress"}).err, "");
    EXPECT_THAT(with({"--no-progress", "--progress"}).err, HasSubstr("zalvo-plan: drawPictures done"));
    EXPECT_EQ(with({}).err, "");  // standard error is no terminal here
}

TEST(SampleRunTest, ShortQuietNameAndNoSvg) {
    ScratchDirectory scratch;
    const auto run =
        RunPlanner({"-q", "-o", "cut", "--no-svg", "--sample-size", "128x64", "--out", scratch.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(ScratchDirectory::Entries(scratch.Path()), UnorderedElementsAre("cut.json", "cut.png", "cut.html"));
}

TEST(SampleRunTest, APreferredDistanceBelowTheMinimumWarnsOnStderrAndInTheReport) {
    ScratchDirectory scratch;
    const auto run = RunPlanner({"--min-distance", "1mm", "--preferred-distance", "0.5mm", "--sample-size", "128x64",
                                 "--out", scratch.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, ::testing::StartsWith("zalvo-plan: warning: --preferred-distance 0.5mm is less than "
                                               "--min-distance 1mm"));
    const Json report = Json::parse(ReadText(scratch.Path() / "plan.json"));
    ASSERT_EQ(report.at("warnings").size(), 1u);
    EXPECT_THAT(report.at("warnings").at(0).get<std::string>(), HasSubstr("no cost ramp"));
}

TEST(SampleRunTest, NoDistanceIsWrittenAsZeroWhateverItsSign) {
    ScratchDirectory scratch;
    const auto run = RunPlanner({"--min-distance", "0px", "--preferred-distance", "-0mm", "--sample-size", "128x64",
                                 "--out", scratch.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string text = ReadText(scratch.Path() / "plan.json");
    EXPECT_THAT(text, Not(HasSubstr("-0.0")));
    const Json report = Json::parse(text);
    EXPECT_EQ(report.at("parameters").at("minimumDistance").at("milliPoints"), 0.0);
    EXPECT_EQ(report.at("parameters").at("preferredDistance").at("milliPoints"), 0.0);
}

// A whole number may be written as a float with an exponent; it counts as
// the same number.
TEST(SampleRunTest, AWholeNumberInExponentFormIsThatNumber) {
    ScratchDirectory scratch;
    const auto run = RunPlanner({"--clearance", "1e1", "-j", "1e3", "--picture-max-size", "2.56e2", "--sample-size",
                                 "128x64", "--out", scratch.Path().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(ReadText(scratch.Path() / "plan.json")).at("parameters").at("clearance"), 10);
}

TEST(SampleRunTest, AOneColumnPlateIsNoPathWithAReason) {
    ScratchDirectory scratch;
    const auto image = scratch.Write("column.pbm", std::string("P1\n1 6\n0 0 0 0 0 0\n"));
    const auto out = scratch.Path() / "out";
    const auto run =
        RunPlanner({image.string(), "--min-distance", "0px", "--preferred-distance", "0px", "--out", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("no-path: the plate is 1 column wide"));
    const Json report = Json::parse(ReadText(out / "plan.json"));
    EXPECT_EQ(report.at("status"), "no-path");
    EXPECT_THAT(report.at("reason").get<std::string>(), HasSubstr("at least 2"));
    EXPECT_THAT(report.at("cutLine"), IsEmpty());
}

TEST(SampleRunTest, ADashReadsTheImageFromStandardInput) {
    ScratchDirectory scratch;
    const std::string closed = ReadText(kExamples / "closed.pbm");
    const auto run = RunPlanner({"-", "--resolution", "72", "--min-distance", "1pt", "--preferred-distance", "3pt",
                                 "--out", scratch.Path().string()},
                                closed);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = Json::parse(ReadText(scratch.Path() / "plan.json"));
    EXPECT_EQ(report.at("plate").at("source"), "-");
    EXPECT_EQ(report.at("plate").at("columns"), 48);
    EXPECT_EQ(report.at("status"), "no-path");
}

TEST(SampleRunTest, AnEmptyStandardInputIsBadInput) {
    ScratchDirectory scratch;
    const auto run = RunPlanner({"-", "--out", (scratch.Path() / "out").string()}, "");
    EXPECT_EQ(run.exitCode, ZalvoPlan::kExitBadInput);
    EXPECT_THAT(run.err, HasSubstr("standard input: the file is empty"));
    EXPECT_FALSE(std::filesystem::exists(scratch.Path() / "out"));
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

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInputTest,
    ::testing::Values(
        BadInput{{"@missing.png"}, "cannot open the file"}, BadInput{{"@truncated.png"}, "corrupt PNG image"},
        BadInput{{"@garbage.png"}, "corrupt PNG image"}, BadInput{{"@picture.gif"}, "unsupported image format"},
        BadInput{{"--resolution", "0"}, "--resolution"}, BadInput{{"--resolution", "-72"}, "--resolution"},
        BadInput{{"@absurd.png"}, "declares 1 pixel per metre (0.0254 pixels per inch), which cannot be right"},
        BadInput{{"--min-distance", "2", "mm"}, "--min-distance '2' lacks its unit: write it as '2mm'"},
        BadInput{{"--preferred-distance=1.5", "mm"}, "--preferred-distance '1.5' lacks its unit"},
        BadInput{{"--resolution", "abc"}, "--resolution: 'abc' is not a number"},
        BadInput{{"--clearance", "2.5"}, "--clearance: '2.5' is not a whole number"},
        BadInput{{"--clearance", "2000000"}, "'2000000' is out of range: it must be from 0 to 1000000"},
        BadInput{{"-j", "1.5"}, "--jobs: '1.5' is not a whole number"},
        BadInput{{"--clearance", "1e999"}, "--clearance: '1e999' is out of range"},
        BadInput{{"--min-distance", "1e300mm"}, "'1e300mm' is 1.18110236220472e+301 pixels, more than"},
        BadInput{{"--min-distance", "1e-400mm"}, "'1e-400mm' is too small to tell from 0"},
        BadInput{{"--preferred-distance", "1e400mm"}, "'1e400mm' is too large"},
        BadInput{{"--penalty-weight", "heavy"}, "'heavy' is not a number"},
        BadInput{{"-o", "sub/plan"}, "must be a plain file name"},
        BadInput{{"-j", "0"}, "--jobs: '0' is out of range: it must be from 1"},
        BadInput{{"--picture-max-size", "4"},
                 "--picture-max-size: '4' is out of range: it must be 0 (full size) or from 16"},
        BadInput{{"-", "@picture.gif"}, "'-' (standard input) can only be planned alone"},
        BadInput{{"--min-distance", "2"}, "has no unit"},
        BadInput{{"--preferred-distance", "3furlongs"}, "unknown unit 'furlongs'"},
        BadInput{{"--min-distance", "-1mm"}, "finite length of 0 or more"},
        BadInput{{"--preferred-distance", "1m"}, "unknown unit 'm'"},
        BadInput{{"--preferred-distance", "1in", "--sample-size", "64x32"}, "more than the plate's width and height"},
        BadInput{{"--split-column", "640"}, "beyond the plate's last column 639"},
        BadInput{{"--split-column", "-1"}, "--split-column"},
        BadInput{{"--sample-size", "16x16"}, "below the smallest sample"},
        BadInput{{"--sample-size", "64x32", "@picture.gif"}, "applies only to the built-in sample"},
        BadInput{{"--penalty", "steep"}, "--penalty"}, BadInput{{"--row-policy", "zigzag"}, "--row-policy"},
        BadInput{{"--shift-penalty", "nan"}, "--shift-penalty"}, BadInput{{"--clearance", "-1"}, "--clearance"},
        BadInput{{"--log-level", "25"}, "--log-level"}, BadInput{{"--frobnicate"}, "--frobnicate"}));

TEST(OutputFailureTest, AnEmptyOutputFolderIsBadInput) {
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", ""});
    EXPECT_EQ(run.exitCode, ZalvoPlan::kExitBadInput);
    EXPECT_THAT(run.err, HasSubstr("--out needs a folder name"));
}

TEST(OutputFailureTest, AnOutputPathThatIsAFileFailsWithCodeThree) {
    ScratchDirectory scratch;
    const auto file = scratch.Write("occupied", std::string("keep me"));
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", file.string()});
    EXPECT_EQ(run.exitCode, ZalvoPlan::kExitOutputFailed);
    EXPECT_THAT(run.err, HasSubstr("cannot create the output directory"));
    EXPECT_EQ(ReadText(file), "keep me");
}

}  // namespace
}  // namespace ZalvoPlanTest
