#include "ToolTestSupport.h"
#include "output/OutputFiles.h"
#include "plan/Interruption.h"
#include "run/Batch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <random>
#include <set>
#include <sstream>

namespace ZalvoPlanTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using Json = nlohmann::json;
namespace fs = std::filesystem;

const fs::path kExamples = ZALVO_EXAMPLES_DIR;

TEST(ExpandInputsTest, FoldersBecomeTheirImagesSortedAndEntriesThatAreNoFilesAreSkippedWithAReason) {
    ScratchDirectory scratch;
    for (const char* name : {"b.pgm", "a.PNG", "c.ppm", "notes.txt", "d.pbm"}) scratch.Write(name, std::string("x"));
    fs::create_directories(scratch.Path() / "sub.png");
    fs::create_symlink(scratch.Path() / "nowhere", scratch.Path() / "broken.png");
    fs::create_symlink(scratch.Path() / "notes.txt", scratch.Path() / "dangling.txt");  // not an image's name
    const auto inputs = ZalvoPlan::ExpandInputs({"z.png", scratch.Path().string(), "missing.pbm"});
    std::vector<std::string> names;
    for (const auto& plate : inputs.plates) names.push_back(plate.filename().string());
    EXPECT_THAT(names, ElementsAre("z.png", "a.PNG", "b.pgm", "c.ppm", "d.pbm", "missing.pbm"));
    std::vector<std::string> skipped;
    for (const auto& [entry, why] : inputs.skipped) skipped.push_back(entry.filename().string() + ": " + why);
    EXPECT_THAT(skipped, ElementsAre("broken.png: a broken symbolic link", "sub.png: a folder, not an image"));
}

struct FolderCase {
    std::vector<fs::path> plates;
    std::vector<std::string> folders;
};

class OutputFolderNamesTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(OutputFolderNamesTest, NamesEachPlatesFolderAfterItsFileAndNeverTwiceTheSame) {
    EXPECT_EQ(ZalvoPlan::OutputFolderNames(GetParam().plates), GetParam().folders);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputFolderNamesTest,
    ::testing::Values(FolderCase{{"x/a.png", "y/b.pbm"}, {"a", "b"}},
                      FolderCase{{"x/a.png", "x/a.pbm"}, {"a.png", "a.pbm"}},  // shared stem: the whole name
                      FolderCase{{"x/a.png", "y/a.png", "z/a.png"}, {"a.png", "a.png-2", "a.png-3"}},
                      FolderCase{{"x/...png", "x/..png", "x/.png.png"}, {"__", "_", "_png"}},  // never . or ..
                      FolderCase{{"x/summary.csv.png", "x/SUMMARY.JSON.pgm"}, {"summary.csv-2", "SUMMARY.JSON-2"}},
                      FolderCase{{"x/Plate.png", "y/plate.pgm"}, {"Plate.png", "plate.pgm"}},  // case-blind stems
                      FolderCase{{"x/a\nb\\c.png"}, {"a_b_c"}}, FolderCase{{}, {}}));

// Any file name at all: each folder is one plain name inside --out, unique
// even to a case-blind file system, and never a summary's or a staging name.
TEST(OutputFolderNamesTest, EveryNameStaysInsideTheOutputFolder) {
    std::mt19937 random(20261208);
    const std::string alphabet = std::string("..../\\ aA\n\x7f\xc3\xa9-") + "summary.csvjon";
    const fs::path out = "/batch/out";
    for (int round = 0; round < 200; ++round) {
        std::vector<fs::path> plates;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            std::string name;
            const std::size_t length = random() % (round % 10 == 0 ? 300 : 12);
            for (std::size_t c = 0; c < length; ++c) name += alphabet[random() % alphabet.size()];
            std::replace(name.begin(), name.end(), '/', '_');  // a file name holds no separator
            plates.push_back(fs::path("in") / (name + ".png"));
        }
        std::set<std::string> folded{"summary.csv", "summary.json"};
        for (const auto& name : ZalvoPlan::OutputFolderNames(plates)) {
            const fs::path resolved = (out / name).lexically_normal();
            EXPECT_EQ(resolved.parent_path(), out) << name;
            EXPECT_FALSE(name.empty() || name[0] == '.' || name.find_first_of("/\\\n") != std::string::npos) << name;
            EXPECT_LE(name.size(), 250u) << name;
            std::string key = name;
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
            EXPECT_TRUE(folded.insert(key).second) << name;
        }
    }
}

