// A decoded plate image: one colour class per pixel, and the resolution the
// file declares, if any. The planner hands it to the library through
// ImagePlate, its PlateInterface.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace ZalvoPlan {

// What a pixel's colour means to the planner.
enum class PixelClass : std::uint8_t {
    Free,        // white or near-white
    Crossable,   // mid grey: content a path may cross at a high cost
    Impassable,  // black or near-black: content no path crosses
    Seed,        // strongly red: a corridor seed, itself impassable content
};

// Brightness (Rec. 601 luma, 0..255) at and above which a pixel is free, and
// below which it is impassable. The wide grey band between them keeps the
// anti-aliased rim of black art from reading as free space: a rim pixel next
// to black content becomes crossable content, which erosion then turns
// impassable like its neighbour.
inline constexpr int kFreeBrightness = 192;
inline constexpr int kImpassableBrightness = 64;
// A pixel is a corridor seed when its red is at least kSeedRed and exceeds
// both green and blue by at least kSeedRedExcess: pure red qualifies; the
// pink rim of a red line on white and the dark red rim of one on black do not
// (they read as grey and black by their brightness).
inline constexpr int kSeedRed = 192;
inline constexpr int kSeedRedExcess = 128;

// The class of an opaque 8-bit colour.
PixelClass ClassifyColour(int red, int green, int blue);
// The class of an 8-bit grey level.
inline PixelClass ClassifyGrey(int level) { return ClassifyColour(level, level, level); }

// Refuses pixel counts that would not fit the library's 32-bit coordinates or
// a reasonable amount of memory (the search keeps 8 to 13 bytes per pixel).
inline constexpr std::int64_t kMaximumPixelCount = 100'000'000;

struct PlateImage {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::vector<PixelClass> classes;                      // row-major: index y * columns + x
    std::optional<double> resolution;                     // pixels per inch, from the file
    std::optional<std::uint32_t> declaredPixelsPerMetre;  // a PNG's own figure, for messages

    PixelClass At(std::int32_t x, std::int32_t y) const {
        return classes[static_cast<std::size_t>(y) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x)];
    }
};

// Throws InputError for a size below 1 x 1 or above kMaximumPixelCount; a
// decoder calls it before it allocates anything for the pixels.
void CheckImageSize(std::int64_t columns, std::int64_t rows);
// A blank (all free) image of a size CheckImageSize accepts.
PlateImage MakeBlankImage(std::int64_t columns, std::int64_t rows);

// Bad input named for the user: a file that cannot be read or decoded, or a
// parameter that makes no sense. The message is one line.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The content count and content edges of any plate, by its IsPixelOccupied,
// for every plate the planner and the binding build: an edge pixel is
// occupied and has an unoccupied pixel left, right, above or below it.
std::int32_t CountOccupiedPixels(const Zalvo::PlateInterface& plate);
bool IsOccupiedPixelOnEdge(const Zalvo::PlateInterface& plate, const Zalvo::Pixel& pixel);

// The library's view of the image: occupied means any content class.
class ImagePlate final : public Zalvo::PlateInterface {
public:
    ImagePlate(const PlateImage& image, double resolution) : image_(image), resolution_(resolution) {}

    double GetResolution() const override { return resolution_; }
    std::int32_t GetPixelColumnCount() const override { return image_.columns; }
    std::int32_t GetPixelRowCount() const override { return image_.rows; }
    std::int32_t GetContentCount() const override { return CountOccupiedPixels(*this); }
    bool IsPixelOnContentEdge(const Zalvo::Pixel& pixel) const override { return IsOccupiedPixelOnEdge(*this, pixel); }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override;

private:
    bool Inside(const Zalvo::Pixel& pixel) const;

    const PlateImage& image_;
    double resolution_;
};

// Black and seed pixels are impassable; grey content is crossable.
bool IsImpassableClass(PixelClass pixelClass);
// The seed pixels of the image, in the library's pixel order.
std::set<Zalvo::Pixel> CorridorSeeds(const PlateImage& image);

}  // namespace ZalvoPlan
