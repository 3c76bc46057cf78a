// A plate of elliptic blobs scattered from a seed; about one in four is impassable.
#pragma once

#include "support/Printers.h"

#include <zalvo/zalvo.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace ZalvoTest {

class BlobPlate final : public Zalvo::PlateInterface {
public:
    enum Cell : std::uint8_t { Free, Crossable, Impassable };

    BlobPlate(std::int32_t columns, std::int32_t rows, std::uint32_t seed)
        : columns_(columns), rows_(rows), cells_(static_cast<std::size_t>(columns * rows), Free) {
        std::mt19937 random(seed);
        // The engine's raw output is fixed by the standard, a distribution's mapping of it is not.
        const auto draw = [&random](std::int32_t low, std::int32_t high) {
            return low + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(high - low + 1));
        };
        for (std::int32_t blob = 0; blob < columns * rows / 120; ++blob) {
            const std::int32_t cx = draw(0, columns - 1), cy = draw(0, rows - 1), rx = draw(0, 3), ry = draw(0, 2);
            const Cell cell = draw(0, 3) == 0 ? Impassable : Crossable;
            const std::int32_t a = rx + 1, b = ry + 1;  // the ellipse's half axes, its rim included
            for (std::int32_t dx = -rx; dx <= rx; ++dx)
                for (std::int32_t dy = -ry; dy <= ry; ++dy)
                    if (dx * dx * b * b + dy * dy * a * a <= a * a * b * b && cx + dx >= 0 && cx + dx < columns)
                        cells_[Index(cx + dx, ((cy + dy) % rows + rows) % rows)] = cell;
        }
    }

    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override { return false; }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override { return cells_[Index(pixel.x, pixel.y)] != Free; }
    bool IsImpassable(const Zalvo::Pixel& pixel) const { return cells_[Index(pixel.x, pixel.y)] == Impassable; }

private:
    std::size_t Index(std::int32_t x, std::int32_t y) const { return static_cast<std::size_t>(y * columns_ + x); }

    std::int32_t columns_, rows_;
    std::vector<Cell> cells_;
};

}  // namespace ZalvoTest
