#include "input/SamplePlate.h"
#include "run/Progress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace ZalvoPlan {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

struct ShowCase {
    ProgressChoice choice;
    bool quiet;
    bool terminal;
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
    std::int64_t done;
    std::int64_t total;
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

// A clock the test moves by hand.
struct FakeClock {
    double now = 100.0;
    ProgressDisplay::Clock Get() {
        return [this] { return now; };
    }
};

TEST(ProgressDisplayTest, RedrawsInPlaceAndEndsTheStageWithANewline) {
    std::ostringstream out;
    FakeClock clock;
    ProgressDisplay display(out, clock.Get());
    const StageObserver observer = display.Observer();
    observer.started("findShortestPixelPath", 4);
    for (int i = 0; i < 2; ++i) observer.counted();
    clock.now += 1.5;
    display.Redraw();
    clock.now += 1.0;
    observer.finished({"findShortestPixelPath", 2500.0});
    display.Redraw();  // between stages: nothing to draw
    EXPECT_EQ(out.str(),
              "\rzalvo-plan: findShortestPixelPath [------------------------]   0%    0.0 s"
              "\rzalvo-plan: findShortestPixelPath [############------------]  50%    1.5 s"
              "\rzalvo-plan: findShortestPixelPath [########################] 100%    2.5 s\n");
}

TEST(ProgressDisplayTest, AStageCutShortEndsItsLineSoAnErrorStartsOnItsOwn) {
    std::ostringstream out;
    {
        FakeClock clock;
        ProgressDisplay display(out, clock.Get());
        display.StageStarted("findShortestPixelPath", 10);
    }
    EXPECT_THAT(out.str(), EndsWith("  0%    0.0 s\n"));
}

TEST(ProgressDisplayTest, EachStageCountsFromZero) {
    std::ostringstream out;
    FakeClock clock;
    ProgressDisplay display(out, clock.Get());
    display.StageStarted("a", 10);
    for (int i = 0; i < 10; ++i) display.Count();
    display.StageFinished();
    out.str("");
    display.StageStarted("b", 10);
    display.Redraw();
    EXPECT_THAT(out.str(), EndsWith("  0%    0.0 s"));
}

// The planner counts the library's penalty calls against the cell count, and
// watching must not change what is planned.
TEST(ProgressDisplayTest, CountsTheSearchAgainstTheCellsWithoutChangingTheResult) {
    const PlateImage image = MakeSamplePlate(128, 64);
    PlanParameters parameters;
    parameters.resolution = kSampleResolution;
    parameters.minimumDistance = 2000.0;
    parameters.preferredDistance = 6000.0;
    std::ostringstream out;
    ProgressDisplay display(out);
    const PlanResult watched = RunPlan(image, parameters, display.Observer());
    const PlanResult plain = RunPlan(image, parameters);
    EXPECT_EQ(watched.sparsePath, plain.sparsePath);
    EXPECT_EQ(watched.cutLine, plain.cutLine);
    EXPECT_THAT(out.str(), HasSubstr("\rzalvo-plan: findShortestPixelPath [------------------------]   0%"));
    EXPECT_THAT(out.str(), HasSubstr("zalvo-plan: findShortestPixelPath [########################] 100%"));
    EXPECT_THAT(out.str(), HasSubstr("zalvo-plan: createTerrain done"));
}

}  // namespace
}  // namespace ZalvoPlan
