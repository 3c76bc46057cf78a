// Bad input to the wiggle-room functions: CalculateWiggleRoomAroundPixelPath,
// both row adjustments and CalculateSparsePixelPathThroughWiggleRooms, one
// test per row of the bad-input table (README.md, "Bad input").
#include "reliability/BadInputSupport.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ZalvoTest {
namespace {

using Zalvo::HorizontalRoom;
using Zalvo::NoRoom;
using Zalvo::Pixel;
using Zalvo::VerticalRoom;
using Rooms = std::vector<Zalvo::WiggleRoom>;
using Path = std::vector<Pixel>;

const Path kLine{{0, 2}, {1, 2}, {2, 2}, {3, 2}};

Rooms Wiggle(const Path& path, const Zalvo::Terrain& terrain, std::int32_t halfWidth = 2, std::int32_t band = 1,
             std::int32_t enough = 3) {
    return Zalvo::CalculateWiggleRoomAroundPixelPath(path, terrain, halfWidth, band, enough, {});
}

TEST(BadInputWiggleRooms, EmptyPathGivesNoRoomsOnAnyGrid) {
    EXPECT_TRUE(Wiggle({}, {}).empty());
    EXPECT_TRUE(Wiggle({}, {{1, 2}, {3}}).empty());
}

TEST(BadInputWiggleRooms, NoColumnsAreRejected) { EXPECT_THROW(Wiggle(kLine, {}), std::invalid_argument); }

TEST(BadInputWiggleRooms, EmptyFirstColumnIsRejected) {
    EXPECT_THROW(Wiggle(kLine, Grid(4, 0)), std::invalid_argument);
}

TEST(BadInputWiggleRooms, RaggedGridIsRejected) {
    Zalvo::Terrain ragged = Grid(4, 5);
    ragged[3].resize(2);
    EXPECT_THROW(Wiggle(kLine, ragged), std::invalid_argument);
}

TEST(BadInputWiggleRooms, PathPixelsOffTheColumnsAreRejected) {
    EXPECT_THROW(Wiggle({{-1, 2}, {0, 2}}, Grid(4, 5)), std::invalid_argument);
    EXPECT_THROW(Wiggle({{3, 2}, {4, 2}}, Grid(4, 5)), std::invalid_argument);
    EXPECT_THROW(Wiggle({{kMin32, 2}}, Grid(4, 5)), std::invalid_argument);
}

TEST(BadInputWiggleRooms, RowsWhoseFreeBoundsLeaveTheRangeAreRejected) {
    EXPECT_THROW(Wiggle({{0, kMax32 - 2}, {1, kMax32 - 2}}, Grid(4, 5)), std::invalid_argument);
    EXPECT_THROW(Wiggle({{0, kMin32 + 2}, {1, kMin32 + 2}}, Grid(4, 5)), std::invalid_argument);
    // Just inside: the bounds y - R and y + R still fit.
    EXPECT_FALSE(Wiggle({{0, kMax32 - 5}, {1, kMax32 - 5}}, Grid(4, 5)).empty());
}

TEST(BadInputWiggleRooms, ExtremeParametersGiveRooms) {
    for (const std::int32_t halfWidth : {kMin32, kMax32})
        for (const std::int32_t band : {kMin32, kMax32})
            for (const std::int32_t enough : {kMin32, kMax32})
                EXPECT_FALSE(Wiggle(kLine, Grid(4, 5), halfWidth, band, enough).empty());
}

// The five integer parameters of both row adjustments.
struct Parameters {
    std::int32_t existing = 0, wanted = 2, radius = 4, minimumWidth = 2, lineWidth = 1;
};

Rooms Usage(Rooms rooms, const Path& path, Parameters p = {}) {
    return Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage(std::move(rooms), path, p.existing, p.wanted, p.radius,
                                                               p.minimumWidth, p.lineWidth);
}

Rooms Stagger(Rooms rooms, const Path& path, Parameters p = {}) {
    return Zalvo::AdjustHorizontalRoomRowsForPreferringStagger(std::move(rooms), path, p.existing, p.wanted, p.radius,
                                                               p.minimumWidth, p.lineWidth);
}

std::int32_t RowOf(const Rooms& rooms, std::size_t index) { return std::get<HorizontalRoom>(rooms[index]).row; }

const HorizontalRoom kWide{0, 40, 20, 0, 0, 1, 10};

TEST(BadInputRowAdjustment, EmptyPathIsRejectedForPlateUsageOnly) {
    EXPECT_THROW(Usage({kWide}, {}), std::invalid_argument);
    EXPECT_EQ(RowOf(Stagger({kWide}, {}), 0), 10);  // the middle of band 0 .. 20
}

TEST(BadInputRowAdjustment, NoRoomWithoutPixelsIsRejectedWhereRead) {
    const Rooms rooms{
        HorizontalRoom{
            .minColumn = 0, .maxColumn = 5, .maxRow = 20, .minRow = 0, .firstStretch = 0, .endStretch = 1, .row = 10},
        NoRoom{.pixels = {}, .firstStretch = 1, .endStretch = 2}};
    EXPECT_THROW(Usage(rooms, kLine), std::invalid_argument);
    EXPECT_THROW(Stagger(rooms, kLine), std::invalid_argument);
}

TEST(BadInputRowAdjustment, ParametersWhoseMarginsOverflowAreRejected) {
    const Parameters overflowing{.existing = kMin32, .wanted = kMax32};
    EXPECT_THROW(Usage({kWide}, kLine, overflowing), std::invalid_argument);
    EXPECT_THROW(Stagger({kWide}, kLine, overflowing), std::invalid_argument);
}

TEST(BadInputRowAdjustment, VerticalRoomsAtTheEndsOrSideBySideAreKept) {
    const VerticalRoom v1{38, 42, 30, 5, 1, 2, 40};
    const VerticalRoom v2{40, 44, 28, 8, 2, 3, 41};
    const Rooms rooms{v2, kWide, v1, v2};
    for (const Rooms& adjusted : {Usage(rooms, kLine), Stagger(rooms, kLine)}) {
        ASSERT_EQ(adjusted.size(), 4u);
        EXPECT_EQ(adjusted[0], rooms[0]);
        EXPECT_EQ(adjusted[2], rooms[2]);
        EXPECT_EQ(adjusted[3], rooms[3]);
        EXPECT_GE(RowOf(adjusted, 1), kWide.minRow);
        EXPECT_LE(RowOf(adjusted, 1), kWide.maxRow);
    }
}

TEST(BadInputRowAdjustment, InvertedBandTakesItsMiddleRow) {
    const Rooms inverted{HorizontalRoom{
        .minColumn = 0, .maxColumn = 40, .maxRow = 2, .minRow = 10, .firstStretch = 0, .endStretch = 1, .row = 0}};
    EXPECT_EQ(RowOf(Usage(inverted, kLine), 0), 6);
    EXPECT_EQ(RowOf(Stagger(inverted, kLine), 0), 6);
}

TEST(BadInputRowAdjustment, ExtremeCoordinatesStayDefined) {
    const Rooms whole{HorizontalRoom{.minColumn = kMin32,
                                     .maxColumn = kMax32,
                                     .maxRow = kMax32,
                                     .minRow = kMin32,
                                     .firstStretch = 0,
                                     .endStretch = 1,
                                     .row = 5}};
    const Path extremes{{0, kMin32}, {1, kMax32}};
    const Parameters none{.wanted = 0, .radius = 0, .minimumWidth = 0, .lineWidth = 0};
    EXPECT_EQ(RowOf(Usage(whole, extremes, none), 0), 0);  // (-2^31 + 2^31 - 1) / 2 truncates to 0
    EXPECT_EQ(RowOf(Stagger(whole, extremes, none), 0), 0);
}

Path Sparse(const Rooms& rooms) { return Zalvo::CalculateSparsePixelPathThroughWiggleRooms(rooms); }

TEST(BadInputSparsePath, NoRoomsGiveAnEmptyPath) { EXPECT_TRUE(Sparse({}).empty()); }

TEST(BadInputSparsePath, NoRoomWithoutPixelsIsRejected) {
    EXPECT_THROW(Sparse({NoRoom{}}), std::invalid_argument);
    EXPECT_THROW(Sparse({kWide, NoRoom{.pixels = {}, .firstStretch = 1, .endStretch = 2}, kWide}),
                 std::invalid_argument);
}

TEST(BadInputSparsePath, VerticalRoomsAtTheEndsOrSideBySideAddNoJog) {
    const VerticalRoom alone{3, 7, 20, 0, 0, 1, 5};
    EXPECT_TRUE(Sparse({alone}).empty());
    EXPECT_TRUE(Sparse({alone, alone}).empty());
    const HorizontalRoom line{0, 40, 12, 8, 0, 1, 10};
    EXPECT_EQ(Sparse({line, VerticalRoom{.minColumn = 40,
                                         .maxColumn = 44,
                                         .maxRow = 30,
                                         .minRow = 0,
                                         .firstStretch = 1,
                                         .endStretch = 2,
                                         .column = 42}}),
              Sparse({line}));
}

TEST(BadInputSparsePath, InvertedBoxesClampToTheirLowBound) {
    const HorizontalRoom inverted{30, 10, 2, 8, 0, 1, 5};
    const Path sparse =
        Sparse({NoRoom{.pixels = {{0, 0}, {0, 1}, {5, 5}}, .firstStretch = 0, .endStretch = 1}, inverted});
    ASSERT_FALSE(sparse.empty());
    EXPECT_EQ(sparse.front(), (Pixel{0, 1}));
}

TEST(BadInputSparsePath, ExtremeCoordinatesStayDefined) {
    EXPECT_EQ(Sparse({HorizontalRoom{.minColumn = kMin32,
                                     .maxColumn = kMax32,
                                     .maxRow = kMax32,
                                     .minRow = kMin32,
                                     .firstStretch = 0,
                                     .endStretch = 1,
                                     .row = 0}}),
              (Path{{kMin32, 0}, {kMax32, 0}}));
    EXPECT_EQ(Sparse({NoRoom{.pixels = {{kMin32, kMin32}, {kMax32, kMax32}}, .firstStretch = 0, .endStretch = 1}}),
              (Path{{kMin32, kMin32}, {kMax32, kMax32}}));
}

}  // namespace
}  // namespace ZalvoTest
