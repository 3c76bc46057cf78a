#include "ToolTestSupport.h"
#include "input/SamplePlate.h"
#include "output/OutputFiles.h"
#include "plan/Interruption.h"
#include "run/Batch.h"
#include "run/Progress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <set>
#include <sstream>

namespace ZalvoPlan {
namespace {

using namespace ZalvoPlanTest;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

TEST(ExpandInputsTest, FoldersBecomeTheirImagesSortedAndEntriesThatAreNoFilesAreSkippedWithAReason) {
    ScratchDirectory scratch;
    for (const char* name : {"b.pgm", "a.PNG", "c.ppm", "notes.txt", "d.pbm"}) scratch.Write(name, "x");
    fs::create_directories(scratch.Path() / "sub.png");
    fs::create_symlink(scratch.Path() / "nowhere", scratch.Path() / "broken.png");
    fs::create_symlink(scratch.Path() / "notes.txt", scratch.Path() / "dangling.txt");  // not an image's name
    const auto inputs = ExpandInputs({"z.png", scratch.Path().string(), "missing.pbm"});
    std::vector<std::string> names, skipped;
    for (const auto& plate : inputs.plates) names.push_back(plate.filename().string());
    EXPECT_THAT(names, ElementsAre("z.png", "a.PNG", "b.pgm", "c.ppm", "d.pbm", "missing.pbm"));
    for (const auto& [entry, why] : inputs.skipped) skipped.push_back(entry.filename().string() + ": " + why);
    EXPECT_THAT(skipped, ElementsAre("broken.png: a broken symbolic link", "sub.png: a folder, not an image"));
}

using Names = std::pair<std::vector<fs::path>, std::vector<std::string>>;
class OutputFolderNamesTest : public ::testing::TestWithParam<Names> {};
TEST_P(OutputFolderNamesTest, NamesEachPlatesFolderAfterItsFileAndNeverTwiceTheSame) {
    EXPECT_EQ(OutputFolderNames(GetParam().first), GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, OutputFolderNamesTest,
    ::testing::Values(Names{{"x/a.png", "y/b.pbm"}, {"a", "b"}},
                      Names{{"x/a.png", "x/a.pbm"}, {"a.png", "a.pbm"}},  // a shared stem: the whole name
                      Names{{"x/a.png", "y/a.png", "z/a.png"}, {"a.png", "a.png-2", "a.png-3"}},
                      Names{{"x/...png", "x/..png", "x/.png.png"}, {"__", "_", "_png"}},  // never . or ..
                      Names{{"x/summary.csv.png", "x/SUMMARY.JSON.pgm"}, {"summary.csv-2", "SUMMARY.JSON-2"}},
                      Names{{"x/Plate.png", "y/plate.pgm"}, {"Plate.png", "plate.pgm"}},  // case-blind stems
                      Names{{"x/a\nb\\c\x7f.png"}, {"a_b_c_"}}, Names{{}, {}}));

// Any file name at all: each folder is one plain name inside --out, unique
// even to a case-blind file system, and never a summary's name.
TEST(OutputFolderNamesTest, EveryNameStaysInsideTheOutputFolder) {
    std::mt19937 random(20261208);
    const std::string alphabet = std::string("..../\\ aA\n\x7f\xc3\xa9-") + "summary.csvjon";
    const fs::path out = "/batch/out";
    for (int round = 0; round < 200; ++round) {
        std::vector<fs::path> plates(1 + random() % 6);
        for (auto& plate : plates) {
            std::string name;
            const std::size_t length = random() % (round % 10 == 0 ? 300 : 12);
            for (std::size_t c = 0; c < length; ++c) name += alphabet[random() % alphabet.size()];
            std::replace(name.begin(), name.end(), '/', '_');  // a file name holds no separator
            plate = fs::path("in") / (name + ".png");
        }
        std::set<std::string> folded{"summary.csv", "summary.json"};
        for (const auto& name : OutputFolderNames(plates)) {
            EXPECT_EQ((out / name).lexically_normal().parent_path(), out) << name;
            EXPECT_FALSE(name.empty() || name[0] == '.' || name.find_first_of("/\\\n") != std::string::npos) << name;
            EXPECT_LE(name.size(), 250u) << name;
            std::string key = name;
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
            EXPECT_TRUE(folded.insert(key).second) << name;
        }
    }
}

TEST(SummaryTest, CsvQuotesWhatNeedsQuotingAndJsonCarriesTheSameRows) {
    PlateOutcome ok, bad;
    ok.status = "ok";
    ok.corners = 4;
    ok.seconds = 0.25;
    bad.status = "error";
    bad.failure = Failure::BadInput;
    bad.error = "b,c.png: corrupt PNG image: \"bad\"";
    const std::vector<BatchRow> rows{{"a.png", "a", ok}, {"b,c.png", "b,c", bad}};
    EXPECT_EQ(SummaryCsv(rows),
              "file,folder,status,corners,seconds,error\na.png,a,ok,4,0.250,\n"
              "\"b,c.png\",\"b,c\",error,0,0.000,\"b,c.png: corrupt PNG image: \"\"bad\"\"\"\n");
    const Json json = Json::parse(SummaryJson(rows));
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0],
              Json::parse(R"({"file":"a.png","folder":"a","status":"ok","corners":4,"seconds":0.25,"error":null})"));
    EXPECT_EQ(json[1].at("error"), bad.error);
    EXPECT_EQ(CountOf(0, "room") + ", " + CountOf(1, "room") + ", " + CountOf(2, "corner"),
              "0 rooms, 1 room, 2 corners");
}

class ExitCodeTest : public ::testing::TestWithParam<std::pair<std::vector<Failure>, int>> {};
TEST_P(ExitCodeTest, BadInputOutranksEveryOtherFailure) {
    std::vector<PlateOutcome> outcomes(GetParam().first.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) outcomes[i].failure = GetParam().first[i];
    EXPECT_EQ(ExitCodeFor(outcomes), GetParam().second);
}
INSTANTIATE_TEST_SUITE_P(Cases, ExitCodeTest,
                         ::testing::Values(std::pair{std::vector{Failure::None, Failure::None}, 0},
                                           std::pair{std::vector{Failure::None, Failure::PlanFailed}, 1},
                                           std::pair{std::vector{Failure::OutputFailed, Failure::PlanFailed}, 3},
                                           std::pair{
                                               std::vector{Failure::OutputFailed, Failure::BadInput, Failure::None}, 2},
                                           std::pair{std::vector{Failure::BadInput, Failure::Interrupted}, 130}));

// A batch of the examples into a scratch folder.
class BatchTest : public ::testing::Test {
protected:
    CommandResult Run(const std::vector<std::string>& more) const {
        auto arguments = kExampleOptions;
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.insert(arguments.end(), {"--out", out_.string()});
        return RunPlanner(arguments);
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const auto& row : ReadJson(out_ / "summary.json")) statuses.push_back(row.at("status"));
        return statuses;
    }
    ScratchDirectory scratch_;
    const fs::path out_ = scratch_.Path() / "out";
};

