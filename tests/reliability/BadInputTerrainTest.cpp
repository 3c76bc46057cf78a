// Bad input to CreateTerrain, one test per row of the bad-input table
// (README.md, "Bad input").
#include "reliability/BadInputSupport.h"
#include "support/FakePlate.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

namespace ZalvoTest {
namespace {

using Call = FakePlate::Call;
using Member = FakePlate::Member;
using Zalvo::MilliPoints;
using Zalvo::Pixel;

// At resolution 72 one point is one pixel: 1000 millipoints per pixel.
Zalvo::Terrain Create(const FakePlate& plate, double minimum, double preferred, const std::set<Pixel>& seeds = {}) {
    return Zalvo::CreateTerrain(plate, plate.IsImpassableFunction(), seeds, MilliPoints(minimum),
                                MilliPoints(preferred));
}

// Expects std::length_error("vector too long") and returns the plate's calls.
void ExpectTooLong(const FakePlate& plate, double minimum, double preferred) {
    try {
        Create(plate, minimum, preferred);
        FAIL() << "accepted minimum " << minimum << ", preferred " << preferred;
    } catch (const std::length_error& error) {
        EXPECT_EQ(std::string(error.what()), "vector too long");
    }
}

FakePlate PlateWithContent(double resolution = 72.0) {
    return FakePlate::FromRows({".....", "..X..", "....."}, resolution);
}

// Both counts are asked, once each, and nothing else.
void ExpectTooLongAfterTheCounts(std::int32_t columns, std::int32_t rows) {
    const FakePlate plate(columns, rows);
    ExpectTooLong(plate, 1000, 2000);
    EXPECT_EQ(plate.Calls(), (std::vector<Call>{{Member::GetPixelRowCount, {}}, {Member::GetPixelColumnCount, {}}}))
        << columns << " x " << rows;
}

TEST(BadInputCreateTerrain, NegativeRowCountIsTooLongBeforeAnyPixel) {
    ExpectTooLongAfterTheCounts(4, -1);
    ExpectTooLongAfterTheCounts(0, kMin32);
}

TEST(BadInputCreateTerrain, NegativeColumnCountIsTooLongBeforeAnyPixel) {
    ExpectTooLongAfterTheCounts(kMin32, 4);
    ExpectTooLongAfterTheCounts(-1, -1);
}

// Answers only its counts: no pixel of an absurd plate may ever be asked for.
class SizeOnlyPlate final : public Zalvo::PlateInterface {
public:
    SizeOnlyPlate(std::int32_t columns, std::int32_t rows) : columns_(columns), rows_(rows) {}
    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Pixel&) const override { return false; }
    bool IsPixelOccupied(const Pixel&) const override { throw HostFailure{0}; }

private:
    std::int32_t columns_, rows_;
};

TEST(BadInputCreateTerrain, HugePlateSizesAreTooLongBeforeAnyPixel) {
    constexpr std::int32_t side = 1 << 24;
    for (const auto& [columns, rows] : {std::pair{0, kMax32}, std::pair{kMax32, 0}, std::pair{65536, 65536},
                                        std::pair{side + 1, 1}, std::pair{1, side + 1}, std::pair{46341, 46341}}) {
        try {
            Zalvo::CreateTerrain(SizeOnlyPlate(columns, rows), {}, {}, MilliPoints(0), MilliPoints(0));
            ADD_FAILURE() << "accepted " << columns << " x " << rows;
        } catch (const std::length_error& error) {
            EXPECT_EQ(std::string(error.what()), "vector too long");
        }
    }
    // A side of exactly 2^24 is still a plate: its pixels are asked for.
    EXPECT_THROW(Zalvo::CreateTerrain(SizeOnlyPlate(1, side), {}, {}, MilliPoints(0), MilliPoints(0)), HostFailure);
    EXPECT_TRUE(Zalvo::CreateTerrain(SizeOnlyPlate(0, side), {}, {}, MilliPoints(0), MilliPoints(0)).empty());
}

TEST(BadInputCreateTerrain, NoColumnsGiveAnEmptyTerrainWithoutResolution) {
    const FakePlate plate(0, 7);
    EXPECT_TRUE(Create(plate, 1000, 2000).empty());
    EXPECT_EQ(plate.CountOf(Member::GetResolution), 0u);
}

TEST(BadInputCreateTerrain, NoRowsGiveEmptyColumnsAndIgnoreSeeds) {
    const FakePlate plate(3, 0);
    EXPECT_EQ(Create(plate, 2000, 4000, {{1, -1}, {1, 0}}), Grid(3, 0));
}

TEST(BadInputCreateTerrain, ZeroResolutionLeavesContentWithoutMargin) {
    const Zalvo::Terrain terrain = Create(PlateWithContent(0.0), 3000, 8000);
    Zalvo::Terrain expected = Grid(5, 3);
    expected[2][1] = 255;
    EXPECT_EQ(terrain, expected);
}

TEST(BadInputCreateTerrain, NegativeResolutionCountsAsNegativeDistances) {
    ExpectTooLong(PlateWithContent(-72.0), 1000, 2000);
}

TEST(BadInputCreateTerrain, NegativeDistancesAreTooLong) {
    const FakePlate plate = PlateWithContent();
    ExpectTooLong(plate, -1000, 2000);                              // hard length -1 pixel
    EXPECT_EQ(plate.Calls().back().member, Member::GetResolution);  // the distances are judged in pixels
    ExpectTooLong(PlateWithContent(), 0, -500);                     // total length rounds to -1
    // Less than a pixel below zero still means no margin at all.
    EXPECT_EQ(Create(PlateWithContent(), -999, -499)[2][1], 255);
}

TEST(BadInputCreateTerrain, NanResolutionOrDistanceIsTooLong) {
    ExpectTooLong(PlateWithContent(kNaN), 1000, 2000);
    ExpectTooLong(PlateWithContent(), kNaN, 2000);
    ExpectTooLong(PlateWithContent(), 1000, kNaN);
}

TEST(BadInputCreateTerrain, InfiniteResolutionOrDistanceIsTooLong) {
    ExpectTooLong(PlateWithContent(kInfinity), 1000, 2000);
    ExpectTooLong(PlateWithContent(), kInfinity, 2000);
    ExpectTooLong(PlateWithContent(), 1000, -kInfinity);
}

TEST(BadInputCreateTerrain, DistancesOf2To63PixelsAreTooLong) {
    ExpectTooLong(PlateWithContent(), 9.3e21, 0);  // 9.3e18 pixels
    ExpectTooLong(PlateWithContent(), 0, 1e300);
}

TEST(BadInputCreateTerrain, DistancesBeyondThePlateLimitAreTooLong) {
    ExpectTooLong(PlateWithContent(), 0, 2e12);  // 2e9 pixels: no plate side is that long
    ExpectTooLong(PlateWithContent(), 1.7e10, 0);
    // 2^24 pixels is the largest accepted length.
    EXPECT_EQ(Create(PlateWithContent(1.0), 0, 1000.0 * 72 * (1 << 24))[1][0], 251);
}

TEST(BadInputCreateTerrain, EmptyIsImpassableFailsAtTheFirstOccupiedPixelOnly) {
    const FakePlate free(3, 3);
    EXPECT_EQ(Zalvo::CreateTerrain(free, {}, {}, MilliPoints(1000), MilliPoints(2000)), Grid(3, 3));
    const FakePlate occupied = PlateWithContent();
    EXPECT_THROW(Zalvo::CreateTerrain(occupied, {}, {}, MilliPoints(1000), MilliPoints(2000)), std::bad_function_call);
    EXPECT_EQ(occupied.CountOf(Member::IsPixelOccupied), 8u);  // stopped at (2, 1)
}

TEST(BadInputCreateTerrain, HostExceptionsPassUnchanged) {
    for (const Member failing : {Member::GetPixelRowCount, Member::GetPixelColumnCount, Member::IsPixelOccupied,
                                 Member::IsImpassable, Member::GetResolution}) {
        FakePlate plate = PlateWithContent();
        plate.SetCallHook([failing](const FakePlate::Call& call) {
            if (call.member == failing) throw HostFailure{static_cast<int>(failing)};
        });
        try {
            Create(plate, 1000, 2000);
            ADD_FAILURE() << "no exception from " << failing;
        } catch (const HostFailure& failure) {
            EXPECT_EQ(failure.code, static_cast<int>(failing));
        }
        EXPECT_EQ(plate.Calls().back().member, failing);  // nothing was asked after the failure
    }
}

TEST(BadInputCreateTerrain, SeedsOffThePlateAreIgnored) {
    const FakePlate plate = FakePlate::FromRows({"XXXXX", "XXXXX", "XXXXX"});
    const Zalvo::Terrain plain = Create(plate, 1000, 1000);
    const std::set<Pixel> offPlate{{-1, 1},          {5, 1},           {1, -2},     {1, 3},
                                   {kMin32, kMin32}, {kMax32, kMax32}, {2, kMin32}, {2, kMax32}};
    EXPECT_EQ(Create(plate, 1000, 1000, offPlate), plain);
    // Row -1 alone stands for the last row.
    EXPECT_EQ(Create(plate, 1000, 1000, {{2, -1}})[2][2], 252);
}

}  // namespace
}  // namespace ZalvoTest
