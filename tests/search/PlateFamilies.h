// Plates of the kinds a host meets, drawn from a seed, and the terrains and penalties the search sees on
// them: the differential test draws them small, bench/compare times the search on them at plate sizes.
#pragma once

#include <zalvo/zalvo.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ZalvoTest {

// A plate drawn pixel by pixel: free, crossable or impassable.
class DrawnPlate final : public Zalvo::PlateInterface {
public:
    enum Kind : std::uint8_t { Free, Crossable, Impassable };

    DrawnPlate(std::int32_t columns, std::int32_t rows, double resolution)
        : columns_(columns), rows_(rows), resolution_(resolution), kinds_(Index(0, rows), Free) {}

    double GetResolution() const override { return resolution_; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return contentCount_; }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override { return false; }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override { return At(pixel) != Free; }
    Zalvo::ImpassableFunction ImpassableFunction() const {
        return [this](const Zalvo::Pixel& pixel) { return At(pixel) == Impassable; };
    }

    // Marks a pixel, or the pixels of a rectangle, that lie on the plate.
    void Fill(std::int32_t x, std::int32_t y, Kind kind) {
        if (x < 0 || x >= columns_ || y < 0 || y >= rows_) return;
        Kind& cell = kinds_[Index(x, y)];
        occupied_ += cell == Free ? 1 : 0;
        cell = kind;
    }
    void FillRectangle(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, Kind kind) {
        for (std::int32_t y = std::max(top, 0); y < std::min(top + height, rows_); ++y)
            for (std::int32_t x = std::max(left, 0); x < std::min(left + width, columns_); ++x) Fill(x, y, kind);
    }
    void CountItem() { ++contentCount_; }
    double ContentShare() const {
        return kinds_.empty() ? 0.0 : static_cast<double>(occupied_) / static_cast<double>(kinds_.size());
    }

private:
    // Row after row, as the plate is asked (so Index(0, rows) is the pixel count).
    std::size_t Index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(x);
    }
    Kind At(const Zalvo::Pixel& pixel) const { return kinds_[Index(pixel.x, pixel.y)]; }

    std::int32_t columns_;
    std::int32_t rows_;
    double resolution_;
    std::int32_t contentCount_ = 0;
    std::size_t occupied_ = 0;
    std::vector<Kind> kinds_;
};

// Shelves of labels 300 to 700 px wide, 40 to 120 px apart, each a solid
// picture or lines of 14 px glyphs (crossable on every third item).
DrawnPlate MakeLabelPlate(std::int32_t columns, std::int32_t rows, double resolution, std::uint64_t seed);

enum class Content {
    Labels,       // MakeLabelPlate
    Text,         // a page of glyph lines edge to edge, one word in five impassable
    SmallBlobs,   // rectangles of 4 to 24 px on a tenth of the plate
    DenseBlobs,   // rectangles of 8 to 64 px on a quarter of the plate
    SparseBlobs,  // rectangles of 16 to 96 px on a twenty-fifth of the plate
};

// The host's penalty per pixel: none, by row, by column, or the terrain's slope.
enum class PenaltyShape { Zero, ByRow, ByColumn, Slope };

struct PlateFamily {
    std::string name;
    Content content;
    double resolution, minimumPoints, preferredPoints;  // pixels per inch; margins in points
    PenaltyShape penalty;
    std::int32_t columns, rows;  // the size the comparison times it at
};

const std::vector<PlateFamily>& PlateFamilies();

// The terrain CreateTerrain builds from the family's plate of the given size.
Zalvo::Terrain MakeFamilyTerrain(const PlateFamily& family, std::int32_t columns, std::int32_t rows,
                                 std::uint64_t seed);

// The family's penalty over `terrain`, which must outlive it.
Zalvo::PixelCostFunction FamilyPenalty(const PlateFamily& family, const Zalvo::Terrain& terrain);

std::string Describe(PenaltyShape shape);

}  // namespace ZalvoTest