TEST(SummaryTest, CsvQuotesWhatNeedsQuotingAndJsonCarriesTheSameRows) {
    ZalvoPlan::PlateOutcome ok;
    ok.status = "ok";
    ok.corners = 4;
    ok.seconds = 0.25;
    ZalvoPlan::PlateOutcome bad;
    bad.status = "error";
    bad.failure = ZalvoPlan::Failure::BadInput;
    bad.error = "b,c.png: corrupt PNG image: \"bad\"";
    const std::vector<ZalvoPlan::BatchRow> rows{{"a.png", "a", ok}, {"b,c.png", "b,c", bad}};
    EXPECT_EQ(ZalvoPlan::SummaryCsv(rows),
              "file,folder,status,corners,seconds,error\n"
              "a.png,a,ok,4,0.250,\n"
              "\"b,c.png\",\"b,c\",error,0,0.000,\"b,c.png: corrupt PNG image: \"\"bad\"\"\"\n");
    const Json json = Json::parse(ZalvoPlan::SummaryJson(rows));
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0],
              Json::parse(R"({"file":"a.png","folder":"a","status":"ok","corners":4,"seconds":0.25,"error":null})"));
    EXPECT_EQ(json[1].at("error"), bad.error);
}

struct ExitCase {
    std::vector<ZalvoPlan::Failure> failures;
    int exitCode;
};

class ExitCodeTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodeTest, BadInputOutranksEveryOtherFailure) {
    std::vector<ZalvoPlan::PlateOutcome> outcomes;
    for (auto failure : GetParam().failures) {
        outcomes.emplace_back();
        outcomes.back().failure = failure;
    }
    EXPECT_EQ(ZalvoPlan::ExitCodeFor(outcomes), GetParam().exitCode);
}

using ZalvoPlan::Failure;
INSTANTIATE_TEST_SUITE_P(Cases, ExitCodeTest,
                         ::testing::Values(ExitCase{{Failure::None, Failure::None}, 0},
                                           ExitCase{{Failure::None, Failure::PlanFailed}, 1},
                                           ExitCase{{Failure::OutputFailed, Failure::PlanFailed}, 3},
                                           ExitCase{{Failure::OutputFailed, Failure::BadInput, Failure::None}, 2},
                                           ExitCase{{Failure::BadInput, Failure::Interrupted}, 130}));

TEST(CountOfTest, SaysOneThingAndManyThings) {
    EXPECT_EQ(ZalvoPlan::CountOf(0, "room"), "0 rooms");
    EXPECT_EQ(ZalvoPlan::CountOf(1, "room"), "1 room");
    EXPECT_EQ(ZalvoPlan::CountOf(2, "corner"), "2 corners");
}

// The examples folder plus a bad plate, planned by one and by two workers.
class BatchRunTest : public ::testing::TestWithParam<const char*> {
protected:
    CommandResult Run(const fs::path& out) {
        const auto bad = scratch_.Write("broken.png", std::string("\x89PNG\r\n\x1a\nnot really"));
        return RunPlanner({kExamples.string(), bad.string(), "--resolution", "72", "--min-distance", "1pt",
                           "--preferred-distance", "3pt", "-j", GetParam(), "--out", out.string()});
    }
    ScratchDirectory scratch_;
};

TEST_P(BatchRunTest, PlansEveryPlateIntoItsOwnFolderAndABadOneStopsNoOther) {
    const auto out = scratch_.Path() / "results";
    const auto run = Run(out);
    EXPECT_EQ(run.exitCode, 2);  // one input was bad
    EXPECT_THAT(ScratchDirectory::Entries(out),
                UnorderedElementsAre("blobs", "closed", "text", "summary.csv", "summary.json"));
    for (const char* plate : {"blobs", "closed", "text"}) {
        EXPECT_THAT(ScratchDirectory::Entries(out / plate),
                    UnorderedElementsAre("plan.json", "plan.svg", "plan.png", "plan.html"))
            << plate;
    }
    // One line per plate as it finishes: three on stdout, the bad one on stderr.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n') - 2, 3) << run.out;  // and two "wrote" lines
    EXPECT_THAT(run.out, HasSubstr("blobs.png -> blobs: ok: a cut line of"));
    EXPECT_THAT(run.out, HasSubstr("closed.pbm -> closed: no-path: no line gets past columns"));
    EXPECT_THAT(run.err,
                ::testing::MatchesRegex("zalvo-plan: \\[[1-4]/4\\] .*broken.png: error: .*corrupt PNG image.*\n"));

    const Json summary = Json::parse(ReadText(out / "summary.json"));
    std::vector<std::string> statuses;
    for (const auto& row : summary) statuses.push_back(row.at("status"));
    EXPECT_THAT(statuses, ElementsAre("ok", "no-path", "ok", "error"));  // the order given, folder sorted
    EXPECT_EQ(summary[0].at("corners"), Json::parse(ReadText(out / "blobs" / "plan.json")).at("cutLine").size());
    EXPECT_EQ(summary[0].at("folder"), "blobs");
    EXPECT_TRUE(summary[3].at("folder").is_null());  // nothing written for the bad plate
}

