// A plate with elliptic blobs of content scattered at random from a seed;
// about one blob in four is impassable.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <random>
#include <vector>

namespace ZalvoTest {

enum class BlobCell : std::uint8_t { Free, Crossable, Impassable };

class BlobPlate final : public Zalvo::PlateInterface {
public:
    BlobPlate(std::int32_t columns, std::int32_t rows, std::uint32_t seed)
        : columns_(columns), rows_(rows), cells_(static_cast<std::size_t>(columns * rows), BlobCell::Free) {
        std::mt19937 random(seed);
        // The engine's raw output is fixed by the standard; a distribution's
        // mapping of it is not, and would give other plates elsewhere.
        const auto draw = [&random](std::int32_t low, std::int32_t high) {
            return low + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(high - low + 1));
        };
        const std::int32_t blobs = columns * rows / 120;
        for (std::int32_t b = 0; b < blobs; ++b) {
            const std::int32_t cx = draw(0, columns - 1);
            const std::int32_t cy = draw(0, rows - 1);
            const std::int32_t rx = draw(0, 3);
            const std::int32_t ry = draw(0, 2);
            const BlobCell cell = draw(0, 3) == 0 ? BlobCell::Impassable : BlobCell::Crossable;
            for (std::int32_t dx = -rx; dx <= rx; ++dx)
                for (std::int32_t dy = -ry; dy <= ry; ++dy)
                    if (dx * dx * (ry + 1) * (ry + 1) + dy * dy * (rx + 1) * (rx + 1) <=
                        (rx + 1) * (rx + 1) * (ry + 1) * (ry + 1))
                        Set(cx + dx, cy + dy, cell);
        }
    }

    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override { return false; }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override { return At(pixel) != BlobCell::Free; }
    bool IsImpassable(const Zalvo::Pixel& pixel) const { return At(pixel) == BlobCell::Impassable; }

private:
    void Set(std::int32_t x, std::int32_t y, BlobCell cell) {
        if (x < 0 || x >= columns_) return;
        cells_[Index(x, (y % rows_ + rows_) % rows_)] = cell;
    }
    BlobCell At(const Zalvo::Pixel& pixel) const { return cells_[Index(pixel.x, pixel.y)]; }
    std::size_t Index(std::int32_t x, std::int32_t y) const { return static_cast<std::size_t>(y * columns_ + x); }

    std::int32_t columns_;
    std::int32_t rows_;
    std::vector<BlobCell> cells_;
};

}  // namespace ZalvoTest
