#include "ToolTestSupport.h"
#include "output/OutputFiles.h"
#include "plan/Interruption.h"
#include "run/Batch.h"
#include "run/Progress.h"

#include <csignal>

namespace ZalvoPlan {
namespace {

using namespace ZalvoPlanTest;

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
                      Names{{"x/a\nb\\c\x1f\x7f.png"}, {"a_b_c__"}}, Names{{}, {}}));

// Any file name at all: one plain name inside --out, unique to a case-blind file system, never a summary's.
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
    std::tie(ok.status, ok.corners, ok.seconds) = std::tuple("ok", 4u, 0.25);
    std::tie(bad.status, bad.failure, bad.error) =
        std::tuple("error", Failure::BadInput, "b,c.png: corrupt PNG image: \"bad\"");
    const std::vector<BatchRow> rows{{"a.png", "a", ok}, {"b,c.png", "b,c", bad}};
    EXPECT_EQ(SummaryCsv(rows),
              "file,folder,status,corners,seconds,error\na.png,a,ok,4,0.250,\n"
              "\"b,c.png\",\"b,c\",error,0,0.000,\"b,c.png: corrupt PNG image: \"\"bad\"\"\"\n");
    const Json json = Json::parse(SummaryJson(rows));
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0],
              Json::parse(R"({"file":"a.png","folder":"a","status":"ok","corners":4,"seconds":0.25,"error":null})"));
    EXPECT_EQ(json[1].at("error"), bad.error);
    EXPECT_EQ(CountOf(0, "room") + "|" + CountOf(1, "room") + "|" + CountOf(2, "corner"), "0 rooms|1 room|2 corners");
}
using Failures = std::vector<Failure>;
using F = Failure;
class ExitCodeTest : public ::testing::TestWithParam<std::pair<Failures, int>> {};
TEST_P(ExitCodeTest, BadInputOutranksEveryOtherFailure) {
    std::vector<PlateOutcome> outcomes(GetParam().first.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) outcomes[i].failure = GetParam().first[i];
    EXPECT_EQ(ExitCodeFor(outcomes), GetParam().second);
}
const std::vector<std::pair<Failures, int>> kExitCodes{{{F::None, F::None}, 0},
                                                       {{F::None, F::PlanFailed}, 1},
                                                       {{F::OutputFailed, F::PlanFailed}, 3},
                                                       {{F::OutputFailed, F::BadInput, F::None}, 2},
                                                       {{F::BadInput, F::Interrupted}, 130}};
