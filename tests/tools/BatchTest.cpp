#include "Batch.h"
#include "ToolTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace ZalvoPlanTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using Json = nlohmann::json;
namespace fs = std::filesystem;

const fs::path kExamples = ZALVO_EXAMPLES_DIR;

TEST(ExpandInputsTest, FoldersBecomeTheirImagesSortedAndOtherInputsStayInOrder) {
    ScratchDirectory scratch;
    for (const char* name : {"b.pgm", "a.PNG", "c.ppm", "notes.txt", "d.pbm"}) scratch.Write(name, std::string("x"));
    fs::create_directories(scratch.Path() / "sub.png");  // a folder is not an image, whatever its name
    const auto plates = ZalvoPlan::ExpandInputs({"z.png", scratch.Path().string(), "missing.pbm"});
    std::vector<std::string> names;
    for (const auto& plate : plates) names.push_back(plate.filename().string());
    EXPECT_THAT(names, ElementsAre("z.png", "a.PNG", "b.pgm", "c.ppm", "d.pbm", "missing.pbm"));
}

struct FolderCase {
    std::vector<fs::path> plates;
    std::vector<std::string> folders;
};

class OutputFolderNamesTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(OutputFolderNamesTest, NamesEachPlatesFolderAfterItsFileAndNeverTwiceTheSame) {
    EXPECT_EQ(ZalvoPlan::OutputFolderNames(GetParam().plates), GetParam().folders);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputFolderNamesTest,
                         ::testing::Values(FolderCase{{"x/a.png", "y/b.pbm"}, {"a", "b"}},
                                           FolderCase{{"x/a.png", "x/a.pbm"},
                                                      {"a.png", "a.pbm"}},  // shared stem: the whole name
                                           FolderCase{{"x/a.png", "y/a.png", "z/a.png"},
                                                      {"a.png", "a.png-2", "a.png-3"}},  // even that repeats
                                           FolderCase{{}, {}}));

TEST(SummaryTest, CsvQuotesWhatNeedsQuotingAndJsonCarriesTheSameRows) {
    ZalvoPlan::PlateOutcome ok;
    ok.status = "ok";
    ok.corners = 4;
    ok.seconds = 0.25;
    ZalvoPlan::PlateOutcome bad;
    bad.status = "error";
    bad.failure = ZalvoPlan::Failure::BadInput;
    bad.error = "b,c.png: corrupt PNG image: \"bad\"";
    const std::vector<ZalvoPlan::BatchRow> rows{{"a.png", ok}, {"b,c.png", bad}};
    EXPECT_EQ(ZalvoPlan::SummaryCsv(rows),
              "file,status,corners,seconds,error\n"
              "a.png,ok,4,0.250,\n"
              "\"b,c.png\",error,0,0.000,\"b,c.png: corrupt PNG image: \"\"bad\"\"\"\n");
    const Json json = Json::parse(ZalvoPlan::SummaryJson(rows));
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0], Json::parse(R"({"file":"a.png","status":"ok","corners":4,"seconds":0.25,"error":null})"));
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
                                           ExitCase{{Failure::OutputFailed, Failure::BadInput, Failure::None}, 2}));

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
    EXPECT_THAT(run.out, HasSubstr("blobs.png: ok: a cut line of"));
    EXPECT_THAT(run.out, HasSubstr("closed.pbm: no-path: no line crosses this plate"));
    EXPECT_THAT(run.err,
                ::testing::MatchesRegex("zalvo-plan: \\[[1-4]/4\\] .*broken.png: error: .*corrupt PNG image.*\n"));

    const Json summary = Json::parse(ReadText(out / "summary.json"));
    std::vector<std::string> statuses;
    for (const auto& row : summary) statuses.push_back(row.at("status"));
    EXPECT_THAT(statuses, ElementsAre("ok", "no-path", "ok", "error"));  // the order given, folder sorted
    EXPECT_EQ(summary[0].at("corners"), Json::parse(ReadText(out / "blobs" / "plan.json")).at("cutLine").size());
    EXPECT_THAT(ReadText(out / "summary.csv"), ::testing::StartsWith("file,status,corners,seconds,error\n"));
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

}  // namespace
}  // namespace ZalvoPlanTest
