#include "input/PlateImage.h"

#include <algorithm>

namespace ZalvoPlan {

PixelClass ClassifyColour(int red, int green, int blue) {
    if (red >= kSeedRed && red - std::max(green, blue) >= kSeedRedExcess) return PixelClass::Seed;
    // Integer Rec. 601 luma, rounded.
    const int brightness = (299 * red + 587 * green + 114 * blue + 500) / 1000;
    if (brightness >= kFreeBrightness) return PixelClass::Free;
    if (brightness < kImpassableBrightness) return PixelClass::Impassable;
    return PixelClass::Crossable;
}

void CheckImageSize(std::int64_t columns, std::int64_t rows) {
    if (columns < 1 || rows < 1) {
        throw InputError("image size " + std::to_string(columns) + "x" + std::to_string(rows) + " has no pixels");
    }
    if (columns > kMaximumPixelCount || rows > kMaximumPixelCount || columns * rows > kMaximumPixelCount) {
        throw InputError("image size " + std::to_string(columns) + "x" + std::to_string(rows) +
                         " exceeds the limit of " + std::to_string(kMaximumPixelCount) + " pixels");
    }
}

PlateImage MakeBlankImage(std::int64_t columns, std::int64_t rows) {
    CheckImageSize(columns, rows);
    PlateImage image;
    image.columns = static_cast<std::int32_t>(columns);
    image.rows = static_cast<std::int32_t>(rows);
    image.classes.assign(static_cast<std::size_t>(columns * rows), PixelClass::Free);
    return image;
}

bool ImagePlate::Inside(const Zalvo::Pixel& pixel) const {
    return pixel.x >= 0 && pixel.x < image_.columns && pixel.y >= 0 && pixel.y < image_.rows;
}

std::int32_t CountOccupiedPixels(const Zalvo::PlateInterface& plate) {
    std::int32_t count = 0;
    for (std::int32_t x = 0; x < plate.GetPixelColumnCount(); ++x) {
        for (std::int32_t y = 0; y < plate.GetPixelRowCount(); ++y) count += plate.IsPixelOccupied({x, y}) ? 1 : 0;
    }
    return count;
}

bool IsOccupiedPixelOnEdge(const Zalvo::PlateInterface& plate, const Zalvo::Pixel& pixel) {
    if (!plate.IsPixelOccupied(pixel)) return false;
    for (const auto& [dx, dy] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
        if (!plate.IsPixelOccupied({pixel.x + dx, pixel.y + dy})) return true;
    }
    return false;
}

bool ImagePlate::IsPixelOccupied(const Zalvo::Pixel& pixel) const {
    return Inside(pixel) && image_.At(pixel.x, pixel.y) != PixelClass::Free;
}

bool IsImpassableClass(PixelClass pixelClass) {
    return pixelClass == PixelClass::Impassable || pixelClass == PixelClass::Seed;
}

std::set<Zalvo::Pixel> CorridorSeeds(const PlateImage& image) {
    std::set<Zalvo::Pixel> seeds;
    for (std::int32_t y = 0; y < image.rows; ++y) {
        for (std::int32_t x = 0; x < image.columns; ++x) {
            if (image.At(x, y) == PixelClass::Seed) seeds.insert({x, y});
        }
    }
    return seeds;
}

}  // namespace ZalvoPlan
