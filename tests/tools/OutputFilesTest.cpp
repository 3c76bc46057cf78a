#include "ToolTestSupport.h"
#include "output/OutputFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace ZalvoPlanTest {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using ZalvoPlan::WriteOutputFiles;

// A folder holding an earlier run's outputs.
class OutputFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"plan.json", "plan.svg", "plan.png"}) scratch_.Write(name, std::string("old ") + name);
    }
    void ExpectEarlierOutputs(const std::vector<std::string>& names) const {
        for (const auto& name : names) EXPECT_EQ(ReadText(scratch_.Path() / name), "old " + name) << name;
    }
    void ExpectOnlyOutputs() const {
        EXPECT_THAT(ScratchDirectory::Entries(scratch_.Path()),
                    UnorderedElementsAre("plan.json", "plan.svg", "plan.png"));
    }
    const std::vector<ZalvoPlan::OutputFile> new_{
        {"plan.json", "new json"}, {"plan.svg", "new svg"}, {"plan.png", "new png"}};
    ScratchDirectory scratch_;
};

TEST_F(OutputFilesTest, ReplacesEveryFileAndLeavesNoStagingFolder) {
    ASSERT_EQ(WriteOutputFiles(scratch_.Path(), new_).size(), 3u);
    for (const auto& [name, text] : new_) EXPECT_EQ(ReadText(scratch_.Path() / name), text);
    ExpectOnlyOutputs();
}

// A folder where an output belongs fails the write, and the command's run, before anything is replaced.
TEST_F(OutputFilesTest, AFolderInAnOutputsPlaceLeavesTheEarlierOutputsAsTheyWere) {
    fs::remove(scratch_.Path() / "plan.svg");
    fs::create_directories(scratch_.Path() / "plan.svg" / "keep");
    EXPECT_THAT([&] { WriteOutputFiles(scratch_.Path(), new_); },
                ::testing::ThrowsMessage<ZalvoPlan::OutputError>(HasSubstr("plan.svg")));
    const auto run = RunPlanner({"--sample-size", "64x32", "--out", scratch_.Path().string()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_THAT(run.err, HasSubstr("plan.svg"));
    EXPECT_TRUE(fs::is_directory(scratch_.Path() / "plan.svg" / "keep"));
    ExpectEarlierOutputs({"plan.json", "plan.png"});
    ExpectOnlyOutputs();
}

// A name longer than any file system allows fails while staging, before any move.
TEST_F(OutputFilesTest, AFileThatCannotBeWrittenLeavesTheEarlierOutputsAsTheyWere) {
    auto outputs = new_;
    outputs.push_back({std::string(300, 'x') + ".html", "new html"});
    EXPECT_THROW(WriteOutputFiles(scratch_.Path(), outputs), ZalvoPlan::OutputError);
    ExpectEarlierOutputs({"plan.json", "plan.svg", "plan.png"});
    ExpectOnlyOutputs();
}

TEST_F(OutputFilesTest, AFolderSharedWithOtherFilesKeepsThemAndGetsOnlyTheNewOutputs) {
    scratch_.Write("notes.txt", "mine");
    WriteOutputFiles(scratch_.Path(), {{"plan.json", "new json"}});
    EXPECT_EQ(ReadText(scratch_.Path() / "notes.txt"), "mine");
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
    ExpectEarlierOutputs({"plan.svg", "plan.png"});
}

// The working folder is never traded away under the process, even when it holds nothing but outputs.
TEST_F(OutputFilesTest, TheWorkingFolderStaysWhereItIs) {
    const auto before = fs::current_path();
    fs::current_path(scratch_.Path());
    WriteOutputFiles(".", new_);
    const bool stillHere = fs::exists(fs::current_path());
    fs::current_path(before);
    EXPECT_TRUE(stillHere);
    EXPECT_EQ(ReadText(scratch_.Path() / "plan.json"), "new json");
}

// A write killed after any one change to the file system leaves the whole earlier set (for a first run:
// nothing) or the whole new set: each step is tried in a child process that the step hook ends there.
class KilledRunTest : public ::testing::TestWithParam<bool> {
protected:
    static inline int killAtStep = 0, stepsTaken = 0;
    // The child's exit code: 0 when killed at `step`, 3 when through every step.
    static int RunKilledAt(int step, const fs::path& folder) {
        const pid_t child = fork();
        if (child == 0) {
            killAtStep = step;
            ZalvoPlan::SetFileSystemStepHook([](const char*) {
                if (++stepsTaken == killAtStep) _exit(0);
            });
            try {
                WriteOutputFiles(folder, {{"plan.json", "new"}, {"plan.svg", "new"}, {"plan.png", "new"}});
            } catch (...) {
                _exit(1);
            }
            _exit(3);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_P(KilledRunTest, LeavesTheOldSetOrTheNewSetNeverAMix) {
    ScratchDirectory scratch;
    const fs::path folder = scratch.Path() / "plate";
    std::vector<std::string> oldSet, newSet{"plan.json:new", "plan.png:new", "plan.svg:new"};
    if (GetParam()) oldSet = {"plan.html:old", "plan.json:old", "plan.png:old", "plan.svg:old"};
    int step = 1;
    for (;; ++step) {
        for (const auto& name : ScratchDirectory::Entries(scratch.Path())) fs::remove_all(scratch.Path() / name);
        if (GetParam()) fs::create_directories(folder);
        for (const auto& entry : oldSet) scratch.Write("plate/" + entry.substr(0, entry.find(':')), "old");
        const int exitCode = RunKilledAt(step, folder);
        ASSERT_TRUE(exitCode == 0 || exitCode == 3) << "step " << step << ": exit " << exitCode;
        std::vector<std::string> found;
        for (const auto& name : ScratchDirectory::Entries(folder))
            found.push_back(name + ":" + ReadText(folder / name));
        std::sort(found.begin(), found.end());
        EXPECT_TRUE(found == oldSet || found == newSet) << "step " << step << ": " << ::testing::PrintToString(found);
        for (const auto& name : ScratchDirectory::Entries(scratch.Path())) {
            EXPECT_TRUE(name == "plate" || name.starts_with(ZalvoPlan::kStagingPrefix)) << name;
        }
        if (exitCode == 3) break;
    }
    EXPECT_GE(step, 6);  // staging folder, three files, the trade, the clean-up
}
INSTANTIATE_TEST_SUITE_P(EarlierRun, KilledRunTest, ::testing::Bool());

}  // namespace
}  // namespace ZalvoPlanTest
