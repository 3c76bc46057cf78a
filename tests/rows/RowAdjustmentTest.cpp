#include "rows/RowAdjustment.h"

#include "rooms/RoomMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace {

using namespace Zalvo;
using namespace Zalvo::Detail;
using ZalvoTest::Fixed;
using ZalvoTest::Horizontal;
using ZalvoTest::kMax32;
using ZalvoTest::kMin32;
using ZalvoTest::RowsOf;
using ZalvoTest::Vertical;

// existingClearance 0, wantedClearance 2, cornerRadius 10, minimumWidth 2,
// lineWidth 3: baseMargin 4, preferredWidth 4.
std::vector<WiggleRoom> PlateUsage(std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path) {
    return AdjustHorizontalRoomRowsForOptimalPlateUsage(std::move(rooms), path, 0, 2, 10, 2, 3);
}

std::vector<WiggleRoom> Stagger(std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path) {
    return AdjustHorizontalRoomRowsForPreferringStagger(std::move(rooms), path, 0, 2, 10, 2, 3);
}

TEST(TargetRow, IsTheTruncatedMiddleOfThePathRows) {
    EXPECT_EQ(TargetRow({{0, 3}, {1, 8}, {2, 5}}), 5);
    EXPECT_EQ(TargetRow({{0, 0}, {1, -3}}), -1);
    EXPECT_EQ(TargetRow({{0, kMax32}, {1, kMax32 - 2}}), kMax32 - 1);
    EXPECT_THROW(TargetRow({}), std::invalid_argument);
}

struct ClampCase {
    std::int32_t maxRow;
    std::int32_t target;
    std::int32_t row;
};

class PlateUsageClamp : public testing::TestWithParam<ClampCase> {};

TEST_P(PlateUsageClamp, AimsAtTheTargetWithinTheUsableBand) {
    const auto rooms = PlateUsage({Horizontal(0, 40, GetParam().maxRow, 0, -99)}, {{0, GetParam().target}});
    EXPECT_EQ(RowsOf(rooms), std::vector{GetParam().row});
}

INSTANTIATE_TEST_SUITE_P(Margin4, PlateUsageClamp,
                         testing::Values(ClampCase{20, 30, 16}, ClampCase{20, 10, 10}, ClampCase{20, -5, 4},
                                         ClampCase{7, 30, 3}));

struct AlignCase {
    const char* name;
    std::vector<WiggleRoom> rooms;
    std::vector<std::int32_t> rows;

    friend void PrintTo(const AlignCase& value, std::ostream* out) { *out << value.name; }
};

class AlignEnds : public testing::TestWithParam<AlignCase> {};

TEST_P(AlignEnds, FollowsTheFirstRuleThatApplies) {
    EXPECT_EQ(RowsOf(AlignEndHorizontalRooms(GetParam().rooms)), GetParam().rows) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AlignEnds,
    testing::Values(AlignCase{"a: next NoRoom", {Horizontal(0, 9, 20, 0, 5), Fixed({{10, 12}, {11, 30}})}, {12}},
                    AlignCase{"a: outside the band", {Horizontal(0, 9, 20, 0, 5), Fixed({{10, 30}, {11, 12}})}, {5}},
                    AlignCase{"b: NoRoom beyond a vertical",
                              {Horizontal(0, 9, 20, 0, 5), Vertical(9, 10, 20, 0, 10), Fixed({{10, 9}})},
                              {9}},
                    AlignCase{"c before b",
                              {Horizontal(0, 9, 20, 0, 5), Horizontal(10, 19, 20, 0, 11), Fixed({{20, 9}})},
                              {11, 11}},
                    AlignCase{"c, then the end sees the new row",
                              {Horizontal(0, 9, 20, 0, 5), Horizontal(10, 19, 30, 0, 12)},
                              {12, 12}},
                    AlignCase{"d, then the end sees the new row",
                              {Horizontal(0, 9, 20, 0, 5), Vertical(9, 10, 20, 0, 10), Horizontal(10, 19, 30, 0, 12)},
                              {12, 12}},
                    AlignCase{"d: row outside the first band",
                              {Horizontal(0, 9, 10, 0, 5), Vertical(9, 10, 20, 0, 10), Horizontal(10, 19, 30, 8, 12)},
                              {5, 12}},
                    AlignCase{"end: last pixel", {Fixed({{0, 3}, {5, 9}}), Horizontal(6, 9, 20, 0, 2)}, {9}},
                    AlignCase{"end: beyond a vertical",
                              {Fixed({{0, 3}, {5, 9}}), Vertical(5, 6, 20, 0, 5), Horizontal(6, 9, 20, 0, 2)},
                              {9}},
                    AlignCase{"single room", {Horizontal(0, 9, 20, 0, 5)}, {5}}),
    [](const testing::TestParamInfo<AlignCase>& param) { return "Case" + std::to_string(param.index); });

TEST(AlignEndHorizontalRooms, RejectsAnEmptyNoRoomItReads) {
    EXPECT_THROW(AlignEndHorizontalRooms({Horizontal(0, 9, 20, 0, 5), Fixed({})}), std::invalid_argument);
    EXPECT_TRUE(AlignEndHorizontalRooms({}).empty());
}

