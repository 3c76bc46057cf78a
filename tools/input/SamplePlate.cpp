#include "input/SamplePlate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace ZalvoPlan {
namespace {

constexpr std::int64_t kMinimumColumns = 64;
constexpr std::int64_t kMinimumRows = 32;

// Draws in fractions of the plate size.
class Canvas {
public:
    explicit Canvas(PlateImage& image) : image_(image) {}

    double X(double fraction) const { return fraction * image_.columns; }
    double Y(double fraction) const { return fraction * image_.rows; }

    void Set(std::int64_t x, std::int64_t y, PixelClass pixelClass) {
        if (x < 0 || x >= image_.columns || y < 0 || y >= image_.rows) return;
        image_.classes[static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.columns) +
                       static_cast<std::size_t>(x)] = pixelClass;
    }

    // Pixels whose centres lie inside the ellipse.
    void Ellipse(double cx, double cy, double rx, double ry, PixelClass pixelClass) {
        const double centreX = X(cx), centreY = Y(cy), radiusX = X(rx), radiusY = Y(ry);
        for (auto y = Floor(centreY - radiusY); y <= Floor(centreY + radiusY); ++y) {
            for (auto x = Floor(centreX - radiusX); x <= Floor(centreX + radiusX); ++x) {
                const double dx = (static_cast<double>(x) + 0.5 - centreX) / radiusX;
                const double dy = (static_cast<double>(y) + 0.5 - centreY) / radiusY;
                if (dx * dx + dy * dy <= 1.0) Set(x, y, pixelClass);
            }
        }
    }

    // A rectangle in pixels, corners included.
    void Rectangle(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, PixelClass pixelClass) {
        for (auto y = y0; y <= y1; ++y) {
            for (auto x = x0; x <= x1; ++x) Set(x, y, pixelClass);
        }
    }

    static std::int64_t Floor(double value) { return static_cast<std::int64_t>(std::floor(value)); }

    std::int32_t Columns() const { return image_.columns; }
    std::int32_t Rows() const { return image_.rows; }

private:
    PlateImage& image_;
};

// A small deterministic generator, so the sample is the same on every machine.
class Lcg {
public:
    std::uint32_t Next(std::uint32_t bound) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33) % bound;
    }

private:
    std::uint64_t state_ = 20261207;
};

// One line of "words": letters of varied width and height on a baseline.
void DrawTextLine(Canvas& canvas, double left, double right, double baseline, PixelClass pixelClass, Lcg& random) {
    const std::int64_t height = std::max<std::int64_t>(3, Canvas::Floor(canvas.Y(0.05)));
    const std::int64_t letter = std::max<std::int64_t>(2, height / 2);
    const std::int64_t gap = std::max<std::int64_t>(1, letter / 3);
    const std::int64_t end = Canvas::Floor(canvas.X(right));
    const std::int64_t base = Canvas::Floor(canvas.Y(baseline));
    std::int64_t x = Canvas::Floor(canvas.X(left));
    while (x < end) {
        const std::uint32_t letters = 2 + random.Next(5);
        for (std::uint32_t i = 0; i < letters && x < end; ++i) {
            const std::int64_t width = letter - 1 + random.Next(3);
            const bool tall = random.Next(4) == 0;
            const std::int64_t top = base - (tall ? height : height * 2 / 3);
            const std::int64_t rightEdge = std::min(end, x + width - 1);
            canvas.Rectangle(x, top, rightEdge, base, pixelClass);
            // An open counter in round letters keeps the marks from being plain bars.
            if (width >= 3 && random.Next(2) == 0) {
                canvas.Rectangle(x + 1, top + 1 + (base - top) / 3, rightEdge - 1, base - 1, PixelClass::Free);
            }
            x += width + gap;
        }
        x += letter * 2;  // the space between words
    }
}

// Content over the columns `left`..`right`, except a channel of half-height
// `halfHeight` whose centre runs from row `from` to row `to` (fractions that
// may exceed 1: the channel wraps across the row seam).
void DrawValley(Canvas& canvas, double left, double right, double from, double to, double halfHeight) {
    const std::int64_t x0 = Canvas::Floor(canvas.X(left));
    const std::int64_t x1 = Canvas::Floor(canvas.X(right));
    const double rows = canvas.Rows();
    for (auto x = x0; x <= x1; ++x) {
        const double t = x1 > x0 ? static_cast<double>(x - x0) / static_cast<double>(x1 - x0) : 0.0;
        const double centre = canvas.Y(from + (to - from) * t);
        for (std::int64_t y = 0; y < canvas.Rows(); ++y) {
            const double offset = std::fabs(std::remainder(static_cast<double>(y) + 0.5 - centre, rows));
            if (offset > canvas.Y(halfHeight)) canvas.Set(x, y, PixelClass::Impassable);
        }
    }
}

}  // namespace

PlateImage MakeSamplePlate(std::int64_t columns, std::int64_t rows) {
    if (columns < kMinimumColumns || rows < kMinimumRows) {
        throw InputError("sample size " + std::to_string(columns) + "x" + std::to_string(rows) +
                         " is below the smallest sample of " + std::to_string(kMinimumColumns) + "x" +
                         std::to_string(kMinimumRows));
    }
    PlateImage image = MakeBlankImage(columns, rows);
    image.resolution = kSampleResolution;
    Canvas canvas(image);
    Lcg random;

    canvas.Ellipse(0.08, 0.45, 0.04, 0.12, PixelClass::Impassable);
    DrawValley(canvas, 0.18, 0.34, 0.75, 1.25, 0.08);
    canvas.Ellipse(0.44, 0.32, 0.04, 0.10, PixelClass::Crossable);
    canvas.Ellipse(0.42, 0.78, 0.05, 0.10, PixelClass::Impassable);

    // The wall and the seed line that lets a corridor through it.
    const std::int64_t wallLeft = Canvas::Floor(canvas.X(0.52));
    const std::int64_t wallRight = Canvas::Floor(canvas.X(0.56));
    canvas.Rectangle(wallLeft, 0, wallRight, rows - 1, PixelClass::Impassable);
    canvas.Rectangle(wallLeft, rows / 2, wallRight, rows / 2, PixelClass::Seed);

    DrawTextLine(canvas, 0.62, 0.96, 0.16, PixelClass::Impassable, random);
    DrawTextLine(canvas, 0.62, 0.90, 0.36, PixelClass::Impassable, random);
    DrawTextLine(canvas, 0.66, 0.96, 0.68, PixelClass::Crossable, random);
    DrawTextLine(canvas, 0.62, 0.94, 0.88, PixelClass::Impassable, random);
    canvas.Ellipse(0.90, 0.52, 0.025, 0.05, PixelClass::Impassable);
    return image;
}

}  // namespace ZalvoPlan
