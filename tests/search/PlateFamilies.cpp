#include "PlateFamilies.h"

#include <algorithm>
#include <array>
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

// Stroke patterns with holes and thin bars, as printed letters have: E, H, O, I.
bool GlyphCovers(std::int32_t pattern, std::int32_t gx, std::int32_t gy, std::int32_t width) {
    const bool leftStem = gx < 2, rightStem = gx >= width - 2, top = gy < 2, bottom = gy >= LineHeight - 2;
    const bool middle = gy >= LineHeight / 2 - 1 && gy <= LineHeight / 2;
    switch (pattern) {
        case 0: return leftStem || top || middle || bottom;
        case 1: return leftStem || rightStem || middle;
        case 2: return leftStem || rightStem || top || bottom;
        default: return gx >= width / 2 - 1 && gx <= width / 2;
    }
}

// Words of 2 to 9 glyphs until the width is used up, each of the kind `wordKind` gives.
void PlaceTextLine(DrawnPlate& plate, std::int32_t left, std::int32_t line, std::int32_t width,
                   const std::function<Kind()>& wordKind, std::mt19937_64& random) {
    for (std::int32_t x = left;; x += 10) {
        const Kind kind = wordKind();
        const std::int32_t glyphs = Draw(random, 2, 9);
        for (std::int32_t g = 0; g < glyphs; ++g) {
            const std::int32_t glyphWidth = Draw(random, 6, 10);
            if (x + glyphWidth > left + width) return;
            const std::int32_t pattern = Draw(random, 0, 3);
            for (std::int32_t gx = 0; gx < glyphWidth; ++gx)
                for (std::int32_t gy = 0; gy < LineHeight; ++gy)
                    if (GlyphCovers(pattern, gx, gy, glyphWidth)) plate.Fill(x + gx, line + gy, kind);
            x += glyphWidth + 3;
        }
    }
}

void PlaceText(DrawnPlate& plate, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               const std::function<Kind()>& wordKind, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    for (std::int32_t line = top; line + LineHeight <= top + height; line += LinePitch)
        PlaceTextLine(plate, left, line, width, wordKind, random);
}

// Rectangles of sides `smallest` to `largest` until `share` of the plate is covered; one in four crossable.
DrawnPlate MakeBlobPlate(std::int32_t columns, std::int32_t rows, double resolution, std::int32_t smallest,
                         std::int32_t largest, double share, std::uint64_t seed) {
    DrawnPlate plate(columns, rows, resolution);
    std::mt19937_64 random(seed);
    while (plate.ContentShare() < share) {
        const std::int32_t width = Draw(random, smallest, largest);
        const std::int32_t height = Draw(random, smallest, largest);
        const std::int32_t left = Draw(random, -width / 2, columns - 1);
        const std::int32_t top = Draw(random, -height / 2, rows - 1);
        plate.FillRectangle(left, top, width, height, random() % 4 == 0 ? Kind::Crossable : Kind::Impassable);
        plate.CountItem();
    }
    return plate;
}

DrawnPlate MakeFamilyPlate(const PlateFamily& family, std::int32_t columns, std::int32_t rows, std::uint64_t seed) {
    const double ppi = family.resolution;
    switch (family.content) {
        case Content::Labels: return MakeLabelPlate(columns, rows, ppi, seed);
        case Content::Text: {  // one word in five impassable
            DrawnPlate plate(columns, rows, ppi);
            std::mt19937_64 kinds(seed ^ 0x7e47ULL);
            const auto wordKind = [&kinds] { return kinds() % 5 == 0 ? Kind::Impassable : Kind::Crossable; };
            PlaceText(plate, 0, LinePitch / 2, columns, rows - LinePitch / 2, wordKind, seed);
            plate.CountItem();
            return plate;
        }
        case Content::SmallBlobs: return MakeBlobPlate(columns, rows, ppi, 4, 24, 0.10, seed);
        case Content::DenseBlobs: return MakeBlobPlate(columns, rows, ppi, 8, 64, 0.25, seed);
        case Content::SparseBlobs: return MakeBlobPlate(columns, rows, ppi, 16, 96, 0.04, seed);
    }
    return DrawnPlate(columns, rows, ppi);
}

}  // namespace

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
    return Zalvo::CreateTerrain(plate, plate.ImpassableFunction(), {},
                                Zalvo::MilliPoints(family.minimumPoints * 1000.0),
                                Zalvo::MilliPoints(family.preferredPoints * 1000.0));
}

// Small next to the height costs (up to 30 on ramps), as a host's preferences
// are: they reorder near-ties without walling anything off.
Zalvo::PixelCostFunction FamilyPenalty(const PlateFamily& family, const Zalvo::Terrain& terrain) {
    switch (family.penalty) {
        case PenaltyShape::Zero: return [](const Zalvo::Pixel&) { return 0.0; };
        case PenaltyShape::ByRow: return [](const Zalvo::Pixel& p) { return 0.25 * static_cast<double>(p.y % 8); };
        case PenaltyShape::ByColumn: return [](const Zalvo::Pixel& p) { return 0.1 * static_cast<double>(p.x % 32); };
        case PenaltyShape::Slope:
            return [&terrain](const Zalvo::Pixel& p) { return 20.0 * Zalvo::GetSlope(Zalvo::GetHeight(terrain, p)); };
    }
    return {};
}

std::string Describe(PenaltyShape shape) {
    return std::array{"zero", "by row", "by column", "slope"}.at(static_cast<std::size_t>(shape));
}

}  // namespace ZalvoTest