TEST_P(BatchRunTest, GivesTheSameResultsWhateverTheNumberOfWorkers) {
    const auto out = scratch_.Path() / "results";
    ASSERT_EQ(Run(out).exitCode, 2);
    const auto alone = RunPlanner({(kExamples / "text.pgm").string(), "--resolution", "72", "--min-distance", "1pt",
                                   "--preferred-distance", "3pt", "--out", (scratch_.Path() / "alone").string()});
    ASSERT_EQ(alone.exitCode, 0);
    auto batch = Json::parse(ReadText(out / "text" / "plan.json"));
    auto single = Json::parse(ReadText(scratch_.Path() / "alone" / "plan.json"));
    batch.erase("timings");
    single.erase("timings");
    EXPECT_EQ(batch, single);
}

INSTANTIATE_TEST_SUITE_P(Workers, BatchRunTest, ::testing::Values("1", "2", "8"));

TEST(BatchExitTest, AllGoodPlatesExitWithZero) {
    ScratchDirectory scratch;
    const auto run =
        RunPlanner({(kExamples / "closed.pbm").string(), (kExamples / "blobs.png").string(), "-q", "--resolution", "72",
                    "--min-distance", "1pt", "--preferred-distance", "3pt", "--out", scratch.Path().string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(ScratchDirectory::Entries(scratch.Path()),
                UnorderedElementsAre("blobs", "closed", "summary.csv", "summary.json"));
}

TEST(BatchExitTest, AFolderWithoutImagesIsBadInput) {
    ScratchDirectory scratch;
    scratch.Write("notes.txt", std::string("no plates here"));
    const auto run = RunPlanner({scratch.Path().string(), "--out", (scratch.Path() / "out").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("no PNG, PBM, PGM or PPM images"));
}

// A stop signal, asked for as the handler asks for it: the batch starts no new
// plate, lists every plate in its summary and exits as a signalled shell
// command does, leaving only complete plate folders.
class BatchStopTest : public ::testing::Test {
protected:
    void TearDown() override {
        ZalvoPlan::SetFileSystemStepHook(nullptr);
        ZalvoPlan::ClearStopRequest();
    }

    CommandResult RunExamples() const {
        return RunPlanner({kExamples.string(), "-j", "1", "--resolution", "72", "--min-distance", "1pt",
                           "--preferred-distance", "3pt", "--out", out_.string()});
    }

    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const auto& row : Json::parse(ReadText(out_ / "summary.json"))) statuses.push_back(row.at("status"));
        return statuses;
    }

    ScratchDirectory scratch_;
    fs::path out_ = scratch_.Path() / "out";
};

TEST_F(BatchStopTest, AStopBeforeTheFirstPlateListsEveryPlateAsInterrupted) {
    ZalvoPlan::RequestStop(SIGTERM);
    const auto run = RunExamples();
    EXPECT_EQ(run.exitCode, 143);
    EXPECT_THAT(run.err, HasSubstr("3 plates not planned"));
    EXPECT_THAT(Statuses(), ElementsAre("interrupted", "interrupted", "interrupted"));
    EXPECT_THAT(ScratchDirectory::Entries(out_), UnorderedElementsAre("summary.csv", "summary.json"));
}

TEST_F(BatchStopTest, AStopWhileAPlateIsPutInPlaceKeepsThatPlateWholeAndPlansNoOther) {
    // The first plate's folder appears in one rename; the signal comes right after it.
    ZalvoPlan::SetFileSystemStepHook([](const char* step) {
        if (std::string(step) == "rename" || std::string(step) == "exchange folders") ZalvoPlan::RequestStop(SIGINT);
    });
    const auto run = RunExamples();
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_THAT(Statuses(), ElementsAre("ok", "interrupted", "interrupted"));
    EXPECT_THAT(ScratchDirectory::Entries(out_), UnorderedElementsAre("blobs", "summary.csv", "summary.json"));
    EXPECT_THAT(ScratchDirectory::Entries(out_ / "blobs"),
                UnorderedElementsAre("plan.json", "plan.svg", "plan.png", "plan.html"));
}

}  // namespace
}  // namespace ZalvoPlanTest
