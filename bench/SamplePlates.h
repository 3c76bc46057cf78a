// Synthetic plates for benchmarks: text-like content (words of glyph-sized
// strokes along lines) at a chosen share of occupied pixels, reproducible
// from a seed.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <random>
#include <vector>

namespace ZalvoBench {

class SamplePlate final : public Zalvo::PlateInterface {
public:
    // Adds words until `occupiedShare` (0 .. 1) of the pixels carry content;
    // about one word in five is impassable, the rest crossable.
    SamplePlate(std::int32_t columns, std::int32_t rows, double occupiedShare, std::uint32_t seed)
        : columns_(columns),
          rows_(rows),
          cells_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0) {
        std::mt19937 random(seed);
        const auto target = static_cast<std::size_t>(occupiedShare * static_cast<double>(cells_.size()));
        while (occupied_ < target) AddWord(random);
    }

    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override { return false; }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override { return At(pixel) != 0; }
    bool IsImpassable(const Zalvo::Pixel& pixel) const { return At(pixel) == 2; }

    Zalvo::ImpassableFunction ImpassableFunction() const {
        return [this](const Zalvo::Pixel& pixel) { return IsImpassable(pixel); };
    }

    double OccupiedShare() const { return static_cast<double>(occupied_) / static_cast<double>(cells_.size()); }

private:
    static std::int32_t Draw(std::mt19937& random, std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random);
    }

    // A word sits on a text line (lines 24 px apart) at a random column; each
    // glyph is two stems joined by a bar, like an "H", 6 to 10 px high.
    void AddWord(std::mt19937& random) {
        const std::int32_t height = Draw(random, 6, 10);
        const std::int32_t baseline = Draw(random, 0, rows_ / 24) * 24 + Draw(random, -2, 2);
        std::int32_t x = Draw(random, 0, columns_ - 1);
        const std::uint8_t kind = Draw(random, 0, 4) == 0 ? 2 : 1;
        for (std::int32_t glyphs = Draw(random, 2, 8); glyphs > 0; --glyphs) {
            const std::int32_t width = Draw(random, 4, 7);
            for (std::int32_t dy = 0; dy < height; ++dy) {
                Set(x, baseline + dy, kind);
                Set(x + width - 1, baseline + dy, kind);
            }
            for (std::int32_t dx = 1; dx < width - 1; ++dx) Set(x + dx, baseline + height / 2, kind);
            x += width + 2;
        }
    }

    void Set(std::int32_t x, std::int32_t y, std::uint8_t kind) {
        if (x < 0 || x >= columns_ || y < 0 || y >= rows_) return;
        std::uint8_t& cell = cells_[Index(x, y)];
        if (cell == 0) ++occupied_;
        cell = kind;
    }

    std::uint8_t At(const Zalvo::Pixel& pixel) const { return cells_[Index(pixel.x, pixel.y)]; }

    std::size_t Index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(x);
    }

    std::int32_t columns_;
    std::int32_t rows_;
    std::vector<std::uint8_t> cells_;  // 0 free, 1 crossable, 2 impassable; row by row
    std::size_t occupied_ = 0;
};

// The terrain of `plate` with margins of 2 and 6 px (at 72 pixels per inch).
inline Zalvo::Terrain SampleTerrain(const SamplePlate& plate) {
    return Zalvo::CreateTerrain(plate, plate.ImpassableFunction(), {}, Zalvo::MilliPoints(2000.0),
                                Zalvo::MilliPoints(6000.0));
}

}  // namespace ZalvoBench
