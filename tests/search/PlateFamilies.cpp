#include "PlateFamilies.h"

#include <algorithm>
#include <functional>

namespace ZalvoTest {
namespace {

using Kind = DrawnPlate::Kind;

std::int32_t Draw(std::mt19937_64& random, std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(random() % static_cast<std::uint64_t>(high - low + 1));
}

constexpr std::int32_t SheetMargin = 30;
constexpr std::int32_t LineHeight = 14;
constexpr std::int32_t LinePitch = 24;
constexpr std::int32_t GlyphGap = 3;
constexpr std::int32_t WordGap = 10;

// One of a few stroke patterns, so that glyphs have holes and thin bars like
// printed letters: vertical stems, a top bar, a middle bar, a bottom bar.
bool GlyphCovers(std::int32_t pattern, std::int32_t gx, std::int32_t gy, std::int32_t width) {
    const bool leftStem = gx < 2;
    const bool rightStem = gx >= width - 2;
    const bool top = gy < 2;
    const bool middle = gy >= LineHeight / 2 - 1 && gy <= LineHeight / 2;
    const bool bottom = gy >= LineHeight - 2;
    switch (pattern) {
        case 0: return leftStem || top || middle || bottom;      // E
        case 1: return leftStem || rightStem || middle;          // H
        case 2: return leftStem || rightStem || top || bottom;   // O
        default: return gx >= width / 2 - 1 && gx <= width / 2;  // I
    }
}

// Words of 2 to 9 glyphs along one line until the width is used up; each
// word takes the kind `wordKind` gives it.
void PlaceTextLine(DrawnPlate& plate, std::int32_t left, std::int32_t line, std::int32_t width,
                   const std::function<Kind()>& wordKind, std::mt19937_64& random) {
    for (std::int32_t x = left;; x += WordGap) {
        const Kind kind = wordKind();
        const std::int32_t glyphs = Draw(random, 2, 9);
        for (std::int32_t g = 0; g < glyphs; ++g) {
            const std::int32_t glyphWidth = Draw(random, 6, 10);
            if (x + glyphWidth > left + width) return;
            const std::int32_t pattern = Draw(random, 0, 3);
            for (std::int32_t gx = 0; gx < glyphWidth; ++gx)
                for (std::int32_t gy = 0; gy < LineHeight; ++gy)
                    if (GlyphCovers(pattern, gx, gy, glyphWidth)) plate.Fill(x + gx, line + gy, kind);
            x += glyphWidth + GlyphGap;
        }
    }
}

void PlaceText(DrawnPlate& plate, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               const std::function<Kind()>& wordKind, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    for (std::int32_t line = top; line + LineHeight <= top + height; line += LinePitch)
        PlaceTextLine(plate, left, line, width, wordKind, random);
}

// A text page: lines across the whole plate; one word in five is impassable
// (a bold heading, say), the rest crossable.
DrawnPlate MakeTextPlate(std::int32_t columns, std::int32_t rows, double resolution, std::uint64_t seed) {
    DrawnPlate plate(columns, rows, resolution);
    std::mt19937_64 kinds(seed ^ 0x7e47ULL);
    const auto wordKind = [&kinds] { return kinds() % 5 == 0 ? Kind::Impassable : Kind::Crossable; };
    PlaceText(plate, 0, LinePitch / 2, columns, rows - LinePitch / 2, wordKind, seed);
    plate.CountItem();
    return plate;
}

struct BlobShape {
    std::int32_t smallestSide;
    std::int32_t largestSide;
    double share;  // of the plate's pixels covered
};

// Rectangles at random places until `shape.share` of the plate is covered;
// one in four is crossable, the rest impassable.
DrawnPlate MakeBlobPlate(std::int32_t columns, std::int32_t rows, double resolution, const BlobShape& shape,
                         std::uint64_t seed) {
    DrawnPlate plate(columns, rows, resolution);
    std::mt19937_64 random(seed);
    while (plate.ContentShare() < shape.share) {
        const std::int32_t width = Draw(random, shape.smallestSide, shape.largestSide);
        const std::int32_t height = Draw(random, shape.smallestSide, shape.largestSide);
        const std::int32_t left = Draw(random, -width / 2, columns - 1);
        const std::int32_t top = Draw(random, -height / 2, rows - 1);
        plate.FillRectangle(left, top, width, height, random() % 4 == 0 ? Kind::Crossable : Kind::Impassable);
        plate.CountItem();
    }
    return plate;
}

DrawnPlate MakeFamilyPlate(const PlateFamily& family, std::int32_t columns, std::int32_t rows, std::uint64_t seed) {
    switch (family.content) {
        case Content::Labels: return MakeLabelPlate(columns, rows, family.resolution, seed);
        case Content::Text: return MakeTextPlate(columns, rows, family.resolution, seed);
        case Content::SmallBlobs: return MakeBlobPlate(columns, rows, family.resolution, {4, 24, 0.10}, seed);
        case Content::DenseBlobs: return MakeBlobPlate(columns, rows, family.resolution, {8, 64, 0.25}, seed);
        case Content::SparseBlobs: return MakeBlobPlate(columns, rows, family.resolution, {16, 96, 0.04}, seed);
    }
    return DrawnPlate(columns, rows, family.resolution);
}

// Points to millipoints, as CreateTerrain takes margins.
Zalvo::MilliPoints Points(double points) { return Zalvo::MilliPoints(points * 1000.0); }

}  // namespace

DrawnPlate::DrawnPlate(std::int32_t columns, std::int32_t rows, double resolution)
    : columns_(columns),
      rows_(rows),
      resolution_(resolution),
      kinds_(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Free) {}

Zalvo::ImpassableFunction DrawnPlate::ImpassableFunction() const {
    return [this](const Zalvo::Pixel& pixel) { return IsPixelImpassable(pixel); };
}

void DrawnPlate::Fill(std::int32_t x, std::int32_t y, Kind kind) {
    if (x < 0 || x >= columns_ || y < 0 || y >= rows_) return;
    Kind& cell = kinds_[static_cast<std::size_t>(y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(x)];
    if (cell == Free) ++occupied_;
    cell = kind;
}

void DrawnPlate::FillRectangle(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                               Kind kind) {
    for (std::int32_t y = std::max(top, 0); y < std::min(top + height, rows_); ++y)
        for (std::int32_t x = std::max(left, 0); x < std::min(left + width, columns_); ++x) Fill(x, y, kind);
}

double DrawnPlate::ContentShare() const {
    return kinds_.empty() ? 0.0 : static_cast<double>(occupied_) / static_cast<double>(kinds_.size());
}

DrawnPlate MakeLabelPlate(std::int32_t columns, std::int32_t rows, double resolution, std::uint64_t seed) {
    DrawnPlate plate(columns, rows, resolution);
    std::mt19937_64 random(seed);
    std::int32_t items = 0;
    for (std::int32_t top = SheetMargin; top < rows - SheetMargin;) {
        const std::int32_t shelfHeight = std::min(Draw(random, 150, 400), rows - SheetMargin - top);
        for (std::int32_t left = SheetMargin; left < columns - SheetMargin;) {
            const std::int32_t width = std::min(Draw(random, 300, 700), columns - SheetMargin - left);
            const std::int32_t height = Draw(random, shelfHeight * 2 / 3, shelfHeight);
            if (random() % 2 == 0) {
                plate.FillRectangle(left, top, width, height, Kind::Impassable);
            } else {
                const Kind kind = items % 3 == 0 ? Kind::Crossable : Kind::Impassable;
                PlaceText(
                    plate, left, top, width, height, [kind] { return kind; }, random());
            }
            ++items;
            plate.CountItem();
            left += width + Draw(random, 40, 120);
        }
        top += shelfHeight + Draw(random, 40, 120);
    }
    return plate;
}

const std::vector<PlateFamily>& PlateFamilies() {
    static const std::vector<PlateFamily> families{
        {"small blobs, row penalty", Content::SmallBlobs, 72.0, 2.0, 12.0, PenaltyShape::ByRow, 2000, 1000},
        {"dense blobs", Content::DenseBlobs, 72.0, 3.0, 9.0, PenaltyShape::Zero, 4000, 2000},
        {"labels at 150 ppi", Content::Labels, 150.0, 1.0, 4.0, PenaltyShape::Zero, 4000, 2000},
        {"sparse blobs, thick ramp, column penalty", Content::SparseBlobs, 72.0, 4.0, 30.0, PenaltyShape::ByColumn,
         4000, 4000},
        {"tall plate", Content::DenseBlobs, 72.0, 2.0, 6.0, PenaltyShape::Zero, 1000, 2000},
        {"text page, slope penalty", Content::Text, 72.0, 1.0, 3.0, PenaltyShape::Slope, 2000, 1500},
        {"labels at 300 ppi, thin margins", Content::Labels, 300.0, 0.5, 2.0, PenaltyShape::Zero, 1000, 1000},
    };
    return families;
}

Zalvo::Terrain MakeFamilyTerrain(const PlateFamily& family, std::int32_t columns, std::int32_t rows,
                                 std::uint64_t seed) {
    const DrawnPlate plate = MakeFamilyPlate(family, columns, rows, seed);
    return Zalvo::CreateTerrain(plate, plate.ImpassableFunction(), {}, Points(family.minimumPoints),
                                Points(family.preferredPoints));
}

Zalvo::PixelCostFunction FamilyPenalty(const PlateFamily& family, const Zalvo::Terrain& terrain) {
    // Small next to the height costs (up to 30 on ramps), as a host's
    // preferences are: they reorder near-ties without walling anything off.
    constexpr double RowStep = 0.25;
    constexpr std::int32_t RowPeriod = 8;
    constexpr double ColumnStep = 0.1;
    constexpr std::int32_t ColumnPeriod = 32;
    constexpr double SlopeWeight = 20.0;
    switch (family.penalty) {
        case PenaltyShape::Zero: return [](const Zalvo::Pixel&) { return 0.0; };
        case PenaltyShape::ByRow:
            return [](const Zalvo::Pixel& p) { return RowStep * static_cast<double>(p.y % RowPeriod); };
        case PenaltyShape::ByColumn:
            return [](const Zalvo::Pixel& p) { return ColumnStep * static_cast<double>(p.x % ColumnPeriod); };
        case PenaltyShape::Slope:
            return [&terrain](const Zalvo::Pixel& p) {
                return SlopeWeight * Zalvo::GetSlope(Zalvo::GetHeight(terrain, p));
            };
    }
    return {};
}

std::string Describe(PenaltyShape shape) {
    switch (shape) {
        case PenaltyShape::Zero: return "zero";
        case PenaltyShape::ByRow: return "by row";
        case PenaltyShape::ByColumn: return "by column";
        case PenaltyShape::Slope: return "slope";
    }
    return "";
}

}  // namespace ZalvoTest
