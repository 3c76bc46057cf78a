// README's first command must stay quick on a fresh machine: it builds the
// planner alone, not every test program (which took minutes on two cores).
#include "ToolTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ZalvoPlanTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Json = nlohmann::json;

const std::filesystem::path kSource = ZALVO_SOURCE_DIR;

Json Named(const Json& presets, const std::string& name) {
    for (const auto& preset : presets) {
        if (preset.at("name") == name) return preset;
    }
    return nullptr;
}

// The first fenced command of README.md.
std::string FirstCommand() {
    const std::string readme = ReadText(kSource / "README.md");
    const auto start = readme.find("```sh\n");
    if (start == std::string::npos) return {};
    const auto end = readme.find("```", start + 6);
    return readme.substr(start + 6, end - start - 6);
}

TEST(FirstCommandTest, ReadmesFirstCommandBuildsOnlyThePlanner) {
    EXPECT_EQ(FirstCommand(),
              "scripts/bootstrap.sh && cmake --preset planner && cmake --build --preset planner && "
              "build/planner/tools/zalvo-plan --out plan/\n");
}

TEST(FirstCommandTest, ThePlannerPresetLeavesTheTestsOutAndBuildsOneTarget) {
    const Json presets = Json::parse(ReadText(kSource / "CMakePresets.json"));
    const Json configure = Named(presets.at("configurePresets"), "planner");
    ASSERT_FALSE(configure.is_null());
    EXPECT_EQ(configure.at("cacheVariables").at("ZALVO_BUILD_TESTS"), "OFF");
    EXPECT_EQ(configure.at("cacheVariables").at("CMAKE_BUILD_TYPE"), "Release");
    const Json build = Named(presets.at("buildPresets"), "planner");
    ASSERT_FALSE(build.is_null());
    EXPECT_EQ(build.at("configurePreset"), "planner");
    EXPECT_THAT(build.at("targets"), ElementsAre("zalvo-plan"));
}

TEST(FirstCommandTest, BootstrapInstallsTheBrowserForTheViewsTest) {
    EXPECT_THAT(ReadText(kSource / "scripts" / "bootstrap.sh"), HasSubstr(" chromium"));
}

}  // namespace
}  // namespace ZalvoPlanTest
