// Bad input to the wiggle-room functions: CalculateWiggleRoomAroundPixelPath,
// both row adjustments and CalculateSparsePixelPathThroughWiggleRooms, one
// test per row of the bad-input table (README.md, "Bad input").
#include "reliability/BadInputSupport.h"
#include "rooms/RoomMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

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
    for (const Path& path : {Path{{0, 2}, {-1, 2}}, Path{{3, 2}, {4, 2}}, Path{{kMin32, 2}}, Path{{kMax32, 2}}}) {
        try {
            Wiggle(path, Grid(4, 5));
            ADD_FAILURE() << "accepted a path to column " << path.back().x;
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find(std::to_string(path.back().x) + ", 2)"), std::string::npos)
                << error.what();
        }
    }
}

TEST(BadInputWiggleRooms, RowsWhoseFreeBoundsLeaveTheRangeAreRejected) {
    for (const std::int32_t y : {kMax32 - 4, kMin32 + 4}) {
        EXPECT_THROW(Wiggle({{0, y}, {1, y}}, Grid(4, 5)), std::invalid_argument) << y;
        // One row further in, y - 5 and y + 5 fit: the room holds the path's row.
        const std::int32_t inside = y > 0 ? y - 1 : y + 1;
        const Rooms rooms = Wiggle({{0, inside}, {1, inside}, {2, inside}, {3, inside}}, Grid(4, 5, 0));
        ASSERT_FALSE(rooms.empty()) << y;
        const auto* room = std::get_if<HorizontalRoom>(&rooms.front());
        ASSERT_NE(room, nullptr) << y;
        EXPECT_LE(room->minRow, inside);
        EXPECT_GE(room->maxRow, inside);
    }
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
    const Rooms rooms{Horizontal(0, 5, 20, 0, 10, 0, 1), Fixed({}, 1, 2)};
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
    const Rooms inverted{Horizontal(0, 40, 2, 10, 0, 0, 1)};
    EXPECT_EQ(RowOf(Usage(inverted, kLine), 0), 6);
    EXPECT_EQ(RowOf(Stagger(inverted, kLine), 0), 6);
}

TEST(BadInputRowAdjustment, ExtremeCoordinatesStayDefined) {
    const Rooms whole{Horizontal(kMin32, kMax32, kMax32, kMin32, 5, 0, 1)};
    const Path extremes{{0, kMin32}, {1, kMax32}};
    const Parameters none{.wanted = 0, .radius = 0, .minimumWidth = 0, .lineWidth = 0};
    EXPECT_EQ(RowOf(Usage(whole, extremes, none), 0), 0);  // (-2^31 + 2^31 - 1) / 2 truncates to 0
    EXPECT_EQ(RowOf(Stagger(whole, extremes, none), 0), 0);
}

Path Sparse(const Rooms& rooms) { return Zalvo::CalculateSparsePixelPathThroughWiggleRooms(rooms); }

TEST(BadInputSparsePath, NoRoomsGiveAnEmptyPath) { EXPECT_TRUE(Sparse({}).empty()); }

TEST(BadInputSparsePath, NoRoomWithoutPixelsIsRejected) {
    EXPECT_THROW(Sparse({NoRoom{}}), std::invalid_argument);
    EXPECT_THROW(Sparse({kWide, Fixed({}, 1, 2), kWide}), std::invalid_argument);
}

TEST(BadInputSparsePath, VerticalRoomsAtTheEndsOrSideBySideAddNoJog) {
    const VerticalRoom alone{3, 7, 20, 0, 0, 1, 5};
    EXPECT_TRUE(Sparse({alone}).empty());
    EXPECT_TRUE(Sparse({alone, alone}).empty());
    const HorizontalRoom line{0, 40, 12, 8, 0, 1, 10};
    EXPECT_EQ(Sparse({line, Vertical(40, 44, 30, 0, 42, 1, 2)}), Sparse({line}));
    // Two side by side between pieces: each enters where it leaves.
    EXPECT_EQ(Sparse({Fixed({{0, 0}, {3, 0}}), Vertical(4, 6, 9, 2, 5), Vertical(7, 9, 12, 10, 8),
                      Fixed({{10, 13}, {14, 13}})}),
              (Path{{0, 0}, {3, 0}, {10, 13}, {14, 13}}));
}

TEST(BadInputSparsePath, InvertedBoxesClampToTheirLowBound) {
    const HorizontalRoom inverted{30, 10, 2, 8, 0, 1, 5};
    const Path sparse = Sparse({Fixed({{0, 0}, {0, 1}, {5, 5}}, 0, 1), inverted});
    ASSERT_FALSE(sparse.empty());
    EXPECT_EQ(sparse.front(), (Pixel{0, 1}));
}

TEST(BadInputSparsePath, ExtremeCoordinatesStayDefined) {
    EXPECT_EQ(Sparse({Horizontal(kMin32, kMax32, kMax32, kMin32, 0, 0, 1)}), (Path{{kMin32, 0}, {kMax32, 0}}));
    EXPECT_EQ(Sparse({Fixed({{kMin32, kMin32}, {kMax32, kMax32}}, 0, 1)}), (Path{{kMin32, kMin32}, {kMax32, kMax32}}));
}

}  // namespace
}  // namespace ZalvoTest
