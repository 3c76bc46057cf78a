#include "plan/PlanSetup.h"

#include "input/ImageDecoding.h"

#include "input/Units.h"

#include <cmath>
#include <cstdio>

namespace ZalvoPlan {

namespace {

// What a PNG's pHYs unit (the metre) holds in inches.
constexpr double kInchesPerMetre = 1.0 / kMetresPerInch;

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

// The file's own resolution, within the option's limits, else the default.
// `how` tells where the user can give one instead: "--resolution".
double ResolutionFromImage(const PlateImage& image, const PlanOption& option, const std::string& how) {
    const double resolution = image.resolution.value_or(kDefaultResolution);
    if (!(resolution >= option.minimum && resolution <= option.maximum)) {
        throw InputError("the image declares " + DeclaredResolution(image, resolution) +
                         ", which cannot be right; give the resolution with " + how);
    }
    return resolution;
}

double CheckedDistance(const DistanceRequest& given, const std::string& option, double resolution,
                       const PlateImage& image) {
    const double milliPoints =
        given.milliPoints ? *given.milliPoints : ToMilliPoints(ParseLength(given.text, option), resolution);
    const double pixels = ToPixels(milliPoints, resolution);
    const std::int64_t limit = std::int64_t{image.columns} + image.rows;
    if (!(pixels <= static_cast<double>(limit))) {
        // Printed as a double: a distance may be far beyond any integer type.
        char count[32];
        std::snprintf(count, sizeof count, "%.15g", std::ceil(pixels));
        throw InputError(option + " '" + given.text + "' is " + count +
                         " pixels, more than the plate's width and height together (" + std::to_string(limit) + ")");
    }
    return milliPoints;
}

int ChoiceValue(const ChoiceField& field, const std::string& given, const std::string& option) {
    std::string known;
    for (const auto& choice : field.choices) {
        if (given == choice.name) return choice.value;
        known += (known.empty() ? "" : ", ") + std::string(choice.name);
    }
    throw InputError(option + " must be one of " + known + ", not '" + given + "'");
}

void CheckSplitColumns(const std::vector<std::int32_t>& columns, const PlateImage& image, const std::string& option) {
    for (std::int32_t column : columns) {
        if (column >= image.columns) {
            throw InputError(option + " " + std::to_string(column) + " lies beyond the plate's last column " +
                             std::to_string(image.columns - 1));
        }
    }
}

}  // namespace

PlanParameters ResolvePlan(const PlanRequest& request, const PlateImage& image, OptionSpelling spelling) {
    PlanParameters parameters = request.plan;
    // The resolution first: a distance in pixels needs it.
    for (const auto& option : PlanOptions()) {
        if (const auto* field = std::get_if<ResolutionField>(&option.field)) {
            const std::string how = option.Name(spelling) + std::string(spelling == OptionSpelling::Python ? "=" : "");
            const std::optional<double>& given = request.*(*field);
            parameters.resolution = given ? *given : ResolutionFromImage(image, option, how);
        }
    }
    for (const auto& option : PlanOptions()) {
        const std::string name = option.Name(spelling);
        std::visit(
            Overloaded{[&](const DistanceField& field) {
                           parameters.*field.milliPoints =
                               CheckedDistance(request.*field.given, name, parameters.resolution, image);
                       },
                       [&](const ChoiceField& field) {
                           field.set(parameters, ChoiceValue(field, request.*field.given, name));
                       },
                       [&](ColumnsField field) { CheckSplitColumns(parameters.*field, image, name); }, [](auto) {}},
            option.field);
    }
    return parameters;
}

const char* ResolutionSource(const PlanRequest& request, const PlateImage& image) {
    if (request.resolution) return "option";
    return image.resolution ? "file" : "default";
}

}  // namespace ZalvoPlan