// The examples folder and a bad plate, by one, two and eight workers.
class BatchRunTest : public BatchTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BatchRunTest, PlansEveryPlateIntoItsOwnFolderAsAloneAndABadOneStopsNoOther) {
    const auto bad = scratch_.Write("broken.png", "\x89PNG\r\n\x1a\nnot really");
    const auto run = Run({kExamples.string(), bad.string(), "-j", GetParam()});
    EXPECT_EQ(run.exitCode, 2);  // one input was bad
    EXPECT_THAT(ScratchDirectory::Entries(out_),
                UnorderedElementsAre("blobs", "closed", "text", "summary.csv", "summary.json"));
    for (const char* plate : {"blobs", "closed", "text"}) {
        EXPECT_THAT(ScratchDirectory::Entries(out_ / plate), UnorderedElementsAreArray(kPlanFiles)) << plate;
    }
    // A line per plate as it finishes, three on stdout with two "wrote" lines, the bad one on stderr.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5) << run.out;
    EXPECT_THAT(run.out, HasSubstr("blobs.png -> blobs: ok: a cut line of"));
    EXPECT_THAT(run.out, HasSubstr("closed.pbm -> closed: no-path: no line gets past columns"));
    EXPECT_THAT(run.err,
                ::testing::MatchesRegex("zalvo-plan: \\[[1-4]/4\\] .*broken.png: error: .*corrupt PNG image.*\n"));
    const Json summary = ReadJson(out_ / "summary.json");
    EXPECT_THAT(Statuses(), ElementsAre("ok", "no-path", "ok", "error"));  // the order given, folder sorted
    EXPECT_EQ(summary[0].at("corners"), ReadJson(out_ / "blobs" / "plan.json").at("cutLine").size());
    EXPECT_EQ(summary[0].at("folder"), "blobs");
    EXPECT_TRUE(summary[3].at("folder").is_null());  // nothing written for the bad plate
    auto batch = ReadJson(out_ / "text" / "plan.json");
    auto arguments = kExampleOptions;
    arguments.insert(arguments.end(),
                     {(kExamples / "text.pgm").string(), "--out", (scratch_.Path() / "alone").string()});
    ASSERT_EQ(RunPlanner(arguments).exitCode, 0);
    auto alone = ReadJson(scratch_.Path() / "alone" / "plan.json");
    batch.erase("timings");
    alone.erase("timings");
    EXPECT_EQ(batch, alone);
}