INSTANTIATE_TEST_SUITE_P(Cases, ExitCodeTest, ::testing::ValuesIn(kExitCodes));
class BatchTest : public ::testing::Test {
protected:
    CommandResult Run(const std::vector<std::string>& more, const fs::path& out = {}) const {
        auto arguments = kExampleOptions;
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.insert(arguments.end(), {"--out", (out.empty() ? out_ : out).string()});
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
class BatchRunTest : public BatchTest, public ::testing::WithParamInterface<const char*> {};
TEST_P(BatchRunTest, PlansEveryPlateIntoItsOwnFolderAsAloneAndABadOneStopsNoOther) {
    const auto bad = scratch_.Write("broken.png", "\x89PNG\r\n\x1a\nnot really");
    const auto run = Run({kExamples.string(), bad.string(), "-j", GetParam()});
    EXPECT_EQ(run.exitCode, 2);  // one input was bad
    EXPECT_THAT(Entries(out_), UnorderedElementsAre("blobs", "closed", "text", "summary.csv", "summary.json"));
    for (const char* plate : {"blobs", "closed", "text"}) {
        EXPECT_THAT(Entries(out_ / plate), UnorderedElementsAreArray(kPlanFiles)) << plate;
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
    ASSERT_EQ(Run({(kExamples / "text.pgm").string()}, scratch_.Path() / "alone").exitCode, 0);
    EXPECT_EQ(ReadReport(out_ / "text" / "plan.json"), ReadReport(scratch_.Path() / "alone" / "plan.json"));
}
INSTANTIATE_TEST_SUITE_P(Workers, BatchRunTest, ::testing::Values("1", "2", "8"));
TEST_F(BatchTest, AllGoodPlatesExitWithZeroAndQuietSaysNothing) {
    const auto run = Run({(kExamples / "closed.pbm").string(), (kExamples / "blobs.png").string(), "-q"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(Entries(out_), UnorderedElementsAre("blobs", "closed", "summary.csv", "summary.json"));
}

TEST_F(BatchTest, ASummaryThatCannotBeWrittenIsAnOutputFailureAndLeavesWhatIsInItsPlace) {
    fs::create_directories(out_ / "summary.csv" / "keep");
    const auto run = Run({(kExamples / "closed.pbm").string(), (kExamples / "text.pgm").string()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_THAT(run.err, HasSubstr("summary.csv: something other than a file is in its place"));
    EXPECT_TRUE(fs::is_directory(out_ / "summary.csv" / "keep"));
}

// A stop signal as the handler asks for it: no new plate, every plate in the summary, a signalled exit.
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
    EXPECT_THAT(Entries(out_), UnorderedElementsAre("summary.csv", "summary.json"));
}
TEST_F(BatchStopTest, AStopWhileAPlateIsPutInPlaceKeepsThatPlateWholeAndPlansNoOther) {
    // The first plate's folder appears in one rename; the signal comes right after it.
    SetFileSystemStepHook([](const char* step) {
        if (std::string(step) == "rename" || std::string(step) == "exchange folders") RequestStop(SIGINT);
    });
    EXPECT_EQ(Run({kExamples.string(), "-j", "1"}).exitCode, 130);
    EXPECT_THAT(Statuses(), ElementsAre("ok", "interrupted", "interrupted"));
    EXPECT_THAT(Entries(out_), UnorderedElementsAre("blobs", "summary.csv", "summary.json"));
    EXPECT_THAT(Entries(out_ / "blobs"), UnorderedElementsAreArray(kPlanFiles));
}
// The choice, quiet, a terminal, the pixels; whether the display is shown.
using ShowCase = std::tuple<ProgressChoice, bool, bool, std::int64_t, bool>;
class ShouldShowProgressTest : public ::testing::TestWithParam<ShowCase> {};
TEST_P(ShouldShowProgressTest, FollowsTheChoiceThenTheTerminal) {
    const auto& [choice, quiet, terminal, pixels, shown] = GetParam();
    EXPECT_EQ(ShouldShowProgress(choice, quiet, terminal, pixels), shown);
}
constexpr std::int64_t kLarge = kProgressPixelThreshold;  // fewer pixels are planned too quickly to watch
constexpr auto kAutomatic = ProgressChoice::Automatic;
const std::vector<ShowCase> kShowCases{{kAutomatic, false, true, kLarge, true},
                                       {kAutomatic, false, true, kLarge - 1, false},
                                       {kAutomatic, true, true, kLarge, false},             // --quiet
                                       {kAutomatic, false, false, kLarge, false},           // not a terminal
                                       {ProgressChoice::Off, false, true, kLarge, false}};  // --no-progress
INSTANTIATE_TEST_SUITE_P(Cases, ShouldShowProgressTest, ::testing::ValuesIn(kShowCases));

// A display on a clock the test moves by hand.
class ProgressDisplayTest : public ::testing::Test {
protected:
    std::ostringstream out_;
    double now_ = 100.0;
    ProgressDisplay display_{out_, [this] { return now_; }};
};
TEST_F(ProgressDisplayTest, RedrawsInPlaceEndsTheStageWithANewlineAndCountsEachStageFromZero) {
    const StageObserver observer = display_.Observer();
    observer.started("findShortestPixelPath", 4);
    for (int i = 0; i < 2; ++i) observer.counted();
    now_ += 1.5;
    display_.Redraw();
    now_ += 1.0;
    observer.finished({"findShortestPixelPath", 2500.0});
    display_.Redraw();                   // between stages: nothing to draw
    observer.started("adjustRows", 10);  // counts from zero
    display_.Redraw();
    for (int i = 0; i < 12; ++i) observer.counted();
    display_.Redraw();                  // below 100 % until the stage ends, however far it counts
    observer.started("sparsePath", 0);  // no total known
    EXPECT_EQ(out_.str(),
              "\rzalvo-plan: findShortestPixelPath [------------------------]   0%    0.0 s"
              "\rzalvo-plan: findShortestPixelPath [############------------]  50%    1.5 s"
              "\rzalvo-plan: findShortestPixelPath [########################] 100%    2.5 s\n"
              "\rzalvo-plan: adjustRows [------------------------]   0%    0.0 s"
              "\rzalvo-plan: adjustRows [------------------------]   0%    0.0 s"
              "\rzalvo-plan: adjustRows [#######################-]  99%    0.0 s"
              "\rzalvo-plan: sparsePath ...    0.0 s");
}
TEST_F(ProgressDisplayTest, AStageCutShortEndsItsLineSoAnErrorStartsOnItsOwn) {
    std::ostringstream out;
    ProgressDisplay(out, [this] { return now_; }).StageStarted("findShortestPixelPath", 10);
    EXPECT_THAT(out.str(), ::testing::EndsWith("  0%    0.0 s\n"));
}

}  // namespace
}  // namespace ZalvoPlan
