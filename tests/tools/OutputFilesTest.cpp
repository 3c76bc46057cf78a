#include "ToolTestSupport.h"
#include "output/OutputFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

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

TEST_F(OutputFilesTest, AFolderSharedWithOtherFilesKeepsThemAndGetsOnlyTheNewOutputs) {
    scratch_.Write("notes.txt", std::string("mine"));
    ZalvoPlan::WriteOutputFiles(scratch_.Path(), {{"plan.json", "new json"}});
    EXPECT_EQ(ReadText(scratch_.Path() / "notes.txt"), "mine");
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
    ExpectEarlierOutputsUntouched({"plan.svg", "plan.png"});
}

// The working folder is never traded away under the process, even when it
// holds nothing but outputs.
TEST_F(OutputFilesTest, TheWorkingFolderStaysWhereItIs) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.Path());
    ZalvoPlan::WriteOutputFiles(".", NewOutputs());
    const bool stillHere = std::filesystem::exists(std::filesystem::current_path());
    std::filesystem::current_path(before);
    EXPECT_TRUE(stillHere);
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
}

// A run killed after any one change to the file system leaves the folder
// with the whole earlier set or the whole new set (or, for a first run,
// nothing), never a mix: each step is tried in a child process that the
// step hook ends there, until a child gets through every step.
class KilledRunTest : public ::testing::TestWithParam<bool> {
protected:
    static inline int killAtStep = 0;
    static inline int stepsTaken = 0;

    static void EndTheProcessAtTheChosenStep(const char*) {
        if (++stepsTaken == killAtStep) _exit(kKilled);
    }

    // The child's exit code: killed at the chosen step, or through them all.
    static constexpr int kKilled = 0;
    static constexpr int kCompleted = 3;

    int RunKilledAt(int step) const {
        const pid_t child = fork();
        if (child == 0) {
            killAtStep = step;
            ZalvoPlan::SetFileSystemStepHook(EndTheProcessAtTheChosenStep);
            try {
                ZalvoPlan::WriteOutputFiles(folder_, {{"plan.json", "new"}, {"plan.svg", "new"}, {"plan.png", "new"}});
            } catch (...) {
                _exit(1);
            }
            _exit(kCompleted);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void LayEarlierRun() const {
        std::filesystem::remove_all(scratch_.Path());
        std::filesystem::create_directories(scratch_.Path());
        if (!GetParam()) return;
        std::filesystem::create_directories(folder_);
        for (const char* name : {"plan.json", "plan.svg", "plan.png", "plan.html"}) {
            std::ofstream(folder_ / name) << "old";
        }
    }

    ScratchDirectory scratch_;
    std::filesystem::path folder_ = scratch_.Path() / "plate";
};

TEST_P(KilledRunTest, LeavesTheOldSetOrTheNewSetNeverAMix) {
    const std::vector<std::string> oldSet{"plan.html:old", "plan.json:old", "plan.png:old", "plan.svg:old"};
    const std::vector<std::string> newSet{"plan.json:new", "plan.png:new", "plan.svg:new"};
    int step = 1;
    for (;; ++step) {
        LayEarlierRun();
        const int exitCode = RunKilledAt(step);
        ASSERT_TRUE(exitCode == kKilled || exitCode == kCompleted) << "step " << step << ": exit " << exitCode;
        std::vector<std::string> found;
        for (const auto& name : ScratchDirectory::Entries(folder_))
            found.push_back(name + ":" + ReadText(folder_ / name));
        std::sort(found.begin(), found.end());
        const bool before = found == (GetParam() ? oldSet : std::vector<std::string>{});
        EXPECT_TRUE(before || found == newSet) << "step " << step << ": " << ::testing::PrintToString(found);
        for (const auto& name : ScratchDirectory::Entries(scratch_.Path())) {
            EXPECT_TRUE(name == "plate" || name.rfind(ZalvoPlan::kStagingPrefix, 0) == 0) << name;
        }
        if (exitCode == kCompleted) break;
    }
    EXPECT_GE(step, 6);  // staging folder, three files, the trade, the clean-up
}

INSTANTIATE_TEST_SUITE_P(EarlierRun, KilledRunTest, ::testing::Bool());

}  // namespace
}  // namespace ZalvoPlanTest