// Columns 10..20, usable band 4..16.
TEST(StaggerRowFromPath, PrefersInBandStepsWithTheGreatestOverlap) {
    const auto row = [](std::vector<Pixel> path) { return StaggerRowFromPath(10, 20, 16, 4, path); };
    EXPECT_EQ(row({{0, 7}, {12, 7}, {12, 9}, {30, 9}}), 9);
    EXPECT_EQ(row({{30, 9}, {12, 9}, {12, 7}, {0, 7}}), 9);
    EXPECT_EQ(row({{0, 7}, {12, 7}, {12, 18}, {30, 18}}), 7);
    EXPECT_EQ(row({{0, 18}, {12, 18}, {12, 30}, {30, 30}}), 30);
    EXPECT_EQ(row({{11, 5}, {14, 5}, {14, 6}, {17, 6}}), 5);  // equal overlaps: the earlier step
    EXPECT_EQ(row({{0, 7}, {10, 7}}), std::nullopt);          // touches column 10 only
    EXPECT_EQ(row({{12, 7}, {18, 8}, {18, 8}, {18, 9}}), std::nullopt);
    EXPECT_EQ(row({{12, 7}}), std::nullopt);
}

TEST(PreferringStagger, KeepsThePathRowsInsideTheUsableBand) {
    const auto room = Horizontal(10, 40, 20, 0, -99);
    EXPECT_EQ(RowsOf(Stagger({room}, {{0, 7}, {12, 7}, {12, 9}, {50, 9}})), std::vector{9});
    EXPECT_EQ(RowsOf(Stagger({room}, {{0, 18}, {12, 18}, {12, 30}, {50, 30}})), std::vector{16});
    EXPECT_EQ(RowsOf(Stagger({room}, {{0, 7}})), std::vector{10});
    EXPECT_EQ(RowsOf(Stagger({room}, {})), std::vector{10});
    EXPECT_EQ(RowsOf(Stagger({Horizontal(10, 40, 7, 0, -99)}, {{0, 7}, {50, 7}})), std::vector{3});
}

// baseMargin 1. The vertical line stands 2 columns from the edge facing the
// first room, raising its margin to CornerMargin(10, 2) = 4; the second room
// faces an edge 10 columns away (CornerMargin 0). With radius 0 the root is
// imaginary and baseMargin holds.
TEST(RowAdjustments, CornerMarginNarrowsTheUsableBand) {
    const std::vector<WiggleRoom> rooms{Horizontal(0, 40, 30, 0, 0), Vertical(38, 50, 40, 0, 40),
                                        Horizontal(41, 80, 40, 30, 0)};
    EXPECT_EQ(RowsOf(AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, {{0, 99}}, 0, 0, 10, 0, 1)),
              (std::vector{26, 39}));
    EXPECT_EQ(RowsOf(AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, {{0, 99}}, 0, 0, 0, 0, 1)),
              (std::vector{29, 39}));
}

class BothAdjustments : public testing::TestWithParam<bool> {
protected:
    std::vector<WiggleRoom> Adjust(std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path, std::int32_t existing,
                                   std::int32_t wanted) const {
        return GetParam()
                   ? AdjustHorizontalRoomRowsForOptimalPlateUsage(std::move(rooms), path, existing, wanted, 10, 2, 3)
                   : AdjustHorizontalRoomRowsForPreferringStagger(std::move(rooms), path, existing, wanted, 10, 2, 3);
    }
};

TEST_P(BothAdjustments, ChangeNothingButHorizontalRows) {
    const std::vector<WiggleRoom> rooms{Fixed({{0, 5}, {9, 5}}), Horizontal(10, 40, 20, 0, -7),
                                        Vertical(39, 45, 30, 0, 42), Horizontal(43, 90, 30, 10, -7), Fixed({{91, 12}})};
    auto adjusted = Adjust(rooms, {{0, 5}, {90, 15}}, 0, 2);
    ASSERT_EQ(adjusted.size(), rooms.size());
    for (std::size_t index = 0; index < rooms.size(); ++index) {
        if (auto* room = std::get_if<HorizontalRoom>(&adjusted[index])) {
            EXPECT_NE(room->row, -7);
            room->row = -7;
        }
        EXPECT_EQ(adjusted[index], rooms[index]) << index;
    }
    EXPECT_TRUE(Adjust({}, {{0, 1}}, 0, 2).empty());
}

TEST_P(BothAdjustments, RejectBadInput) {
    const std::vector<WiggleRoom> rooms{Horizontal(0, 9, 20, 0, 5)};
    EXPECT_THROW(Adjust(rooms, {{0, 1}}, kMin32, kMax32), std::invalid_argument);
    EXPECT_THROW(Adjust(rooms, {{0, 1}}, 0, 1 << 30), std::invalid_argument);  // preferredWidth 2^31
    EXPECT_THROW(Adjust({Horizontal(0, 9, 20, 0, 5), Fixed({})}, {{0, 1}}, 0, 2), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(PlateUsageAndStagger, BothAdjustments, testing::Bool());

TEST(PlateUsage, RejectsAnEmptyPath) {
    EXPECT_THROW(PlateUsage({Horizontal(0, 9, 20, 0, 5)}, {}), std::invalid_argument);
}

}  // namespace
