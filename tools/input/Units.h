// Lengths and sizes as the user writes them on the command line.
#pragma once

#include <cstdint>
#include <string>

namespace ZalvoPlan {

enum class LengthUnit { Millimetre, Centimetre, Inch, Point, MilliPoint, Pixel };

// A non-negative finite number and its unit, e.g. "0.5mm", "2pt", "3px".
struct Length {
    double value = 0.0;
    LengthUnit unit = LengthUnit::MilliPoint;
};

// The units a length may carry, for messages and help: "mm, cm, in, pt, mpt, px".
const char* LengthUnitList();

// Parses "<number><unit>" (spaces between them allowed). Throws InputError
// naming `what` for a missing number, a missing or unknown unit, a negative,
// infinite or NaN value.
Length ParseLength(const std::string& text, const std::string& what);

// The length in millipoints (72,000 per inch). Pixels convert through
// `resolution` (pixels per inch) such that the library's own conversion back
// to pixels (millipoints / 1000 * resolution / 72) gives the pixel count
// exactly wherever a double allows it, else a value a rounding error below
// it: "3px" is a margin of three pixels, never four. (When no double gives
// exactly three, the outermost of the three rings gets the fractional-margin
// height 254 instead of 255.)
double ToMilliPoints(const Length& length, double resolution);

// A length in pixels, computed the way the library computes it.
double ToPixels(double milliPoints, double resolution);

// "<columns>x<rows>", both whole numbers of at least 1. Throws InputError.
struct PlateSize {
    std::int64_t columns = 0;
    std::int64_t rows = 0;
};
PlateSize ParsePlateSize(const std::string& text);

}  // namespace ZalvoPlan
