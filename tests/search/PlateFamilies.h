// Plates of the kinds a host meets, drawn from a seed, and the terrains and
// penalties the search sees on them. The differential search test draws them
// small; bench/compare times the search on them at plate sizes.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ZalvoTest {

// A plate whose content is drawn pixel by pixel: free, crossable or
// impassable.
class DrawnPlate final : public Zalvo::PlateInterface {
public:
    enum Kind : std::uint8_t { Free, Crossable, Impassable };

    DrawnPlate(std::int32_t columns, std::int32_t rows, double resolution);

    double GetResolution() const override { return resolution_; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return contentCount_; }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override { return false; }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override { return At(pixel) != Free; }
    bool IsPixelImpassable(const Zalvo::Pixel& pixel) const { return At(pixel) == Impassable; }
    Zalvo::ImpassableFunction ImpassableFunction() const;

    // Marks the pixels of the rectangle that lie on the plate.
    void FillRectangle(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, Kind kind);
    void Fill(std::int32_t x, std::int32_t y, Kind kind);
    void CountItem() { ++contentCount_; }
    double ContentShare() const;

private:
    Kind At(const Zalvo::Pixel& pixel) const {
        return kinds_[static_cast<std::size_t>(pixel.y) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(pixel.x)];
    }

    std::int32_t columns_;
    std::int32_t rows_;
    double resolution_;
    std::int32_t contentCount_ = 0;
    std::size_t occupied_ = 0;
    std::vector<Kind> kinds_;  // row after row, as the plate is asked
};

// Shelves of labels 300 to 700 px wide with gaps of 40 to 120 px, each a
// solid picture (impassable) or lines of 14 px glyph strokes (impassable,
// crossable on every third item).
DrawnPlate MakeLabelPlate(std::int32_t columns, std::int32_t rows, double resolution, std::uint64_t seed);

enum class Content {
    Labels,       // MakeLabelPlate
    Text,         // a page of glyph lines edge to edge, one word in five impassable
    SmallBlobs,   // rectangles of 4 to 24 px on a tenth of the plate
    DenseBlobs,   // rectangles of 8 to 64 px on a quarter of the plate
    SparseBlobs,  // rectangles of 16 to 96 px on a twenty-fifth of the plate
};

// What the host adds per pixel: nothing, an amount that depends on the row
// or on the column only, or one that follows the terrain's slope.
enum class PenaltyShape { Zero, ByRow, ByColumn, Slope };

struct PlateFamily {
    std::string name;
    Content content;
    double resolution;     // pixels per inch
    double minimumPoints;  // margins in points
    double preferredPoints;
    PenaltyShape penalty;
    std::int32_t columns;  // the size the comparison times it at
    std::int32_t rows;
};

// The families the comparison times and the differential test checks.
const std::vector<PlateFamily>& PlateFamilies();

// The terrain CreateTerrain builds from the family's plate of the given size.
Zalvo::Terrain MakeFamilyTerrain(const PlateFamily& family, std::int32_t columns, std::int32_t rows,
                                 std::uint64_t seed);

// The family's penalty over `terrain`, which must outlive it.
Zalvo::PixelCostFunction FamilyPenalty(const PlateFamily& family, const Zalvo::Terrain& terrain);

std::string Describe(PenaltyShape shape);

}  // namespace ZalvoTest