INSTANTIATE_TEST_SUITE_P(Workers, BatchRunTest, ::testing::Values("1", "2", "8"));

TEST_F(BatchTest, AllGoodPlatesExitWithZeroAndQuietSaysNothing) {
    const auto run = Run({(kExamples / "closed.pbm").string(), (kExamples / "blobs.png").string(), "-q"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(ScratchDirectory::Entries(out_),
                UnorderedElementsAre("blobs", "closed", "summary.csv", "summary.json"));
}

// A stop signal, asked for as the handler asks: no new plate, every plate in
// the summary, the exit of a signalled shell command, only whole plate folders.
class BatchStopTest : public BatchTest {
protected:
    void TearDown() override {
        SetFileSystemStepHook(nullptr);
        ClearStopRequest();
    }
};

TEST_F(BatchStopTest, AStopBeforeTheFirstPlateListsEveryPlateAsInterrupted) {
    RequestStop(SIGTERM);
    const auto run = Run({kExamples.string(), "-j", "1"});
    EXPECT_EQ(run.exitCode, 143);
    EXPECT_THAT(run.err, HasSubstr("3 plates not planned"));
    EXPECT_THAT(Statuses(), ElementsAre("interrupted", "interrupted", "interrupted"));
    EXPECT_THAT(ScratchDirectory::Entries(out_), UnorderedElementsAre("summary.csv", "summary.json"));
}

TEST_F(BatchStopTest, AStopWhileAPlateIsPutInPlaceKeepsThatPlateWholeAndPlansNoOther) {
    // The first plate's folder appears in one rename; the signal comes right after it.
    SetFileSystemStepHook([](const char* step) {
        if (std::string(step) == "rename" || std::string(step) == "exchange folders") RequestStop(SIGINT);
    });
    EXPECT_EQ(Run({kExamples.string(), "-j", "1"}).exitCode, 130);
    EXPECT_THAT(Statuses(), ElementsAre("ok", "interrupted", "interrupted"));
    EXPECT_THAT(ScratchDirectory::Entries(out_), UnorderedElementsAre("blobs", "summary.csv", "summary.json"));
    EXPECT_THAT(ScratchDirectory::Entries(out_ / "blobs"), UnorderedElementsAreArray(kPlanFiles));
}

struct ShowCase {
    ProgressChoice choice;
    bool quiet, terminal;
    std::int64_t pixels;
    bool shown;
};
class ShouldShowProgressTest : public ::testing::TestWithParam<ShowCase> {};
TEST_P(ShouldShowProgressTest, FollowsTheChoiceThenTheTerminal) {
    const auto& c = GetParam();
    EXPECT_EQ(ShouldShowProgress(c.choice, c.quiet, c.terminal, c.pixels), c.shown);
}
constexpr std::int64_t kLarge = kProgressPixelThreshold;
INSTANTIATE_TEST_SUITE_P(
    Cases, ShouldShowProgressTest,
    ::testing::Values(ShowCase{ProgressChoice::Automatic, false, true, kLarge, true},
                      ShowCase{ProgressChoice::Automatic, false, true, kLarge - 1, false},  // over too quickly
                      ShowCase{ProgressChoice::Automatic, true, true, kLarge, false},       // --quiet
                      ShowCase{ProgressChoice::Automatic, false, false, kLarge, false},     // not a terminal
                      ShowCase{ProgressChoice::On, true, false, 1, true},                   // --progress forces it
                      ShowCase{ProgressChoice::Off, false, true, kLarge, false}));          // --no-progress

struct LineCase {
    std::int64_t done, total;
    double seconds;
    bool finished;
    std::string expected;
};
class FormatProgressLineTest : public ::testing::TestWithParam<LineCase> {};
TEST_P(FormatProgressLineTest, DrawsBarPercentAndTime) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatProgressLine("search", c.done, c.total, c.seconds, c.finished), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, FormatProgressLineTest,
    ::testing::Values(LineCase{0, 100, 0.0, false, "zalvo-plan: search [------------------------]   0%    0.0 s"},
                      LineCase{50, 100, 3.25, false, "zalvo-plan: search [############------------]  50%    3.2 s"},
                      // Counting past the total is not being done: a running stage stays below 100 %.
                      LineCase{250, 100, 17.0, false, "zalvo-plan: search [#######################-]  99%   17.0 s"},
                      LineCase{80, 100, 20.5, true, "zalvo-plan: search [########################] 100%   20.5 s"},
                      LineCase{7, 0, 1.0, false, "zalvo-plan: search ...    1.0 s"},
                      LineCase{7, 0, 1.0, true, "zalvo-plan: search done    1.0 s"}));

// A display on a clock the test moves by hand.
class ProgressDisplayTest : public ::testing::Test {
protected:
    std::ostringstream out_;
    double now_ = 100.0;
    ProgressDisplay display_{out_, [this] { return now_; }};
};

TEST_F(ProgressDisplayTest, RedrawsInPlaceAndEndsTheStageWithANewline) {
    const StageObserver observer = display_.Observer();
    observer.started("findShortestPixelPath", 4);
    for (int i = 0; i < 2; ++i) observer.counted();
    now_ += 1.5;
    display_.Redraw();
    now_ += 1.0;
    observer.finished({"findShortestPixelPath", 2500.0});
    display_.Redraw();  // between stages: nothing to draw
    EXPECT_EQ(out_.str(),
              "\rzalvo-plan: findShortestPixelPath [------------------------]   0%    0.0 s"
              "\rzalvo-plan: findShortestPixelPath [############------------]  50%    1.5 s"
              "\rzalvo-plan: findShortestPixelPath [########################] 100%    2.5 s\n");
}

TEST_F(ProgressDisplayTest, EachStageCountsFromZero) {
    display_.StageStarted("a", 10);
    for (int i = 0; i < 10; ++i) display_.Count();
    display_.StageFinished();
    out_.str("");
    display_.StageStarted("b", 10);
    display_.Redraw();
    EXPECT_THAT(out_.str(), EndsWith("  0%    0.0 s"));
}

TEST_F(ProgressDisplayTest, AStageCutShortEndsItsLineSoAnErrorStartsOnItsOwn) {
    std::ostringstream out;
    ProgressDisplay(out, [this] { return now_; }).StageStarted("findShortestPixelPath", 10);
    EXPECT_THAT(out.str(), EndsWith("  0%    0.0 s\n"));
}

// The search is counted against the cells, and watching changes nothing that is planned.
TEST_F(ProgressDisplayTest, CountsTheSearchAgainstTheCellsWithoutChangingTheResult) {
    const PlateImage image = MakeSamplePlate(128, 64);
    const PlanResult watched = RunPlan(image, SampleParameters(), display_.Observer());
    const PlanResult plain = RunPlan(image, SampleParameters());
    EXPECT_EQ(watched.sparsePath, plain.sparsePath);
    EXPECT_EQ(watched.cutLine, plain.cutLine);
    EXPECT_THAT(out_.str(), HasSubstr("\rzalvo-plan: findShortestPixelPath [------------------------]   0%"));
    EXPECT_THAT(out_.str(), HasSubstr("zalvo-plan: findShortestPixelPath [########################] 100%"));
    EXPECT_THAT(out_.str(), HasSubstr("zalvo-plan: createTerrain done"));
}

}  // namespace
}  // namespace ZalvoPlan
