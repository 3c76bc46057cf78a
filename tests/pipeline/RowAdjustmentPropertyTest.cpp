// Both row adjustments on the rooms of seeded random plates, reached through
// the public functions only: they change nothing but horizontal rows, and a
// non-negative base margin keeps every row inside its room's band.
#include <zalvo/zalvo.h>
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using namespace Zalvo;

// Rectangles of content on a free plate; every third one impassable.
class RectanglePlate final : public PlateInterface {
public:
    RectanglePlate(std::int32_t columns, std::int32_t rows, std::mt19937& random)
        : columns_(columns), rows_(rows), content_(static_cast<std::size_t>(columns * rows), 0) {
        const auto draw = [&random](std::int32_t low, std::int32_t high) {
            return std::uniform_int_distribution<std::int32_t>(low, high)(random);
        };
        for (std::int32_t count = columns * rows / 200, index = 0; index < count; ++index) {
            const std::int32_t left = draw(0, columns - 1), top = draw(0, rows - 1);
            const std::int32_t width = draw(1, 6), height = draw(1, 4);
            const std::uint8_t kind = index % 3 == 0 ? 2 : 1;
            for (std::int32_t x = left; x < std::min(left + width, columns); ++x)
                for (std::int32_t y = top; y < std::min(top + height, rows); ++y) content_[Index({x, y})] = kind;
        }
    }

    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Pixel&) const override { return false; }
    bool IsPixelOccupied(const Pixel& pixel) const override { return content_[Index(pixel)] != 0; }
    bool IsImpassable(const Pixel& pixel) const { return content_[Index(pixel)] == 2; }

private:
    std::size_t Index(const Pixel& pixel) const { return static_cast<std::size_t>(pixel.y * columns_ + pixel.x); }

    std::int32_t columns_;
    std::int32_t rows_;
    std::vector<std::uint8_t> content_;  // 0 free, 1 crossable, 2 impassable
};

void ExpectOnlyRowsChanged(const std::vector<WiggleRoom>& before, std::vector<WiggleRoom> after, bool rowsInBand) {
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t index = 0; index < before.size(); ++index) {
        if (auto* room = std::get_if<HorizontalRoom>(&after[index])) {
            if (rowsInBand) {
                EXPECT_LE(room->minRow, room->row) << index;
                EXPECT_LE(room->row, room->maxRow) << index;
            }
            room->row = std::get<HorizontalRoom>(before[index]).row;
        }
        EXPECT_EQ(after[index], before[index]) << index;
    }
}

TEST(RowAdjustmentProperty, OnlyRowsChangeAndStayInTheirBands) {
    std::mt19937 random(20261206);
    const auto draw = [&random](std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random);
    };
    int horizontalRooms = 0;
    for (int plateIndex = 0; plateIndex < 40; ++plateIndex) {
        SCOPED_TRACE(plateIndex);
        const RectanglePlate plate(draw(30, 120), draw(20, 60), random);
        const Terrain terrain = CreateTerrain(
            plate, [&plate](const Pixel& pixel) { return plate.IsImpassable(pixel); }, {}, MilliPoints(1000.0),
            MilliPoints(4000.0));
        const auto path = FindShortestPixelPath(terrain, [](const Pixel&) { return 0.0; });
        if (!path) continue;
        const auto rooms = CalculateWiggleRoomAroundPixelPath(*path, terrain, 6, 3, 10, {});
        horizontalRooms += static_cast<int>(std::count_if(rooms.begin(), rooms.end(), [](const WiggleRoom& room) {
            return std::holds_alternative<HorizontalRoom>(room);
        }));
        const std::int32_t existing = draw(0, 4), wanted = draw(0, 6), radius = draw(0, 12);
        const std::int32_t minimumWidth = draw(0, 6), lineWidth = draw(1, 5);
        const bool rowsInBand = (lineWidth + 1) / 2 - existing + wanted >= 0;
        ExpectOnlyRowsChanged(rooms,
                              AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, *path, existing, wanted, radius,
                                                                           minimumWidth, lineWidth),
                              rowsInBand);
        ExpectOnlyRowsChanged(rooms,
                              AdjustHorizontalRoomRowsForPreferringStagger(rooms, *path, existing, wanted, radius,
                                                                           minimumWidth, lineWidth),
                              rowsInBand);
    }
    // The plates must actually exercise the adjustments.
    EXPECT_GT(horizontalRooms, 40);
}

}  // namespace
