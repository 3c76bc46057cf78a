#include "plan/CutLine.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace ZalvoPlan {
namespace {

using Path = std::vector<Zalvo::Pixel>;

struct CutLineCase {
    const char* name;
    Path sparse;
    Path corners;
};

class CutLineTest : public testing::TestWithParam<CutLineCase> {};

TEST_P(CutLineTest, KeepsOnlyTheCorners) { EXPECT_EQ(RemoveCollinearPoints(GetParam().sparse), GetParam().corners); }

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Paths, CutLineTest,
    testing::Values(
        CutLineCase{"Empty", {}, {}}, CutLineCase{"OnePoint", {{3, 4}}, {{3, 4}}},
        CutLineCase{"TwoEqualPointsStay", {{3, 4}, {3, 4}}, {{3, 4}, {3, 4}}},
        CutLineCase{"StraightRunShrinksToItsEnds", {{0, 5}, {10, 5}, {20, 5}, {30, 5}}, {{0, 5}, {30, 5}}},
        CutLineCase{"RepeatedPointsGo", {{0, 5}, {0, 5}, {10, 5}, {10, 5}}, {{0, 5}, {10, 5}}},
        CutLineCase{"StepKeepsBothCorners", {{0, 5}, {10, 5}, {10, 9}, {20, 9}}, {{0, 5}, {10, 5}, {10, 9}, {20, 9}}},
        CutLineCase{
            "TurnBackKeepsItsTurn", {{10, 0}, {10, 3}, {10, -4}, {20, -4}}, {{10, 0}, {10, 3}, {10, -4}, {20, -4}}},
        CutLineCase{"DiagonalRunShrinks", {{0, 0}, {2, 1}, {4, 2}, {5, 2}}, {{0, 0}, {4, 2}, {5, 2}}},
        CutLineCase{"NearlyStraightStays", {{0, 0}, {3, 1}, {7, 2}}, {{0, 0}, {3, 1}, {7, 2}}},
        CutLineCase{"ExtremeRowsDoNotOverflow",
                    {{0, kMin}, {1, 0}, {2, kMax}, {3, kMax}},
                    {{0, kMin}, {1, 0}, {2, kMax}, {3, kMax}}},
        CutLineCase{"ExtremeStraightRowsShrink", {{0, kMin}, {0, 0}, {0, kMax}}, {{0, kMin}, {0, kMax}}}),
    [](const testing::TestParamInfo<CutLineCase>& testCase) { return testCase.param.name; });

}  // namespace
}  // namespace ZalvoPlan
