#include "input/Units.h"

#include "input/PlateImage.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace ZalvoPlan {
namespace {

constexpr double kMilliPointsPerInch = Zalvo::MilliPointsPerPoint * Zalvo::PointsPerInch;

constexpr std::array<std::pair<std::string_view, LengthUnit>, 6> kUnits{{
    {"mm", LengthUnit::Millimetre},
    {"cm", LengthUnit::Centimetre},
    {"in", LengthUnit::Inch},
    {"pt", LengthUnit::Point},
    {"mpt", LengthUnit::MilliPoint},
    {"px", LengthUnit::Pixel},
}};

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Whether a number from_chars found out of range is too close to 0 rather
// than too far from it: strtod tells the two apart by what it returns.
bool Underflows(std::string_view number) {
    const std::string text(number);
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    return errno == ERANGE && std::fabs(value) < 1.0;
}

// The largest millipoint value near `milliPoints` that the library's
// conversion turns into at most `pixels`: exactly `pixels` wherever some
// double does, never a rounding error more (rounding the margin up would add
// a whole ring). The conversion is monotonic, so a few ulp steps suffice.
double AdjustToPixels(double milliPoints, double pixels, double resolution) {
    while (milliPoints > 0.0 && ToPixels(milliPoints, resolution) > pixels) {
        milliPoints = std::nextafter(milliPoints, 0.0);
    }
    for (double next = std::nextafter(milliPoints, HUGE_VAL); ToPixels(next, resolution) <= pixels;
         next = std::nextafter(next, HUGE_VAL)) {
        milliPoints = next;
    }
    return milliPoints;
}

}  // namespace

const char* LengthUnitList() { return "mm, cm, in, pt, mpt, px"; }

Length ParseLength(const std::string& text, const std::string& what) {
    const std::string_view trimmed = TrimSpaces(text);
    const auto describe = [&] { return what + " '" + text + "'"; };
    double value = 0.0;
    const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (error == std::errc::result_out_of_range) {
        throw InputError(describe() + (Underflows(trimmed) ? " is too small to tell from 0; write 0 for no distance"
                                                           : " is too large"));
    }
    if (error != std::errc() || end == trimmed.data()) {
        throw InputError(describe() + " does not start with a number");
    }
    value += 0.0;  // -0 is 0: written back, it would read "-0.0"
    const std::string_view unit = TrimSpaces(trimmed.substr(static_cast<std::size_t>(end - trimmed.data())));
    if (unit.empty()) {
        throw InputError(describe() + " has no unit (use one of " + LengthUnitList() + ")");
    }
    if (!std::isfinite(value) || value < 0.0) {
        throw InputError(describe() + " must be a finite length of 0 or more");
    }
    for (const auto& [name, kind] : kUnits) {
        if (unit == name) return Length{value, kind};
    }
    throw InputError(describe() + " has the unknown unit '" + std::string(unit) + "' (use one of " + LengthUnitList() +
                     ")");
}

double ToPixels(double milliPoints, double resolution) {
    return milliPoints / Zalvo::MilliPointsPerPoint * resolution / Zalvo::PointsPerInch;
}

double ToMilliPoints(const Length& length, double resolution) {
    switch (length.unit) {
        case LengthUnit::Millimetre: return length.value / 25.4 * kMilliPointsPerInch;
        case LengthUnit::Centimetre: return length.value / 2.54 * kMilliPointsPerInch;
        case LengthUnit::Inch: return length.value * kMilliPointsPerInch;
        case LengthUnit::Point: return length.value * Zalvo::MilliPointsPerPoint;
        case LengthUnit::MilliPoint: return length.value;
        case LengthUnit::Pixel:
            // No pixels is no distance; the search below would settle on the largest subnormal instead.
            if (length.value == 0.0) return 0.0;
            return AdjustToPixels(length.value * kMilliPointsPerInch / resolution, length.value, resolution);
    }
    return length.value;
}

PlateSize ParsePlateSize(const std::string& text) {
    const auto separator = text.find('x');
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto parsedColumns =
        std::from_chars(begin, begin + (separator == std::string::npos ? 0 : separator), columns);
    const auto parsedRows = separator == std::string::npos ? std::from_chars_result{begin, std::errc::invalid_argument}
                                                           : std::from_chars(begin + separator + 1, end, rows);
    if (separator == std::string::npos || parsedColumns.ec != std::errc() || parsedColumns.ptr != begin + separator ||
        parsedRows.ec != std::errc() || parsedRows.ptr != end || columns < 1 || rows < 1) {
        throw InputError("plate size '" + text + "' must be <columns>x<rows>, both whole numbers of at least 1");
    }
    return PlateSize{columns, rows};
}

}  // namespace ZalvoPlan
