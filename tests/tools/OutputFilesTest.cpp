#include "OutputFiles.h"
#include "ToolTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ZalvoPlanTest {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

// A folder holding an earlier run's outputs.
class OutputFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"plan.json", "plan.svg", "plan.png"}) scratch_.Write(name, std::string("old ") + name);
    }

    void ExpectEarlierOutputsUntouched(const std::vector<std::string>& names) const {
        for (const auto& name : names) EXPECT_EQ(ReadText(scratch_.Path() / name), "old " + name) << name;
    }

    static std::vector<ZalvoPlan::OutputFile> NewOutputs() {
        return {{"plan.json", "new json"}, {"plan.svg", "new svg"}, {"plan.png", "new png"}};
    }

    ScratchDirectory scratch_;
};

TEST_F(OutputFilesTest, ReplacesEveryFileAndLeavesNoStagingFolder) {
    const auto written = ZalvoPlan::WriteOutputFiles(scratch_.Path(), NewOutputs());
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.svg"), "new svg");
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.png"), "new png");
    EXPECT_THAT(ScratchDirectory::Entries(scratch_.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
}

// A folder where an output belongs: the run fails before anything of the
// earlier run is replaced, and the folder stays the user's.
TEST_F(OutputFilesTest, AFolderInAnOutputsPlaceLeavesTheEarlierOutputsAsTheyWere) {
    std::filesystem::remove(scratch_.Path() / "plan.svg");
    std::filesystem::create_directories(scratch_.Path() / "plan.svg" / "keep");
    try {
        ZalvoPlan::WriteOutputFiles(scratch_.Path(), NewOutputs());
        FAIL() << "no error";
    } catch (const ZalvoPlan::OutputError& error) {
        EXPECT_THAT(error.what(), HasSubstr("plan.svg"));
    }
    ExpectEarlierOutputsUntouched({"plan.json", "plan.png"});
    EXPECT_TRUE(std::filesystem::is_directory(scratch_.Path() / "plan.svg" / "keep"));
    EXPECT_THAT(ScratchDirectory::Entries(scratch_.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
}

// A file that cannot be written at all (its name is longer than any file
// system allows): the failure comes while staging, before any move.
TEST_F(OutputFilesTest, AFileThatCannotBeWrittenLeavesTheEarlierOutputsAsTheyWere) {
    auto outputs = NewOutputs();
    outputs.push_back({std::string(300, 'x') + ".html", "new html"});
    EXPECT_THROW(ZalvoPlan::WriteOutputFiles(scratch_.Path(), outputs), ZalvoPlan::OutputError);
    ExpectEarlierOutputsUntouched({"plan.json", "plan.svg", "plan.png"});
    EXPECT_THAT(ScratchDirectory::Entries(scratch_.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
}

// The same through the command: a failed run keeps the earlier run whole.
TEST_F(OutputFilesTest, AFailedRunOfTheCommandKeepsTheEarlierRun) {
    std::filesystem::remove(scratch_.Path() / "plan.svg");
    std::filesystem::create_directories(scratch_.Path() / "plan.svg");
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", scratch_.Path().string()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_THAT(run.err, HasSubstr("plan.svg"));
    ExpectEarlierOutputsUntouched({"plan.json", "plan.png"});
    EXPECT_THAT(ScratchDirectory::Entries(scratch_.Path()), UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
}

}  // namespace
}  // namespace ZalvoPlanTest
