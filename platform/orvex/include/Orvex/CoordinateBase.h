// Stand-in for the host geometry library's coordinate type.
//
// Only one instantiation crosses the Zalvo boundary: a length in millipoints
// (thousandths of a typographic point, 72 points to the inch), held as exactly
// one double and passed by value. Nothing else of the geometry library exists
// here, so this header declares just enough for that value to travel.
#pragma once

#include <type_traits>

namespace Orvex {

// Tag for lengths measured in millipoints.
struct MilliPointCoordinateSystem {};

template <class CoordinateSystem, int Dimensions>
class CoordinateBase {
public:
    constexpr CoordinateBase() noexcept = default;
    constexpr explicit CoordinateBase(double value) noexcept : value_(value) {}

    constexpr double Value() const noexcept { return value_; }

private:
    double value_ = 0.0;
};

using MilliPointLength = CoordinateBase<MilliPointCoordinateSystem, 1>;

// The host passes this type by value across a binary boundary; its layout is
// part of that contract.
static_assert(std::is_trivially_copyable_v<MilliPointLength>);
static_assert(sizeof(MilliPointLength) == sizeof(double));
static_assert(!std::is_convertible_v<double, MilliPointLength>, "construction from a bare double must be explicit");

}  // namespace Orvex
