#include "plan/PlanSetup.h"

#include "input/Units.h"

#include <cmath>
#include <cstdio>

namespace ZalvoPlan {

namespace {

// What a PNG's pHYs unit (the metre) holds in inches.
constexpr double kInchesPerMetre = 1.0 / 0.0254;

// The resolution as the file gave it: a PNG's in its own unit.
std::string DeclaredResolution(const PlateImage& image, double resolution) {
    if (image.declaredPixelsPerMetre) {
        const auto perMetre = *image.declaredPixelsPerMetre;
        char text[96];
        std::snprintf(text, sizeof text, "%lu pixel%s per metre (%.4g pixels per inch)",
                      static_cast<unsigned long>(perMetre), perMetre == 1 ? "" : "s", perMetre / kInchesPerMetre);
        return text;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.4g pixels per inch", resolution);
    return text;
}

}  // namespace

double ResolutionFromImage(const PlateImage& image, const std::string& option) {
    const double resolution = image.resolution.value_or(kDefaultResolution);
    if (!(resolution >= kMinimumResolution && resolution <= kMaximumResolution)) {
        throw InputError("the image declares " + DeclaredResolution(image, resolution) +
                         ", which cannot be right; give the resolution with " + option);
    }
    return resolution;
}

void CheckDistance(double milliPoints, const std::string& text, const std::string& option, double resolution,
                   const PlateImage& image) {
    const double pixels = ToPixels(milliPoints, resolution);
    const std::int64_t limit = std::int64_t{image.columns} + image.rows;
    if (!(pixels <= static_cast<double>(limit))) {
        // Printed as a double: a distance may be far beyond any integer type.
        char count[32];
        std::snprintf(count, sizeof count, "%.15g", std::ceil(pixels));
        throw InputError(option + " '" + text + "' is " + count +
                         " pixels, more than the plate's width and height together (" + std::to_string(limit) + ")");
    }
}

double DistanceInMilliPoints(const std::string& text, const std::string& option, double resolution,
                             const PlateImage& image) {
    const double milliPoints = ToMilliPoints(ParseLength(text, option), resolution);
    CheckDistance(milliPoints, text, option, resolution, image);
    return milliPoints;
}

void ValidateSplitColumns(const std::vector<std::int32_t>& columns, const PlateImage& image,
                          const std::string& option) {
    for (std::int32_t column : columns) {
        if (column >= image.columns) {
            throw InputError(option + " " + std::to_string(column) + " lies beyond the plate's last column " +
                             std::to_string(image.columns - 1));
        }
    }
}

}  // namespace ZalvoPlan
