#include "input/PlateImage.h"
#include "input/Units.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace ZalvoPlan {
namespace {

using ::testing::HasSubstr;

class LengthConversionTest : public ::testing::TestWithParam<std::tuple<std::string, double>> {};

TEST_P(LengthConversionTest, ConvertsToMilliPoints) {
    const auto& [text, milliPoints] = GetParam();
    EXPECT_NEAR(ToMilliPoints(ParseLength(text, "--min-distance"), 300.0), milliPoints, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Units, LengthConversionTest,
                         ::testing::Values(std::tuple{"1in", 72000.0}, std::tuple{"25.4mm", 72000.0},
                                           std::tuple{"2.54cm", 72000.0}, std::tuple{"2pt", 2000.0},
                                           std::tuple{"500mpt", 500.0}, std::tuple{"0mm", 0.0},
                                           std::tuple{" 0.5 mm ", 0.5 / 25.4 * 72000.0}, std::tuple{"3px", 720.0},
                                           std::tuple{"1e1pt", 10000.0}));

// A pixel distance must come back through the library's own conversion as
// that many pixels, or just below: a rounding error above would grow the
// margin by a whole ring.
TEST(PixelLengthTest, NeverComesBackAsMorePixels) {
    int exact = 0, total = 0;
    for (double resolution : {96.0, 100.0, 150.0, 299.9, 300.0, 600.0, 1200.0, 2400.0}) {
        for (int pixels = 0; pixels <= 64; ++pixels, ++total) {
            const double back =
                ToPixels(ToMilliPoints({static_cast<double>(pixels), LengthUnit::Pixel}, resolution), resolution);
            EXPECT_LE(back, pixels) << pixels << "px at " << resolution;
            EXPECT_EQ(std::ceil(back), pixels) << pixels << "px at " << resolution;
            exact += back == pixels;
        }
    }
    // Some counts have no exact double at these resolutions; most do.
    EXPECT_GT(exact, total * 9 / 10);
}

TEST(PixelLengthTest, ExactAtSeventyTwoPixelsPerInch) {
    for (int pixels = 0; pixels <= 64; ++pixels) {
        EXPECT_EQ(ToPixels(ToMilliPoints({static_cast<double>(pixels), LengthUnit::Pixel}, 72.0), 72.0), pixels);
    }
}

// The search for the largest value that converts back to no more pixels would
// otherwise end on a subnormal number for 0px.
TEST(PixelLengthTest, NoPixelsAreExactlyZeroAtAnyResolution) {
    for (double resolution : {0.1, 72.0, 300.0, 1'000'000.0}) {
        EXPECT_EQ(ToMilliPoints({0.0, LengthUnit::Pixel}, resolution), 0.0) << resolution;
    }
}

class BadLengthTest : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(BadLengthTest, NamesTheOptionAndTheProblem) {
    const auto& [text, problem] = GetParam();
    try {
        ParseLength(text, "--preferred-distance");
        FAIL() << "parsed '" << text << "'";
    } catch (const InputError& error) {
        EXPECT_THAT(error.what(), HasSubstr("--preferred-distance '" + text + "'"));
        EXPECT_THAT(error.what(), HasSubstr(problem));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadLengthTest,
    ::testing::Values(std::tuple{"2", "has no unit"}, std::tuple{"0", "has no unit"},
                      std::tuple{"2kg", "unknown unit 'kg'"}, std::tuple{"2MM", "unknown unit 'MM'"},
                      std::tuple{"mm", "does not start with a number"}, std::tuple{"", "does not start with a number"},
                      std::tuple{"+2mm", "does not start with a number"},
                      std::tuple{"-1mm", "finite length of 0 or more"},
                      std::tuple{"nanmm", "finite length of 0 or more"},
                      std::tuple{"infpt", "finite length of 0 or more"}, std::tuple{"1e400mm", "is too large"}));

TEST(PlateSizeTest, ParsesColumnsThenRows) {
    const PlateSize size = ParsePlateSize("4000x2000");
    EXPECT_EQ(size.columns, 4000);
    EXPECT_EQ(size.rows, 2000);
}

TEST(PlateSizeTest, RejectsMalformedSizes) {
    for (const char* text : {"640", "0x10", "10x0", "10x", "x10", "10x10x", "-5x10", "ax3", "10 x 10", ""}) {
        EXPECT_THROW(ParsePlateSize(text), InputError) << text;
    }
}

}  // namespace
}  // namespace ZalvoPlan
