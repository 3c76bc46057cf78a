#include "Progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ZalvoPlan {
namespace {

TEST(ProgressTest, ShownOnlyOnATerminalForLargePlatesWithoutQuiet) {
    EXPECT_TRUE(ShouldShowProgress(false, true, kProgressPixelThreshold));
    EXPECT_FALSE(ShouldShowProgress(false, true, kProgressPixelThreshold - 1));
    EXPECT_FALSE(ShouldShowProgress(true, true, kProgressPixelThreshold));
    EXPECT_FALSE(ShouldShowProgress(false, false, kProgressPixelThreshold));
}

TEST(ProgressTest, OneLinePerStage) {
    std::ostringstream out;
    Progress progress(out, true);
    const StageObserver observer = progress.Observer();
    observer.started("createTerrain");
    observer.finished({"createTerrain", 1500.0});
    observer.started("findShortestPixelPath");
    observer.finished({"findShortestPixelPath", 20.0});
    EXPECT_EQ(out.str(), "zalvo-plan: createTerrain ... 1.50 s\nzalvo-plan: findShortestPixelPath ... 0.02 s\n");
}

TEST(ProgressTest, SilentWhenDisabled) {
    std::ostringstream out;
    Progress progress(out, false);
    progress.Started("createTerrain");
    progress.Finished({"createTerrain", 1.0});
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace ZalvoPlan
