// Bad input to every entry point, one test per row of README.md's "Bad input" tables, in their order.
#include "rooms/RoomMakers.h"
#include "support/FakePlate.h"

#include <gmock/gmock.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <string>

namespace ZalvoTest {
namespace {

using namespace Zalvo;
using testing::Field;
using testing::HasSubstr;
using testing::Throws;
using testing::ThrowsMessage;
using Member = FakePlate::Member;
using Path = std::vector<Pixel>;
using Rooms = std::vector<WiggleRoom>;

// Not a std::exception, so it can only arrive if the library let it pass untouched.
struct HostFailure {
    int code;
};

Terrain Grid(std::size_t columns, std::size_t rows, std::uint8_t height = 0) {
    return Terrain(columns, std::vector<std::uint8_t>(rows, height));
}

// A host callable returning `value`, counting its calls, throwing HostFailure on call `failAt` (0-based).
struct Counting {
    std::shared_ptr<int> calls = std::make_shared<int>(0);
    double value = 0.0;
    int failAt = -1;
    template <class Argument>
    double operator()(const Argument&) const {
        if ((*calls)++ == failAt) throw HostFailure{failAt};
        return value;
    }
};

// Throws std::length_error("vector too long"), what the bad-input table calls "too long".
const auto kTooLong = ThrowsMessage<std::length_error>(HasSubstr("vector too long"));

// Lets the host's exception through unchanged.
auto HostFailed(int code) { return Throws<HostFailure>(Field(&HostFailure::code, code)); }

auto Rejected(const std::string& text) { return ThrowsMessage<std::invalid_argument>(HasSubstr(text)); }

void ExpectReads(const Terrain& terrain, std::initializer_list<std::pair<Pixel, int>> reads) {
    for (const auto& [pixel, height] : reads)
        EXPECT_EQ(GetHeight(terrain, pixel), height) << pixel.x << ", " << pixel.y;
}

TEST(BadInputAccessors, EmptyTerrainReadsAsNothing) {
    EXPECT_EQ(GetColumnCount({}), 0u);
    EXPECT_EQ(GetRowCount({}), 0u);
    ExpectReads({}, {{{0, 0}, 0}, {{kMin32, kMin32}, 0}, {{kMax32, kMax32}, 0}});
}

TEST(BadInputAccessors, EmptyFirstColumnReadsZero) {
    EXPECT_EQ(GetRowCount(Terrain{{}, {7}}), 0u);  // the first column's length
    ExpectReads(Terrain{{}, {7}}, {{{0, 0}, 0}, {{1, 0}, 0}, {{1, -1}, 0}, {{1, kMax32}, 0}});
}

// Cells hold distinct heights, so a read names its cell; rows wrap by the row count.
TEST(BadInputAccessors, RaggedTerrainReadsZeroBeyondAShortColumn) {
    const Terrain terrain{{1, 2, 3}, {4}, {5, 6, 7, 8}, {}};
    EXPECT_EQ(GetColumnCount(terrain), 4u);
    EXPECT_EQ(GetRowCount(terrain), 3u);
    ExpectReads(terrain, {{{1, 0}, 4}, {{1, 1}, 0}, {{1, 2}, 0}, {{1, -1}, 0}, {{2, 3}, 5}, {{3, 0}, 0}});
}

TEST(BadInputAccessors, ExtremeCoordinatesWrapRowsAndLeaveColumns) {
    Terrain terrain(3, std::vector<std::uint8_t>(5));  // 10 x column + row; -2^31 and 2^31 - 1 are 2 (mod 5)
    for (std::uint8_t x = 0; x < 3; ++x)
        for (std::uint8_t y = 0; y < 5; ++y) terrain[x][y] = static_cast<std::uint8_t>(10 * x + y);
    ExpectReads(terrain, {{{1, 2}, 12}, {{-1, 2}, 0}, {{3, 2}, 0}, {{kMin32, 0}, 0}, {{kMax32, 0}, 0}});
    ExpectReads(terrain,
                {{{2, -1}, 24}, {{2, 5}, 20}, {{2, -5}, 20}, {{2, 13}, 23}, {{1, kMin32}, 12}, {{0, kMax32}, 2}});
}

TEST(BadInputAccessors, EmptyPathIsNotHorizontal) { EXPECT_FALSE(IsHorizontal({})); }

class BadInputSearch : public ::testing::Test {
protected:
    std::shared_ptr<int> calls = std::make_shared<int>(0);
    auto Search(const Terrain& terrain, double value = 0.0, int failAt = -1) {
        return FindShortestPixelPath(terrain, Counting{calls, value, failAt});
    }
};

TEST_F(BadInputSearch, NoColumnsGiveNoPath) {
    EXPECT_FALSE(Search({}));
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, EmptyFirstColumnGivesNoPath) {
    EXPECT_FALSE(Search(Grid(3, 0)));
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, RaggedGridIsRejectedBeforeAnyPenalty) {
    Terrain ragged = Grid(3, 4);
    ragged[2].pop_back();
    EXPECT_THROW(Search(ragged), std::invalid_argument);
    EXPECT_THROW(Search(Terrain{{}, {0}}), std::invalid_argument);
    EXPECT_EQ(*calls, 0);
}

TEST_F(BadInputSearch, EmptyPenaltyThrowsBadFunctionCall) {
    EXPECT_THROW(FindShortestPixelPath(Grid(3, 3), {}), std::bad_function_call);
}

TEST_F(BadInputSearch, ThrowingPenaltyPassesUnchanged) {
    for (const int failAt : {0, 3, 6}) {
        *calls = 0;
        EXPECT_THAT([&] { Search(Grid(4, 4), 0.0, failAt); }, HostFailed(failAt));
        EXPECT_EQ(*calls, failAt + 1);  // nothing was called after the failure
    }
}

TEST_F(BadInputSearch, NanPenaltyIsRejectedNamingThePixel) {
    const auto nanAt = [](const Pixel& p) { return p == Pixel{1, 2} ? kNaN : 0.0; };
    EXPECT_THAT([&] { FindShortestPixelPath(Grid(3, 4), nanAt); }, Rejected("NaN for pixel (1, 2)"));
}

// Each penalty may take at most `mostCalls` calls to be found cyclic.
TEST_F(BadInputSearch, NegativeCycleIsRejected) {
    const auto expectRejected = [](const char* name, const Terrain& terrain, auto penalty, int mostCalls) {
        SCOPED_TRACE(name);
        int count = 0;
        const auto counted = [&](const Pixel& p) { return ++count, penalty(p); };
        EXPECT_THAT([&] { FindShortestPixelPath(terrain, counted); }, Rejected("cycle of negative cost"));
        EXPECT_LT(count, mostCalls);
    };
    const auto everywhere = [](double value) { return [value](const Pixel&) { return value; }; };
    expectRejected("small", Grid(3, 3), everywhere(-5.0), 200);  // each step costs -5 + 1
    Terrain wall = Grid(3, 4), walls = Grid(6, 6, Heights::FractionalRing);
    wall[1].assign(4, Heights::FractionalRing);
    // Costs start near 1e7 behind the wall and fall by 6 per loop: millions of loops to the floor.
    const auto behindTheWall = [](const Pixel& p) { return p.x == 2 ? -4.0 : 0.0; };
    expectRejected("behind a wall", wall, behindTheWall, 200);
    // From about -1e15 on the steps vanish in rounding and all cells share one key.
    for (const double value : {-5.0, -1e5, -1e15}) expectRejected("40 x 40", Grid(40, 40), everywhere(value), 3200);
    // Found by fuzzing (fuzz/corpus/grid): each pass once lengthened the chains by a cell near
    // -1e300, and a cycle between walls falling by 0.001 a step from 2e7 took some 1e10 steps.
    expectRejected("-1e300", Grid(48, 48), everywhere(-1e300), 2 * 48 * 48);
    walls[2].assign(6, 0);
    walls[3].assign(6, 0);
    const auto betweenTheWalls = [](const Pixel& p) { return p.x == 2 || p.x == 3 ? -1.001 : 0.0; };
    expectRejected("between walls", walls, betweenTheWalls, 10000);
}

TEST_F(BadInputSearch, NegativeButAcyclicPenaltiesEnd) {
    const auto found = Search(Grid(5, 4), -0.5);  // each step still costs +0.5
    ASSERT_TRUE(found);
    EXPECT_EQ(found->back().x, 4);
    std::set<Pixel> cells;
    for (const Pixel& p : *found) EXPECT_TRUE(cells.insert({p.x, PositiveModulo(p.y, 4)}).second);
}

TEST_F(BadInputSearch, InfinitePenaltiesGiveNoPathOrAreRejected) {
    EXPECT_FALSE(Search(Grid(3, 3), kInfinity));
    EXPECT_FALSE(Search(Grid(3, 3), 1e300));
    // One column of +infinity is a wall; one cell of -infinity is rejected.
    EXPECT_FALSE(FindShortestPixelPath(Grid(3, 3), [](const Pixel& p) { return p.x == 1 ? kInfinity : 0.0; }));
    const auto minusInfinity = [](const Pixel& p) { return p == Pixel{1, 1} ? -kInfinity : 0.0; };
    EXPECT_THROW(FindShortestPixelPath(Grid(3, 3), minusInfinity), std::invalid_argument);
}

// At resolution 72 one point is one pixel: 1000 millipoints per pixel.
Terrain Create(const FakePlate& plate, double minimum, double preferred, const std::set<Pixel>& seeds = {}) {
    return CreateTerrain(plate, plate.IsImpassableFunction(), seeds, MilliPoints(minimum), MilliPoints(preferred));
}

void ExpectCreateTooLong(const FakePlate& plate, double minimum, double preferred) {
    SCOPED_TRACE(testing::Message() << "minimum " << minimum << ", preferred " << preferred);
    EXPECT_THAT([&] { Create(plate, minimum, preferred); }, kTooLong);
}

FakePlate PlateWithContent(double resolution = 72.0) {
    return FakePlate::FromRows({".....", "..X..", "....."}, resolution);
}

// Both counts are asked, once each, and nothing else.
void ExpectTooLongAfterTheCounts(std::int32_t columns, std::int32_t rows) {
    const FakePlate plate(columns, rows);
    ExpectCreateTooLong(plate, 1000, 2000);
    EXPECT_EQ(plate.Calls(),
              (std::vector<FakePlate::Call>{{Member::GetPixelRowCount, {}}, {Member::GetPixelColumnCount, {}}}));
}

TEST(BadInputCreateTerrain, NegativeRowCountIsTooLongBeforeAnyPixel) {
    ExpectTooLongAfterTheCounts(4, -1);
    ExpectTooLongAfterTheCounts(0, kMin32);
}

TEST(BadInputCreateTerrain, NegativeColumnCountIsTooLongBeforeAnyPixel) {
    ExpectTooLongAfterTheCounts(kMin32, 4);
    ExpectTooLongAfterTheCounts(-1, -1);
}

// Reports its counts but no pixel: none of an absurd plate may ever be asked for.
struct SizeOnlyPlate final : FakePlate {
    SizeOnlyPlate(std::int32_t c, std::int32_t r) : FakePlate(0, 0), columns(c), rows(r) {}
    std::int32_t GetPixelColumnCount() const override { return columns; }
    std::int32_t GetPixelRowCount() const override { return rows; }
    bool IsPixelOccupied(const Pixel&) const override { throw HostFailure{0}; }
    std::int32_t columns, rows;
};

TEST(BadInputCreateTerrain, HugePlateSizesAreTooLongBeforeAnyPixel) {
    const auto create = [](std::int32_t columns, std::int32_t rows) {
        return CreateTerrain(SizeOnlyPlate(columns, rows), {}, {}, MilliPoints(0), MilliPoints(0));
    };
    constexpr std::int32_t side = 1 << 24;
    for (const auto& size : {std::pair{0, kMax32}, std::pair{kMax32, 0}, std::pair{65536, 65536},
                             std::pair{side + 1, 1}, std::pair{1, side + 1}, std::pair{46341, 46341}})
        EXPECT_THAT([&] { create(size.first, size.second); }, kTooLong) << size.first << " x " << size.second;
    EXPECT_THROW(create(1, side), HostFailure);  // a side of 2^24 is a plate: its pixels are asked for
    EXPECT_TRUE(create(0, side).empty());
}

TEST(BadInputCreateTerrain, NoColumnsGiveAnEmptyTerrainWithoutResolution) {
    const FakePlate plate(0, 7);
    EXPECT_TRUE(Create(plate, 1000, 2000).empty());
    EXPECT_EQ(plate.CountOf(Member::GetResolution), 0u);
}

TEST(BadInputCreateTerrain, NoRowsGiveEmptyColumnsAndIgnoreSeeds) {
    EXPECT_EQ(Create(FakePlate(3, 0), 2000, 4000, {{1, -1}, {1, 0}}), Grid(3, 0));
}

TEST(BadInputCreateTerrain, ZeroResolutionLeavesContentWithoutMargin) {
    Terrain expected = Grid(5, 3);
    expected[2][1] = 255;
    EXPECT_EQ(Create(PlateWithContent(0.0), 3000, 8000), expected);
}

TEST(BadInputCreateTerrain, NegativeResolutionCountsAsNegativeDistances) {
    ExpectCreateTooLong(PlateWithContent(-72.0), 1000, 2000);
}

TEST(BadInputCreateTerrain, NegativeDistancesAreTooLong) {
    const FakePlate plate = PlateWithContent();
    ExpectCreateTooLong(plate, -1000, 2000);                        // hard length -1 pixel
    EXPECT_EQ(plate.Calls().back().member, Member::GetResolution);  // the distances are judged in pixels
    ExpectCreateTooLong(PlateWithContent(), 0, -500);               // total length rounds to -1
    EXPECT_EQ(Create(PlateWithContent(), -999, -499)[2][1], 255);   // less than a pixel below zero: no margin
}

TEST(BadInputCreateTerrain, NanResolutionOrDistanceIsTooLong) {
    ExpectCreateTooLong(PlateWithContent(kNaN), 1000, 2000);
    ExpectCreateTooLong(PlateWithContent(), kNaN, 2000);
    ExpectCreateTooLong(PlateWithContent(), 1000, kNaN);
}

TEST(BadInputCreateTerrain, InfiniteResolutionOrDistanceIsTooLong) {
    ExpectCreateTooLong(PlateWithContent(kInfinity), 1000, 2000);
    ExpectCreateTooLong(PlateWithContent(), kInfinity, 2000);
    ExpectCreateTooLong(PlateWithContent(), 1000, -kInfinity);
}

TEST(BadInputCreateTerrain, DistancesOf2To63PixelsAreTooLong) {
    ExpectCreateTooLong(PlateWithContent(), 9.3e21, 0);  // 9.3e18 pixels
    ExpectCreateTooLong(PlateWithContent(), 0, 1e300);
}

TEST(BadInputCreateTerrain, DistancesBeyondThePlateLimitAreTooLong) {
    ExpectCreateTooLong(PlateWithContent(), 0, 2e12);  // 2e9 pixels: no plate side is that long
    ExpectCreateTooLong(PlateWithContent(), 1.7e10, 0);
    EXPECT_EQ(Create(PlateWithContent(1.0), 0, 1000.0 * 72 * (1 << 24))[1][0], 251);  // 2^24 pixels is accepted
}

TEST(BadInputCreateTerrain, EmptyIsImpassableFailsAtTheFirstOccupiedPixelOnly) {
    EXPECT_EQ(CreateTerrain(FakePlate(3, 3), {}, {}, MilliPoints(1000), MilliPoints(2000)), Grid(3, 3));
    const FakePlate occupied = PlateWithContent();
    EXPECT_THROW(CreateTerrain(occupied, {}, {}, MilliPoints(1000), MilliPoints(2000)), std::bad_function_call);
    EXPECT_EQ(occupied.CountOf(Member::IsPixelOccupied), 8u);  // stopped at (2, 1)
}

TEST(BadInputCreateTerrain, HostExceptionsPassUnchanged) {
    for (const Member failing : {Member::GetPixelRowCount, Member::GetPixelColumnCount, Member::IsPixelOccupied,
                                 Member::IsImpassable, Member::GetResolution}) {
        FakePlate plate = PlateWithContent();
        plate.SetCallHook([failing](const FakePlate::Call& call) {
            if (call.member == failing) throw HostFailure{static_cast<int>(failing)};
        });
        EXPECT_THAT([&] { Create(plate, 1000, 2000); }, HostFailed(static_cast<int>(failing)));
        EXPECT_EQ(plate.Calls().back().member, failing);  // nothing was asked after the failure
    }
}

TEST(BadInputCreateTerrain, SeedsOffThePlateAreIgnored) {
    const FakePlate plate = FakePlate::FromRows({"XXXXX", "XXXXX", "XXXXX"});
    const std::set<Pixel> offPlate{{-1, 1},          {5, 1},           {1, -2},     {1, 3},
                                   {kMin32, kMin32}, {kMax32, kMax32}, {2, kMin32}, {2, kMax32}};
    EXPECT_EQ(Create(plate, 1000, 1000, offPlate), Create(plate, 1000, 1000));
    EXPECT_EQ(Create(plate, 1000, 1000, {{2, -1}})[2][2], 252);  // row -1 stands for the last row
}

class BadInputOptimize : public ::testing::Test {
protected:
    Counting cost, penalty;
    const Path path{{0, 1}, {1, 1}, {2, 2}};
    auto Optimize(const Terrain& terrain, std::int32_t clearance = 0, const Path& line = {}) {
        return OptimizePixelPath(line.empty() ? path : line, clearance, terrain, cost, penalty);
    }
    void ExpectNoCallableRan() const { EXPECT_EQ(std::pair(*cost.calls, *penalty.calls), std::pair(0, 0)); }
};

const auto kFree = [](auto) { return 0.0; };

TEST_F(BadInputOptimize, NoColumnsAreRejectedBeforeAnyCallable) {
    EXPECT_THROW(Optimize({}), std::invalid_argument);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, RaggedGridIsRejectedBeforeAnyCallable) {
    Terrain ragged = Grid(3, 5);
    ragged[1].push_back(0);
    EXPECT_THROW(Optimize(ragged), std::invalid_argument);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, EmptyFirstColumnMovesNothing) {
    EXPECT_EQ(Optimize(Grid(3, 0)), std::pair(path, path));
    EXPECT_EQ(*penalty.calls, 2);  // shift 0, priced once per direction
}

TEST_F(BadInputOptimize, ClearanceThatOverflowsTheLimitIsRejected) {
    EXPECT_THROW(Optimize(Grid(3, 8), kMin32), std::invalid_argument);
    // Two free shifts less -(2^31 - 1) is 2^31 + 1: still too far.
    EXPECT_THROW(OptimizePixelPath({}, kMin32 + 1, Grid(1, 3), cost, penalty), std::invalid_argument);
    ExpectNoCallableRan();
    // The largest clearance allows no shift; without a free shift the smallest is harmless too.
    EXPECT_EQ(Optimize(Grid(3, 8), kMax32).first, path);
    EXPECT_EQ(Optimize(Grid(3, 8, Heights::Impassable), kMin32).first, path);
}

TEST_F(BadInputOptimize, EmptyCallablesThrowBadFunctionCall) {
    const Terrain terrain = Grid(3, 4);
    EXPECT_THROW(OptimizePixelPath(path, 0, terrain, {}, penalty), std::bad_function_call);
    EXPECT_THROW(OptimizePixelPath(path, 0, terrain, cost, {}), std::bad_function_call);
    EXPECT_THROW(OptimizePixelPath({}, 0, terrain, cost, {}), std::bad_function_call);
    // Without pixels the cost callable is never needed.
    EXPECT_NO_THROW(OptimizePixelPath({}, 0, terrain, {}, penalty));
}

TEST_F(BadInputOptimize, ThrowingCallablesPassUnchanged) {
    const Terrain terrain = Grid(3, 6);
    EXPECT_THAT([&] { OptimizePixelPath(path, 0, terrain, Counting{cost.calls, 0.0, 4}, kFree); }, HostFailed(4));
    EXPECT_THAT([&] { OptimizePixelPath(path, 0, terrain, kFree, Counting{penalty.calls, 0.0, 2}); }, HostFailed(2));
}

TEST_F(BadInputOptimize, NanAndInfiniteCostsNeverWin) {
    const Terrain terrain = Grid(3, 6);
    const Path flat{{0, 1}, {1, 1}, {2, 1}}, point{{0, 0}};
    const auto nanShifted = [](const Pixel& p) { return p.y == 1 ? 0.0 : kNaN; };
    EXPECT_EQ(OptimizePixelPath(flat, 0, terrain, nanShifted, kFree), std::pair(flat, flat));
    const auto infiniteShifted = [](const Pixel& p) { return p.y == 1 ? 1.0 : kInfinity; };
    EXPECT_EQ(OptimizePixelPath(flat, 0, terrain, infiniteShifted, kFree).second, flat);
    // A NaN at shift 1 loses to shift 0 although shift 2 would cost less.
    const auto nanAtOne = [](const Pixel& p) { return p.y == 1 ? kNaN : 3.0 - p.y; };
    const auto dearTwo = [](std::int32_t s) { return s == 2 ? 10.0 : 0.0; };
    EXPECT_EQ(OptimizePixelPath(point, 0, Grid(1, 3), nanAtOne, dearTwo).first, point);
    // A NaN at shift 0 is never replaced, however cheap the other shifts.
    const auto nanAtZero = [](const Pixel& p) { return p.y == 0 ? kNaN : -100.0; };
    EXPECT_EQ(OptimizePixelPath(point, 0, Grid(1, 5), nanAtZero, kFree), std::pair(point, point));
}

TEST_F(BadInputOptimize, RowsNearTheEndOfTheRangeAreRejectedWhenAShiftWouldLeaveIt) {
    const Path top{{0, kMax32 - 1}, {1, kMax32}};
    EXPECT_THROW(Optimize(Grid(2, 8), 0, top), std::invalid_argument);
    ExpectNoCallableRan();
    EXPECT_THROW(Optimize(Grid(2, 8), 0, {{0, kMin32}, {1, kMin32 + 1}}), std::invalid_argument);
    EXPECT_EQ(Optimize(Grid(2, 8, 255), 0, top), std::pair(top, top));  // no free shift
    // Free shifts ending right at the ends of the range are taken (all free: the largest wins).
    EXPECT_EQ(OptimizePixelPath({{0, kMax32 - 1}}, 2, Grid(1, 4), kFree, kFree),
              std::pair(Path{{0, kMax32}}, Path{{0, kMax32 - 2}}));
    EXPECT_EQ(OptimizePixelPath({{0, kMin32 + 1}}, 2, Grid(1, 4), kFree, kFree).second, (Path{{0, kMin32}}));
}

TEST_F(BadInputOptimize, PointsTooFarApartForADenseLineAreTooLong) {
    EXPECT_THAT([&] { Optimize(Grid(2, 8), 0, {{kMin32, 0}, {kMax32, 0}}); }, kTooLong);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, GapsAddingMoreThan2To26PixelsAreTooLong) {
    // A gap to column 2^26 + 2 bridges 2^26 + 1 pixels.
    EXPECT_THAT([&] { Optimize(Grid(2, 8), 0, {{0, 0}, {(1 << 26) + 2, 0}}); }, kTooLong);
    ExpectNoCallableRan();
}

TEST_F(BadInputOptimize, EmptyPathGivesTwoEmptyPaths) {
    // Every shift is free: 1 .. 4 on five rows, clearance 1 leaves 0 .. 3 priced each way.
    EXPECT_EQ(OptimizePixelPath({}, 1, Grid(3, 5), cost, penalty), std::pair(Path{}, Path{}));
    EXPECT_EQ(std::pair(*cost.calls, *penalty.calls), std::pair(0, 8));
}

const Path kLine{{0, 2}, {1, 2}, {2, 2}, {3, 2}};

Rooms Wiggle(const Path& path, const Terrain& terrain, std::int32_t halfWidth = 2, std::int32_t band = 1,
             std::int32_t enough = 3) {
    return CalculateWiggleRoomAroundPixelPath(path, terrain, halfWidth, band, enough, {});
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
    Terrain ragged = Grid(4, 5);
    ragged[3].resize(2);
    EXPECT_THROW(Wiggle(kLine, ragged), std::invalid_argument);
}

TEST(BadInputWiggleRooms, PathPixelsOffTheColumnsAreRejected) {
    for (const Path& path : {Path{{0, 2}, {-1, 2}}, Path{{3, 2}, {4, 2}}, Path{{kMin32, 2}}, Path{{kMax32, 2}}})
        EXPECT_THAT([&] { Wiggle(path, Grid(4, 5)); }, Rejected(std::to_string(path.back().x) + ", 2)"));
}

TEST(BadInputWiggleRooms, RowsWhoseFreeBoundsLeaveTheRangeAreRejected) {
    for (const std::int32_t y : {kMax32 - 4, kMin32 + 4}) {
        EXPECT_THROW(Wiggle({{0, y}, {1, y}}, Grid(4, 5)), std::invalid_argument) << y;
        // One row further in, y - 5 and y + 5 fit: the room holds the path's row.
        const std::int32_t in = y > 0 ? y - 1 : y + 1;
        const Rooms rooms = Wiggle({{0, in}, {1, in}, {2, in}, {3, in}}, Grid(4, 5));
        const auto* room = rooms.empty() ? nullptr : std::get_if<HorizontalRoom>(&rooms.front());
        ASSERT_NE(room, nullptr) << y;
        EXPECT_TRUE(room->minRow <= in && in <= room->maxRow) << y;
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

// The plate-usage adjustment, or the stagger one.
Rooms Adjust(bool usage, Rooms rooms, const Path& path, Parameters p = {}) {
    return usage ? AdjustHorizontalRoomRowsForOptimalPlateUsage(std::move(rooms), path, p.existing, p.wanted, p.radius,
                                                                p.minimumWidth, p.lineWidth)
                 : AdjustHorizontalRoomRowsForPreferringStagger(std::move(rooms), path, p.existing, p.wanted, p.radius,
                                                                p.minimumWidth, p.lineWidth);
}

const WiggleRoom kWide = Horizontal(0, 40, 20, 0, 10, 0, 1);

TEST(BadInputRowAdjustment, EmptyPathIsRejectedForPlateUsageOnly) {
    EXPECT_THROW(Adjust(true, {kWide}, {}), std::invalid_argument);
    EXPECT_EQ(RowsOf(Adjust(false, {kWide}, {})), std::vector{10});  // the middle of band 0 .. 20
}

TEST(BadInputRowAdjustment, NoRoomWithoutPixelsIsRejectedWhereRead) {
    for (const bool usage : {true, false})
        EXPECT_THROW(Adjust(usage, {Horizontal(0, 5, 20, 0, 10, 0, 1), Fixed({}, 1, 2)}, kLine), std::invalid_argument);
}

TEST(BadInputRowAdjustment, ParametersWhoseMarginsOverflowAreRejected) {
    // The base margin overflows, or the preferred width 2 x (wanted - existing) is 2^31.
    for (const Parameters p : {Parameters{.existing = kMin32, .wanted = kMax32}, Parameters{.wanted = 1 << 30}})
        for (const bool usage : {true, false}) EXPECT_THROW(Adjust(usage, {kWide}, kLine, p), std::invalid_argument);
}

TEST(BadInputRowAdjustment, VerticalRoomsAtTheEndsOrSideBySideAreKept) {
    const auto v2 = Vertical(40, 44, 28, 8, 41, 2, 3);
    const Rooms rooms{v2, kWide, Vertical(38, 42, 30, 5, 40, 1, 2), v2};
    for (const bool usage : {true, false}) {
        Rooms adjusted = Adjust(usage, rooms, kLine);
        ASSERT_EQ(adjusted.size(), 4u);
        EXPECT_TRUE(RowsOf(adjusted)[0] >= 0 && RowsOf(adjusted)[0] <= 20);
        adjusted[1] = kWide;
        EXPECT_EQ(adjusted, rooms);
    }
}

TEST(BadInputRowAdjustment, InvertedBandTakesItsMiddleRow) {
    for (const bool usage : {true, false})
        EXPECT_EQ(RowsOf(Adjust(usage, {Horizontal(0, 40, 2, 10, 0, 0, 1)}, kLine)), std::vector{6});
}

TEST(BadInputRowAdjustment, ExtremeCoordinatesStayDefined) {
    const Parameters none{.wanted = 0, .radius = 0, .minimumWidth = 0, .lineWidth = 0};
    // (-2^31 + 2^31 - 1) / 2 truncates to 0.
    for (const bool usage : {true, false})
        EXPECT_EQ(RowsOf(Adjust(usage, {Horizontal(kMin32, kMax32, kMax32, kMin32, 5, 0, 1)},
                                {{0, kMin32}, {1, kMax32}}, none)),
                  std::vector{0});
}

Path Sparse(const Rooms& rooms) { return CalculateSparsePixelPathThroughWiggleRooms(rooms); }

TEST(BadInputSparsePath, NoRoomsGiveAnEmptyPath) { EXPECT_TRUE(Sparse({}).empty()); }

TEST(BadInputSparsePath, NoRoomWithoutPixelsIsRejected) {
    EXPECT_THROW(Sparse({Fixed({})}), std::invalid_argument);
    EXPECT_THROW(Sparse({kWide, Fixed({}, 1, 2), kWide}), std::invalid_argument);
}

TEST(BadInputSparsePath, VerticalRoomsAtTheEndsOrSideBySideAddNoJog) {
    const auto alone = Vertical(3, 7, 20, 0, 5, 0, 1), line = Horizontal(0, 40, 12, 8, 10, 0, 1);
    EXPECT_TRUE(Sparse({alone}).empty());
    EXPECT_TRUE(Sparse({alone, alone}).empty());
    EXPECT_EQ(Sparse({line, Vertical(40, 44, 30, 0, 42, 1, 2)}), Sparse({line}));
    // Two side by side between pieces: each enters where it leaves.
    EXPECT_EQ(Sparse({Fixed({{0, 0}, {3, 0}}), Vertical(4, 6, 9, 2, 5), Vertical(7, 9, 12, 10, 8),
                      Fixed({{10, 13}, {14, 13}})}),
              (Path{{0, 0}, {3, 0}, {10, 13}, {14, 13}}));
}

TEST(BadInputSparsePath, InvertedBoxesClampToTheirLowBound) {
    const Path sparse = Sparse({Fixed({{0, 0}, {0, 1}, {5, 5}}, 0, 1), Horizontal(30, 10, 2, 8, 5, 0, 1)});
    ASSERT_FALSE(sparse.empty());
    EXPECT_EQ(sparse.front(), (Pixel{0, 1}));
}

TEST(BadInputSparsePath, ExtremeCoordinatesStayDefined) {
    EXPECT_EQ(Sparse({Horizontal(kMin32, kMax32, kMax32, kMin32, 0, 0, 1)}), (Path{{kMin32, 0}, {kMax32, 0}}));
    EXPECT_EQ(Sparse({Fixed({{kMin32, kMin32}, {kMax32, kMax32}}, 0, 1)}), (Path{{kMin32, kMin32}, {kMax32, kMax32}}));
}

}  // namespace
}  // namespace ZalvoTest
