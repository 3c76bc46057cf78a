// The grid accessors, the cell classes, the row wrap and the one way of writing a message, which every stage uses.
// (That messages of concurrent calls stay whole is checked with every function in test_reliability.)
#include "cells/Cells.h"
#include "cells/Log.h"
#include "support/Extremes.h"
#include "support/LogCapture.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace ZalvoTest {
namespace {

using testing::ThrowsMessage;
using Zalvo::Terrain;

TEST(PositiveModulo, WrapsIntoRange) {
    for (const auto& [a, n, expected] :
         {std::tuple(-1, 5, 4), std::tuple(-5, 5, 0), std::tuple(7, 5, 2), std::tuple(0, 1, 0), std::tuple(-7, 1, 0),
          std::tuple(kMin32, 1, 0), std::tuple(kMin32, kMax32, kMax32 - 1), std::tuple(kMax32, kMax32, 0),
          std::tuple(kMin32, 3, 1), std::tuple(kMax32, 3, 1)})
        EXPECT_EQ(Zalvo::PositiveModulo(a, n), expected) << a << " mod " << n;
}

TEST(HeightClasses, SlopeCorridorAndPassability) {
    EXPECT_EQ((std::vector{Zalvo::GetSlope(0), Zalvo::GetSlope(125), Zalvo::GetSlope(250)}),
              (std::vector{0.0, 125 / 251.0, 250 / 251.0}));
    for (int h = 0; h < 256; ++h) {
        const auto height = static_cast<std::uint8_t>(h);
        EXPECT_EQ(Zalvo::GetSlope(height) == 1.0, h >= 251) << h;
        EXPECT_EQ(Zalvo::IsCorridor(height), h == 252) << h;
        EXPECT_EQ(Zalvo::IsPassable(height), h < 254) << h;
    }
}

TEST(IsHorizontal, ComparesStoredRowsWithTheFirst) {
    EXPECT_TRUE(Zalvo::IsHorizontal({{4, 9}}));
    EXPECT_TRUE(Zalvo::IsHorizontal({{0, 3}, {5, 3}, {2, 3}, {5, 3}}));
    EXPECT_FALSE(Zalvo::IsHorizontal({{0, 3}, {1, 4}}));
    EXPECT_FALSE(Zalvo::IsHorizontal({{0, 3}, {1, 3}, {2, 4}}));
    EXPECT_TRUE(Zalvo::IsHorizontal({{0, -1}, {1, -1}}));
    EXPECT_FALSE(Zalvo::IsHorizontal({{0, -1}, {1, 4}}));  // -1 and 4 wrap alike on 5 rows
}

TEST(GridChecks, RejectRaggedGridsAndRowsBeyond32BitsNamingTheCaller) {
    using Zalvo::Detail::RequireRectangular;
    EXPECT_NO_THROW(RequireRectangular(Terrain{}, "F"));
    EXPECT_NO_THROW(RequireRectangular(Terrain{{}, {}}, "F"));
    const Terrain ragged{{1, 2}, {1, 2}, {1}};
    EXPECT_THAT([&] { RequireRectangular(ragged, "Caller"); },
                ThrowsMessage<std::invalid_argument>(testing::StartsWith("Caller:")));
    using Zalvo::Detail::CheckedInt32;
    EXPECT_EQ(CheckedInt32(kMax32, "F", "too far"), kMax32);
    EXPECT_EQ(CheckedInt32(kMin32, "F", "too far"), kMin32);
    for (const std::int64_t beyond : {std::int64_t{kMax32} + 1, std::int64_t{kMin32} - 1})
        EXPECT_THAT([beyond] { CheckedInt32(beyond, "Caller", "a row leaves the range"); },
                    ThrowsMessage<std::invalid_argument>(testing::StrEq("Caller: a row leaves the range")));
}

TEST(LogMessage, WritesOnlyWhenTheLevelIsOnAndBuildsNoTextOtherwise) {
    LogCapture log({21});
    int built = 0;
    const auto writer = [&built](std::ostream& out) { out << "line " << ++built << std::endl; };
    Zalvo::Detail::LogMessage(20, writer);
    Zalvo::Detail::LogMessage(21, writer);
    Logging::EnableLevel("zalvo.zalvoting", 20);
    Zalvo::Detail::LogMessage(20, writer);
    EXPECT_EQ(built, 2);
    EXPECT_EQ(log.Text(), "line 1\nline 2\n");
}

}  // namespace
}  // namespace ZalvoTest
